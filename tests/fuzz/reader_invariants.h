// What every read of a level image must show, from memory or from a file:
// the outcome the header predicts, the reader's warnings, a refused image
// leaving the level as it was, and an accepted one taken field for field.
#ifndef QUILLMARCH_READER_INVARIANTS_H
#define QUILLMARCH_READER_INVARIANTS_H

#include <stddef.h>
#include <stdint.h>

#include "level.h"

// Installs the warning hook that counts the reader's warnings and makes the
// level a refused image must leave untouched. Called once per process.
void PrepareReaderInvariants();

// A level with content in every field, so that a reader which touches it
// before refusing a file shows up in the comparison. Its file name is null.
const Level& PreviousLevel();

// Everything but the file name, which the callers compare themselves.
bool SameContents(const Level& a, const Level& b);

// What the image claims, decoded here on its own so the reader has
// something independent to agree with.
struct Claim {
    bool acceptable;  // a header, at most 256 sectors, and all of their records
    unsigned version;
    unsigned sectorCount;
};
Claim ReadClaim(const uint8_t* data, size_t size);

// The warnings one read gave must be those the header calls for; the
// counts start again from zero for the next read.
void ForgetWarnings();
void CheckWarnings(const Claim& claim, size_t size, const char* step);

// Parses the image with ParseLevel into *level, which starts as the
// previous level, with the warning counts at zero, and checks the outcome:
// refused images leave it as it was; accepted ones give the header and the
// sector records field for field, no portals, and leave modified and the
// file name alone. Returns ParseLevel's result.
int ParseAndCheck(const uint8_t* data, size_t size, const Claim& claim, Level* level);

unsigned U16At(const uint8_t* bytes);

#endif
