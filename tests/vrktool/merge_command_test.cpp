// vrktool merge: random levels merged and diffed, conflicts named.
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "level_diff.h"
#include "vrktool_cli.h"

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

// What diff prints for two of these levels, written from the documented
// line forms with sectors known by their rectangles (unique here), and the
// count of added, removed and changed sectors.
std::string ExpectedDiff(const Level& a, const Level& b, size_t* sectorChanges)
{
    auto n = [](unsigned value) { return std::to_string(value); };
    auto rectangle = [&](const Sector& s) {
        return "left " + n(s.left) + " top " + n(s.top) + " right " + n(s.right) + " bottom " + n(s.bottom);
    };
    auto slotIn = [](const Level& level, const Sector& s) {
        for (int i = 0; i < level.sectorCount; i++) {
            const Sector& o = level.sectors[i];
            if (o.left == s.left && o.top == s.top && o.right == s.right && o.bottom == s.bottom)
                return i;
        }
        return -1;
    };
    std::string removed, added, changed;
    *sectorChanges = 0;
    bool reordered = false;
    for (int i = 0, last = -1; i < a.sectorCount; i++) {
        const Sector& s = a.sectors[i];
        int j = slotIn(b, s);
        if (j < 0)
            removed += "removed sector " + n(i) + ": " + rectangle(s) + " floorHeight " + n(s.floorHeight) +
                       " ceilingHeight " + n(s.ceilingHeight) + "\n";
        reordered = reordered || (j >= 0 && j < last);
        last = j < 0 ? last : j;
    }
    for (int j = 0; j < b.sectorCount; j++) {
        const Sector& s = b.sectors[j];
        int i = slotIn(a, s);
        if (i < 0)
            added += "added sector " + n(j) + ": " + rectangle(s) + " floorHeight " + n(s.floorHeight) +
                     " ceilingHeight " + n(s.ceilingHeight) + "\n";
        else if (a.sectors[i].floorHeight != s.floorHeight)  // the edits change floors only
            changed += "changed sector " + n(j) + ": " + rectangle(s) + " floorHeight " +
                       n(a.sectors[i].floorHeight) + " -> " + n(s.floorHeight) + " ceilingHeight " +
                       n(s.ceilingHeight) + "\n";
    }
    for (const std::string* lines : {&removed, &added, &changed})
        *sectorChanges += static_cast<size_t>(std::count(lines->begin(), lines->end(), '\n'));
    Bytes before = SerializeToBytes(a), after = SerializeToBytes(b);
    before.erase(before.begin(), before.begin() + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * a.sectorCount);
    after.erase(after.begin(), after.begin() + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * b.sectorCount);
    return (a.version != b.version ? "version " + n(a.version) + " -> " + n(b.version) + "\n" : "") +
           (a.startX != b.startX || a.startY != b.startY
                ? "start " + n(a.startX) + " " + n(a.startY) + " -> " + n(b.startX) + " " + n(b.startY) + "\n"
                : "") +
           removed + added + changed + (reordered ? "order of sectors changed\n" : "") +
           (before != after ? "stored portals changed: " + n(a.portalCount) + " -> " + n(b.portalCount) + "\n" : "");
}

}  // namespace

// Random levels through the tool: when one side changed nothing or both
// made the same level, the merge is that level byte for byte; changes to
// different sectors merge cleanly in base's order, then ours' additions,
// then theirs'; and diff prints each edit.
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
        size_t sectorChanges;
        std::string expectedDiff = ExpectedDiff(base, x, &sectorChanges);
        ToolRun run = Run({"diff", b, xf});
        EXPECT_EQ(expectedDiff.empty() ? 0 : 1, run.exitCode) << "seed " << seed;
        EXPECT_EQ(expectedDiff, run.out) << "seed " << seed;
        run = Run({"diff", "--json", b, xf});
        nlohmann::json json = nlohmann::json::parse(run.out, nullptr, false);
        ASSERT_FALSE(json.is_discarded()) << run.out;
        EXPECT_EQ(sectorChanges, json["added"].size() + json["removed"].size() + json["changed"].size())
            << "seed " << seed << ": " << run.out;
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
    // With --name the message names the level and the side, never the file git made.
    missing = Run({"merge", base, levels.Path("missing.vrk"), theirs, "-o", out, "--name", "levels/hall.vrk"});
    EXPECT_EQ(0u, missing.err.find("levels/hall.vrk (ours): cannot be read: ")) << missing.err;
    EXPECT_EQ((std::vector<std::string>{"base.vrk", "ours.vrk", "out.vrk", "theirs.vrk"}), levels.Names());

    // Both branches add the level: git's BASE is an empty file, a level with no sectors.
    std::string east = Write("east.vrk", SerializeToBytes(MakeBuiltLevel({HALL, EAST})));
    run = Run({"merge", Write("empty.vrk", {}), base, east, "-o", out, "--name", "levels/hall.vrk"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(HexBytes(SerializeToBytes(MakeBuiltLevel({HALL, SOUTH, EAST}))), HexBytes(ReadFileBytes(out)));
}
