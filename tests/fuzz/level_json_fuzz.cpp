// Hands arbitrary text to `vrktool build`'s reader of level documents. Each
// input is either refused, with one line per problem and the level left as
// it was, or becomes a level whose file is whole (the right length for its
// counts, no trailing bytes, and, when the portals were built rather than
// given, the portals the editor derives) and which `info --json` prints as
// a document that builds the same bytes again.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "level_json.h"
#include "structural_problem.h"

namespace {

Level g_level;     // what the reader writes into
Level g_previous;  // what a refused document must leave there

struct Findings {
    int structural;
    int stalePortals;
};

void CountProblem(const char* problem, void* context)
{
    Findings* findings = static_cast<Findings*>(context);
    if (!IsStructuralProblem(problem))
        return;
    if (strncmp(problem, "stored portals differ", 21) == 0)
        findings->stalePortals++;
    else
        findings->structural++;
}

std::vector<unsigned char> Serialize(const Level& level)
{
    std::vector<unsigned char> bytes(LevelFileSize(&level));
    FUZZ_CHECK(SerializeLevel(&level, bytes.data(), bytes.size()) == bytes.size(), "a built level does not serialize");
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_previous = NewLevel();
    g_previous.startX = 5;
    g_previous.sectorCount = 1;
    g_previous.sectors[0] = Sector{1, 2, 3, 4, 5, 6};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_level = g_previous;
    JsonBuild build = {false, -1};
    std::vector<std::string> problems;
    bool built = BuildLevelFromJson(reinterpret_cast<const char*>(data), size, &g_level, &build, &problems);
    if (!built) {
        FUZZ_CHECK(!problems.empty(), "a refused document with no problem named");
        for (const std::string& line : problems)
            FUZZ_CHECK(!line.empty() && line.find('\n') == std::string::npos, "a problem that is no single line");
        FUZZ_CHECK(memcmp(&g_level, &g_previous, sizeof g_level) == 0, "a refused document changed the level");
        return 0;
    }
    FUZZ_CHECK(problems.empty(), "a built level with %zu problems", problems.size());
    FUZZ_CHECK(build.leftOut >= 0 && (build.leftOut == 0 || !build.portalsGiven), "left-out count %d", build.leftOut);

    std::vector<unsigned char> bytes = Serialize(g_level);
    Findings findings = {0, 0};
    CheckLevelBytes(bytes.data(), bytes.size(), CountProblem, &findings);
    FUZZ_CHECK(findings.structural == 0, "check finds the built file's structure broken");
    FUZZ_CHECK(build.portalsGiven || findings.stalePortals == 0, "built portals differ from the derived ones");

    // What info --json prints of the file builds the same bytes.
    std::string document = FormatLevelJson(bytes.data(), bytes.size(), bytes.size());
    static Level again;
    again = NewLevel();
    JsonBuild second;
    FUZZ_CHECK(BuildLevelFromJson(document.data(), document.size(), &again, &second, &problems),
               "the printed document is refused: %s", problems.empty() ? "" : problems[0].c_str());
    FUZZ_CHECK(Serialize(again) == bytes, "the printed document builds other bytes");
    return 0;
}
