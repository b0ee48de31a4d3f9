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
    // Whatever the editor loads has sectors the soak does not count.
    if (kind == "start" || kind == "drop" || detail == "Open" || detail == "Ctrl+O")
        session->sectorsAtMost = -1;
    session->recent.push_back("event " + std::to_string(session->event) + ": " + kind +
                              (detail.empty() ? "" : " " + detail));
    if (session->recent.size() > SOAK_RECENT_EVENTS)
        session->recent.pop_front();
    TraceLine(session, session->recent.back());
}

void TraceLine(SoakSession* session, const std::string& line)
{
    if (!session->trace)
        return;
    std::string text = line;
    for (size_t at = text.find(session->folder); !session->folder.empty() && at != std::string::npos;
         at = text.find(session->folder, at))
        text.replace(at, session->folder.size(), "<run>");
    fprintf(session->trace, "%s\n", text.c_str());
}

void BeginEventStream(SoakSession* session)
{
    session->random = MakeSoakStream(session->seed, session->event, 0);
    session->answersInEvent = 0;
    session->questionAnswer = 0;
    session->writeFailed = false;
    session->mustSave = false;
    session->timesAnswered.clear();
}

SoakRandom SwitchStream(SoakSession* session, unsigned part)
{
    SoakRandom previous = session->random;
    session->random = MakeSoakStream(session->seed, session->event, part);
    return previous;
}

bool BringEditorToFront(SoakSession* session)
{
    HWND window = session->editor.window;
    DWORD start = GetTickCount();
    while (IsWindow(window) && !BringToFront(window, 50)) {
        if (GetTickCount() - start > SOAK_TIMEOUT_MS)
            return FailSoak(session, "the editor's window could not be brought to the front");
        PumpMessagesFor(10);
    }
    return true;
}

bool WaitForInputRead(SoakSession* session)
{
    switch (WaitForMarkerRead(&session->input, session->editor.window, SOAK_TIMEOUT_MS)) {
    case INPUT_READ:
        return true;
    case INPUT_WINDOW_GONE:
        return CheckEditorAnswers(session);
    default:
        return FailSoak(session, "the editor did not read its input within " +
                                     std::to_string(SOAK_TIMEOUT_MS / 1000) + " s");
    }
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
    if (!WatchInput(&session->input, session->editor.window))
        return FailSoak(session, "cannot hook the editor's keyboard input: error " + std::to_string(GetLastError()));
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
        // The window stays only when the editor asked about unsaved changes
        // and was told to keep them: Yes (whose save may fail or be
        // cancelled) or Cancel.
        if (IsWindow(session->editor.window)) {
            session->closeRequested = false;
            if (session->questionAnswer == IDYES || session->questionAnswer == IDCANCEL)
                return true;
            return FailSoak(session, session->questionAnswer == IDNO
                                         ? "the editor stayed after the answer No to the unsaved-changes question"
                                         : "the close request was ignored: no question, and the window stayed");
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
    StopWatchingInput(&session->input);
    StopEditor(&session->editor);
    session->closeRequested = false;
    SoakRandom eventStream = SwitchStream(session, SOAK_RESTART_STREAM);
    bool started = StartSoakEditor(session, PickStartPath(session));
    session->random = eventStream;
    return started;
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

bool EditorHasCapture(SoakSession* session)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(session->editor.window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) && info.hwndCapture == session->editor.window;
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
    StopWatchingInput(&session->input);
    StopEditor(&session->editor);
}
