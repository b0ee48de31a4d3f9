// Process-wide values of the editor and the main window's class and creation.
#ifndef QUILLMARCH_APP_H
#define QUILLMARCH_APP_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "level.h"

extern Level g_level;            // the one level being edited, for the whole run
extern HINSTANCE g_instance;     // kept for dialog creation
extern char g_windowName[100];   // string 103, the title prefix
extern char g_className[100];    // string 109, the main window class

// The level path in the command-line text that follows the program's name:
// inside double quotes when it starts with one, otherwise the whole text.
std::string GetCommandLinePath(const char* commandLine);

// Loads the window name and class name strings and points the level
// reader's warnings at message boxes.
void LoadEditorStrings(HINSTANCE instance);
void ShowLoadWarning(const char* text);

ATOM RegisterMainClass(HINSTANCE instance);

// Creates, shows and first paints the main window. Returns 1, or 0 when
// the window could not be created.
int CreateMainWindow(HINSTANCE instance, int showState);

// The main window of this process, once created.
HWND GetMainWindow();

// Window created: drop target, drawing tools, title. Destroyed: release, quit.
void OnCreate(HWND window);
void OnDestroy(HWND window);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
