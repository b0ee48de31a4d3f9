// The window title: its format, the base name rule and long names.
#include <gtest/gtest.h>

#include <string>

#include "editor_window_fixture.h"
#include "main_window.h"
#include "title.h"

namespace {

TEST(Title, FormatTable)
{
    struct Case {
        const char* fileName;
        int modified;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, 0, "Quillmarch - [Untitled]  "},
        {nullptr, 1, "Quillmarch - [Untitled] *"},
        {"C:\\maps\\hall.vrk", 0, "Quillmarch - hall.vrk  "},
        {"C:\\maps\\hall.vrk", 1, "Quillmarch - hall.vrk *"},
        {"a.vrk", 0, "Quillmarch - a.vrk  "},                      // no backslash: whole
        {"C:/maps/fwd.vrk", 0, "Quillmarch - C:/maps/fwd.vrk  "},  // only '\' separates
        {"C:\\a b\\with space.vrk", 0, "Quillmarch - with space.vrk  "},
        {"C:\\maps\\", 0, "Quillmarch -   "},  // nothing after the backslash
        {"\\x.vrk", 0, "Quillmarch - x.vrk  "},
    };
    for (const Case& c : cases) {
        std::string seen = FormatTitle("Quillmarch", c.fileName, c.modified);
        EXPECT_EQ(c.expected, seen) << "file name " << (c.fileName ? c.fileName : "(none)")
                                    << ", modified " << c.modified;
    }
}

// A name far past 128 characters is shown whole, not cut or overrun.
TEST(Title, LongNameIsKeptWhole)
{
    std::string base(600, 'n');
    base += ".vrk";
    std::string path = "C:\\" + std::string(300, 'd') + "\\" + base;
    std::string seen = FormatTitle("Quillmarch", path.c_str(), 1);
    EXPECT_EQ("Quillmarch - " + base + " *", seen);
}

using TitleOfWindow = EditorWindow;

TEST_F(TitleOfWindow, UpdateTitleShowsTheLevel)
{
    EXPECT_EQ("Quillmarch - [Untitled]  ", Title()) << "title of a new window";
    std::string base(400, 'q');
    ASSERT_EQ(0, SetLevelFileName(&g_level, ("Z:\\levels\\" + base).c_str()));
    g_level.modified = 1;
    UpdateTitle(window_);
    EXPECT_EQ("Quillmarch - " + base + " *", Title());
}

}  // namespace
