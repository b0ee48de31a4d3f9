// Runs a program to the end with its output caught, for end-to-end tests.
#ifndef QUILLMARCH_RUN_TOOL_H
#define QUILLMARCH_RUN_TOOL_H

#include <string>
#include <vector>

struct ToolRun {
    int exitCode;     // -1 when the program could not be started
    std::string out;  // standard output, byte for byte
    std::string err;  // standard error, likewise
};

struct ToolRunOptions {
    std::string workingFolder;   // the folder the program starts in; empty: the caller's
    bool outputRefused = false;  // standard output refuses every write, as a full disk does
    std::string inputPath;       // the file standard input reads; empty: none
    // Windows: standard output and error are a screen of a console, whose text
    // comes back as out; elsewhere they are caught as always.
    bool console = false;
};

// Runs program with args; its output goes through files in scratchFolder.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& scratchFolder,
                const ToolRunOptions& options = ToolRunOptions());

// The path a program built beside the tests has on this system: Wine sees
// the build folder's absolute POSIX paths under drive Z:.
std::string NativeProgramPath(const std::string& builtPath);

#endif
