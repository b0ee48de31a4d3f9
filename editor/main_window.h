// Process-wide values of the editor and the main window's class and creation.
#ifndef QUILLMARCH_MAIN_WINDOW_H
#define QUILLMARCH_MAIN_WINDOW_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "level.h"

extern Level g_level;              // the one level being edited, for the whole run
extern HINSTANCE g_instance;       // kept for dialog creation
extern wchar_t g_windowName[100];  // IDS_APP_TITLE, the title prefix
extern wchar_t g_className[100];   // IDS_WINDOW_CLASS, the main window class

// Loads the window name and class name strings and points the level
// reader's warnings at message boxes.
void LoadEditorStrings(HINSTANCE instance);

ATOM RegisterMainClass(HINSTANCE instance);

// Creates, shows and first paints the main window. Returns 1, or 0 when
// the window could not be created.
int CreateMainWindow(HINSTANCE instance, int showState);

// The main window of this process, once created.
HWND GetMainWindow();

#endif
