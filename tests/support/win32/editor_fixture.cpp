// The end-to-end fixture: one temp folder and one editor process per test.
#include "editor_fixture.h"

#include "resource.h"

std::string ExpectedTitle(const std::string& name, bool modified)
{
    return "Quillmarch - " + name + (modified ? " *" : "  ");
}

void EditorTest::SetUp()
{
    folder_ = CreateTempFolder();
    ASSERT_FALSE(folder_.empty()) << "could not create a temp folder";
}

void EditorTest::TearDown()
{
    StopEditor(&editor_);
    RemoveFolderTree(folder_);
}

void EditorTest::Start(const std::string& arguments)
{
    ASSERT_TRUE(StartEditor(&editor_, arguments, folder_.c_str()))
        << "the editor's main window did not appear; command line: " << arguments;
}

void EditorTest::StartWithFile(const std::string& name, const Bytes& bytes)
{
    ASSERT_TRUE(WriteFileBytes(PathOf(name), bytes)) << "cannot write " << PathOf(name);
    Start("\"" + PathOf(name) + "\"");
}

std::string EditorTest::PathOf(const std::string& name) const
{
    return folder_ + "\\" + name;
}

void EditorTest::ExpectTitle(const std::string& name, bool modified)
{
    std::string expected = ExpectedTitle(name, modified);
    std::string seen;
    EXPECT_TRUE(WaitForTitle(editor_.window, expected, &seen))
        << "title: expected \"" << expected << "\", got \"" << seen << "\"";
}

namespace {

// Checks the caption and text of a box that was found, and answers it.
void CheckAndAnswer(HWND box, const char* caption, const char* text, int button)
{
    ASSERT_NE(box, nullptr) << "no box with the caption \"" << caption << "\" appeared";
    EXPECT_EQ(GetWindowTitle(box), caption) << "caption of the box";
    if (text) {
        EXPECT_EQ(GetMessageBoxText(box), text) << "text of the box \"" << caption << "\"";
    }
    PressDialogButton(box, button);
    EXPECT_TRUE(WaitForWindowGone(box)) << "the box \"" << caption << "\" did not close";
}

}  // namespace

void EditorTest::AnswerBox(const char* caption, const char* text, int button)
{
    CheckAndAnswer(WaitForDialog(editor_.processId, caption), caption, text, button);
}

void EditorTest::AnswerOwnedBox(HWND owner, const char* caption, const char* text, int button)
{
    CheckAndAnswer(WaitForOwnedDialog(editor_.processId, owner), caption, text, button);
}

HWND EditorTest::WaitForFileDialog()
{
    return WaitForOwnedDialog(editor_.processId, editor_.window);
}

void EditorTest::ChooseInFileDialog(const std::string& path)
{
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no file dialog appeared";
    ConfirmFileDialog(dialog, path);
    EXPECT_TRUE(WaitForWindowGone(dialog)) << "the file dialog did not close for " << path;
}

void EditorTest::CancelFileDialog()
{
    HWND dialog = WaitForFileDialog();
    ASSERT_NE(dialog, nullptr) << "no file dialog appeared";
    PressDialogButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(dialog)) << "the file dialog did not close on Cancel";
}

void EditorTest::SaveThroughDialog(int command, const std::string& name)
{
    PostCommand(editor_.window, command);
    ChooseInFileDialog(PathOf(name));
    ExpectTitle(name, false);
}

void EditorTest::SaveAndExpectFile(const std::string& name, const Bytes& expected)
{
    PostCommand(editor_.window, IDM_FILE_SAVE);
    ExpectTitle(name, false);
    ExpectFileBytes(PathOf(name), expected);
}

void EditorTest::AddSectorAt(int column, int row)
{
    ASSERT_TRUE(ClickAt(editor_.window, CellCentre(column), CellCentre(row)))
        << "the editor did not take the click";
}

void EditorTest::ExpectFileBytes(const std::string& path, const Bytes& expected)
{
    bool read = false;
    Bytes actual = ReadFileBytes(path, &read);
    ASSERT_TRUE(read) << "cannot read " << path;
    EXPECT_EQ(HexBytes(actual), HexBytes(expected)) << "bytes of " << path;
}

namespace {

// A client point of the window that the box does not cover.
POINT PointBesideBox(HWND window, HWND box)
{
    RECT client, covered;
    GetClientRect(window, &client);
    GetWindowRect(box, &covered);
    const POINT corners[] = {{CellCentre(1), CellCentre(1)},
                             {client.right - CellCentre(1), CellCentre(1)},
                             {CellCentre(1), client.bottom - CellCentre(1)},
                             {client.right - CellCentre(1), client.bottom - CellCentre(1)}};
    for (POINT p : corners) {
        POINT onScreen = p;
        ClientToScreen(window, &onScreen);
        if (!PtInRect(&covered, onScreen))
            return p;
    }
    return corners[0];
}

}  // namespace

void EditorTest::ExpectLoadWarningBlocksTheWindow(const char* text)
{
    HWND box = WaitForDialog(editor_.processId, "Failed to load map");
    ASSERT_NE(box, nullptr) << "no warning \"" << text << "\"";
    EXPECT_EQ(GetMessageBoxText(box), text) << "text of the warning";
    EXPECT_EQ(GetWindow(box, GW_OWNER), editor_.window) << "owner of the warning";
    EXPECT_FALSE(IsWindowEnabled(editor_.window)) << "the main window is usable under the warning";

    // A person clicks on the map while the warning is up.
    std::string before = GetWindowTitle(editor_.window);
    POINT p = PointBesideBox(editor_.window, box);
    bool clicked = ClickThroughInputQueue(editor_.window, p.x, p.y);
    bool answered = PingWindow(editor_.window);
    std::string after = GetWindowTitle(editor_.window);
    EXPECT_TRUE(clicked) << "the editor did not read the click at (" << p.x << ", " << p.y << ")";
    EXPECT_TRUE(answered) << "the editor does not answer";
    EXPECT_EQ(after, before) << "title after a click on the map under the warning";

    PressDialogButton(box, IDOK);
    EXPECT_TRUE(WaitForWindowGone(box)) << "the warning did not close";
}

void EditorTest::ExpectNoDialog()
{
    ASSERT_TRUE(PingWindow(editor_.window)) << "the editor does not answer";
    HWND dialog = FindProcessWindow(editor_.processId, "#32770", nullptr, nullptr);
    EXPECT_EQ(dialog, nullptr) << "a dialog is up: \"" << GetWindowTitle(dialog) << "\" "
                               << GetMessageBoxText(dialog);
}

void EditorTest::ExpectExitAfter(bool sendClose)
{
    if (sendClose)
        PostMessageA(editor_.window, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    ASSERT_TRUE(WaitForExit(&editor_, &code)) << "the editor did not exit";
    EXPECT_EQ(code, 0u) << "exit code";
}
