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

// vrktool diff OLD NEW [--json], or git's seven arguments of an external diff
int DiffCommand(int argc, char** argv);

// vrktool merge BASE OURS THEIRS -o OUT [--name PATH]
int MergeCommand(int argc, char** argv);

// vrktool git-setup
int GitSetupCommand(int argc, char** argv);

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

// Loads a level file as the editor opens it, with the portal records the
// file stores (as many as the table holds) in its portal table. When the
// file cannot be read or the reader refuses it, says so on stderr and
// returns false; an old version loads without a word.
bool LoadStoredLevel(const char* path, Level* level);

#endif
