// A screenshot of the running editor with an example level, saved in the
// build folder; make screenshot copies it to docs/screenshot.png, the picture
// the README shows, so a test run never changes the work tree.
#include "editor_fixture.h"
#include "screen_pixel.h"

#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "level.h"
#include "level_file.h"

namespace {

// The window as it is on the screen, copied into a bitmap.
HBITMAP CaptureWindow(HWND window, int* width, int* height)
{
    RECT frame;
    GetWindowRect(window, &frame);
    *width = frame.right - frame.left;
    *height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, *width, *height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, *width, *height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool SavePng(HBITMAP bitmap, const std::string& path)
{
    // The PNG encoder's class id, as GDI+ lists it.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        std::wstring widePath(path.begin(), path.end());
        saved = image.Save(widePath.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

// Polls the screen until a white pixel shows on the client row between x0
// and x1 (exclusive).
bool WaitForWhiteOnRow(HWND window, int y, int x0, int x1)
{
    DWORD start = GetTickCount();
    do {
        HDC screen = GetDC(nullptr);
        bool found = false;
        for (int x = x0; x < x1 && !found; x++) {
            POINT p = {x, y};
            ClientToScreen(window, &p);
            found = GetPixel(screen, p.x, p.y) == RGB(255, 255, 255);
        }
        ReleaseDC(nullptr, screen);
        if (found)
            return true;
        Sleep(10);
    } while (GetTickCount() - start < DRIVER_TIMEOUT_MS);
    return false;
}

class Screenshot : public EditorTest {};

TEST_F(Screenshot, EditorWithExampleLevel)
{
    std::string level = ToWindowsPath(QM_SOURCE_DIR "/examples/hall.vrk");
    Level hall = NewLevel();
    ASSERT_EQ(0, LoadLevel(&hall, level.c_str())) << "cannot read " << level;
    ASSERT_GT(hall.sectorCount, 0) << "the example has no sectors";
    Start("\"" + level + "\"");
    ExpectTitle("hall.vrk", false);

    // Select the first sector so the picture shows the selection frame too.
    const Sector& first = hall.sectors[0];
    int x = (first.left + first.right) * 8, y = (first.top + first.bottom) * 8;
    ASSERT_TRUE(ClickAt(editor_.window, x, y));
    ASSERT_TRUE(PingWindow(editor_.window));
    UpdateWindow(editor_.window);

    // Wait until the dotted frame shows on the row one pixel above the sector.
    EXPECT_TRUE(WaitForWhiteOnRow(editor_.window, first.top * 16 - 1, first.left * 16 - 1,
                                  first.right * 16 + 1))
        << "no selection frame on the screen";

    int width = 0, height = 0;
    HBITMAP shot = CaptureWindow(editor_.window, &width, &height);
    EXPECT_EQ(620, width);
    EXPECT_EQ(390, height);
    std::string path = ToWindowsPath(QM_SCREENSHOT_PATH);
    EXPECT_TRUE(SavePng(shot, path)) << "cannot write " << path;
    DeleteObject(shot);

    bool read = false;
    Bytes png = ReadFileBytes(path, &read);
    ASSERT_TRUE(read) << "cannot read back " << path;
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    ASSERT_GT(png.size(), signature.size());
    EXPECT_EQ(HexBytes(signature), HexBytes(Bytes(png.begin(), png.begin() + 8)))
        << "PNG signature of " << path;
    FreeLevel(&hall);
}

}  // namespace
