// vrktool merge: two designers' changes to one level taken together, by
// hand or as git's merge driver.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_file.h"
#include "level_merge.h"
#include "portals.h"
#include "tool_commands.h"

int MergeCommand(int argc, char** argv)
{
    std::vector<const char*> files;
    const char* out = nullptr;
    const char* name = nullptr;
    bool options = true;  // "--" ends them, so a file may start with "-"
    for (int i = 0; i < argc; i++) {
        if (options && strcmp(argv[i], "--") == 0)
            options = false;
        else if (options && strcmp(argv[i], "-o") == 0 && !out && i + 1 < argc)
            out = argv[++i];
        else if (options && strcmp(argv[i], "--name") == 0 && !name && i + 1 < argc)
            name = argv[++i];
        else if (options && argv[i][0] == '-' && argv[i][1] != '\0')
            return ShowUsage();
        else
            files.push_back(argv[i]);
    }
    if (files.size() != 3 || !out)
        return ShowUsage();
    if (!name)
        name = out;

    // Large tables, one of each for the run.
    static Level base, ours, theirs, merged;
    if (!LoadStoredLevel(files[0], &base) || !LoadStoredLevel(files[1], &ours) ||
        !LoadStoredLevel(files[2], &theirs))
        return 2;
    merged = NewLevel();
    std::vector<std::string> conflicts;
    int leftOut = MergeLevels(base, ours, theirs, &merged, &conflicts);
    for (const std::string& conflict : conflicts)
        fprintf(stderr, "%s: conflict: %s\n", name, conflict.c_str());
    if (leftOut > 0)
        fprintf(stderr, "%s: %d shared edges left out, the portal table holds %d\n", name, leftOut,
                static_cast<int>(MAX_SHARED_EDGES));
    int saved = SaveLevel(&merged, out);
    FreeLevel(&merged);
    if (saved != 0) {
        fprintf(stderr, "%s: unable to write level to file\n", out);
        return 2;
    }
    if (conflicts.empty())
        return 0;
    fprintf(stderr, "%s: %lu conflict%s: the merged level keeps ours' side of each; redo theirs' by hand\n", name,
            static_cast<unsigned long>(conflicts.size()), conflicts.size() == 1 ? "" : "s");
    return 1;
}
