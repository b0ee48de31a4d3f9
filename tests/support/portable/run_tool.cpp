#include "run_tool.h"

#include <stdio.h>

#include <fstream>
#include <iterator>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <stdlib.h>
#include <sys/wait.h>
#endif

namespace {

// The bytes as written: a Windows build must end its lines as the native one does.
std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

#ifdef _WIN32

namespace {

// access GENERIC_READ gives a handle every write to which fails.
HANDLE OpenForChild(const std::string& path, DWORD access)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

const SHORT SCREEN_WIDTH = 512, SCREEN_ROWS = 64;  // wide enough that no line wraps

// A new screen of this process's console; a child started with it writes
// to a console it shares. Wine starts a program without a terminal with a
// console that has no screens: that one is left for one made here, kept for
// the process's life (freeing it under Wine loses the test's own output).
HANDLE MakeConsoleScreen()
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const DWORD access = GENERIC_READ | GENERIC_WRITE, sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE screen = CreateConsoleScreenBuffer(access, sharing, &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (screen == INVALID_HANDLE_VALUE) {
        const DWORD streams[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
        HANDLE kept[3];
        for (int i = 0; i < 3; i++)
            kept[i] = GetStdHandle(streams[i]);
        FreeConsole();
        AllocConsole();
        // AllocConsole points the standard handles at it; the test's own stay where they were.
        for (int i = 0; i < 3; i++)
            SetStdHandle(streams[i], kept[i]);
        screen = CreateConsoleScreenBuffer(access, sharing, &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr);
    }
    SetConsoleScreenBufferSize(screen, COORD{SCREEN_WIDTH, SCREEN_ROWS});
    return screen;
}

// The screen's text in UTF-8, a line per row without the blanks after it,
// the blank rows at the end left out.
std::string ReadConsoleScreen(HANDLE screen)
{
    std::string text, blankRows;
    std::wstring row(SCREEN_WIDTH, L' ');
    for (SHORT y = 0; y < SCREEN_ROWS; y++) {
        DWORD got = 0;
        ReadConsoleOutputCharacterW(screen, &row[0], SCREEN_WIDTH, COORD{0, y}, &got);
        std::wstring line = row.substr(0, got);
        line.erase(line.find_last_not_of(L' ') + 1);
        if (line.empty()) {
            blankRows += "\n";
            continue;
        }
        std::string utf8(line.size() * 3, '\0');
        utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                                            &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr)));
        text += blankRows + utf8 + "\n";
        blankRows.clear();
    }
    return text;
}

}  // namespace

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& scratchFolder,
                const ToolRunOptions& options)
{
    std::string outPath = scratchFolder + "\\tool-out.txt", errPath = scratchFolder + "\\tool-err.txt";
    std::string line = "\"" + program + "\"";
    for (const std::string& arg : args)
        line += " \"" + arg + "\"";
    HANDLE screen = options.console ? MakeConsoleScreen() : INVALID_HANDLE_VALUE;
    HANDLE out = options.console ? screen : OpenForChild(outPath, options.outputRefused ? GENERIC_READ : GENERIC_WRITE);
    HANDLE err = options.console ? screen : OpenForChild(errPath, GENERIC_WRITE);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE in = options.inputPath.empty()
                    ? INVALID_HANDLE_VALUE
                    : CreateFileA(options.inputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in != INVALID_HANDLE_VALUE ? in : GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    ToolRun run = {-1, "", ""};
    const char* folder = options.workingFolder.empty() ? nullptr : options.workingFolder.c_str();
    // Wine now and then refuses a start with ERROR_INTERNAL_ERROR while its
    // server is busy with other processes (the program never ran); a few more
    // tries get through, as for the editor's test starts.
    DWORD startError = 0;
    for (int attempt = 1; attempt <= 5; attempt++) {
        if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder, &startup,
                           &process)) {
            startError = 0;
            break;
        }
        startError = GetLastError();
        if (startError != ERROR_INTERNAL_ERROR)
            break;
        fprintf(stderr, "RunTool: start %d of %s refused with ERROR_INTERNAL_ERROR\n", attempt, program.c_str());
    }
    if (startError == 0) {
        WaitForSingleObject(process.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (in != INVALID_HANDLE_VALUE)
        CloseHandle(in);
    if (options.console) {
        run.out = ReadConsoleScreen(screen);
        run.err = "";
        CloseHandle(screen);
    } else {
        CloseHandle(out);
        CloseHandle(err);
        run.out = ReadText(outPath);
        run.err = ReadText(errPath);
    }
    // A program that never started says why, instead of an empty output.
    if (startError)
        run.err += "(the program did not start: error " + std::to_string(startError) + ")";
    return run;
}

std::string NativeProgramPath(const std::string& builtPath)
{
    if (builtPath.empty() || builtPath[0] != '/')
        return builtPath;
    std::string path = "Z:" + builtPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

#else

namespace {

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& scratchFolder,
                const ToolRunOptions& options)
{
    std::string outPath = scratchFolder + "/tool-out.txt", errPath = scratchFolder + "/tool-err.txt";
    std::string line = options.workingFolder.empty() ? "" : "cd " + Quote(options.workingFolder) + " && ";
    line += Quote(program);
    for (const std::string& arg : args)
        line += " " + Quote(arg);
    line += " >" + (options.outputRefused ? std::string("/dev/full") : Quote(outPath)) + " 2>" + Quote(errPath) +
            " <" + Quote(options.inputPath.empty() ? "/dev/null" : options.inputPath);
    remove(outPath.c_str());  // so a refused output reads back empty
    int status = system(line.c_str());
    ToolRun run = {-1, "", ""};
    if (status != -1 && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    else if (status != -1 && WIFSIGNALED(status))
        run.exitCode = 128 + WTERMSIG(status);
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    return run;
}

std::string NativeProgramPath(const std::string& builtPath)
{
    return builtPath;
}

#endif
