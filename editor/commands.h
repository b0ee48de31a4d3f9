// Menu commands, file dialogs, the close request and dropped files.
#ifndef QUILLMARCH_COMMANDS_H
#define QUILLMARCH_COMMANDS_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

// The close request, and File, Exit: asks about unsaved changes, then
// closes unless the user cancelled or the save did not complete.
void OnClose(HWND window);

// Returns false for commands the table does not hold (default handling).
bool OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
void OnDropFiles(HWND window, HDROP drop);

// Enables or grays Edit, Sector Properties.
void EnableSectorProperties(HWND window, bool enable);

#endif
