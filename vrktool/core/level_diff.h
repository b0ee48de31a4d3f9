// What changed between two versions of a level. A sector is known by its
// rectangle: the same rectangle in both versions is the same sector, whose
// heights may have changed; a rectangle in one version only was added or
// removed. Two sectors with one rectangle pair up in table order.
#ifndef QUILLMARCH_LEVEL_DIFF_H
#define QUILLMARCH_LEVEL_DIFF_H

#include <string>
#include <vector>

#include "level.h"

// For each slot of a, the slot of b with the same rectangle, or NO_SECTOR;
// likewise for each slot of b. Each array holds MAX_SECTORS entries.
void MatchSectors(const Level& a, const Level& b, int* matchOfA, int* matchOfB);

bool SameRectangle(const Sector& a, const Sector& b);

// "left 0 top 0 right 4 bottom 2" and "floorHeight 128 ceilingHeight 132",
// as `info` names a sector's fields.
std::string DescribeRectangle(const Sector& s);
std::string DescribeHeights(const Sector& s);
bool SameHeights(const Sector& a, const Sector& b);

struct SectorChange {
    int beforeSlot;
    int afterSlot;
};

struct LevelDiff {
    std::vector<int> removed;           // slots of the old level, in its order
    std::vector<int> added;             // slots of the new level, in its order
    std::vector<SectorChange> changed;  // heights changed, in the new level's order
    bool versionChanged;
    bool startMoved;
    bool reordered;       // sectors both versions hold stand in another order
    bool portalsChanged;  // the stored portal records differ
};

// Compares two levels, each with the portals its file stores in its table.
LevelDiff DiffLevels(const Level& before, const Level& after);

bool LevelsDiffer(const LevelDiff& diff);

// The lines a reviewer reads, in a fixed order: version, start cell,
// removed, added and changed sectors, the order, the stored portals.
// Empty when the levels are the same.
std::string FormatLevelDiff(const Level& before, const Level& after, const LevelDiff& diff);

// The same as one JSON document: added, removed, changed, start, version,
// reordered, portals.
std::string FormatLevelDiffJson(const Level& before, const Level& after, const LevelDiff& diff);

#endif
