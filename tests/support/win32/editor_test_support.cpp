#include "editor_test_support.h"

#include <stdio.h>

#include "main_window.h"
#include "mouse_edit.h"

bool CreateCanvas(Canvas* canvas, int width, int height, COLORREF fill)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas->dc = CreateCompatibleDC(nullptr);
    canvas->bitmap = CreateDIBSection(canvas->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas->dc || !canvas->bitmap)
        return false;
    canvas->oldBitmap = SelectObject(canvas->dc, canvas->bitmap);
    canvas->bits = static_cast<uint32_t*>(bits);
    canvas->width = width;
    canvas->height = height;
    uint32_t value = GetRValue(fill) << 16 | GetGValue(fill) << 8 | GetBValue(fill);
    for (int i = 0; i < width * height; i++)
        canvas->bits[i] = value;
    return true;
}

void DestroyCanvas(Canvas* canvas)
{
    SelectObject(canvas->dc, canvas->oldBitmap);
    DeleteObject(canvas->bitmap);
    DeleteDC(canvas->dc);
    *canvas = Canvas();
}

COLORREF PixelAt(const Canvas* canvas, int x, int y)
{
    GdiFlush();
    uint32_t v = canvas->bits[y * canvas->width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

std::string DescribeColour(COLORREF colour)
{
    char text[40];
    snprintf(text, sizeof text, "(%d, %d, %d)", GetRValue(colour), GetGValue(colour),
             GetBValue(colour));
    return text;
}

void ResetEditorState()
{
    FreeLevel(&g_level);
    g_level = NewLevel();
    ResetEditState();
    g_edit.dragging = false;
    g_edit.pressPoint = 0;
}

namespace {

int g_beeps;  // MessageBeep calls seen since StartCountingBeeps

BOOL WINAPI CountBeep(UINT)
{
    g_beeps++;
    return TRUE;
}

// Walks the program's import table and replaces every slot that holds
// user32's MessageBeep.
bool RedirectImport(ULONG_PTR original, ULONG_PTR replacement)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    bool found = false;
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; dir.VirtualAddress && desc->Name; desc++) {
        auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; thunk->u1.Function; thunk++) {
            if (thunk->u1.Function != original)
                continue;
            DWORD old;
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &old);
            thunk->u1.Function = replacement;
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, old, &old);
            found = true;
        }
    }
    return found;
}

}  // namespace

void StartCountingBeeps()
{
    static bool redirected = false;
    if (!redirected) {
        FARPROC beep = GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBeep");
        redirected = RedirectImport(reinterpret_cast<ULONG_PTR>(beep),
                                    reinterpret_cast<ULONG_PTR>(&CountBeep));
    }
    g_beeps = redirected ? 0 : -1;  // -1: could not count
}

int BeepCount()
{
    return g_beeps;
}
