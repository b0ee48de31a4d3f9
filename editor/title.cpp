// The window title: window name, the level file's base name, modified mark.
#include "title.h"

#include <string.h>

#include "main_window.h"
#include "wide_text.h"

std::string GetLevelName(const char* fileName)
{
    if (!fileName)
        return "[Untitled]";
    const char* slash = strrchr(fileName, '\\');
    return slash ? slash + 1 : fileName;
}

std::string FormatTitle(const char* windowName, const char* fileName, int modified)
{
    // Composed in a string rather than a fixed buffer, so a long path is
    // shown whole and can never overrun anything.
    std::string title = windowName;
    title += " - ";
    title += GetLevelName(fileName);
    title += ' ';
    title += modified ? '*' : ' ';
    return title;
}

void UpdateTitle(HWND window)
{
    // The title goes to the window in UTF-16, so a name outside the ANSI
    // code page shows as it is.
    std::string windowName;
    NarrowToUtf8(g_windowName, wcslen(g_windowName), &windowName);
    std::wstring title;
    WidenUtf8(FormatTitle(windowName.c_str(), g_level.fileName, g_level.modified).c_str(), &title);
    SetWindowTextW(window, title.c_str());
}
