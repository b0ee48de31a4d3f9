// The close request: the unsaved-changes question and each of its answers,
// including the rule that only a completed save lets the window close.
#include "editor_fixture.h"

#include <stdio.h>

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

namespace {

const Bytes LOADED_LEVEL = MakeLevelFile(3, 3, {{0, 0, 2, 2, 50, 60}});
const Bytes LOADED_PLUS_SECTOR_AT_5X0 =
    MakeLevelFile(3, 3, {{0, 0, 2, 2, 50, 60}, {5, 0, 6, 1, 128, 132}});

}  // namespace

TEST_F(CloseRequest, UnmodifiedLevelClosesWithoutQuestion)
{
    StartWithFile("calm.vrk", LOADED_LEVEL);
    ExpectExitAfter(true);
    ExpectFileBytes(PathOf("calm.vrk"), LOADED_LEVEL);
}

TEST_F(CloseRequest, CancelKeepsWindowAndChanges)
{
    StartWithFile("keep.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    ExpectTitle("keep.vrk", true);
    Close();
    AnswerQuestion(IDCANCEL);
    ExpectStillOpen("keep.vrk");
    ExpectFileBytes(PathOf("keep.vrk"), LOADED_LEVEL);

    // The edit is still there to be saved.
    SaveAndExpectFile("keep.vrk", LOADED_PLUS_SECTOR_AT_5X0);
}

TEST_F(CloseRequest, NoClosesWithoutWriting)
{
    StartWithFile("drop.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    Close();
    AnswerQuestion(IDNO);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("drop.vrk"), LOADED_LEVEL);
}

TEST_F(CloseRequest, YesSavesToRememberedPathThenCloses)
{
    StartWithFile("save.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    Close();
    AnswerQuestion(IDYES);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("save.vrk"), LOADED_PLUS_SECTOR_AT_5X0);
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
    ASSERT_TRUE(WriteFileBytes(sub + "\\level.vrk", LOADED_LEVEL));
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
    ExpectFileBytes(PathOf("elsewhere.vrk"), LOADED_PLUS_SECTOR_AT_5X0);
    ExpectExitAfter(true);
}

TEST_F(CloseRequest, RightClickAloneIsAChangeToAskAbout)
{
    StartWithFile("start.vrk", LOADED_LEVEL);
    ASSERT_TRUE(RightClickAt(editor_.window, 17, 31));
    ExpectTitle("start.vrk", true);
    Close();
    AnswerQuestion(IDYES);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("start.vrk"), MakeLevelFile(1, 1, {{0, 0, 2, 2, 50, 60}}));
}

// A close request that arrives while the Save dialog is up is handled by
// the dialog's own message loop: answered No, the window is destroyed from
// inside that loop, and the editor must still end rather than wait for a
// quit message that the dialog's loop took.
TEST_F(CloseRequest, NoWhileTheSaveDialogIsUpEndsTheEditor)
{
    Start();
    AddSectorAt(2, 3);
    PostCommand(editor_.window, IDM_FILE_SAVE_AS);
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no Save dialog appeared";
    Close();
    AnswerQuestion(IDNO);
    EXPECT_TRUE(WaitForWindowGone(dialog)) << "the Save dialog outlived its owner";
    ExpectExitAfter(false);
    EXPECT_TRUE(ListFolder(folder_, true).empty()) << "a file was written after No";
}

namespace {

// WM_QUERYENDSESSION as the system sends it; 1234 when no answer came.
DWORD_PTR QuerySessionEnd(HWND window, LPARAM reasons)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, reasons, SMTO_NORMAL, DRIVER_TIMEOUT_MS, &result))
        return 1234;
    return result;
}

}  // namespace

// The session's end is answered at once and with no box: it may end when
// nothing is unsaved or when the end is forced; otherwise it is refused
// and the question comes afterwards, once however often the query comes,
// and it closes the editor as the close request does.
TEST_F(CloseRequest, SessionEndIsAnsweredAtOnceAndAskedAfterwards)
{
    StartWithFile("session.vrk", LOADED_LEVEL);
    EXPECT_EQ(QuerySessionEnd(editor_.window, ENDSESSION_LOGOFF), 1u) << "no changes: the session may end";
    ExpectNoDialog();
    AddSectorAt(5, 0);
    EXPECT_EQ(QuerySessionEnd(editor_.window, ENDSESSION_CRITICAL), 1u) << "a forced end is not refused";
    ExpectNoDialog();
    EXPECT_EQ(QuerySessionEnd(editor_.window, ENDSESSION_LOGOFF), 0u) << "unsaved changes refuse, at once";
    ASSERT_NE(WaitForDialog(editor_.processId, "Unsaved changes"), nullptr) << "no question after the query";
    EXPECT_EQ(QuerySessionEnd(editor_.window, 0), 0u) << "a second query while the question is up";
    AnswerQuestion(IDCANCEL);
    ExpectStillOpen("session.vrk");  // and no second question
    EXPECT_EQ(QuerySessionEnd(editor_.window, ENDSESSION_LOGOFF), 0u) << "still unsaved";
    AnswerQuestion(IDYES);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("session.vrk"), LOADED_PLUS_SECTOR_AT_5X0);
}

// The session ends after all (the user chose to end it anyway): the editor
// goes, and nothing is written that the user did not ask for.
TEST_F(CloseRequest, SessionEndingEndsTheEditor)
{
    StartWithFile("ending.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    ExpectTitle("ending.vrk", true);
    PostMessageA(editor_.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("ending.vrk"), LOADED_LEVEL);
}

// File, Exit asks as the close request does; with nothing unsaved it ends
// at once.
TEST_F(CloseRequest, FileExitAsksAsClosingDoes)
{
    StartWithFile("exit.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    ExpectTitle("exit.vrk", true);
    PostCommand(editor_.window, IDM_EXIT);
    AnswerQuestion(IDCANCEL);
    ExpectStillOpen("exit.vrk");
    SaveAndExpectFile("exit.vrk", LOADED_PLUS_SECTOR_AT_5X0);
    PostCommand(editor_.window, IDM_EXIT);
    ExpectExitAfter(false);
}

namespace {

// Starts a thread in the editor that loads the library at `path`.
bool LoadLibraryInEditor(const EditorProcess& editor, const std::string& path)
{
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, editor.processId);
    if (!process)
        return false;
    void* name = VirtualAllocEx(process, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    // The system libraries lie at the same place in every process.
    auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    HANDLE thread = nullptr;
    if (name && WriteProcessMemory(process, name, path.c_str(), path.size() + 1, nullptr))
        thread = CreateRemoteThread(process, nullptr, 0, load, name, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    CloseHandle(process);
    return thread != nullptr;
}

}  // namespace

// Once its window is gone the editor ends, even while another of its
// threads is inside the system's library loader.
TEST_F(CloseRequest, EndsEvenWhileAThreadHoldsTheLibraryLoader)
{
    StartWithFile("calm.vrk", LOADED_LEVEL);
    char name[64];
    snprintf(name, sizeof name, "QuillmarchLoaderHeld-%lu", static_cast<unsigned long>(editor_.processId));
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, name);
    ASSERT_NE(held, nullptr);
    ASSERT_TRUE(LoadLibraryInEditor(editor_, ToWindowsPath(QM_LOADER_HOLD_DLL))) << "no thread in the editor";
    DWORD inLoader = WaitForSingleObject(held, DRIVER_TIMEOUT_MS);
    CloseHandle(held);
    ASSERT_EQ(inLoader, WAIT_OBJECT_0) << "the editor's thread did not get into the loader";
    ExpectExitAfter(true);
}
