// Entry point: the level first, then the window, then the message loop.
#include "app.h"

#include <commctrl.h>

#include "level_file.h"
#include "resource.h"

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
    return static_cast<int>(msg.wParam);
}
