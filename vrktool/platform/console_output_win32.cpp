// A console shows the tool's UTF-8 text only through the wide console call:
// written as bytes, it is read in the console's code page and a name outside
// it comes out garbled. Standard output and error that are a console become
// one pipe, whose text a thread hands to WriteConsoleW as it comes; pipes
// and files keep the bytes as they are.
#include "platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>

namespace {

HANDLE g_console = nullptr;  // the console the text goes to
HANDLE g_readEnd = nullptr;  // the pipe's end the thread reads
HANDLE g_copier = nullptr;   // the thread
bool g_redirected[3] = {};   // which of fds 0, 1, 2 are the pipe

bool IsConsole(HANDLE handle)
{
    DWORD mode;
    return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void WriteWide(const char* text, size_t size)
{
    if (size == 0)
        return;
    int length = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), &wide[0], length);
    DWORD written;
    WriteConsoleW(g_console, wide.data(), static_cast<DWORD>(length), &written, nullptr);
}

// How much of text ends in whole UTF-8 characters; a character cut at the
// chunk's end waits for the rest.
size_t WholeCharacters(const char* text, size_t size)
{
    size_t back = 0;
    while (back < size && back < 3 && (static_cast<unsigned char>(text[size - 1 - back]) & 0xC0) == 0x80)
        back++;
    if (back == size)
        return size;
    unsigned char lead = static_cast<unsigned char>(text[size - 1 - back]);
    size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3
                                   : lead >= 0xC0   ? 2
                                                    : 1;
    return needed > back + 1 ? size - back - 1 : size;
}

DWORD WINAPI CopyToConsole(void*)
{
    char chunk[4096 + 4];
    size_t kept = 0;
    DWORD got;
    while (ReadFile(g_readEnd, chunk + kept, 4096, &got, nullptr) && got > 0) {
        size_t size = kept + got, whole = WholeCharacters(chunk, size);
        WriteWide(chunk, whole);
        kept = size - whole;
        memmove(chunk, chunk + whole, kept);
    }
    WriteWide(chunk, kept);
    return 0;
}

}  // namespace

void UseConsoleOutput()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
    g_redirected[1] = IsConsole(out);
    g_redirected[2] = IsConsole(err);
    // _dup2 closes the handle a descriptor held, which is the console's own:
    // the thread writes through a copy of it.
    HANDLE self = GetCurrentProcess(), writeEnd;
    if ((!g_redirected[1] && !g_redirected[2]) ||
        !DuplicateHandle(self, g_redirected[1] ? out : err, self, &g_console, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        g_redirected[1] = g_redirected[2] = false;
        return;
    }
    if (!CreatePipe(&g_readEnd, &writeEnd, nullptr, 0)) {
        CloseHandle(g_console);
        g_redirected[1] = g_redirected[2] = false;
        return;
    }
    int pipe = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_BINARY);
    for (int fd = 1; fd <= 2; fd++) {
        if (g_redirected[fd])
            _dup2(pipe, fd);
    }
    _close(pipe);
    // Unbuffered, so output and messages reach the console in the order written.
    setvbuf(stdout, nullptr, _IONBF, 0);
    g_copier = CreateThread(nullptr, 0, CopyToConsole, nullptr, 0, nullptr);
}

void FinishConsoleOutput()
{
    if (!g_copier)
        return;
    fflush(stdout);
    fflush(stderr);
    for (int fd = 1; fd <= 2; fd++) {
        if (g_redirected[fd])
            _close(fd);
    }
    WaitForSingleObject(g_copier, INFINITE);
}
