// Win32 file layer: CreateFileA/ReadFile/WriteFile/FlushFileBuffers/MoveFileExA.
#include "file_layer.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>
#include <string>

long ReadFilePrefix(const char* path, unsigned char* buffer, size_t capacity)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    // One read: a disk file gives everything asked for up to its end.
    DWORD got = 0;
    BOOL ok = capacity <= 0x7FFFFFFFu &&
              ReadFile(file, buffer, static_cast<DWORD>(capacity), &got, nullptr);
    CloseHandle(file);
    return ok ? static_cast<long>(got) : -1;
}

// A name beside the target that no file has yet, so the new file never
// replaces anything before it is complete.
static HANDLE CreateTemporaryBeside(const char* path, std::string* tempPath)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        // MAX_PATH counts the terminator; one name has at most 255 characters.
        *tempPath = TemporaryNameBeside(path, attempt, MAX_PATH - 1, 255, "\\/");
        HANDLE file = CreateFileA(tempPath->c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

int ReplaceFileContents(const char* path, const unsigned char* data, size_t size)
{
    // A read-only file is never replaced. Asked before the new file exists,
    // so a refusal leaves nothing behind; not every system's rename asks.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return -1;

    FileStep fault = GetFileFault();
    std::string tempPath;
    HANDLE file = fault == FILE_STEP_CREATE ? INVALID_HANDLE_VALUE : CreateTemporaryBeside(path, &tempPath);
    if (file == INVALID_HANDLE_VALUE)
        return -1;

    DWORD written = 0;
    bool ok = fault != FILE_STEP_WRITE && size <= 0xFFFFFFFFu &&
              WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    ok = ok && fault != FILE_STEP_FLUSH && FlushFileBuffers(file);
    bool closed = CloseHandle(file) && fault != FILE_STEP_CLOSE;
    ok = ok && closed;
    ok = ok && fault != FILE_STEP_REPLACE &&
         MoveFileExA(tempPath.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileA(tempPath.c_str());
        return -1;
    }
    return 0;
}
