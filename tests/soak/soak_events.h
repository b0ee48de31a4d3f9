// The random events of a soak, as a user produces them: presses, drags and
// releases anywhere (also outside the window), right clicks, lost capture,
// menu commands, accelerator keys, dropped files, close requests.
#ifndef QUILLMARCH_SOAK_EVENTS_H
#define QUILLMARCH_SOAK_EVENTS_H

#include "soak_session.h"

// Runs one event picked at random. False (and a failure) when the editor
// did not take it.
bool RunRandomEvent(SoakSession* session);

#endif
