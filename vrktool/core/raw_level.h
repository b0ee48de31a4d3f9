// A .vrk file taken as raw bytes, however broken: the header when it is
// there, and how many whole sector and portal records follow it. The tool
// reads files this way so it can describe what the level reader refuses.
// The bytes may be only the start of a file too large for any level; its
// whole size still counts.
#ifndef QUILLMARCH_RAW_LEVEL_H
#define QUILLMARCH_RAW_LEVEL_H

#include <stddef.h>
#include <stdint.h>

#include "level.h"

struct RawLevel {
    const unsigned char* bytes;
    size_t available;  // bytes at hand, the start of the file
    uint64_t size;     // the whole file's size, at least available
    bool hasHeader;    // the 9 header bytes are all there
    unsigned version;  // header fields, 0 without a header
    unsigned startX;
    unsigned startY;
    unsigned sectorCount;
    unsigned portalCount;
    size_t sectorsPresent;  // whole sector records in the file, at most sectorCount
    size_t portalsPresent;  // whole portal records after all the sectors, at most portalCount
    size_t claimedSize;     // 9 + 10 x (sectorCount + portalCount)
};

// Looks at the first available bytes of a file of fileSize bytes without
// copying them; raw keeps pointing at them, so they must outlive it.
void ReadRawLevel(const unsigned char* bytes, size_t available, uint64_t fileSize, RawLevel* raw);

// Record i, which must be below sectorsPresent (portalsPresent).
Sector GetRawSector(const RawLevel& raw, size_t i);
Portal GetRawPortal(const RawLevel& raw, size_t i);

#endif
