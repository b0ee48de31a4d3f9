#include "level.h"

#include <stdlib.h>
#include <string.h>

static_assert(sizeof(Sector) == 10, "a sector record is ten bytes");
static_assert(sizeof(Portal) == 10, "a portal record is ten bytes");

namespace {

bool SectorContains(const Sector* s, int column, int row)
{
    return s->left <= column && column < s->right && s->top <= row && row < s->bottom;
}

}  // namespace

Level NewLevel()
{
    Level level;
    memset(&level, 0, sizeof level);
    level.version = LEVEL_VERSION;
    return level;
}

void FreeLevel(Level* level)
{
    free(level->fileName);
    level->fileName = nullptr;
}

int SetLevelFileName(Level* level, const char* path)
{
    size_t length = strlen(path);
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!copy)
        return -1;
    memcpy(copy, path, length + 1);
    free(level->fileName);
    level->fileName = copy;
    return 0;
}

int FindSectorAt(const Level* level, int column, int row)
{
    for (int i = 0; i < level->sectorCount; i++) {
        if (SectorContains(&level->sectors[i], column, row))
            return i;
    }
    return NO_SECTOR;
}

bool SectorOverlaps(const Level* level, const Sector* rect)
{
    for (int i = 0; i < level->sectorCount; i++) {
        const Sector* s = &level->sectors[i];
        if (s == rect)
            continue;
        bool a = s->left <= rect->left && rect->left < s->right;
        bool b = s->top <= rect->top && rect->top < s->bottom;
        bool c = s->left < rect->right && rect->right <= s->right;
        bool d = s->top < rect->bottom && rect->bottom <= s->bottom;
        if ((a && b) || (c && d))
            return true;
    }
    return false;
}

bool SectorsIntersect(const Sector* a, const Sector* b)
{
    bool columns = (a->left > b->left ? a->left : b->left) < (a->right < b->right ? a->right : b->right);
    bool rows = (a->top > b->top ? a->top : b->top) < (a->bottom < b->bottom ? a->bottom : b->bottom);
    return columns && rows;
}

int AddSector(Level* level, const Sector* sector)
{
    if (level->sectorCount >= MAX_SECTORS)
        return NO_SECTOR;
    int slot = level->sectorCount;
    level->sectors[slot] = *sector;
    level->sectorCount++;
    level->modified = 1;
    return slot;
}

int PackedX(uint32_t packedPosition)
{
    return static_cast<int16_t>(packedPosition & 0xFFFF);
}

int PackedY(uint32_t packedPosition)
{
    return static_cast<int16_t>((packedPosition >> 16) & 0xFFFF);
}

uint32_t PackPosition(int x, int y)
{
    return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

int CellFromPixel(int pixel)
{
    return pixel / CELL_SIZE;  // C++ division truncates toward zero
}

void SetStartCell(Level* level, uint32_t packedPosition)
{
    level->startX = static_cast<uint16_t>(CellFromPixel(PackedX(packedPosition)));
    level->startY = static_cast<uint16_t>(CellFromPixel(PackedY(packedPosition)));
    level->modified = 1;
}
