// Keystrokes, mouse messages, menu commands and dropped files.
#include "driver.h"

#include <shlobj.h>  // DROPFILES

#include <cstring>

#include "input_hook.h"

namespace {

// Where MovePointerTo last put the pointer, in the input's absolute units.
LONG g_pointerX;
LONG g_pointerY;

INPUT MakeKey(WORD key, bool release)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

bool BringToFront(HWND window, DWORD timeoutMs)
{
    // The foreground changes at once, but the window's thread takes the
    // activation only when it next reads its messages; until then keys find
    // no window to go to, and the system drops them.
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    DWORD start = GetTickCount();
    for (;;) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
            info.hwndActive == window)
            return true;
        if (GetForegroundWindow() != window)
            SetForegroundWindow(window);
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
}

bool SendKeyChord(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(MakeKey(key, false));
    for (auto key = keys.end(); key != keys.begin();)
        inputs.push_back(MakeKey(*--key, true));
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

bool WatchInput(InputWatch* watch, HWND window)
{
    *watch = InputWatch{};
    watch->thread = GetWindowThreadProcessId(window, nullptr);
    HMODULE module = LoadLibraryA(ToWindowsPath(QM_INPUT_HOOK_DLL).c_str());
    HOOKPROC hook = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                 GetProcAddress(module, "InputReadHook")))
                           : nullptr;
    if (!watch->thread || !hook)
        return false;
    char name[64];
    FormatInputReadEventName(watch->thread, name, sizeof name);
    watch->read = CreateEventA(nullptr, FALSE, FALSE, name);
    watch->hook = SetWindowsHookExA(WH_KEYBOARD, hook, module, watch->thread);
    if (watch->read && watch->hook)
        return true;
    StopWatchingInput(watch);
    return false;
}

void StopWatchingInput(InputWatch* watch)
{
    if (watch->hook)
        UnhookWindowsHookEx(watch->hook);
    if (watch->read)
        CloseHandle(watch->read);
    *watch = InputWatch{};
}

InputReadResult WaitForMarkerRead(InputWatch* watch, HWND window, DWORD timeoutMs)
{
    ResetEvent(watch->read);
    INPUT keys[2] = {MakeKey(INPUT_MARKER_KEY, false), MakeKey(INPUT_MARKER_KEY, true)};
    if (SendInput(2, keys, sizeof(INPUT)) != 2)
        return INPUT_NOT_READ;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(watch->read, 0) != WAIT_OBJECT_0) {
        if (!IsWindow(window))
            return INPUT_WINDOW_GONE;
        if (GetTickCount() - start > timeoutMs)
            return INPUT_NOT_READ;
        PumpMessagesFor(1);
    }
    return INPUT_READ;
}

bool WaitForInputRead(HWND window, DWORD timeoutMs)
{
    InputWatch watch;
    if (!WatchInput(&watch, window))
        return false;
    InputReadResult result = WaitForMarkerRead(&watch, window, timeoutMs);
    StopWatchingInput(&watch);
    return result != INPUT_NOT_READ;
}

bool TypeChordInto(HWND window, std::initializer_list<WORD> keys)
{
    InputWatch watch;
    if (!WatchInput(&watch, window))
        return false;
    bool read = BringToFront(window) && SendKeyChord(keys) &&
                WaitForMarkerRead(&watch, window) != INPUT_NOT_READ;
    StopWatchingInput(&watch);
    return read;
}

bool SendMouse(HWND window, UINT message, WPARAM keys, int x, int y)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, keys, MAKELPARAM(x, y), SMTO_ABORTIFHUNG,
                               DRIVER_TIMEOUT_MS, &result) != 0;
}

bool ClickAt(HWND window, int x, int y)
{
    return SendMouse(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y) &&
           SendMouse(window, WM_LBUTTONUP, 0, x, y);
}

bool DragFromTo(HWND window, int x0, int y0, int x1, int y1)
{
    return SendMouse(window, WM_LBUTTONDOWN, MK_LBUTTON, x0, y0) &&
           SendMouse(window, WM_MOUSEMOVE, MK_LBUTTON, x1, y1) &&
           SendMouse(window, WM_LBUTTONUP, 0, x1, y1);
}

bool RightClickAt(HWND window, int x, int y)
{
    return SendMouse(window, WM_RBUTTONDOWN, MK_RBUTTON, x, y) &&
           SendMouse(window, WM_RBUTTONUP, 0, x, y);
}

bool MovePointerTo(HWND window, int x, int y)
{
    POINT target = {x, y};
    ClientToScreen(window, &target);
    // A confined pointer stops at the edge of its confinement.
    RECT clip;
    GetClipCursor(&clip);
    POINT expected = {target.x < clip.left ? clip.left : target.x >= clip.right ? clip.right - 1
                                                                                : target.x,
                      target.y < clip.top ? clip.top : target.y >= clip.bottom ? clip.bottom - 1
                                                                               : target.y};
    // Absolute positions run from 0 to 65535 across the screen; rounding up
    // lands on the wanted pixel when the system scales back down.
    long long width = GetSystemMetrics(SM_CXSCREEN);
    long long height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((expected.x * 65536LL + width - 1) / width);
    input.mi.dy = static_cast<LONG>((expected.y * 65536LL + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    g_pointerX = input.mi.dx;
    g_pointerY = input.mi.dy;
    // Under Wine the display's own pointer stays where it was unless it is
    // put there too, and a window that appears under it later reports the
    // old place as a move of its own; so the pointer is set, then the move
    // goes through the input queue, and both are checked and repeated.
    DWORD start = GetTickCount();
    for (;;) {
        SetCursorPos(expected.x, expected.y);
        if (SendInput(1, &input, sizeof input) != 1)
            return false;
        for (int i = 0; i < 20; i++) {
            POINT now = {};
            GetCursorPos(&now);
            if (now.x == expected.x && now.y == expected.y)
                return expected.x == target.x && expected.y == target.y;
            Sleep(10);
        }
        if (GetTickCount() - start >= DRIVER_TIMEOUT_MS)
            return false;
    }
}

bool SendMouseButton(DWORD buttonFlag)
{
    // The button goes down or up where MovePointerTo put the pointer, in
    // the same input: Wine reports the display's pointer moves as input of
    // its own, and one it reads late would otherwise move the press.
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = g_pointerX;
    input.mi.dy = g_pointerY;
    input.mi.dwFlags = buttonFlag | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof input) == 1;
}

void PumpMessagesFor(DWORD ms)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

bool ClickThroughInputQueue(HWND window, int x, int y)
{
    return MovePointerTo(window, x, y) && SendMouseButton(MOUSEEVENTF_LEFTDOWN) &&
           SendMouseButton(MOUSEEVENTF_LEFTUP) && WaitForInputRead(window);
}

void PostCommand(HWND window, int commandId)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

bool PingWindow(HWND window, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool DropFilesOn(EditorProcess* editor, const std::vector<std::string>& paths, int x, int y,
                 bool aheadOfPosted)
{
    // DROPFILES, then each path with its terminator, then one more terminator.
    std::vector<char> block(sizeof(DROPFILES));
    for (const std::string& path : paths)
        block.insert(block.end(), path.c_str(), path.c_str() + path.size() + 1);
    block.push_back('\0');
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.pt.x = x;
    header.pt.y = y;
    header.fNC = FALSE;
    header.fWide = FALSE;
    std::memcpy(block.data(), &header, sizeof header);

    // A handle from this process means nothing to the editor: the block has
    // to live in the editor's own memory. It is released with the process.
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE,
                                 editor->processId);
    if (!process)
        return false;
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(),
                                                nullptr);
    CloseHandle(process);
    if (!written)
        return false;
    WPARAM drop = reinterpret_cast<WPARAM>(remote);
    if (aheadOfPosted)
        return SendNotifyMessageA(editor->window, WM_DROPFILES, drop, 0) != 0;
    return PostMessageA(editor->window, WM_DROPFILES, drop, 0) != 0;
}
