// Deriving portals from the sectors' shared edges.
#ifndef QUILLMARCH_PORTALS_H
#define QUILLMARCH_PORTALS_H

#include "level.h"

enum { MAX_SHARED_EDGES = MAX_PORTALS / 2 };

// Rewrites the portal table from the sectors: one pair of portals per shared
// edge, in the order the edges are found. Returns how many shared edges did
// not fit the table and were left without portals (0 normally).
int BuildPortals(Level* level);

// The same with the one-sided span test that levels saved by earlier
// builders followed: from a sector whose side lies wholly within its
// neighbour's, without reaching either end of it, the edge is not found,
// so such a pair has portals only when the neighbour's slot finds it.
// For reading such tables; nothing writes them any more.
int BuildOneSidedPortals(Level* level);

#endif
