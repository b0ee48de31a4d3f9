// The session's end. Windows waits for every program's answer to the query
// and, after a few seconds, covers one that has not answered with its own
// screen, where "Shut down anyway" loses the work. So the query is answered
// at once and shows nothing; the reason it gives is what Windows shows
// beside the program, and the question comes once the query has returned.
#include "session_end.h"

#include <string>

#include "commands.h"
#include "dialogs.h"
#include "main_window.h"
#include "title.h"
#include "wide_text.h"

namespace {

bool g_blocking;        // a shutdown block reason is set on the window
bool g_questionPosted;  // the question is waiting in the message queue
bool g_sessionWentOn;   // the session's end was called off after the last query

}  // namespace

BOOL OnQueryEndSession(HWND window, LPARAM reasons)
{
    // A critical end comes whatever the answer, too soon for any question.
    // Heights typed into an open Sector Properties are work to keep as well.
    if (!(g_level.modified || IsSectorPropertiesOpen()) || (reasons & ENDSESSION_CRITICAL))
        return TRUE;
    g_sessionWentOn = false;
    std::wstring reason;
    WidenUtf8(("Unsaved changes in " + GetLevelName(g_level.fileName)).c_str(), &reason);
    g_blocking = ShutdownBlockReasonCreate(window, reason.c_str()) != FALSE;
    // One question, however many queries come before it is answered.
    if (!g_questionPosted)
        g_questionPosted = PostMessageW(window, WM_SESSION_QUESTION, 0, 0) != FALSE;
    return FALSE;
}

void OnEndSession(HWND window, bool ending)
{
    // The session goes on: the question, if any, waits for its answer, which
    // then no longer closes the editor.
    if (!ending) {
        g_sessionWentOn = true;
        return;
    }
    // The session ends, or the program must close: nothing can be asked any
    // more, and the system ends the program once this returns.
    if (g_blocking)
        ShutdownBlockReasonDestroy(window);
    g_blocking = false;
    DestroyWindow(window);
}

void OnSessionQuestion(HWND window)
{
    g_questionPosted = false;
    // A box or dialog of the editor is up: the user is answering that
    // already, and a question would nest inside it. Once the session has gone
    // on, even while the question was up, the answer keeps the editor: Yes
    // saves, No and Cancel keep the edits, as though nobody had asked.
    if (g_level.modified && !IsModalWindowUp(window) && ConfirmLosingChanges(window) && !g_sessionWentOn)
        DestroyWindow(window);
    ReleaseSessionBlock(window);
}

void ReleaseSessionBlock(HWND window)
{
    if (!g_blocking || g_level.modified || IsSectorPropertiesOpen())
        return;
    ShutdownBlockReasonDestroy(window);
    g_blocking = false;
}
