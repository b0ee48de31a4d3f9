#include "editor_window_fixture.h"

#include <stdio.h>

#include "main_window.h"
#include "mouse_edit.h"
#include "resource.h"

void EditorWindow::SetUpTestSuite()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    LoadEditorStrings(instance);
    RegisterMainClass(instance);
}

void EditorWindow::SetUp()
{
    ResetEditorState();
    ClipCursor(nullptr);
    GetClipCursor(&freeClip_);
    ASSERT_EQ(1, CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL))
        << "the main window could not be created";
    window_ = GetMainWindow();
    ASSERT_NE(nullptr, window_);
}

void EditorWindow::TearDown()
{
    if (IsWindow(window_))
        DestroyWindow(window_);
    TakeQuitMessage();
    ClipCursor(nullptr);
    ResetEditorState();
}

void EditorWindow::Press(int x, int y)
{
    SendMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

void EditorWindow::Move(int x, int y, WPARAM keys)
{
    SendMessageA(window_, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

void EditorWindow::Release(int x, int y)
{
    SendMessageA(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void EditorWindow::RightClick(int x, int y)
{
    SendMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    SendMessageA(window_, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

std::string EditorWindow::Title() const
{
    char text[2048] = "";
    GetWindowTextA(window_, text, sizeof text);
    return text;
}

bool EditorWindow::SectorPropertiesGrayed() const
{
    UINT state = GetMenuState(GetMenu(window_), IDM_SECTOR_PROPERTIES, MF_BYCOMMAND);
    EXPECT_NE(static_cast<UINT>(-1), state) << "Sector Properties is missing from the menu";
    return (state & MF_GRAYED) != 0;
}

RECT EditorWindow::CursorClip() const
{
    RECT clip = {};
    GetClipCursor(&clip);
    return clip;
}

RECT EditorWindow::ExpectedDragClip() const
{
    RECT client;
    GetClientRect(window_, &client);
    POINT a = {0, 0};
    POINT b = {client.right + 1, client.bottom + 1};
    ClientToScreen(window_, &a);
    ClientToScreen(window_, &b);
    RECT clip = {a.x, a.y, b.x, b.y};
    // The system keeps a clip inside the screen.
    RECT visible;
    IntersectRect(&visible, &clip, &freeClip_);
    return visible;
}

void EditorWindow::AddSectorForTest(int left, int top, int right, int bottom)
{
    Sector s = MakeSector(left, top, right, bottom);
    ASSERT_NE(NO_SECTOR, AddSector(&g_level, &s));
}

void EditorWindow::ExpectSector(int slot, int left, int top, int right, int bottom)
{
    ASSERT_LT(slot, static_cast<int>(g_level.sectorCount)) << "no sector in slot " << slot;
    Sector expected = MakeSector(left, top, right, bottom);
    const Sector& seen = g_level.sectors[slot];
    EXPECT_TRUE(seen.left == expected.left && seen.top == expected.top &&
                seen.right == expected.right && seen.bottom == expected.bottom)
        << "slot " << slot << ": expected " << DescribeSector(expected) << ", got "
        << DescribeSector(seen);
}

int TakeQuitMessage()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return static_cast<int>(msg.wParam);
        DispatchMessageA(&msg);
    }
    return -1;
}

bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}

std::string DescribeRect(const RECT& r)
{
    char text[80];
    snprintf(text, sizeof text, "(%ld, %ld)-(%ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}
