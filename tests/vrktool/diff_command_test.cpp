// vrktool diff: each change named.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "vrktool_cli.h"

TEST_F(VrktoolCli, DiffNamesEachChange)
{
    Level before = MakeBuiltLevel({HALL, EAST, SOUTH});
    Level after = MakeBuiltLevel({WithHeights(SOUTH, 4, 96), HALL, MakeSector(12, 0, 14, 2)}, 3, 3, 1);
    std::string a = Write("before.vrk", SerializeToBytes(before)), b = Write("after.vrk", SerializeToBytes(after));
    std::string hall = Write("hall.vrk", SerializeToBytes(MakeBuiltLevel({HALL, SOUTH})));
    std::string lower = Write("lower.vrk", SerializeToBytes(MakeBuiltLevel({HALL, SOUTH}, 2, 3)));
    std::string ceiling = Write("ceiling.vrk", SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 16, 90)})));
    // No shared edges, so the portals stay as they were.
    std::string apart = Write("apart.vrk", SerializeToBytes(MakeBuiltLevel({HALL, MakeSector(20, 20, 22, 22)})));
    std::string swapped = Write("swapped.vrk", SerializeToBytes(MakeBuiltLevel({MakeSector(20, 20, 22, 22), HALL})));
    std::string sectorJson = "{\"left\": 12, \"top\": 0, \"right\": 14, \"bottom\": 2, \"floorHeight\": 128, "
                             "\"ceilingHeight\": 132}";
    const struct {
        Args args;
        int exitCode;
        std::string out;
    } cases[] = {
        {{"diff", a, b}, 1, "version 2 -> 1\n"
                            "start 2 2 -> 3 3\n"
                            "removed sector 1: left 8 top 1 right 12 bottom 5 floorHeight 8 ceilingHeight 80\n"
                            "added sector 2: left 12 top 0 right 14 bottom 2 floorHeight 128 ceilingHeight 132\n"
                            "changed sector 0: left 2 top 6 right 6 bottom 10 floorHeight 16 -> 4 ceilingHeight 96\n"
                            "order of sectors changed\n"
                            "stored portals changed: 4 -> 2\n"},
        {{"diff", "--json", a, b}, 1, "{\n  \"added\": [\n    " + sectorJson + "\n  ],\n"
                                                                               "  \"removed\": [\n    {\"left\": 8, \"top\": 1, \"right\": 12, \"bottom\": 5, \"floorHeight\": 8, "
                                                                               "\"ceilingHeight\": 80}\n  ],\n"
                                                                               "  \"changed\": [\n    {\"before\": {\"left\": 2, \"top\": 6, \"right\": 6, \"bottom\": 10, "
                                                                               "\"floorHeight\": 16, \"ceilingHeight\": 96}, \"after\": {\"left\": 2, \"top\": 6, \"right\": 6, "
                                                                               "\"bottom\": 10, \"floorHeight\": 4, \"ceilingHeight\": 96}}\n  ],\n"
                                                                               "  \"start\": {\"before\": [2, 2], \"after\": [3, 3]},\n  \"version\": [2, 1],\n"
                                                                               "  \"reordered\": true,\n  \"portals\": [4, 2]\n}\n"},
        {{"diff", b, b}, 0, ""},
        {{"diff", b, "--json", b}, 0, "{\n  \"added\": [],\n  \"removed\": [],\n  \"changed\": [],\n  \"start\": null,\n  \"version\": null,\n"
                                      "  \"reordered\": false,\n  \"portals\": null\n}\n"},
        // git's external diff of an added file: the old side is no file at all.
        {{"diff", "hall.vrk", "/dev/null", ".", ".", hall, "0123abc", "100644"}, 0, "diff --vrk a/hall.vrk b/hall.vrk\n"
                                                                                    "start 0 0 -> 2 2\n"
                                                                                    "added sector 0: left 0 top 0 right 8 bottom 6 floorHeight 0 ceilingHeight 96\n"
                                                                                    "added sector 1: left 2 top 6 right 6 bottom 10 floorHeight 16 ceilingHeight 96\n"
                                                                                    "stored portals changed: 0 -> 2\n"},
        {{"diff", hall, lower}, 1, "start 2 2 -> 2 3\n"},
        {{"diff", hall, ceiling}, 1, "changed sector 1: left 2 top 6 right 6 bottom 10 floorHeight 16 ceilingHeight 96 -> 90\n"},
        {{"diff", apart, swapped}, 1, "order of sectors changed\n"},
        // git's external diff of a renamed file: the new name is the eighth argument.
        {{"diff", "old.vrk", hall, "0123abc", "100644", lower, "4567def", "100644", "new.vrk",
          "similarity index 90%\nrename from old.vrk\nrename to new.vrk\n"},
         0,
         "diff --vrk a/old.vrk b/new.vrk\nstart 2 2 -> 2 3\n"},
    };
    for (const auto& c : cases) {
        ToolRun run = Run(c.args);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.args[1] << ": " << run.err;
        EXPECT_EQ(c.out, run.out) << c.args[1];
        EXPECT_EQ("", run.err);
    }
    Bytes many = SerializeToBytes(before);
    many[6] = 0x10;
    std::string refused = Write("many.vrk", many);
    ToolRun run = Run({"diff", a, refused});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(refused + ": cannot be loaded: Map contains too many sectors.\n", run.err);
    run = Run({"diff", levels.Path("missing.vrk"), a});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(0u, run.err.find(levels.Path("missing.vrk") + ": cannot be read: ")) << run.err;
}
