// PaintMap drawn into memory bitmaps and checked pixel by pixel.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor_test_support.h"
#include "files.h"
#include "level_bytes.h"
#include "level_file.h"
#include "main_window.h"
#include "map_view.h"
#include "mouse_edit.h"
#include "png_read.h"
#include "run_tool.h"

namespace {

class MapView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditorState();
        CreateDrawingTools();
    }
    void TearDown() override
    {
        DestroyCanvas(&canvas_);
        DeleteDrawingTools();
        ResetEditorState();
    }

    // Paints the level into a fresh canvas pre-filled with magenta, which
    // PaintMap never draws, so missed pixels show.
    void Paint(int width, int height, const Level* level = &g_level)
    {
        DestroyCanvas(&canvas_);
        ASSERT_TRUE(CreateCanvas(&canvas_, width, height, RGB(255, 0, 255)));
        RECT client = {0, 0, width, height};
        PaintMap(canvas_.dc, &client, level);
    }

    void ExpectPixel(int x, int y, COLORREF expected, const char* what)
    {
        COLORREF seen = PixelAt(&canvas_, x, y);
        EXPECT_EQ(expected, seen) << what << " at (" << x << ", " << y << "): expected "
                                  << DescribeColour(expected) << ", got " << DescribeColour(seen);
    }

    void AddSectorForTest(int left, int top, int right, int bottom)
    {
        Sector s = MakeSector(left, top, right, bottom);
        ASSERT_NE(NO_SECTOR, AddSector(&g_level, &s));
    }

    Canvas canvas_ = {};
};

bool IsGridLine(int v)
{
    return v % CELL_SIZE == 0;
}

TEST_F(MapView, FreshLevelShowsFieldGridAndStartDisc)
{
    Paint(100, 70);
    // Away from the start cell every pixel is a grid line or the black field.
    for (int y = 16; y < 70; y++) {
        for (int x = 16; x < 100; x++) {
            COLORREF expected = IsGridLine(x) || IsGridLine(y) ? GRID_COLOUR : FIELD_COLOUR;
            COLORREF seen = PixelAt(&canvas_, x, y);
            if (seen != expected) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): expected "
                              << DescribeColour(expected) << ", got " << DescribeColour(seen);
                return;
            }
        }
    }
    ExpectPixel(8, 8, START_COLOUR, "centre of the start disc");
    ExpectPixel(0, 8, SECTOR_COLOUR, "left edge of the start disc");
    ExpectPixel(8, 0, SECTOR_COLOUR, "top edge of the start disc");
    ExpectPixel(1, 1, FIELD_COLOUR, "corner of the start cell, outside the disc");
}

// A 100-pixel-wide area has 7 vertical lines (w = 6) at x = 0 .. 96; a
// 50-pixel-high one has 4 horizontal lines. Read across row / column 24.
TEST_F(MapView, GridLinesEverySixteenPixelsUpToTheEdge)
{
    struct Case {
        int width, height;
        bool vertical;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {100, 40, true, {0, 16, 32, 48, 64, 80, 96}},
        {40, 50, false, {0, 16, 32, 48}},
        {96, 40, true, {0, 16, 32, 48, 64, 80}},  // the line at x = 96 is off the bitmap
    };
    for (const Case& c : cases) {
        Paint(c.width, c.height);
        std::vector<int> lines;
        int length = c.vertical ? c.width : c.height;
        for (int i = 0; i < length; i++) {
            COLORREF colour = c.vertical ? PixelAt(&canvas_, i, 24) : PixelAt(&canvas_, 24, i);
            if (colour == GRID_COLOUR)
                lines.push_back(i);
        }
        EXPECT_EQ(c.lines, lines) << (c.vertical ? "vertical" : "horizontal") << " lines in a "
                                  << c.width << " x " << c.height << " area";
    }
    // Horizontal lines run the full width, up to the last pixel.
    Paint(100, 40);
    ExpectPixel(99, 32, GRID_COLOUR, "horizontal line at y = 32");
    ExpectPixel(99, 31, FIELD_COLOUR, "field above the line at y = 32");
}

TEST_F(MapView, SectorHasRedOutlineAndBlackInterior)
{
    AddSectorForTest(2, 1, 5, 3);  // pixels [32, 80) x [16, 48)
    Paint(112, 64);
    for (int y = 16; y < 48; y++) {
        ExpectPixel(32, y, SECTOR_COLOUR, "left edge");
        ExpectPixel(79, y, SECTOR_COLOUR, "right edge (last pixel inside)");
    }
    for (int x = 32; x < 80; x++) {
        ExpectPixel(x, 16, SECTOR_COLOUR, "top edge");
        ExpectPixel(x, 47, SECTOR_COLOUR, "bottom edge (last pixel inside)");
    }
    // Grid lines do not show inside: (48, 32) is a grid crossing.
    ExpectPixel(48, 32, FIELD_COLOUR, "grid crossing inside the sector");
    ExpectPixel(64, 20, FIELD_COLOUR, "vertical grid line inside the sector");
    // The right and bottom edges are exclusive: the grid shows there.
    ExpectPixel(80, 30, GRID_COLOUR, "column 80, just right of the sector");
    ExpectPixel(40, 48, GRID_COLOUR, "row 48, just below the sector");
}

// The same two overlapping sectors in both slot orders: the later one wins.
TEST_F(MapView, LaterSlotIsDrawnOnTop)
{
    struct Case {
        bool wideFirst;
        COLORREF atInnerEdge;
        const char* what;
    };
    const Case cases[] = {
        {true, SECTOR_COLOUR, "narrow sector (slot 1) outline over the wide one"},
        {false, FIELD_COLOUR, "wide sector (slot 1) interior over the narrow one's outline"},
    };
    for (const Case& c : cases) {
        ResetEditorState();
        if (c.wideFirst) {
            AddSectorForTest(1, 1, 6, 4);
            AddSectorForTest(2, 2, 4, 3);
        } else {
            AddSectorForTest(2, 2, 4, 3);
            AddSectorForTest(1, 1, 6, 4);
        }
        Paint(112, 80);
        // (32, 40) is on the narrow sector's left edge, inside the wide one.
        ExpectPixel(32, 40, c.atInnerEdge, c.what);
    }
}

TEST_F(MapView, StartDiscIsDrawnOverSectors)
{
    AddSectorForTest(2, 1, 5, 3);
    g_level.startX = 3;
    g_level.startY = 2;
    Paint(112, 64);
    ExpectPixel(56, 40, START_COLOUR, "centre of the start cell (3, 2)");
    ExpectPixel(48, 40, SECTOR_COLOUR, "left edge of the disc");
    ExpectPixel(49, 33, FIELD_COLOUR, "corner of the start cell, sector interior");
}

TEST_F(MapView, NoSelectionDrawsNoWhite)
{
    AddSectorForTest(2, 1, 5, 3);
    Paint(112, 64);
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 112; x++) {
            if (PixelAt(&canvas_, x, y) == FRAME_COLOUR) {
                ADD_FAILURE() << "white pixel at (" << x << ", " << y << ") with nothing selected";
                return;
            }
        }
    }
}

// The frame lies on the ring one pixel outside the outline, the outline
// stays red, and the pen leaves gaps: both white and other pixels on each side.
TEST_F(MapView, SelectionFrameIsDottedWhiteOnePixelOutside)
{
    AddSectorForTest(0, 5, 1, 6);
    AddSectorForTest(2, 1, 5, 3);  // outline [32, 80) x [16, 48)
    g_edit.selected = 1;
    Paint(112, 64);
    const int left = 31, top = 15, right = 80, bottom = 48;  // the frame's ring
    int whiteOnSide[4] = {0, 0, 0, 0};                       // left, right, top, bottom
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 112; x++) {
            if (PixelAt(&canvas_, x, y) != FRAME_COLOUR)
                continue;
            bool onVertical = (x == left || x == right) && y >= top && y <= bottom;
            bool onHorizontal = (y == top || y == bottom) && x >= left && x <= right;
            if (!onVertical && !onHorizontal) {
                ADD_FAILURE() << "white pixel at (" << x << ", " << y
                              << ") off the ring x = 31 / 80, y = 15 / 48";
                return;
            }
            if (x == left) whiteOnSide[0]++;
            if (x == right) whiteOnSide[1]++;
            if (y == top) whiteOnSide[2]++;
            if (y == bottom) whiteOnSide[3]++;
        }
    }
    const char* sides[4] = {"left", "right", "top", "bottom"};
    const int lengths[4] = {34, 34, 50, 50};
    for (int i = 0; i < 4; i++) {
        EXPECT_GT(whiteOnSide[i], lengths[i] / 4) << sides[i] << " side: too few white pixels";
        EXPECT_LT(whiteOnSide[i], lengths[i] * 3 / 4) << sides[i] << " side: not dotted";
    }
    ExpectPixel(32, 30, SECTOR_COLOUR, "the selected sector's own left edge");
    ExpectPixel(79, 30, SECTOR_COLOUR, "the selected sector's own right edge");
}

// A level's coordinates reach 16 x 65535 pixels; such sectors are clipped
// and leave the visible picture exactly as a fresh level's.
TEST_F(MapView, FarSectorsAreClippedAway)
{
    Paint(96, 64);
    std::vector<COLORREF> fresh;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 96; x++)
            fresh.push_back(PixelAt(&canvas_, x, y));

    AddSectorForTest(65534, 65534, 65535, 65535);
    AddSectorForTest(6, 0, 65535, 3);     // starts one column past the view
    AddSectorForTest(0, 4, 4000, 65535);  // starts one row past the view
    g_edit.selected = 0;
    Paint(96, 64);
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 96; x++) {
            COLORREF seen = PixelAt(&canvas_, x, y);
            if (seen != fresh[y * 96 + x]) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): expected "
                              << DescribeColour(fresh[y * 96 + x]) << " as on a fresh level, got "
                              << DescribeColour(seen);
                return;
            }
        }
    }
}

TEST_F(MapView, PutsBackTheBrushAndPenItFound)
{
    AddSectorForTest(1, 1, 3, 3);
    for (int selected : {static_cast<int>(NO_SECTOR), 0}) {
        g_edit.selected = selected;
        DestroyCanvas(&canvas_);
        ASSERT_TRUE(CreateCanvas(&canvas_, 64, 64, RGB(0, 0, 0)));
        HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
        HPEN pen = CreatePen(PS_SOLID, 3, RGB(40, 50, 60));
        SelectObject(canvas_.dc, brush);
        SelectObject(canvas_.dc, pen);
        RECT client = {0, 0, 64, 64};
        PaintMap(canvas_.dc, &client, &g_level);
        EXPECT_EQ(brush, GetCurrentObject(canvas_.dc, OBJ_BRUSH))
            << "brush after painting (selection " << selected << ")";
        EXPECT_EQ(pen, GetCurrentObject(canvas_.dc, OBJ_PEN))
            << "pen after painting (selection " << selected << ")";
        SelectObject(canvas_.dc, GetStockObject(WHITE_BRUSH));
        SelectObject(canvas_.dc, GetStockObject(BLACK_PEN));
        DeleteObject(brush);
        DeleteObject(pen);
    }
}

// A level for the comparison below: its sectors and start cell, and the
// client area to draw (0 x 0: the tool's default size).
struct RenderCase {
    const char* name;
    std::vector<Sector> sectors;
    int startX, startY;
    int width, height;
    const char* example;  // or the sectors come from this example level
};

std::vector<Sector> FullTable()
{
    std::vector<Sector> sectors;
    for (int i = 0; i < MAX_SECTORS; i++)
        sectors.push_back(MakeSector(2 * (i % 16), i / 16, 2 * (i % 16) + 2, i / 16 + 1));
    return sectors;
}

// The editor's view and `vrktool render` of the same level and size: one
// drawing, two implementations, the same pixels. The cases reach the edges
// of the rules: slot order, the start disc over outlines and cut off by the
// window, rectangles given the wrong way round or with no area, and
// coordinates far past the window.
TEST_F(MapView, VrktoolRenderDrawsTheSamePixels)
{
    const RenderCase cases[] = {
        {"hall", {}, 0, 0, 0, 0, "hall"},
        {"stairs", {}, 0, 0, 0, 0, "stairs"},
        {"courtyard", {}, 0, 0, 0, 0, "courtyard"},
        {"hall cut off at 100 x 70", {}, 0, 0, 100, 70, "hall"},
        {"hall cutting the start disc", {}, 0, 0, 230, 135, "hall"},
        {"hall in one pixel", {}, 0, 0, 1, 1, "hall"},
        {"256 sectors", FullTable(), 3, 17, 0, 0, nullptr},
        {"overlapping and enclosed",
         {MakeSector(1, 1, 8, 6), MakeSector(3, 2, 5, 4), MakeSector(6, 4, 10, 8), MakeSector(2, 8, 4, 12),
          MakeSector(0, 9, 12, 11), MakeSector(1, 1, 8, 6)},
         12,
         3,
         0,
         0,
         nullptr},
        {"start disc on the right and bottom outline", {MakeSector(2, 2, 5, 4)}, 4, 3, 0, 0, nullptr},
        {"start disc just above a sector", {MakeSector(2, 2, 5, 4)}, 2, 1, 0, 0, nullptr},
        {"start cell outside every sector", {MakeSector(1, 1, 3, 3)}, 9, 6, 0, 0, nullptr},
        {"start disc cut by the window", {MakeSector(0, 0, 2, 2)}, 3, 2, 57, 40, nullptr},
        {"inverted and empty sectors",
         {MakeSector(5, 1, 2, 4), MakeSector(1, 6, 3, 4), MakeSector(7, 1, 7, 3), MakeSector(8, 2, 10, 2),
          MakeSector(11, 8, 6, 5), MakeSector(0, 0, 0, 0)},
         0,
         0,
         0,
         0,
         nullptr},
        {"coordinates far past the window",
         {MakeSector(65534, 65534, 65535, 65535), MakeSector(6, 0, 65535, 3), MakeSector(0, 4, 4000, 65535),
          MakeSector(65535, 2, 3, 3)},
         65535,
         65535,
         96,
         64,
         nullptr},
    };
    ScratchFolder folder;
    std::string vrk = folder.Path("level.vrk"), png = folder.Path("level.png");
    for (const RenderCase& c : cases) {
        static Level level;
        level = NewLevel();
        if (c.example) {
            std::string path = NativeProgramPath(std::string(QM_SOURCE_DIR) + "/examples/" + c.example + ".vrk");
            ASSERT_EQ(0, LoadLevel(&level, path.c_str())) << path;
            FreeLevel(&level);
        } else {
            level.startX = static_cast<uint16_t>(c.startX);
            level.startY = static_cast<uint16_t>(c.startY);
            level.sectorCount = static_cast<uint16_t>(c.sectors.size());
            for (size_t i = 0; i < c.sectors.size(); i++)
                level.sectors[i] = c.sectors[i];
        }
        ASSERT_TRUE(WriteFileBytes(vrk, SerializeToBytes(level))) << vrk;
        std::vector<std::string> args = {"render", vrk, "-o", png};
        int width = c.width, height = c.height;
        if (width) {
            args.insert(args.end(), {"--size", std::to_string(width), std::to_string(height)});
        } else {
            // The default: whole cells from (0, 0) past every sector and the
            // start cell, and one more on the right and at the bottom.
            int columns = level.startX + 1, rows = level.startY + 1;
            for (int i = 0; i < level.sectorCount; i++) {
                const Sector& s = level.sectors[i];
                columns = std::max({columns, static_cast<int>(s.left), static_cast<int>(s.right)});
                rows = std::max({rows, static_cast<int>(s.top), static_cast<int>(s.bottom)});
            }
            width = CELL_SIZE * (columns + 1);
            height = CELL_SIZE * (rows + 1);
        }
        DeleteFileA(png.c_str());
        ToolRun run = RunTool(NativeProgramPath(VRKTOOL_PATH), args, folder.Root());
        ASSERT_EQ(0, run.exitCode) << c.name << ": " << run.err;
        PngPicture picture;
        ASSERT_TRUE(ReadPngFile(png, &picture)) << c.name << ": no picture";
        EXPECT_EQ(width, picture.width) << c.name << ": picture width";
        EXPECT_EQ(height, picture.height) << c.name << ": picture height";
        if (picture.width != width || picture.height != height)
            continue;

        Paint(width, height, &level);
        GdiFlush();
        for (int i = 0; i < width * height; i++) {
            uint32_t drawn = canvas_.bits[i] & 0xFFFFFF;
            if (drawn != picture.pixels[i]) {
                uint32_t wrote = picture.pixels[i];
                ADD_FAILURE() << c.name << ", " << width << " x " << height << ": first differing pixel at ("
                              << i % width << ", " << i / width << "): PaintMap drew "
                              << DescribeColour(RGB(drawn >> 16, (drawn >> 8) & 0xFF, drawn & 0xFF))
                              << ", vrktool render wrote "
                              << DescribeColour(RGB(wrote >> 16, (wrote >> 8) & 0xFF, wrote & 0xFF));
                break;
            }
        }
    }
}

// The tools are made with the window and made again with the next one: a
// view painted with tools made afresh, after the first were released, shows
// the same pixels, selection frame included. (That the window's end releases
// them is MainWindow.DestroyReleasesToolsAndQuitsWithZero.)
TEST_F(MapView, ToolsMadeAgainPaintTheSamePixels)
{
    AddSectorForTest(2, 1, 5, 3);
    g_level.startX = 6;
    g_edit.selected = 0;
    Paint(112, 64);
    GdiFlush();
    std::vector<uint32_t> first(canvas_.bits, canvas_.bits + 112 * 64);
    DeleteDrawingTools();
    CreateDrawingTools();
    Paint(112, 64);
    GdiFlush();
    for (int i = 0; i < 112 * 64; i++) {
        if ((canvas_.bits[i] & 0xFFFFFF) != (first[i] & 0xFFFFFF)) {
            ADD_FAILURE() << "pixel (" << i % 112 << ", " << i / 112 << "): expected 0x" << std::hex
                          << (first[i] & 0xFFFFFF) << " as with the first tools, got 0x"
                          << (canvas_.bits[i] & 0xFFFFFF);
            return;
        }
    }
}

}  // namespace
