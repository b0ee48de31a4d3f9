// vrktool build: levels from JSON documents, and the documents it refuses.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "level_json.h"
#include "vrktool_cli.h"

// Each example level is what `build` makes of its JSON source, and what
// `info --json` prints of it, piped back into `build -`, gives its bytes.
TEST_F(VrktoolCli, ExamplesAreBuiltFromTheirSourcesAndReadBackThroughStandardInput)
{
    for (const char* name : {"courtyard", "hall", "stairs"}) {
        Bytes level = ReadFileBytes(ExamplePath(std::string(name) + ".vrk"));
        ASSERT_FALSE(level.empty()) << name;
        std::string built = levels.Path(std::string(name) + ".vrk");
        ToolRun run = Run({"build", ExamplePath(std::string(name) + ".json"), "-o", built});
        EXPECT_EQ(0, run.exitCode) << name << ": " << run.err;
        EXPECT_EQ(HexBytes(level), HexBytes(ReadFileBytes(built))) << name << ".json built";

        ToolRun info = Run({"info", "--json", ExamplePath(std::string(name) + ".vrk")});
        std::string document = outputs.Path("document.json");
        WriteFileBytes(document, Bytes(info.out.begin(), info.out.end()));
        std::string back = levels.Path(std::string(name) + "-back.vrk");
        ToolRunOptions piped = ToolRunOptions();
        piped.inputPath = document;
        run = Run({"build", "-", "-o", back}, piped);
        EXPECT_EQ(0, run.exitCode) << name << ": " << run.err;
        EXPECT_EQ(HexBytes(level), HexBytes(ReadFileBytes(back))) << name << ": info --json | build -";
    }
}

TEST_F(VrktoolCli, BuildRefusesAnInvalidDocumentAndLeavesTheTargetAlone)
{
    std::string out = Write("out.vrk", {1, 2, 3});
    std::string bad = Write("bad.json", Bytes{'{', '}'});
    ToolRun run = Run({"build", bad, "-o", out});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(bad + ": version: missing\n" + bad + ": startX: missing\n" + bad + ": startY: missing\n" + bad +
                  ": sectors: missing\n",
              run.err);
    EXPECT_EQ("01 02 03", HexBytes(ReadFileBytes(out))) << "a refused document must not touch the target";

    // A Ctrl+Z is no end of the text on Windows either: read in binary mode.
    std::string piped = outputs.Path("piped.json");
    WriteFileBytes(piped, Bytes{'{', '}', 0x1A});
    ToolRunOptions fromPipe = ToolRunOptions();
    fromPipe.inputPath = piped;
    run = Run({"build", "-", "-o", out}, fromPipe);
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(0u, run.err.find("(standard input): line 1, column 3: syntax error")) << run.err;

    ToolRun missing = Run({"build", levels.Path("missing.json"), "-o", out});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ(0u, missing.err.find(levels.Path("missing.json") + ": cannot be read: ")) << missing.err;
    EXPECT_EQ((std::vector<std::string>{"bad.json", "out.vrk"}), levels.Names()) << "no temporary file is left";

    ToolRun unwritable = Run({"build", ExamplePath("hall.json"), "-o", levels.Path("no such folder/x.vrk")});
    EXPECT_EQ(2, unwritable.exitCode);
    EXPECT_EQ(0u, unwritable.err.find(levels.Path("no such folder/x.vrk") + ": unable to write level to file: "))
        << unwritable.err;
}

// Without portals in the document they are built as the editor builds them,
// and edges that do not fit the table are counted as `portals` counts them.
TEST_F(VrktoolCli, BuildSaysHowManyEdgesWereLeftOut)
{
    Level level;
    FillBrickLayout(&level, MAX_SECTORS);
    Bytes bare = SerializeToBytes(level);
    int leftOut = BuildPortals(&level);
    ASSERT_GT(leftOut, 0);
    nlohmann::ordered_json json = nlohmann::ordered_json::parse(FormatLevelJson(bare.data(), bare.size(), bare.size()));
    for (const char* key : {"portals", "portalCount", "size"})
        json.erase(key);
    std::string document = json.dump(2);
    std::string source = Write("bricks.json", Bytes(document.begin(), document.end()));
    std::string out = levels.Path("bricks.vrk");
    ToolRun run = Run({"build", source, "-o", out});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(source + ": " + std::to_string(leftOut) + " shared edges left out, the portal table holds 512\n",
              run.err);
    EXPECT_TRUE(SerializeToBytes(level) == ReadFileBytes(out)) << "the level with the portals that fit";
    // Portals that are not those the sectors give are written as given, and said so.
    json = nlohmann::ordered_json::parse(FormatLevelJson(bare.data(), bare.size(), bare.size()));
    document = json.dump(2);
    run = Run({"build", Write("stale.json", Bytes(document.begin(), document.end())), "-o", out});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(": the portals given are not those the sectors give (0 given, 1024 "
                                              "derived); written as given"))
        << run.err;
    EXPECT_TRUE(bare == ReadFileBytes(out)) << "the level as given";
}
