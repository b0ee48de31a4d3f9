// The commands of vrktool, one file each, and what they share. A command is
// one row of the table in main.cpp: its name, a line for `vrktool --help`,
// a function that gives its CLI11 subcommand the arguments it takes, and
// one that does its work once they are parsed.
#ifndef QUILLMARCH_TOOL_COMMANDS_H
#define QUILLMARCH_TOOL_COMMANDS_H

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "file_layer.h"
#include "level.h"
#include "level_file.h"
#include "level_load.h"

// The one rule of exit codes for every command. Only a command's Run
// function returns one; what it calls returns bool.
enum ToolExitCode {
    TOOL_DONE = 0,   // done, and nothing found
    TOOL_FOUND = 1,  // done, and something found: problems, a level render will not draw
    TOOL_FAILED = 2  // the job could not be done: usage, an input that is no level, an output not written
};

// How vrktool --help and the README state it.
extern const char EXIT_CODE_RULE[];

struct ToolCommand {
    const char* name;
    const char* summary;
    void (*define)(CLI::App* command);  // adds the options and files it takes, and may add to the footer
    int (*run)();                       // returns the exit code
};

extern const ToolCommand INFO_COMMAND;
extern const ToolCommand CHECK_COMMAND;
extern const ToolCommand PORTALS_COMMAND;
extern const ToolCommand RENDER_COMMAND;
extern const ToolCommand EXPORT_COMMAND;
extern const ToolCommand BUILD_COMMAND;
extern const ToolCommand DIFF_COMMAND;
extern const ToolCommand MERGE_COMMAND;
extern const ToolCommand GIT_SETUP_COMMAND;
extern const ToolCommand REVIEW_COMMAND;

// The name that stands for standard input as a file, and for standard
// output as -o's target.
extern const char STANDARD_STREAM[];

// How a command names standard input in its messages.
const char* ShownName(const std::string& path);

// A whole number written as plain digits: no sign, no base prefix, so
// "010" is ten, as a user means it. Leading zeros are dropped before the
// range check converts it.
extern const CLI::Validator WHOLE_NUMBER;

// A file as every command sees it: its first bytes and its whole size.
struct LevelFileBytes {
    std::vector<unsigned char> bytes;
    FileReadInfo info;
};

// Reads the first capacity bytes of a regular file, never waiting on a pipe
// or a device, or of standard input for "-", whose rest is only counted.
// file->info.size is the whole size. On failure returns false with the
// reason in file->info.
bool ReadInputFile(const std::string& path, size_t capacity, LevelFileBytes* file);

// Reads the start of a regular file, as much as any level can be and one
// byte more, never waiting on a pipe or a device; "-" reads standard input
// to its end. On failure returns false with the reason in file->info.
bool ReadLevelFile(const std::string& path, LevelFileBytes* file);

// Writes bytes to out through a new file moved over it when complete, or
// to standard output for "-". Says why on stderr, in the system's words,
// and returns false when it cannot.
bool WriteOutputFile(const std::string& out, const std::vector<unsigned char>& bytes, const char* what);

// Whether -o names the input file itself, however it is written; standard
// input and output never count.
bool IsOutputTheInput(const std::string& path, const std::string& out);

// Says on stderr that out is the input and will not be written over.
void SayOutputIsTheInput(const std::string& out);

// The warnings on stderr, each after the file's name.
void PrintLoadWarnings(const std::string& path, const std::vector<LoadWarning>& warnings);

// Saves a level whose portals were just built, saying first how many
// shared edges from source did not fit the table. False, having said why,
// when it was not written.
bool SaveBuiltLevel(const Level& level, const std::string& source, int leftOut, const std::string& out);

// Loads a level file as the editor opens it, with the portal records the
// file stores (as many as the table holds) in its portal table, for the
// commands that compare levels. When the file cannot be read or the reader
// refuses it, says so on stderr (naming the file, or shown when given) and
// returns false; an old version loads without a word, since the comparison
// names it.
bool LoadStoredLevel(const std::string& path, Level* level, const std::string& shown = std::string());

#endif
