// Entry point: the level first, then the window, then the message loop.
#include "main_window.h"

#include <commctrl.h>

#include <string>

#include "level_file.h"
#include "resource.h"

namespace {

// The level path in the command-line text that follows the program's name:
// inside double quotes when it starts with one, otherwise the whole text.
std::string GetCommandLinePath(const char* commandLine)
{
    if (commandLine[0] != '"')
        return commandLine;
    const char* start = commandLine + 1;
    const char* end = start;
    while (*end && *end != '"')
        end++;
    return std::string(start, end);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showState)
{
    std::string path = GetCommandLinePath(commandLine ? commandLine : "");

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

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // The window is gone, and with it whatever the user wanted kept is saved
    // or let go, so the process ends here and now. Ending through the
    // runtime would first shut every library down under the system's loader
    // lock, and a thread the file dialogs left inside the loader would keep
    // a windowless editor running.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(msg.wParam));
    return static_cast<int>(msg.wParam);
}
