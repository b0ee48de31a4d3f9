// The C runtime reads a narrow path or environment name in the ANSI code
// page, where a name outside it means another file or nothing. The tool's
// texts are UTF-8, and what it links calls these functions with them too:
// libstdc++'s file streams open through fopen, CLI11's file checks stat a
// name and its environment options call getenv. The link hands every call
// of these three to the functions below (-Wl,--wrap), which read the text as
// UTF-8 and make the wide call, so no narrow one is left in the tool.
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "wide_text.h"

extern "C" {

FILE* __wrap_fopen(const char* path, const char* mode)
{
    std::wstring widePath, wideMode;
    if (!WidenUtf8(path, &widePath) || !WidenUtf8(mode, &wideMode)) {
        errno = EINVAL;
        return nullptr;
    }
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

int __wrap__stat64(const char* path, struct _stat64* info)
{
    std::wstring wide;
    if (!WidenUtf8(path, &wide)) {
        errno = ENOENT;
        return -1;
    }
    return _wstat64(wide.c_str(), info);
}

// Like getenv's, the text stays until the next call.
char* __wrap_getenv(const char* name)
{
    static std::string value;
    std::wstring wideName, wideValue;
    if (!WidenUtf8(name, &wideName))
        return nullptr;
    DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return nullptr;
    wideValue.resize(size);
    size = GetEnvironmentVariableW(wideName.c_str(), &wideValue[0], size);
    if (!NarrowToUtf8(wideValue.data(), size, &value))
        return nullptr;
    return &value[0];
}
}
