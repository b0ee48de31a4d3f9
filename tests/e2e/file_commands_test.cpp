// File, New / Open / Save / Save As through the menu, with the file dialogs
// filled in, confirmed and cancelled, and the files checked byte for byte.
#include "editor_fixture.h"

#include <algorithm>

#include "resource.h"

class FileCommands : public EditorTest {};

// One default sector at cell (2, 3), start cell (0, 0), no portals.
static const Bytes kOneSectorAt2x3 = MakeLevelFile(0, 0, {{2, 3, 3, 4, 128, 132}});

TEST_F(FileCommands, SaveOnNewLevelAsksForNameAddsExtensionAndWrites)
{
    Start();
    AddSectorAt(2, 3);
    ExpectTitle("[Untitled]", true);

    PostCommand(editor_.window, IDM_FILE_SAVE);
    ChooseInFileDialog(PathOf("hall"));
    ExpectTitle("hall.vrk", false);
    ExpectFileBytes(PathOf("hall.vrk"), kOneSectorAt2x3);
    EXPECT_FALSE(FileExists(PathOf("hall"))) << "a file without the extension was written";
}

TEST_F(FileCommands, FreshLevelSavedAtOnceIsNineBytes)
{
    Start();
    SaveThroughDialog(IDM_FILE_SAVE_AS, "empty.vrk");
    ExpectFileBytes(PathOf("empty.vrk"), kEmptyLevelFile);
}

TEST_F(FileCommands, SaveOnLoadedLevelWritesBackWithoutDialog)
{
    StartWithFile("room.vrk", MakeLevelFile(1, 1, {{0, 0, 1, 1, 10, 20}}));
    ExpectTitle("room.vrk", false);
    AddSectorAt(1, 0);  // right of the loaded sector: one shared edge
    ExpectTitle("room.vrk", true);

    PostCommand(editor_.window, IDM_FILE_SAVE);
    ExpectTitle("room.vrk", false);
    ExpectNoDialog();
    ExpectFileBytes(PathOf("room.vrk"),
                    MakeLevelFile(1, 1, {{0, 0, 1, 1, 10, 20}, {1, 0, 2, 1, 128, 132}},
                                  {{1, 0, 1, 0, 1}, {0, 0, 1, 1, 0}}));
}

TEST_F(FileCommands, SaveAsOnLoadedLevelAsksAndLeavesOldFileAlone)
{
    Bytes original = MakeLevelFile(0, 0, {{0, 0, 1, 1, 10, 20}});
    StartWithFile("first.vrk", original);
    AddSectorAt(4, 4);

    SaveThroughDialog(IDM_FILE_SAVE_AS, "second.vrk");
    ExpectFileBytes(PathOf("first.vrk"), original);
    ExpectFileBytes(PathOf("second.vrk"),
                    MakeLevelFile(0, 0, {{0, 0, 1, 1, 10, 20}, {4, 4, 5, 5, 128, 132}}));
}

TEST_F(FileCommands, CancelledSaveDialogWritesNothingAndKeepsTitle)
{
    Start();
    AddSectorAt(0, 0);
    ExpectTitle("[Untitled]", true);

    PostCommand(editor_.window, IDM_FILE_SAVE_AS);
    CancelFileDialog();
    ExpectNoDialog();
    ExpectTitle("[Untitled]", true);

    // The level is still modified: closing asks.
    PostMessageA(editor_.window, WM_CLOSE, 0, 0);
    AnswerBox("Unsaved changes", "Would you like to save your changes?", IDNO);
    ExpectExitAfter(false);
}

TEST_F(FileCommands, SaveAsOverExistingFileAsksFirst)
{
    Bytes old = MakeLevelFile(7, 7, {});
    ASSERT_TRUE(WriteFileBytes(PathOf("taken.vrk"), old));
    Start();
    AddSectorAt(2, 3);

    // No: the dialog stays and the file is untouched; then cancel it.
    PostCommand(editor_.window, IDM_FILE_SAVE_AS);
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no Save dialog";
    ConfirmFileDialog(dialog, PathOf("taken.vrk"));
    HWND question = WaitForOwnedDialog(editor_.processId, dialog);
    ASSERT_NE(question, nullptr) << "no question before replacing an existing file";
    EXPECT_NE(GetMessageBoxText(question).find("already exists"), std::string::npos)
        << "question text: " << GetMessageBoxText(question);
    PressDialogButton(question, IDNO);
    ASSERT_TRUE(WaitForWindowGone(question));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the Save dialog closed after No";
    PressDialogButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectTitle("[Untitled]", true);
    ExpectFileBytes(PathOf("taken.vrk"), old);

    // Yes: replaced.
    PostCommand(editor_.window, IDM_FILE_SAVE_AS);
    dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no Save dialog the second time";
    ConfirmFileDialog(dialog, PathOf("taken.vrk"));
    question = WaitForOwnedDialog(editor_.processId, dialog);
    ASSERT_NE(question, nullptr) << "no question the second time";
    PressDialogButton(question, IDYES);
    ExpectTitle("taken.vrk", false);
    ExpectFileBytes(PathOf("taken.vrk"), kOneSectorAt2x3);
}

TEST_F(FileCommands, OpenLoadsChosenFile)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("other.vrk"), kOneSectorAt2x3));
    Start();
    PostCommand(editor_.window, IDM_FILE_OPEN);
    ChooseInFileDialog(PathOf("other.vrk"));
    ExpectTitle("other.vrk", false);

    // What was loaded is what is saved back (with the portals rebuilt: none).
    SaveThroughDialog(IDM_FILE_SAVE_AS, "copy.vrk");
    ExpectFileBytes(PathOf("copy.vrk"), kOneSectorAt2x3);
}

TEST_F(FileCommands, OpenCancelledLeavesLevelAndTitle)
{
    StartWithFile("keep.vrk", kOneSectorAt2x3);
    PostCommand(editor_.window, IDM_FILE_OPEN);
    CancelFileDialog();
    ExpectNoDialog();
    ExpectTitle("keep.vrk", false);
}

TEST_F(FileCommands, OpenUnreadableFileShowsErrorAndKeepsLevel)
{
    // Claims 257 sectors: the loader's own warning, then the command's error.
    Bytes tooMany = {2, 0, 0, 0, 0, 0x01, 0x01, 0, 0};
    ASSERT_TRUE(WriteFileBytes(PathOf("bad.vrk"), tooMany));
    StartWithFile("good.vrk", kOneSectorAt2x3);

    PostCommand(editor_.window, IDM_FILE_OPEN);
    ChooseInFileDialog(PathOf("bad.vrk"));
    AnswerBox("Failed to load map", "Map contains too many sectors.", IDOK);
    AnswerBox("Error", "Unable to read level from file.", IDOK);
    ExpectNoDialog();
    ExpectTitle("good.vrk", false);

    SaveAndExpectFile("good.vrk", kOneSectorAt2x3);
}

TEST_F(FileCommands, NewOnUnmodifiedLevelGivesUntitledEmptyLevel)
{
    StartWithFile("old.vrk", kOneSectorAt2x3);
    PostCommand(editor_.window, IDM_FILE_NEW);
    ExpectTitle("[Untitled]", false);
    ExpectNoDialog();

    SaveThroughDialog(IDM_FILE_SAVE, "new.vrk");
    ExpectFileBytes(PathOf("new.vrk"), kEmptyLevelFile);
}

TEST_F(FileCommands, FailedWriteShowsErrorAndKeepsModified)
{
    std::string sub = PathOf("gone");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(sub + "\\lost.vrk", kOneSectorAt2x3));
    Start("\"" + sub + "\\lost.vrk\"");
    ExpectTitle("lost.vrk", false);
    AddSectorAt(5, 5);
    ExpectTitle("lost.vrk", true);

    // The folder disappears under the editor: the save cannot be written.
    RemoveFolderTree(sub);
    PostCommand(editor_.window, IDM_FILE_SAVE);
    AnswerBox("Error", "Unable to write level to file.", IDOK);
    ExpectNoDialog();
    ExpectTitle("lost.vrk", true);
}

// 16 rows of 16 bricks two cells wide, every other row shifted by one: 705
// shared edges, more than the 512 the portal table holds.
static std::vector<FileSector> MakeBrickWall()
{
    std::vector<FileSector> bricks;
    for (unsigned row = 0; row < 16; row++)
        for (unsigned k = 0; k < 16; k++) {
            unsigned left = 2 * k + row % 2;
            bricks.push_back({left, row, left + 2, row + 1, 128, 132});
        }
    return bricks;
}

static bool Touch(unsigned aEnd, unsigned bStart, unsigned a0, unsigned a1, unsigned b0,
                  unsigned b1)
{
    return aEnd == bStart && (a0 > b0 ? a0 : b0) < (a1 < b1 ? a1 : b1);
}

static int CountSharedEdges(const std::vector<FileSector>& s)
{
    int edges = 0;
    for (size_t i = 0; i < s.size(); i++)
        for (size_t j = i + 1; j < s.size(); j++) {
            const FileSector& a = s[i];
            const FileSector& b = s[j];
            if (Touch(a.right, b.left, a.top, a.bottom, b.top, b.bottom) ||
                Touch(b.right, a.left, a.top, a.bottom, b.top, b.bottom) ||
                Touch(a.bottom, b.top, a.left, a.right, b.left, b.right) ||
                Touch(b.bottom, a.top, a.left, a.right, b.left, b.right))
                edges++;
        }
    return edges;
}

TEST_F(FileCommands, FullPortalTableStillSavesThenWarnsWithCount)
{
    std::vector<FileSector> bricks = MakeBrickWall();
    int edges = CountSharedEdges(bricks);
    ASSERT_EQ(edges, 705) << "the brick wall's shared edges";
    StartWithFile("wall.vrk", MakeLevelFile(0, 0, bricks));

    SaveThroughDialog(IDM_FILE_SAVE_AS, "saved.vrk");  // written before the warning shows
    std::string text = "The level was saved, but the portal table is full: " +
                       std::to_string(edges - 512) +
                       " shared edges were left without portals.";
    AnswerBox("Portal table full", text.c_str(), IDOK);
    ExpectNoDialog();

    Bytes saved;
    ASSERT_TRUE(ReadFileBytes(PathOf("saved.vrk"), &saved));
    Bytes sectorPart = MakeLevelFile(0, 0, bricks);
    ASSERT_EQ(saved.size(), 9u + 10u * (256 + 1024)) << "file size";
    EXPECT_EQ(saved[7] | saved[8] << 8, 1024) << "portal count";
    EXPECT_TRUE(std::equal(sectorPart.begin() + 9, sectorPart.end(), saved.begin() + 9))
        << "the sectors were not all saved as loaded";
}
