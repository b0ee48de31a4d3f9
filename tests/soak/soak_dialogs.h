// The dialogs and boxes the editor raises during a soak, found whether or
// not they are shown yet, and answered at random as a user might.
#ifndef QUILLMARCH_SOAK_DIALOGS_H
#define QUILLMARCH_SOAK_DIALOGS_H

#include "soak_session.h"

// The editor's dialog that takes input now: a box that a dialog raised
// comes before that dialog, which it disables. Null when none is up.
HWND FindActiveDialog(DWORD processId);

// Answers one dialog at random: a file name typed or the dialog cancelled,
// heights typed, a button of a box pressed.
void AnswerDialog(SoakSession* session, HWND dialog);

// Answers dialogs until none is left, each time once the editor has taken
// the previous answer. False (and a failure) when the editor stops
// answering or the dialogs never end.
bool SettleDialogs(SoakSession* session);

// A button press, delivered ahead of anything posted, so a following
// ping returns only once the dialog has taken it.
void PressButtonNow(HWND dialog, int buttonId);

#endif
