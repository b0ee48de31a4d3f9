// Helpers for the editor's in-process tests: a memory bitmap to paint into
// and read back, a clean level and edit state, and readable colours.
#ifndef QUILLMARCH_EDITOR_TEST_SUPPORT_H
#define QUILLMARCH_EDITOR_TEST_SUPPORT_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>
#include <string>

#include "level.h"
#include "map_palette.h"
#include "sectors.h"

// A top-down 32-bit DIB section selected into a memory DC, so the pixels
// GDI draws can be read straight from memory.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ oldBitmap;
    uint32_t* bits;
    int width;
    int height;
};

// Filled with `fill` so a test can tell untouched pixels from drawn ones.
bool CreateCanvas(Canvas* canvas, int width, int height, COLORREF fill);
void DestroyCanvas(Canvas* canvas);
COLORREF PixelAt(const Canvas* canvas, int x, int y);

// "(r, g, b)" for failure messages.
std::string DescribeColour(COLORREF colour);

// The colours the map view draws with, as a DC's pixels read.
const COLORREF GRID_COLOUR = ToColorRef(MAP_GRID_COLOUR);
const COLORREF SECTOR_COLOUR = ToColorRef(MAP_SECTOR_COLOUR);
const COLORREF START_COLOUR = ToColorRef(MAP_START_COLOUR);
const COLORREF FRAME_COLOUR = ToColorRef(MAP_SELECTION_COLOUR);
const COLORREF FIELD_COLOUR = ToColorRef(MAP_FIELD_COLOUR);

// A fresh level in g_level and a cleared edit state.
void ResetEditorState();

// Counts the editor's MessageBeep calls from now on: the test program's
// import of MessageBeep is pointed at a counter (the editor code is linked
// into the test program, so its calls go through that import).
void StartCountingBeeps();
int BeepCount();

#endif
