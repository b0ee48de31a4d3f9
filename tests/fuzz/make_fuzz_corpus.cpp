// Writes the fuzzer's seed levels into a folder: the same bytes on every
// run, so the committed seeds can be compared with what this program makes.
// Most are levels as the editor saves them (portals built); a few are the
// damaged files a reader meets in the wild.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "bytes.h"
#include "level.h"
#include "level_bytes.h"
#include "level_file.h"
#include "portals.h"
#include "sectors.h"

namespace {

// Sectors go straight into the slots, so overlapping and empty rectangles
// can be made too.
Level MakeLevel(const std::vector<Sector>& sectors)
{
    Level level = NewLevel();
    for (size_t i = 0; i < sectors.size() && i < MAX_SECTORS; i++)
        level.sectors[i] = sectors[i];
    level.sectorCount = static_cast<uint16_t>(sectors.size() < MAX_SECTORS ? sectors.size() : MAX_SECTORS);
    return level;
}

// The file image, with the portals the editor would store.
Bytes Saved(Level level)
{
    BuildPortals(&level);
    return SerializeToBytes(level);
}

void PutU16(Bytes* bytes, size_t offset, unsigned value)
{
    (*bytes)[offset] = static_cast<unsigned char>(value & 0xFF);
    (*bytes)[offset + 1] = static_cast<unsigned char>(value >> 8);
}

// Rows of bricks, each row shifted by half a brick: every brick shares
// edges with up to six others, the densest layout of equal rectangles.
std::vector<Sector> MakeBricks(int count, int width)
{
    std::vector<Sector> bricks;
    for (int i = 0; i < count; i++) {
        int row = i / 16;
        int left = (i % 16) * width + (row % 2) * (width / 2);
        bricks.push_back(MakeSector(left, row, left + width, row + 1, i % 256, 255 - i % 256));
    }
    return bricks;
}

bool WriteSeed(const std::string& folder, const char* name, const Bytes& bytes)
{
    std::string path = folder + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "cannot create %s\n", path.c_str());
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = fclose(file) == 0 && ok;
    if (!ok)
        fprintf(stderr, "cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_fuzz_corpus FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    bool ok = true;

    ok &= WriteSeed(folder, "fresh.vrk", Saved(NewLevel()));
    ok &= WriteSeed(folder, "one_sector.vrk", Saved(MakeLevel({MakeSector(3, 4, 4, 5)})));
    ok &= WriteSeed(folder, "neighbours.vrk", Saved(MakeLevel({MakeSector(0, 0, 1, 1), MakeSector(1, 0, 2, 1)})));
    ok &= WriteSeed(folder, "wide_above_narrow.vrk",
                    Saved(MakeLevel({MakeSector(0, 0, 4, 2), MakeSector(1, 2, 3, 3)})));
    ok &= WriteSeed(folder, "narrow_below_wide.vrk",
                    Saved(MakeLevel({MakeSector(1, 2, 3, 3), MakeSector(0, 0, 4, 2)})));
    ok &= WriteSeed(folder, "hall.vrk",
                    Saved(MakeLevel({MakeSector(2, 2, 10, 6, 0, 40), MakeSector(10, 3, 14, 5, 8, 32),
                                     MakeSector(14, 1, 20, 8, 16, 64), MakeSector(4, 6, 8, 12, 0, 24)})));
    ok &= WriteSeed(folder, "bricks_64.vrk", Saved(MakeLevel(MakeBricks(64, 4))));
    ok &= WriteSeed(folder, "bricks_256.vrk", Saved(MakeLevel(MakeBricks(256, 2))));

    // Coordinates at the top of the 16-bit range, and edges as long as it allows.
    ok &= WriteSeed(folder, "far_corner.vrk",
                    Saved(MakeLevel({MakeSector(65533, 65533, 65534, 65534), MakeSector(65534, 65533, 65535, 65534)})));
    ok &= WriteSeed(folder, "long_edge.vrk",
                    Saved(MakeLevel({MakeSector(0, 0, 65535, 1), MakeSector(0, 1, 65535, 2)})));

    Level version1 = MakeLevel({MakeSector(3, 4, 4, 5)});
    version1.version = 1;
    ok &= WriteSeed(folder, "version_1.vrk", Saved(version1));

    Level start = MakeLevel({MakeSector(0, 0, 2, 2, 200, 100)});
    start.startX = 9;
    start.startY = 9;
    ok &= WriteSeed(folder, "start_outside_floor_above.vrk", Saved(start));

    ok &= WriteSeed(folder, "overlapping.vrk",
                    Saved(MakeLevel({MakeSector(0, 0, 4, 4), MakeSector(2, 2, 6, 6), MakeSector(4, 0, 6, 2)})));
    ok &= WriteSeed(folder, "empty_rectangles.vrk",
                    Saved(MakeLevel({MakeSector(5, 5, 5, 6), MakeSector(5, 5, 6, 5), MakeSector(8, 8, 3, 3),
                                     MakeSector(5, 6, 6, 7)})));

    // Damaged files.
    Bytes stalePortals = Saved(MakeLevel({MakeSector(0, 0, 1, 1), MakeSector(1, 0, 2, 1)}));
    PutU16(&stalePortals, LEVEL_HEADER_SIZE + 2 * LEVEL_RECORD_SIZE + 4, 7);
    ok &= WriteSeed(folder, "stale_portals.vrk", stalePortals);

    Bytes trailing = Saved(MakeLevel({MakeSector(3, 4, 4, 5)}));
    trailing.insert(trailing.end(), {0xDE, 0xAD, 0xBE});
    ok &= WriteSeed(folder, "trailing_bytes.vrk", trailing);

    Bytes truncated = Saved(MakeLevel(MakeBricks(5, 4)));
    truncated.resize(LEVEL_HEADER_SIZE + 3 * LEVEL_RECORD_SIZE + 4);
    ok &= WriteSeed(folder, "truncated.vrk", truncated);

    ok &= WriteSeed(folder, "header_cut.vrk", Bytes{2, 0, 0, 0});

    Bytes tooMany(LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (MAX_SECTORS + 1), 0);
    tooMany[0] = 2;
    PutU16(&tooMany, 5, MAX_SECTORS + 1);
    for (int i = 0; i <= MAX_SECTORS; i++) {
        size_t at = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * i;
        PutU16(&tooMany, at, i);
        PutU16(&tooMany, at + 4, i + 1);
        PutU16(&tooMany, at + 6, 1);
    }
    ok &= WriteSeed(folder, "too_many_sectors.vrk", tooMany);

    Bytes claimsMore = Saved(MakeLevel({MakeSector(0, 0, 1, 1)}));
    PutU16(&claimsMore, 7, 1000);
    ok &= WriteSeed(folder, "claims_portals.vrk", claimsMore);

    return ok ? 0 : 1;
}
