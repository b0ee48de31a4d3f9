#include "level_bytes.h"

#include "level_file.h"

namespace {

void PutU16(Bytes* bytes, unsigned value)
{
    bytes->push_back(static_cast<unsigned char>(value & 0xFF));
    bytes->push_back(static_cast<unsigned char>(value >> 8 & 0xFF));
}

}  // namespace

Bytes MakeLevelHeader(unsigned version, unsigned startX, unsigned startY, unsigned sectorCount,
                      unsigned portalCount)
{
    Bytes bytes;
    bytes.push_back(static_cast<unsigned char>(version));
    PutU16(&bytes, startX);
    PutU16(&bytes, startY);
    PutU16(&bytes, sectorCount);
    PutU16(&bytes, portalCount);
    return bytes;
}

void AppendSector(Bytes* bytes, const FileSector& s)
{
    PutU16(bytes, s.left);
    PutU16(bytes, s.top);
    PutU16(bytes, s.right);
    PutU16(bytes, s.bottom);
    bytes->push_back(static_cast<unsigned char>(s.floor));
    bytes->push_back(static_cast<unsigned char>(s.ceiling));
}

void AppendPortal(Bytes* bytes, const FilePortal& p)
{
    PutU16(bytes, p.offsetX);
    PutU16(bytes, p.offsetY);
    PutU16(bytes, p.length);
    PutU16(bytes, p.sector);
    PutU16(bytes, p.twin);
}

Bytes MakeLevelFile(unsigned startX, unsigned startY, const std::vector<FileSector>& sectors,
                    const std::vector<FilePortal>& portals, unsigned version)
{
    Bytes bytes = MakeLevelHeader(version, startX, startY, static_cast<unsigned>(sectors.size()),
                                  static_cast<unsigned>(portals.size()));
    for (const FileSector& s : sectors)
        AppendSector(&bytes, s);
    for (const FilePortal& p : portals)
        AppendPortal(&bytes, p);
    return bytes;
}

const Bytes EMPTY_LEVEL_FILE = {2, 0, 0, 0, 0, 0, 0, 0, 0};

Bytes SerializeToBytes(const Level& level)
{
    Bytes bytes(LevelFileSize(&level));
    SerializeLevel(&level, bytes.data(), bytes.size());
    return bytes;
}
