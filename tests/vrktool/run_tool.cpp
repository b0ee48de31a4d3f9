#include "run_tool.h"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <stdlib.h>
#include <sys/wait.h>
#endif

static std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string plain;
    for (char c : text) {
        if (c != '\r')
            plain += c;
    }
    return plain;
}

#ifdef _WIN32

static HANDLE OpenForChild(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& scratchFolder)
{
    std::string outPath = scratchFolder + "\\tool-out.txt", errPath = scratchFolder + "\\tool-err.txt";
    std::string line = "\"" + program + "\"";
    for (const std::string& arg : args)
        line += " \"" + arg + "\"";
    HANDLE out = OpenForChild(outPath), err = OpenForChild(errPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    ToolRun run = {-1, "", ""};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
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

static std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& scratchFolder)
{
    std::string outPath = scratchFolder + "/tool-out.txt", errPath = scratchFolder + "/tool-err.txt";
    std::string line = Quote(program);
    for (const std::string& arg : args)
        line += " " + Quote(arg);
    line += " >" + Quote(outPath) + " 2>" + Quote(errPath) + " </dev/null";
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
