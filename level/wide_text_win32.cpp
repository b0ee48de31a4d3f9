// UTF-8 and UTF-16 through the system's converter, told to refuse rather
// than replace what it cannot convert.
#include "wide_text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <limits.h>
#include <string.h>

bool WidenUtf8(const char* text, std::wstring* wide)
{
    wide->clear();
    size_t length = strlen(text);
    if (length == 0)
        return true;
    if (length > INT_MAX)
        return false;
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr, 0);
    if (units <= 0)
        return false;
    wide->resize(static_cast<size_t>(units));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), &(*wide)[0], units) ==
        units)
        return true;
    wide->clear();
    return false;
}

bool NarrowToUtf8(const wchar_t* text, size_t length, std::string* utf8)
{
    utf8->clear();
    if (length == 0)
        return true;
    if (length > INT_MAX)
        return false;
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr, 0,
                                    nullptr, nullptr);
    if (bytes <= 0)
        return false;
    utf8->resize(static_cast<size_t>(bytes));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(length), &(*utf8)[0], bytes,
                            nullptr, nullptr) == bytes)
        return true;
    utf8->clear();
    return false;
}
