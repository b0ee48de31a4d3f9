// Entry point: the level first, then the window, then the message loop.
#include "main_window.h"

#include <commctrl.h>

#include <string>

#include "level_file.h"
#include "resource.h"
#include "wide_text.h"

namespace {

// The level path in the command-line text that follows the program's name:
// inside double quotes when it starts with one, otherwise the whole text.
std::wstring GetCommandLinePath(const wchar_t* commandLine)
{
    if (commandLine[0] != L'"')
        return commandLine;
    const wchar_t* start = commandLine + 1;
    const wchar_t* end = start;
    while (*end && *end != L'"')
        end++;
    return std::wstring(start, end);
}

// The path made absolute against the folder the editor starts in. A file
// dialog moves the process's current folder while it is up, and a relative
// name would then save over a file of the same name in the folder browsed to.
std::wstring MakeAbsolutePath(const std::wstring& path)
{
    DWORD size = path.empty() ? 0 : GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    DWORD length = size ? GetFullPathNameW(path.c_str(), size, &full[0], nullptr) : 0;
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

}  // namespace

// The wide entry point takes the command line as the system holds it, so a
// name outside the ANSI code page reaches the loader unchanged.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showState)
{
    // A path that cannot be converted exactly names no file: it stays empty
    // and loads nothing, like a path that does not exist.
    std::wstring widePath = MakeAbsolutePath(GetCommandLinePath(commandLine ? commandLine : L""));
    std::string path;
    NarrowToUtf8(widePath.c_str(), widePath.size(), &path);

    // The level is loaded before the window exists, so the first title
    // already names it. A bad or empty path leaves the fresh level.
    g_level = NewLevel();
    LoadEditorStrings(instance);
    LoadLevel(&g_level, path.c_str());

    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    RegisterMainClass(instance);
    if (!CreateMainWindow(instance, showState))
        return 0;

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The window is gone. Every way there asked about unsaved changes first
    // (closing, File Exit), or the session is ending and the system ends the
    // program anyway; the level is saved or let go. So the process ends
    // here and now. Ending through the runtime would first shut every
    // library down under the system's loader lock, and a thread the file
    // dialogs left inside the loader would keep a windowless editor running.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(msg.wParam));
    return static_cast<int>(msg.wParam);  // never reached: the call above does not return
}
