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

// The session's end that arrives while the Save dialog is up is handled by
// the dialog's own message loop: the window is destroyed from inside that
// loop, and the editor must still end rather than wait for a quit message
// that the dialog's loop took.
TEST_F(CloseRequest, SessionEndWhileTheSaveDialogIsUpEndsTheEditor)
{
    Start();
    AddSectorAt(2, 3);
    PostCommand(editor_.window, IDM_FILE_SAVE_AS);
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no Save dialog appeared";
    PostMessageA(editor_.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(WaitForWindowGone(dialog)) << "the Save dialog outlived its owner";
    ExpectExitAfter(false);
    EXPECT_TRUE(ListFolder(folder_, true).empty()) << "a file was written as the session ended";
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
    PostCommand(editor_.window, IDM_SECTOR_PROPERTIES);
    HWND properties = WaitForDialog(editor_.processId, "Sector Properties");
    ASSERT_NE(properties, nullptr) << "Sector Properties did not open";
    EXPECT_EQ(QuerySessionEnd(editor_.window, ENDSESSION_LOGOFF), 0u) << "heights being typed refuse";
    PressDialogButton(properties, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(properties)) << "Sector Properties did not close";
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

// Once the session goes on after all, the question no longer ends the
// editor: Yes saves, No and Cancel keep the edits, and the window stays.
TEST_F(CloseRequest, QuestionAfterTheSessionWentOnKeepsTheEditor)
{
    StartWithFile("goes-on.vrk", LOADED_LEVEL);
    AddSectorAt(5, 0);
    for (int answer : {IDNO, IDCANCEL, IDYES}) {
        SCOPED_TRACE("answer " + std::to_string(answer));
        EXPECT_EQ(QuerySessionEnd(editor_.window, ENDSESSION_LOGOFF), 0u) << "unsaved changes refuse";
        ASSERT_NE(WaitForDialog(editor_.processId, "Unsaved changes"), nullptr) << "no question after the query";
        SendMessageTimeoutA(editor_.window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_NORMAL, DRIVER_TIMEOUT_MS,
                            nullptr);
        AnswerQuestion(answer);
        ExpectNoDialog();
        ExpectTitle("goes-on.vrk", answer != IDYES);
    }
    ExpectFileBytes(PathOf("goes-on.vrk"), LOADED_PLUS_SECTOR_AT_5X0);
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

// Starts a thread in the editor that calls the kernel32 function with the
// text; the thread's handle, or null.
HANDLE CallInEditor(const EditorProcess& editor, const char* function, const std::string& text)
{
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, editor.processId);
    if (!process)
        return nullptr;
    void* name = VirtualAllocEx(process, nullptr, text.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    // The system libraries lie at the same place in every process.
    auto call = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), function)));
    HANDLE thread = nullptr;
    if (name && WriteProcessMemory(process, name, text.c_str(), text.size() + 1, nullptr))
        thread = CreateRemoteThread(process, nullptr, 0, call, name, 0, nullptr);
    CloseHandle(process);
    return thread;
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
    HANDLE thread = CallInEditor(editor_, "LoadLibraryA", ToWindowsPath(QM_LOADER_HOLD_DLL));
    ASSERT_NE(thread, nullptr) << "no thread in the editor";
    CloseHandle(thread);
    DWORD inLoader = WaitForSingleObject(held, DRIVER_TIMEOUT_MS);
    CloseHandle(held);
    ASSERT_EQ(inLoader, WAIT_OBJECT_0) << "the editor's thread did not get into the loader";
    ExpectExitAfter(true);
}

// A close request, File, Exit or a drop that comes while a box or dialog
// of the editor is up (from another program: the window takes no input
// then) changes nothing. And a level named by a relative path is saved to
// it however the current folder moves, as a file dialog moves it.
TEST_F(CloseRequest, RequestsWhileABoxOrDialogIsUpChangeNothing)
{
    ASSERT_TRUE(CreateDirectoryA(PathOf("other").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(PathOf("rel.vrk"), LOADED_LEVEL));
    ASSERT_TRUE(WriteFileBytes(PathOf("dropped.vrk"), LOADED_PLUS_SECTOR_AT_5X0));
    Start("rel.vrk");
    ExpectTitle("rel.vrk", false);
    const struct {
        const char* caption;  // null: the Save dialog
        int command;          // 0: the close request, which asks
        bool modified;
    } cases[] = {{"Sector Properties", IDM_SECTOR_PROPERTIES, false}, {nullptr, IDM_FILE_SAVE_AS, true}, {"Unsaved changes", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption ? c.caption : "Save As");
        if (c.command == IDM_FILE_SAVE_AS)
            AddSectorAt(2, 3);  // the edit that Save As and the question are about
        c.command ? PostCommand(editor_.window, c.command) : Close();
        HWND modal = c.caption ? WaitForDialog(editor_.processId, c.caption) : WaitForFileDialog();
        ASSERT_NE(modal, nullptr) << "no box or dialog came up";
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutA(editor_.window, WM_CLOSE, 0, 0, SMTO_NORMAL, DRIVER_TIMEOUT_MS, &result))
            << "the close request was not let go";
        EXPECT_TRUE(SendMessageTimeoutA(editor_.window, WM_COMMAND, IDM_EXIT, 0, SMTO_NORMAL, DRIVER_TIMEOUT_MS,
                                        &result))
            << "File, Exit was not let go";
        EXPECT_TRUE(DropFilesOn(&editor_, {PathOf("dropped.vrk")}, 50, 50, true) && PingWindow(editor_.window))
            << "the drop was not let go";
        EXPECT_TRUE(IsWindowVisible(modal)) << "the box or dialog is gone";
        PressDialogButton(modal, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(modal)) << "the box or dialog did not close on Cancel";
        ExpectNoDialog();
        ExpectTitle("rel.vrk", c.modified);
    }
    HANDLE thread = CallInEditor(editor_, "SetCurrentDirectoryA", PathOf("other"));
    ASSERT_NE(thread, nullptr) << "no thread in the editor";
    EXPECT_EQ(WaitForSingleObject(thread, DRIVER_TIMEOUT_MS), WAIT_OBJECT_0) << "the current folder did not move";
    CloseHandle(thread);
    SaveAndExpectFile("rel.vrk", MakeLevelFile(3, 3, {{0, 0, 2, 2, 50, 60}, {2, 3, 3, 4, 128, 132}}));
    EXPECT_FALSE(FileExists(PathOf("other\\rel.vrk"))) << "saved in the folder moved to";
}
