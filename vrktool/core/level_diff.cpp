#include "level_diff.h"

#include "level_json.h"

namespace {

std::string Number(unsigned value)
{
    return std::to_string(value);
}

// "floorHeight 128 -> 100 ceilingHeight 132": an arrow only where a value changed.
std::string DescribeHeightChange(const Sector& before, const Sector& after)
{
    std::string text = "floorHeight " + Number(before.floorHeight);
    if (before.floorHeight != after.floorHeight)
        text += " -> " + Number(after.floorHeight);
    text += " ceilingHeight " + Number(before.ceilingHeight);
    if (before.ceilingHeight != after.ceilingHeight)
        text += " -> " + Number(after.ceilingHeight);
    return text;
}

bool SamePortals(const Level& a, const Level& b)
{
    if (a.portalCount != b.portalCount)
        return false;
    for (int i = 0; i < a.portalCount && i < MAX_PORTALS; i++) {
        const Portal& p = a.portals[i];
        const Portal& q = b.portals[i];
        if (p.offsetX != q.offsetX || p.offsetY != q.offsetY || p.length != q.length || p.sector != q.sector ||
            p.twin != q.twin)
            return false;
    }
    return true;
}

std::string JsonCell(unsigned x, unsigned y)
{
    return "[" + Number(x) + ", " + Number(y) + "]";
}

std::string JsonList(const std::vector<std::string>& items)
{
    if (items.empty())
        return "[]";
    std::string text = "[";
    for (size_t i = 0; i < items.size(); i++)
        text += (i ? ",\n    " : "\n    ") + items[i];
    return text + "\n  ]";
}

}  // namespace

std::string DescribeRectangle(const Sector& s)
{
    return "left " + Number(s.left) + " top " + Number(s.top) + " right " + Number(s.right) + " bottom " +
           Number(s.bottom);
}

std::string DescribeHeights(const Sector& s)
{
    return "floorHeight " + Number(s.floorHeight) + " ceilingHeight " + Number(s.ceilingHeight);
}

bool SameRectangle(const Sector& a, const Sector& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameHeights(const Sector& a, const Sector& b)
{
    return a.floorHeight == b.floorHeight && a.ceilingHeight == b.ceilingHeight;
}

void MatchSectors(const Level& a, const Level& b, int* matchOfA, int* matchOfB)
{
    for (int i = 0; i < MAX_SECTORS; i++)
        matchOfA[i] = matchOfB[i] = NO_SECTOR;
    // The first free slot of b with the rectangle, so repeated rectangles
    // pair up in table order.
    for (int i = 0; i < a.sectorCount; i++) {
        for (int j = 0; j < b.sectorCount; j++) {
            if (matchOfB[j] == NO_SECTOR && SameRectangle(a.sectors[i], b.sectors[j])) {
                matchOfA[i] = j;
                matchOfB[j] = i;
                break;
            }
        }
    }
}

LevelDiff DiffLevels(const Level& before, const Level& after)
{
    static int matchOfBefore[MAX_SECTORS], matchOfAfter[MAX_SECTORS];
    MatchSectors(before, after, matchOfBefore, matchOfAfter);
    LevelDiff diff = LevelDiff();
    int lastSlot = -1;
    for (int i = 0; i < before.sectorCount; i++) {
        int j = matchOfBefore[i];
        if (j == NO_SECTOR) {
            diff.removed.push_back(i);
            continue;
        }
        if (j < lastSlot)
            diff.reordered = true;
        lastSlot = j;
    }
    for (int j = 0; j < after.sectorCount; j++) {
        int i = matchOfAfter[j];
        if (i == NO_SECTOR)
            diff.added.push_back(j);
        else if (!SameHeights(before.sectors[i], after.sectors[j]))
            diff.changed.push_back(SectorChange{i, j});
    }
    diff.versionChanged = before.version != after.version;
    diff.startMoved = before.startX != after.startX || before.startY != after.startY;
    diff.portalsChanged = !SamePortals(before, after);
    return diff;
}

bool LevelsDiffer(const LevelDiff& diff)
{
    return !diff.removed.empty() || !diff.added.empty() || !diff.changed.empty() || diff.versionChanged ||
           diff.startMoved || diff.reordered || diff.portalsChanged;
}

std::string FormatLevelDiff(const Level& before, const Level& after, const LevelDiff& diff)
{
    std::string text;
    if (diff.versionChanged)
        text += "version " + Number(before.version) + " -> " + Number(after.version) + "\n";
    if (diff.startMoved)
        text += "start " + Number(before.startX) + " " + Number(before.startY) + " -> " + Number(after.startX) + " " +
                Number(after.startY) + "\n";
    for (int i : diff.removed) {
        const Sector& s = before.sectors[i];
        text += "removed sector " + Number(i) + ": " + DescribeRectangle(s) + " " + DescribeHeights(s) + "\n";
    }
    for (int j : diff.added) {
        const Sector& s = after.sectors[j];
        text += "added sector " + Number(j) + ": " + DescribeRectangle(s) + " " + DescribeHeights(s) + "\n";
    }
    for (const SectorChange& c : diff.changed) {
        const Sector& s = after.sectors[c.afterSlot];
        text += "changed sector " + Number(c.afterSlot) + ": " + DescribeRectangle(s) + " " +
                DescribeHeightChange(before.sectors[c.beforeSlot], s) + "\n";
    }
    if (diff.reordered)
        text += "order of sectors changed\n";
    if (diff.portalsChanged)
        text += "stored portals changed: " + Number(before.portalCount) + " -> " + Number(after.portalCount) + "\n";
    return text;
}

std::string FormatLevelDiffJson(const Level& before, const Level& after, const LevelDiff& diff)
{
    std::vector<std::string> added, removed, changed;
    for (int j : diff.added)
        added.push_back(FormatSectorJson(after.sectors[j]));
    for (int i : diff.removed)
        removed.push_back(FormatSectorJson(before.sectors[i]));
    for (const SectorChange& c : diff.changed)
        changed.push_back("{\"before\": " + FormatSectorJson(before.sectors[c.beforeSlot]) +
                          ", \"after\": " + FormatSectorJson(after.sectors[c.afterSlot]) + "}");
    std::string start = "null", version = "null", portals = "null";
    if (diff.startMoved)
        start = "{\"before\": " + JsonCell(before.startX, before.startY) +
                ", \"after\": " + JsonCell(after.startX, after.startY) + "}";
    if (diff.versionChanged)
        version = "[" + Number(before.version) + ", " + Number(after.version) + "]";
    if (diff.portalsChanged)
        portals = "[" + Number(before.portalCount) + ", " + Number(after.portalCount) + "]";
    return "{\n"
           "  \"added\": " +
           JsonList(added) + ",\n"
                             "  \"removed\": " +
           JsonList(removed) + ",\n"
                               "  \"changed\": " +
           JsonList(changed) + ",\n"
                               "  \"start\": " +
           start + ",\n"
                   "  \"version\": " +
           version + ",\n"
                     "  \"reordered\": " +
           (diff.reordered ? "true" : "false") + ",\n"
                                                 "  \"portals\": " +
           portals + "\n"
                     "}\n";
}
