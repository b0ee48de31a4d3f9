// A three-way merge of levels: two designers' changes to one base level
// taken together. Sectors are known by their rectangles, as in level_diff.h.
#ifndef QUILLMARCH_LEVEL_MERGE_H
#define QUILLMARCH_LEVEL_MERGE_H

#include <string>
#include <vector>

#include "level.h"

// Merges ours and theirs, two versions of base, into merged. The version,
// the start cell and each sector are taken from the side that changed
// them; a value changed differently on both sides, a sector removed on one
// side and changed on the other, an addition of theirs that intersects a
// sector of the merged level or finds the table full, and a start cell left
// outside every sector are conflicts: ours' side is kept and each is named
// in conflicts, one line each with both sides' values. The sectors stand
// in base's order, then ours' additions, then theirs'; when one side
// changed nothing, or both made the same level, the merged level is the
// other side's whole. Portals are built as the editor builds them; returns
// how many shared edges did not fit the portal table.
int MergeLevels(const Level& base, const Level& ours, const Level& theirs, Level* merged,
                std::vector<std::string>* conflicts);

#endif
