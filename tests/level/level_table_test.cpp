#include <gtest/gtest.h>

#include "level.h"

TEST(LevelTable, FreshLevelHasNoSectors)
{
    Level level = NewLevel();
    EXPECT_EQ(2, level.version);
    EXPECT_EQ(NO_SECTOR, FindSectorAt(&level, 0, 0));
    FreeLevel(&level);
}
