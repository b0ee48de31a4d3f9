// Saving never loses the old file: a failure at any step of the save leaves
// it byte for byte, leaves no temporary file, and leaves the level as it was.
#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "file_layer.h"
#include "level.h"
#include "level_file.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

// Turns the injected fault off however the test ends.
struct FaultGuard {
    explicit FaultGuard(FileStep step) { SetFileFault(step); }
    ~FaultGuard() { SetFileFault(FILE_STEP_NONE); }
};

const Bytes OLD_FILE = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                        0x03, 0x00, 0x04, 0x00, 0x04, 0x00, 0x05, 0x00, 0x80, 0x84};

void MakeEditedLevel(Level* level)
{
    FillBrickLayout(level, 20);
    BuildPortals(level);
    SetLevelFileName(level, "remembered.vrk");
    level->modified = 1;
}

}  // namespace

TEST(LevelSave, FailureAtEachStepKeepsTheOldFile)
{
    const struct {
        FileStep step;
        const char* name;
    } steps[] = {
        {FILE_STEP_CREATE, "create"},
        {FILE_STEP_WRITE, "write"},
        {FILE_STEP_FLUSH, "flush"},
        {FILE_STEP_CLOSE, "close"},
        {FILE_STEP_REPLACE, "replace"},
    };
    for (const auto& s : steps) {
        ScratchFolder folder;
        std::string target = folder.Path("level.vrk");
        WriteFileBytes(target, OLD_FILE);
        Level level = NewLevel();
        MakeEditedLevel(&level);
        LevelSnapshot before = TakeSnapshot(level);
        {
            FaultGuard fault(s.step);
            EXPECT_EQ(-1, SaveLevel(&level, target.c_str())) << "failed " << s.name;
        }
        EXPECT_EQ(HexBytes(OLD_FILE), HexBytes(ReadFileBytes(target))) << "failed " << s.name;
        EXPECT_EQ(std::vector<std::string>{"level.vrk"}, folder.Names()) << "failed " << s.name;
        EXPECT_EQ("", DescribeChange(before, level)) << "failed " << s.name;

        // The same save with nothing failing goes through.
        ASSERT_EQ(0, SaveLevel(&level, target.c_str())) << "after failed " << s.name;
        EXPECT_EQ(LevelFileSize(&level), ReadFileBytes(target).size());
        EXPECT_EQ(std::vector<std::string>{"level.vrk"}, folder.Names());
        EXPECT_STREQ(target.c_str(), level.fileName);
        EXPECT_EQ(0, level.modified);
        FreeLevel(&level);
    }
}

TEST(LevelSave, FailedFirstSaveCreatesNothing)
{
    for (FileStep step : {FILE_STEP_CREATE, FILE_STEP_WRITE, FILE_STEP_FLUSH, FILE_STEP_CLOSE, FILE_STEP_REPLACE}) {
        ScratchFolder folder;
        Level level = NewLevel();
        FaultGuard fault(step);
        EXPECT_EQ(-1, SaveLevel(&level, folder.Path("new.vrk").c_str())) << "step " << step;
        EXPECT_EQ(std::vector<std::string>{}, folder.Names()) << "step " << step;
        EXPECT_EQ(nullptr, level.fileName);
    }
}

TEST(LevelSave, SaveIntoMissingFolderFails)
{
    ScratchFolder folder;
    Level level = NewLevel();
    MakeEditedLevel(&level);
    LevelSnapshot before = TakeSnapshot(level);
    EXPECT_EQ(-1, SaveLevel(&level, folder.Path("no such folder/level.vrk").c_str()));
    EXPECT_EQ("", DescribeChange(before, level));
    EXPECT_EQ(std::vector<std::string>{}, folder.Names());
    FreeLevel(&level);
}

TEST(LevelSave, FolderOrFifoInTheWayIsNotReplaced)
{
    ScratchFolder folder;
    std::string target = folder.Path("level.vrk");
    ASSERT_TRUE(std::filesystem::create_directory(target));
    WriteFileBytes(folder.Path("level.vrk/inside.txt"), Bytes{7});
    std::vector<std::string> targets = {target};
    std::vector<std::string> names = {"level.vrk"};
#ifndef _WIN32
    ASSERT_EQ(0, mkfifo(folder.Path("pipe.vrk").c_str(), 0644));
    targets.push_back(folder.Path("pipe.vrk"));
    names.push_back("pipe.vrk");
#endif
    for (const std::string& path : targets) {
        Level level = NewLevel();
        MakeEditedLevel(&level);
        LevelSnapshot before = TakeSnapshot(level);
        EXPECT_EQ(-1, SaveLevel(&level, path.c_str())) << path;
        EXPECT_EQ("", DescribeChange(before, level)) << path;
        FreeLevel(&level);
    }
    EXPECT_EQ(names, folder.Names()) << "no temporary file is left";
    EXPECT_EQ("07", HexBytes(ReadFileBytes(folder.Path("level.vrk/inside.txt"))));
#ifndef _WIN32
    struct stat info;
    ASSERT_EQ(0, lstat(folder.Path("pipe.vrk").c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO must stay a FIFO, mode " << std::oct << info.st_mode;
#endif
}

TEST(LevelSave, ShorterLevelReplacesLongerFileWhole)
{
    ScratchFolder folder;
    std::string target = folder.Path("level.vrk");
    WriteFileBytes(target, Bytes(5000, 0xAB));
    Level level = NewLevel();
    ASSERT_EQ(0, SaveLevel(&level, target.c_str()));
    EXPECT_EQ("02 00 00 00 00 00 00 00 00", HexBytes(ReadFileBytes(target)));
    FreeLevel(&level);
}

TEST(LevelSave, LeftoverFileOfAnotherSaveIsNotTouched)
{
    // A file with the name a save would first pick for its new file.
    ScratchFolder folder;
    std::string target = folder.Path("level.vrk");
    WriteFileBytes(target, OLD_FILE);
    WriteFileBytes(target + ".~qm0", Bytes{1, 2, 3});
    Level level = NewLevel();
    ASSERT_EQ(0, SaveLevel(&level, target.c_str()));
    EXPECT_EQ("02 00 00 00 00 00 00 00 00", HexBytes(ReadFileBytes(target)));
    EXPECT_EQ("01 02 03", HexBytes(ReadFileBytes(target + ".~qm0")));
    EXPECT_EQ((std::vector<std::string>{"level.vrk", "level.vrk.~qm0"}), folder.Names());
    FreeLevel(&level);
}

TEST(LevelSave, SavingUnderItsOwnRememberedName)
{
    ScratchFolder folder;
    std::string target = folder.Path("level.vrk");
    Level level = NewLevel();
    ASSERT_EQ(0, SaveLevel(&level, target.c_str()));
    Sector s = MakeSector(3, 4, 4, 5);
    AddSector(&level, &s);
    ASSERT_EQ(0, SaveLevel(&level, level.fileName));
    EXPECT_STREQ(target.c_str(), level.fileName);
    EXPECT_EQ(19u, ReadFileBytes(target).size());
    FreeLevel(&level);
}

// People protect levels with chmod a-w or the read-only attribute; a save
// refuses them on every system, for root as for anyone.
TEST(LevelSave, ReadOnlyTargetIsKept)
{
    namespace fs = std::filesystem;
    ScratchFolder folder;
    std::string target = folder.Path("level.vrk");
    WriteFileBytes(target, OLD_FILE);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Level level = NewLevel();
    MakeEditedLevel(&level);
    LevelSnapshot before = TakeSnapshot(level);
    EXPECT_EQ(-1, SaveLevel(&level, target.c_str()));
    EXPECT_EQ(HexBytes(OLD_FILE), HexBytes(ReadFileBytes(target)));
    EXPECT_EQ("", DescribeChange(before, level));
    EXPECT_EQ(std::vector<std::string>{"level.vrk"}, folder.Names());
    FreeLevel(&level);
}

// A save replaces the name it was given; other names of the same file keep
// the old level, which is never overwritten in place.
TEST(LevelSave, OtherHardLinksKeepTheOldLevel)
{
    ScratchFolder folder;
    std::string target = folder.Path("level.vrk");
    WriteFileBytes(target, OLD_FILE);
    std::filesystem::create_hard_link(target, folder.Path("other.vrk"));
    Level level = NewLevel();
    ASSERT_EQ(0, SaveLevel(&level, target.c_str()));
    EXPECT_EQ("02 00 00 00 00 00 00 00 00", HexBytes(ReadFileBytes(target)));
    EXPECT_EQ(HexBytes(OLD_FILE), HexBytes(ReadFileBytes(folder.Path("other.vrk"))));
    FreeLevel(&level);
}

namespace {

#ifdef _WIN32
// Wine keeps a symbolic link as a Unix link, which its own call does not
// make (it makes nothing): the Unix ln makes it, started by its Unix path.
// It starts without a handle to wait on, so the link is waited for.
void MakeSymbolicLink(const std::string& target, const std::string& link)
{
    typedef char*(CDECL * UnixNameFunction)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return std::filesystem::create_symlink(target, link);
    auto unixForm = [&](const std::string& path) {
        char* name = unixName(std::wstring(path.begin(), path.end()).c_str());
        std::string form = path.size() > 1 && path[1] == ':' && name ? name : path;
        HeapFree(GetProcessHeap(), 0, name);
        return form;
    };
    std::string text = "/bin/ln -s \"" + unixForm(target) + "\" \"" + unixForm(link) + "\"";
    std::wstring command(text.begin(), text.end());
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    for (int poll = 0; poll < 400 && !FileExists(link); poll++)
        Sleep(50);
    ASSERT_TRUE(FileExists(link)) << "no link made by " << text;
}
#else
void MakeSymbolicLink(const std::string& target, const std::string& link)
{
    std::filesystem::create_symlink(target, link);
}
#endif

}  // namespace

// A link to a level, even through another link, stays a link: the level it
// points at gets the new contents, and the new file is made beside it.
TEST(LevelSave, SymbolicLinkIsWrittenThrough)
{
    ScratchFolder links;
    ScratchFolder levels;
    WriteFileBytes(levels.Path("real.vrk"), OLD_FILE);
    MakeSymbolicLink("real.vrk", levels.Path("near.vrk"));
    std::string link = links.Path("link.vrk");
    MakeSymbolicLink(levels.Path("near.vrk"), link);
    Level level = NewLevel();
    MakeEditedLevel(&level);
    ASSERT_EQ(0, SaveLevel(&level, link.c_str()));
    EXPECT_EQ(LevelFileSize(&level), ReadFileBytes(levels.Path("real.vrk")).size());
    // A link reads what the level holds now; a plain file put in its place would not.
    WriteFileBytes(levels.Path("real.vrk"), OLD_FILE);
    EXPECT_EQ(HexBytes(OLD_FILE), HexBytes(ReadFileBytes(link))) << "the link was replaced by a file";
    EXPECT_EQ(HexBytes(OLD_FILE), HexBytes(ReadFileBytes(levels.Path("near.vrk"))))
        << "the inner link was replaced by a file";
    EXPECT_EQ(std::vector<std::string>{"link.vrk"}, links.Names());
    EXPECT_EQ((std::vector<std::string>{"near.vrk", "real.vrk"}), levels.Names());
    EXPECT_STREQ(link.c_str(), level.fileName) << "the name the user gave is remembered";
    FreeLevel(&level);
}
