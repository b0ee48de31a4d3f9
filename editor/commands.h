// Menu commands, file dialogs, the close request and dropped files.
#ifndef QUILLMARCH_COMMANDS_H
#define QUILLMARCH_COMMANDS_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

// Whether one of the editor's boxes or dialogs is up: each disables the
// main window while it is.
bool IsModalWindowUp(HWND window);

// Asks about unsaved changes before they would be lost. Returns 1 when the
// caller may go on: nothing to lose, the changes were saved, or the user
// chose to drop them; 0 otherwise.
int ConfirmLosingChanges(HWND window);

// The close request, and File, Exit: asks about unsaved changes, then
// closes unless the user cancelled or the save did not complete.
void OnClose(HWND window);

// Returns false for commands the table does not hold (default handling).
bool OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
void OnDropFiles(HWND window, HDROP drop);

// Enables or grays Edit, Sector Properties.
void EnableSectorProperties(HWND window, bool enable);

#endif
