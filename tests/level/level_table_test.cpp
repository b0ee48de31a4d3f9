// The sector table: a fresh level, the hit test, the corner overlap test,
// appending sectors and placing the start cell.
#include <gtest/gtest.h>

#include <string.h>

#include "level.h"
#include "level_test_support.h"

TEST(LevelTable, FreshLevelIsEmptyVersionTwo)
{
    Level level = NewLevel();
    EXPECT_EQ(2, level.version);
    EXPECT_EQ(0, level.startX);
    EXPECT_EQ(0, level.startY);
    EXPECT_EQ(0, level.sectorCount);
    EXPECT_EQ(0, level.portalCount);
    EXPECT_EQ(nullptr, level.fileName);
    EXPECT_EQ(0, level.modified);
    const int probes[][2] = {{0, 0}, {1, 1}, {-1, -1}, {65535, 65535}, {255, 3}};
    for (const auto& probe : probes)
        EXPECT_EQ(NO_SECTOR, FindSectorAt(&level, probe[0], probe[1])) << "cell " << probe[0] << "," << probe[1];
    const Sector rects[] = {MakeSector(0, 0, 1, 1), MakeSector(0, 0, 65535, 65535), MakeSector(5, 5, 2, 2)};
    for (const Sector& r : rects)
        EXPECT_FALSE(SectorOverlaps(&level, &r)) << DescribeSector(r);
    FreeLevel(&level);
}

TEST(LevelTable, FileNameIsAnOwnedCopy)
{
    Level level = NewLevel();
    char path[] = "first.vrk";
    ASSERT_EQ(0, SetLevelFileName(&level, path));
    path[0] = 'X';  // the level keeps its own copy
    EXPECT_STREQ("first.vrk", level.fileName);
    ASSERT_EQ(0, SetLevelFileName(&level, "a much longer second name.vrk"));
    EXPECT_STREQ("a much longer second name.vrk", level.fileName);
    // Setting the name from the level's own name must not read freed memory.
    ASSERT_EQ(0, SetLevelFileName(&level, level.fileName));
    EXPECT_STREQ("a much longer second name.vrk", level.fileName);
    FreeLevel(&level);
    EXPECT_EQ(nullptr, level.fileName);
    FreeLevel(&level);  // a second release is harmless
}

TEST(LevelTable, FindSectorAtUsesHalfOpenRectangles)
{
    Level level = NewLevel();
    Sector s = MakeSector(2, 3, 5, 7);
    AddSector(&level, &s);
    // clang-format off
    struct Case { int column, row, expected; } cases[] = {
        {2, 3, 0}, {4, 6, 0}, {3, 5, 0},           // inside, both corners
        {5, 3, NO_SECTOR}, {2, 7, NO_SECTOR},      // right and bottom are exclusive
        {1, 3, NO_SECTOR}, {2, 2, NO_SECTOR},      // just left of, just above
        {-1, 3, NO_SECTOR}, {2, -1, NO_SECTOR},    // negatives match nothing
        {2 - 65536, 3, NO_SECTOR},                 // no wrap to 16 bits
        {65536 + 2, 3, NO_SECTOR},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, FindSectorAt(&level, c.column, c.row)) << "cell " << c.column << "," << c.row;
}

TEST(LevelTable, FindSectorAtReturnsLowestSlotWhereSectorsOverlap)
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(0, 0, 4, 4);
    level.sectors[1] = MakeSector(2, 2, 6, 6);
    level.sectors[2] = MakeSector(2, 2, 3, 3);
    level.sectorCount = 3;
    EXPECT_EQ(0, FindSectorAt(&level, 2, 2));
    EXPECT_EQ(0, FindSectorAt(&level, 3, 3));
    EXPECT_EQ(1, FindSectorAt(&level, 4, 4));
    EXPECT_EQ(1, FindSectorAt(&level, 5, 2));
    // Slots beyond the count are never looked at.
    level.sectors[3] = MakeSector(10, 10, 11, 11);
    EXPECT_EQ(NO_SECTOR, FindSectorAt(&level, 10, 10));
}

TEST(LevelTable, FindSectorAtOnTheLargestCoordinates)
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(65534, 65534, 65535, 65535);
    level.sectorCount = 1;
    EXPECT_EQ(0, FindSectorAt(&level, 65534, 65534));
    EXPECT_EQ(NO_SECTOR, FindSectorAt(&level, 65535, 65535));
}

// One existing sector [4, 7) x [4, 7) and a rectangle placed around it.
struct OverlapCase {
    const char* what;
    Sector rect;
    bool collides;
};

TEST(SectorOverlaps, CornerTestAgainstOneSector)
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(4, 4, 7, 7);
    level.sectorCount = 1;
    const OverlapCase cases[] = {
        {"one cell right beside", MakeSector(7, 5, 8, 6), false},
        {"one cell left beside", MakeSector(3, 5, 4, 6), false},
        {"one cell directly above", MakeSector(5, 3, 6, 4), false},
        {"one cell directly below", MakeSector(5, 7, 6, 8), false},
        {"touching the bottom-right corner", MakeSector(7, 7, 8, 8), false},
        {"touching the top-left corner", MakeSector(3, 3, 4, 4), false},
        {"a long bar along the right side", MakeSector(7, 0, 9, 12), false},
        {"top-left cell inside", MakeSector(6, 6, 9, 9), true},
        {"bottom-right cell inside", MakeSector(1, 1, 5, 5), true},
        {"bottom-right cell in its last column and row", MakeSector(1, 1, 7, 7), true},
        {"same rectangle", MakeSector(4, 4, 7, 7), true},
        {"encloses it wholly", MakeSector(3, 3, 8, 8), false},
        {"top-right cell inside only", MakeSector(1, 6, 5, 9), false},
        {"bottom-left cell inside only", MakeSector(6, 1, 9, 5), false},
        {"a bar crossing it", MakeSector(0, 5, 10, 6), false},
    };
    for (const OverlapCase& c : cases)
        EXPECT_EQ(c.collides, SectorOverlaps(&level, &c.rect)) << c.what << " " << DescribeSector(c.rect);
}

TEST(SectorOverlaps, EveryCellInsideCollides)
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(4, 4, 7, 7);
    level.sectorCount = 1;
    for (int y = 2; y < 9; y++) {
        for (int x = 2; x < 9; x++) {
            Sector cell = MakeSector(x, y, x + 1, y + 1);
            bool inside = x >= 4 && x < 7 && y >= 4 && y < 7;
            EXPECT_EQ(inside, SectorOverlaps(&level, &cell)) << "one cell at " << x << "," << y;
        }
    }
}

TEST(SectorOverlaps, SkipsItsOwnSlotButNotAnEqualCopy)
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(0, 0, 4, 4);
    level.sectors[1] = MakeSector(10, 0, 12, 2);
    level.sectorCount = 2;
    // Slot 1 grown over its own old extent: no collision with itself.
    level.sectors[1].right = 14;
    EXPECT_FALSE(SectorOverlaps(&level, &level.sectors[1]));
    Sector copy = level.sectors[1];
    EXPECT_TRUE(SectorOverlaps(&level, &copy)) << "a copy is compared by identity, not value";
    // Slot 1 stretched so its bottom-right cell enters slot 0.
    level.sectors[1] = MakeSector(3, 3, 5, 5);
    EXPECT_TRUE(SectorOverlaps(&level, &level.sectors[1]));
    // A slot beyond the count is not part of the table.
    level.sectors[2] = MakeSector(20, 20, 21, 21);
    Sector probe = MakeSector(20, 20, 21, 21);
    EXPECT_FALSE(SectorOverlaps(&level, &probe));
}

TEST(LevelTable, AddSectorAppendsAndMarksModified)
{
    Level level = NewLevel();
    Sector first = MakeSector(3, 4, 4, 5);
    EXPECT_EQ(0, AddSector(&level, &first));
    EXPECT_EQ(1, level.modified);
    Sector second = MakeSector(4, 4, 6, 5, 10, 20);
    EXPECT_EQ(1, AddSector(&level, &second));
    EXPECT_EQ(2, level.sectorCount);
    EXPECT_EQ(DescribeSector(first), DescribeSector(level.sectors[0]));
    EXPECT_EQ(DescribeSector(second), DescribeSector(level.sectors[1]));
}

TEST(LevelTable, AddSectorRefusesThe257th)
{
    Level level = NewLevel();
    for (int i = 0; i < MAX_SECTORS; i++) {
        Sector s = MakeSector(i, 0, i + 1, 1);
        ASSERT_EQ(i, AddSector(&level, &s));
    }
    level.modified = 0;
    LevelSnapshot before = TakeSnapshot(level);
    Sector extra = MakeSector(300, 0, 301, 1);
    EXPECT_EQ(NO_SECTOR, AddSector(&level, &extra));
    // The whole record is compared, so a write one slot past the sector
    // table, into the first portal slot, shows too.
    EXPECT_EQ("", DescribeChange(before, level)) << "a refused sector must change nothing";
}

TEST(LevelTable, SetStartCellTruncatesTowardZero)
{
    // clang-format off
    struct Case { int x, y, column, row; } cases[] = {
        {0, 0, 0, 0}, {15, 15, 0, 0}, {16, 31, 1, 1}, {100, 200, 6, 12},
        {-1, -15, 0, 0},            // -1/16 truncates to 0, not -1
        {-16, -17, 65535, 65535},  // -1 stored in 16 bits
        {32767, 32767, 2047, 2047},
        {-32768, 0, 63488, 0},     // -2048 stored in 16 bits
    };
    // clang-format on
    for (const Case& c : cases) {
        Level level = NewLevel();
        SetStartCell(&level, PackPosition(c.x, c.y));
        EXPECT_EQ(c.column, level.startX) << "pixel x " << c.x;
        EXPECT_EQ(c.row, level.startY) << "pixel y " << c.y;
        EXPECT_EQ(1, level.modified);
    }
}

TEST(LevelTable, PackedPositionHalvesAreSigned)
{
    EXPECT_EQ(-1, PackedX(0x0000FFFFu));
    EXPECT_EQ(0, PackedY(0x0000FFFFu));
    EXPECT_EQ(-32768, PackedY(0x80000000u));
    EXPECT_EQ(32767, PackedX(0x00007FFFu));
    EXPECT_EQ(0xFFF0000Au, PackPosition(10, -16));
    EXPECT_EQ(-16, PackedY(PackPosition(10, -16)));
}
