#include "level_image.h"

#include "level_file.h"

namespace {

size_t WholeRecords(size_t available, unsigned claimed)
{
    size_t whole = available / LEVEL_RECORD_SIZE;
    return whole < claimed ? whole : claimed;
}

}  // namespace

void ReadLevelImage(const unsigned char* bytes, size_t available, uint64_t fileSize, LevelImage* image)
{
    *image = LevelImage();
    image->bytes = bytes;
    image->available = available;
    image->size = fileSize > available ? fileSize : available;
    image->hasHeader = available >= LEVEL_HEADER_SIZE;
    if (!image->hasHeader)
        return;
    LevelHeader header = ReadLevelHeader(bytes);
    image->version = header.version;
    image->startX = header.startX;
    image->startY = header.startY;
    image->sectorCount = header.sectorCount;
    image->portalCount = header.portalCount;
    size_t sectorBytes = static_cast<size_t>(LEVEL_RECORD_SIZE) * image->sectorCount;
    image->claimedSize = LEVEL_HEADER_SIZE + sectorBytes + static_cast<size_t>(LEVEL_RECORD_SIZE) * image->portalCount;
    size_t afterHeader = available - LEVEL_HEADER_SIZE;
    image->sectorsPresent = WholeRecords(afterHeader, image->sectorCount);
    image->portalsPresent = afterHeader >= sectorBytes ? WholeRecords(afterHeader - sectorBytes, image->portalCount) : 0;
}

Sector GetImageSector(const LevelImage& image, size_t i)
{
    return ReadSectorRecord(image.bytes + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * i);
}

Portal GetImagePortal(const LevelImage& image, size_t i)
{
    return ReadPortalRecord(image.bytes + LEVEL_HEADER_SIZE +
                            LEVEL_RECORD_SIZE * (static_cast<size_t>(image.sectorCount) + i));
}
