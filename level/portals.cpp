#include "portals.h"

#include <math.h>

namespace {

struct SharedEdge {
    uint16_t x0, y0;
    uint16_t x1, y1;
    uint16_t sectorA;  // the sector from whose side the edge was found
    uint16_t sectorB;  // its neighbour
};

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

// Two ranges [aStart, aEnd) and [bStart, bEnd) share a stretch of positive
// length. Asking it from both ends at once finds a side that the neighbour's
// side encloses, which a test of only the neighbour's two ends would miss.
bool SpansShare(int aStart, int aEnd, int bStart, int bEnd)
{
    return Max(aStart, bStart) < Min(aEnd, bEnd);
}

// The test of earlier builders: one of the neighbour's two ends lies within
// this side. A neighbour's side that wholly encloses this one fails it.
bool SpansShareOneSided(int aStart, int aEnd, int bStart, int bEnd)
{
    return (aStart <= bStart && bStart < aEnd) || (aStart < bEnd && bEnd <= aEnd);
}

typedef bool (*SpanTest)(int aStart, int aEnd, int bStart, int bEnd);

// The edge that P shares with S, seen from S, tried above, right, below,
// left in that order. Returns false when they share none. The cheap test
// that one side meets the other comes first: most pairs fail it.
template <SpanTest SPANS_SHARE>
bool FindSharedEdge(const Sector& s, const Sector& p, SharedEdge* edge)
{
    int x0, y0, x1, y1;
    if (s.top == p.bottom && SPANS_SHARE(s.left, s.right, p.left, p.right)) {
        x0 = Max(s.left, p.left);
        y0 = s.top;
        x1 = Min(s.right, p.right);
        y1 = s.top;
    } else if (s.right == p.left && SPANS_SHARE(s.top, s.bottom, p.top, p.bottom)) {
        x0 = s.right;
        y0 = Max(s.top, p.top);
        x1 = s.right;
        y1 = Min(s.bottom, p.bottom);
    } else if (s.bottom == p.top && SPANS_SHARE(s.left, s.right, p.left, p.right)) {
        x0 = Max(s.left, p.left);
        y0 = s.bottom;
        x1 = Min(s.right, p.right);
        y1 = s.bottom;
    } else if (s.left == p.right && SPANS_SHARE(s.top, s.bottom, p.top, p.bottom)) {
        x0 = s.left;
        y0 = Max(s.top, p.top);
        x1 = s.left;
        y1 = Min(s.bottom, p.bottom);
    } else {
        return false;
    }
    edge->x0 = static_cast<uint16_t>(x0);
    edge->y0 = static_cast<uint16_t>(y0);
    edge->x1 = static_cast<uint16_t>(x1);
    edge->y1 = static_cast<uint16_t>(y1);
    return true;
}

Portal MakePortal(const SharedEdge& edge, const Sector& owner, int ownerSlot, int twin)
{
    // In double from the start: an edge may be 65535 cells long, and its
    // square does not fit an int.
    double dx = static_cast<double>(edge.x1) - edge.x0;
    double dy = static_cast<double>(edge.y1) - edge.y0;
    Portal portal;
    portal.offsetX = static_cast<uint16_t>(edge.x0 - owner.left);
    portal.offsetY = static_cast<uint16_t>(edge.y0 - owner.top);
    portal.length = static_cast<uint16_t>(static_cast<int>(sqrt(dx * dx + dy * dy)));
    portal.sector = static_cast<uint16_t>(ownerSlot);
    portal.twin = static_cast<uint16_t>(twin);
    return portal;
}

// The builder, with the span test it is given (a template argument, so the
// test is inlined in the search over every pair).
template <SpanTest SPANS_SHARE>
int BuildPortalTable(Level* level)
{
    SharedEdge edges[MAX_SHARED_EDGES];
    bool done[MAX_SECTORS] = {};
    int n = level->sectorCount;
    if (n > MAX_SECTORS)
        n = MAX_SECTORS;  // the table holds no more, whatever the count says
    int edgeCount = 0;
    int leftOut = 0;

    // A pair found from the lower slot's side is not looked at again from
    // the higher slot's side: done[i] marks a slot that has found an edge.
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++) {
            if (j == i || done[j])
                continue;
            SharedEdge edge;
            if (!FindSharedEdge<SPANS_SHARE>(level->sectors[i], level->sectors[j], &edge))
                continue;
            done[i] = true;
            if (edgeCount == MAX_SHARED_EDGES) {
                leftOut++;
                continue;
            }
            edge.sectorA = static_cast<uint16_t>(i);
            edge.sectorB = static_cast<uint16_t>(j);
            edges[edgeCount++] = edge;
        }
    }

    int m = 0;
    for (int e = 0; e < edgeCount; e++) {
        const SharedEdge& edge = edges[e];
        level->portals[m] = MakePortal(edge, level->sectors[edge.sectorA], edge.sectorA, m + 1);
        m++;
        level->portals[m] = MakePortal(edge, level->sectors[edge.sectorB], edge.sectorB, m - 1);
        m++;
    }
    level->portalCount = static_cast<uint16_t>(m);
    return leftOut;
}

}  // namespace

int BuildPortals(Level* level)
{
    return BuildPortalTable<SpansShare>(level);
}

int BuildOneSidedPortals(Level* level)
{
    return BuildPortalTable<SpansShareOneSided>(level);
}
