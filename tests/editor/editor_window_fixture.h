// A real main window in the test process, driven by window messages, so the
// tests can read its menu state, title, capture and cursor clip directly.
#ifndef QUILLMARCH_EDITOR_WINDOW_FIXTURE_H
#define QUILLMARCH_EDITOR_WINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "editor_test_support.h"

class EditorWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Mouse messages, handled before each call returns. Coordinates may be
    // negative: they are packed as signed 16-bit halves.
    void Press(int x, int y);
    void Move(int x, int y, WPARAM keys = MK_LBUTTON);
    void Release(int x, int y);
    void RightClick(int x, int y);

    std::string Title() const;
    bool SectorPropertiesGrayed() const;

    // The cursor clip as the system reports it.
    RECT CursorClip() const;
    // The clip a press on an empty cell sets: the client area with its right
    // and bottom edges, in screen coordinates.
    RECT ExpectedDragClip() const;

    void AddSectorForTest(int left, int top, int right, int bottom);
    void ExpectSector(int slot, int left, int top, int right, int bottom);

    HWND window_ = nullptr;
    RECT freeClip_ = {};  // the clip before the test: the whole screen
};

// Destroying the main window posts the quit message; this takes it off the
// queue and returns its exit code, or -1 when there was none.
int TakeQuitMessage();

bool operator==(const RECT& a, const RECT& b);
std::string DescribeRect(const RECT& r);

#endif
