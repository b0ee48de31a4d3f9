// File, New / Open / Save / Save As through the menu, with the file dialogs
// filled in, confirmed and cancelled, and the files checked byte for byte.
#include "editor_fixture.h"

#include <algorithm>

#include "resource.h"

class FileCommands : public EditorTest {};

namespace {

// One default sector at cell (2, 3), start cell (0, 0), no portals.
const Bytes ONE_SECTOR_AT_2X3 = MakeLevelFile(0, 0, {{2, 3, 3, 4, 128, 132}});

}  // namespace

TEST_F(FileCommands, SaveOnNewLevelAsksForNameAddsExtensionAndWrites)
{
    Start();
    AddSectorAt(2, 3);
    ExpectTitle("[Untitled]", true);

    PostCommand(editor_.window, IDM_FILE_SAVE);
    ChooseInFileDialog(PathOf("hall"));
    ExpectTitle("hall.vrk", false);
    ExpectFileBytes(PathOf("hall.vrk"), ONE_SECTOR_AT_2X3);
    EXPECT_FALSE(FileExists(PathOf("hall"))) << "a file without the extension was written";
}

TEST_F(FileCommands, FreshLevelSavedAtOnceIsNineBytes)
{
    Start();
    SaveThroughDialog(IDM_FILE_SAVE_AS, "empty.vrk");
    ExpectFileBytes(PathOf("empty.vrk"), EMPTY_LEVEL_FILE);
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
    ExpectFileBytes(PathOf("taken.vrk"), ONE_SECTOR_AT_2X3);
}

TEST_F(FileCommands, OpenLoadsChosenFile)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("other.vrk"), ONE_SECTOR_AT_2X3));
    Start();
    PostCommand(editor_.window, IDM_FILE_OPEN);
    ChooseInFileDialog(PathOf("other.vrk"));
    ExpectTitle("other.vrk", false);

    // What was loaded is what is saved back (with the portals rebuilt: none).
    SaveThroughDialog(IDM_FILE_SAVE_AS, "copy.vrk");
    ExpectFileBytes(PathOf("copy.vrk"), ONE_SECTOR_AT_2X3);
}

// A name outside the system's ANSI code page names its own file, whichever
// way it comes in; Niva.vrk beside Nivā.vrk is never read or written.
TEST_F(FileCommands, NameOutsideTheCodePageNamesItsOwnFile)
{
    char codePage[8] = "";
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage);
    ASSERT_STREQ(codePage, "1252") << "the system's ANSI code page, which has no U+0101";
    const std::string name = "Niv\xC4\x81.vrk";
    const Bytes neighbour = MakeLevelFile(0, 0, {{0, 0, 1, 1, 10, 20}});
    const Bytes named = MakeLevelFile(0, 0, {{3, 3, 4, 4, 30, 40}});
    for (const std::string way : {"Save As", "Open", "drop", "command line"}) {
        SCOPED_TRACE(way);
        ASSERT_TRUE(WriteFileBytes(PathOf("Niva.vrk"), neighbour));
        DeleteFileA(PathOf(name).c_str());
        ASSERT_TRUE(way == "Save As" || WriteFileBytes(PathOf(name), named));
        Start(way == "command line" ? "\"" + PathOf(name) + "\"" : "");
        if (way == "Open") {
            PostCommand(editor_.window, IDM_FILE_OPEN);
            ChooseInFileDialog(PathOf(name));
        } else if (way == "drop") {
            ASSERT_TRUE(DropFilesOn(&editor_, {PathOf(name)})) << "the drop was not delivered";
        }
        if (way != "Save As")
            ExpectTitle(name, false);
        AddSectorAt(6, 6);
        if (way == "Save As") {
            SaveThroughDialog(IDM_FILE_SAVE_AS, name);
            ExpectFileBytes(PathOf(name), MakeLevelFile(0, 0, {{6, 6, 7, 7, 128, 132}}));
        } else {
            SaveAndExpectFile(name, MakeLevelFile(0, 0, {{3, 3, 4, 4, 30, 40}, {6, 6, 7, 7, 128, 132}}));
        }
        ExpectFileBytes(PathOf("Niva.vrk"), neighbour);
        StopEditor(&editor_);
    }
}

namespace {

// Browses the file dialog into a folder: the folder typed as the name, and
// OK sent, so the dialog has gone there once the call returns.
void BrowseFileDialogTo(HWND dialog, const std::string& folder)
{
    SetDlgItemString(dialog, FILE_NAME_FIELD, folder);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_ABORTIFHUNG,
                        DRIVER_TIMEOUT_MS, &result);
}

}  // namespace

// The Open and Save dialogs leave the process's current folder as they
// found it, also when the user browsed elsewhere: a relative remembered
// path is then still saved where it was loaded from, and a relative path
// still names the same file.
TEST_F(FileCommands, FileDialogsLeaveTheCurrentFolderAsTheyFoundIt)
{
    const std::string other = PathOf("other");
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(other + "\\bad.vrk", {2, 0, 0, 0, 0, 0x01, 0x01, 0, 0}));
    ASSERT_TRUE(WriteFileBytes(PathOf("a.vrk"), ONE_SECTOR_AT_2X3));
    const Bytes probe = MakeLevelFile(1, 1, {{7, 7, 8, 8, 1, 2}});
    ASSERT_TRUE(WriteFileBytes(PathOf("probe.vrk"), probe));
    Start("a.vrk");  // relative to the folder the editor starts in
    ExpectTitle("a.vrk", false);

    // Open browsed to the other folder, a file there that does not load,
    // then an edit and Save: written where a.vrk was loaded from.
    PostCommand(editor_.window, IDM_FILE_OPEN);
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no Open dialog";
    BrowseFileDialogTo(dialog, other);
    ChooseInFileDialog("bad.vrk");
    AnswerBox("Failed to load map", "Map contains too many sectors.", IDOK);
    AnswerBox("Error", "Unable to read level from file.", IDOK);
    AddSectorAt(5, 5);
    SaveAndExpectFile("a.vrk", MakeLevelFile(0, 0, {{2, 3, 3, 4, 128, 132}, {5, 5, 6, 6, 128, 132}}));
    EXPECT_FALSE(FileExists(other + "\\a.vrk")) << "the save went to the folder browsed to";

    // Each dialog browsed away and then cancelled or confirmed; a relative
    // path dropped afterwards still loads from the start folder.
    struct Case {
        const char* name;
        int command;
        const char* chosen;
    };
    const Case cases[] = {{"Open cancelled", IDM_FILE_OPEN, nullptr},
                          {"Save As cancelled", IDM_FILE_SAVE_AS, nullptr},
                          {"Save As confirmed", IDM_FILE_SAVE_AS, "b.vrk"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PostCommand(editor_.window, c.command);
        dialog = WaitForFileDialog();
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        BrowseFileDialogTo(dialog, other);
        if (c.chosen) {
            ChooseInFileDialog(c.chosen);
            ExpectTitle(c.chosen, false);
            EXPECT_TRUE(FileExists(other + "\\" + c.chosen)) << "saved in the folder browsed to";
        } else {
            PressDialogButton(dialog, IDCANCEL);
            EXPECT_TRUE(WaitForWindowGone(dialog)) << "the dialog did not close on Cancel";
        }
        ASSERT_TRUE(DropFilesOn(&editor_, {"probe.vrk"})) << "the drop was not delivered";
        ExpectTitle("probe.vrk", false);
        ExpectNoDialog();
        SaveAndExpectFile("probe.vrk", probe);
    }
}

TEST_F(FileCommands, FileDialogsOpenOnTheLevelFilter)
{
    Start();
    for (int command : {IDM_FILE_OPEN, IDM_FILE_SAVE_AS}) {
        SCOPED_TRACE(command == IDM_FILE_OPEN ? "Open" : "Save As");
        PostCommand(editor_.window, command);
        HWND dialog = WaitForFileDialog();
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        EXPECT_EQ(GetDlgItemString(dialog, FILE_TYPE_FIELD), "Quillmarch Level")
            << "the filter selected";
        PressDialogButton(dialog, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(dialog)) << "the dialog did not close on Cancel";
    }
}

// A name that does not exist is refused by the Open dialog itself: it
// says so and stays, and nothing is loaded.
TEST_F(FileCommands, OpenRefusesAMissingName)
{
    StartWithFile("keep.vrk", ONE_SECTOR_AT_2X3);
    PostCommand(editor_.window, IDM_FILE_OPEN);
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no Open dialog";
    ConfirmFileDialog(dialog, PathOf("missing.vrk"));
    HWND box = WaitForOwnedDialog(editor_.processId, dialog);
    ASSERT_NE(box, nullptr) << "the Open dialog raised no box about the missing name";
    PressDialogButton(box, IDOK);
    EXPECT_TRUE(WaitForWindowGone(box)) << "the box did not close";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the Open dialog closed on a missing name";
    PressDialogButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(dialog)) << "the Open dialog did not close on Cancel";
    ExpectNoDialog();
    ExpectTitle("keep.vrk", false);
}

TEST_F(FileCommands, OpenCancelledLeavesLevelAndTitle)
{
    StartWithFile("keep.vrk", ONE_SECTOR_AT_2X3);
    PostCommand(editor_.window, IDM_FILE_OPEN);
    CancelFileDialog();
    ExpectNoDialog();
    ExpectTitle("keep.vrk", false);
}

TEST_F(FileCommands, NewOnUnmodifiedLevelGivesUntitledEmptyLevel)
{
    StartWithFile("old.vrk", ONE_SECTOR_AT_2X3);
    PostCommand(editor_.window, IDM_FILE_NEW);
    ExpectTitle("[Untitled]", false);
    ExpectNoDialog();

    SaveThroughDialog(IDM_FILE_SAVE, "new.vrk");
    ExpectFileBytes(PathOf("new.vrk"), EMPTY_LEVEL_FILE);
}

TEST_F(FileCommands, FailedWriteShowsErrorAndKeepsModified)
{
    std::string sub = PathOf("gone");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(sub + "\\lost.vrk", ONE_SECTOR_AT_2X3));
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

namespace {

// 16 rows of 16 bricks two cells wide, every other row shifted by one: 705
// shared edges, more than the 512 the portal table holds.
std::vector<FileSector> MakeBrickWall()
{
    std::vector<FileSector> bricks;
    for (unsigned row = 0; row < 16; row++)
        for (unsigned k = 0; k < 16; k++) {
            unsigned left = 2 * k + row % 2;
            bricks.push_back({left, row, left + 2, row + 1, 128, 132});
        }
    return bricks;
}

bool Touch(unsigned aEnd, unsigned bStart, unsigned a0, unsigned a1, unsigned b0,
           unsigned b1)
{
    return aEnd == bStart && (a0 > b0 ? a0 : b0) < (a1 < b1 ? a1 : b1);

}  // namespace
}

namespace {

int CountSharedEdges(const std::vector<FileSector>& s)
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

}  // namespace

// The whole wall, and its first 189 bricks, which share 513 edges: one edge
// over the table, told in the singular.
TEST_F(FileCommands, FullPortalTableStillSavesThenWarnsWithCount)
{
    struct Case {
        size_t bricks;
        int edges;
        const char* leftOut;
    };
    const Case cases[] = {{256, 705, "193 shared edges were"}, {189, 513, "1 shared edge was"}};
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bricks) + " bricks");
        std::vector<FileSector> bricks = MakeBrickWall();
        bricks.resize(c.bricks);
        ASSERT_EQ(CountSharedEdges(bricks), c.edges) << "the wall's shared edges";
        std::string name = "wall" + std::to_string(c.bricks) + ".vrk";
        ASSERT_TRUE(WriteFileBytes(PathOf(name), MakeLevelFile(0, 0, bricks)));
        PostCommand(editor_.window, IDM_FILE_OPEN);
        ChooseInFileDialog(PathOf(name));
        ExpectTitle(name, false);

        std::string saved = "saved" + std::to_string(c.bricks) + ".vrk";
        SaveThroughDialog(IDM_FILE_SAVE_AS, saved);  // written before the warning shows
        std::string text = std::string("The level was saved, but the portal table is full: ") +
                           c.leftOut + " left without portals.";
        AnswerBox("Portal table full", text.c_str(), IDOK);
        ExpectNoDialog();

        bool read = false;
        Bytes bytes = ReadFileBytes(PathOf(saved), &read);
        ASSERT_TRUE(read);
        Bytes sectorPart = MakeLevelFile(0, 0, bricks);
        ASSERT_EQ(bytes.size(), 9u + 10u * (c.bricks + 1024)) << "file size";
        EXPECT_EQ(bytes[7] | bytes[8] << 8, 1024) << "portal count";
        EXPECT_TRUE(std::equal(sectorPart.begin() + 9, sectorPart.end(), bytes.begin() + 9))
            << "the sectors were not all saved as loaded";
    }
}
