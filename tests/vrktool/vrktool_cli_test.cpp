// What every command shares: bad arguments, "--", "-" for the standard
// streams, output that is the input, files that are no level, names outside
// the code page.
#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "level_json.h"
#include "vrktool_cli.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        {{"review"}, "review: BASE is required"},
        {{"review", "main"}, "review: -o is required"},
        {{"review", "a", "b", "c", "-o", "d"}, "review: BASE: At Most 2 required"},
        {{"review", "main", "-o", "d", "--scale", "9"}, "--scale: Value 9 not in range 1 to 8"},
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
        {{"render", Write("new.vrk", level), "--compare", vrk, "-o", levels.Path("./t.vrk")},
         levels.Path("./t.vrk") + ": is the input file"},
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
    const struct {
        Args args;
        bool console;  // printed to a console on Windows, which shows the name as it is
        int exitCode;
        std::string printed;  // standard output and error, or the console's screen
    } cases[] = {
        {{"check", vrk}, true, 1, vrk + ": stored portals differ from the derived ones: 0 stored, 2 derived, first at portal 0: stored none, derived {1, 0, 1, 0, 1}\n"},
        {{"portals", vrk}, false, 0, ""},
        {{"render", vrk, "-o", levels.Path(stem + ".png")}, false, 0, ""},
        {{"build", levels.Path(stem + ".json"), "-o", vrk}, false, 0, ""},
    };
    for (const auto& c : cases) {
        ToolRunOptions options;
        options.console = c.console;
        ToolRun run = Run(c.args, options);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.args[0] << ": " << run.err;
        EXPECT_EQ(c.printed, run.out + run.err) << c.args[0];
    }
    EXPECT_EQ(HexBytes(built), HexBytes(ReadFileBytes(vrk)));
    EXPECT_EQ("89 50 4e 47", HexBytes(ReadFileBytes(levels.Path(stem + ".png"))).substr(0, 11)) << "a PNG";
    for (const char* extension : {".vrk", ".json", ".png"})
        EXPECT_EQ(HexBytes(neighbour), HexBytes(ReadFileBytes(levels.Path(std::string("Niva") + extension))))
            << "Niva" << extension;
}
