// Reading and writing .vrk level files.
#ifndef QUILLMARCH_LEVEL_FILE_H
#define QUILLMARCH_LEVEL_FILE_H

#include <stddef.h>
#include "level.h"

enum {
    LEVEL_HEADER_SIZE = 9,
    LEVEL_RECORD_SIZE = 10
};

// Writes header, sectors and portals to path through a temporary file that
// replaces the target only once it is complete. On success remembers the
// path and clears modified. Returns 0, or -1 with the level and the old file
// untouched.
int SaveLevel(Level* level, const char* path);

// Reads the header and the sectors the file claims into the level and
// empties its portal table. Returns 0, or -1 with the level unchanged.
// May report "Expected map version 2, file is version N." and
// "Map contains too many sectors." through the warning hook.
int LoadLevel(Level* level, const char* path);

// Same as the two above, on bytes in memory (used by the file functions and
// by tools that check files). SerializeLevel returns the size it needs when
// capacity is too small and writes nothing then; it returns 0 and writes
// nothing when a count exceeds its table.
size_t LevelFileSize(const Level* level);
size_t SerializeLevel(const Level* level, unsigned char* out, size_t capacity);

// Parses a file image into level (version, start cell, sectors; portalCount
// becomes 0). Does not touch fileName or modified. Returns 0 or -1; on -1 the
// level is unchanged. Warnings go through the hook as for LoadLevel.
int ParseLevel(Level* level, const unsigned char* bytes, size_t size);

// The nine header bytes as the file stores them, field by field,
// little-endian; header must hold all nine.
struct LevelHeader {
    uint8_t version;
    uint16_t startX;
    uint16_t startY;
    uint16_t sectorCount;
    uint16_t portalCount;
};
LevelHeader ReadLevelHeader(const unsigned char* header);

// One ten-byte record as the file stores it, field by field, little-endian.
Sector ReadSectorRecord(const unsigned char* record);
Portal ReadPortalRecord(const unsigned char* record);

// The reader's two warnings, each passed with its kind so a caller can tell
// them apart without reading the text.
enum LevelWarning {
    LEVEL_WARNING_VERSION,          // "Expected map version 2, file is version N."; the level still loads
    LEVEL_WARNING_TOO_MANY_SECTORS  // "Map contains too many sectors."; the file is refused
};

// Where the reader's warnings go. The editor shows a message box; the
// default writes the text to stderr. A null hook restores the default.
typedef void (*LevelWarningHook)(LevelWarning kind, const char* text);
void SetLevelWarningHook(LevelWarningHook hook);

#endif
