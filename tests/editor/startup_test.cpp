// Start-up of the real Quillmarch.exe: the command-line path rules, the level
// loaded before the window, and the reader's warnings before the window.
#include "editor_fixture.h"
#include "screen_pixel.h"

#include <string>

namespace {

const FileSector ONE_SECTOR = {2, 1, 5, 3, 128, 132};  // pixels [32, 80) x [16, 48)

// Any window of the class in the process, shown or not.
struct ClassQuery {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param)
{
    auto* query = reinterpret_cast<ClassQuery*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == query->processId && GetClassNameOf(window) == query->className) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindAnyWindowOfClass(DWORD processId, const char* className)
{
    ClassQuery query = {processId, className, nullptr};
    EnumWindows(MatchClass, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

class Startup : public EditorTest {
protected:
    void ExpectSectorOnScreen()
    {
        COLORREF outline = WaitForScreenPixel(editor_.window, 32, 30, RGB(255, 0, 0));
        EXPECT_EQ(RGB(255, 0, 0), outline) << "the loaded sector's left edge on the screen";
    }
};

TEST_F(Startup, NoPathOpensAnEmptyUntitledLevel)
{
    Start();
    ExpectTitle("[Untitled]", false);  // "Quillmarch - [Untitled]  "
    RECT frame;
    GetWindowRect(editor_.window, &frame);
    EXPECT_EQ(620, frame.right - frame.left) << "window width";
    EXPECT_EQ(390, frame.bottom - frame.top) << "window height";
    COLORREF start = WaitForScreenPixel(editor_.window, 8, 8, RGB(0, 255, 0));
    EXPECT_EQ(RGB(0, 255, 0), start) << "the start disc in cell (0, 0)";
    COLORREF field = WaitForScreenPixel(editor_.window, 40, 30, RGB(0, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), field) << "the empty field";
}

TEST_F(Startup, QuotedPathWithSpace)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("a b.vrk"), MakeLevelFile(0, 0, {ONE_SECTOR})));
    Start("\"" + PathOf("a b.vrk") + "\"");
    ExpectTitle("a b.vrk", false);
    ExpectSectorOnScreen();
}

TEST_F(Startup, UnquotedPathWithSpacesIsOnePath)
{
    std::string folder = PathOf("my levels");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string path = folder + "\\hall two.vrk";
    ASSERT_TRUE(WriteFileBytes(path, MakeLevelFile(0, 0, {ONE_SECTOR})));
    Start(path);
    ExpectTitle("hall two.vrk", false);
    ExpectSectorOnScreen();
}

// Without a closing quote the path runs to the end of the text.
TEST_F(Startup, QuoteWithoutClosingQuote)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("open end.vrk"), MakeLevelFile(0, 0, {ONE_SECTOR})));
    Start("\"" + PathOf("open end.vrk"));
    ExpectTitle("open end.vrk", false);
}

// A relative path is taken against the current folder and shown whole.
TEST_F(Startup, RelativePath)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("rel.vrk"), MakeLevelFile(0, 0, {ONE_SECTOR})));
    Start("rel.vrk");
    ExpectTitle("rel.vrk", false);
}

// A path that does not load leaves the fresh level, silently.
TEST_F(Startup, MissingOrDamagedFileIsSilent)
{
    Bytes truncated = MakeLevelFile(0, 0, {ONE_SECTOR});
    truncated.resize(truncated.size() - 3);
    ASSERT_TRUE(WriteFileBytes(PathOf("short.vrk"), truncated));
    for (const char* name : {"missing.vrk", "short.vrk"}) {
        SCOPED_TRACE(name);
        Start("\"" + PathOf(name) + "\"");
        ExpectTitle("[Untitled]", false);
        ExpectNoDialog();
        StopEditor(&editor_);
    }
}

// The version warning comes while no main window exists; the level then
// loads and the window names it.
TEST_F(Startup, VersionOneWarningComesBeforeTheWindow)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("old.vrk"), MakeLevelFile(3, 2, {ONE_SECTOR}, {}, 1)));
    ASSERT_TRUE(LaunchEditor(&editor_, "\"" + PathOf("old.vrk") + "\"", folder_.c_str()));
    HWND box = WaitForDialog(editor_.processId, "Failed to load map");
    ASSERT_NE(nullptr, box) << "no warning box";
    EXPECT_EQ("Expected map version 2, file is version 1.", GetMessageBoxText(box));
    EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER)) << "the warning has no owner";
    EXPECT_EQ(nullptr, FindAnyWindowOfClass(editor_.processId, "QUILLMARCH"))
        << "the main window exists while the warning is up";
    PressDialogButton(box, IDOK);
    ASSERT_NE(nullptr, WaitForMainWindow(&editor_)) << "no main window after the warning";
    ExpectTitle("old.vrk", false);
    ExpectSectorOnScreen();
}

TEST_F(Startup, TooManySectorsWarnsThenOpensUntitled)
{
    Bytes bytes = MakeLevelFile(0, 0, {});
    bytes[5] = 1;  // sectorCount 257
    bytes[6] = 1;
    ASSERT_TRUE(WriteFileBytes(PathOf("big.vrk"), bytes));
    ASSERT_TRUE(LaunchEditor(&editor_, "\"" + PathOf("big.vrk") + "\"", folder_.c_str()));
    HWND box = WaitForDialog(editor_.processId, "Failed to load map");
    ASSERT_NE(nullptr, box) << "no warning box";
    EXPECT_EQ("Map contains too many sectors.", GetMessageBoxText(box));
    PressDialogButton(box, IDOK);
    ASSERT_NE(nullptr, WaitForMainWindow(&editor_)) << "no main window after the warning";
    ExpectTitle("[Untitled]", false);
    ExpectNoDialog();
}

}  // namespace
