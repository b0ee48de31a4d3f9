// Drives the real Quillmarch.exe from a test program, both running under
// Wine: start and stop it, find its windows and boxes, answer them, type and
// click, and drop files. The files a test works on are handled by the shared
// test support (files.h), which this header brings in.
//
// Every wait polls with a bounded timeout and returns failure (a null window,
// false) when the time runs out, so a test fails with a message instead of
// hanging.
#ifndef QUILLMARCH_TEST_DRIVER_H
#define QUILLMARCH_TEST_DRIVER_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "files.h"

// Long enough for a loaded two-core machine: a bound costs time only when
// a test fails.
enum { DRIVER_TIMEOUT_MS = 20000 };

// ---- The editor process -------------------------------------------------

struct EditorProcess {
    HANDLE process;  // null when nothing was started
    DWORD processId;
    HWND window;  // the main window, once found
};

// The built editor, in Windows form (Z:\...).
std::string GetEditorPath();

// "/a/b" becomes "Z:\a\b"; anything else is returned as it is.
std::string ToWindowsPath(const std::string& path);

// Starts the editor with `arguments` as the command-line text after its
// name, in `folder` (null: the test's own folder). Does not wait for any window.
bool LaunchEditor(EditorProcess* editor, const std::string& arguments,
                  const char* folder = nullptr);

// Starts a program (an installed or unpacked editor, an installer) with this
// exact command line. Does not wait for any window.
bool LaunchProgram(EditorProcess* editor, const std::string& commandLine,
                   const char* folder = nullptr);

// Launches and waits for the main window; kills the process and returns
// false when no window shows up in time.
bool StartEditor(EditorProcess* editor, const std::string& arguments = "",
                 const char* folder = nullptr);

// The main window (class "QUILLMARCH") of the process, waited for.
HWND WaitForMainWindow(EditorProcess* editor, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// True with the exit code when the process ended within the time.
bool WaitForExit(EditorProcess* editor, DWORD* exitCode, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// Kills the process when it still runs, and releases the handles.
void StopEditor(EditorProcess* editor);

// ---- Windows, dialogs and message boxes -----------------------------------

std::string GetWindowTitle(HWND window);
std::string GetClassNameOf(HWND window);

// Polls until the title equals `expected`. On failure `seen` (when given)
// holds the last title read.
bool WaitForTitle(HWND window, const std::string& expected,
                  std::string* seen = nullptr, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// A visible top-level window of the process with the class and, when not
// null, the caption and the owner. Null when there is none.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption,
                       HWND owner);

// A dialog ("#32770") of the process with this caption, waited for.
HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// A dialog owned by `owner`, whatever its caption (boxes that a file dialog
// raises are found this way).
HWND WaitForOwnedDialog(DWORD processId, HWND owner, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// Any dialog of the process; for checks that none is up, use FindProcessWindow.
HWND WaitForAnyDialog(DWORD processId, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

bool WaitForWindowGone(HWND window, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// A message box's text: the static control with id 0xFFFF.
std::string GetMessageBoxText(HWND box);

// Presses a dialog's button by posting its command (IDOK, IDYES, ...).
void PressDialogButton(HWND dialog, int buttonId);

// Edit controls of another process's dialog.
std::string GetDlgItemString(HWND dialog, int controlId);
void SetDlgItemString(HWND dialog, int controlId, const std::string& text);

// The control that has the keyboard focus in the window's thread.
HWND GetFocusOf(HWND window);

// Polls until `control` has the focus; returns the control that has it last.
HWND WaitForFocusOn(HWND window, HWND control, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// ---- The common file dialogs ------------------------------------------

enum {
    FILE_NAME_FIELD = 0x47c,  // the name typed or chosen
    FILE_TYPE_FIELD = 0x470   // the filter list
};

// Types the path into the file-name field and presses OK.
void ConfirmFileDialog(HWND dialog, const std::string& path);

// ---- Input ------------------------------------------------------------------

// Makes the window the foreground window and waits until its own thread
// has taken the activation, so that keys sent next reach it.
bool BringToFront(HWND window, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// Real keystrokes through the system's input queue: presses the keys in
// order and releases them in reverse, e.g. {VK_CONTROL, VK_SHIFT, 'S'}.
bool SendKeyChord(std::initializer_list<WORD> keys);

// Knowing that a window's thread has read its input: a keyboard hook in that
// thread (input_hook.dll) sets an event when it takes a marker key off its
// queue. Input is read in order and only from a message loop, so by then
// everything sent before the marker has been read and handled, up to the
// next loop: the thread's own, or that of a dialog it opened.
struct InputWatch {
    DWORD thread;  // the watched GUI thread
    HHOOK hook;
    HANDLE read;  // set by the hook
};

bool WatchInput(InputWatch* watch, HWND window);
void StopWatchingInput(InputWatch* watch);

enum InputReadResult {
    INPUT_READ,         // the marker was read
    INPUT_WINDOW_GONE,  // `window` was destroyed first
    INPUT_NOT_READ      // the time ran out
};

// Sends the marker after whatever was sent so far and waits until the
// watched thread has read it, or `window` is gone.
InputReadResult WaitForMarkerRead(InputWatch* watch, HWND window,
                                  DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// The same with a watch of its own; true once `window`'s thread has read
// the input sent so far, or `window` is gone.
bool WaitForInputRead(HWND window, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// Brings `window` to the front, sends the chord and returns once the
// window's thread has read it: whatever the keys started has run, or has
// opened its dialog. False when the keys could not be typed or were not
// read in time.
bool TypeChordInto(HWND window, std::initializer_list<WORD> keys);

// Mouse messages sent to the window, handled before the call returns.
bool SendMouse(HWND window, UINT message, WPARAM keys, int x, int y);
bool ClickAt(HWND window, int x, int y);
bool DragFromTo(HWND window, int x0, int y0, int x1, int y1);
bool RightClickAt(HWND window, int x, int y);

// Real mouse input through the system's input queue, as a person's hand
// makes it: the pointer moves to a client point of the window, or as near
// as a confined pointer goes (false when it was stopped short or did not
// move), and a button goes down or up (MOUSEEVENTF_LEFTDOWN...).
bool MovePointerTo(HWND window, int x, int y);
bool SendMouseButton(DWORD buttonFlag);

// Waits up to `ms` while handling the messages for this thread's own
// windows, so that no program that sends to them is kept waiting.
void PumpMessagesFor(DWORD ms);

// A left click through the input queue at a client point; returns once the
// window's thread has read it.
bool ClickThroughInputQueue(HWND window, int x, int y);

// Posts a menu command; a command that opens a modal dialog would block a
// sent one.
void PostCommand(HWND window, int commandId);

// Returns once the window's thread has taken a sent message, or false when
// it did not within the time (hung or blocked).
bool PingWindow(HWND window, DWORD timeoutMs = DRIVER_TIMEOUT_MS);

// Drops the files on the window: a DROPFILES block written into the editor's
// memory, posted as WM_DROPFILES at client point (x, y). With `aheadOfPosted`
// it is sent as a notification instead, which the editor takes before any
// posted message: a PingWindow that follows returns only once it was handled.
bool DropFilesOn(EditorProcess* editor, const std::vector<std::string>& paths,
                 int x = 50, int y = 50, bool aheadOfPosted = false);

#endif
