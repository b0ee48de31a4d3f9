// Loaded into the editor by a thread of the test's making. Its start-up
// never returns, so that thread holds the system's library loader from then
// on, as a library's thread busy in the loader at exit would.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char name[64];
        snprintf(name, sizeof name, "QuillmarchLoaderHeld-%lu", GetCurrentProcessId());
        HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
        if (held) {
            SetEvent(held);
            CloseHandle(held);
        }
        Sleep(INFINITE);
    }
    return TRUE;
}
