// Finding the editor's windows, dialogs and message boxes, and reading them.
#include "driver.h"

namespace {

struct WindowQuery {
    DWORD processId;
    const char* className;  // null: any
    const char* caption;    // null: any
    HWND owner;             // null: any
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    WindowQuery* query = reinterpret_cast<WindowQuery*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != query->processId || !IsWindowVisible(window))
        return TRUE;
    if (query->className && GetClassNameOf(window) != query->className)
        return TRUE;
    if (query->caption && GetWindowTitle(window) != query->caption)
        return TRUE;
    if (query->owner && GetWindow(window, GW_OWNER) != query->owner)
        return TRUE;
    query->found = window;
    return FALSE;
}

HWND PollForWindow(DWORD processId, const char* className, const char* caption, HWND owner,
                   DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindProcessWindow(processId, className, caption, owner);
        if (window || GetTickCount() - start >= timeoutMs)
            return window;
        Sleep(10);
    }
}

struct ChildQuery {
    int id;
    HWND found;
};

BOOL CALLBACK MatchChildId(HWND child, LPARAM param)
{
    ChildQuery* query = reinterpret_cast<ChildQuery*>(param);
    if ((GetDlgCtrlID(child) & 0xFFFF) == query->id) {
        query->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string GetWindowTitle(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string GetClassNameOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool WaitForTitle(HWND window, const std::string& expected, std::string* seen, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    std::string title;
    for (;;) {
        title = GetWindowTitle(window);
        if (title == expected || GetTickCount() - start >= timeoutMs)
            break;
        Sleep(10);
    }
    if (seen)
        *seen = title;
    return title == expected;
}

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, HWND owner)
{
    WindowQuery query = {processId, className, caption, owner, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs)
{
    return PollForWindow(processId, "#32770", caption, nullptr, timeoutMs);
}

HWND WaitForOwnedDialog(DWORD processId, HWND owner, DWORD timeoutMs)
{
    return PollForWindow(processId, "#32770", nullptr, owner, timeoutMs);
}

HWND WaitForAnyDialog(DWORD processId, DWORD timeoutMs)
{
    return PollForWindow(processId, "#32770", nullptr, nullptr, timeoutMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

std::string GetMessageBoxText(HWND box)
{
    // GetDlgItem(box, -1) finds nothing, so the children are searched.
    ChildQuery query = {0xFFFF, nullptr};
    EnumChildWindows(box, MatchChildId, reinterpret_cast<LPARAM>(&query));
    return query.found ? GetWindowTitle(query.found) : std::string();
}

void PressDialogButton(HWND dialog, int buttonId)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

std::string GetDlgItemString(HWND dialog, int controlId)
{
    // An edit keeps its text itself: ask it, rather than read the caption.
    char text[1024] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, controlId), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, DRIVER_TIMEOUT_MS,
                        &result);
    return text;
}

void SetDlgItemString(HWND dialog, int controlId, const std::string& text)
{
    SetDlgItemTextA(dialog, controlId, text.c_str());
}

HWND GetFocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info))
        return nullptr;
    return info.hwndFocus;
}

HWND WaitForFocusOn(HWND window, HWND control, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HWND focus = GetFocusOf(window);
    while (focus != control && GetTickCount() - start < timeoutMs) {
        Sleep(10);
        focus = GetFocusOf(window);
    }
    return focus;
}

void ConfirmFileDialog(HWND dialog, const std::string& path)
{
    SetDlgItemTextA(dialog, FILE_NAME_FIELD, path.c_str());
    PressDialogButton(dialog, IDOK);
}
