// Benchmark: PaintMap of 256 sectors into a 1920 x 1080 memory bitmap.
// Prints the median and spread of the time per paint; the target is 1 ms.
#include <algorithm>
#include <stdio.h>
#include <vector>

#include "editor_test_support.h"
#include "main_window.h"
#include "map_view.h"
#include "mouse_edit.h"

int main()
{
    const int width = 1920, height = 1080, runs = 300;
    ResetEditorState();
    // 16 x 16 sectors of 6 x 3 cells in a brick pattern that fills the view
    // and runs past it, with a selection and the start cell inside a sector.
    for (int i = 0; i < MAX_SECTORS; i++) {
        int row = i / 16, column = i % 16;
        int left = column * 8 + (row % 2) * 4, top = row * 4;
        Sector s = MakeSector(left, top, left + 6, top + 3);
        AddSector(&g_level, &s);
    }
    g_edit.selected = 100;
    g_level.startX = 1;
    g_level.startY = 1;

    CreateDrawingTools();
    Canvas canvas = {};
    if (!CreateCanvas(&canvas, width, height, RGB(0, 0, 0))) {
        fprintf(stderr, "cannot create a %d x %d bitmap\n", width, height);
        return 1;
    }
    RECT client = {0, 0, width, height};
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < 20; i++)
        PaintMap(canvas.dc, &client, &g_level);
    GdiFlush();

    std::vector<double> ms;
    for (int i = 0; i < runs; i++) {
        QueryPerformanceCounter(&t0);
        PaintMap(canvas.dc, &client, &g_level);
        GdiFlush();
        QueryPerformanceCounter(&t1);
        ms.push_back(1000.0 * (t1.QuadPart - t0.QuadPart) / frequency.QuadPart);
    }
    std::sort(ms.begin(), ms.end());
    double median = ms[ms.size() / 2];
    printf("PaintMap, %d sectors, %d x %d memory bitmap, %d paints:\n", MAX_SECTORS, width,
           height, runs);
    printf("  median %.3f ms   min %.3f ms   90th percentile %.3f ms   (target <= 1 ms: %s)\n",
           median, ms.front(), ms[ms.size() * 9 / 10], median <= 1.0 ? "met" : "NOT met");
    DestroyCanvas(&canvas);
    DeleteDrawingTools();
    return 0;
}
