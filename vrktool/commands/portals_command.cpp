// vrktool portals: a level's portals rebuilt, in place or into another file.
#include <stdio.h>

#include <string>
#include <vector>

#include "level.h"
#include "raw_level.h"
#include "portals.h"
#include "tool_commands.h"

namespace {

struct PortalsArgs {
    std::string path;
    std::string out;  // empty: in place
};
PortalsArgs g_args;  // this run's arguments

void DefinePortals(CLI::App* command)
{
    command->add_option("FILE", g_args.path, "the level file; - reads standard input (with -o)")->required();
    command->add_option("-o", g_args.out, "write the rebuilt level to OUT instead of FILE; - is standard output")
        ->type_name("OUT");
}

int RunPortals()
{
    const std::string& path = g_args.path;
    // Standard input has no file to rewrite: its level goes to standard
    // output. An OUT that is FILE under another name is a rewrite in place.
    bool inPlace = (g_args.out.empty() && path != STANDARD_STREAM) || IsOutputTheInput(path, g_args.out);
    const std::string& out = g_args.out.empty() ? path : g_args.out;

    LevelFileBytes file;
    if (!ReadLevelFile(path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", ShownName(path), file.info.reason.c_str());
        return TOOL_FAILED;
    }
    static Level level;  // the one level this run works on
    std::vector<LoadWarning> warnings;
    bool loaded = LoadLevelBytes(file.bytes, &level, &warnings);
    PrintLoadWarnings(path, warnings);
    if (!loaded) {
        fprintf(stderr, "%s: unable to read level from file\n", ShownName(path));
        return TOOL_FAILED;
    }
    // The reader takes only the header and the sectors, so almost any file
    // loads; only a file that is exactly the level its header describes is
    // rewritten in place, so nothing else can be lost.
    RawLevel raw;
    ReadRawLevel(file.bytes.data(), file.bytes.size(), file.info.size, &raw);
    if (inPlace && raw.size != raw.claimedSize) {
        fprintf(stderr, "%s: %llu bytes, but its header describes a level of %llu; left as it is (-o OUT writes "
                        "the rebuilt level to another file)\n",
                path.c_str(), static_cast<unsigned long long>(raw.size),
                static_cast<unsigned long long>(raw.claimedSize));
        return TOOL_FAILED;
    }
    int leftOut = BuildPortals(&level);
    return SaveBuiltLevel(level, path, leftOut, out) ? TOOL_DONE : TOOL_FAILED;
}

}  // namespace

const ToolCommand PORTALS_COMMAND = {"portals", "rebuild the portals and save in place or to OUT", DefinePortals,
                                     RunPortals};
