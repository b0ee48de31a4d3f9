// The command table, the Open and Save dialogs, the close request and
// dropped files.
#include "commands.h"

#include <cderr.h>
#include <commdlg.h>

#include <stdio.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "dialogs.h"
#include "level_file.h"
#include "main_window.h"
#include "map_view.h"
#include "mouse_edit.h"
#include "portals.h"
#include "resource.h"
#include "session_end.h"
#include "title.h"
#include "wide_text.h"

namespace {

const wchar_t LEVEL_FILTER[] = L"All\0*.*\0Quillmarch Level\0*.vrk\0";

enum {
    FILE_NAME_CHARS = 260,  // the file dialogs' name buffer
    LEVEL_FILTER_INDEX = 2  // "Quillmarch Level" is selected
};

void ShowError(HWND window, const char* text)
{
    ShowMessageBox(window, text, "Error", MB_ICONERROR);
}

typedef BOOL(WINAPI* FileDialogFunction)(OPENFILENAMEW*);
typedef DWORD(WINAPI* DialogErrorFunction)();

// The common dialogs library is loaded on the first Open or Save rather than
// at start-up: it is the largest part of the program's start-up time, and
// many sessions start from a level named on the command line.
void* GetDialogFunction(const char* name)
{
    static HMODULE library = LoadLibraryW(L"comdlg32.dll");
    if (!library)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(library, name));
}

// A file dialog that failed rather than was cancelled says why.
void ShowDialogError(HWND window, DWORD error)
{
    const char* reason = "the system could not show it";
    if (error == FNERR_BUFFERTOOSMALL)
        reason = "the name is too long";
    else if (error == FNERR_INVALIDFILENAME)
        reason = "the name is not a valid file name";
    else if (error == CDERR_MEMALLOCFAILURE || error == CDERR_MEMLOCKFAILURE)
        reason = "there is not enough memory";
    char text[160];
    snprintf(text, sizeof text, "The file dialog failed: %s (error 0x%04lX).", reason,
             static_cast<unsigned long>(error));
    ShowError(window, text);
}

// The process's current folder, whatever its length; empty if unreadable.
std::wstring GetCurrentFolder()
{
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    DWORD length = size ? GetCurrentDirectoryW(size, &folder[0]) : 0;
    folder.resize(length < size ? length : 0);
    return folder;
}

// Shows the Open or the Save dialog and gives the chosen path in UTF-8.
// Returns 0 when the user cancels, when the dialog fails (with a box that
// says why) or, which no installed system should see, when the dialogs
// cannot be loaded.
int AskLevelPath(HWND window, bool save, std::string* path)
{
    wchar_t file[FILE_NAME_CHARS] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = LEVEL_FILTER;
    dialog.nFilterIndex = LEVEL_FILTER_INDEX;
    dialog.lpstrFile = file;
    dialog.nMaxFile = FILE_NAME_CHARS;
    auto showDialog =
        reinterpret_cast<FileDialogFunction>(GetDialogFunction(save ? "GetSaveFileNameW" : "GetOpenFileNameW"));
    auto dialogError = reinterpret_cast<DialogErrorFunction>(GetDialogFunction("CommDlgExtendedError"));
    if (!showDialog || !dialogError)
        return 0;
    if (save) {
        // Replacing an existing level is asked about: a slip of the mouse in
        // the dialog must not cost another level.
        dialog.Flags = OFN_CREATEPROMPT | OFN_OVERWRITEPROMPT;
        dialog.lpstrDefExt = L"vrk";  // the dialog adds the dot itself
    } else {
        dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    }
    // The dialogs may move the process's current folder to where the user
    // browsed; a relative remembered path would then be saved elsewhere. The
    // flag asks them not to, but the Open dialog ignores it, so the folder
    // is also put back by hand.
    dialog.Flags |= OFN_NOCHANGEDIR;
    std::wstring folder = GetCurrentFolder();
    BOOL chosen = showDialog(&dialog);
    if (!folder.empty())
        SetCurrentDirectoryW(folder.c_str());
    if (!chosen) {
        // Cancelled, or failed: only a failure has an error code.
        DWORD error = dialogError();
        if (error != 0)
            ShowDialogError(window, error);
        return 0;
    }
    // A name that cannot be kept exactly (an unpaired surrogate) is refused
    // as the file it names would be, never turned into another name.
    if (!NarrowToUtf8(file, wcslen(file), path)) {
        ShowError(window, save ? "Unable to write level to file." : "Unable to read level from file.");
        return 0;
    }
    return 1;
}

void WarnEdgesLeftOut(HWND window, int edgesLeftOut)
{
    char text[200];
    snprintf(text, sizeof text,
             "The level was saved, but the portal table is full: %d shared %s left "
             "without portals.",
             edgesLeftOut, edgesLeftOut == 1 ? "edge was" : "edges were");
    ShowMessageBox(window, text, "Portal table full", MB_ICONWARNING);
}

// 1 when the level was written, 0 when the Save dialog was cancelled or the
// write failed.
int SaveLevelCommand(HWND window, bool saveAs)
{
    // The remembered path is taken whole, however long it is: a path given
    // on the command line can exceed what the dialogs would return.
    std::string path;
    if (!saveAs && g_level.fileName)
        path = g_level.fileName;
    else if (!AskLevelPath(window, true, &path))
        return 0;

    int edgesLeftOut = BuildPortals(&g_level);
    if (SaveLevel(&g_level, path.c_str()) != 0) {
        ShowError(window, "Unable to write level to file.");
        return 0;
    }
    UpdateTitle(window);
    ReleaseSessionBlock(window);
    // The sectors are all saved; only neighbour links are missing, so the
    // user is told after the fact rather than refused the save.
    if (edgesLeftOut > 0)
        WarnEdgesLeftOut(window, edgesLeftOut);
    return 1;
}

}  // namespace

int ConfirmLosingChanges(HWND window)
{
    if (!g_level.modified)
        return 1;
    int answer = ShowMessageBox(window, "Would you like to save your changes?", "Unsaved changes",
                                MB_ICONWARNING | MB_YESNOCANCEL);
    if (answer == IDYES)
        return SaveLevelCommand(window, false);
    return answer == IDNO ? 1 : 0;
}

namespace {

// Drops the selection and any stretch, and grays Sector Properties with them.
void ForgetEditState(HWND window)
{
    ResetEditState();
    EnableSectorProperties(window, false);
}

// Replaces the level with the one in the file, for Open and for a dropped
// file. The selection is forgotten when the level is replaced, because it
// names a slot of the level that is gone; a failed load keeps the level, so a
// failed drop keeps the selection too. Open alone also forgets it when it is
// cancelled or fails: Open grays Sector Properties whatever its outcome, and
// a sector left selected behind a grayed item could not be edited until it
// was clicked again.
int ReplaceLevelFromFile(HWND window, const char* path)
{
    if (LoadLevel(&g_level, path) != 0) {
        ShowError(window, "Unable to read level from file.");
        return 0;
    }
    ForgetEditState(window);
    InvalidateView(window);
    UpdateTitle(window);
    ReleaseSessionBlock(window);
    return 1;
}

// File, New.
void OnFileNew(HWND window)
{
    if (!ConfirmLosingChanges(window))
        return;
    FreeLevel(&g_level);
    g_level = NewLevel();
    ForgetEditState(window);
    InvalidateView(window);
    UpdateTitle(window);
    ReleaseSessionBlock(window);
}

// 1 when a level was loaded, 0 when the Open dialog was cancelled or the load
// failed.
int OpenLevelCommand(HWND window)
{
    std::string path;
    if (!AskLevelPath(window, false, &path))
        return 0;
    return ReplaceLevelFromFile(window, path.c_str());
}

// File, Open: the Open dialog and the load, after the unsaved-changes
// question.
void OnFileOpen(HWND window)
{
    if (!ConfirmLosingChanges(window))
        return;
    if (OpenLevelCommand(window))
        return;
    ForgetEditState(window);
    InvalidateView(window);
}

void RunDialog(HWND window, int dialogId, DLGPROC handler)
{
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(dialogId), window, handler, 0);
    // An open Sector Properties held the session's end off; closed without
    // an edit, it holds it no longer.
    ReleaseSessionBlock(window);
}

}  // namespace

bool IsModalWindowUp(HWND window)
{
    return !IsWindowEnabled(window);
}

void OnClose(HWND window)
{
    // A close request while a box or dialog is up (sent by another program:
    // the window takes no input then) is let go. The user is answering that
    // already; asked inside it, a Yes would save while a file dialog has
    // moved the current folder, or close under an open Sector Properties.
    if (IsModalWindowUp(window))
        return;
    // Only a completed save, or the user's No, lets the window go.
    if (ConfirmLosingChanges(window))
        DestroyWindow(window);
}

bool OnCommand(HWND window, WPARAM wParam, LPARAM)
{
    // The table is kept aligned by hand.
    // clang-format off
    switch (LOWORD(wParam)) {
    // File menu
    case IDM_FILE_NEW:          OnFileNew(window); return true;
    case IDM_FILE_OPEN:         OnFileOpen(window); return true;
    case IDM_FILE_SAVE:         SaveLevelCommand(window, false); return true;
    case IDM_FILE_SAVE_AS:      SaveLevelCommand(window, true); return true;
    case IDM_EXIT:              OnClose(window); return true;
    // Edit menu
    case IDM_SECTOR_PROPERTIES: RunDialog(window, IDD_SECTOR_PROPERTIES, SectorPropsDlgProc); return true;
    // Help menu
    case IDM_ABOUT:             RunDialog(window, IDD_ABOUT, AboutDlgProc); return true;
    }
    // clang-format on
    return false;
}

void EnableSectorProperties(HWND window, bool enable)
{
    EnableMenuItem(GetMenu(window), IDM_SECTOR_PROPERTIES, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void OnDropFiles(HWND window, HDROP drop)
{
    // A drop while a box or dialog is up is let go, as a close request is:
    // a level loaded then would replace the one under an open dialog.
    if (IsModalWindowUp(window)) {
        DragFinish(drop);
        return;
    }
    // Asking with a null buffer gives the path's length, so a path of any
    // length is taken whole. A path that cannot be converted exactly stays
    // empty, and its load fails as a missing file's does.
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::vector<wchar_t> widePath(length + 1, L'\0');
    UINT copied = DragQueryFileW(drop, 0, widePath.data(), length + 1);
    DragFinish(drop);
    std::string path;
    NarrowToUtf8(widePath.data(), copied, &path);
    if (copied == 0 || !ConfirmLosingChanges(window))
        return;
    ReplaceLevelFromFile(window, path.c_str());
}
