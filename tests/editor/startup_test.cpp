// Start-up of the real Quillmarch.exe: the command-line path rules and the
// level loaded before the window. A file that does not load is a row of
// tests/e2e/load_failures_test.cpp.
#include "editor_fixture.h"
#include "screen_pixel.h"

#include <string>

namespace {

const FileSector ONE_SECTOR = {2, 1, 5, 3, 128, 132};  // pixels [32, 80) x [16, 48)

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

}  // namespace
