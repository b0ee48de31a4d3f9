// Mouse editing: selecting, drawing and stretching sectors, the start cell.
#ifndef QUILLMARCH_MOUSE_EDIT_H
#define QUILLMARCH_MOUSE_EDIT_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>

#include "level.h"

struct EditState {
    int selected;         // selected slot, or NO_SECTOR
    int stretching;       // slot created by the current press, or NO_SECTOR
    uint32_t pressPoint;  // packed position of the last left press
    bool dragging;        // from a press on an empty cell to the release
};

extern EditState g_edit;  // one per process

// The heights of the selected sector, for Sector Properties.
bool GetSelectedHeights(unsigned* floor, unsigned* ceiling);
void SetSelectedHeights(unsigned floor, unsigned ceiling);

// Forgets the selection and any stretch in progress (the level was replaced).
void ResetEditState();

void OnLButtonDown(HWND window, LPARAM position);
void OnMouseMove(HWND window, WPARAM keys, LPARAM position);
void OnLButtonUp(HWND window);
void OnRButtonDown(HWND window, LPARAM position);
void OnCaptureChanged(HWND window, HWND newCapture);

#endif
