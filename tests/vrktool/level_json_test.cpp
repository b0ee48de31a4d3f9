// Level documents: what `info --json` prints reads back to the same bytes,
// and every invalid document is refused with its places and reasons.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "level.h"
#include "level_bytes.h"
#include "level_file.h"
#include "level_json.h"
#include "level_test_support.h"
#include "portals.h"
#include "run_tool.h"

namespace {

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string Repeat(const std::string& text, int count, const char* separator)
{
    std::string all;
    for (int i = 0; i < count; i++)
        all += (i ? separator : "") + text;
    return all;
}

// A whole level with random content: any version and start, up to 256
// sectors anywhere (some given the wrong way round or empty), and either
// the portals the editor builds or up to 1024 made-up ones.
Level RandomLevel(std::mt19937* random)
{
    auto below = [random](unsigned n) { return static_cast<unsigned>((*random)() % n); };
    Level level = NewLevel();
    level.version = static_cast<uint8_t>(below(4) == 0 ? below(256) : unsigned(LEVEL_VERSION));
    level.startX = static_cast<uint16_t>(below(2) ? below(40) : below(65536));
    level.startY = static_cast<uint16_t>(below(2) ? below(40) : below(65536));
    // Full tables now and then; small levels keep the many rounds quick.
    bool full = below(10) == 0;
    level.sectorCount = static_cast<uint16_t>(full ? unsigned(MAX_SECTORS) : below(40));
    unsigned span = below(2) ? 40u : 65536u;
    for (int i = 0; i < level.sectorCount; i++) {
        level.sectors[i] = MakeSector(below(span), below(span), below(span), below(span), below(256), below(256));
        if (span == 40 && below(2)) {  // mostly in order and touching, so portals appear
            Sector& s = level.sectors[i];
            s.right = static_cast<uint16_t>(s.left + 1 + below(4));
            s.bottom = static_cast<uint16_t>(s.top + 1 + below(4));
        }
    }
    if (below(2)) {
        BuildPortals(&level);
    } else {
        level.portalCount = static_cast<uint16_t>(full ? unsigned(MAX_PORTALS) : below(80));
        for (int i = 0; i < level.portalCount; i++)
            level.portals[i] = Portal{static_cast<uint16_t>(below(65536)), static_cast<uint16_t>(below(65536)),
                                      static_cast<uint16_t>(below(65536)), static_cast<uint16_t>(below(65536)),
                                      static_cast<uint16_t>(below(65536))};
    }
    return level;
}

bool Build(const std::string& text, Level* level, JsonBuild* build, std::vector<std::string>* problems)
{
    return BuildLevelFromJson(text.data(), text.size(), level, build, problems);
}

}  // namespace

// info --json, then build: the same bytes, for levels of every shape. Left
// without its portals (and the fields that count them), a JSON document builds
// a level with the portals the editor builds.
TEST(LevelJson, PrintedDocumentsBuildTheSameBytes)
{
    std::mt19937 random(20240610);
    static Level level, built;
    for (int round = 0; round < 300; round++) {
        level = RandomLevel(&random);
        Bytes bytes = SerializeToBytes(level);
        std::string text = FormatLevelJson(bytes.data(), bytes.size(), bytes.size());
        built = NewLevel();
        JsonBuild build;
        std::vector<std::string> problems;
        ASSERT_TRUE(Build(text, &built, &build, &problems)) << "round " << round << ":\n"
                                                            << JoinLines(problems);
        EXPECT_TRUE(build.portalsGiven);
        ASSERT_EQ(HexBytes(bytes), HexBytes(SerializeToBytes(built))) << "round " << round << ", document:\n"
                                                                      << text;

        nlohmann::ordered_json document = nlohmann::ordered_json::parse(text);
        for (const char* key : {"portals", "portalCount", "size"})
            document.erase(key);
        BuildPortals(&level);
        ASSERT_TRUE(Build(document.dump(), &built, &build, &problems)) << JoinLines(problems);
        EXPECT_FALSE(build.portalsGiven);
        ASSERT_EQ(HexBytes(SerializeToBytes(level)), HexBytes(SerializeToBytes(built))) << "round " << round << " without portals";
    }
}

TEST(LevelJson, InvalidDocumentsAreNamedByPlaceAndReason)
{
    const std::string head = "\"version\": 2, \"startX\": 0, \"startY\": 0";
    const std::string sector = "{\"left\": 0, \"top\": 0, \"right\": 1, \"bottom\": 1, \"floorHeight\": 128, "
                               "\"ceilingHeight\": 132}";
    const std::string portal = "{\"offsetX\": 0, \"offsetY\": 0, \"length\": 1, \"sector\": 0, \"twin\": 1}";
    auto level = [&](const std::string& extra) {
        return "{" + head + ", \"sectors\": [" + sector + ", " + sector + "]" + extra + "}";
    };
    std::string manyKeys, manyLines;  // 25 unknown keys: 20 lines, then a count
    for (int i = 0; i < 25; i++) {
        manyKeys += ", \"k" + std::to_string(i) + "\": 0";
        manyLines += i < 20 ? "k" + std::to_string(i) + ": unknown key\n" : "";
    }
    const struct {
        std::string document;
        std::string problems;
    } cases[] = {
        {"", "line 1, column 1: syntax error while parsing value - unexpected end of input; expected '[', '{', or "
             "a literal\n"},
        {"{\"version\": 2,}", "line 1, column 15: syntax error while parsing object key - unexpected '}'; "
                              "expected string literal\n"},
        {level("") + " x", "line 1, column 235: syntax error while parsing value - invalid literal; last read: "
                           "'132}]} x'; expected end of input\n"},
        {"{\"version\": 2, \"startX\": 1e400}", "number overflow parsing '1e400'\n"},
        {"[1, 2]", "document: [1, 2] is not an object\n"},
        {"{\"version\": -0, \"startX\": 2.0, \"startY\": 1e2, \"sectors\": []}",
         "version: -0 is not in 0..255\nstartX: 2.0 is not a whole number in 0..65535\n"
         "startY: 1e2 is not a whole number in 0..65535\n"},
        {level(", \"portals\": [], \"size\": 18446744073709551616"), "size: 18446744073709551616 is not in 0..4294967295\n"},
        {level("") + std::string(1, '\0') + level(""), "line 1, column 234: a NUL byte, which no level document holds\n"},
        {"{\"startX\": [\"\u00e9\u00e9\", \"" + std::string(26, 'a') + "\u00e9\u00e9\u00e9\"], \"version\": 2, "
                                                                       "\"startY\": 0, \"sectors\": []}",
         "startX: [\"\u00e9\u00e9\", \"" + std::string(26, 'a') + "... is not a whole number in 0..65535\n"},
        {"{}", "version: missing\nstartX: missing\nstartY: missing\nsectors: missing\n"},
        {"{\"version\": 2, \"startX\": -1, \"startY\": 65536, \"sectors\": []}",
         "startX: -1 is not in 0..65535\nstartY: 65536 is not in 0..65535\n"},
        {"{\"version\": null, \"startX\": \"3\", \"startY\": 1.5, \"sectors\": []}",
         "version: null is not a whole number in 0..255\nstartX: \"3\" is not a whole number in 0..65535\n"
         "startY: 1.5 is not a whole number in 0..65535\n"},
        {"{" + head + ", \"sectors\": [" + Repeat(sector, 3, ", ") +
             ", {\"left\": 0, \"top\": 0, \"right\": 1, \"bottom\": 1, \"floorHeight\": 300, \"ceilingHeight\": 2}]}",
         "sectors[3].floorHeight: 300 is not in 0..255\n"},
        {"{" + head + ", \"sectors\": [{\"left\": 0, \"top\": 0, \"right\": 1, \"flor\": 1, \"floorHeight\": 1, "
                      "\"ceilingHeight\": 2}]}",
         "sectors[0].bottom: missing\nsectors[0].flor: unknown key\n"},
        {"{" + head + ", \"sectors\": [], \"colour\": 1, \"a b\": 2}", "colour: unknown key\n\"a b\": unknown key\n"},
        {"{" + head + ", \"sectors\": [" + Repeat(sector, 257, ",") + "]}", "sectors: 257 entries, at most 256\n"},
        {level(", \"portals\": [" + Repeat(portal, 1025, ",") + "]"), "portals: 1025 entries, at most 1024\n"},
        {"{" + head + ", \"sectors\": {}}", "sectors: {} is not an array\n"},
        {"{" + head + ", \"sectors\": [5, " + sector + ", \"x\"]}",
         "sectors[0]: 5 is not an object\nsectors[2]: \"x\" is not an object\n"},
        {"{" + head + ", \"startX\": 1, \"sectors\": []}", "startX: given twice\n"},
        {"{" + head + ", \"sectors\": [" + sector + ", {\"left\": 0, \"left\": 1}]}", "sectors[1].left: given twice\n"},
        {"{" + head + ", \"sectors\": [{\"left\": [1]}]}",
         "sectors[0].left: nested deeper than a level document goes\n"},
        {level(", \"sectorCount\": 3"), "sectorCount: 3, but sectors holds 2\n"},
        {level(", \"sectorCount\": 1"), "sectorCount: 1, but sectors holds 2\n"},
        {level(", \"portals\": [" + portal + ", " + portal + "], \"portalCount\": 1"), "portalCount: 1, but portals holds 2\n"},
        {level(", \"portals\": [], \"size\": 28"), "size: 28, but the level is 29 bytes\n"},
        {"{" + head + ", \"sectors\": []" + manyKeys + "}", manyLines + "and 5 more\n"},
        {level(", \"portalCount\": 2"), "portalCount: given without portals; leave both out to have the portals "
                                        "built\n"},
        {level(", \"portals\": [], \"portalCount\": 2"), "portalCount: 2, but portals holds 0\n"},
        {level(", \"size\": 29"), "size: given without portals; leave both out to have the portals built\n"},
        {level(", \"portals\": [], \"size\": 49"), "size: 49, but the level is 29 bytes\n"},
        {level(", \"truncated\": true, \"trailingBytes\": 2"),
         "truncated: true is not false: build writes whole levels only\n"
         "trailingBytes: 2 is not 0: build writes whole levels only\n"},
        {"{\"version\": 2, \"startX\": \"" + std::string(60, 'a') + "\", \"startY\": 0, \"sectors\": []}",
         "startX: \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa... is not a whole number in 0..65535\n"},
        {"{" + head + ", \"sectors\": [" + Repeat("{}", 4, ",") + "]}",
         "sectors[0].left: missing\nsectors[0].top: missing\nsectors[0].right: missing\n"
         "sectors[0].bottom: missing\nsectors[0].floorHeight: missing\nsectors[0].ceilingHeight: missing\n"
         "sectors[1].left: missing\nsectors[1].top: missing\nsectors[1].right: missing\nsectors[1].bottom: "
         "missing\nsectors[1].floorHeight: missing\nsectors[1].ceilingHeight: missing\n"
         "sectors[2].left: missing\nsectors[2].top: missing\nsectors[2].right: missing\nsectors[2].bottom: "
         "missing\nsectors[2].floorHeight: missing\nsectors[2].ceilingHeight: missing\n"
         "sectors[3].left: missing\nsectors[3].top: missing\nand 4 more\n"},
    };
    static Level level0;
    level0 = NewLevel();
    level0.sectorCount = 1;
    level0.sectors[0] = MakeSector(7, 7, 9, 9);
    LevelSnapshot before = TakeSnapshot(level0);
    for (const auto& c : cases) {
        JsonBuild build = {true, 99};
        std::vector<std::string> problems;
        EXPECT_FALSE(Build(c.document, &level0, &build, &problems)) << c.document.substr(0, 200);
        EXPECT_EQ(c.problems, JoinLines(problems)) << "document: " << c.document.substr(0, 200);
        EXPECT_EQ("", DescribeChange(before, level0)) << "a refused document changed the level";
    }
#ifndef _WIN32
    // The refusals a schema can state too (a value out of range or of another
    // type, a key missing or unknown, a table too long): schema/level.schema.json
    // refuses each of those documents.
    const std::regex stated("(.*: (missing|unknown key|.* is not (in|a whole number in) 0\\.\\.[0-9]+|[0-9]+ entries, "
                            "at most [0-9]+|.* is not an (array|object)|.* whole levels only)|and [0-9]+ more)\n");
    ScratchFolder folder;
    std::vector<std::string> args = {QM_SOURCE_DIR "/tests/vrktool/level_schema_check.py",
                                     QM_SOURCE_DIR "/schema/level.schema.json", "refuse"};
    for (const auto& c : cases) {
        bool all = true;
        for (size_t at = 0, end; at < c.problems.size() && all; at = end + 1) {
            end = c.problems.find('\n', at);
            all = std::regex_match(c.problems.substr(at, end + 1 - at), stated);
        }
        std::string path = folder.Path("row" + std::to_string(args.size()) + ".json");
        if (all && WriteFileBytes(path, Bytes(c.document.begin(), c.document.end())))
            args.push_back(path);
    }
    ASSERT_GT(args.size(), 20u) << "rows a schema can state";
    ToolRun run = RunTool("/usr/bin/python3", args, folder.Root());
    EXPECT_EQ(0, run.exitCode) << run.out << run.err;
#endif
}
