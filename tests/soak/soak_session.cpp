#include "soak_session.h"

#include <stdio.h>

#include "soak_dialogs.h"
#include "soak_files.h"
#include "soak_hook.h"

bool FailSoak(SoakSession* session, const std::string& reason)
{
    if (session->failure.empty())
        session->failure = reason;
    return false;
}

void NoteEvent(SoakSession* session, const std::string& kind, const std::string& detail)
{
    session->eventKinds[kind]++;
    session->recent.push_back("event " + std::to_string(session->event) + ": " + kind +
                              (detail.empty() ? "" : " " + detail));
    if (session->recent.size() > SOAK_RECENT_EVENTS)
        session->recent.pop_front();
}

namespace {

// The hook lives in soak_hook.dll beside this program; the system loads it
// into the editor.
bool HookEditorInput(SoakSession* session)
{
    HMODULE module = LoadLibraryA("soak_hook.dll");
    HOOKPROC hook = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                 GetProcAddress(module, "SoakKeyboardHook")))
                           : nullptr;
    if (!hook)
        return FailSoak(session, "soak_hook.dll or its hook cannot be loaded");
    char name[64];
    FormatInputReadEventName(session->editorThread, name, sizeof name);
    session->inputRead = CreateEventA(nullptr, FALSE, FALSE, name);
    session->inputHook = SetWindowsHookExA(WH_KEYBOARD, hook, module, session->editorThread);
    if (!session->inputRead || !session->inputHook)
        return FailSoak(session, "cannot hook the editor's keyboard input: error " + std::to_string(GetLastError()));
    return true;
}

void UnhookEditorInput(SoakSession* session)
{
    if (session->inputHook)
        UnhookWindowsHookEx(session->inputHook);
    if (session->inputRead)
        CloseHandle(session->inputRead);
    session->inputHook = nullptr;
    session->inputRead = nullptr;
}

}  // namespace

bool BringEditorToFront(SoakSession* session)
{
    HWND window = session->editor.window;
    DWORD start = GetTickCount();
    while (GetForegroundWindow() != window && IsWindow(window)) {
        SetForegroundWindow(window);
        if (GetTickCount() - start > SOAK_TIMEOUT_MS)
            return FailSoak(session, "the editor's window could not be brought to the front");
        PumpMessagesFor(10);
    }
    return true;
}

bool WaitForInputRead(SoakSession* session)
{
    ResetEvent(session->inputRead);
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = SOAK_MARKER_KEY;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (SendInput(2, keys, sizeof(INPUT)) != 2)
        return FailSoak(session, "the marker key could not be pressed");
    DWORD start = GetTickCount();
    while (WaitForSingleObject(session->inputRead, 0) != WAIT_OBJECT_0) {
        if (!IsWindow(session->editor.window))
            return CheckEditorAnswers(session);
        if (GetTickCount() - start > SOAK_TIMEOUT_MS)
            return FailSoak(session, "the editor did not read its input within " +
                                         std::to_string(SOAK_TIMEOUT_MS / 1000) + " s");
        PumpMessagesFor(1);
    }
    return true;
}

bool StartSoakEditor(SoakSession* session, const std::string& path)
{
    std::string arguments = path.empty() ? "" : "\"" + path + "\"";
    NoteEvent(session, "start", arguments);
    if (!LaunchEditor(&session->editor, arguments, session->folder.c_str()))
        return FailSoak(session, "the editor could not be started with: " + arguments);

    // The loader's warnings come before the main window, owned by no window.
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindProcessWindow(session->editor.processId, "QUILLMARCH", nullptr, nullptr);
        if (window) {
            session->editor.window = window;
            break;
        }
        HWND box = FindActiveDialog(session->editor.processId);
        if (box && IsWindowVisible(box)) {
            AnswerDialog(session, box);
            WaitForWindowGone(box, SOAK_TIMEOUT_MS);
        }
        DWORD code = 0;
        if (WaitForExit(&session->editor, &code, 10))
            return FailSoak(session, "the editor ended during start-up with exit code " + std::to_string(code));
        if (GetTickCount() - start > SOAK_TIMEOUT_MS)
            return FailSoak(session, "no main window within " + std::to_string(SOAK_TIMEOUT_MS / 1000) + " s of starting with: " + arguments);
    }
    session->editorThread = GetWindowThreadProcessId(session->editor.window, nullptr);
    if (!HookEditorInput(session))
        return false;
    session->starts++;
    return true;
}

namespace {

// A message the editor's thread answers once it gets to it. No abort for a
// thread that looks hung: on a loaded machine one can wait its turn longer
// than the system's few seconds, and only the soak's own bound judges.
bool PingEditor(SoakSession* session)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(session->editor.window, WM_NULL, 0, 0, SMTO_NORMAL, SOAK_TIMEOUT_MS, &result) != 0;
}

bool WaitForEditorExit(SoakSession* session)
{
    DWORD code = 0;
    if (!WaitForExit(&session->editor, &code, SOAK_TIMEOUT_MS))
        return FailSoak(session, "the main window is gone but the editor still runs after " +
                                     std::to_string(SOAK_TIMEOUT_MS / 1000) + " s");
    return true;
}

}  // namespace

bool CheckEditorAlive(SoakSession* session)
{
    if (session->closeRequested) {
        // The dialogs are settled and the editor has read input from its
        // message loop again, which it does only once the close request has
        // been handled all the way: the window is then gone, or stays.
        if (IsWindow(session->editor.window)) {
            session->closeRequested = false;  // cancelled
            return true;
        }
        if (!WaitForEditorExit(session))
            return false;
    }
    DWORD code = 0;
    if (!WaitForExit(&session->editor, &code, 0))
        return true;
    if (!session->closeRequested || code != 0)
        return FailSoak(session, "the editor ended with exit code " + std::to_string(code) +
                                     (session->closeRequested ? "" : " without being asked to close"));
    UnhookEditorInput(session);
    StopEditor(&session->editor);
    session->closeRequested = false;
    return StartSoakEditor(session, PickStartPath(session));
}

bool CheckEditorAnswers(SoakSession* session)
{
    if (IsWindow(session->editor.window)) {
        if (PingEditor(session))
            return true;
        if (IsWindow(session->editor.window))
            return FailSoak(session, "the editor did not answer within " + std::to_string(SOAK_TIMEOUT_MS / 1000) +
                                         " s: hung");
    }
    // The window is gone: the process must end soon, and CheckEditorAlive
    // then judges whether it was asked to.
    return WaitForEditorExit(session);
}

void StopSoakEditor(SoakSession* session)
{
    if (session->leftDown) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &input, sizeof input);
        session->leftDown = false;
    }
    UnhookEditorInput(session);
    StopEditor(&session->editor);
}
