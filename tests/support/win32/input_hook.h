// The keyboard hook that tells a test when a window's thread has read its
// input: the marker key, and the named event the hook sets once that thread
// has taken the marker off its queue.
#ifndef QUILLMARCH_INPUT_HOOK_H
#define QUILLMARCH_INPUT_HOOK_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>

// A key the editor does nothing with.
const WORD INPUT_MARKER_KEY = VK_F24;

// The event's name for a GUI thread.
inline void FormatInputReadEventName(DWORD thread, char* name, size_t size)
{
    snprintf(name, size, "QuillmarchInputRead-%lu", static_cast<unsigned long>(thread));
}

#endif
