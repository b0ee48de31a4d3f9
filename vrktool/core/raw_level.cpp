#include "raw_level.h"

#include "level_file.h"

namespace {

size_t WholeRecords(size_t available, unsigned claimed)
{
    size_t whole = available / LEVEL_RECORD_SIZE;
    return whole < claimed ? whole : claimed;
}

}  // namespace

void ReadRawLevel(const unsigned char* bytes, size_t available, uint64_t fileSize, RawLevel* raw)
{
    *raw = RawLevel();
    raw->bytes = bytes;
    raw->available = available;
    raw->size = fileSize > available ? fileSize : available;
    raw->hasHeader = available >= LEVEL_HEADER_SIZE;
    if (!raw->hasHeader)
        return;
    LevelHeader header = ReadLevelHeader(bytes);
    raw->version = header.version;
    raw->startX = header.startX;
    raw->startY = header.startY;
    raw->sectorCount = header.sectorCount;
    raw->portalCount = header.portalCount;
    size_t sectorBytes = static_cast<size_t>(LEVEL_RECORD_SIZE) * raw->sectorCount;
    raw->claimedSize = LEVEL_HEADER_SIZE + sectorBytes + static_cast<size_t>(LEVEL_RECORD_SIZE) * raw->portalCount;
    size_t afterHeader = available - LEVEL_HEADER_SIZE;
    raw->sectorsPresent = WholeRecords(afterHeader, raw->sectorCount);
    raw->portalsPresent = afterHeader >= sectorBytes ? WholeRecords(afterHeader - sectorBytes, raw->portalCount) : 0;
}

Sector GetRawSector(const RawLevel& raw, size_t i)
{
    return ReadSectorRecord(raw.bytes + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * i);
}

Portal GetRawPortal(const RawLevel& raw, size_t i)
{
    return ReadPortalRecord(raw.bytes + LEVEL_HEADER_SIZE +
                            LEVEL_RECORD_SIZE * (static_cast<size_t>(raw.sectorCount) + i));
}
