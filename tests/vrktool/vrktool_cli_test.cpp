// vrktool run as a program: arguments, output lines and exit codes on good,
// generated and hostile files.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "level.h"
#include "level_bytes.h"
#include "level_diff.h"
#include "level_file.h"
#include "level_json.h"
#include "level_test_support.h"
#include "png_read.h"
#include "portals.h"
#include "run_tool.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

typedef std::vector<std::string> Args;

// Each test has a folder for its levels and one for the tool's output.
class VrktoolCli : public ::testing::Test {
protected:
    ToolRun Run(const Args& args, const ToolRunOptions& options = ToolRunOptions())
    {
        ToolRun run = RunTool(NativeProgramPath(VRKTOOL_PATH), args, outputs.Root(), options);
        // A sanitizer report or a crash must never pass for a result.
        EXPECT_EQ(std::string::npos, run.err.find("Sanitizer")) << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("runtime error")) << run.err;
        return run;
    }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        std::string path = levels.Path(name);
        WriteFileBytes(path, bytes);
        return path;
    }

    ScratchFolder levels;
    ScratchFolder outputs;
};

// Two one-cell sectors side by side with their portals, start in the first.
Level TwoCells()
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(0, 0, 1, 1);
    level.sectors[1] = MakeSector(1, 0, 2, 1, 10, 250);
    level.sectorCount = 2;
    BuildPortals(&level);
    return level;
}

std::string ExamplePath(const std::string& name)
{
    return NativeProgramPath(std::string(QM_SOURCE_DIR) + "/examples/" + name);
}

}  // namespace

// A bad argument gets one short message that names it, never the usage.
TEST_F(VrktoolCli, BadArgumentsAreNamedAndExitTwo)
{
    std::string file = Write("two.vrk", SerializeToBytes(TwoCells()));
    const struct {
        Args args;
        std::string named;
    } cases[] = {
        {{}, "vrktool: A subcommand is required"},
        {{"frobnicate"}, "vrktool: unknown command: frobnicate"},
        {{"info"}, "vrktool info: FILE is required"},
        {{"info", file, file}, "not expected: " + file},
        {{"info", "--yaml", file}, "not expected: --yaml"},
        {{"info", "--json", file, "--json"}, "info: --json"},
        {{"check"}, "check: FILE is required"},
        {{"check", "-q", file}, "not expected: -q"},
        {{"portals"}, "portals: FILE is required"},
        {{"portals", file, "-o"}, "portals: -o"},
        {{"portals", file, "-x"}, "not expected: -x"},
        {{"portals", file, "-o", "a.vrk", "-o", "b.vrk"}, "portals: -o"},
        {{"render", file}, "render: -o is required"},
        {{"render", file, "-o"}, "render: -o"},
        {{"render", file, "-o", "x.png", "--scale", "9"}, "--scale: Value 9 not in range 1 to 8"},
        {{"render", file, "-o", "x.png", "--scale", "0"}, "--scale: Value 0 not in range 1 to 8"},
        {{"render", file, "-o", "x.png", "--scale", "0x2"}, "--scale: not a whole number: 0x2"},
        {{"render", file, "-o", "x.png", "--size", "0", "5"}, "--size: Value 0 not in range 1 to 16384"},
        {{"render", file, "-o", "x.png", "--size", "16385", "5"}, "--size: Value 16385 not in range 1 to 16384"},
        {{"render", file, "-o", "x.png", "--size", "5"}, "render: --size"},
        {{"render", file, "-o", "x.png", "--shade", "wall"}, "--shade: wall not in {floor,ceiling}"},
        {{"render", file, "-o", "x.png", "--portals", "--portals"}, "render: --portals"},
        {{"build", file}, "build: -o is required"},
        {{"build", file, file, "-o", "x.vrk"}, "not expected: " + file},
        {{"diff", file}, "diff: FILE: At least 2 required"},
        {{"diff", file, file, file}, "diff: FILE: requires 2 (OLD NEW) or git's 7"},
        {{"diff", file, file, "--yaml"}, "not expected: --yaml"},
        {{"merge", file, file, file}, "merge: -o is required"},
        {{"merge", file, file, "-o", "x.vrk"}, "merge: BASE OURS THEIRS: At least 3 required"},
        {{"merge", file, file, file, "-o", "x.vrk", "--name"}, "merge: --name"},
        {{"render", file, "-o", "x.png", "--compare"}, "render: --compare"},
        {{"git-setup", "now"}, "not expected: now"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += " " + a;
        ToolRun run = Run(c.args);
        EXPECT_EQ(2, run.exitCode) << "vrktool" << shown;
        EXPECT_NE(std::string::npos, run.err.find(c.named)) << "vrktool" << shown << " wrote: " << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("Usage")) << "vrktool" << shown << " wrote: " << run.err;
        EXPECT_EQ("", run.out) << "vrktool" << shown;
    }
    // Each command's help lists its options and their ranges, on stdout.
    const struct {
        Args args;
        const char* listed;
    } helps[] = {
        {{"--help"}, "--version"},
        {{"help"}, "render"},
        {{"render", "--help"}, "N 1 to 8"},
        {{"render", "--help"}, "each side 1 to 16384"},
        {{"render", "--help"}, "67108864 pixels in all"},
        {{"build", "--help"}, "- reads standard input"},
        {{"render", "--help"}, "--compare OLD"},
        {{"render", "--help"}, "orange (255, 128, 0): a sector whose heights changed"},
    };
    for (const auto& h : helps) {
        ToolRun help = Run(h.args);
        EXPECT_EQ(0, help.exitCode) << h.args[0];
        EXPECT_NE(std::string::npos, help.out.find(h.listed)) << h.args[0] << " printed: " << help.out;
    }
}

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

// What portals does with each file: rebuilds it in place or into -o, or
// leaves it byte for byte as it was, with the exit code and the message to
// match. The reader takes only the header and the sectors, so a file that is
// more or less than the level its header describes would lose what it holds;
// -o naming the file itself, however written, is a rewrite in place. FILE in
// a row stands for the level's path, OUT for another file's.
TEST_F(VrktoolCli, PortalsRewritesOrLeavesEachFile)
{
    Level level = TwoCells();
    const Bytes built = SerializeToBytes(level);
    level.portalCount = 0;
    const Bytes stale = SerializeToBytes(level);
    Bytes staleTrailing = stale, trailing = built, portalsCut = built, cut = built, many = built;
    staleTrailing.insert(staleTrailing.end(), {9, 9, 9});  // any file that loads, trailing bytes and all
    trailing.insert(trailing.end(), {9, 9, 9});
    portalsCut.resize(portalsCut.size() - 4);
    cut.resize(20);
    many[6] = 0x10;
    Level old = TwoCells();
    old.version = 1;
    const Bytes oldBytes = SerializeToBytes(old);
    Level bricks;
    FillBrickLayout(&bricks, MAX_SECTORS);
    const Bytes bricksBytes = SerializeToBytes(bricks);
    const int leftOut = BuildPortals(&bricks);
    ASSERT_GT(leftOut, 0);
    const std::string kept = "; left as it is";
    const std::string unreadable = "FILE: unable to read level from file\n";
    const struct {
        const char* what;
        Bytes in;
        Args out;
        int exitCode;
        std::string err;  // ends in "..." when only its start is fixed
        Bytes after;      // the file's bytes after the run
        Bytes written;    // OUT's, where it is named
    } rows[] = {
        {"stale portals, in place", stale, {}, 0, "", built, {}},
        {"stale portals and trailing bytes, to OUT", staleTrailing, {"-o", "OUT"}, 0, "", staleTrailing, built},
        {"trailing bytes", trailing, {}, 2, "FILE: 52 bytes, but its header describes a level of 49" + kept + "...", trailing, {}},
        {"trailing bytes, -o FILE", trailing, {"-o", "FILE"}, 2, "FILE: 52 bytes, but its header describes a level of 49" + kept + "...", trailing, {}},
        {"trailing bytes, -o ./FILE", trailing, {"-o", "./FILE"}, 2, "FILE: 52 bytes, but its header describes a level of 49" + kept + "...", trailing, {}},
        {"portals cut short", portalsCut, {}, 2, "FILE: 45 bytes, but its header describes a level of 49" + kept + "...", portalsCut, {}},
        {"portals cut short, -o FILE", portalsCut, {"-o", "FILE"}, 2, "FILE: 45 bytes, but its header describes a level of 49" + kept + "...", portalsCut, {}},
        {"portals cut short, -o ./FILE", portalsCut, {"-o", "./FILE"}, 2, "FILE: 45 bytes, but its header describes a level of 49" + kept + "...", portalsCut, {}},
        {"more shared edges than the table holds", bricksBytes, {}, 0, "FILE: " + std::to_string(leftOut) + " shared edges left out, the portal table holds 512\n", SerializeToBytes(bricks), {}},
        {"cut inside the sectors", cut, {}, 2, unreadable, cut, {}},
        {"too many sectors", many, {}, 2, "FILE: Map contains too many sectors.\n" + unreadable, many, {}},
        {"an old version", oldBytes, {}, 0, "FILE: Expected map version 2, file is version 1.\n", oldBytes, {}},
    };
    const std::string file = levels.Path("kept.vrk");
    const std::string out = outputs.Path("out.vrk");
    const std::pair<std::string, std::string> tokens[] = {
        {"./FILE", levels.Path("./kept.vrk")}, {"FILE", file}, {"OUT", out}};
    auto fill = [&](std::string text) {
        for (const auto& [token, path] : tokens)
            for (size_t at; (at = text.find(token)) != std::string::npos;)
                text.replace(at, token.size(), path);
        return text;
    };
    for (const auto& row : rows) {
        Write("kept.vrk", row.in);
        std::filesystem::remove(out);
#ifndef _WIN32
        chmod(file.c_str(), 0640);  // a mode no new file gets
#endif
        Args args = {"portals", file};
        for (const std::string& arg : row.out)
            args.push_back(fill(arg));
        ToolRun run = Run(args);
        EXPECT_EQ(row.exitCode, run.exitCode) << row.what << ": " << run.err;
        std::string err = fill(row.err);
        if (err.size() > 3 && err.compare(err.size() - 3, 3, "...") == 0) {
            EXPECT_EQ(0u, run.err.find(err.substr(0, err.size() - 3))) << row.what << ": " << run.err;
        } else {
            EXPECT_EQ(err, run.err) << row.what;
        }
        EXPECT_EQ(HexBytes(row.after), HexBytes(ReadFileBytes(file))) << row.what;
        if (!row.written.empty()) {
            EXPECT_EQ(HexBytes(row.written), HexBytes(ReadFileBytes(out))) << row.what;
        }
        EXPECT_EQ(std::vector<std::string>{"kept.vrk"}, levels.Names()) << row.what << ": no temporary file is left";
#ifndef _WIN32
        struct stat info;
        ASSERT_EQ(0, stat(file.c_str(), &info));
        EXPECT_EQ(0640u, info.st_mode & 07777) << row.what << ": the level keeps its mode";
#endif
    }
    EXPECT_EQ(0, Run({"check", Write("kept.vrk", built)}).exitCode) << "what portals writes passes check";

    // A folder is no level file to replace.
    std::string folder = levels.Path("folder.vrk");
    std::filesystem::create_directory(folder);
    ToolRun run = Run({"portals", folder});
    EXPECT_EQ(2, run.exitCode) << run.err;
    EXPECT_EQ(folder + ": cannot be read: not a regular file\n", run.err);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A file far larger than any level, as git may hand a textconv: its size
// comes from the file system and the rest counts as trailing bytes. Sparse,
// so it costs no disk.
TEST_F(VrktoolCli, HugeFileIsReadOnlyAsFarAsALevelGoes)
{
    Bytes level = SerializeToBytes(TwoCells());
    std::string file = Write("huge.vrk", level);
    const unsigned long long size = (5ull << 30) + 7;  // past 32 bits too
    std::filesystem::resize_file(file, size);
    const std::string trailing = std::to_string(size - level.size());

    ToolRun info = Run({"info", file});
    EXPECT_EQ(0, info.exitCode) << info.err;
    EXPECT_EQ("size " + std::to_string(size) + "\n"
                                               "version 2\nstart 0 0\nsectors 2\nportals 2\n"
                                               "sector 0: left 0 top 0 right 1 bottom 1 floorHeight 128 ceilingHeight 132\n"
                                               "sector 1: left 1 top 0 right 2 bottom 1 floorHeight 10 ceilingHeight 250\n"
                                               "portal 0: offsetX 1 offsetY 0 length 1 sector 0 twin 1\n"
                                               "portal 1: offsetX 0 offsetY 0 length 1 sector 1 twin 0\n"
                                               "trailing bytes " +
                  trailing + "\n",
              info.out);
    ToolRun json = Run({"info", "--json", file});
    EXPECT_NE(std::string::npos, json.out.find("\"trailingBytes\": " + trailing + "\n")) << json.out;

    ToolRun check = Run({"check", file});
    EXPECT_EQ(1, check.exitCode);
    EXPECT_EQ(file + ": " + trailing + " trailing bytes after the portals\n", check.out);

    ToolRun inPlace = Run({"portals", file});
    EXPECT_EQ(2, inPlace.exitCode) << inPlace.err;
    EXPECT_EQ(size, std::filesystem::file_size(file)) << "the file must be left as it is";

    std::string out = levels.Path("rebuilt.vrk");
    ToolRun rebuilt = Run({"portals", file, "-o", out});
    EXPECT_EQ(0, rebuilt.exitCode) << rebuilt.err;
    EXPECT_EQ(HexBytes(level), HexBytes(ReadFileBytes(out)));
}

// A write that fails says why, in the system's words, and exits 2.
TEST_F(VrktoolCli, PortalsReportsAFailedWriteAndWhy)
{
    std::string in = Write("in.vrk", SerializeToBytes(TwoCells()));
    std::string readOnly = Write("read-only.vrk", {1, 2, 3});
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    std::string folder = levels.Path("folder.vrk");
    std::filesystem::create_directory(folder);
    std::vector<std::string> reasons;
    for (const std::string& out : {levels.Path("no such folder/out.vrk"), readOnly, folder}) {
        ToolRun run = Run({"portals", in, "-o", out});
        EXPECT_EQ(2, run.exitCode) << out;
        std::string start = out + ": unable to write level to file: ";
        ASSERT_EQ(0u, run.err.find(start)) << run.err;
        reasons.push_back(run.err.substr(start.size()));
        EXPECT_GT(reasons.back().size(), 2u) << out << ": no reason given";
    }
    EXPECT_NE(reasons[0], reasons[1]) << "a missing folder and a read-only file fail for other reasons";
    EXPECT_EQ("01 02 03", HexBytes(ReadFileBytes(readOnly)));
}

#ifndef _WIN32
// A FIFO holds no level: no command waits for a writer, and portals leaves
// it a FIFO. Each command finds a writer ready to feed it a level, so one
// that waited would take it instead of ending without it.
TEST_F(VrktoolCli, FifoIsRefusedWithoutWaiting)
{
    const Bytes level = SerializeToBytes(TwoCells());
    const std::string fifo = levels.Path("pipe.vrk");
    const std::string out = levels.Path("out.vrk");
    const struct {
        Args args;
        int exitCode;
        bool toStdout;
        bool fed;  // a writer waits to feed it; without one a waiting open never returns
    } cases[] = {
        {{"info", fifo}, 2, false, true},
        {{"info", fifo}, 2, false, false},
        {{"check", fifo}, 1, true, true},
        {{"portals", fifo}, 2, false, true},
        {{"portals", fifo, "-o", out}, 2, false, true},
    };
    for (const auto& c : cases) {
        std::unique_ptr<FifoFeeder> feeder(c.fed ? new FifoFeeder(fifo, level) : nullptr);
        ASSERT_TRUE(c.fed ? feeder->Made() : mkfifo(fifo.c_str(), 0600) == 0);
        ToolRun run = Run(c.args);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.args[0] << " " << c.args.size();
        EXPECT_EQ(fifo + ": cannot be read: not a regular file\n", c.toStdout ? run.out : run.err) << c.args[0];
        EXPECT_EQ((std::vector<std::string>{"pipe.vrk"}), levels.Names()) << c.args[0] << ": nothing written";
        struct stat info;
        ASSERT_EQ(0, lstat(fifo.c_str(), &info));
        EXPECT_TRUE(S_ISFIFO(info.st_mode)) << c.args[0] << " replaced the FIFO";
        remove(fifo.c_str());
    }
}
#endif

// Output that cannot be written is an error, not a success.
TEST_F(VrktoolCli, FailedWriteToStandardOutputExitsTwo)
{
    std::string file = Write("two.vrk", SerializeToBytes(TwoCells()));
    Bytes trailing = SerializeToBytes(TwoCells());
    trailing.push_back(0);
    std::string faulty = Write("faulty.vrk", trailing);  // check has a line to print, and exit code 1 for it
    ToolRunOptions refused;
    refused.outputRefused = true;
    for (const Args& args : {Args{"info", file}, Args{"info", "--json", file}, Args{"check", faulty},
                             Args{"--help"}}) {
        ToolRun run = Run(args, refused);
        EXPECT_EQ(2, run.exitCode) << args[0];
        EXPECT_NE(std::string::npos, run.err.find("vrktool: cannot write to standard output: ")) << run.err;
    }
}

// "--" ends the options, so a file named like one can be given.
TEST_F(VrktoolCli, DoubleDashEndsTheOptions)
{
    Level level = TwoCells();
    Bytes expected = SerializeToBytes(level);
    level.portalCount = 0;
    Write("-x.vrk", SerializeToBytes(level));
    ToolRunOptions inLevels;
    inLevels.workingFolder = levels.Root();
    ToolRun plain = Run({"info", "-x.vrk"}, inLevels);
    EXPECT_EQ(2, plain.exitCode) << "without --, -x.vrk is an unknown option";
    ToolRun info = Run({"info", "--", "-x.vrk"}, inLevels);
    EXPECT_EQ(0, info.exitCode) << info.err;
    EXPECT_EQ(0u, info.out.find("size 29\n")) << info.out;
    ToolRun check = Run({"check", "--", "-x.vrk"}, inLevels);
    EXPECT_EQ(1, check.exitCode) << check.err;
    EXPECT_EQ(0u, check.out.find("-x.vrk: stored portals differ")) << check.out;
    ToolRun portals = Run({"portals", "-o", "-y.vrk", "--", "-x.vrk"}, inLevels);
    EXPECT_EQ(0, portals.exitCode) << portals.err;
    EXPECT_EQ(HexBytes(expected), HexBytes(ReadFileBytes(levels.Path("-y.vrk"))));
}

// No command writes over its input, however the output names it: portals
// then works in place (and keeps what is not exactly a level), the others
// refuse with exit 2 and touch nothing.
TEST_F(VrktoolCli, OutputThatIsTheInputIsNeverWrittenOver)
{
    Bytes level = SerializeToBytes(TwoCells());
    Bytes trailing = level;
    trailing.push_back(7);
    std::string vrk = Write("t.vrk", trailing);
    std::string json = Write("h.json", ReadFileBytes(ExamplePath("hall.json")));
    const struct {
        Args args;
        std::string message;
    } cases[] = {
        {{"portals", vrk, "-o", levels.Path("./t.vrk")}, vrk + ": 50 bytes, but its header describes a level of 49"},
        {{"render", vrk, "-o", levels.Path("./t.vrk")}, levels.Path("./t.vrk") + ": is the input file"},
        {{"build", json, "-o", json}, json + ": is the input file"},
    };
    for (const auto& c : cases) {
        ToolRun run = Run(c.args);
        EXPECT_EQ(2, run.exitCode) << c.args[0];
        EXPECT_EQ(0u, run.err.find(c.message)) << c.args[0] << ": " << run.err;
    }
    EXPECT_EQ(HexBytes(trailing), HexBytes(ReadFileBytes(vrk)));
    EXPECT_EQ(HexBytes(ReadFileBytes(ExamplePath("hall.json"))), HexBytes(ReadFileBytes(json)));
#ifndef _WIN32
    std::string link = levels.Path("link.png");
    ASSERT_EQ(0, symlink(vrk.c_str(), link.c_str()));
    EXPECT_EQ(2, Run({"render", vrk, "-o", link}).exitCode) << "a link to the input is the input";
    EXPECT_EQ(HexBytes(trailing), HexBytes(ReadFileBytes(vrk)));
#endif
}

// "-" is standard input for every command that reads a file, "-o -"
// standard output where the output is one file.
TEST_F(VrktoolCli, DashIsStandardInputAndOutput)
{
    Level stale = TwoCells();
    Bytes level = SerializeToBytes(stale);
    stale.portalCount = 0;
    std::string file = Write("stale.vrk", SerializeToBytes(stale));
    ToolRunOptions piped;
    piped.inputPath = file;
    EXPECT_EQ(Run({"info", file}).out, Run({"info", "-"}, piped).out);
    ToolRun check = Run({"check", "-"}, piped);
    EXPECT_EQ(1, check.exitCode);
    EXPECT_EQ(0u, check.out.find("(standard input): stored portals differ")) << check.out;
    ToolRun rebuilt = Run({"portals", "-"}, piped);
    EXPECT_EQ(HexBytes(level), HexBytes(Bytes(rebuilt.out.begin(), rebuilt.out.end())));
    ToolRun built = Run({"build", ExamplePath("hall.json"), "-o", "-"});
    EXPECT_EQ(0, built.exitCode) << built.err;
    EXPECT_EQ(HexBytes(ReadFileBytes(ExamplePath("hall.vrk"))), HexBytes(Bytes(built.out.begin(), built.out.end())));
    std::string png = levels.Path("two.png");
    ASSERT_EQ(0, Run({"render", file, "-o", png}).exitCode);
    ToolRun drawn = Run({"render", "-", "-o", "-"}, piped);
    EXPECT_EQ(0, drawn.exitCode) << drawn.err;
    EXPECT_TRUE(ReadFileBytes(png) == Bytes(drawn.out.begin(), drawn.out.end())) << "the same PNG bytes";
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

// Random files of every size: the tool answers each with lines about that
// file and an exit code of its own, never a crash.
TEST_F(VrktoolCli, RandomFilesNeverCrashIt)
{
    std::mt19937 random(1234);
    Args checkArgs = {"check"};
    for (int i = 0; i < 24; i++) {
        Bytes bytes(random() % (i < 12 ? 40 : 3000));
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(random());
        if (i % 3 == 0 && bytes.size() >= 9)
            bytes[6] = 0;  // a count the file may nearly hold
        checkArgs.push_back(Write("random" + std::to_string(i) + ".vrk", bytes));
    }
    ToolRun check = Run(checkArgs);
    EXPECT_TRUE(check.exitCode == 0 || check.exitCode == 1) << "exit code " << check.exitCode;
    size_t start = 0;
    while (start < check.out.size()) {
        size_t end = check.out.find('\n', start);
        ASSERT_NE(std::string::npos, end);
        std::string line = check.out.substr(start, end - start);
        ASSERT_EQ(0u, line.find(levels.Path("random"))) << line;
        start = end + 1;
    }
    for (size_t i = 1; i < checkArgs.size(); i += 4) {
        ToolRun info = Run({"info", "--json", checkArgs[i]});
        EXPECT_EQ(0, info.exitCode) << checkArgs[i];
        EXPECT_EQ('}', info.out.empty() ? ' ' : info.out[info.out.size() - 2]) << info.out;
        ToolRun portals = Run({"portals", checkArgs[i], "-o", levels.Path("rebuilt.vrk")});
        EXPECT_TRUE(portals.exitCode == 0 || portals.exitCode == 2) << "exit code " << portals.exitCode;
    }
}

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

namespace {

Sector WithHeights(Sector s, int floor, int ceiling)
{
    s.floorHeight = static_cast<uint8_t>(floor);
    s.ceilingHeight = static_cast<uint8_t>(ceiling);
    return s;
}

std::string DescribePixel(uint32_t p)
{
    return "(" + std::to_string(p >> 16) + ", " + std::to_string((p >> 8) & 0xFF) + ", " + std::to_string(p & 0xFF) +
           ")";
}

void ExpectPixel(const PngPicture& picture, int x, int y, uint32_t expected, const std::string& what)
{
    ASSERT_TRUE(x < picture.width && y < picture.height) << what;
    uint32_t seen = picture.pixels[static_cast<size_t>(y) * picture.width + x];
    EXPECT_EQ(DescribePixel(expected), DescribePixel(seen)) << what << " at (" << x << ", " << y << ")";
}

}  // namespace

// The picture's size and a few telling pixels with each option; that every
// pixel is the editor's is checked against the editor's own drawing.
TEST_F(VrktoolCli, RenderDrawsTheMapViewWithItsOptions)
{
    std::string level = Write("two.vrk", SerializeToBytes(TwoCells()));  // [0, 1) and [1, 2) x [0, 1), floors 128 and 10
    std::string out = levels.Path("two.png");
    const struct {
        Args options;
        int width, height, scale;
        int x, y;
        uint32_t colour;
        const char* what;
        bool stacked = false;  // drawn from the level of one cell above another
    } cases[] = {
        {{}, 48, 32, 1, 16, 8, 0xFF0000, "left outline of sector 1"},
        {{}, 48, 32, 1, 24, 8, 0x000000, "inside sector 1"},
        {{}, 48, 32, 1, 32, 20, 0x00007F, "grid line right of the sectors"},
        {{"--size", "20", "70"}, 20, 70, 1, 19, 64, 0x00007F, "grid row 64 of a 20 x 70 view"},
        {{"--scale", "3"}, 144, 96, 3, 24, 8, 0x000000, "inside sector 1, enlarged"},
        {{"--scale", "3"}, 144, 96, 3, 16, 8, 0xFF0000, "left outline of sector 1, enlarged"},
        {{"--portals"}, 48, 32, 1, 15, 8, 0xFFFF00, "the shared edge, sector 0's side"},
        {{"--portals"}, 48, 32, 1, 16, 8, 0xFFFF00, "the shared edge, sector 1's side"},
        {{"--portals"}, 48, 32, 1, 17, 8, 0x000000, "beside the shared edge"},
        {{"--shade", "floor"}, 48, 32, 1, 24, 8, 0x0A0A0A, "sector 1 shaded by its floor, 10"},
        {{"--shade", "ceiling", "--scale", "2"}, 96, 64, 2, 24, 8, 0xFAFAFA, "sector 1 by its ceiling, 250"},
        // One cell above the other: both portals of the edge lie along it.
        {{"--portals"}, 32, 48, 1, 8, 15, 0xFFFF00, "the edge below the upper cell", true},
        {{"--portals"}, 32, 48, 1, 8, 16, 0xFFFF00, "the edge above the lower cell", true},
        {{"--portals"}, 32, 48, 1, 0, 24, 0xFF0000, "no stub down the lower cell's side", true},
    };
    Level stacked = TwoCells();
    stacked.sectors[1] = MakeSector(0, 1, 1, 2);
    BuildPortals(&stacked);
    std::string stackedLevel = Write("stacked.vrk", SerializeToBytes(stacked));
    for (const auto& c : cases) {
        Args args = {"render", c.stacked ? stackedLevel : level, "-o", out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ToolRun run = Run(args);
        ASSERT_EQ(0, run.exitCode) << c.what << ": " << run.err;
        EXPECT_EQ("", run.err);
        PngPicture picture;
        ASSERT_TRUE(ReadPngFile(out, &picture)) << c.what;
        EXPECT_EQ(c.width, picture.width) << c.what;
        EXPECT_EQ(c.height, picture.height) << c.what;
        for (int dy = 0; dy < c.scale; dy++)
            for (int dx = 0; dx < c.scale; dx++)
                ExpectPixel(picture, c.x * c.scale + dx, c.y * c.scale + dy, c.colour, c.what);
    }
}

// What the editor cannot open gets `check`'s lines and exit 1, what cannot
// be read exit 2; neither leaves a picture. An old version is drawn after
// the reader's warning, as the editor does.
TEST_F(VrktoolCli, RenderRefusesWhatIsNotALevel)
{
    Bytes cut = SerializeToBytes(TwoCells());
    cut.resize(20);
    std::string file = Write("cut.vrk", cut);
    std::string out = levels.Path("out.png");
    ToolRun run = Run({"render", file, "-o", out});
    EXPECT_EQ(2, run.exitCode) << "a file that is no level is an input the command cannot use";
    EXPECT_EQ(file + ": truncated: 20 bytes, 2 sectors and 2 portals need 49\n", run.err);
    ToolRun check = Run({"check", file});
    EXPECT_EQ(check.out, run.err) << "the same lines as check";

    ToolRun missing = Run({"render", levels.Path("missing.vrk"), "-o", out});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ(0u, missing.err.find(levels.Path("missing.vrk") + ": cannot be read: ")) << missing.err;

    Level far = TwoCells();
    far.sectors[1] = MakeSector(1, 0, 65535, 1);
    file = Write("far.vrk", SerializeToBytes(far));
    run = Run({"render", file, "-o", out});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(file + ": a picture of 1048576 x 32 pixels is larger than vrktool makes (16384 pixels a side, "
                     "67108864 in all); choose a part with --size W H\n",
              run.err);
    run = Run({"render", file, "-o", out, "--size", "8193", "8193"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(file + ": a picture of 8193 x 8193 pixels is larger than vrktool makes (16384 pixels a side, "
                     "67108864 in all); choose a part with --size W H\n",
              run.err);
    EXPECT_EQ((std::vector<std::string>{"cut.vrk", "far.vrk"}), levels.Names()) << "no picture, no temporary file";
    EXPECT_EQ(0, Run({"render", file, "-o", out, "--size", "64", "32"}).exitCode) << "a part of it is drawn";

    Level old = TwoCells();
    old.version = 1;
    file = Write("old.vrk", SerializeToBytes(old));
    run = Run({"render", file, "-o", out});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(file + ": Expected map version 2, file is version 1.\n", run.err);

    run = Run({"render", Write("two.vrk", SerializeToBytes(TwoCells())), "-o", levels.Path("no such folder/x.png")});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(0u, run.err.find(levels.Path("no such folder/x.png") + ": unable to write picture to file: ")) << run.err;
}

// A name outside the ANSI code page of Windows names its own file, read or
// written; the look-alike beside it is never touched.
TEST_F(VrktoolCli, NamesOutsideTheCodePageNameTheirOwnFiles)
{
    const std::string stem = "Niv\xC4\x81";  // U+0101, which code page 1252 lacks
    Level level = TwoCells();
    Bytes built = SerializeToBytes(level);
    std::string json = FormatLevelJson(built.data(), built.size(), built.size());
    level.portalCount = 0;
    std::string vrk = Write(stem + ".vrk", SerializeToBytes(level));
    Write(stem + ".json", Bytes(json.begin(), json.end()));
    const Bytes neighbour = {1, 2, 3};
    for (const char* extension : {".vrk", ".json", ".png"})
        Write(std::string("Niva") + extension, neighbour);
    const Args cases[] = {{"portals", vrk},
                          {"render", vrk, "-o", levels.Path(stem + ".png")},
                          {"build", levels.Path(stem + ".json"), "-o", vrk}};
    for (const Args& args : cases) {
        ToolRun run = Run(args);
        EXPECT_EQ(0, run.exitCode) << args[0] << ": " << run.err;
    }
    EXPECT_EQ(HexBytes(built), HexBytes(ReadFileBytes(vrk)));
    EXPECT_EQ("89 50 4e 47", HexBytes(ReadFileBytes(levels.Path(stem + ".png"))).substr(0, 11)) << "a PNG";
    for (const char* extension : {".vrk", ".json", ".png"})
        EXPECT_EQ(HexBytes(neighbour), HexBytes(ReadFileBytes(levels.Path(std::string("Niva") + extension))))
            << "Niva" << extension;
}

namespace {

const Sector HALL = MakeSector(0, 0, 8, 6, 0, 96);
const Sector EAST = MakeSector(8, 1, 12, 5, 8, 80);
const Sector SOUTH = MakeSector(2, 6, 6, 10, 16, 96);

// A level with its portals as the editor builds them.
Level MakeBuiltLevel(const std::vector<Sector>& sectors, int startX = 2, int startY = 2, int version = 2)
{
    Level level = NewLevel();
    for (const Sector& s : sectors)
        level.sectors[level.sectorCount++] = s;
    level.startX = static_cast<uint16_t>(startX);
    level.startY = static_cast<uint16_t>(startY);
    level.version = static_cast<uint8_t>(version);
    BuildPortals(&level);
    return level;
}

}  // namespace

TEST_F(VrktoolCli, DiffNamesEachChange)
{
    Level before = MakeBuiltLevel({HALL, EAST, SOUTH});
    Level after = MakeBuiltLevel({WithHeights(SOUTH, 4, 96), HALL, MakeSector(12, 0, 14, 2)}, 3, 3, 1);
    std::string a = Write("before.vrk", SerializeToBytes(before)), b = Write("after.vrk", SerializeToBytes(after));
    std::string hall = Write("hall.vrk", SerializeToBytes(MakeBuiltLevel({HALL, SOUTH})));
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

namespace {

// A random level: count sectors that never intersect, in the columns from
// column on, 16 wide, start in the first sector.
void AddRandomSectors(std::mt19937& random, int column, int count, Level* level)
{
    for (int tries = 0; count > 0 && tries < 400; tries++) {
        int left = column + static_cast<int>(random() % 14), top = static_cast<int>(random() % 30);
        Sector s = MakeSector(left, top, left + 1 + static_cast<int>(random() % 3), top + 1 + random() % 4,
                              random() % 120, 120 + random() % 100);
        bool free = true;
        for (int i = 0; i < level->sectorCount; i++) {
            const Sector& o = level->sectors[i];
            free = free && (s.right <= o.left || o.right <= s.left || s.bottom <= o.top || o.bottom <= s.top);
        }
        if (free) {
            level->sectors[level->sectorCount++] = s;
            count--;
        }
    }
}

// Base's slots whose parity is `parity` (2: every slot) removed or given new
// heights at random, but slot 0, where the start is, never removed; then
// additions in the columns from `column` on; with `header`, perhaps a new
// version, a moved start and two slots swapped.
Level EditLevel(std::mt19937& random, const Level& base, int parity, int column, bool header)
{
    Level level = NewLevel();
    level.version = base.version;
    level.startX = base.startX;
    level.startY = base.startY;
    for (int i = 0; i < base.sectorCount; i++) {
        Sector s = base.sectors[i];
        int fate = (parity == 2 || i % 2 == parity) ? static_cast<int>(random() % 4) : 3;
        if (fate == 0 && i > 0)
            continue;
        if (fate == 1)
            s.floorHeight = static_cast<uint8_t>(s.floorHeight + 1 + random() % 50);
        level.sectors[level.sectorCount++] = s;
    }
    AddRandomSectors(random, column, static_cast<int>(random() % 4), &level);
    if (header && random() % 3 == 0)
        level.version = static_cast<uint8_t>(random() % 4);
    if (header && random() % 3 == 0)
        level.startX = level.sectors[level.sectorCount - 1].left;
    if (header && random() % 3 == 0)
        std::swap(level.sectors[0], level.sectors[level.sectorCount - 1]);
    BuildPortals(&level);
    return level;
}

}  // namespace

// Random levels through the tool: when one side changed nothing or both
// made the same level, the merge is that level byte for byte; changes to
// different sectors merge cleanly in base's order, then ours' additions,
// then theirs'; and diff prints what the library formats.
TEST_F(VrktoolCli, MergeAndDiffOnRandomLevels)
{
    static Level base, x, ours, theirs, expected;
    for (unsigned seed = 1; seed <= 10; seed++) {
        std::mt19937 random(seed);
        base = NewLevel();
        AddRandomSectors(random, 0, 1 + static_cast<int>(random() % 12), &base);
        base.startX = base.sectors[0].left;
        base.startY = base.sectors[0].top;
        BuildPortals(&base);
        x = EditLevel(random, base, 2, 16, true);
        ours = EditLevel(random, base, 0, 32, false);
        theirs = EditLevel(random, base, 1, 48, false);
        expected = NewLevel();
        for (int i = 0, o = 0, t = 0; i < base.sectorCount; i++) {
            bool inOurs = o < ours.sectorCount && SameRectangle(ours.sectors[o], base.sectors[i]);
            bool inTheirs = t < theirs.sectorCount && SameRectangle(theirs.sectors[t], base.sectors[i]);
            if (inOurs && inTheirs)
                expected.sectors[expected.sectorCount++] = i % 2 ? theirs.sectors[t] : ours.sectors[o];
            o += inOurs;
            t += inTheirs;
        }
        for (const Level* side : {&ours, &theirs}) {
            for (int j = 0; j < side->sectorCount; j++) {
                if (side->sectors[j].left >= 16)
                    expected.sectors[expected.sectorCount++] = side->sectors[j];
            }
        }
        expected.startX = base.startX;
        expected.startY = base.startY;
        BuildPortals(&expected);

        std::string b = Write("base.vrk", SerializeToBytes(base)), xf = Write("x.vrk", SerializeToBytes(x));
        std::string o = Write("ours.vrk", SerializeToBytes(ours)), t = Write("theirs.vrk", SerializeToBytes(theirs));
        std::string out = levels.Path("out.vrk");
        const struct {
            std::string ours, theirs;
            const Level& merged;
        } merges[] = {{xf, b, x}, {b, xf, x}, {xf, xf, x}, {o, t, expected}};
        for (const auto& m : merges) {
            ToolRun run = Run({"merge", b, m.ours, m.theirs, "-o", out});
            EXPECT_EQ(0, run.exitCode) << "seed " << seed << ": " << run.err;
            EXPECT_EQ(HexBytes(SerializeToBytes(m.merged)), HexBytes(ReadFileBytes(out)))
                << "seed " << seed << ": merge base " << m.ours << " " << m.theirs;
        }
        LevelDiff diff = DiffLevels(base, x);
        ToolRun run = Run({"diff", b, xf});
        EXPECT_EQ(LevelsDiffer(diff) ? 1 : 0, run.exitCode) << "seed " << seed;
        EXPECT_EQ(FormatLevelDiff(base, x, diff), run.out) << "seed " << seed;
        run = Run({"diff", "--json", b, xf});
        EXPECT_EQ(FormatLevelDiffJson(base, x, diff), run.out) << "seed " << seed;
        EXPECT_NO_THROW(nlohmann::json::parse(run.out)) << run.out;
    }
}

// Conflicts: exit 1, each named on stderr, and OUT a level with ours' side.
// An input that cannot be loaded: exit 2 and OUT as it was.
TEST_F(VrktoolCli, MergeNamesConflictsAndLeavesOutAloneWhenAnInputIsMissing)
{
    std::string base = Write("base.vrk", SerializeToBytes(MakeBuiltLevel({HALL, SOUTH})));
    std::string ours = Write("ours.vrk", SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 4, 96)})));
    std::string theirs = Write("theirs.vrk", SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 24, 96), EAST})));
    std::string out = Write("out.vrk", {1, 2, 3});
    ToolRun run = Run({"merge", base, ours, theirs, "-o", out, "--name", "levels/hall.vrk"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("levels/hall.vrk: conflict: sector left 2 top 6 right 6 bottom 10 changed on both sides: base "
              "floorHeight 16 ceilingHeight 96, ours floorHeight 4 ceilingHeight 96, theirs floorHeight 24 "
              "ceilingHeight 96; ours kept\n"
              "levels/hall.vrk: 1 conflict: the merged level keeps ours' side of each; redo theirs' by hand\n",
              run.err);
    Bytes merged = SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 4, 96), EAST}));
    EXPECT_EQ(HexBytes(merged), HexBytes(ReadFileBytes(out)));

    ToolRun missing = Run({"merge", base, levels.Path("missing.vrk"), theirs, "-o", out});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ(0u, missing.err.find(levels.Path("missing.vrk") + ": cannot be read: ")) << missing.err;
    EXPECT_EQ(HexBytes(merged), HexBytes(ReadFileBytes(out))) << "OUT must be left as it was";
    EXPECT_EQ((std::vector<std::string>{"base.vrk", "ours.vrk", "out.vrk", "theirs.vrk"}), levels.Names());
}

// The new level's picture with the changes marked; every other pixel is the
// plain picture's, and the picture covers the old level too.
TEST_F(VrktoolCli, RenderCompareMarksTheChanges)
{
    std::string before = Write("before.vrk", SerializeToBytes(MakeBuiltLevel({HALL, EAST, SOUTH}, 1, 1)));
    std::string after = Write("after.vrk", SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 4, 96),
                                                                            MakeSector(0, 6, 2, 8)})));
    std::string marked = levels.Path("marked.png"), plain = levels.Path("plain.png");
    ASSERT_EQ(0, Run({"render", after, "-o", marked, "--compare", before}).exitCode);
    ASSERT_EQ(0, Run({"render", after, "-o", plain, "--size", "208", "176"}).exitCode);
    PngPicture m, p;
    ASSERT_TRUE(ReadPngFile(marked, &m) && ReadPngFile(plain, &p));
    EXPECT_EQ(208, m.width) << "one cell past the removed room at column 12";
    EXPECT_EQ(176, m.height);
    ExpectPixel(m, 8 * 16 + 1, 3 * 16, 0xFF00FF, "the removed room's left edge, one pixel in");
    ExpectPixel(m, 3 * 16, 10 * 16 - 2, 0xFF8000, "the changed room's bottom edge, one pixel in");
    ExpectPixel(m, 1, 7 * 16, 0x00FFFF, "the added room's left edge");
    ExpectPixel(m, 24, 24, 0xFFFFFF, "the old start cell's middle");
    ExpectPixel(m, 40, 40, 0x00FF00, "the new start cell's middle");
    ASSERT_EQ(p.pixels.size(), m.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < m.pixels.size(); i++) {
        uint32_t c = m.pixels[i];
        if (c == p.pixels[i])
            continue;
        differing++;
        EXPECT_TRUE(c == 0xFF00FF || c == 0xFF8000 || c == 0x00FFFF || c == 0xFFFFFF)
            << "pixel " << i % m.width << ", " << i / m.width << ": " << DescribePixel(c);
    }
    EXPECT_GT(differing, 0u);
}
