// vrktool portals: what it rewrites, what it leaves, and a failed write.
#include <stdint.h>
#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "vrktool_cli.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
