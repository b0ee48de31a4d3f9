#include "soak_events.h"

#include "resource.h"
#include "soak_dialogs.h"
#include "soak_files.h"

namespace {

struct Point {
    int x, y;
};

std::string Describe(Point p)
{
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

// Mostly inside the client area; sometimes far outside it, where only a
// captured mouse still reports to the editor, or at the ends of the range.
Point RandomPoint(SoakSession* session)
{
    SoakRandom& random = session->random;
    RECT client = {0, 0, 600, 330};
    GetClientRect(session->editor.window, &client);
    int kind = random.Below(100);
    if (kind < 75)
        return {random.Below(client.right), random.Below(client.bottom)};
    if (kind < 97)
        return {random.Between(-400, client.right + 400), random.Between(-400, client.bottom + 400)};
    return {random.Percent(50) ? -32768 : 32767, random.Percent(50) ? -32768 : 32767};
}

bool Mouse(SoakSession* session, UINT message, WPARAM keys, Point p)
{
    return SendMouse(session->editor.window, message, keys, p.x, p.y) ||
           CheckEditorAnswers(session) || FailSoak(session, "a mouse message was not taken");
}

bool Press(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, "press", Describe(p));
    return Mouse(session, WM_LBUTTONDOWN, MK_LBUTTON, p);
}

bool MoveHeld(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, "move with the button down", Describe(p));
    return Mouse(session, WM_MOUSEMOVE, MK_LBUTTON, p);
}

bool MoveFree(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, "move", Describe(p));
    return Mouse(session, WM_MOUSEMOVE, 0, p);
}

bool Release(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, "release", Describe(p));
    return Mouse(session, WM_LBUTTONUP, 0, p);
}

bool Click(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, "click", Describe(p));
    return Mouse(session, WM_LBUTTONDOWN, MK_LBUTTON, p) && Mouse(session, WM_LBUTTONUP, 0, p);
}

bool Drag(SoakSession* session)
{
    Point from = RandomPoint(session);
    int steps = session->random.Between(1, 6);
    std::string detail = Describe(from);
    bool ok = Mouse(session, WM_LBUTTONDOWN, MK_LBUTTON, from);
    Point to = from;
    for (int i = 0; i < steps && ok; i++) {
        to = RandomPoint(session);
        detail += " " + Describe(to);
        ok = Mouse(session, WM_MOUSEMOVE, MK_LBUTTON, to);
    }
    NoteEvent(session, "drag", detail);
    return ok && Mouse(session, WM_LBUTTONUP, 0, to);
}

bool RightClick(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, "right click", Describe(p));
    return Mouse(session, WM_RBUTTONDOWN, MK_RBUTTON, p) && Mouse(session, WM_RBUTTONUP, 0, p);
}

bool LoseCapture(SoakSession* session)
{
    NoteEvent(session, "capture lost", "");
    return Mouse(session, WM_CAPTURECHANGED, 0, {0, 0});
}

// Sent ahead of anything posted, so the ping that follows returns only once
// the command has run or opened its dialog.
void SendCommandNow(SoakSession* session, int command)
{
    SendNotifyMessageA(session->editor.window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

bool MenuCommand(SoakSession* session)
{
    static const std::vector<std::pair<int, const char*>> commands = {
        {IDM_FILE_NEW, "New"}, {IDM_FILE_OPEN, "Open"}, {IDM_FILE_SAVE, "Save"},
        {IDM_FILE_SAVE_AS, "Save As"}, {IDM_SECTOR_PROPERTIES, "Sector Properties"}, {IDM_ABOUT, "About"}};
    const auto& command = session->random.Pick(commands);
    NoteEvent(session, "menu command", command.second);
    SendCommandNow(session, command.first);
    return CheckEditorAnswers(session);
}

struct Chord {
    std::vector<WORD> keys;  // pressed in order, the last one watched
    const char* name;
};

bool SendKeys(const std::vector<WORD>& keys, bool release)
{
    std::vector<INPUT> inputs;
    for (size_t i = 0; i < keys.size(); i++) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = keys[release ? keys.size() - 1 - i : i];
        input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Waits until the editor's thread has read the watched key going down (or
// up): this program shares its input state, which changes only then.
bool WaitForKeyRead(SoakSession* session, WORD key, bool down, const char* name)
{
    DWORD start = GetTickCount();
    while (((GetKeyState(key) & 0x8000) != 0) != down) {
        if (!IsWindow(session->editor.window))
            return CheckEditorAnswers(session);
        if (GetTickCount() - start > SOAK_TIMEOUT_MS)
            return FailSoak(session, std::string("the editor did not read the keys of ") + name +
                                         (down ? " going down" : " going up"));
        Sleep(1);
    }
    return true;
}

// Presses the chord for real, through the system's input queue. The keys
// go down, and once the editor has read the last of them (its accelerator
// then runs) they come up; once it has read that too, whatever the
// accelerator opened is there, since a dialog's own loop reads the release.
bool PressChord(SoakSession* session, const Chord& chord)
{
    if (!BringToFront(session->editor.window, SOAK_TIMEOUT_MS))
        return FailSoak(session, "the editor's window could not be brought to the front");
    WORD watched = chord.keys.back();
    if (!SendKeys(chord.keys, false) || !WaitForKeyRead(session, watched, true, chord.name))
        return FailSoak(session, std::string("the keys of ") + chord.name + " could not be pressed");
    if (!SendKeys(chord.keys, true) || !WaitForKeyRead(session, watched, false, chord.name))
        return FailSoak(session, std::string("the keys of ") + chord.name + " could not be released");
    return CheckEditorAnswers(session);
}

bool Accelerator(SoakSession* session)
{
    static const std::vector<Chord> chords = {
        {{VK_CONTROL, 'N'}, "Ctrl+N"},
        {{VK_CONTROL, 'O'}, "Ctrl+O"},
        {{VK_CONTROL, 'S'}, "Ctrl+S"},
        {{VK_CONTROL, VK_SHIFT, 'S'}, "Ctrl+Shift+S"},
        {{VK_MENU, VK_OEM_2}, "Alt+/"},
        {{VK_MENU, VK_SHIFT, VK_OEM_2}, "Alt+?"}};
    const Chord& chord = session->random.Pick(chords);
    NoteEvent(session, "keys", chord.name);
    return PressChord(session, chord);
}

bool Drop(SoakSession* session)
{
    std::vector<std::string> paths = PickDropPaths(session);
    Point p = RandomPoint(session);
    std::string detail;
    for (const std::string& path : paths)
        detail += "\"" + (path.size() > 80 ? path.substr(0, 60) + "...(" + std::to_string(path.size()) + ")" : path) +
                  "\" ";
    NoteEvent(session, "drop", detail);
    if (!DropFilesOn(&session->editor, paths, p.x, p.y, true))
        return FailSoak(session, "the files could not be dropped");
    return CheckEditorAnswers(session);
}

bool Close(SoakSession* session)
{
    NoteEvent(session, "close request", "");
    session->closeRequested = true;
    SendNotifyMessageA(session->editor.window, WM_CLOSE, 0, 0);
    return CheckEditorAnswers(session);
}

bool Exit(SoakSession* session)
{
    NoteEvent(session, "menu command", "Exit");
    session->closeRequested = true;
    SendCommandNow(session, IDM_EXIT);
    return CheckEditorAnswers(session);
}

struct WeightedEvent {
    int weight;
    bool (*run)(SoakSession*);
};

const WeightedEvent kEvents[] = {
    {14, Press}, {14, MoveHeld}, {10, Release}, {10, Click}, {8, Drag}, {7, RightClick},
    {3, MoveFree}, {2, LoseCapture}, {12, MenuCommand}, {8, Accelerator}, {4, Drop},
    {2, Close}, {1, Exit}};

}  // namespace

bool RunRandomEvent(SoakSession* session)
{
    int total = 0;
    for (const WeightedEvent& e : kEvents)
        total += e.weight;
    int pick = session->random.Below(total);
    for (const WeightedEvent& e : kEvents) {
        if (pick < e.weight)
            return e.run(session);
        pick -= e.weight;
    }
    return false;
}
