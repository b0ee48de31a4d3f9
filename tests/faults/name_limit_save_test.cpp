// A level whose name is as long as the system allows still saves: the new
// file written beside it must not need a longer name than the level's own.
// Natively the limit is 255 characters per name; under Wine the whole path
// may have 259.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "files.h"
#include "level.h"
#include "level_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#endif

namespace {

// The longest name for a file in the folder.
size_t LongestName(const ScratchFolder& folder)
{
#ifdef _WIN32
    return MAX_PATH - 1 - (folder.Root().size() + 1);
#else
    (void)folder;  // one limit per name, wherever it is
    return NAME_MAX;
#endif
}

}  // namespace

TEST(NameLimits, LevelWithTheLongestNameSavesAndSavesAgain)
{
    ScratchFolder folder;
    ASSERT_FALSE(folder.Root().empty()) << "cannot make a folder";
    for (size_t length : {LongestName(folder), LongestName(folder) - 3, size_t(5)}) {
        std::string name = std::string(length - 4, 'n') + ".vrk";
        std::string path = folder.Path(name);
        Level level = NewLevel();
        Sector room = {1, 2, 3, 4, 10, 20};
        ASSERT_NE(AddSector(&level, &room), NO_SECTOR);
        EXPECT_EQ(SaveLevel(&level, path.c_str()), 0) << "first save of a name of " << length << " characters";
        EXPECT_EQ(ReadFileBytes(path).size(), 19u) << "size after the first save, name of " << length;
        ASSERT_NE(AddSector(&level, &room), NO_SECTOR);
        EXPECT_EQ(SaveLevel(&level, path.c_str()), 0) << "save over it, name of " << length << " characters";
        EXPECT_EQ(ReadFileBytes(path).size(), 29u) << "size after the second save, name of " << length;
        EXPECT_EQ(remove(path.c_str()), 0) << "the level was not there to remove, name of " << length;
        FreeLevel(&level);
    }
    // Nothing else was left beside the levels.
    EXPECT_EQ(folder.Names(), std::vector<std::string>()) << "files left beside the levels";
}

#ifdef _WIN32
// At the top of a drive a name can reach its own limit of 255 characters
// while the whole path is still short of MAX_PATH; the new file's name
// must then be shortened for that limit too.
TEST(NameLimits, LongNamesAtTheTopOfADriveSave)
{
    std::string prefix = "qm" + std::to_string(GetCurrentProcessId()) + "-";
    for (size_t length = 250; length <= 255; length++) {
        std::string name = prefix + std::string(length - prefix.size() - 4, 'n') + ".vrk";
        std::string path = "C:\\" + name;
        Level level = NewLevel();
        Sector room = {1, 2, 3, 4, 10, 20};
        ASSERT_NE(AddSector(&level, &room), NO_SECTOR);
        EXPECT_EQ(SaveLevel(&level, path.c_str()), 0) << "save of a name of " << length << " characters";
        EXPECT_EQ(ReadFileBytes(path).size(), 19u) << "size after the save, name of " << length;
        remove(path.c_str());
        FreeLevel(&level);
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(("C:\\" + prefix + "*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left at the top of the drive: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
#endif
