#include "run_tool.h"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <stdio.h>
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

}  // namespace

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& scratchFolder,
                const ToolRunOptions& options)
{
    std::string outPath = scratchFolder + "\\tool-out.txt", errPath = scratchFolder + "\\tool-err.txt";
    std::string line = "\"" + program + "\"";
    for (const std::string& arg : args)
        line += " \"" + arg + "\"";
    HANDLE out = OpenForChild(outPath, options.outputRefused ? GENERIC_READ : GENERIC_WRITE);
    HANDLE err = OpenForChild(errPath, GENERIC_WRITE);
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
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // A program that never started says why, instead of an empty output.
    DWORD startError = run.exitCode == -1 ? GetLastError() : 0;
    CloseHandle(out);
    CloseHandle(err);
    if (in != INVALID_HANDLE_VALUE)
        CloseHandle(in);
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    if (startError)
        run.err += "(the program did not start or ended with -1: error " + std::to_string(startError) + ")";
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
