// Benchmark: start-up to first paint of Quillmarch.exe against a minimal
// Win32 window program, alternated in the same run. The time runs from
// CreateProcess to the moment the program first waits for input
// (WaitForInputIdle): both programs show and paint their window with
// UpdateWindow before their message loop, so that moment follows the first
// paint. Prints medians and their ratio; the target is 1.10 or less.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<Found*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == found->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the first idle wait, or -1 on failure.
double TimeStartup(const std::string& exe, const std::string& arguments)
{
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> text(commandLine.begin(), commandLine.end());
    text.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t0);
    // Wine now and then refuses a start with ERROR_INTERNAL_ERROR while its
    // server is busy; a second try gets through.
    BOOL started = CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info);
    if (!started && GetLastError() == ERROR_INTERNAL_ERROR) {
        QueryPerformanceCounter(&t0);
        started = CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info);
    }
    if (!started) {
        fprintf(stderr, "cannot start %s: error %lu\n", commandLine.c_str(), GetLastError());
        return -1;
    }
    DWORD idle = WaitForInputIdle(info.hProcess, 10000);
    QueryPerformanceCounter(&t1);

    Found found = {info.dwProcessId, nullptr};
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
    double ms = 1000.0 * (t1.QuadPart - t0.QuadPart) / frequency.QuadPart;
    if (idle != 0 || !found.window) {
        fprintf(stderr, "%s: idle wait %lu, window %p\n", commandLine.c_str(), idle,
                static_cast<void*>(found.window));
        ms = -1;
    }
    if (found.window)
        PostMessageA(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ms;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? atoi(argv[1]) : 15;
    const std::string editor = WindowsPath(QM_EDITOR_EXE);
    const std::string minimal = WindowsPath(QM_MINIMAL_EXE);
    const std::string minimalWithDlls = WindowsPath(QM_MINIMAL_DLLS_EXE);
    const std::string level = WindowsPath(QM_SOURCE_DIR "/examples/hall.vrk");

    struct Subject {
        const char* name;
        std::string exe, arguments;
        std::vector<double> ms;
    };
    Subject subjects[] = {
        {"minimal Win32 window", minimal, "", {}},
        {"minimal + comctl32, comdlg32, shell32", minimalWithDlls, "", {}},
        {"Quillmarch.exe, no level", editor, "", {}},
        {"Quillmarch.exe, examples/hall.vrk", editor, "\"" + level + "\"", {}},
    };
    for (Subject& s : subjects)
        TimeStartup(s.exe, s.arguments);  // warm the file cache once
    for (int i = 0; i < runs; i++) {
        for (Subject& s : subjects) {
            double ms = TimeStartup(s.exe, s.arguments);
            if (ms < 0) {
                fprintf(stderr, "%s did not start and paint\n", s.name);
                return 1;
            }
            s.ms.push_back(ms);
        }
    }
    printf("Start-up to first paint under Wine, %d runs each, alternated:\n", runs);
    double base = Median(subjects[0].ms);
    for (Subject& s : subjects) {
        double median = Median(s.ms);
        std::sort(s.ms.begin(), s.ms.end());
        printf("  %-38s median %7.2f ms   min %7.2f ms   ratio %.2f\n", s.name, median,
               s.ms.front(), median / base);
    }
    double ratio = Median(subjects[2].ms) / base;
    printf("  Quillmarch.exe / minimal: %.2fx (target <= 1.10x: %s)\n", ratio,
           ratio <= 1.10 ? "met" : "NOT met");
    printf("  Quillmarch.exe / minimal with the same libraries: %.2fx\n",
           Median(subjects[2].ms) / Median(subjects[1].ms));
    return 0;
}
