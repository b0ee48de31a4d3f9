// Deriving portals from the sectors' shared edges.
#ifndef QUILLMARCH_PORTALS_H
#define QUILLMARCH_PORTALS_H

#include "level.h"

enum { MAX_SHARED_EDGES = MAX_PORTALS / 2 };

// Rewrites the portal table from the sectors: one pair of portals per shared
// edge, in the order the edges are found. Returns how many shared edges did
// not fit the table and were left without portals (0 normally).
int BuildPortals(Level* level);

#endif
