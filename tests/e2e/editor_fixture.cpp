// The end-to-end fixture: one temp folder and one editor process per test.
#include "editor_fixture.h"

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

void EditorTest::AnswerBox(const char* caption, const char* text, int button)
{
    HWND box = WaitForDialog(editor_.processId, caption);
    ASSERT_NE(box, nullptr) << "no box with the caption \"" << caption << "\" appeared";
    if (text)
        EXPECT_EQ(GetMessageBoxText(box), text) << "text of the box \"" << caption << "\"";
    PressDialogButton(box, button);
    EXPECT_TRUE(WaitForWindowGone(box)) << "the box \"" << caption << "\" did not close";
}

void EditorTest::ExpectFileBytes(const std::string& path, const std::vector<unsigned char>& expected)
{
    std::vector<unsigned char> actual;
    ASSERT_TRUE(ReadFileBytes(path, &actual)) << "cannot read " << path;
    EXPECT_EQ(FormatBytes(actual), FormatBytes(expected)) << "bytes of " << path;
}
