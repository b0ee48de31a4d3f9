// One soak run: the editor it drives, the folders it works in, what it has
// done so far and the first failure. Every wait is bounded; a failure is
// recorded once, with the event it happened at, and ends the run.
#ifndef QUILLMARCH_SOAK_SESSION_H
#define QUILLMARCH_SOAK_SESSION_H

#include <stdio.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver.h"
#include "soak_random.h"

enum {
    SOAK_TIMEOUT_MS = 30000,      // longest the editor may take to answer, however loaded the machine
    SOAK_RECENT_EVENTS = 25,      // events repeated in a failure report
    SOAK_RESTART_STREAM = 0xFFFF  // the stream part of a restart (parts 1... are dialog answers)
};

struct SoakSession {
    SoakRandom random;   // the stream of the part of the run being played
    int answersInEvent;  // dialogs answered so far in this event, each from a stream of its own
    FILE* trace;         // --trace: each event, answer and title, for comparing two runs
    unsigned long long seed;
    int eventCount;  // events asked for
    int event;       // the event being run, from 1

    EditorProcess editor;
    InputWatch input;     // tells when the editor has read the input sent so far
    bool closeRequested;  // a close request (Alt+F4) or File, Exit was sent: an exit may follow
    bool leftDown;        // the left mouse button is held
    POINT pointer;        // where the pointer was last sent, in the window's client coordinates
    int sectorsAtMost;    // the editor's level has at most this many sectors; -1: not known
    int questionAnswer;   // in this event: the answer to the unsaved-changes question, 0 when none was asked
    bool writeFailed;     // in this event: the editor said it could not write the level
    bool mustSave;        // in this event: a save of a named, modified level was asked for

    std::string folder;                         // the run's temp folder
    std::string saves;                          // where the Save dialog is pointed
    std::string planted;                        // files made by the soak, opened and dropped at random
    std::map<std::string, Bytes> plantedBytes;  // their contents, to tell what the editor rewrote

    std::deque<std::string> recent;         // the last events, for a failure report
    std::map<std::string, int> eventKinds;  // events run, by kind
    std::map<std::string, int> answers;     // dialogs and boxes answered, by caption and text
    std::map<HWND, int> timesAnswered;      // in this event: a dialog its own checks keep open is answered again
    int starts;
    int filesChecked;                    // checks of files the editor wrote
    std::set<std::string> filesWritten;  // the distinct files among them
    std::string failure;                 // empty while all is well
};

// Records the first failure (later ones are consequences) and returns false.
bool FailSoak(SoakSession* session, const std::string& reason);

// Notes an event for the summary, for a failure report and for the trace.
void NoteEvent(SoakSession* session, const std::string& kind, const std::string& detail);

// Writes a line to the trace, if there is one, with the run's folder
// written as "<run>" so that two runs' traces compare.
void TraceLine(SoakSession* session, const std::string& line);

// Starts the numbers of the next event from the seed and the event's number.
void BeginEventStream(SoakSession* session);

// Switches to the stream of a part of the current event; returns the one
// in use, for putting back.
SoakRandom SwitchStream(SoakSession* session, unsigned part);

// Starts the editor, with a level path or none, answers the boxes the
// loader shows before the main window, and hooks its keyboard input so that
// input can be waited for. False (and a failure) when it does not come up.
bool StartSoakEditor(SoakSession* session, const std::string& path);

// Whether the editor still runs. When it has ended: fine if it was asked to
// close and ended with code 0 (it is then started again), a failure otherwise.
// After a close request, once its dialogs are settled, the window is either
// gone, and the editor must end, or it stays, and the close was cancelled.
bool CheckEditorAlive(SoakSession* session);

// The editor answers a sent message within the time; a failure otherwise.
bool CheckEditorAnswers(SoakSession* session);

// Makes the editor's window the foreground window, where input goes. True
// also when the window is gone meanwhile: the next wait judges that.
bool BringEditorToFront(SoakSession* session);

// Waits until the editor has read, and handled, all the input sent so far:
// the marker key goes after it, and the hook tells when it was read.
bool WaitForInputRead(SoakSession* session);

// Whether the editor holds the mouse capture, as it does from a press on
// an empty cell until the release.
bool EditorHasCapture(SoakSession* session);

// Ends the editor at the end of the run.
void StopSoakEditor(SoakSession* session);

#endif
