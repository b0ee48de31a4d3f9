#include "soak_session.h"

#include <stdio.h>

#include "soak_dialogs.h"
#include "soak_files.h"

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
    // Sharing the input state lets a keystroke be waited for until the
    // editor has taken it (see the accelerator events).
    session->editorThread = GetWindowThreadProcessId(session->editor.window, nullptr);
    if (!AttachThreadInput(GetCurrentThreadId(), session->editorThread, TRUE))
        return FailSoak(session, "cannot share the editor's input state: error " + std::to_string(GetLastError()));
    session->starts++;
    return true;
}

// A message the editor's thread answers once it gets to it. No abort for a
// thread that looks hung: on a loaded machine one can wait its turn longer
// than the system's few seconds, and only the soak's own bound judges.
static bool PingEditor(SoakSession* session)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(session->editor.window, WM_NULL, 0, 0, SMTO_NORMAL, SOAK_TIMEOUT_MS, &result) != 0;
}

static bool WaitForEditorExit(SoakSession* session)
{
    DWORD code = 0;
    if (!WaitForExit(&session->editor, &code, SOAK_TIMEOUT_MS))
        return FailSoak(session, "the main window is gone but the editor still runs after " +
                                     std::to_string(SOAK_TIMEOUT_MS / 1000) + " s");
    return true;
}

bool CheckEditorAlive(SoakSession* session)
{
    if (session->closeRequested) {
        // With no dialog left, a ping is answered only once the close
        // request has been handled all the way: the window then stays or
        // is gone for good.
        HWND window = session->editor.window;
        if (IsWindow(window) && !PingEditor(session) && IsWindow(window))
            return FailSoak(session, "the editor did not answer after a close request: hung");
        if (IsWindow(window)) {
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
    AttachThreadInput(GetCurrentThreadId(), session->editorThread, FALSE);
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
    if (session->editorThread)
        AttachThreadInput(GetCurrentThreadId(), session->editorThread, FALSE);
    StopEditor(&session->editor);
}
