#include "level_info.h"

#include "level_file.h"
#include "level_image.h"

namespace {

unsigned long MissingFrom(const LevelImage& image)
{
    return static_cast<unsigned long>(image.hasHeader ? image.claimedSize : static_cast<size_t>(LEVEL_HEADER_SIZE));
}

unsigned long long TrailingBytes(const LevelImage& image)
{
    return image.hasHeader && image.size > image.claimedSize ? image.size - image.claimedSize : 0;
}

bool IsTruncated(const LevelImage& image)
{
    return !image.hasHeader || image.size < image.claimedSize;
}

void PrintText(FILE* out, const LevelImage& image)
{
    fprintf(out, "size %llu\n", static_cast<unsigned long long>(image.size));
    if (image.hasHeader) {
        fprintf(out, "version %u\nstart %u %u\nsectors %u\nportals %u\n", image.version, image.startX, image.startY,
                image.sectorCount, image.portalCount);
    }
    for (size_t i = 0; i < image.sectorsPresent; i++) {
        Sector s = GetImageSector(image, i);
        fprintf(out, "sector %lu: left %u top %u right %u bottom %u floorHeight %u ceilingHeight %u\n",
                static_cast<unsigned long>(i), s.left, s.top, s.right, s.bottom, s.floorHeight, s.ceilingHeight);
    }
    for (size_t i = 0; i < image.portalsPresent; i++) {
        Portal p = GetImagePortal(image, i);
        fprintf(out, "portal %lu: offsetX %u offsetY %u length %u sector %u twin %u\n", static_cast<unsigned long>(i),
                p.offsetX, p.offsetY, p.length, p.sector, p.twin);
    }
    if (IsTruncated(image))
        fprintf(out, "truncated: %lu bytes needed\n", MissingFrom(image));
    if (TrailingBytes(image))
        fprintf(out, "trailing bytes %llu\n", TrailingBytes(image));
}

}  // namespace

void PrintLevelInfo(FILE* out, const unsigned char* bytes, size_t available, uint64_t fileSize)
{
    LevelImage image;
    ReadLevelImage(bytes, available, fileSize, &image);
    PrintText(out, image);
}
