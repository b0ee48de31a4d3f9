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

// WM_QUERYENDSESSION sent as the system does at log-off, from a thread of
// its own, since the answer may wait for a box the test answers.
struct SessionQuery {
    HWND window;
    DWORD_PTR result;
    BOOL answered;
};

namespace {

DWORD WINAPI SendSessionQuery(void* param)
{
    SessionQuery* query = static_cast<SessionQuery*>(param);
    query->answered = SendMessageTimeoutA(query->window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                          SMTO_NORMAL, 4 * DRIVER_TIMEOUT_MS, &query->result) != 0;
    return 0;
}

}  // namespace

// Logging off asks about unsaved changes as closing does, and lets the
// session end only when nothing is lost; the window itself stays.
TEST_F(CloseRequest, SessionEndAsksAndAllowsItOnlyWhenNothingIsLost)
{
    StartWithFile("session.vrk", LOADED_LEVEL);
    // answer 0: no question is expected.
    auto querySession = [this](int answer, bool saveDialogCancelled) -> DWORD_PTR {
        SessionQuery query = {editor_.window, 1234, FALSE};
        HANDLE thread = CreateThread(nullptr, 0, SendSessionQuery, &query, 0, nullptr);
        if (answer) {
            AnswerBox("Unsaved changes", "Would you like to save your changes?", answer);
            if (saveDialogCancelled)
                CancelFileDialog();
        }
        EXPECT_EQ(WaitForSingleObject(thread, 2 * DRIVER_TIMEOUT_MS), WAIT_OBJECT_0)
            << "the editor did not answer the session query";
        CloseHandle(thread);
        EXPECT_TRUE(query.answered) << "the session query was not answered";
        EXPECT_TRUE(IsWindow(editor_.window)) << "the main window was destroyed";
        return query.result;
    };

    EXPECT_EQ(querySession(0, false), 1u) << "no changes: the session may end";
    ExpectNoDialog();

    AddSectorAt(5, 0);
    EXPECT_EQ(querySession(IDCANCEL, false), 0u) << "Cancel refuses the session's end";
    ExpectTitle("session.vrk", true);
    EXPECT_EQ(querySession(IDNO, false), 1u) << "No lets the session end";
    ExpectTitle("session.vrk", true);
    ExpectFileBytes(PathOf("session.vrk"), LOADED_LEVEL);
    EXPECT_EQ(querySession(IDYES, false), 1u) << "Yes and a completed save";
    ExpectTitle("session.vrk", false);
    ExpectFileBytes(PathOf("session.vrk"), LOADED_PLUS_SECTOR_AT_5X0);

    // A save that does not complete refuses.
    PostCommand(editor_.window, IDM_FILE_NEW);
    ExpectTitle("[Untitled]", false);
    AddSectorAt(2, 3);
    EXPECT_EQ(querySession(IDYES, true), 0u) << "Yes and a cancelled Save dialog";
    ExpectStillOpen("[Untitled]");
}

TEST_F(CloseRequest, FileExitClosesAtOnceEvenWithChanges)
{
    StartWithFile("exit.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    ExpectTitle("exit.vrk", true);
    PostCommand(editor_.window, IDM_EXIT);
    ExpectExitAfter(false);
    ExpectFileBytes(PathOf("exit.vrk"), LOADED_LEVEL);
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
