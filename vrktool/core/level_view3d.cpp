#include "level_view3d.h"

#include <algorithm>

#include "level_diff.h"
#include "level_mesh.h"
#include "portals.h"

namespace {

// The picture plane in sixteenths of a pixel. A cell is 8 pixels to the
// right and 4 down along each map axis (the 2:1 of isometric pictures), a
// height unit 1.75 pixels up: near the proportions of the export's default
// scale seen from 30 degrees above.
const long long ACROSS = 128, DOWN = 64, UP = 28;
const long long MARGIN = 8 * 16;

// The map turned so that the corner seen from lies toward +x' and +z'.
void Turn(int corner, long long x, long long z, long long* tx, long long* tz)
{
    switch (corner) {
    case FROM_NE:
        *tx = -z;
        *tz = x;
        break;
    case FROM_NW:
        *tx = -x;
        *tz = -z;
        break;
    case FROM_SW:
        *tx = z;
        *tz = -x;
        break;
    default:
        *tx = x;
        *tz = z;
        break;
    }
}

void Project(long long tx, long long y, long long tz, long long* sx, long long* sy)
{
    *sx = (tx - tz) * ACROSS;
    *sy = (tx + tz) * DOWN - y * UP;
}

// The level's mesh, with the portals its sectors give.
void BuildMeshOf(const Level& level, LevelMesh* mesh)
{
    static Level built;
    built = level;
    BuildPortals(&built);
    BuildLevelMesh(built, mesh);
}

struct Bounds {
    bool any = false;
    long long left = 0, top = 0, right = 0, bottom = 0;
    void Add(long long x, long long y)
    {
        left = any ? std::min(left, x) : x;
        right = any ? std::max(right, x) : x;
        top = any ? std::min(top, y) : y;
        bottom = any ? std::max(bottom, y) : y;
        any = true;
    }
};

void AddCell(int corner, int column, int row, int height, Bounds* bounds)
{
    for (int k = 0; k < 4; k++) {
        long long tx, tz, sx, sy;
        Turn(corner, column + (k & 1), row + (k >> 1), &tx, &tz);
        Project(tx, height, tz, &sx, &sy);
        bounds->Add(sx, sy);
    }
}

void AddLevel(const Level& level, int corner, Bounds* bounds)
{
    static LevelMesh mesh;
    BuildMeshOf(level, &mesh);
    for (const SectorMesh& sector : mesh.sectors) {
        for (const MeshFace& face : sector.faces) {
            int c[4][3];
            GetFaceCorners(face, c);
            for (int i = 0; i < 4; i++) {
                long long tx, tz, sx, sy;
                Turn(corner, c[i][0], c[i][2], &tx, &tz);
                Project(tx, c[i][1], tz, &sx, &sy);
                bounds->Add(sx, sy);
            }
        }
    }
    AddCell(corner, level.startX, level.startY, mesh.startFloor, bounds);
}

uint32_t Blend(uint32_t low, uint32_t high, long t, long most)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        long a = (low >> shift) & 0xFF, b = (high >> shift) & 0xFF;
        out |= static_cast<uint32_t>(a + (b - a) * t / most) << shift;
    }
    return out;
}

// The picture being drawn with the nearness of what each pixel shows.
struct Canvas {
    const View3d* view;
    MapPicture* picture;
    std::vector<int32_t> nearness;
    long long base;  // nearness is kept relative to this, to fit 32 bits
};

// A face turned and projected: a floor over [a0, a1) x [b0, b1) of x', z'
// at height y0, or a wall on x' = c (or z' = c) over [a0, a1) of the other
// and [y0, y1) of height.
struct TurnedFace {
    enum { FLOOR,
           WALL_X,
           WALL_Z } kind;
    long long c, a0, a1, b0, b1, y0, y1;
};

// Whether the pixel centre (sx, sy) lies on the face, and how near it is
// there: larger is nearer, along the line of sight.
bool LocateOnFace(const TurnedFace& f, long long sx, long long sy, long long* near)
{
    if (f.kind == TurnedFace::FLOOR) {
        long long x = 128 * (sy + UP * f.y0) + 64 * sx;  // x' in 1/16384 cells
        long long z = 128 * (sy + UP * f.y0) - 64 * sx;
        *near = 392 * sy + 14560 * f.y0;
        return f.a0 * 16384 <= x && x < f.a1 * 16384 && f.b0 * 16384 <= z && z < f.b1 * 16384;
    }
    long long along = f.kind == TurnedFace::WALL_X ? 128 * f.c - sx : sx + 128 * f.c;  // in 1/128 cells
    long long sum = f.kind == TurnedFace::WALL_X ? 256 * f.c - sx : sx + 256 * f.c;    // x' + z' in 1/128
    long long y = 64 * sum - 128 * sy;                                                 // in 1/3584 units
    *near = 260 * sum - 128 * sy;
    return f.a0 * 128 <= along && along < f.a1 * 128 && f.y0 * 3584 <= y && y < f.y1 * 3584;
}

void FillFace(Canvas* canvas, const TurnedFace& face, const long long corners[4][2], uint32_t colour, bool onTop)
{
    const View3d& v = *canvas->view;
    long long left = corners[0][0], right = left, top = corners[0][1], bottom = top;
    for (int i = 1; i < 4; i++) {
        left = std::min(left, corners[i][0]);
        right = std::max(right, corners[i][0]);
        top = std::min(top, corners[i][1]);
        bottom = std::max(bottom, corners[i][1]);
    }
    long x0 = static_cast<long>(std::max(0LL, (left - v.originX) / 16 - 1));
    long x1 = static_cast<long>(std::min<long long>(v.width, (right - v.originX) / 16 + 2));
    long y0 = static_cast<long>(std::max(0LL, (top - v.originY) / 16 - 1));
    long y1 = static_cast<long>(std::min<long long>(v.height, (bottom - v.originY) / 16 + 2));
    for (long py = y0; py < y1; py++) {
        long long sy = v.originY + py * 16 + 8;
        for (long px = x0; px < x1; px++) {
            long long sx = v.originX + px * 16 + 8, near;
            if (!LocateOnFace(face, sx, sy, &near))
                continue;
            size_t at = static_cast<size_t>(py) * v.width + px;
            int32_t n = static_cast<int32_t>(near - canvas->base);
            if (onTop || n > canvas->nearness[at]) {
                canvas->nearness[at] = n;
                canvas->picture->pixels[at] = colour;
            }
        }
    }
}

// Turns a mesh face for the corner seen from. False for a face the
// picture leaves out: a ceiling, or one turned away from the eye.
bool TurnFace(const MeshFace& face, int corner, TurnedFace* turned, long long projected[4][2])
{
    if (face.facing == FACING_DOWN)
        return false;
    int c[4][3], n[3];
    GetFaceCorners(face, c);
    GetFacingNormal(face.facing, n);
    long long nx, nz;
    Turn(corner, n[0], n[2], &nx, &nz);
    if (face.facing != FACING_UP && nx <= 0 && nz <= 0)
        return false;
    long long tx[4], tz[4];
    for (int i = 0; i < 4; i++) {
        Turn(corner, c[i][0], c[i][2], &tx[i], &tz[i]);
        Project(tx[i], c[i][1], tz[i], &projected[i][0], &projected[i][1]);
    }
    long long xLow = *std::min_element(tx, tx + 4), xHigh = *std::max_element(tx, tx + 4);
    long long zLow = *std::min_element(tz, tz + 4), zHigh = *std::max_element(tz, tz + 4);
    if (face.facing == FACING_UP) {
        *turned = {TurnedFace::FLOOR, 0, xLow, xHigh, zLow, zHigh, face.y0, face.y0};
    } else if (nx != 0) {
        *turned = {TurnedFace::WALL_X, xLow, zLow, zHigh, 0, 0, face.y0, face.y1};
    } else {
        *turned = {TurnedFace::WALL_Z, zLow, xLow, xHigh, 0, 0, face.y0, face.y1};
    }
    return true;
}

uint32_t ColourOf(const MeshFace& face, int corner, int lowFloor, int highFloor)
{
    if (face.facing == FACING_UP) {
        if (highFloor == lowFloor)
            return Blend(VIEW3D_LOW_FLOOR_COLOUR, VIEW3D_HIGH_FLOOR_COLOUR, 1, 2);
        return Blend(VIEW3D_LOW_FLOOR_COLOUR, VIEW3D_HIGH_FLOOR_COLOUR, face.y0 - lowFloor, highFloor - lowFloor);
    }
    int n[3];
    GetFacingNormal(face.facing, n);
    long long nx, nz;
    Turn(corner, n[0], n[2], &nx, &nz);
    bool lit = nx > 0;
    if (face.material == MESH_STEP)
        return lit ? VIEW3D_STEP_LIT_COLOUR : VIEW3D_STEP_DARK_COLOUR;
    return lit ? VIEW3D_WALL_LIT_COLOUR : VIEW3D_WALL_DARK_COLOUR;
}

// A cell's floor as a face of its own, for the start marks.
void FillCell(Canvas* canvas, int column, int row, int height, uint32_t colour)
{
    MeshFace cell = {MESH_FLOOR, FACING_UP, column, row, column + 1, row + 1, height, height};
    TurnedFace turned;
    long long projected[4][2];
    TurnFace(cell, canvas->view->corner, &turned, projected);
    FillFace(canvas, turned, projected, colour, true);
}

void PlotBlock(MapPicture* picture, long x, long y, uint32_t colour)
{
    for (long dy = 0; dy < 2; dy++) {
        for (long dx = 0; dx < 2; dx++) {
            if (x + dx >= 0 && x + dx < picture->width && y + dy >= 0 && y + dy < picture->height)
                picture->pixels[static_cast<size_t>(y + dy) * picture->width + x + dx] = colour;
        }
    }
}

// A line two pixels thick between two points of the picture plane.
void DrawLine(const View3d& v, long long from[2], long long to[2], uint32_t colour, MapPicture* picture)
{
    long x0 = static_cast<long>((from[0] - v.originX) / 16), y0 = static_cast<long>((from[1] - v.originY) / 16);
    long x1 = static_cast<long>((to[0] - v.originX) / 16), y1 = static_cast<long>((to[1] - v.originY) / 16);
    long dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y0 - y1 : y1 - y0;
    long stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1, error = dx + dy;
    for (;;) {
        PlotBlock(picture, x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            break;
        long twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

// The outline of a rectangle of the map at a height.
void OutlineRectangle(const View3d& v, int left, int top, int right, int bottom, int height, uint32_t colour,
                      MapPicture* picture)
{
    const int corners[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    long long projected[4][2];
    for (int i = 0; i < 4; i++) {
        long long tx, tz;
        Turn(v.corner, corners[i][0], corners[i][1], &tx, &tz);
        Project(tx, height, tz, &projected[i][0], &projected[i][1]);
    }
    for (int i = 0; i < 4; i++)
        DrawLine(v, projected[i], projected[(i + 1) % 4], colour, picture);
}

void OutlineSector(const View3d& v, const Sector& s, uint32_t colour, MapPicture* picture)
{
    OutlineRectangle(v, std::min(s.left, s.right), std::min(s.top, s.bottom), std::max(s.left, s.right),
                     std::max(s.top, s.bottom), s.floorHeight, colour, picture);
}

}  // namespace

void Frame3dView(const Level& level, const Level* before, int corner, View3d* view)
{
    Bounds bounds;
    AddLevel(level, corner, &bounds);
    if (before)
        AddLevel(*before, corner, &bounds);
    view->corner = corner;
    view->originX = bounds.left - MARGIN;
    view->originY = bounds.top - MARGIN;
    view->width = static_cast<long>((bounds.right + MARGIN - view->originX + 15) / 16);
    view->height = static_cast<long>((bounds.bottom + MARGIN - view->originY + 15) / 16);
}

void Draw3dView(const Level& level, const View3d& view, MapPicture* picture)
{
    static LevelMesh mesh;
    BuildMeshOf(level, &mesh);
    picture->width = static_cast<int>(view.width);
    picture->height = static_cast<int>(view.height);
    picture->pixels.assign(static_cast<size_t>(view.width) * view.height, VIEW3D_FIELD_COLOUR);
    Canvas canvas = {&view, picture, std::vector<int32_t>(picture->pixels.size(), INT32_MIN), 392 * view.originY};

    int lowFloor = 255, highFloor = 0;
    for (const SectorMesh& sector : mesh.sectors) {
        for (const MeshFace& face : sector.faces) {
            if (face.facing == FACING_UP) {
                lowFloor = std::min(lowFloor, face.y0);
                highFloor = std::max(highFloor, face.y0);
            }
        }
    }
    for (const SectorMesh& sector : mesh.sectors) {
        for (const MeshFace& face : sector.faces) {
            TurnedFace turned;
            long long projected[4][2];
            if (TurnFace(face, view.corner, &turned, projected))
                FillFace(&canvas, turned, projected, ColourOf(face, view.corner, lowFloor, highFloor), false);
        }
    }
    // The start is marked over whatever stands in front of it, so it is
    // never hidden.
    FillCell(&canvas, level.startX, level.startY, mesh.startFloor, MAP_START_COLOUR);
}

void Mark3dChanges(const Level& before, const Level& after, const View3d& view, MapPicture* picture)
{
    LevelDiff diff = DiffLevels(before, after);
    for (int i : diff.removed)
        OutlineSector(view, before.sectors[i], COMPARE_REMOVED_COLOUR, picture);
    if (diff.startMoved) {
        int slot = FindSectorAt(&before, before.startX, before.startY);
        int floor = slot == NO_SECTOR ? 0 : before.sectors[slot].floorHeight;
        OutlineRectangle(view, before.startX, before.startY, before.startX + 1, before.startY + 1, floor,
                         COMPARE_OLD_START_COLOUR, picture);
    }
    for (const SectorChange& c : diff.changed)
        OutlineSector(view, after.sectors[c.afterSlot], COMPARE_CHANGED_COLOUR, picture);
    for (int j : diff.added)
        OutlineSector(view, after.sectors[j], COMPARE_ADDED_COLOUR, picture);
}
