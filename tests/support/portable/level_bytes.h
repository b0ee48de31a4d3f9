// Level files as bytes. MakeLevelFile puts one together field by field, as
// the engine reads it, without the level core: tests of the reader and the
// writer compare against it, and tests of the editor plant it. The header
// and records can also be put together one by one, for files whose counts
// do not match what follows them.
#ifndef QUILLMARCH_TEST_LEVEL_BYTES_H
#define QUILLMARCH_TEST_LEVEL_BYTES_H

#include <vector>

#include "bytes.h"
#include "level.h"

struct FileSector {
    unsigned left, top, right, bottom, floor, ceiling;
};

struct FilePortal {
    unsigned offsetX, offsetY, length, sector, twin;
};

// The nine header bytes with these fields, whatever follows them.
Bytes MakeLevelHeader(unsigned version, unsigned startX, unsigned startY, unsigned sectorCount,
                      unsigned portalCount);
void AppendSector(Bytes* bytes, const FileSector& s);
void AppendPortal(Bytes* bytes, const FilePortal& p);

// A whole file: the header counts its records.
Bytes MakeLevelFile(unsigned startX, unsigned startY, const std::vector<FileSector>& sectors,
                    const std::vector<FilePortal>& portals = {}, unsigned version = 2);

// A fresh level as saved: version 2 and nothing else.
extern const Bytes EMPTY_LEVEL_FILE;

// The bytes the level core's writer makes of a level, for tests of what
// reads them (the checks, the tool, the editor).
Bytes SerializeToBytes(const Level& level);

#endif
