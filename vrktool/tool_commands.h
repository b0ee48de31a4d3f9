// The commands of vrktool that live in files of their own, and what they
// share with the command line in main.cpp.
#ifndef QUILLMARCH_TOOL_COMMANDS_H
#define QUILLMARCH_TOOL_COMMANDS_H

#include <vector>

#include "file_layer.h"
#include "level.h"

// vrktool render FILE -o OUT.png [--size W H] [--scale N] [--portals] [--shade floor|ceiling]
int RenderCommand(int argc, char** argv);

// vrktool build FILE.json -o OUT.vrk (FILE "-" is standard input)
int BuildCommand(int argc, char** argv);

// Prints the usage to stderr; returns the exit code for bad arguments.
int ShowUsage();

// Saves a level whose portals were just built, saying first how many
// shared edges from source did not fit the table. Returns the exit code.
int SaveBuiltLevel(Level* level, const char* source, int leftOut, const char* out);

// A file as every command sees it: its first bytes and its whole size.
struct LevelFileBytes {
    std::vector<unsigned char> bytes;
    FileReadInfo info;
};

// Reads the start of a regular file, as much as any level can be and one
// byte more, never waiting on a pipe or a device. On failure returns false
// with the reason in file->info.
bool ReadLevelFile(const char* path, LevelFileBytes* file);

#endif
