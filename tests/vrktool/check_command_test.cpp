// vrktool check: one line per problem, the exit codes.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "vrktool_cli.h"

TEST_F(VrktoolCli, CheckPassesAGoodLevelQuietly)
{
    ToolRun run = Run({"check", Write("two.vrk", SerializeToBytes(TwoCells()))});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("", run.err);
}

TEST_F(VrktoolCli, CheckNamesEachFileOnEachProblem)
{
    Level tooMany = TwoCells();
    Bytes tooManyBytes = SerializeToBytes(tooMany);
    tooManyBytes[5] = 0x01;  // 257 sectors claimed
    tooManyBytes[6] = 0x01;
    Bytes trailing = SerializeToBytes(TwoCells());
    trailing.push_back(0);
    Level swapped = TwoCells();
    swapped.sectors[1].floorHeight = 251;
    std::string good = Write("good.vrk", SerializeToBytes(TwoCells()));
    std::string empty = Write("empty.vrk", {});
    std::string many = Write("many.vrk", tooManyBytes);
    std::string tail = Write("tail.vrk", trailing);
    std::string upside = Write("upside.vrk", SerializeToBytes(swapped));
    ToolRun run = Run({"check", good, empty, many, tail, upside});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(empty + ": truncated: 0 bytes, the header needs 9\n" +
                  many + ": 257 sectors, more than 256\n" +
                  tail + ": 1 trailing byte after the portals\n" +
                  upside + ": sector 1: floor 251 above ceiling 250\n",
              run.out);
}

TEST_F(VrktoolCli, CheckExitsTwoWhenAFileCannotBeRead)
{
    std::string missing = levels.Path("missing.vrk");
    std::string empty = Write("empty.vrk", {});
    ToolRun run = Run({"check", missing, empty});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(0u, run.out.find(missing + ": cannot be read: ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find(empty + ": truncated: 0 bytes")) << "the other files are still checked";
    // A folder is there but holds no level: a problem, not a failed job.
    ToolRun folder = Run({"check", levels.Root()});
    EXPECT_EQ(1, folder.exitCode) << folder.out;
}

// A table written by earlier builders, with the one-sided span test, lacks
// only edges: check passes it with a note. A narrow sector below a wide one
// that first finds its right-hand neighbour is such a pair.
TEST_F(VrktoolCli, CheckPassesAOneSidedPortalTableWithANote)
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(1, 2, 3, 3);  // narrow, below the wide one
    level.sectors[1] = MakeSector(0, 0, 4, 2);
    level.sectors[2] = MakeSector(3, 2, 4, 3);
    level.sectorCount = 3;
    level.startX = 1;
    level.startY = 2;
    BuildOneSidedPortals(&level);
    ASSERT_EQ(4, level.portalCount);
    std::string file = Write("old.vrk", SerializeToBytes(level));
    ToolRun run = Run({"check", file});
    EXPECT_EQ(0, run.exitCode) << run.out;
    EXPECT_EQ("", run.out);
    EXPECT_EQ(file + ": note: the portals follow the one-sided rule of older levels, 4 stored, 6 derived; vrktool "
                     "portals adds the missing edges\n",
              run.err);
    level.portals[3].length = 9;  // neither rule's table
    run = Run({"check", Write("odd.vrk", SerializeToBytes(level))});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.out.find("stored portals differ")) << run.out;
}
