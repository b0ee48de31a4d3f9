// The window title: window name, the level file's base name, modified mark.
#include "title.h"

#include <string.h>

#include "main_window.h"

std::string FormatTitle(const char* windowName, const char* fileName, int modified)
{
    // Composed in a string rather than a fixed buffer, so a long path is
    // shown whole and can never overrun anything.
    const char* baseName = "[Untitled]";
    if (fileName) {
        const char* slash = strrchr(fileName, '\\');
        baseName = slash ? slash + 1 : fileName;
    }
    std::string title = windowName;
    title += " - ";
    title += baseName;
    title += ' ';
    title += modified ? '*' : ' ';
    return title;
}

void UpdateTitle(HWND window)
{
    std::string title = FormatTitle(g_windowName, g_level.fileName, g_level.modified);
    SetWindowTextA(window, title.c_str());
}
