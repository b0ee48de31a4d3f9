#include "level_merge.h"

#include "level_diff.h"
#include "portals.h"

namespace {

std::string Number(unsigned value)
{
    return std::to_string(value);
}

std::string DescribeCell(unsigned x, unsigned y)
{
    return Number(x) + " " + Number(y);
}

// Everything a file keeps of a level but its portals, which are derived.
bool SameLevel(const Level& a, const Level& b)
{
    if (a.version != b.version || a.startX != b.startX || a.startY != b.startY || a.sectorCount != b.sectorCount)
        return false;
    for (int i = 0; i < a.sectorCount; i++) {
        if (!SameRectangle(a.sectors[i], b.sectors[i]) || !SameHeights(a.sectors[i], b.sectors[i]))
            return false;
    }
    return true;
}

struct Merge {
    const Level& base;
    const Level& ours;
    const Level& theirs;
    Level* merged;
    std::vector<std::string>* conflicts;
    int oursOfBase[MAX_SECTORS], baseOfOurs[MAX_SECTORS];
    int theirsOfBase[MAX_SECTORS], baseOfTheirs[MAX_SECTORS];
};

void Append(Merge* m, const Sector& s)
{
    m->merged->sectors[m->merged->sectorCount++] = s;
}

// A sector of base: kept with the heights of the side that changed them,
// or removed where one side removed it and the other left it alone.
void MergeBaseSector(Merge* m, int slot)
{
    const Sector& b = m->base.sectors[slot];
    int o = m->oursOfBase[slot], t = m->theirsOfBase[slot];
    std::string name = "sector " + DescribeRectangle(b);
    if (o != NO_SECTOR && t != NO_SECTOR) {
        const Sector& ours = m->ours.sectors[o];
        const Sector& theirs = m->theirs.sectors[t];
        if (SameHeights(ours, theirs) || SameHeights(theirs, b)) {
            Append(m, ours);
        } else if (SameHeights(ours, b)) {
            Append(m, theirs);
        } else {
            m->conflicts->push_back(name + " changed on both sides: base " + DescribeHeights(b) + ", ours " +
                                    DescribeHeights(ours) + ", theirs " + DescribeHeights(theirs) + "; ours kept");
            Append(m, ours);
        }
    } else if (o != NO_SECTOR) {
        const Sector& ours = m->ours.sectors[o];
        if (!SameHeights(ours, b)) {
            m->conflicts->push_back(name + " changed in ours to " + DescribeHeights(ours) +
                                    ", removed in theirs; kept as ours has it");
            Append(m, ours);
        }
    } else if (t != NO_SECTOR) {
        const Sector& theirs = m->theirs.sectors[t];
        if (!SameHeights(theirs, b))
            m->conflicts->push_back(name + " removed in ours, changed in theirs to " + DescribeHeights(theirs) +
                                    "; left out as ours has it");
    }
}

// Theirs' additions after ours': the same rectangle added on both sides is
// one sector; an addition that would overlap the merged level or pass the
// table is left out.
void MergeTheirAdditions(Merge* m, const std::vector<int>& ourAdditions)
{
    std::vector<bool> paired(ourAdditions.size(), false);
    for (int t = 0; t < m->theirs.sectorCount; t++) {
        if (m->baseOfTheirs[t] != NO_SECTOR)
            continue;
        const Sector& s = m->theirs.sectors[t];
        std::string name = "sector " + DescribeRectangle(s) + " added in theirs";
        size_t twin = 0;
        while (twin < ourAdditions.size() && (paired[twin] || !SameRectangle(m->ours.sectors[ourAdditions[twin]], s)))
            twin++;
        if (twin < ourAdditions.size()) {
            paired[twin] = true;
            const Sector& ours = m->ours.sectors[ourAdditions[twin]];
            if (!SameHeights(ours, s))
                m->conflicts->push_back("sector " + DescribeRectangle(s) + " added on both sides: ours " +
                                        DescribeHeights(ours) + ", theirs " + DescribeHeights(s) + "; ours kept");
            continue;
        }
        const Level& level = *m->merged;
        int hit = NO_SECTOR;
        for (int i = 0; i < level.sectorCount && hit == NO_SECTOR; i++) {
            if (SectorsIntersect(&level.sectors[i], &s))
                hit = i;
        }
        if (hit != NO_SECTOR) {
            m->conflicts->push_back(name + " with " + DescribeHeights(s) + " intersects sector " +
                                    DescribeRectangle(level.sectors[hit]) + "; left out");
        } else if (level.sectorCount == MAX_SECTORS) {
            m->conflicts->push_back(name + " with " + DescribeHeights(s) + " would pass " + Number(MAX_SECTORS) +
                                    " sectors; left out");
        } else {
            Append(m, s);
        }
    }
}

// A value of the header taken three ways: the side that changed it, or ours.
template <typename T>
bool TakeValue(const T& base, const T& ours, const T& theirs, T* merged)
{
    *merged = (ours == theirs || theirs == base) ? ours : ours == base ? theirs
                                                                       : ours;
    return ours == theirs || theirs == base || ours == base;
}

void MergeHeader(Merge* m)
{
    const Level &base = m->base, &ours = m->ours, &theirs = m->theirs;
    if (!TakeValue(base.version, ours.version, theirs.version, &m->merged->version))
        m->conflicts->push_back("version changed on both sides: base " + Number(base.version) + ", ours " +
                                Number(ours.version) + ", theirs " + Number(theirs.version) + "; ours kept");
    unsigned baseStart = base.startX | static_cast<unsigned>(base.startY) << 16;
    unsigned ourStart = ours.startX | static_cast<unsigned>(ours.startY) << 16;
    unsigned theirStart = theirs.startX | static_cast<unsigned>(theirs.startY) << 16;
    unsigned start;
    if (!TakeValue(baseStart, ourStart, theirStart, &start))
        m->conflicts->push_back("start cell moved on both sides: base " + DescribeCell(base.startX, base.startY) +
                                ", ours " + DescribeCell(ours.startX, ours.startY) + ", theirs " +
                                DescribeCell(theirs.startX, theirs.startY) + "; ours kept");
    m->merged->startX = static_cast<uint16_t>(start & 0xFFFF);
    m->merged->startY = static_cast<uint16_t>(start >> 16);
}

bool StartsInASector(const Level& level)
{
    return FindSectorAt(&level, level.startX, level.startY) != NO_SECTOR;
}

// The start cell the merge itself put outside every sector: the side it was
// taken from had it inside one of its own. A side that had no sectors, or
// kept its start outside them, asks nothing of the merged level.
void CheckStartCell(Merge* m)
{
    Level* merged = m->merged;
    bool fromOurs = merged->startX == m->ours.startX && merged->startY == m->ours.startY;
    bool fromTheirs = merged->startX == m->theirs.startX && merged->startY == m->theirs.startY;
    if (StartsInASector(*merged) || !((fromOurs && StartsInASector(m->ours)) || (fromTheirs && StartsInASector(m->theirs))))
        return;
    m->conflicts->push_back("start cell " + DescribeCell(merged->startX, merged->startY) +
                            " lies outside every merged sector: ours " + DescribeCell(m->ours.startX, m->ours.startY) +
                            ", theirs " + DescribeCell(m->theirs.startX, m->theirs.startY) + "; ours kept");
    merged->startX = m->ours.startX;
    merged->startY = m->ours.startY;
}

void CopyLevel(const Level& from, Level* to)
{
    to->version = from.version;
    to->startX = from.startX;
    to->startY = from.startY;
    to->sectorCount = from.sectorCount;
    for (int i = 0; i < from.sectorCount; i++)
        to->sectors[i] = from.sectors[i];
}

}  // namespace

int MergeLevels(const Level& base, const Level& ours, const Level& theirs, Level* merged,
                std::vector<std::string>* conflicts)
{
    conflicts->clear();
    merged->sectorCount = 0;
    merged->portalCount = 0;
    // Nothing to take together: one side's level is the result, in its order.
    if (SameLevel(theirs, base) || SameLevel(ours, theirs)) {
        CopyLevel(ours, merged);
        return BuildPortals(merged);
    }
    if (SameLevel(ours, base)) {
        CopyLevel(theirs, merged);
        return BuildPortals(merged);
    }
    Merge m = {base, ours, theirs, merged, conflicts, {}, {}, {}, {}};
    MatchSectors(base, ours, m.oursOfBase, m.baseOfOurs);
    MatchSectors(base, theirs, m.theirsOfBase, m.baseOfTheirs);
    MergeHeader(&m);
    for (int i = 0; i < base.sectorCount; i++)
        MergeBaseSector(&m, i);
    // Every sector so far is one of ours, so ours' additions always fit.
    std::vector<int> ourAdditions;
    for (int o = 0; o < ours.sectorCount; o++) {
        if (m.baseOfOurs[o] == NO_SECTOR) {
            ourAdditions.push_back(o);
            Append(&m, ours.sectors[o]);
        }
    }
    MergeTheirAdditions(&m, ourAdditions);
    CheckStartCell(&m);
    return BuildPortals(merged);
}
