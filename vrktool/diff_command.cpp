// vrktool diff: what changed between two versions of a level, for a
// reviewer or as git's external diff.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_diff.h"
#include "tool_commands.h"

namespace {

// git names a side that does not exist so; it counts as a level without
// sectors.
bool IsMissingSide(const char* path)
{
    return strcmp(path, "/dev/null") == 0 || strcmp(path, "nul") == 0 || strcmp(path, "NUL") == 0;
}

bool LoadSide(const char* path, bool gitSides, Level* level)
{
    if (gitSides && IsMissingSide(path)) {
        *level = NewLevel();
        return true;
    }
    return LoadStoredLevel(path, level);
}

}  // namespace

int DiffCommand(int argc, char** argv)
{
    std::vector<const char*> files;
    bool json = false;
    bool options = true;  // "--" ends them, so a file may start with "-"
    for (int i = 0; i < argc; i++) {
        if (options && strcmp(argv[i], "--") == 0)
            options = false;
        else if (options && !json && strcmp(argv[i], "--json") == 0)
            json = true;
        else if (options && argv[i][0] == '-' && argv[i][1] != '\0')
            return ShowUsage();
        else
            files.push_back(argv[i]);
    }
    // git's external diff: PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE.
    bool gitSides = files.size() == 7;
    if (files.size() != 2 && !gitSides)
        return ShowUsage();
    const char* oldPath = gitSides ? files[1] : files[0];
    const char* newPath = gitSides ? files[4] : files[1];

    static Level before, after;  // the two versions this run compares
    if (!LoadSide(oldPath, gitSides, &before) || !LoadSide(newPath, gitSides, &after))
        return 2;
    LevelDiff diff = DiffLevels(before, after);
    if (gitSides)
        printf("diff --vrk a/%s b/%s\n", files[0], files[0]);
    if (json)
        fputs(FormatLevelDiffJson(before, after, diff).c_str(), stdout);
    else
        fputs(FormatLevelDiff(before, after, diff).c_str(), stdout);
    // git stops at an external diff that does not exit 0.
    if (gitSides)
        return 0;
    return LevelsDiffer(diff) ? 1 : 0;
}
