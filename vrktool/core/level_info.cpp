#include "level_info.h"

#include "level_file.h"
#include "raw_level.h"

namespace {

unsigned long MissingFrom(const RawLevel& raw)
{
    return static_cast<unsigned long>(raw.hasHeader ? raw.claimedSize : static_cast<size_t>(LEVEL_HEADER_SIZE));
}

unsigned long long TrailingBytes(const RawLevel& raw)
{
    return raw.hasHeader && raw.size > raw.claimedSize ? raw.size - raw.claimedSize : 0;
}

bool IsTruncated(const RawLevel& raw)
{
    return !raw.hasHeader || raw.size < raw.claimedSize;
}

void PrintText(FILE* out, const RawLevel& raw)
{
    fprintf(out, "size %llu\n", static_cast<unsigned long long>(raw.size));
    if (raw.hasHeader) {
        fprintf(out, "version %u\nstart %u %u\nsectors %u\nportals %u\n", raw.version, raw.startX, raw.startY,
                raw.sectorCount, raw.portalCount);
    }
    for (size_t i = 0; i < raw.sectorsPresent; i++) {
        Sector s = GetRawSector(raw, i);
        fprintf(out, "sector %lu: left %u top %u right %u bottom %u floorHeight %u ceilingHeight %u\n",
                static_cast<unsigned long>(i), s.left, s.top, s.right, s.bottom, s.floorHeight, s.ceilingHeight);
    }
    for (size_t i = 0; i < raw.portalsPresent; i++) {
        Portal p = GetRawPortal(raw, i);
        fprintf(out, "portal %lu: offsetX %u offsetY %u length %u sector %u twin %u\n", static_cast<unsigned long>(i),
                p.offsetX, p.offsetY, p.length, p.sector, p.twin);
    }
    if (IsTruncated(raw))
        fprintf(out, "truncated: %lu bytes needed\n", MissingFrom(raw));
    if (TrailingBytes(raw))
        fprintf(out, "trailing bytes %llu\n", TrailingBytes(raw));
}

}  // namespace

void PrintLevelInfo(FILE* out, const unsigned char* bytes, size_t available, uint64_t fileSize)
{
    RawLevel raw;
    ReadRawLevel(bytes, available, fileSize, &raw);
    PrintText(out, raw);
}
