// vrktool merge: two designers' changes to one level taken together, by
// hand or as git's merge driver.
#include <stdio.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_file.h"
#include "level_merge.h"
#include "portals.h"
#include "tool_commands.h"

namespace {

struct MergeArgs {
    std::vector<std::string> files;
    std::string out;
    std::string name;
};
MergeArgs g_args;  // this run's arguments

void DefineMerge(CLI::App* command)
{
    command->add_option("BASE OURS THEIRS", g_args.files, "the common ancestor and the two changed levels")
        ->expected(3)
        ->required();
    command->add_option("-o", g_args.out, "the merged level to write; - is standard output")
        ->type_name("OUT")
        ->required();
    command->add_option("--name", g_args.name, "the level's name in the messages (git's %P); OUT when not given")
        ->type_name("PATH");
    command->footer("As git's merge driver: vrktool merge %O %A %B -o %A --name %P. Exit code 0 when merged "
                    "cleanly; 1 when some changes conflict, each named on stderr with both sides' values, and "
                    "OUT holds ours' side of each; 2 when an input cannot be loaded, and OUT is not touched.\n\n" +
                    command->get_footer());
}

// The inputs git hands the driver are temporary files: with --name, a
// message names the level and the side instead. When both branches add the
// level, git's BASE is an empty file, a level with no sectors.
bool LoadSide(int side, Level* level)
{
    static const char* const SIDES[] = {" (base)", " (ours)", " (theirs)"};
    const std::string& path = g_args.files[side];
    LevelFileBytes file;
    if (side == 0 && path != STANDARD_STREAM && ReadInputFile(path, 1, &file) && file.info.size == 0) {
        *level = NewLevel();
        return true;
    }
    return LoadStoredLevel(path, level, g_args.name.empty() ? "" : g_args.name + SIDES[side]);
}

int RunMerge()
{
    const std::string& name = g_args.name.empty() ? g_args.out : g_args.name;
    // Large tables, one of each for the run.
    static Level base, ours, theirs, merged;
    if (!LoadSide(0, &base) || !LoadSide(1, &ours) || !LoadSide(2, &theirs))
        return TOOL_FAILED;
    merged = NewLevel();
    std::vector<std::string> conflicts;
    int leftOut = MergeLevels(base, ours, theirs, &merged, &conflicts);
    for (const std::string& conflict : conflicts)
        fprintf(stderr, "%s: conflict: %s\n", name.c_str(), conflict.c_str());
    // A level that could not be written is no merge: 2, not a conflict.
    if (!SaveBuiltLevel(merged, name, leftOut, g_args.out))
        return TOOL_FAILED;
    if (conflicts.empty())
        return TOOL_DONE;
    fprintf(stderr, "%s: %lu conflict%s: the merged level keeps ours' side of each; redo theirs' by hand\n",
            name.c_str(), static_cast<unsigned long>(conflicts.size()), conflicts.size() == 1 ? "" : "s");
    return TOOL_FOUND;
}

}  // namespace

const ToolCommand MERGE_COMMAND = {"merge", "three-way merge of a level, as git's merge driver", DefineMerge,
                                   RunMerge};
