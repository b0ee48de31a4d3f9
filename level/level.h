// The one level being edited: header, sector table, portal table, file name.
#ifndef QUILLMARCH_LEVEL_H
#define QUILLMARCH_LEVEL_H

#include <stdint.h>

enum {
    CELL_SIZE = 16,      // pixels per grid cell in the map view
    MAX_SECTORS = 256,   // slots in the sector table
    MAX_PORTALS = 1024,  // slots in the portal table
    LEVEL_VERSION = 2,   // version byte of a fresh level
    NO_SECTOR = -1       // "none" for slot references
};

// Ten bytes, laid out in memory as in a level file (the file is still
// written field by field, little-endian).
struct Sector {
    uint16_t left;    // first column covered
    uint16_t top;     // first row covered
    uint16_t right;   // column just past the last one covered
    uint16_t bottom;  // row just past the last one covered
    uint8_t floorHeight;
    uint8_t ceilingHeight;
};

struct Portal {
    uint16_t offsetX;  // edge start minus the owning sector's left
    uint16_t offsetY;  // edge start minus the owning sector's top
    uint16_t length;   // edge length in cells
    uint16_t sector;   // owning sector's slot
    uint16_t twin;     // index of the same edge seen from the other sector
};

struct Level {
    uint8_t version;
    uint16_t startX;
    uint16_t startY;
    uint16_t sectorCount;
    uint16_t portalCount;
    Sector sectors[MAX_SECTORS];
    Portal portals[MAX_PORTALS];
    char* fileName;  // heap copy of the path, or null until a load or save succeeds
    int modified;    // 1 while there are unsaved changes
};

// A fresh level: version 2, start (0, 0), no sectors, no portals, no file name.
// Slots beyond the counts are zeroed.
Level NewLevel();

// Releases the file name.
void FreeLevel(Level* level);

// Replaces the remembered path with a copy of path. Returns 0, or -1 when no
// memory could be had (the old name is then kept).
int SetLevelFileName(Level* level, const char* path);

// First slot whose rectangle contains the cell, or NO_SECTOR.
int FindSectorAt(const Level* level, int column, int row);

// Whether rect's top-left or bottom-right cell lies inside another sector.
// When rect is itself a slot of the table, that slot is skipped.
bool SectorOverlaps(const Level* level, const Sector* rect);

// Whether two rectangles, half-open, share a cell: both their column and
// their row ranges overlap by a positive length. The tool's check and merge
// use it; the editor keeps its own corner test above.
bool SectorsIntersect(const Sector* a, const Sector* b);

// Appends a copy of sector and sets modified. Returns the new slot, or
// NO_SECTOR when the table is full (nothing is written then).
int AddSector(Level* level, const Sector* sector);

// Sets the start cell from a packed pixel position and sets modified.
void SetStartCell(Level* level, uint32_t packedPosition);

// Packed pixel positions: low 16 bits x, high 16 bits y, each signed.
int PackedX(uint32_t packedPosition);
int PackedY(uint32_t packedPosition);
uint32_t PackPosition(int x, int y);

// Pixel to cell: divide by CELL_SIZE, truncating toward zero.
int CellFromPixel(int pixel);

#endif
