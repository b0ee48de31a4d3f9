// The three-way merge of levels: which side each value comes from, and
// each kind of conflict named with both sides' values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_bytes.h"
#include "level_merge.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

// A level in one line: sectors after `bricks` sectors of the brick layout,
// the start cell and the version.
struct LevelRow {
    LevelRow(std::vector<Sector> s = {}, int x = 2, int y = 2, int v = 2, int b = 0)
        : sectors(s), startX(x), startY(y), version(v), bricks(b) {}
    std::vector<Sector> sectors;
    int startX, startY, version, bricks;
};

void MakeLevel(const LevelRow& row, Level* level)
{
    FillBrickLayout(level, row.bricks);
    for (const Sector& s : row.sectors)
        level->sectors[level->sectorCount++] = s;
    level->startX = static_cast<uint16_t>(row.startX);
    level->startY = static_cast<uint16_t>(row.startY);
    level->version = static_cast<uint8_t>(row.version);
}

const Sector HALL = MakeSector(0, 0, 8, 6, 0, 96);
const Sector EAST = MakeSector(8, 1, 12, 5, 8, 80);
const Sector SOUTH = MakeSector(2, 6, 6, 10, 16, 96);

Sector WithFloor(Sector s, int floor)
{
    s.floorHeight = static_cast<uint8_t>(floor);
    return s;
}

}  // namespace

TEST(LevelMerge, EachValueFromTheSideThatChangedItAndEachConflictNamed)
{
    const std::string SOUTH_NAME = "sector left 2 top 6 right 6 bottom 10";
    const Sector WEST_HALF = MakeSector(0, 0, 4, 6, 0, 96), EAST_HALF = MakeSector(4, 0, 8, 6, 0, 96);
    const Sector FAR = MakeSector(900, 900, 901, 901);
    const struct {
        const char* what;
        LevelRow base, ours, theirs, merged;
        std::vector<std::string> conflicts;
    } cases[] = {
        {"a room added on each side", {{HALL}}, {{HALL, EAST}}, {{HALL, SOUTH}}, {{HALL, EAST, SOUTH}}, {}},
        {"changed in theirs only", {{HALL, SOUTH}}, {{HALL, SOUTH, EAST}}, {{HALL, WithFloor(SOUTH, 24)}}, {{HALL, WithFloor(SOUTH, 24), EAST}}, {}},
        {"changed in ours, another removed in theirs", {{HALL, EAST, SOUTH}}, {{WithFloor(HALL, 5), EAST, SOUTH}}, {{HALL, EAST}}, {{WithFloor(HALL, 5), EAST}}, {}},
        {"the same room added on both sides", {{HALL}}, {{HALL, EAST, SOUTH}}, {{HALL, EAST}}, {{HALL, EAST, SOUTH}}, {}},
        {"heights changed on both sides", {{HALL, SOUTH}}, {{HALL, WithFloor(SOUTH, 4)}}, {{HALL, WithFloor(SOUTH, 24)}}, {{HALL, WithFloor(SOUTH, 4)}}, {SOUTH_NAME + " changed on both sides: base floorHeight 16 ceilingHeight 96, ours floorHeight 4 "
                                                                                                                                                                       "ceilingHeight 96, theirs floorHeight 24 ceilingHeight 96; ours kept"}},
        {"removed in ours, changed in theirs", {{HALL, SOUTH}}, {{HALL}}, {{HALL, WithFloor(SOUTH, 24)}}, {{HALL}}, {SOUTH_NAME + " removed in ours, changed in theirs to floorHeight 24 ceilingHeight 96; left out as ours has "
                                                                                                                                  "it"}},
        {"changed in ours, removed in theirs", {{HALL, SOUTH}}, {{HALL, WithFloor(SOUTH, 4)}}, {{HALL}}, {{HALL, WithFloor(SOUTH, 4)}}, {SOUTH_NAME + " changed in ours to floorHeight 4 ceilingHeight 96, removed in theirs; kept as ours has it"}},
        {"added on both sides with other heights", {{HALL}}, {{HALL, EAST}}, {{HALL, WithFloor(EAST, 30)}}, {{HALL, EAST}}, {"sector left 8 top 1 right 12 bottom 5 added on both sides: ours floorHeight 8 ceilingHeight 80, theirs "
                                                                                                                             "floorHeight 30 ceilingHeight 80; ours kept"}},
        {"theirs' addition intersects ours'", {{HALL}}, {{HALL, EAST}}, {{HALL, MakeSector(9, 2, 13, 4)}}, {{HALL, EAST}}, {"sector left 9 top 2 right 13 bottom 4 added in theirs with floorHeight 128 ceilingHeight 132 intersects "
                                                                                                                            "sector left 8 top 1 right 12 bottom 5; left out"}},
        {"the table full", {}, {{}, 2, 2, 2, MAX_SECTORS}, {{MakeSector(900, 900, 901, 901)}}, {{}, 2, 2, 2, MAX_SECTORS}, {"sector left 900 top 900 right 901 bottom 901 added in theirs with floorHeight 128 ceilingHeight 132 "
                                                                                                                            "would pass 256 sectors; left out"}},
        {"version changed on both sides", {{HALL}}, {{HALL}, 2, 2, 1}, {{HALL}, 2, 2, 3}, {{HALL}, 2, 2, 1}, {"version changed on both sides: base 2, ours 1, theirs 3; ours kept"}},
        {"start cell moved on both sides", {{HALL}}, {{HALL}, 3, 3}, {{HALL}, 4, 1}, {{HALL}, 3, 3}, {"start cell moved on both sides: base 2 2, ours 3 3, theirs 4 1; ours kept"}},
        {"start cell left outside every sector", {{HALL, EAST}, 9, 2}, {{HALL, EAST, SOUTH}, 9, 2}, {{HALL}, 9, 2}, {{HALL, SOUTH}, 9, 2}, {"start cell 9 2 lies outside every merged sector: ours 9 2, theirs 9 2; ours kept"}},
        {"the start cell taken from theirs", {{HALL, EAST}}, {{HALL, EAST, SOUTH}}, {{HALL, EAST}, 9, 2}, {{HALL, EAST, SOUTH}, 9, 2}, {}},
        {"every sector removed, the start moved into the room theirs kept", {{HALL, EAST}}, {{HALL}}, {{EAST}, 9, 2}, {{}}, {"start cell 9 2 lies outside every merged sector: ours 2 2, theirs 9 2; ours kept"}},
        {"the start taken from a side that had it outside its own level", {{HALL, EAST}, 9, 2}, {{HALL, EAST, SOUTH}, 9, 2}, {{HALL, EAST}, 20, 20}, {{HALL, EAST, SOUTH}, 20, 20}, {}},
        {"theirs splits a room while ours adds one", {{HALL}}, {{HALL, EAST}}, {{WEST_HALF, EAST_HALF}}, {{EAST, WEST_HALF, EAST_HALF}}, {}},
        {"ours at 255 sectors, one added by theirs", {{}, 2, 2, 2, 254}, {{}, 2, 2, 2, 255}, {{FAR}, 2, 2, 2, 254}, {{FAR}, 2, 2, 2, 255}, {}},
    };
    static Level base, ours, theirs, merged, expected;  // large tables, off the stack
    for (const auto& c : cases) {
        MakeLevel(c.base, &base);
        MakeLevel(c.ours, &ours);
        MakeLevel(c.theirs, &theirs);
        MakeLevel(c.merged, &expected);
        int expectedLeftOut = BuildPortals(&expected);
        merged = NewLevel();
        std::vector<std::string> conflicts;
        EXPECT_EQ(expectedLeftOut, MergeLevels(base, ours, theirs, &merged, &conflicts)) << c.what;
        EXPECT_EQ(c.conflicts, conflicts) << c.what;
        EXPECT_EQ(HexBytes(SerializeToBytes(expected)), HexBytes(SerializeToBytes(merged))) << c.what;
    }
}
