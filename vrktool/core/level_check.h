// The checks of `vrktool check`, on the bytes of one file, so a fuzzer or a
// test can call them without touching the disk.
#ifndef QUILLMARCH_LEVEL_CHECK_H
#define QUILLMARCH_LEVEL_CHECK_H

#include <stddef.h>
#include <stdint.h>

#include "level.h"
#include "raw_level.h"

// Receives each problem as one line of text without the file name.
typedef void (*LevelProblemCallback)(const char* problem, void* context);

// Reports every problem of the file image through report, in a fixed order:
// a cut-short file, the version, too many sectors, trailing bytes, then per
// sector an empty rectangle or a floor above its ceiling, intersecting
// pairs, a start cell outside every sector (when there are sectors), shared
// edges that do not fit the portal table, and stored portals that differ
// from the ones the sectors give. Returns how many it reported.
int CheckLevelBytes(const unsigned char* bytes, size_t size, LevelProblemCallback report, void* context = nullptr);

// The same on the first available bytes of a file of fileSize bytes: what
// lies beyond the bytes at hand counts as trailing bytes. note, when given,
// receives what is worth saying but no problem: a portal table that
// follows the one-sided rule of older levels (then not reported as stored
// portals that differ).
int CheckLevelFile(const unsigned char* bytes, size_t available, uint64_t fileSize, LevelProblemCallback report,
                   void* context = nullptr, LevelProblemCallback note = nullptr);

// The first slot where the stored portal table and a derived one differ,
// or -1 when they are the same; every stored record must be present.
long FindPortalDifference(const RawLevel& raw, const Level& level);

#endif
