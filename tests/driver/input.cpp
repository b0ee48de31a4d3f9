// Keystrokes, mouse messages, menu commands and dropped files.
#include "driver.h"

#include <shlobj.h>  // DROPFILES

#include <cstring>

namespace {

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
    DWORD start = GetTickCount();
    for (;;) {
        if (GetForegroundWindow() == window)
            return true;
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

bool TypeChordInto(HWND window, std::initializer_list<WORD> keys)
{
    return BringToFront(window) && SendKeyChord(keys);
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
    POINT expected = {target.x < clip.left ? clip.left : target.x >= clip.right ? clip.right - 1 : target.x,
                      target.y < clip.top ? clip.top : target.y >= clip.bottom ? clip.bottom - 1 : target.y};
    // Absolute positions run from 0 to 65535 across the screen; rounding up
    // lands on the wanted pixel when the system scales back down.
    long long width = GetSystemMetrics(SM_CXSCREEN);
    long long height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((expected.x * 65536LL + width - 1) / width);
    input.mi.dy = static_cast<LONG>((expected.y * 65536LL + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
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
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = buttonFlag;
    return SendInput(1, &input, sizeof input) == 1;
}

bool ShareInputState(HWND window, bool share)
{
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && AttachThreadInput(GetCurrentThreadId(), thread, share ? TRUE : FALSE);
}

void PumpMessagesFor(DWORD ms)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

bool WaitForKeyRead(WORD key, bool down, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (((GetKeyState(key) & 0x8000) != 0) != down) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        PumpMessagesFor(1);
    }
    return true;
}

bool ClickThroughInputQueue(HWND window, int x, int y)
{
    return MovePointerTo(window, x, y) && SendMouseButton(MOUSEEVENTF_LEFTDOWN) &&
           WaitForKeyRead(VK_LBUTTON, true) && SendMouseButton(MOUSEEVENTF_LEFTUP) &&
           WaitForKeyRead(VK_LBUTTON, false);
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
