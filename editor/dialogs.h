// The About box and Sector Properties.
#ifndef QUILLMARCH_DIALOGS_H
#define QUILLMARCH_DIALOGS_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SectorPropsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
