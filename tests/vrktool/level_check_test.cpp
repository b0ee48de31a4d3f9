// The checks behind `vrktool check`, called on bytes: each problem alone,
// several together, every cut of a good file, and random bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "level.h"
#include "level_bytes.h"
#include "level_check.h"
#include "level_file.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

void CollectLine(const char* problem, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(problem);
}

std::vector<std::string> Check(const Bytes& bytes)
{
    std::vector<std::string> lines;
    int count = CheckLevelBytes(bytes.data(), bytes.size(), CollectLine, &lines);
    EXPECT_EQ(static_cast<int>(lines.size()), count) << "the count returned must match the lines reported";
    return lines;
}

// Three sectors in an L, start cell inside, portals as the builder gives
// them: 3 sectors, 6 portals, 99 bytes.
Level GoodLevel()
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(0, 0, 2, 2);
    level.sectors[1] = MakeSector(2, 0, 4, 2);
    level.sectors[2] = MakeSector(0, 2, 4, 3);
    level.sectorCount = 3;
    level.startX = 1;
    level.startY = 1;
    BuildPortals(&level);
    return level;
}

// The good level with one more sector, portals rebuilt, so only the new
// sector's own problems show.
Bytes WithExtraSector(const Sector& extra)
{
    Level level = GoodLevel();
    level.sectors[level.sectorCount++] = extra;
    BuildPortals(&level);
    return SerializeToBytes(level);
}

Bytes Prefix(const Bytes& bytes, size_t size)
{
    return Bytes(bytes.begin(), bytes.begin() + size);
}

typedef std::vector<std::string> Lines;

}  // namespace

TEST(LevelCheck, EachProblemAlone)
{
    const Bytes good = SerializeToBytes(GoodLevel());
    ASSERT_EQ(99u, good.size());

    Bytes oldVersion = good;
    oldVersion[0] = 1;
    Bytes trailing = good;
    trailing.insert(trailing.end(), {0, 0, 0});
    Bytes tooMany = good;
    tooMany[5] = 1;  // 257 sectors
    tooMany[6] = 1;
    Bytes badPortal = good;
    badPortal[9 + 30 + 10 * 3 + 4] = 9;  // length of portal 3
    Level noPortals = GoodLevel();
    noPortals.portalCount = 0;
    Level extraPortal = GoodLevel();
    extraPortal.portals[6] = Portal{1, 2, 3, 4, 5};
    extraPortal.portalCount = 7;
    Level startOutside = GoodLevel();
    startOutside.startX = 4;

    const struct {
        const char* what;
        Bytes bytes;
        Lines expected;
    } cases[] = {
        {"good", good, {}},
        {"empty", {}, {"truncated: 0 bytes, the header needs 9"}},
        {"old version", oldVersion, {"version 1, expected 2"}},
        {"trailing bytes", trailing, {"3 trailing bytes after the portals"}},
        {"257 sectors", tooMany, {"257 sectors, more than 256"}},
        {"cut in the sectors", Prefix(good, 20), {"truncated: 20 bytes, 3 sectors and 6 portals need 99"}},
        {"cut in the portals", Prefix(good, 98), {"truncated: 98 bytes, 3 sectors and 6 portals need 99"}},
        {"empty rectangle", WithExtraSector(MakeSector(10, 10, 10, 12)), {"sector 3: empty rectangle, left 10 top 10 right 10 bottom 12"}},
        {"upside-down rectangle", WithExtraSector(MakeSector(10, 12, 11, 10)), {"sector 3: empty rectangle, left 10 top 12 right 11 bottom 10"}},
        {"floor above ceiling", WithExtraSector(MakeSector(10, 10, 11, 11, 200, 100)), {"sector 3: floor 200 above ceiling 100"}},
        {"floor level with ceiling", WithExtraSector(MakeSector(10, 10, 11, 11, 50, 50)), {}},
        {"intersecting", WithExtraSector(MakeSector(1, 1, 3, 2)), {"sectors 0 and 3 intersect", "sectors 1 and 3 intersect"}},
        {"intersecting in neighbouring slots", WithExtraSector(MakeSector(1, 2, 3, 3)), {"sectors 2 and 3 intersect"}},
        {"no sectors, as a new level saves", SerializeToBytes(NewLevel()), {}},
        {"start outside", SerializeToBytes(startOutside), {"start cell (4, 1) lies in no sector"}},
        {"a stored portal altered", badPortal, {"stored portals differ from the derived ones: 6 stored, 6 derived, first at portal 3: "
                                                "stored {0, 0, 9, 2, 2}, derived {0, 0, 2, 2, 2}"}},
        {"no stored portals", SerializeToBytes(noPortals), {"stored portals differ from the derived ones: 0 stored, 6 derived, first at portal 0: "
                                                            "stored none, derived {2, 0, 2, 0, 1}"}},
        {"one stored portal too many", SerializeToBytes(extraPortal), {"stored portals differ from the derived ones: 7 stored, 6 derived, first at portal 6: "
                                                                       "stored {1, 2, 3, 4, 5}, derived none"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Check(c.bytes)) << c.what;
}

TEST(LevelCheck, SeveralProblemsComeInAFixedOrder)
{
    Level level = GoodLevel();
    level.version = 3;
    level.sectors[1].floorHeight = 255;
    level.sectors[1].ceilingHeight = 0;
    level.startY = 9;
    level.portals[0].twin = 4;
    Bytes bytes = SerializeToBytes(level);
    bytes.push_back(1);
    EXPECT_EQ((Lines{"version 3, expected 2", "1 trailing byte after the portals",
                     "sector 1: floor 255 above ceiling 0", "start cell (1, 9) lies in no sector",
                     "stored portals differ from the derived ones: 6 stored, 6 derived, first at portal 0: "
                     "stored {2, 0, 2, 0, 4}, derived {2, 0, 2, 0, 1}"}),
              Check(bytes));
}

TEST(LevelCheck, EveryCutOfAGoodFileIsReportedTruncated)
{
    const Bytes good = SerializeToBytes(GoodLevel());
    for (size_t n = 0; n < good.size(); n++) {
        Lines lines = Check(Prefix(good, n));
        ASSERT_EQ(1u, lines.size()) << "cut at " << n;
        EXPECT_EQ(0u, lines[0].find("truncated: " + std::to_string(n) + " bytes")) << "cut at " << n << ": " << lines[0];
    }
}

// The editor saves such a level after a warning; the check names it too.
TEST(LevelCheck, SharedEdgesBeyondThePortalTable)
{
    Level level;
    FillBrickLayout(&level, MAX_SECTORS);
    level.startX = 1;
    level.startY = 1;
    int leftOut = BuildPortals(&level);
    ASSERT_GT(leftOut, 1);
    EXPECT_EQ(Lines{std::to_string(leftOut) + " shared edges do not fit the portal table"}, Check(SerializeToBytes(level)))
        << "the stored table is the capped one the builder derives";

    // Just one edge over: the bricks whose last sector adds one edge too many.
    for (int count = MAX_SECTORS; count > 0; count--) {
        FillBrickLayout(&level, count);
        level.startX = 1;
        level.startY = 1;
        if (BuildPortals(&level) == 1)
            break;
    }
    ASSERT_EQ(1, BuildPortals(&level)) << "no brick layout leaves exactly one edge out";
    EXPECT_EQ(Lines{"1 shared edge does not fit the portal table"}, Check(SerializeToBytes(level)));
}

TEST(LevelCheck, RandomBytesNeverUpsetIt)
{
    std::mt19937 random(99);
    const Bytes good = SerializeToBytes(GoodLevel());
    for (int round = 0; round < 2000; round++) {
        Bytes bytes;
        if (round % 2) {
            bytes.resize(random() % 200);
            for (unsigned char& b : bytes)
                b = static_cast<unsigned char>(random());
        } else {
            bytes = good;  // a good file with a few bytes changed
            for (int k = 0; k < 3; k++)
                bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
        }
        for (const std::string& line : Check(bytes)) {
            ASSERT_FALSE(line.empty()) << HexBytes(bytes);
            ASSERT_EQ(std::string::npos, line.find('\n')) << line;
        }
    }
}
