// vrktool info: every record, as lines or JSON, also of a broken file.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "vrktool_cli.h"

TEST_F(VrktoolCli, InfoListsEveryRecordAndIsStable)
{
    std::string file = Write("two.vrk", SerializeToBytes(TwoCells()));
    ToolRun run = Run({"info", file});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("size 49\n"
              "version 2\n"
              "start 0 0\n"
              "sectors 2\n"
              "portals 2\n"
              "sector 0: left 0 top 0 right 1 bottom 1 floorHeight 128 ceilingHeight 132\n"
              "sector 1: left 1 top 0 right 2 bottom 1 floorHeight 10 ceilingHeight 250\n"
              "portal 0: offsetX 1 offsetY 0 length 1 sector 0 twin 1\n"
              "portal 1: offsetX 0 offsetY 0 length 1 sector 1 twin 0\n",
              run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(run.out, Run({"info", file}).out) << "the same file must print the same text";
}

TEST_F(VrktoolCli, InfoAsJson)
{
    std::string file = Write("two.vrk", SerializeToBytes(TwoCells()));
    ToolRun run = Run({"info", "--json", file});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("{\n"
              "  \"size\": 49,\n"
              "  \"version\": 2,\n"
              "  \"startX\": 0,\n"
              "  \"startY\": 0,\n"
              "  \"sectorCount\": 2,\n"
              "  \"portalCount\": 2,\n"
              "  \"sectors\": [\n"
              "    {\"left\": 0, \"top\": 0, \"right\": 1, \"bottom\": 1, \"floorHeight\": 128, \"ceilingHeight\": 132},\n"
              "    {\"left\": 1, \"top\": 0, \"right\": 2, \"bottom\": 1, \"floorHeight\": 10, \"ceilingHeight\": 250}\n"
              "  ],\n"
              "  \"portals\": [\n"
              "    {\"offsetX\": 1, \"offsetY\": 0, \"length\": 1, \"sector\": 0, \"twin\": 1},\n"
              "    {\"offsetX\": 0, \"offsetY\": 0, \"length\": 1, \"sector\": 1, \"twin\": 0}\n"
              "  ],\n"
              "  \"truncated\": false,\n"
              "  \"trailingBytes\": 0\n"
              "}\n",
              run.out);
    EXPECT_EQ(run.out, Run({"info", file, "--json"}).out) << "--json may come after the file";
}

TEST_F(VrktoolCli, InfoShowsWhatABrokenFileHolds)
{
    Bytes bytes = SerializeToBytes(TwoCells());
    const struct {
        const char* what;
        Bytes bytes;
        std::string expected;
    } cases[] = {
        {"empty", {}, "size 0\ntruncated: 9 bytes needed\n"},
        {"cut in the second sector", Bytes(bytes.begin(), bytes.begin() + 25),
         "size 25\nversion 2\nstart 0 0\nsectors 2\nportals 2\n"
         "sector 0: left 0 top 0 right 1 bottom 1 floorHeight 128 ceilingHeight 132\n"
         "truncated: 49 bytes needed\n"},
    };
    for (const auto& c : cases) {
        ToolRun run = Run({"info", Write("broken.vrk", c.bytes)});
        EXPECT_EQ(0, run.exitCode) << c.what;
        EXPECT_EQ(c.expected, run.out) << c.what;
    }
    bytes.insert(bytes.end(), {1, 2});
    ToolRun run = Run({"info", "--json", Write("long.vrk", bytes)});
    EXPECT_NE(std::string::npos, run.out.find("\"trailingBytes\": 2\n")) << run.out;

    ToolRun missing = Run({"info", levels.Path("missing.vrk")});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ("", missing.out);
    EXPECT_EQ(0u, missing.err.find(levels.Path("missing.vrk") + ": cannot be read: ")) << missing.err;
}
