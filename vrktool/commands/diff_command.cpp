// vrktool diff: what changed between two versions of a level, for a
// reviewer or as git's external diff.
#include <stdio.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_diff.h"
#include "tool_commands.h"

namespace {

struct DiffArgs {
    std::vector<std::string> files;
    bool json = false;
};
DiffArgs g_args;  // this run's arguments

const size_t GIT_ARGUMENTS = 7;         // PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE
const size_t GIT_RENAME_ARGUMENTS = 9;  // the same, then NEW-PATH and git's lines about the rename

void DefineDiff(CLI::App* command)
{
    command
        ->add_option("FILE", g_args.files,
                     "OLD NEW, the two levels; - reads standard input. Or the seven arguments git gives an "
                     "external diff, or the nine it gives for a rename")
        ->type_name("OLD NEW")
        ->expected(2, static_cast<int>(GIT_RENAME_ARGUMENTS))
        ->required();
    command->add_flag("--json", g_args.json, "print one JSON document instead of lines")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    command->callback([] {
        size_t count = g_args.files.size();
        if (count != 2 && count != GIT_ARGUMENTS && count != GIT_RENAME_ARGUMENTS)
            throw CLI::ValidationError("FILE", "requires 2 (OLD NEW) or git's 7 or 9");
    });
    command->footer("Exit code 0 when the levels are the same, 1 when they differ, 2 when one cannot be loaded; "
                    "with git's seven or nine arguments 0 for either, as git expects.\n\n" +
                    command->get_footer());
}

// git names a side that does not exist so; it counts as a level without
// sectors.
bool LoadSide(const std::string& path, bool fromGit, Level* level)
{
    if (fromGit && (path == "/dev/null" || path == "nul" || path == "NUL")) {
        *level = NewLevel();
        return true;
    }
    return LoadStoredLevel(path, level);
}

int RunDiff()
{
    const std::vector<std::string>& files = g_args.files;
    bool fromGit = files.size() >= GIT_ARGUMENTS;
    static Level before, after;  // the two versions this run compares
    if (!LoadSide(fromGit ? files[1] : files[0], fromGit, &before) ||
        !LoadSide(fromGit ? files[4] : files[1], fromGit, &after))
        return TOOL_FAILED;
    LevelDiff diff = DiffLevels(before, after);
    if (fromGit)
        printf("diff --vrk a/%s b/%s\n", files[0].c_str(), files[files.size() == GIT_RENAME_ARGUMENTS ? 7 : 0].c_str());
    if (g_args.json)
        fputs(FormatLevelDiffJson(before, after, diff).c_str(), stdout);
    else
        fputs(FormatLevelDiff(before, after, diff).c_str(), stdout);
    // git stops at an external diff that does not exit 0.
    if (fromGit)
        return TOOL_DONE;
    return LevelsDiffer(diff) ? TOOL_FOUND : TOOL_DONE;
}

}  // namespace

const ToolCommand DIFF_COMMAND = {"diff", "what changed between two versions of a level", DefineDiff, RunDiff};
