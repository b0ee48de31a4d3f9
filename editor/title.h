// The window title: "Quillmarch - name.vrk *".
#ifndef QUILLMARCH_TITLE_H
#define QUILLMARCH_TITLE_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

// "%s - %s %c": window name, base name (after the last backslash) or
// "[Untitled]", then '*' when modified or a space.
std::string FormatTitle(const char* windowName, const char* fileName, int modified);

void UpdateTitle(HWND window);

#endif
