#include "level_mesh.h"

#include <algorithm>

#include "portals.h"

namespace {

// A stretch [from, to) of one side of a sector, shared with a neighbour
// through a portal.
struct SharedPiece {
    int from, to;
    int neighbour;
};

// The four sides, each as the line it lies on and the way it faces.
enum Side { SIDE_TOP,
            SIDE_RIGHT,
            SIDE_BOTTOM,
            SIDE_LEFT,
            SIDE_COUNT };

// Which side of its owner a portal lies on: the one on whose line its start
// and end both sit and which the neighbour's facing side also lies on, as
// the builder found it.
int FindPortalSide(const Sector& s, const Sector& b, const Portal& p, int* from, int* to)
{
    int x = s.left + p.offsetX, y = s.top + p.offsetY;
    if (y == s.top && b.bottom == s.top && x + p.length <= s.right) {
        *from = x;
        *to = x + p.length;
        return SIDE_TOP;
    }
    if (x == s.right && b.left == s.right && y + p.length <= s.bottom) {
        *from = y;
        *to = y + p.length;
        return SIDE_RIGHT;
    }
    if (y == s.bottom && b.top == s.bottom && x + p.length <= s.right) {
        *from = x;
        *to = x + p.length;
        return SIDE_BOTTOM;
    }
    if (x == s.left && b.right == s.left && y + p.length <= s.bottom) {
        *from = y;
        *to = y + p.length;
        return SIDE_LEFT;
    }
    return SIDE_COUNT;
}

// A wall piece of side `side` of s over [from, to), from y0 up to y1.
MeshFace MakeWall(const Sector& s, int side, int from, int to, int y0, int y1, int material)
{
    MeshFace f;
    f.material = static_cast<uint8_t>(material);
    f.y0 = y0;
    f.y1 = y1;
    bool across = side == SIDE_TOP || side == SIDE_BOTTOM;
    int line = side == SIDE_TOP ? s.top : side == SIDE_BOTTOM ? s.bottom
                                      : side == SIDE_LEFT     ? s.left
                                                              : s.right;
    f.x0 = across ? from : line;
    f.x1 = across ? to : line;
    f.z0 = across ? line : from;
    f.z1 = across ? line : to;
    // Into the sector: the top side looks south, the left side east.
    static const uint8_t INWARD[SIDE_COUNT] = {FACING_SOUTH, FACING_WEST, FACING_NORTH, FACING_EAST};
    f.facing = INWARD[side];
    return f;
}

// One side cut at the ends of every piece shared on it: a full wall where
// nothing is shared, else the steps below and above the opening, or a full
// wall where the opening closes.
void AddSideWalls(const Level& level, int slot, int side, const std::vector<SharedPiece>& pieces,
                  std::vector<MeshFace>* walls, std::vector<MeshFace>* steps)
{
    const Sector& s = level.sectors[slot];
    bool across = side == SIDE_TOP || side == SIDE_BOTTOM;
    int start = across ? s.left : s.top, end = across ? s.right : s.bottom;
    std::vector<int> cuts = {start, end};
    for (const SharedPiece& p : pieces) {
        cuts.push_back(p.from);
        cuts.push_back(p.to);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    for (size_t i = 0; i + 1 < cuts.size(); i++) {
        int from = cuts[i], to = cuts[i + 1];
        if (from < start || to > end)
            continue;
        const SharedPiece* shared = nullptr;
        for (const SharedPiece& p : pieces) {
            if (p.from <= from && to <= p.to) {
                shared = &p;
                break;
            }
        }
        int floor = s.floorHeight, ceiling = s.ceilingHeight;
        if (!shared) {
            walls->push_back(MakeWall(s, side, from, to, floor, ceiling, MESH_WALL));
            continue;
        }
        const Sector& b = level.sectors[shared->neighbour];
        int low = std::max(floor, int(b.floorHeight)), high = std::min(ceiling, int(b.ceilingHeight));
        if (low >= high) {
            walls->push_back(MakeWall(s, side, from, to, floor, ceiling, MESH_WALL));
            continue;
        }
        if (low > floor)
            steps->push_back(MakeWall(s, side, from, to, floor, low, MESH_STEP));
        if (high < ceiling)
            steps->push_back(MakeWall(s, side, from, to, high, ceiling, MESH_STEP));
    }
}

}  // namespace

void BuildLevelMesh(const Level& level, LevelMesh* mesh)
{
    int n = std::min(int(level.sectorCount), int(MAX_SECTORS));
    mesh->sectors.assign(n, SectorMesh());
    mesh->emptySectors.clear();
    mesh->invertedSectors.clear();

    // Each slot's shared pieces, side by side, from the portals it owns.
    std::vector<std::vector<SharedPiece>> pieces(n * SIDE_COUNT);
    for (int i = 0; i < level.portalCount && i < MAX_PORTALS; i++) {
        const Portal& p = level.portals[i];
        if (p.sector >= n || p.twin >= level.portalCount || level.portals[p.twin].sector >= n)
            continue;
        int neighbour = level.portals[p.twin].sector;
        SharedPiece piece;
        int side = FindPortalSide(level.sectors[p.sector], level.sectors[neighbour], p, &piece.from, &piece.to);
        if (side == SIDE_COUNT || piece.from == piece.to)
            continue;
        piece.neighbour = neighbour;
        pieces[p.sector * SIDE_COUNT + side].push_back(piece);
    }

    for (int slot = 0; slot < n; slot++) {
        const Sector& s = level.sectors[slot];
        SectorMesh& sector = mesh->sectors[slot];
        sector.slot = slot;
        if (s.left >= s.right || s.top >= s.bottom) {
            mesh->emptySectors.push_back(slot);
            continue;
        }
        if (s.floorHeight > s.ceilingHeight) {
            mesh->invertedSectors.push_back(slot);
            continue;
        }
        MeshFace floor = {MESH_FLOOR, FACING_UP, s.left, s.top, s.right, s.bottom, s.floorHeight, s.floorHeight};
        MeshFace ceiling = floor;
        ceiling.material = MESH_CEILING;
        ceiling.facing = FACING_DOWN;
        ceiling.y0 = ceiling.y1 = s.ceilingHeight;
        sector.faces.push_back(floor);
        sector.faces.push_back(ceiling);
        std::vector<MeshFace> walls, steps;
        for (int side = 0; side < SIDE_COUNT; side++)
            AddSideWalls(level, slot, side, pieces[slot * SIDE_COUNT + side], &walls, &steps);
        // A wall of no height (floor at the ceiling) has no area to show.
        for (const MeshFace& w : walls) {
            if (w.y0 < w.y1)
                sector.faces.push_back(w);
        }
        sector.faces.insert(sector.faces.end(), steps.begin(), steps.end());
    }

    int start = FindSectorAt(&level, level.startX, level.startY);
    mesh->startFloor = start == NO_SECTOR ? 0 : level.sectors[start].floorHeight;
}

void DescribeMeshWarnings(const Level& level, const LevelMesh& mesh, int leftOut, std::vector<std::string>* lines)
{
    lines->clear();
    for (int slot : mesh.emptySectors)
        lines->push_back("sector " + std::to_string(slot) + ": empty rectangle, no faces");
    for (int slot : mesh.invertedSectors) {
        const Sector& s = level.sectors[slot];
        lines->push_back("sector " + std::to_string(slot) + ": floor " + std::to_string(s.floorHeight) +
                         " above ceiling " + std::to_string(s.ceilingHeight) + ", no faces");
    }
    if (leftOut > 0)
        lines->push_back(std::to_string(leftOut) + " shared edges left out, the portal table holds " +
                         std::to_string(int(MAX_SHARED_EDGES)) + "; they are walls, as the engine sees them");
}

void GetFacingNormal(int facing, int normal[3])
{
    static const int NORMALS[6][3] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int k = 0; k < 3; k++)
        normal[k] = NORMALS[facing][k];
}

void GetFaceCorners(const MeshFace& f, int c[4][3])
{
    // Each kind in the order that faces the positive way (up, east,
    // south); the opposite facing takes them in reverse.
    int base[4][3];
    bool positive;
    if (f.facing == FACING_UP || f.facing == FACING_DOWN) {
        int b[4][3] = {{f.x0, f.y0, f.z0}, {f.x0, f.y0, f.z1}, {f.x1, f.y0, f.z1}, {f.x1, f.y0, f.z0}};
        std::copy(&b[0][0], &b[0][0] + 12, &base[0][0]);
        positive = f.facing == FACING_UP;
    } else if (f.facing == FACING_SOUTH || f.facing == FACING_NORTH) {
        int b[4][3] = {{f.x0, f.y0, f.z0}, {f.x1, f.y0, f.z0}, {f.x1, f.y1, f.z0}, {f.x0, f.y1, f.z0}};
        std::copy(&b[0][0], &b[0][0] + 12, &base[0][0]);
        positive = f.facing == FACING_SOUTH;
    } else {
        int b[4][3] = {{f.x0, f.y0, f.z1}, {f.x0, f.y0, f.z0}, {f.x0, f.y1, f.z0}, {f.x0, f.y1, f.z1}};
        std::copy(&b[0][0], &b[0][0] + 12, &base[0][0]);
        positive = f.facing == FACING_EAST;
    }
    for (int i = 0; i < 4; i++) {
        int from = positive ? i : 3 - i;
        for (int k = 0; k < 3; k++)
            c[i][k] = base[from][k];
    }
}
