#include "screen_pixel.h"

COLORREF WaitForScreenPixel(HWND window, int x, int y, COLORREF expected)
{
    POINT p = {x, y};
    ClientToScreen(window, &p);
    COLORREF seen = CLR_INVALID;
    DWORD start = GetTickCount();
    for (;;) {
        HDC screen = GetDC(nullptr);
        seen = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        if (seen == expected || GetTickCount() - start >= DRIVER_TIMEOUT_MS)
            return seen;
        Sleep(10);
    }
}
