// A .vrk file taken as raw bytes, however broken: the header when it is
// there, and how many whole sector and portal records follow it. The tool
// reads files this way so it can describe what the level reader refuses.
#ifndef QUILLMARCH_LEVEL_IMAGE_H
#define QUILLMARCH_LEVEL_IMAGE_H

#include <stddef.h>

#include "level.h"

struct LevelImage {
    const unsigned char* bytes;
    size_t size;
    bool hasHeader;          // the 9 header bytes are all there
    unsigned version;        // header fields, 0 without a header
    unsigned startX;
    unsigned startY;
    unsigned sectorCount;
    unsigned portalCount;
    size_t sectorsPresent;   // whole sector records in the file, at most sectorCount
    size_t portalsPresent;   // whole portal records after all the sectors, at most portalCount
    size_t claimedSize;      // 9 + 10 x (sectorCount + portalCount)
};

// Looks at the bytes without copying them; image keeps pointing at them.
void ReadLevelImage(const unsigned char* bytes, size_t size, LevelImage* image);

// Record i, which must be below sectorsPresent (portalsPresent).
Sector GetImageSector(const LevelImage& image, size_t i);
Portal GetImagePortal(const LevelImage& image, size_t i);

#endif
