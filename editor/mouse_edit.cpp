// Mouse editing: a left press selects a sector or starts a new one, dragging
// stretches it cell by cell, a right press places the start cell.
#include "mouse_edit.h"

#include "commands.h"
#include "main_window.h"
#include "map_view.h"
#include "title.h"

EditState g_edit = {NO_SECTOR, NO_SECTOR, 0, false};

namespace {

enum {
    NEW_FLOOR_HEIGHT = 128,
    NEW_CEILING_HEIGHT = 132
};

bool SelectSectorAt(Level* level, uint32_t packedPosition)
{
    g_edit.selected = FindSectorAt(level, CellFromPixel(PackedX(packedPosition)),
                                   CellFromPixel(PackedY(packedPosition)));
    return g_edit.selected != NO_SECTOR;
}

void BeginSector(Level* level, uint32_t packedPosition)
{
    int column = CellFromPixel(PackedX(packedPosition));
    int row = CellFromPixel(PackedY(packedPosition));
    Sector candidate;
    candidate.left = static_cast<uint16_t>(column);
    candidate.top = static_cast<uint16_t>(row);
    candidate.right = static_cast<uint16_t>(column + 1);
    candidate.bottom = static_cast<uint16_t>(row + 1);
    candidate.floorHeight = NEW_FLOOR_HEIGHT;
    candidate.ceilingHeight = NEW_CEILING_HEIGHT;

    // A full table refuses the sector the same way a collision does.
    if (level->sectorCount >= MAX_SECTORS || SectorOverlaps(level, &candidate)) {
        MessageBeep(0);
        return;
    }
    g_edit.stretching = AddSector(level, &candidate);
}

void StretchSector(Level* level, uint32_t pressPosition, uint32_t currentPosition)
{
    if (g_edit.stretching == NO_SECTOR)
        return;
    Sector* r = &level->sectors[g_edit.stretching];
    uint16_t oldRight = r->right;
    uint16_t oldBottom = r->bottom;

    // The size follows the pixel distance from the press point. A drag left
    // of or above it still leaves one cell: an empty sector could never be
    // seen or selected, yet would be saved.
    int columns = (PackedX(currentPosition) - PackedX(pressPosition)) / CELL_SIZE + 1;
    int rows = (PackedY(currentPosition) - PackedY(pressPosition)) / CELL_SIZE + 1;
    r->right = static_cast<uint16_t>(r->left + (columns < 1 ? 1 : columns));
    r->bottom = static_cast<uint16_t>(r->top + (rows < 1 ? 1 : rows));

    if (SectorOverlaps(level, r)) {
        r->right = oldRight;
        r->bottom = oldBottom;
    } else if (r->right != oldRight || r->bottom != oldBottom) {
        // Also after a save made mid-drag, so the change is never lost silently.
        level->modified = 1;
    }
}

void EndSector()
{
    g_edit.stretching = NO_SECTOR;
}

// The cursor stays inside the client area (its right and bottom edges
// included) for as long as the button is held.
void ConfineCursor(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    POINT topLeft = {client.left, client.top};
    POINT bottomRight = {client.right + 1, client.bottom + 1};
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
    RECT clip;
    SetRect(&clip, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    ClipCursor(&clip);
}

// Ends a drag: on a release, or when the capture went elsewhere (a dialog,
// another program), which would otherwise leave the cursor confined.
void EndDrag(HWND window)
{
    g_edit.dragging = false;
    ClipCursor(nullptr);
    EndSector();
    UpdateTitle(window);
}

}  // namespace

bool GetSelectedHeights(unsigned* floor, unsigned* ceiling)
{
    if (g_edit.selected == NO_SECTOR)
        return false;
    const Sector* s = &g_level.sectors[g_edit.selected];
    *floor = s->floorHeight;
    *ceiling = s->ceilingHeight;
    return true;
}

void SetSelectedHeights(unsigned floor, unsigned ceiling)
{
    if (g_edit.selected == NO_SECTOR)
        return;
    Sector* s = &g_level.sectors[g_edit.selected];
    s->floorHeight = static_cast<uint8_t>(floor & 0xFF);
    s->ceilingHeight = static_cast<uint8_t>(ceiling & 0xFF);
}

void ResetEditState()
{
    g_edit.selected = NO_SECTOR;
    g_edit.stretching = NO_SECTOR;
}

void OnLButtonDown(HWND window, LPARAM position)
{
    g_edit.pressPoint = static_cast<uint32_t>(position);
    if (SelectSectorAt(&g_level, g_edit.pressPoint)) {
        EnableSectorProperties(window, true);
    } else {
        BeginSector(&g_level, g_edit.pressPoint);
        g_edit.dragging = true;
        SetCapture(window);
        ConfineCursor(window);
        EnableSectorProperties(window, false);
    }
    InvalidateView(window);
}

void OnMouseMove(HWND window, WPARAM keys, LPARAM position)
{
    if (!g_edit.dragging || !(keys & MK_LBUTTON))
        return;
    StretchSector(&g_level, g_edit.pressPoint, static_cast<uint32_t>(position));
    InvalidateView(window);
}

void OnLButtonUp(HWND window)
{
    // dragging is cleared before the capture goes, so the capture-changed
    // message that ReleaseCapture sends finds nothing left to end.
    g_edit.dragging = false;
    ReleaseCapture();
    EndDrag(window);
}

void OnCaptureChanged(HWND window, HWND newCapture)
{
    if (g_edit.dragging && newCapture != window)
        EndDrag(window);
}

void OnRButtonDown(HWND window, LPARAM position)
{
    SetStartCell(&g_level, static_cast<uint32_t>(position));
    InvalidateView(window);
    UpdateTitle(window);  // the modified mark shows at once
}
