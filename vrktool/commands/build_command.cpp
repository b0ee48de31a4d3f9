// vrktool build: a level file from its JSON document.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_json.h"
#include "portals.h"
#include "tool_commands.h"

namespace {

// The document of the largest level is about 150 kilobytes; spaces aside,
// nothing bigger can be one.
const size_t LARGEST_DOCUMENT = 16u << 20;

struct BuildArgs {
    std::string path;
    std::string out;
};
BuildArgs g_args;  // this run's arguments

void DefineBuild(CLI::App* command)
{
    command->add_option("FILE", g_args.path, "the JSON document, as info --json prints it; - reads standard input")
        ->type_name("FILE.json")
        ->required();
    command->add_option("-o", g_args.out, "the level file to write; - is standard output")
        ->type_name("OUT.vrk")
        ->required();
}

// The document, read as every file is: a regular file only, never waited
// on, or standard input.
bool ReadDocument(const std::string& path, std::vector<unsigned char>* bytes, std::string* error)
{
    LevelFileBytes file;
    if (!ReadInputFile(path, LARGEST_DOCUMENT + 1, &file)) {
        *error = file.info.reason;
        return false;
    }
    if (file.info.size > LARGEST_DOCUMENT) {
        *error = "larger than any level document";
        return false;
    }
    *bytes = std::move(file.bytes);
    return true;
}

// Portals given in the document are written as given; when the sectors
// give others (an edited `info --json` keeps the old ones), that is said.
void WarnOfStalePortals(const Level& level, const char* name)
{
    static Level derived;  // the level with the portals its sectors give
    derived = level;
    BuildPortals(&derived);
    bool same = derived.portalCount == level.portalCount;
    for (int i = 0; same && i < level.portalCount; i++)
        same = memcmp(&derived.portals[i], &level.portals[i], sizeof(Portal)) == 0;
    if (!same)
        fprintf(stderr, "%s: the portals given are not those the sectors give (%d given, %d derived); written as "
                        "given (vrktool portals rebuilds them)\n",
                name, level.portalCount, derived.portalCount);
}

int RunBuild()
{
    const char* name = ShownName(g_args.path);
    if (IsOutputTheInput(g_args.path, g_args.out)) {
        SayOutputIsTheInput(g_args.out);
        return TOOL_FAILED;
    }
    std::vector<unsigned char> text;
    std::string error;
    if (!ReadDocument(g_args.path, &text, &error)) {
        fprintf(stderr, "%s: cannot be read: %s\n", name, error.c_str());
        return TOOL_FAILED;
    }

    static Level level;  // the one level this run builds
    level = NewLevel();
    JsonBuild build;
    std::vector<std::string> problems;
    if (!BuildLevelFromJson(reinterpret_cast<const char*>(text.data()), text.size(), &level, &build, &problems)) {
        for (const std::string& problem : problems)
            fprintf(stderr, "%s: %s\n", name, problem.c_str());
        return TOOL_FAILED;
    }
    if (build.portalsGiven)
        WarnOfStalePortals(level, name);
    return SaveBuiltLevel(level, g_args.path, build.leftOut, g_args.out) ? TOOL_DONE : TOOL_FAILED;
}

}  // namespace

const ToolCommand BUILD_COMMAND = {"build", "write the level that a JSON document describes", DefineBuild, RunBuild};
