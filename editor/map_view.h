// The map view: grid, sectors, start marker and selection frame.
#ifndef QUILLMARCH_MAP_VIEW_H
#define QUILLMARCH_MAP_VIEW_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "level.h"

struct DrawingTools {
    HBRUSH backgroundBrush;  // stock black brush, never deleted
    HBRUSH startBrush;       // the colours are those of map_palette.h
    HPEN sectorPen;
    HPEN gridPen;
    HPEN selectionPen;  // dotted
};

extern DrawingTools g_tools;  // created with the main window, released with it

void CreateDrawingTools();
void DeleteDrawingTools();

// Draws the whole view into any DC and leaves its brush and pen as they were.
void PaintMap(HDC dc, const RECT* clientRect, const Level* level);

void OnPaint(HWND window);

// Asks for a full redraw at the next paint.
void InvalidateView(HWND window);

#endif
