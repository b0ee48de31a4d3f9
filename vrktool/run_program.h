// Running another program (git) from the tool, and the tool's own path.
#ifndef QUILLMARCH_RUN_PROGRAM_H
#define QUILLMARCH_RUN_PROGRAM_H

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

// Makes a file the tool wrote executable where the system has such a mode.
void MakeExecutable(const std::string& path);

#endif
