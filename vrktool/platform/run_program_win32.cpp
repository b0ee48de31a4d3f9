#include "platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <wchar.h>

#include "wide_text.h"

namespace {

// One argument as the C runtime splits a command line: in quotes, with
// backslashes doubled only where a quote follows them.
void AppendArgument(const std::wstring& arg, std::wstring* line)
{
    if (!line->empty())
        *line += L' ';
    *line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            backslashes++;
            continue;
        }
        if (c == L'"')
            line->append(backslashes * 2 + 1, L'\\');
        else
            line->append(backslashes, L'\\');
        backslashes = 0;
        *line += c;
    }
    line->append(backslashes * 2, L'\\');
    *line += L'"';
}

// The program's whole name from PATH's absolute entries only. Started
// without an application name, CreateProcessW would look in the tool's and
// the current folder first, where a clone's work tree may hold a git.exe.
std::wstring FindOnPath(const std::wstring& name)
{
    DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring entries(size, L'\0');
    entries.resize(size ? GetEnvironmentVariableW(L"PATH", &entries[0], size) : 0);
    std::wstring file = name.find(L'.') == std::wstring::npos ? name + L".exe" : name;
    size_t start = 0;
    for (;;) {
        size_t end = entries.find(L';', start);
        std::wstring entry = entries.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (entry.size() > 1 && entry.front() == L'"' && entry.back() == L'"')
            entry = entry.substr(1, entry.size() - 2);
        bool absolute = (entry.size() > 2 && entry[1] == L':' && (entry[2] == L'\\' || entry[2] == L'/')) ||
                        (entry.size() > 1 && (entry[0] == L'\\' || entry[0] == L'/') && entry[1] == entry[0]);
        std::wstring candidate = entry + L"\\" + file;
        DWORD attributes = absolute ? GetFileAttributesW(candidate.c_str()) : INVALID_FILE_ATTRIBUTES;
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return candidate;
        if (end == std::wstring::npos)
            return L"";
        start = end + 1;
    }
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, std::string* output)
{
    output->clear();
    std::wstring line, program;
    if (args.empty() || !WidenUtf8(args[0].c_str(), &program) || (program = FindOnPath(program)).empty())
        return -1;
    for (const std::string& arg : args) {
        std::wstring wide;
        if (!WidenUtf8(arg.c_str(), &wide))
            return -1;
        AppendArgument(wide, &line);
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    char chunk[4096];
    DWORD got;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
        output->append(chunk, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::string GetToolPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return "";
        std::string text;
        if (length < path.size())
            return NarrowToUtf8(path.data(), length, &text) ? text : "";
        path.resize(path.size() * 2);
    }
}

bool PathExists(const std::string& path)
{
    std::wstring wide;
    return WidenUtf8(path.c_str(), &wide) && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolder(const std::string& path)
{
    std::wstring wide;
    if (!WidenUtf8(path.c_str(), &wide))
        return false;
    if (CreateDirectoryW(wide.c_str(), nullptr))
        return true;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ListFolderNames(const std::string& folder, std::vector<std::string>* names)
{
    names->clear();
    std::wstring wide;
    if (!WidenUtf8((folder + "\\*").c_str(), &wide))
        return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        std::string name;  // empty when the name is not valid UTF-16
        NarrowToUtf8(found.cFileName, wcslen(found.cFileName), &name);
        if (name == "." || name == "..")
            continue;
        names->push_back((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? name + "/" : name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

bool RemoveFile(const std::string& path)
{
    std::wstring wide;
    return WidenUtf8(path.c_str(), &wide) && (DeleteFileW(wide.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
}

void MakeExecutable(const std::string&)
{
    // Windows has no such mode; git's shell runs a hook by its first line.
}
