// Placeholder command table: Exit only, until the file commands land.
#include "commands.h"

#include <shellapi.h>

#include "resource.h"

void OnClose(HWND window)
{
    DestroyWindow(window);
}

bool OnCommand(HWND window, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDM_EXIT:
        DestroyWindow(window);
        return true;
    }
    return false;
}

void OnDropFiles(HWND, HDROP drop)
{
    DragFinish(drop);
}

int OpenLevelCommand(HWND) { return 0; }
int SaveLevelCommand(HWND, bool) { return 0; }
