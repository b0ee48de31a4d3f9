// The portal builder: the worked examples, sides that the neighbour's side
// encloses, touches of no length, the 512-edge cap, and random layouts
// checked against a plain count of the sectors that touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>

#include "level.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

struct Touch {
    bool shares;
    int x0, y0;  // start corner of the shared edge
    int length;
};

// Whether two sectors share an edge of positive length, worked out without
// the builder: one ends exactly where the other begins and the two ranges
// along that line overlap.
Touch FindTouch(const Sector& a, const Sector& b)
{
    Touch t = {false, 0, 0, 0};
    if (a.right == b.left || a.left == b.right) {
        int from = std::max(a.top, b.top), to = std::min(a.bottom, b.bottom);
        if (from < to && a.left < a.right && b.left < b.right)
            t = {true, a.right == b.left ? a.right : a.left, from, to - from};
    } else if (a.bottom == b.top || a.top == b.bottom) {
        int from = std::max(a.left, b.left), to = std::min(a.right, b.right);
        if (from < to && a.top < a.bottom && b.top < b.bottom)
            t = {true, from, a.bottom == b.top ? a.bottom : a.top, to - from};
    }
    return t;
}

int CountTouchingPairs(const Level& level)
{
    int count = 0;
    for (int i = 0; i < level.sectorCount; i++)
        for (int j = i + 1; j < level.sectorCount; j++)
            count += FindTouch(level.sectors[i], level.sectors[j]).shares;
    return count;
}

// Checks every portal pair against the sectors: twins, owners in slot
// order, the edge start and length, no pair twice, pairs in slot order.
// Empty when all hold.
std::string CheckPortalPairs(const Level& level)
{
    std::set<std::pair<int, int>> seen;
    std::pair<int, int> previous(-1, -1);
    if (level.portalCount % 2 != 0)
        return "odd portal count " + std::to_string(level.portalCount);
    for (int k = 0; k < level.portalCount; k += 2) {
        const Portal& a = level.portals[k];
        const Portal& b = level.portals[k + 1];
        std::string where = "pair at " + std::to_string(k) + " " + DescribePortal(a) + " " + DescribePortal(b);
        if (a.twin != k + 1 || b.twin != k)
            return where + ": twins do not point at each other";
        if (a.sector >= b.sector || b.sector >= level.sectorCount)
            return where + ": expected the lower slot first";
        const Sector& sa = level.sectors[a.sector];
        const Sector& sb = level.sectors[b.sector];
        Touch t = FindTouch(sa, sb);
        if (!t.shares)
            return where + ": the sectors share no edge";
        if (a.offsetX != t.x0 - sa.left || a.offsetY != t.y0 - sa.top || b.offsetX != t.x0 - sb.left ||
            b.offsetY != t.y0 - sb.top || a.length != t.length || b.length != t.length)
            return where + ": expected the edge at (" + std::to_string(t.x0) + ", " + std::to_string(t.y0) +
                   ") of length " + std::to_string(t.length);
        std::pair<int, int> key(a.sector, b.sector);
        if (!seen.insert(key).second)
            return where + ": the same pair twice";
        if (key < previous)
            return where + ": pairs out of slot order";
        previous = key;
    }
    return "";
}

Level MakeLevel(std::initializer_list<Sector> sectors)
{
    Level level = NewLevel();
    for (const Sector& s : sectors)
        level.sectors[level.sectorCount++] = s;
    return level;
}

std::string PortalTable(const Level& level)
{
    std::string text;
    for (int i = 0; i < level.portalCount; i++)
        text += (i ? " " : "") + DescribePortal(level.portals[i]);
    return text;
}

}  // namespace

TEST(PortalBuilder, NoSectorsOrOneSectorGiveNoPortals)
{
    Level level = NewLevel();
    level.portalCount = 7;  // a stale count from before
    EXPECT_EQ(0, BuildPortals(&level));
    EXPECT_EQ(0, level.portalCount);
    level = MakeLevel({MakeSector(0, 0, 5, 5)});
    EXPECT_EQ(0, BuildPortals(&level));
    EXPECT_EQ(0, level.portalCount);
}

TEST(PortalBuilder, TwoCellsSideBySide)
{
    Level level = MakeLevel({MakeSector(0, 0, 1, 1), MakeSector(1, 0, 2, 1)});
    EXPECT_EQ(0, BuildPortals(&level));
    EXPECT_EQ("{1, 0, 1, 0, 1} {0, 0, 1, 1, 0}", PortalTable(level));
}

TEST(PortalBuilder, WideAboveNarrowFromTheWideSide)
{
    Level level = MakeLevel({MakeSector(0, 0, 4, 2), MakeSector(1, 2, 3, 3)});
    BuildPortals(&level);
    EXPECT_EQ("{1, 2, 2, 0, 1} {0, 0, 2, 1, 0}", PortalTable(level));
}

TEST(PortalBuilder, NarrowInTheLowerSlotIsFoundToo)
{
    Level level = MakeLevel({MakeSector(1, 2, 3, 3), MakeSector(0, 0, 4, 2)});
    BuildPortals(&level);
    EXPECT_EQ("{0, 0, 2, 0, 1} {1, 2, 2, 1, 0}", PortalTable(level));
    // With a third neighbour found first from the narrow slot's side, the
    // narrow-wide pair is still found.
    level = MakeLevel({MakeSector(1, 2, 3, 3), MakeSector(3, 2, 4, 3), MakeSector(0, 0, 4, 2)});
    BuildPortals(&level);
    EXPECT_EQ("{2, 0, 1, 0, 1} {0, 0, 1, 1, 0} {0, 0, 2, 0, 3} {1, 2, 2, 2, 2} {0, 0, 1, 1, 5} {3, 2, 1, 2, 4}",
              PortalTable(level));
}

// A one-cell sector N at (2, 2) and a wide sector W whose side encloses N's
// side, on each of N's four sides, tried in both slot orders.
TEST(PortalBuilder, EnclosedSideIsFoundOnEverySideInBothOrders)
{
    const Sector narrow = MakeSector(2, 2, 3, 3);
    const struct { const char* side; Sector wide; int x0, y0; } cases[] = {
        {"above", MakeSector(0, 0, 5, 2), 2, 2},
        {"right", MakeSector(3, 0, 5, 5), 3, 2},
        {"below", MakeSector(0, 3, 5, 5), 2, 3},
        {"left", MakeSector(0, 0, 2, 5), 2, 2},
    };
    for (const auto& c : cases) {
        for (int narrowFirst = 0; narrowFirst < 2; narrowFirst++) {
            Level level = narrowFirst ? MakeLevel({narrow, c.wide}) : MakeLevel({c.wide, narrow});
            const Sector& a = level.sectors[0];
            const Sector& b = level.sectors[1];
            EXPECT_EQ(0, BuildPortals(&level));
            Portal expectedA = {static_cast<uint16_t>(c.x0 - a.left), static_cast<uint16_t>(c.y0 - a.top), 1, 0, 1};
            Portal expectedB = {static_cast<uint16_t>(c.x0 - b.left), static_cast<uint16_t>(c.y0 - b.top), 1, 1, 0};
            EXPECT_EQ(DescribePortal(expectedA) + " " + DescribePortal(expectedB), PortalTable(level))
                << "wide sector " << c.side << ", " << (narrowFirst ? "narrow" : "wide") << " in slot 0";
        }
    }
}

TEST(PortalBuilder, TouchesOfNoLengthGiveNoPortals)
{
    const Sector s = MakeSector(0, 0, 4, 2);
    const struct { const char* what; Sector other; } cases[] = {
        {"corner below right", MakeSector(4, 2, 6, 4)},
        {"corner above left", MakeSector(-2 & 0xFFFF, 0, 0, 0)},
        {"corner above right", MakeSector(4, 0, 6, 0)},
        {"corner below left", MakeSector(0, 2, 0, 4)},
        {"one-cell corner below right", MakeSector(4, 2, 5, 3)},
        {"overlapping", MakeSector(2, 1, 6, 3)},
        {"inverted below", MakeSector(2, 2, 1, 3)},
        {"inverted right", MakeSector(4, 1, 6, 0)},
        {"zero width below", MakeSector(2, 2, 2, 3)},
        {"zero height right", MakeSector(4, 1, 6, 1)},
        {"a gap of one cell", MakeSector(5, 0, 6, 2)},
        {"identical", MakeSector(0, 0, 4, 2)},
    };
    for (const auto& c : cases) {
        for (int order = 0; order < 2; order++) {
            Level level = order ? MakeLevel({c.other, s}) : MakeLevel({s, c.other});
            EXPECT_EQ(0, BuildPortals(&level));
            EXPECT_EQ("", PortalTable(level)) << c.what << (order ? ", other first" : ", other second");
        }
    }
}

TEST(PortalBuilder, LongestEdgeKeepsItsLength)
{
    Level level = MakeLevel({MakeSector(0, 0, 65535, 1), MakeSector(0, 1, 65535, 2)});
    BuildPortals(&level);
    EXPECT_EQ("{0, 1, 65535, 0, 1} {0, 0, 65535, 1, 0}", PortalTable(level));
}

TEST(PortalBuilder, RebuildGivesTheSameTableAndTouchesNothingElse)
{
    Level level = NewLevel();
    FillBrickLayout(&level, 60);
    SetLevelFileName(&level, "kept.vrk");
    level.startX = 4;
    level.modified = 1;
    BuildPortals(&level);
    std::string first = PortalTable(level);
    LevelSnapshot before = TakeSnapshot(level);
    BuildPortals(&level);
    EXPECT_EQ("", DescribeChange(before, level)) << "a second build must change nothing";
    EXPECT_EQ(first, PortalTable(level));
    EXPECT_EQ("", CheckPortalPairs(level));
    FreeLevel(&level);
}

// Brick rows: every brick touches its row neighbours and two bricks of each
// neighbouring row, far more than 512 edges for 256 bricks. Every count of
// bricks is tried, so the cap is crossed one edge at a time.
TEST(PortalBuilder, CapsAtFiveHundredTwelveEdgesAndCountsTheRest)
{
    for (int count = 1; count <= MAX_SECTORS; count++) {
        Level level;
        FillBrickLayout(&level, count);
        SetLevelFileName(&level, "kept.vrk");
        char* name = level.fileName;
        level.modified = 1;
        int touching = CountTouchingPairs(level);
        int leftOut = BuildPortals(&level);
        int expectedEdges = std::min(touching, static_cast<int>(MAX_SHARED_EDGES));
        ASSERT_EQ(touching - expectedEdges, leftOut) << count << " bricks, " << touching << " touching pairs";
        ASSERT_EQ(2 * expectedEdges, level.portalCount) << count << " bricks";
        // The fields that follow the last portal slot are untouched.
        ASSERT_EQ(name, level.fileName);
        ASSERT_STREQ("kept.vrk", level.fileName);
        ASSERT_EQ(1, level.modified);
        ASSERT_EQ("", CheckPortalPairs(level)) << count << " bricks";
        FreeLevel(&level);
    }
    Level full;
    FillBrickLayout(&full, MAX_SECTORS);
    EXPECT_GT(CountTouchingPairs(full), MAX_SHARED_EDGES) << "the layout must cross the cap";
}

// Random layouts of sectors that never overlap: every touching pair gives
// exactly one pair of portals, from the lower slot's side.
TEST(PortalBuilder, RandomLayoutsFindEverySharedEdgeOnce)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; round++) {
        Level level = NewLevel();
        int attempts = 20 + static_cast<int>(random() % 200);
        for (int k = 0; k < attempts && level.sectorCount < MAX_SECTORS; k++) {
            int left = random() % 14, top = random() % 14;
            Sector s = MakeSector(left, top, left + 1 + random() % 4, top + 1 + random() % 4);
            bool clear = true;
            for (int i = 0; i < level.sectorCount && clear; i++) {
                const Sector& o = level.sectors[i];
                clear = std::max(s.left, o.left) >= std::min(s.right, o.right) ||
                        std::max(s.top, o.top) >= std::min(s.bottom, o.bottom);
            }
            if (clear)
                level.sectors[level.sectorCount++] = s;
        }
        int touching = CountTouchingPairs(level);
        ASSERT_EQ(0, BuildPortals(&level)) << "round " << round;
        ASSERT_EQ(2 * touching, level.portalCount) << "round " << round << ", " << level.sectorCount << " sectors";
        ASSERT_EQ("", CheckPortalPairs(level)) << "round " << round;
    }
}
