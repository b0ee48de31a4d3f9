// The map view: a black field, the grid, the sectors, the start disc and the
// selection frame, all redrawn from the level on every paint.
#include "map_view.h"

#include "main_window.h"
#include "map_palette.h"
#include "mouse_edit.h"

DrawingTools g_tools;

namespace {

// The field is the stock black brush, which is never created or deleted.
static_assert(MAP_FIELD_COLOUR == 0x000000, "the field is the stock black brush");

HPEN CreateCosmeticPen(DWORD style, uint32_t colour)
{
    LOGBRUSH brush = {BS_SOLID, ToColorRef(colour), 0};
    return ExtCreatePen(PS_COSMETIC | style, 1, &brush, 0, nullptr);
}

void DrawGrid(HDC dc, const RECT* r)
{
    int columns = (r->right - r->left) / CELL_SIZE;
    for (int i = 0; i <= columns; i++) {
        MoveToEx(dc, r->left + CELL_SIZE * i, r->top, nullptr);
        LineTo(dc, r->left + CELL_SIZE * i, r->bottom);
    }
    int rows = (r->bottom - r->top) / CELL_SIZE;
    for (int i = 0; i <= rows; i++) {
        MoveToEx(dc, r->left, r->top + CELL_SIZE * i, nullptr);
        LineTo(dc, r->right, r->top + CELL_SIZE * i);
    }
}

}  // namespace

void CreateDrawingTools()
{
    g_tools.backgroundBrush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    g_tools.startBrush = CreateSolidBrush(ToColorRef(MAP_START_COLOUR));
    g_tools.sectorPen = CreateCosmeticPen(PS_SOLID, MAP_SECTOR_COLOUR);
    g_tools.gridPen = CreateCosmeticPen(PS_SOLID, MAP_GRID_COLOUR);
    g_tools.selectionPen = CreateCosmeticPen(PS_DOT, MAP_SELECTION_COLOUR);
}

void DeleteDrawingTools()
{
    // The background brush is a stock object and is never deleted.
    DeleteObject(g_tools.startBrush);
    DeleteObject(g_tools.sectorPen);
    DeleteObject(g_tools.gridPen);
    DeleteObject(g_tools.selectionPen);
    g_tools = DrawingTools();
}

void PaintMap(HDC dc, const RECT* clientRect, const Level* level)
{
    HGDIOBJ oldBrush = SelectObject(dc, g_tools.backgroundBrush);
    FillRect(dc, clientRect, g_tools.backgroundBrush);
    HGDIOBJ oldPen = SelectObject(dc, g_tools.gridPen);
    DrawGrid(dc, clientRect);

    // Slot order, so a later sector covers an earlier one; the black
    // interior hides the grid.
    SelectObject(dc, g_tools.sectorPen);
    for (int i = 0; i < level->sectorCount; i++) {
        const Sector* s = &level->sectors[i];
        Rectangle(dc, CELL_SIZE * s->left, CELL_SIZE * s->top,
                  CELL_SIZE * s->right, CELL_SIZE * s->bottom);
    }

    // The start disc comes after the sectors so it is never hidden.
    SelectObject(dc, g_tools.startBrush);
    Ellipse(dc, CELL_SIZE * level->startX, CELL_SIZE * level->startY,
            CELL_SIZE * (level->startX + 1), CELL_SIZE * (level->startY + 1));

    if (g_edit.selected != NO_SECTOR) {
        const Sector* s = &level->sectors[g_edit.selected];
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, g_tools.selectionPen);
        Rectangle(dc, CELL_SIZE * s->left - 1, CELL_SIZE * s->top - 1,
                  CELL_SIZE * s->right + 1, CELL_SIZE * s->bottom + 1);
    }

    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    PaintMap(dc, &client, &g_level);
    EndPaint(window, &ps);
}

void InvalidateView(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}
