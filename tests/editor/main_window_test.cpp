// The main window as start-up creates it: class, size, menu, title, and what
// its creation and destruction do.
#include <gtest/gtest.h>

#include <string>

#include "editor_window_fixture.h"
#include "main_window.h"
#include "map_view.h"

namespace {

using MainWindow = EditorWindow;

// Class name, size, frame, icons, menu and first title: what a user and
// another program find.
TEST_F(MainWindow, HasItsClassSizeStyleMenuAndTitle)
{
    char className[100] = "";
    GetClassNameA(window_, className, sizeof className);
    EXPECT_STREQ("QUILLMARCH", className) << "class name from string 109";
    EXPECT_EQ("Quillmarch - [Untitled]  ", Title());

    RECT frame;
    GetWindowRect(window_, &frame);
    EXPECT_EQ(620, frame.right - frame.left) << "window width";
    EXPECT_EQ(390, frame.bottom - frame.top) << "window height";

    LONG style = GetWindowLongA(window_, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_OVERLAPPEDWINDOW),
              style & static_cast<LONG>(WS_OVERLAPPEDWINDOW))
        << "overlapped-window style";
    EXPECT_TRUE(IsWindowVisible(window_)) << "shown";
    EXPECT_EQ(0, GetWindowLongA(window_, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE & ~WS_EX_ACCEPTFILES)
        << "no extended style of its own";
    EXPECT_NE(0, GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
        << "the window accepts dropped files";

    // What the window class paints is covered by the view's pixels; the
    // icons are what the title bar and the task bar show.
    EXPECT_NE(0u, GetClassLongPtrA(window_, GCLP_HICON)) << "large icon";
    EXPECT_NE(0u, GetClassLongPtrA(window_, GCLP_HICONSM)) << "small icon";

    HMENU menu = GetMenu(window_);
    ASSERT_NE(nullptr, menu) << "the class menu";
    EXPECT_EQ(3, GetMenuItemCount(menu)) << "popups in the menu bar";
    EXPECT_TRUE(SectorPropertiesGrayed()) << "Sector Properties at start";
}

// The first paint has already happened when CreateMainWindow returns.
TEST_F(MainWindow, FirstPaintDoneOnCreation)
{
    RECT update;
    EXPECT_FALSE(GetUpdateRect(window_, &update, FALSE))
        << "nothing left to paint: " << DescribeRect(update);
}

// A change asks for a redraw of the whole client area and the paint shows it.
TEST_F(MainWindow, EditInvalidatesAndPaintShowsIt)
{
    Press(40, 56);
    RECT update, client;
    GetClientRect(window_, &client);
    ASSERT_TRUE(GetUpdateRect(window_, &update, FALSE)) << "a redraw was asked for";
    EXPECT_TRUE(update == client) << "update area: expected " << DescribeRect(client)
                                  << ", got " << DescribeRect(update);
    Release(40, 56);
    UpdateWindow(window_);
    HDC dc = GetDC(window_);
    COLORREF outline = GetPixel(dc, 32, 50);
    COLORREF inside = GetPixel(dc, 40, 56);
    ReleaseDC(window_, dc);
    EXPECT_EQ(SECTOR_COLOUR, outline) << "left edge of the new sector: " << DescribeColour(outline);
    EXPECT_EQ(FIELD_COLOUR, inside) << "inside the new sector: " << DescribeColour(inside);
}

TEST_F(MainWindow, DestroyReleasesToolsAndQuitsWithZero)
{
    HGDIOBJ created[4] = {g_tools.startBrush, g_tools.sectorPen, g_tools.gridPen,
                          g_tools.selectionPen};
    for (HGDIOBJ object : created)
        ASSERT_NE(0u, GetObjectType(object)) << "tools exist while the window does";
    DestroyWindow(window_);
    EXPECT_EQ(0, TakeQuitMessage()) << "exit code of the quit message";
    for (HGDIOBJ object : created)
        EXPECT_EQ(0u, GetObjectType(object)) << "tool still alive after the window";
    EXPECT_EQ(nullptr, GetMainWindow());
}

}  // namespace
