// The About box and Sector Properties.
#ifndef QUILLMARCH_DIALOGS_H
#define QUILLMARCH_DIALOGS_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// A message box of the wide calls: the texts are UTF-8, so a level's name
// outside the ANSI code page is shown as it is. Returns the button pressed.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Whether Sector Properties is open: heights typed there are not yet part of
// the level, but are work the user has not kept.
bool IsSectorPropertiesOpen();

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SectorPropsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
