// Loaded into the editor by the test driver's keyboard hook. The editor's
// thread reads its input in order, and only from a message loop, so when it
// takes the marker key's release off its queue it has read, and handled,
// everything sent before it, and is waiting in a loop: its own, or that of
// a dialog it shows. The hook tells the test through a named event.
#include "input_hook.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK InputReadHook(int code, WPARAM key, LPARAM flags)
{
    const LPARAM released = static_cast<LPARAM>(0x80000000u);
    if (code == HC_ACTION && key == INPUT_MARKER_KEY && (flags & released)) {
        char name[64];
        FormatInputReadEventName(GetCurrentThreadId(), name, sizeof name);
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
        if (event) {
            SetEvent(event);
            CloseHandle(event);
        }
    }
    return CallNextHookEx(nullptr, code, key, flags);
}
