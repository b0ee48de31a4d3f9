// The About box and Sector Properties.
#include "dialogs.h"

#include <ctype.h>

#include <string>

#include "main_window.h"
#include "mouse_edit.h"
#include "resource.h"
#include "title.h"

enum { MAX_HEIGHT = 255 };

namespace {

bool IsAllDigits(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return false;
    for (size_t i = start; i < text.size(); i++)
        if (!isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

std::string GetControlText(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], static_cast<int>(text.size())));
    return text;
}

// The value of a run of digits, held at MAX_HEIGHT + 1 once it passes
// MAX_HEIGHT, so no length of text can overflow it.
unsigned ClampedDigitsValue(const std::string& text)
{
    unsigned value = 0;
    for (char c : text) {
        if (isdigit(static_cast<unsigned char>(c)) && value <= MAX_HEIGHT)
            value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= MAX_HEIGHT ? value : MAX_HEIGHT + 1;
}

// Reads a height edit. Empty or non-numeric text reads as 0. Returns false
// for a number above 255, since keeping only its low bits would store a
// height the user never typed. A number is judged on its whole text: the
// system's reader looks only at its first characters, so a long run of
// leading zeros would otherwise hide the digits that follow.
bool ReadHeight(HWND dialog, int controlId, unsigned* height)
{
    BOOL read = FALSE;
    *height = GetDlgItemInt(dialog, controlId, &read, FALSE);
    std::string text = GetControlText(dialog, controlId);
    if (IsAllDigits(text))
        *height = ClampedDigitsValue(text);
    else if (!read)
        *height = 0;
    return *height <= MAX_HEIGHT;
}

// Tells the user and puts the focus back on the edit, its text selected.
void RefuseHeight(HWND dialog, int controlId, const char* text)
{
    MessageBoxA(dialog, text, "Sector Properties", MB_ICONWARNING);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, controlId)),
                 TRUE);
}

void ConfirmSectorProps(HWND dialog)
{
    unsigned floor = 0;
    unsigned ceiling = 0;
    if (!ReadHeight(dialog, IDC_FLOOR_HEIGHT, &floor)) {
        RefuseHeight(dialog, IDC_FLOOR_HEIGHT, "The floor height must be a number from 0 to 255.");
        return;
    }
    if (!ReadHeight(dialog, IDC_CEILING_HEIGHT, &ceiling)) {
        RefuseHeight(dialog, IDC_CEILING_HEIGHT,
                     "The ceiling height must be a number from 0 to 255.");
        return;
    }
    SetSelectedHeights(floor, ceiling);
    // OK counts as an edit even when nothing changed or nothing is selected.
    g_level.modified = 1;
    UpdateTitle(GetParent(dialog));
    EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // Cancel also arrives for Escape and the close box.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK SectorPropsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        unsigned floor = 0;
        unsigned ceiling = 0;
        if (GetSelectedHeights(&floor, &ceiling)) {
            SetDlgItemInt(dialog, IDC_FLOOR_HEIGHT, floor, FALSE);
            SetDlgItemInt(dialog, IDC_CEILING_HEIGHT, ceiling, FALSE);
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            ConfirmSectorProps(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
