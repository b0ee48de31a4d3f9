// The close request: the unsaved-changes question and each of its answers,
// including the rule that only a completed save lets the window close.
#include "editor_fixture.h"

#include "resource.h"

class CloseRequest : public EditorTest {
protected:
    void Close() { PostMessageA(editor_.window, WM_CLOSE, 0, 0); }

    void AnswerQuestion(int button)
    {
        AnswerBox("Unsaved changes", "Would you like to save your changes?", button);
    }

    // The window survived the close request: it answers, no box is up, and
    // the title still shows the unsaved changes.
    void ExpectStillOpen(const std::string& name)
    {
        ExpectNoDialog();
        EXPECT_TRUE(IsWindow(editor_.window)) << "the main window was destroyed";
        ExpectTitle(name, true);
    }
};

static const Bytes kLoaded = MakeLevelFile(3, 3, {{0, 0, 2, 2, 50, 60}});
static const Bytes kLoadedPlusSectorAt5x0 =
    MakeLevelFile(3, 3, {{0, 0, 2, 2, 50, 60}, {5, 0, 6, 1, 128, 132}});

TEST_F(CloseRequest, UnmodifiedLevelClosesWithoutQuestion)
{
    StartWithFile("calm.vrk", kLoaded);
    ExpectExitAfter(true);
    ExpectFileBytes(PathOf("calm.vrk"), kLoaded);
}

TEST_F(CloseRequest, CancelKeepsWindowAndChanges)
{
    StartWithFile("keep.vrk", kLoaded);
    AddSectorAt(5, 0);
    ExpectTitle("keep.vrk", true);
    Close();
    AnswerQuestion(IDCANCEL);
    ExpectStillOpen("keep.vrk");
    ExpectFileBytes(PathOf("keep.vrk"), kLoaded);

    // The edit is still there to be saved.
    SaveAndExpectFile("keep.vrk", kLoadedPlusSectorAt5x0);
}

TEST_F(CloseRequest, NoClosesWithoutWriting)
{
    StartWithFile("drop.vrk", kLoaded);
    AddSectorAt(5, 0);
    Close();
    AnswerQuestion(IDNO);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("drop.vrk"), kLoaded);
}

TEST_F(CloseRequest, YesSavesToRememberedPathThenCloses)
{
    StartWithFile("save.vrk", kLoaded);
    AddSectorAt(5, 0);
    Close();
    AnswerQuestion(IDYES);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("save.vrk"), kLoadedPlusSectorAt5x0);
}

TEST_F(CloseRequest, YesOnUntitledLevelCancelledSaveKeepsWindowOpen)
{
    Start();
    AddSectorAt(2, 3);
    Close();
    AnswerQuestion(IDYES);
    CancelFileDialog();
    ExpectStillOpen("[Untitled]");

    // Asked again, the save goes through and the window closes.
    Close();
    AnswerQuestion(IDYES);
    ChooseInFileDialog(PathOf("rescued.vrk"));
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("rescued.vrk"), MakeLevelFile(0, 0, {{2, 3, 3, 4, 128, 132}}));
}

TEST_F(CloseRequest, YesWithFailedWriteKeepsWindowOpen)
{
    std::string sub = PathOf("vanishing");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(sub + "\\level.vrk", kLoaded));
    Start("\"" + sub + "\\level.vrk\"");
    AddSectorAt(5, 0);
    ExpectTitle("level.vrk", true);
    RemoveFolderTree(sub);

    Close();
    AnswerQuestion(IDYES);
    AnswerBox("Error", "Unable to write level to file.", IDOK);
    ExpectStillOpen("level.vrk");

    // The work is not lost: Save As puts it elsewhere.
    SaveThroughDialog(IDM_FILE_SAVE_AS, "elsewhere.vrk");
    ExpectFileBytes(PathOf("elsewhere.vrk"), kLoadedPlusSectorAt5x0);
    ExpectExitAfter(true);
}

TEST_F(CloseRequest, RightClickAloneIsAChangeToAskAbout)
{
    StartWithFile("start.vrk", kLoaded);
    ASSERT_TRUE(RightClickAt(editor_.window, 17, 31));
    ExpectTitle("start.vrk", true);
    Close();
    AnswerQuestion(IDYES);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("start.vrk"), MakeLevelFile(1, 1, {{0, 0, 2, 2, 50, 60}}));
}

TEST_F(CloseRequest, FileExitClosesAtOnceEvenWithChanges)
{
    StartWithFile("exit.vrk", kLoaded);
    AddSectorAt(5, 0);
    ExpectTitle("exit.vrk", true);
    PostCommand(editor_.window, IDM_EXIT);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("exit.vrk"), kLoaded);
}
