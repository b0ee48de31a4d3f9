// The yardsticks for the start-up benchmark: the least a Win32 program does to
// show a 620 x 390 window and paint it once; built a second time with
// QM_EDITOR_DLLS, it also makes the start-up calls into the libraries the
// editor needs (common controls, common dialogs, shell), so their share of
// the editor's start-up shows apart from the editor's own work.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#ifdef QM_EDITOR_DLLS
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#endif

namespace {

LRESULT CALLBACK MinimalWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MinimalWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "MinimalWindow";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Minimal", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 620, 390, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return 0;
#ifdef QM_EDITOR_DLLS
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    DragAcceptFiles(window, TRUE);
    // Never taken; it only makes the program import the common dialogs.
    if (showState == -1) {
        OPENFILENAMEA dialog = {};
        GetOpenFileNameA(&dialog);
    }
#endif
    ShowWindow(window, showState);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
