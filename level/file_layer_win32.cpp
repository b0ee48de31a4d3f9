// Win32 file layer: CreateFileW/GetFileType/ReadFile/WriteFile/FlushFileBuffers/MoveFileExW,
// GetFinalPathNameByHandleW for the file a link names, and
// GetFileInformationByHandle for a file's identity. Paths arrive as UTF-8
// and reach the system as UTF-16, whatever the ANSI code page, so the file
// named is the file used.
#include "file_layer.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <wchar.h>

#include <string>

#include "wide_text.h"

namespace {

// The system's text for an error code, without its closing period and line end.
std::string DescribeSystemError(DWORD error)
{
    wchar_t text[256];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, sizeof text / sizeof text[0], nullptr);
    while (length > 0 && wcschr(L"\r\n. ", text[length - 1]))
        length--;
    std::string described;
    if (length > 0 && NarrowToUtf8(text, length, &described))
        return described;
    return "error " + std::to_string(error);
}

long RefuseRead(FileReadInfo* info, bool notRegular, DWORD error)
{
    if (info) {
        info->notRegular = notRegular;
        info->reason = notRegular ? "not a regular file" : DescribeSystemError(error);
    }
    return -1;
}

// A name beside the target that no file has yet, so the new file never
// replaces anything before it is complete.
HANDLE CreateTemporaryBeside(const std::wstring& path, std::wstring* tempPath)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        // MAX_PATH counts the terminator; one name has at most 255 characters.
        *tempPath = TemporaryNameBeside(path, attempt, MAX_PATH - 1, 255, L"\\/");
        HANDLE file = CreateFileW(tempPath->c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

long ReadFilePrefix(const char* path, unsigned char* buffer, size_t capacity, FileReadInfo* info)
{
    if (info)
        *info = FileReadInfo{0, false, ""};
    std::wstring widePath;
    if (!WidenUtf8(path, &widePath))
        return RefuseRead(info, false, ERROR_INVALID_NAME);
    HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        DWORD attributes = GetFileAttributesW(widePath.c_str());
        bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return RefuseRead(info, folder, error);
    }
    // A pipe or a device could keep the read waiting; only disk files are read.
    bool disk = GetFileType(file) == FILE_TYPE_DISK;
    LARGE_INTEGER size;
    if (!disk || !GetFileSizeEx(file, &size)) {
        DWORD error = GetLastError();
        CloseHandle(file);
        return RefuseRead(info, !disk, error);
    }
    // One read: a disk file gives everything asked for up to its end.
    DWORD got = 0;
    BOOL ok = capacity <= 0x7FFFFFFFu &&
              ReadFile(file, buffer, static_cast<DWORD>(capacity), &got, nullptr);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok)
        return RefuseRead(info, false, error);
    if (info) {
        // A read that stopped short reached the end, whatever the size said.
        uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
        info->size = got < capacity || fileSize < got ? got : fileSize;
    }
    return static_cast<long>(got);
}

namespace {

int RefuseWrite(std::string* reason, DWORD error)
{
    if (reason)
        *reason = DescribeSystemError(error);
    return -1;
}

// The volume and file index of an existing file or folder, through a handle
// that asks for no access, so a file held open by another program counts.
bool GetFileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity)
{
    std::wstring wide;
    if (!WidenUtf8(path, &wide))
        return false;
    HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL ok = GetFileInformationByHandle(file, identity);
    CloseHandle(file);
    return ok != FALSE;
}

// The file a save replaces: path itself, or, where path is a symbolic link
// (through any number of links), the file at their end, so the link stays
// and the level it names gets the new contents. Moving the new file over
// the link would put a plain file in its place. Returns 0, or the error of
// a link that names no file: saved through, it would lose its link too.
DWORD ResolveSaveTarget(const std::wstring& path, std::wstring* target)
{
    *target = path;
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        DWORD attributes = GetFileAttributesW(path.c_str());
        bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        return link ? error : 0;
    }
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, flags);
    std::wstring final(size, L'\0');
    DWORD length = size ? GetFinalPathNameByHandleW(file, &final[0], size, flags) : 0;
    CloseHandle(file);
    if (length == 0 || length >= size)
        return 0;
    final.resize(length);
    // The system gives the "\\?\" form; a path that fits the usual limit is
    // kept in the ordinary form, as the caller's was.
    if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0 && length - 6 < MAX_PATH)
        final = L"\\" + final.substr(7);
    else if (final.compare(0, 4, L"\\\\?\\") == 0 && length - 4 < MAX_PATH)
        final = final.substr(4);
    *target = final;
    return 0;
}

}  // namespace

int ReplaceFileContents(const char* path, const unsigned char* data, size_t size, std::string* reason)
{
    std::wstring givenPath, widePath;
    if (!WidenUtf8(path, &givenPath))
        return RefuseWrite(reason, ERROR_INVALID_NAME);
    if (DWORD error = ResolveSaveTarget(givenPath, &widePath))
        return RefuseWrite(reason, error);
    // A read-only file or a folder is never replaced. Asked before the new
    // file exists, so a refusal leaves nothing behind; not every system's
    // rename asks.
    DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return RefuseWrite(reason, ERROR_ACCESS_DENIED);

    // A step the tests make fail fails as a disk that stopped answering.
    FileStep fault = GetFileFault();
    std::wstring tempPath;
    HANDLE file = fault == FILE_STEP_CREATE ? INVALID_HANDLE_VALUE : CreateTemporaryBeside(widePath, &tempPath);
    if (file == INVALID_HANDLE_VALUE)
        return RefuseWrite(reason, fault == FILE_STEP_CREATE ? ERROR_WRITE_FAULT : GetLastError());

    // The first step that fails gives the reason; the file is closed either way.
    DWORD error = 0;
    DWORD written = 0;
    if (fault == FILE_STEP_WRITE || size > 0xFFFFFFFFu ||
        !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        error = fault == FILE_STEP_WRITE || GetLastError() == 0 ? ERROR_WRITE_FAULT : GetLastError();
    else if (fault == FILE_STEP_FLUSH || !FlushFileBuffers(file))
        error = fault == FILE_STEP_FLUSH ? ERROR_WRITE_FAULT : GetLastError();
    if ((!CloseHandle(file) || fault == FILE_STEP_CLOSE) && !error)
        error = fault == FILE_STEP_CLOSE ? ERROR_WRITE_FAULT : GetLastError();
    if (!error && (fault == FILE_STEP_REPLACE ||
                   !MoveFileExW(tempPath.c_str(), widePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        error = fault == FILE_STEP_REPLACE ? ERROR_WRITE_FAULT : GetLastError();
    if (error) {
        DeleteFileW(tempPath.c_str());
        return RefuseWrite(reason, error);
    }
    return 0;
}

bool IsSameFile(const char* a, const char* b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    return GetFileIdentity(a, &first) && GetFileIdentity(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}
