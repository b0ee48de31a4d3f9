// The main window: its class, its creation and the dispatch of its messages.
#include "main_window.h"

#include <shellapi.h>

#include "commands.h"
#include "dialogs.h"
#include "level_file.h"
#include "map_view.h"
#include "mouse_edit.h"
#include "resource.h"
#include "session_end.h"
#include "title.h"

Level g_level;
HINSTANCE g_instance;
wchar_t g_windowName[100];
wchar_t g_className[100];

namespace {

HWND g_mainWindow;  // set once the window exists

// Once the main window exists it owns the warning, so it is disabled while
// the warning is up: an edit made then would be replaced by the load that
// goes on after it. At start-up there is no window yet, and no owner.
void ShowLoadWarning(LevelWarning, const char* text)
{
    ShowMessageBox(GetMainWindow(), text, "Failed to load map", MB_ICONWARNING);
}

// Window created: drop target, drawing tools, title.
void OnCreate(HWND window)
{
    g_mainWindow = window;
    DragAcceptFiles(window, TRUE);
    CreateDrawingTools();
    UpdateTitle(window);
}

// Window destroyed: the drawing tools released, the message loop told to end.
void OnDestroy(HWND window)
{
    (void)window;
    DeleteDrawingTools();
    g_mainWindow = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The table is kept aligned by hand.
    // clang-format off
    switch (message) {
    case WM_CREATE:           OnCreate(window); return 0;
    case WM_DESTROY:          OnDestroy(window); return 0;
    case WM_PAINT:            OnPaint(window); return 0;
    case WM_CLOSE:            OnClose(window); return 0;
    case WM_QUERYENDSESSION:  return OnQueryEndSession(window, lParam);
    case WM_ENDSESSION:       OnEndSession(window, wParam != FALSE); return 0;
    case WM_SESSION_QUESTION: OnSessionQuestion(window); return 0;
    case WM_COMMAND:
        if (OnCommand(window, wParam, lParam))
            return 0;
        break;
    case WM_MOUSEMOVE:        OnMouseMove(window, wParam, lParam); return 0;
    case WM_LBUTTONDOWN:      OnLButtonDown(window, lParam); return 0;
    case WM_LBUTTONUP:        OnLButtonUp(window); return 0;
    case WM_RBUTTONDOWN:      OnRButtonDown(window, lParam); return 0;
    case WM_CAPTURECHANGED:   OnCaptureChanged(window, reinterpret_cast<HWND>(lParam)); return 0;
    case WM_DROPFILES:        OnDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    }
    // clang-format on
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void LoadEditorStrings(HINSTANCE instance)
{
    LoadStringW(instance, IDS_APP_TITLE, g_windowName, sizeof g_windowName / sizeof g_windowName[0]);
    LoadStringW(instance, IDS_WINDOW_CLASS, g_className, sizeof g_className / sizeof g_className[0]);
    SetLevelWarningHook(ShowLoadWarning);
}

// A window of the wide calls: its title and every text it is sent stay
// UTF-16 all the way, never passing through the ANSI code page.
ATOM RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUILLMARCH));
    wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    wc.lpszClassName = g_className;
    return RegisterClassExW(&wc);
}

int CreateMainWindow(HINSTANCE instance, int showState)
{
    g_instance = instance;
    HWND window = CreateWindowExW(0, g_className, g_windowName, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 620, 390,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    ShowWindow(window, showState);
    UpdateWindow(window);
    return 1;
}

HWND GetMainWindow()
{
    return g_mainWindow;
}
