// Saves the system refuses, each provoked for real under Wine while the
// editor runs: a read-only target, a vanished folder, a target another
// program holds open without sharing. In each the error box shows, the old
// file stays byte-identical, nothing is left beside it, the editor keeps
// the level, its path, the modified flag and the title, and a later save
// to a good place succeeds.
#include "save_fault_fixture.h"

#include "resource.h"

namespace {

// Two sectors away from the edit's cell, heights the editor never picks.
const Bytes ORIGINAL_LEVEL = MakeLevelFile(3, 4, {{3, 4, 4, 5, 10, 20}, {0, 0, 2, 1, 30, 40}});

}  // namespace

class SaveFaults : public SaveFaultTest {};

TEST_F(SaveFaults, ReadOnlyTargetIsKeptAndSaveAsRescuesTheLevel)
{
    std::string path = PathOf("locked.vrk");
    StartEditingFile(path, ORIGINAL_LEVEL);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << "cannot mark " << path << " read-only";

    ExpectSaveRefused(true);
    ExpectNothingLost(path, ORIGINAL_LEVEL, "locked.vrk");
    // The path was kept: the next Save goes to it again, without a dialog.
    ExpectSaveRefused(false);
    ExpectSameBytes(path, ORIGINAL_LEVEL);

    ExpectSaveAsSucceeds(ORIGINAL_LEVEL);
    ExpectSameBytes(path, ORIGINAL_LEVEL);
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "the file lost its read-only mark";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SaveFaults, MissingFolderCreatesNothingAndSaveAsRescuesTheLevel)
{
    std::string folder = PathOf("maps");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << "cannot create " << folder;
    std::string path = folder + "\\hall.vrk";
    StartEditingFile(path, ORIGINAL_LEVEL);
    // The folder goes away while the level is open (moved aside whole).
    std::string moved = PathOf("maps-moved");
    ASSERT_TRUE(MoveFileA(folder.c_str(), moved.c_str())) << "cannot move " << folder << " away";

    ExpectSaveRefused(false);
    EXPECT_FALSE(FileExists(folder)) << "the save made the missing folder " << folder;
    ExpectNothingLost(moved + "\\hall.vrk", ORIGINAL_LEVEL, "hall.vrk");

    ExpectSaveAsSucceeds(ORIGINAL_LEVEL);
    ExpectSameBytes(moved + "\\hall.vrk", ORIGINAL_LEVEL);
}

TEST_F(SaveFaults, TargetHeldOpenWithoutSharingIsKeptAndSaveSucceedsOnceReleased)
{
    std::string path = PathOf("busy.vrk");
    StartEditingFile(path, ORIGINAL_LEVEL);
    // This test program is the other program: it holds the file open and
    // shares it with no one, as an engine reading the level might.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "cannot open " << path;

    ExpectSaveRefused(true);
    CloseHandle(held);
    ExpectNothingLost(path, ORIGINAL_LEVEL, "busy.vrk");

    // Released, the same file takes the save: the editor kept its path and level.
    ASSERT_TRUE(TypeChordInto(editor_.window, {VK_CONTROL, 'S'})) << "Ctrl+S could not be typed";
    ExpectTitle("busy.vrk", false);
    ExpectNoDialog();
    ExpectSameBytes(path, EditedLevel(ORIGINAL_LEVEL));
    EXPECT_EQ(ListFolder(folder_, true).size(), 1u) << "files beside the level after the good save";
}
