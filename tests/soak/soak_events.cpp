#include "soak_events.h"

#include <string.h>

#include "level.h"
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

RECT ClientArea(SoakSession* session)
{
    RECT client = {0, 0, 600, 330};
    GetClientRect(session->editor.window, &client);
    return client;
}

// Where a press lands: on the map, as a person aims it.
Point RandomMapPoint(SoakSession* session)
{
    RECT client = ClientArea(session);
    return {session->random.Below(client.right), session->random.Below(client.bottom)};
}

// Where the pointer goes: mostly over the map, sometimes off the window,
// where a confined pointer stops at the map's edge.
Point RandomPoint(SoakSession* session)
{
    RECT client = ClientArea(session);
    if (session->random.Below(100) < 75)
        return {session->random.Below(client.right), session->random.Below(client.bottom)};
    return {session->random.Between(-400, client.right + 400), session->random.Between(-400, client.bottom + 400)};
}

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

// Real mouse input through the system's input queue, as a hand makes it:
// the pointer moves to p (a confined pointer stops at the edge), then the
// buttons go down or up in order. Returns once the editor has read it all.
bool MouseInput(SoakSession* session, Point p, std::initializer_list<DWORD> buttons)
{
    if (!BringEditorToFront(session))
        return false;
    MovePointerTo(session->editor.window, p.x, p.y);
    session->pointer = {p.x, p.y};
    // The editor reads the move, and the display's reports of the pointer,
    // before a button: one read late would stretch a sector just begun.
    if (buttons.size() != 0 && !WaitForInputRead(session))
        return false;
    bool released = false;
    for (DWORD button : buttons) {
        if (!SendMouseButton(button))
            return FailSoak(session, "the mouse input could not be sent");
        if (button == MOUSEEVENTF_LEFTDOWN || button == MOUSEEVENTF_LEFTUP)
            session->leftDown = button == MOUSEEVENTF_LEFTDOWN;
        released = button == MOUSEEVENTF_LEFTUP;
        if (button == MOUSEEVENTF_LEFTDOWN && session->sectorsAtMost >= 0)
            session->sectorsAtMost++;  // a press adds at most one
    }
    if (!WaitForInputRead(session))
        return false;
    return !released || !IsWindow(session->editor.window) || !EditorHasCapture(session) ||
           FailSoak(session, "the release was lost: the editor still holds the mouse");
}

// A press that took the capture found no sector under it and began one
// (unless the table was full); the release then shows the modified mark.
bool CheckSectorAdded(SoakSession* session, bool began)
{
    if (!began || session->sectorsAtMost <= 0 || session->sectorsAtMost > MAX_SECTORS ||
        !IsWindow(session->editor.window))
        return true;
    std::string title = GetWindowTitle(session->editor.window);
    return title.back() == '*' ||
           FailSoak(session, "a press and release on an empty cell added no sector: the title is \"" + title + "\"");
}

// A drag lasts from the press to the release: nothing else ends it.
bool CheckStillDragging(SoakSession* session, bool began)
{
    return !began || !IsWindow(session->editor.window) || EditorHasCapture(session) ||
           FailSoak(session, "the drag ended without a release");
}

// A hand cannot press a held button or release a free one: the left
// button goes down on the map when it is up, and up anywhere when it is down.
bool PressOrRelease(SoakSession* session)
{
    if (session->leftDown) {
        Point p = RandomPoint(session);
        NoteEvent(session, "release", Describe(p));
        return MouseInput(session, p, {MOUSEEVENTF_LEFTUP});
    }
    Point p = RandomMapPoint(session);
    NoteEvent(session, "press", Describe(p));
    return MouseInput(session, p, {MOUSEEVENTF_LEFTDOWN});
}

bool Move(SoakSession* session)
{
    Point p = RandomPoint(session);
    NoteEvent(session, session->leftDown ? "move with the button down" : "move", Describe(p));
    return MouseInput(session, p, {});
}

// A button still held from a press is let go where the pointer was sent
// (the system's idea of it may still lag behind).
bool LetGo(SoakSession* session)
{
    if (!session->leftDown)
        return true;
    return MouseInput(session, {session->pointer.x, session->pointer.y}, {MOUSEEVENTF_LEFTUP});
}

bool Click(SoakSession* session)
{
    Point p = RandomMapPoint(session);
    NoteEvent(session, "click", Describe(p));
    if (!LetGo(session) || !MouseInput(session, p, {MOUSEEVENTF_LEFTDOWN}))
        return false;
    bool began = EditorHasCapture(session);
    return MouseInput(session, p, {MOUSEEVENTF_LEFTUP}) && CheckSectorAdded(session, began);
}

bool Drag(SoakSession* session)
{
    Point from = RandomMapPoint(session);
    int steps = session->random.Between(1, 6);
    std::vector<Point> path;
    std::string detail = Describe(from);
    for (int i = 0; i < steps; i++) {
        path.push_back(RandomPoint(session));
        detail += " " + Describe(path.back());
    }
    NoteEvent(session, "drag", detail);
    if (!LetGo(session) || !MouseInput(session, from, {MOUSEEVENTF_LEFTDOWN}))
        return false;
    bool began = EditorHasCapture(session);
    for (const Point& to : path)
        if (!MouseInput(session, to, {}) || !CheckStillDragging(session, began))
            return false;
    return MouseInput(session, path.back(), {MOUSEEVENTF_LEFTUP}) && CheckSectorAdded(session, began);
}

bool RightClick(SoakSession* session)
{
    Point p = RandomMapPoint(session);
    NoteEvent(session, "right click", Describe(p));
    return MouseInput(session, p, {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
}

// Presses the keys for real, through the system's input queue, and
// releases them; once the editor has read them, whatever they started has
// run or opened its dialog, whose own loop reads the input after them.
bool PressChord(SoakSession* session, const std::vector<WORD>& keys, const char* name)
{
    // The editor reads what the display reported before the keys (its
    // idea of which keys are down among it), so that a report read late
    // cannot let go of a held Alt or Ctrl between the chord's keys.
    if (!BringEditorToFront(session) || !WaitForInputRead(session))
        return false;
    if (!SendKeys(keys, false) || !SendKeys(keys, true))
        return FailSoak(session, std::string("the keys of ") + name + " could not be pressed");
    return WaitForInputRead(session) && CheckEditorAnswers(session);
}

// A menu item chosen as a person does from the keyboard: Alt and the
// menu's letter, then the item's keys. The menu itself refuses a grayed
// item, so nothing is chosen that a person could not choose.
struct MenuChoice {
    WORD menu;               // the letter of the menu in the menu bar
    std::vector<WORD> keys;  // then these, one after another
    const char* name;
};

// Whether a save now must write the level: it has a name and changes.
bool IsNamedAndModified(SoakSession* session)
{
    std::string title = GetWindowTitle(session->editor.window);
    return !title.empty() && title.back() == '*' && title.find("[Untitled]") == std::string::npos;
}

bool ChooseFromMenu(SoakSession* session, const MenuChoice& choice)
{
    NoteEvent(session, "menu command", choice.name);
    // A menu opened from the keyboard while the left button is held reads
    // the button as a mouse choice, and whether that comes before the item's
    // key depends on the machine's speed: the button is let go first, so
    // that a seed always chooses the same item.
    if (!LetGo(session))
        return false;
    session->mustSave = strcmp(choice.name, "Save") == 0 && IsNamedAndModified(session);
    if (!PressChord(session, {VK_MENU, choice.menu}, choice.name))
        return false;
    for (WORD key : choice.keys) {
        if (!IsWindow(session->editor.window) || !PressChord(session, {key}, choice.name))
            return IsWindow(session->editor.window) ? false : CheckEditorAnswers(session);
    }
    return true;
}

bool MenuCommand(SoakSession* session)
{
    // Save and Save As share their letter, so Save As is reached with the
    // arrow keys: the menu opens on New, three down is Save As.
    static const std::vector<MenuChoice> choices = {
        {'F', {'N'}, "New"},
        {'F', {'O'}, "Open"},
        {'F', {'S'}, "Save"},
        {'F', {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, "Save As"},
        {'E', {'S'}, "Sector Properties"},
        {'H', {'A'}, "About"}};
    return ChooseFromMenu(session, session->random.Pick(choices));
}

bool Accelerator(SoakSession* session)
{
    struct Chord {
        std::vector<WORD> keys;  // pressed in order, released in reverse
        const char* name;
    };
    static const std::vector<Chord> chords = {
        {{VK_CONTROL, 'N'}, "Ctrl+N"},
        {{VK_CONTROL, 'O'}, "Ctrl+O"},
        {{VK_CONTROL, 'S'}, "Ctrl+S"},
        {{VK_CONTROL, VK_SHIFT, 'S'}, "Ctrl+Shift+S"},
        {{VK_MENU, VK_OEM_2}, "Alt+/"},
        {{VK_MENU, VK_SHIFT, VK_OEM_2}, "Alt+?"}};
    const Chord& chord = session->random.Pick(chords);
    NoteEvent(session, "keys", chord.name);
    // With the button held the editor holds the capture, and accelerators wait.
    session->mustSave = strcmp(chord.name, "Ctrl+S") == 0 && !session->leftDown && IsNamedAndModified(session);
    return PressChord(session, chord.keys, chord.name);
}

bool Drop(SoakSession* session)
{
    std::vector<std::string> paths = PickDropPaths(session);
    Point p = RandomMapPoint(session);
    std::string detail;
    for (const std::string& path : paths) {
        // Shortened after the run's folder, whose name differs from run to run.
        std::string shown = path.compare(0, session->folder.size(), session->folder) == 0
                                ? "<run>" + path.substr(session->folder.size())
                                : path;
        detail += "\"" + (shown.size() > 80 ? shown.substr(0, 60) + "...(" + std::to_string(shown.size()) + ")" : shown) +
                  "\" ";
    }
    NoteEvent(session, "drop", detail);
    if (!DropFilesOn(&session->editor, paths, p.x, p.y, true))
        return FailSoak(session, "the files could not be dropped");
    return CheckEditorAnswers(session);
}

// Alt+F4, the keys that ask the window to close.
bool Close(SoakSession* session)
{
    NoteEvent(session, "close request", "Alt+F4");
    session->closeRequested = true;
    return PressChord(session, {VK_MENU, VK_F4}, "Alt+F4");
}

bool Exit(SoakSession* session)
{
    session->closeRequested = true;
    return ChooseFromMenu(session, {'F', {'X'}, "Exit"});
}

struct WeightedEvent {
    int weight;
    bool (*run)(SoakSession*);
};

const WeightedEvent WEIGHTED_EVENTS[] = {
    {24, PressOrRelease}, {17, Move}, {10, Click}, {8, Drag}, {7, RightClick}, {12, MenuCommand}, {8, Accelerator}, {4, Drop}, {2, Close}, {1, Exit}};

}  // namespace

bool CheckEventEffect(SoakSession* session)
{
    if (IsWindow(session->editor.window) && !session->leftDown &&
        GetWindowTitle(session->editor.window) == "Quillmarch - [Untitled]  ")
        session->sectorsAtMost = 0;  // a fresh level
    if (!session->mustSave || session->writeFailed || !IsWindow(session->editor.window))
        return true;
    std::string title = GetWindowTitle(session->editor.window);
    return title.back() != '*' || FailSoak(session, "a save of a named, modified level left the title \"" + title + "\"");
}

bool RunRandomEvent(SoakSession* session)
{
    int total = 0;
    for (const WeightedEvent& e : WEIGHTED_EVENTS)
        total += e.weight;
    int pick = session->random.Below(total);
    for (const WeightedEvent& e : WEIGHTED_EVENTS) {
        if (pick < e.weight)
            return e.run(session);
        pick -= e.weight;
    }
    return false;
}
