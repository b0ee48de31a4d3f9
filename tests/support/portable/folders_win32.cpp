// Temporary folders through the Win32 API, for the suites under Wine: the
// "\\?\" form reaches folders nested past the usual path length limit.
#include "files.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>

#include <algorithm>

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string CreateTempFolder()
{
    static unsigned counter;
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    for (;;) {
        char name[MAX_PATH + 64];
        snprintf(name, sizeof name, "%sqm-test-%lu-%lu-%u", base, GetCurrentProcessId(), GetTickCount(),
                 counter++);
        if (CreateDirectoryA(name, nullptr))
            return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}

void RemoveFolderTree(const std::string& path)
{
    if (path.empty())
        return;
    bool absolute = path.size() > 2 && path[1] == ':' && path[2] == '\\';
    std::string folder = absolute && path.compare(0, 4, "\\\\?\\") != 0 ? "\\\\?\\" + path : path;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string inner = folder + "\\" + name;
            // Read-only files left by a test must not keep the tree alive.
            SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(inner);
            else
                DeleteFileA(inner.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

std::vector<std::string> ListFolder(const std::string& folder, bool withFolders)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name != "." && name != ".." && (withFolders || !isFolder))
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder + "\\" + name;
}
