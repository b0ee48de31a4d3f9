// Placeholder dialog handlers until the dialogs land.
#include "dialogs.h"

INT_PTR CALLBACK AboutDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK SectorPropsDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
