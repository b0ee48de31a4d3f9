// The runtime converts the command line to the ANSI code page, which turns a
// name it cannot express into a look-alike ("Nivā.vrk" into "Niva.vrk") that
// may name another file. The tool takes the UTF-16 command line instead and
// converts it to UTF-8, the form every path has inside the program and the
// file layer turns back into UTF-16.
#include "platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "wide_text.h"

bool UseUtf8Arguments(int* argc, char*** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        fputs("vrktool: the command line cannot be read\n", stderr);
        return false;
    }
    // Kept for the whole run, as the runtime keeps its own argv.
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    texts.assign(static_cast<size_t>(count), std::string());
    bool converted = true;
    for (int i = 0; i < count && converted; i++) {
        converted = NarrowToUtf8(wide[i], wcslen(wide[i]), &texts[i]);
        if (!converted)
            fprintf(stderr, "vrktool: argument %d is not valid Unicode\n", i);
    }
    LocalFree(wide);
    if (!converted)
        return false;
    pointers.clear();
    for (std::string& text : texts)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    *argc = count;
    *argv = pointers.data();
    return true;
}
