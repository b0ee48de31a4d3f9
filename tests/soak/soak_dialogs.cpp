#include "soak_dialogs.h"

#include "resource.h"
#include "soak_files.h"

namespace {

enum {
    MAX_DIALOGS_IN_A_ROW = 40,  // more than any chain of boxes the editor can raise
    MAX_ANSWERS_PER_DIALOG = 6  // a dialog that stays open after that many is cancelled
};

struct DialogQuery {
    DWORD processId;
    HWND enabled;  // first enabled dialog found
    HWND any;      // first dialog found
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    DialogQuery* query = reinterpret_cast<DialogQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || GetClassNameOf(window) != "#32770")
        return TRUE;
    if (!query->any)
        query->any = window;
    if (IsWindowEnabled(window)) {
        query->enabled = window;
        return FALSE;
    }
    return TRUE;
}

bool HasControl(HWND dialog, int id)
{
    return GetDlgItem(dialog, id) != nullptr;
}

// A height as a user might type it: mostly in range, sometimes not a
// number at all.
std::string RandomHeightText(SoakRandom* random)
{
    int kind = random->Below(100);
    if (kind < 70)
        return std::to_string(random->Between(0, 255));
    if (kind < 80)
        return std::to_string(random->Between(256, 100000));
    if (kind < 85)
        return "";
    if (kind < 90)
        return "abc";
    if (kind < 95)
        return "-" + std::to_string(random->Between(1, 300));
    return "99999999999999";
}

void AnswerFileDialog(SoakSession* session, HWND dialog, bool save, int timesAnswered)
{
    SoakRandom& random = session->random;
    if (timesAnswered >= MAX_ANSWERS_PER_DIALOG || random.Percent(25)) {
        TraceLine(session, "  cancelled");
        PressButtonNow(dialog, IDCANCEL);
        return;
    }
    std::string path = save ? PickSavePath(session) : PickOpenPath(session);
    TraceLine(session, "  typed \"" + path + "\"");
    SetDlgItemString(dialog, FILE_NAME_FIELD, path);
    PressButtonNow(dialog, IDOK);
}

void AnswerSectorProperties(SoakSession* session, HWND dialog, int timesAnswered)
{
    SoakRandom& random = session->random;
    std::string floor = RandomHeightText(&random);
    std::string ceiling = RandomHeightText(&random);
    SetDlgItemString(dialog, IDC_FLOOR_HEIGHT, floor);
    SetDlgItemString(dialog, IDC_CEILING_HEIGHT, ceiling);
    bool cancel = timesAnswered >= MAX_ANSWERS_PER_DIALOG || random.Percent(25);
    TraceLine(session, "  typed " + floor + " / " + ceiling + (cancel ? ", cancelled" : ", OK"));
    PressButtonNow(dialog, cancel ? IDCANCEL : IDOK);
}

// One of the buttons the box has, at random.
int AnswerMessageBox(SoakSession* session, HWND box)
{
    std::vector<int> buttons;
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (HasControl(box, id))
            buttons.push_back(id);
    int button = buttons.empty() ? IDCANCEL : session->random.Pick(buttons);
    TraceLine(session, "  pressed " + std::to_string(button));
    PressButtonNow(box, button);
    return button;
}

}  // namespace

HWND FindActiveDialog(DWORD processId)
{
    DialogQuery query = {processId, nullptr, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&query));
    return query.enabled ? query.enabled : query.any;
}

void PressButtonNow(HWND dialog, int buttonId)
{
    SendNotifyMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void AnswerDialog(SoakSession* session, HWND dialog)
{
    int times = session->timesAnswered[dialog]++;
    std::string caption = GetWindowTitle(dialog);
    // A box's text on one line, for the summary and the trace.
    std::string text = GetMessageBoxText(dialog);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, " / ");
    TraceLine(session, "  dialog \"" + caption + "\" " + text);
    // Each answer draws from a stream of its own, so a dialog that one run
    // sees and another does not shifts no later draw.
    SoakRandom eventStream = SwitchStream(session, static_cast<unsigned>(++session->answersInEvent));
    if (HasControl(dialog, FILE_NAME_FIELD)) {
        session->answers[caption]++;
        AnswerFileDialog(session, dialog, caption.find("Save") != std::string::npos, times);
    } else if (HasControl(dialog, IDC_FLOOR_HEIGHT)) {
        session->answers[caption]++;
        AnswerSectorProperties(session, dialog, times);
    } else {
        session->answers[caption + (text.empty() ? "" : ": " + text)]++;
        int button = AnswerMessageBox(session, dialog);
        if (caption == "Unsaved changes")
            session->questionAnswer = button;
        session->writeFailed = session->writeFailed || text == "Unable to write level to file.";
    }
    session->random = eventStream;
}

namespace {

// Polls until the dialog is shown or gone: it is found while it is being
// made (shown once its thread is idle) and after an answer ended it (then
// destroyed once its loop has unwound).
bool WaitForShownOrGone(SoakSession* session, HWND dialog)
{
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && !IsWindowVisible(dialog)) {
        if (GetTickCount() - start > SOAK_TIMEOUT_MS)
            return FailSoak(session, "a dialog neither showed nor went away: \"" + GetWindowTitle(dialog) + "\"");
        Sleep(1);
    }
    return true;
}

}  // namespace

bool SettleDialogs(SoakSession* session)
{
    for (int answered = 0; answered < MAX_DIALOGS_IN_A_ROW;) {
        // Input is read only from a message loop: once the marker is read,
        // the next dialog, if any, exists. (A sent message would not do: it
        // can be answered between one dialog's end and the next one's start,
        // while the system switches windows.)
        if (IsWindow(session->editor.window) && !WaitForInputRead(session))
            return false;
        if (!IsWindow(session->editor.window))
            return true;  // closing: CheckEditorAlive judges the exit
        HWND dialog = FindActiveDialog(session->editor.processId);
        if (!dialog)
            return true;
        if (!IsWindowVisible(dialog)) {
            if (!WaitForShownOrGone(session, dialog))
                return false;
            continue;
        }
        AnswerDialog(session, dialog);
        answered++;
    }
    return FailSoak(session, "more than 40 dialogs in a row; the last: \"" +
                                 GetWindowTitle(FindActiveDialog(session->editor.processId)) + "\"");
}
