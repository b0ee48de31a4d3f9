#include "level_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "file_layer.h"

namespace {

// The reader takes the header and every sector record a file may hold, and
// never the portals, which are rebuilt before each save.
const size_t READ_CAPACITY = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * MAX_SECTORS;

void WriteWarningToStderr(LevelWarning, const char* text)
{
    fprintf(stderr, "%s\n", text);
}

LevelWarningHook g_warningHook = WriteWarningToStderr;  // where reader warnings go

unsigned GetU16(const unsigned char* bytes)
{
    return static_cast<unsigned>(bytes[0]) | static_cast<unsigned>(bytes[1]) << 8;
}

unsigned char* PutU16(unsigned char* out, unsigned value)
{
    out[0] = static_cast<unsigned char>(value & 0xFF);
    out[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
    return out + 2;
}

char* CopyText(const char* text)
{
    size_t length = strlen(text);
    char* copy = static_cast<char*>(malloc(length + 1));
    if (copy)
        memcpy(copy, text, length + 1);
    return copy;
}

}  // namespace

void SetLevelWarningHook(LevelWarningHook hook)
{
    g_warningHook = hook ? hook : WriteWarningToStderr;
}

size_t LevelFileSize(const Level* level)
{
    return LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (static_cast<size_t>(level->sectorCount) + level->portalCount);
}

size_t SerializeLevel(const Level* level, unsigned char* out, size_t capacity)
{
    // Counts beyond the tables would have the writer read past them.
    if (level->sectorCount > MAX_SECTORS || level->portalCount > MAX_PORTALS)
        return 0;
    size_t size = LevelFileSize(level);
    if (capacity < size)
        return size;
    unsigned char* p = out;
    *p++ = level->version;
    p = PutU16(p, level->startX);
    p = PutU16(p, level->startY);
    p = PutU16(p, level->sectorCount);
    p = PutU16(p, level->portalCount);
    for (int i = 0; i < level->sectorCount; i++) {
        const Sector& s = level->sectors[i];
        p = PutU16(p, s.left);
        p = PutU16(p, s.top);
        p = PutU16(p, s.right);
        p = PutU16(p, s.bottom);
        *p++ = s.floorHeight;
        *p++ = s.ceilingHeight;
    }
    for (int i = 0; i < level->portalCount; i++) {
        const Portal& portal = level->portals[i];
        p = PutU16(p, portal.offsetX);
        p = PutU16(p, portal.offsetY);
        p = PutU16(p, portal.length);
        p = PutU16(p, portal.sector);
        p = PutU16(p, portal.twin);
    }
    return size;
}

LevelHeader ReadLevelHeader(const unsigned char* header)
{
    LevelHeader h;
    h.version = header[0];
    h.startX = static_cast<uint16_t>(GetU16(header + 1));
    h.startY = static_cast<uint16_t>(GetU16(header + 3));
    h.sectorCount = static_cast<uint16_t>(GetU16(header + 5));
    h.portalCount = static_cast<uint16_t>(GetU16(header + 7));
    return h;
}

Sector ReadSectorRecord(const unsigned char* record)
{
    Sector s;
    s.left = static_cast<uint16_t>(GetU16(record));
    s.top = static_cast<uint16_t>(GetU16(record + 2));
    s.right = static_cast<uint16_t>(GetU16(record + 4));
    s.bottom = static_cast<uint16_t>(GetU16(record + 6));
    s.floorHeight = record[8];
    s.ceilingHeight = record[9];
    return s;
}

Portal ReadPortalRecord(const unsigned char* record)
{
    Portal p;
    p.offsetX = static_cast<uint16_t>(GetU16(record));
    p.offsetY = static_cast<uint16_t>(GetU16(record + 2));
    p.length = static_cast<uint16_t>(GetU16(record + 4));
    p.sector = static_cast<uint16_t>(GetU16(record + 6));
    p.twin = static_cast<uint16_t>(GetU16(record + 8));
    return p;
}

int ParseLevel(Level* level, const unsigned char* bytes, size_t size)
{
    if (size < LEVEL_HEADER_SIZE)
        return -1;
    LevelHeader header = ReadLevelHeader(bytes);
    if (header.version != LEVEL_VERSION) {
        char text[64];
        snprintf(text, sizeof text, "Expected map version %d, file is version %u.", LEVEL_VERSION,
                 static_cast<unsigned>(header.version));
        g_warningHook(LEVEL_WARNING_VERSION, text);
    }
    if (header.sectorCount > MAX_SECTORS) {
        g_warningHook(LEVEL_WARNING_TOO_MANY_SECTORS, "Map contains too many sectors.");
        return -1;
    }
    // A file cut short is refused whole rather than half-loaded.
    if (size < LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * static_cast<size_t>(header.sectorCount))
        return -1;

    level->version = header.version;
    level->startX = header.startX;
    level->startY = header.startY;
    level->sectorCount = header.sectorCount;
    for (unsigned i = 0; i < header.sectorCount; i++)
        level->sectors[i] = ReadSectorRecord(bytes + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * i);
    level->portalCount = 0;
    return 0;
}

int LoadLevel(Level* level, const char* path)
{
    unsigned char* buffer = static_cast<unsigned char*>(malloc(READ_CAPACITY));
    if (!buffer)
        return -1;
    long got = ReadFilePrefix(path, buffer, READ_CAPACITY);
    if (got < 0) {
        free(buffer);
        return -1;
    }
    // The name is copied before the level is touched, so a failure here
    // leaves the level as it was.
    char* name = CopyText(path);
    if (!name || ParseLevel(level, buffer, static_cast<size_t>(got)) != 0) {
        free(name);
        free(buffer);
        return -1;
    }
    free(level->fileName);
    level->fileName = name;
    level->modified = 0;
    free(buffer);
    return 0;
}

int SaveLevel(Level* level, const char* path)
{
    if (level->sectorCount > MAX_SECTORS || level->portalCount > MAX_PORTALS)
        return -1;
    size_t size = LevelFileSize(level);
    unsigned char* buffer = static_cast<unsigned char*>(malloc(size));
    char* name = CopyText(path);
    if (!buffer || !name) {
        free(buffer);
        free(name);
        return -1;
    }
    SerializeLevel(level, buffer, size);
    int result = ReplaceFileContents(path, buffer, size);
    free(buffer);
    if (result != 0) {
        free(name);
        return -1;
    }
    free(level->fileName);
    level->fileName = name;
    level->modified = 0;
    return 0;
}
