// What the tool asks of the system beyond the level core's file layer:
// running another program (git), its own path, folders, and on Windows the
// command line in UTF-8. One implementation per system (_posix, _win32).
#ifndef QUILLMARCH_PLATFORM_H
#define QUILLMARCH_PLATFORM_H

#include <string>
#include <vector>

// Runs args[0], found on PATH, with the other arguments passed as they are
// (no shell), its standard output caught in output and its standard error
// left to the tool's. Returns its exit code, or -1 when it could not be
// started. Arguments and output are UTF-8.
int RunProgram(const std::vector<std::string>& args, std::string* output);

// The tool's own executable, whole path, UTF-8; empty when the system does
// not say.
std::string GetToolPath();

// Whether anything (a file, a folder...) has this name.
bool PathExists(const std::string& path);

// Makes a folder; true when it exists afterwards.
bool MakeFolder(const std::string& path);

// The names in a folder, without . and .., a subfolder's with a trailing
// slash. False when it cannot be read as a folder.
bool ListFolderNames(const std::string& folder, std::vector<std::string>* names);

// Removes a file (not a folder); true when it is gone.
bool RemoveFile(const std::string& path);

// Makes a file the tool wrote executable where the system has such a mode.
void MakeExecutable(const std::string& path);

#ifdef _WIN32
// Replaces argc and argv with the arguments read from the system's UTF-16
// command line, converted exactly, where the runtime would hand the tool
// its arguments in the ANSI code page. Returns false, having said why, when
// an argument cannot be converted without changing it.
bool UseUtf8Arguments(int* argc, char*** argv);

// Makes what the tool prints to a console go through the wide console call;
// standard output and error that are pipes or files are left as they are.
void UseConsoleOutput();

// Hands the console the last of the text before the tool ends.
void FinishConsoleOutput();
#endif

#endif
