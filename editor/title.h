// The window title: "Quillmarch - name.vrk *".
#ifndef QUILLMARCH_TITLE_H
#define QUILLMARCH_TITLE_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

// The name a level goes by: its file's base name (after the last
// backslash), or "[Untitled]" when it has no file.
std::string GetLevelName(const char* fileName);

// The window name, " - ", the level's name, a space, then '*' when modified
// or another space. The texts are UTF-8.
std::string FormatTitle(const char* windowName, const char* fileName, int modified);

void UpdateTitle(HWND window);

#endif
