// Starting, finding and ending the editor process.
#include "driver.h"

#include <string.h>

#include <vector>

std::string ToWindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windowsPath = "Z:" + path;
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    return windowsPath;
}

std::string GetEditorPath()
{
    return ToWindowsPath(QM_EDITOR_EXE);
}

bool LaunchEditor(EditorProcess* editor, const std::string& arguments, const char* folder)
{
    std::string commandLine = "\"" + GetEditorPath() + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    return LaunchProgram(editor, commandLine, folder);
}

bool LaunchProgram(EditorProcess* editor, const std::string& commandLine, const char* folder)
{
    *editor = EditorProcess{};
    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> text(commandLine.begin(), commandLine.end());
    text.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // The program starts on the caller's desktop, where the caller looks
    // for its windows and types into them.
    char desktop[256] = "";
    DWORD size = 0;
    GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop, sizeof desktop, &size);
    std::string desktopPath = std::string("WinSta0\\") + desktop;
    if (desktop[0] && strcmp(desktop, "Default") != 0)
        startup.lpDesktop = &desktopPath[0];
    PROCESS_INFORMATION info = {};
    // Wine now and then refuses a start with ERROR_INTERNAL_ERROR while its
    // server is busy with other processes; a few more tries get through.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; attempt++) {
        started = CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                                 &startup, &info);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR)
            return false;
    }
    if (!started)
        return false;
    CloseHandle(info.hThread);
    editor->process = info.hProcess;
    editor->processId = info.dwProcessId;
    // The editor's first window cannot appear before it is ready for input.
    WaitForInputIdle(info.hProcess, DRIVER_TIMEOUT_MS);
    return true;
}

HWND WaitForMainWindow(EditorProcess* editor, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        HWND window = FindProcessWindow(editor->processId, "QUILLMARCH", nullptr, nullptr);
        if (window) {
            editor->window = window;
            return window;
        }
        if (WaitForSingleObject(editor->process, 10) == WAIT_OBJECT_0)
            return nullptr;
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool StartEditor(EditorProcess* editor, const std::string& arguments, const char* folder)
{
    if (!LaunchEditor(editor, arguments, folder))
        return false;
    if (!WaitForMainWindow(editor)) {
        StopEditor(editor);
        return false;
    }
    return true;
}

bool WaitForExit(EditorProcess* editor, DWORD* exitCode, DWORD timeoutMs)
{
    if (!editor->process || WaitForSingleObject(editor->process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(editor->process, exitCode);
    return true;
}

void StopEditor(EditorProcess* editor)
{
    if (!editor->process)
        return;
    if (WaitForSingleObject(editor->process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(editor->process, 1);
        WaitForSingleObject(editor->process, DRIVER_TIMEOUT_MS);
    }
    CloseHandle(editor->process);
    *editor = EditorProcess{};
}
