// The About box and Sector Properties.
#include "dialogs.h"

#include <string>

#include "main_window.h"
#include "mouse_edit.h"
#include "resource.h"
#include "title.h"
#include "wide_text.h"

namespace {

enum { MAX_HEIGHT = 255 };

HWND g_sectorProperties;  // the open Sector Properties dialog, if any

// Reads a height edit, the same way on every system: an empty field reads
// 0, and digits with spaces around them are taken up to MAX_HEIGHT. Returns
// false for anything else (a typo, a sign, a number above MAX_HEIGHT), so a
// height never becomes a number the user did not type.
bool ReadHeight(HWND dialog, int controlId, unsigned* height)
{
    HWND control = GetDlgItem(dialog, controlId);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    size_t first = text.find_first_not_of(L" \t");
    size_t last = text.find_last_not_of(L" \t");
    unsigned value = 0;
    for (size_t i = first; first != std::wstring::npos && i <= last; i++) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        // Checked digit by digit, so no length of text can overflow it.
        value = value * 10 + static_cast<unsigned>(text[i] - L'0');
        if (value > MAX_HEIGHT)
            return false;
    }
    *height = value;
    return true;
}

// Tells the user and puts the focus back on the edit, its text selected.
void RefuseHeight(HWND dialog, int controlId, const char* text)
{
    ShowMessageBox(dialog, text, "Sector Properties", MB_ICONWARNING);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, controlId)),
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

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    std::wstring wideText, wideCaption;
    WidenUtf8(text, &wideText);
    WidenUtf8(caption, &wideCaption);
    return MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), type);
}

bool IsSectorPropertiesOpen()
{
    return g_sectorProperties != nullptr;
}

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
        g_sectorProperties = dialog;
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
    case WM_DESTROY:
        g_sectorProperties = nullptr;
        break;
    }
    return FALSE;
}
