// The random events of a soak, as a person makes them: the mouse through
// the system's input queue (presses, moves, releases, clicks, drags, right
// clicks), menu items chosen from the keyboard, accelerator keys, dropped
// files, Alt+F4.
#ifndef QUILLMARCH_SOAK_EVENTS_H
#define QUILLMARCH_SOAK_EVENTS_H

#include "soak_session.h"

// Runs one event picked at random. False (and a failure) when the editor
// did not take it.
bool RunRandomEvent(SoakSession* session);

// The effects that are certain, once the event's dialogs are settled: a
// save of a named, modified level leaves the title without its mark, unless
// the editor said it could not write the file.
bool CheckEventEffect(SoakSession* session);

#endif
