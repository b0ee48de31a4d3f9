// Reading the real editor's pixels from the screen (another process's window
// cannot be asked to paint into a test's bitmap).
#ifndef QUILLMARCH_SCREEN_PIXEL_H
#define QUILLMARCH_SCREEN_PIXEL_H

#include "driver.h"

// The colour on the screen at a client point, polled until it is `expected`
// (the screen can lag behind the last paint). Returns the last colour read.
COLORREF WaitForScreenPixel(HWND window, int x, int y, COLORREF expected);

#endif
