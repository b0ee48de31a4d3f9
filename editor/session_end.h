// The end of the session: logging off, shutting down, and the Restart
// Manager asking the program to close.
#ifndef QUILLMARCH_SESSION_END_H
#define QUILLMARCH_SESSION_END_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// Posted to the main window: the unsaved-changes question that follows a
// refused session end.
enum { WM_SESSION_QUESTION = WM_APP + 1 };

// Answers at once: TRUE without unsaved changes or an open Sector
// Properties (or when the end is forced), otherwise FALSE with the reason Windows shows the user, and the
// question posted to follow.
BOOL OnQueryEndSession(HWND window, LPARAM reasons);

// The session ends (ending) or goes on after all.
void OnEndSession(HWND window, bool ending);

// The question put off by the query, asked as the close request asks; once
// the session has gone on, the answer no longer closes the editor.
void OnSessionQuestion(HWND window);

// Lets the session end again once nothing unsaved is left.
void ReleaseSessionBlock(HWND window);

#endif
