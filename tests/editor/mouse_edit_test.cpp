// Mouse editing through real window messages to an in-process main window.
#include <gtest/gtest.h>

#include <string>

#include "editor_window_fixture.h"
#include "level_file.h"
#include "main_window.h"
#include "mouse_edit.h"

namespace {

const std::string UNTITLED = "Quillmarch - [Untitled]  ";
const std::string UNTITLED_MODIFIED = "Quillmarch - [Untitled] *";

using MouseEditing = EditorWindow;

TEST_F(MouseEditing, PressOnEmptyCellCreatesOneCellSector)
{
    EXPECT_TRUE(SectorPropertiesGrayed()) << "Sector Properties must start grayed";
    StartCountingBeeps();
    Press(40, 56);  // cell (2, 3)
    EXPECT_EQ(0, BeepCount()) << "beeps for a press with room in the table";
    ASSERT_EQ(1, g_level.sectorCount) << "sectors after the press";
    ExpectSector(0, 2, 3, 3, 4);
    EXPECT_EQ(128, g_level.sectors[0].floorHeight) << "floor height";
    EXPECT_EQ(132, g_level.sectors[0].ceilingHeight) << "ceiling height";
    EXPECT_EQ(1, g_level.modified) << "modified after creating a sector";
    EXPECT_TRUE(SectorPropertiesGrayed()) << "Sector Properties after a press on an empty cell";
    EXPECT_EQ(window_, GetCapture()) << "the window holds the mouse while the button is down";
    RECT clip = CursorClip(), expected = ExpectedDragClip();
    EXPECT_TRUE(clip == expected) << "cursor clip: expected " << DescribeRect(expected)
                                  << ", got " << DescribeRect(clip);
    EXPECT_EQ(UNTITLED, Title()) << "the title waits for the release";

    Release(40, 56);
    EXPECT_EQ(UNTITLED_MODIFIED, Title()) << "title after the release";
    EXPECT_EQ(nullptr, GetCapture()) << "capture after the release";
    clip = CursorClip();
    EXPECT_TRUE(clip == freeClip_) << "cursor clip after the release: expected "
                                   << DescribeRect(freeClip_) << ", got " << DescribeRect(clip);
}

// Positions are signed 16-bit halves and cells truncate toward zero, so a
// pixel just left of the view is still column 0.
TEST_F(MouseEditing, NegativePixelTruncatesTowardZero)
{
    Press(-5, 40);
    Release(-5, 40);
    ASSERT_EQ(1, g_level.sectorCount);
    ExpectSector(0, 0, 2, 1, 3);
}

TEST_F(MouseEditing, DragStretchesRightAndDownAndBack)
{
    struct Step {
        int x, y, right, bottom;
    };
    const Step steps[] = {
        {90, 60, 6, 4},  // (90 - 40) / 16 = 3 more columns
        {55, 56, 3, 4},  // 15 pixels: no more columns
        {56, 56, 4, 4},  // 16 pixels: one more column
        {40, 90, 3, 6},  // (90 - 56) / 16 = 2 more rows
        {40, 56, 3, 4},  // back at the press point
    };
    Press(40, 56);
    for (const Step& s : steps) {
        Move(s.x, s.y);
        SCOPED_TRACE("pointer at (" + std::to_string(s.x) + ", " + std::to_string(s.y) + ")");
        ExpectSector(0, 2, 3, s.right, s.bottom);
    }
    Release(40, 56);
    EXPECT_EQ(1, g_level.sectorCount) << "stretching adds no sectors";
}

// With [5, 6) x [0, 1) in the table, a sector drawn from (48, 8) is refused
// the step that puts its bottom-right cell inside, then grows over it.
TEST_F(MouseEditing, BlockedStepThenCoversTheOtherSector)
{
    AddSectorForTest(5, 0, 6, 1);
    Press(48, 8);
    ASSERT_EQ(2, g_level.sectorCount);
    ExpectSector(1, 3, 0, 4, 1);
    Move(64, 8);
    ExpectSector(1, 3, 0, 5, 1);
    Move(80, 8);
    ExpectSector(1, 3, 0, 5, 1);  // (5, 0) lies in the other sector: refused
    Move(96, 8);
    ExpectSector(1, 3, 0, 7, 1);  // corner test only: now it covers it
    Release(96, 8);
    ExpectSector(0, 5, 0, 6, 1);
}

TEST_F(MouseEditing, PressOnSectorSelectsIt)
{
    AddSectorForTest(2, 1, 5, 3);
    g_level.modified = 0;
    Press(70, 40);  // cell (4, 2)
    EXPECT_EQ(1, g_level.sectorCount) << "a press on a sector creates nothing";
    EXPECT_FALSE(SectorPropertiesGrayed()) << "Sector Properties after selecting";
    EXPECT_EQ(0, g_level.modified) << "selecting is not a change";
    EXPECT_EQ(nullptr, GetCapture()) << "no capture without a drag";
    unsigned floor = 0, ceiling = 0;
    EXPECT_TRUE(GetSelectedHeights(&floor, &ceiling)) << "a sector is selected";
    EXPECT_EQ(128u, floor);
    EXPECT_EQ(132u, ceiling);

    // Moving with the button held after selecting changes nothing.
    Move(150, 120);
    ExpectSector(0, 2, 1, 5, 3);
    Release(150, 120);
    EXPECT_EQ(UNTITLED, Title()) << "the release sets the title, still unmodified";

    // A press on an empty cell then clears the selection and grays the item.
    Press(8, 100);
    EXPECT_TRUE(SectorPropertiesGrayed()) << "Sector Properties after a press on an empty cell";
    EXPECT_FALSE(GetSelectedHeights(&floor, &ceiling)) << "selection after a press on an empty cell";
    Release(8, 100);
}

TEST_F(MouseEditing, MoveWithoutTheButtonChangesNothing)
{
    Press(40, 56);
    Move(90, 90, 0);  // button flag missing
    ExpectSector(0, 2, 3, 3, 4);
    Release(40, 56);
    Move(90, 90);  // after the release
    ExpectSector(0, 2, 3, 3, 4);
}

TEST_F(MouseEditing, SelectedHeightsKeepTheLowEightBits)
{
    Press(40, 56);
    Release(40, 56);
    Press(40, 56);  // selects the new sector
    g_level.modified = 0;
    SetSelectedHeights(300, 1000);
    EXPECT_EQ(44, g_level.sectors[0].floorHeight) << "300 stored as a byte";
    EXPECT_EQ(232, g_level.sectors[0].ceilingHeight) << "1000 stored as a byte";
    EXPECT_EQ(0, g_level.modified) << "SetSelectedHeights leaves modified to its caller";

    Press(300, 300);  // empty cell: nothing selected any more
    unsigned floor = 7, ceiling = 9;
    EXPECT_FALSE(GetSelectedHeights(&floor, &ceiling));
    EXPECT_EQ(7u, floor) << "floor left untouched without a selection";
    EXPECT_EQ(9u, ceiling) << "ceiling left untouched without a selection";
    SetSelectedHeights(1, 2);
    EXPECT_EQ(44, g_level.sectors[0].floorHeight) << "no selection, nothing stored";
    Release(300, 300);
}

// A drag left of or above the press point keeps one cell.
TEST_F(MouseEditing, DragLeftOrUpKeepsOneCell)
{
    struct Step {
        int x, y;
    };
    const Step steps[] = {{24, 56}, {8, 56}, {40, 8}, {8, 8}, {-200, -300}, {-32768, -32768}};
    Press(40, 56);
    for (const Step& s : steps) {
        Move(s.x, s.y);
        SCOPED_TRACE("pointer at (" + std::to_string(s.x) + ", " + std::to_string(s.y) + ")");
        ExpectSector(0, 2, 3, 3, 4);
    }
    Move(90, 60);
    ExpectSector(0, 2, 3, 6, 4);
    Release(90, 60);
    // The sector stays visible and selectable.
    Press(40, 56);
    EXPECT_FALSE(SectorPropertiesGrayed()) << "the stretched-back sector can be selected";
    Release(40, 56);
}

// After a save made mid-drag, a step that changes the size marks
// the level modified again; a step that does not change it leaves it clean.
TEST_F(MouseEditing, StretchAfterMidDragSaveSetsModified)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "qm_mouse_edit_save.vrk";

    Press(40, 56);
    ASSERT_EQ(0, SaveLevel(&g_level, path.c_str())) << "saving to " << path;
    ASSERT_EQ(0, g_level.modified) << "the save clears modified";
    Move(50, 60);  // 10 pixels: same size
    EXPECT_EQ(0, g_level.modified) << "a step that keeps the size";
    Move(90, 60);
    EXPECT_EQ(1, g_level.modified) << "a step that changes the size";
    Release(90, 60);
    EXPECT_EQ("Quillmarch - qm_mouse_edit_save.vrk *", Title());

    // Steps the corner test refuses or the one-cell floor keeps mark nothing.
    AddSectorForTest(5, 7, 6, 8);
    Press(40, 120);  // new sector at (2, 7)
    ASSERT_EQ(0, SaveLevel(&g_level, path.c_str()));
    Move(88, 120);  // bottom-right cell (5, 7) is taken: refused
    ExpectSector(2, 2, 7, 3, 8);
    EXPECT_EQ(0, g_level.modified) << "a refused step";
    Move(40, 56);  // upward: kept at one cell
    EXPECT_EQ(0, g_level.modified) << "an upward drag kept at one cell";
    Release(40, 56);
    DeleteFileA(path.c_str());
}

// The modified mark shows at once after a right click.
TEST_F(MouseEditing, RightClickSetsStartCellAndTitle)
{
    RightClick(17, 31);
    EXPECT_EQ(1, g_level.startX) << "start column";
    EXPECT_EQ(1, g_level.startY) << "start row";
    EXPECT_EQ(1, g_level.modified) << "modified after a right click";
    EXPECT_EQ(UNTITLED_MODIFIED, Title()) << "title right after the right click";
    EXPECT_EQ(0, g_level.sectorCount) << "a right click adds no sector";
}

// A full table beeps and adds nothing; no slot is stretched.
TEST_F(MouseEditing, FullTableAddsNothing)
{
    for (int i = 0; i < MAX_SECTORS; i++)
        AddSectorForTest(i, 20, i + 1, 21);
    g_level.modified = 0;
    StartCountingBeeps();
    ASSERT_EQ(0, BeepCount()) << "MessageBeep could not be watched";
    Press(8, 8);
    EXPECT_EQ(1, BeepCount()) << "beeps for a press with a full table";
    EXPECT_EQ(MAX_SECTORS, g_level.sectorCount) << "sectors after a press with a full table";
    Move(200, 200);
    ExpectSector(MAX_SECTORS - 1, MAX_SECTORS - 1, 20, MAX_SECTORS, 21);
    Release(200, 200);
    EXPECT_EQ(0, g_level.modified) << "nothing was added";
    EXPECT_EQ(UNTITLED, Title());
}

// Losing the capture mid-drag ends the drag as a release would,
// whether another window takes it or nobody does.
TEST_F(MouseEditing, LostCaptureEndsTheDrag)
{
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    for (bool toOther : {true, false}) {
        SCOPED_TRACE(toOther ? "capture taken by another window" : "capture released");
        ResetEditorState();
        SetWindowTextA(window_, "");
        Press(40, 56 + (toOther ? 0 : 64));
        int slot = g_level.sectorCount - 1;
        Sector before = g_level.sectors[slot];
        if (toOther)
            SetCapture(other);
        else
            ReleaseCapture();
        RECT clip = CursorClip();
        EXPECT_TRUE(clip == freeClip_) << "cursor clip: expected " << DescribeRect(freeClip_)
                                       << ", got " << DescribeRect(clip);
        EXPECT_EQ(UNTITLED_MODIFIED, Title()) << "the title is set as on a release";
        Move(200, 200);
        const Sector& after = g_level.sectors[slot];
        EXPECT_TRUE(after.right == before.right && after.bottom == before.bottom)
            << "a move after the capture was lost: expected " << DescribeSector(before)
            << ", got " << DescribeSector(after);
        ReleaseCapture();
    }
    DestroyWindow(other);
}

// One call forgets the selection and any stretch in progress.
TEST_F(MouseEditing, ResetEditStateForgetsSelectionAndStretch)
{
    AddSectorForTest(0, 0, 2, 2);
    Press(8, 8);
    ResetEditState();
    unsigned floor, ceiling;
    EXPECT_FALSE(GetSelectedHeights(&floor, &ceiling)) << "selection after the reset";

    Press(100, 100);
    ASSERT_EQ(2, g_level.sectorCount);
    ResetEditState();
    Move(200, 200);
    ExpectSector(1, 6, 6, 7, 7);
    Release(200, 200);
}

// A stray release or a second press without a release breaks nothing.
TEST_F(MouseEditing, StrayReleaseAndDoublePress)
{
    Release(50, 50);
    EXPECT_EQ(0, g_level.sectorCount);
    EXPECT_EQ(UNTITLED, Title()) << "a release alone sets the same title";
    Press(40, 56);
    Press(120, 56);  // the release of the first press never came
    ASSERT_EQ(2, g_level.sectorCount);
    Move(152, 56);
    ExpectSector(0, 2, 3, 3, 4);
    ExpectSector(1, 7, 3, 10, 4);
    Release(152, 56);
    EXPECT_EQ(nullptr, GetCapture());
}

}  // namespace
