// The soak's keyboard hook in the editor: the marker key, and the event the
// hook sets once the editor's thread has taken that key off its queue.
#ifndef QUILLMARCH_SOAK_HOOK_H
#define QUILLMARCH_SOAK_HOOK_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>

// A key the editor does nothing with.
const WORD SOAK_MARKER_KEY = VK_F24;

// The event's name for the editor's GUI thread.
inline void FormatInputReadEventName(DWORD editorThread, char* name, size_t size)
{
    snprintf(name, size, "QuillmarchSoakInputRead-%lu", static_cast<unsigned long>(editorThread));
}

#endif
