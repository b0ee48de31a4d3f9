// vrktool check: one line for each problem of each level file.
#include <stdio.h>

#include <string>
#include <vector>

#include "level_check.h"
#include "tool_commands.h"

namespace {

std::vector<std::string> g_paths;  // this run's files

void DefineCheck(CLI::App* command)
{
    command->add_option("FILE", g_paths, "the level files; - reads standard input")->required();
}

void PrintProblem(const char* problem, void* context)
{
    printf("%s: %s\n", static_cast<const char*>(context), problem);
}

// A note is no problem: it goes beside the lines a pipeline reads.
void PrintNote(const char* note, void* context)
{
    fprintf(stderr, "%s: %s\n", static_cast<const char*>(context), note);
}

int RunCheck()
{
    bool unreadable = false;
    bool problems = false;
    for (const std::string& path : g_paths) {
        LevelFileBytes file;
        // A folder or a device is there, but no level: a problem of the
        // files looked at. A file that cannot be opened stops the job.
        if (!ReadLevelFile(path, &file)) {
            printf("%s: cannot be read: %s\n", ShownName(path), file.info.reason.c_str());
            (file.info.notRegular ? problems : unreadable) = true;
            continue;
        }
        const char* name = ShownName(path);
        if (CheckLevelFile(file.bytes.data(), file.bytes.size(), file.info.size, PrintProblem,
                           const_cast<char*>(name), PrintNote) > 0)
            problems = true;
    }
    if (unreadable)
        return TOOL_FAILED;
    return problems ? TOOL_FOUND : TOOL_DONE;
}

}  // namespace

const ToolCommand CHECK_COMMAND = {"check", "report each problem of each file, one line each", DefineCheck,
                                   RunCheck};
