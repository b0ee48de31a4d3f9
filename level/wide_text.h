// UTF-8, the text the program keeps, and UTF-16, the text of the Win32 wide
// calls. Both conversions are exact or refused: text that is not valid UTF-8,
// or UTF-16 with an unpaired surrogate, gives false and an empty result,
// never a substitute character, so that no name can come to mean another
// file. Windows only.
#ifndef QUILLMARCH_WIDE_TEXT_H
#define QUILLMARCH_WIDE_TEXT_H

#include <stddef.h>

#include <string>

bool WidenUtf8(const char* text, std::wstring* wide);
bool NarrowToUtf8(const wchar_t* text, size_t length, std::string* utf8);

#endif
