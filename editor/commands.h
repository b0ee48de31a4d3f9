// Menu commands, file dialogs, the close request and dropped files.
#ifndef QUILLMARCH_COMMANDS_H
#define QUILLMARCH_COMMANDS_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

void OnClose(HWND window);

// TRUE lets the session end: no unsaved changes, saved, or dropped by the user.
BOOL OnQueryEndSession(HWND window);

// Returns false for commands the table does not hold (default handling).
bool OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
void OnDropFiles(HWND window, HDROP drop);

// 1 when a level was loaded / written, 0 when cancelled or failed.
int OpenLevelCommand(HWND window);
int SaveLevelCommand(HWND window, bool saveAs);

#endif
