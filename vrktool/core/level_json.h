// A level as a JSON document: what `vrktool info --json` prints and what
// `vrktool build` reads back, so that one gives the other's bytes again.
#ifndef QUILLMARCH_LEVEL_JSON_H
#define QUILLMARCH_LEVEL_JSON_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "level.h"

// The document for the bytes of a file, however broken: every field and whole
// record it holds, one record a line. bytes are the first available bytes
// of a file of fileSize bytes; what lies beyond the records counts as
// trailing bytes.
std::string FormatLevelJson(const unsigned char* bytes, size_t available, uint64_t fileSize);

// One sector as the documents show it, on one line:
// {"left": 0, "top": 0, "right": 1, "bottom": 1, "floorHeight": 128, "ceilingHeight": 132}.
std::string FormatSectorJson(const Sector& sector);

struct JsonBuild {
    bool portalsGiven;  // the document listed the portals; they are kept as given
    int leftOut;        // shared edges without portals when they were built
};

// Reads a document into level: the header fields and sectors, and the
// portals as listed or, when the document has none, as the editor builds
// them. On failure the level is unchanged and problems holds one line per
// invalid value, "place: why" (`sectors[3].floorHeight: 300 is not in
// 0..255`); on success problems is empty.
bool BuildLevelFromJson(const char* text, size_t size, Level* level, JsonBuild* build,
                        std::vector<std::string>* problems);

#endif
