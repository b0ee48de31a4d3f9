#include "map_picture.h"

namespace {

// A one-pixel cosmetic pen fills a 16 x 16 ellipse this way, the same at
// every position: 'R' outline, 'G' interior, '.' left as it was.
const char START_DISC[CELL_SIZE][CELL_SIZE + 1] = {
    ".....RRRRRR.....",
    "....RGGGGGGR....",
    "..RRGGGGGGGGRR..",
    "..RGGGGGGGGGGR..",
    ".RGGGGGGGGGGGGR.",
    "RGGGGGGGGGGGGGGR",
    "RGGGGGGGGGGGGGGR",
    "RGGGGGGGGGGGGGGR",
    "RGGGGGGGGGGGGGGR",
    "RGGGGGGGGGGGGGGR",
    "RGGGGGGGGGGGGGGR",
    ".RGGGGGGGGGGGGR.",
    "..RGGGGGGGGGGR..",
    "..RRGGGGGGGGRR..",
    "....RGGGGGGR....",
    ".....RRRRRR.....",
};

long Max(long a, long b) { return a > b ? a : b; }
long Min(long a, long b) { return a < b ? a : b; }

// Fills the pixels [left, right) x [top, bottom) that lie in the picture.
void FillBox(MapPicture* picture, long left, long top, long right, long bottom, uint32_t colour)
{
    left = Max(left, 0);
    top = Max(top, 0);
    right = Min(right, picture->width);
    bottom = Min(bottom, picture->height);
    for (long y = top; y < bottom; y++) {
        uint32_t* row = picture->pixels.data() + y * picture->width;
        for (long x = left; x < right; x++)
            row[x] = colour;
    }
}

uint32_t Grey(unsigned level)
{
    return level << 16 | level << 8 | level;
}

// A line from (x, top) down to (x, bottom) leaves out its last pixel; so
// does one across, so the grid covers [0, width) x [0, height) exactly.
void DrawGrid(MapPicture* picture)
{
    for (long x = 0; x <= picture->width; x += CELL_SIZE)
        FillBox(picture, x, 0, x + 1, picture->height, MAP_GRID_COLOUR);
    for (long y = 0; y <= picture->height; y += CELL_SIZE)
        FillBox(picture, 0, y, picture->width, y + 1, MAP_GRID_COLOUR);
}

// A rectangle given the wrong way round, with its corners put in order, in
// pixels. False when it has no width or no height.
bool GetSectorBox(const Sector& s, long* left, long* top, long* right, long* bottom)
{
    *left = Min(s.left, s.right) * long(CELL_SIZE);
    *right = Max(s.left, s.right) * long(CELL_SIZE);
    *top = Min(s.top, s.bottom) * long(CELL_SIZE);
    *bottom = Max(s.top, s.bottom) * long(CELL_SIZE);
    return *left != *right && *top != *bottom;
}

// A rectangle given the wrong way round is drawn with its corners put in
// order; one with no width or no height draws nothing. The outline takes
// the pixels just inside the right and bottom edges, the brush the rest.
void DrawSector(MapPicture* picture, const Sector& s, uint32_t interior)
{
    long left, top, right, bottom;
    if (!GetSectorBox(s, &left, &top, &right, &bottom))
        return;
    FillBox(picture, left, top, right, top + 1, MAP_SECTOR_COLOUR);
    FillBox(picture, left, bottom - 1, right, bottom, MAP_SECTOR_COLOUR);
    FillBox(picture, left, top, left + 1, bottom, MAP_SECTOR_COLOUR);
    FillBox(picture, right - 1, top, right, bottom, MAP_SECTOR_COLOUR);
    FillBox(picture, left + 1, top + 1, right - 1, bottom - 1, interior);
}

void DrawStartDisc(MapPicture* picture, unsigned column, unsigned row)
{
    long left = column * long(CELL_SIZE);
    long top = row * long(CELL_SIZE);
    for (int y = 0; y < CELL_SIZE; y++) {
        for (int x = 0; x < CELL_SIZE; x++) {
            char c = START_DISC[y][x];
            if (c != '.')
                FillBox(picture, left + x, top + y, left + x + 1, top + y + 1,
                        c == 'R' ? MAP_SECTOR_COLOUR : MAP_START_COLOUR);
        }
    }
}

}  // namespace

void GetDefaultPictureSize(const Level& level, long* width, long* height)
{
    long columns = level.startX + 1L;
    long rows = level.startY + 1L;
    for (int i = 0; i < level.sectorCount && i < MAX_SECTORS; i++) {
        const Sector& s = level.sectors[i];
        columns = Max(columns, Max(s.left, s.right));
        rows = Max(rows, Max(s.top, s.bottom));
    }
    *width = (columns + 1) * CELL_SIZE;
    *height = (rows + 1) * CELL_SIZE;
}

void DrawMapView(const Level& level, SectorShade shade, int width, int height, MapPicture* picture)
{
    picture->width = width;
    picture->height = height;
    picture->pixels.assign(static_cast<size_t>(width) * height, MAP_FIELD_COLOUR);
    DrawGrid(picture);
    for (int i = 0; i < level.sectorCount && i < MAX_SECTORS; i++) {
        const Sector& s = level.sectors[i];
        uint32_t interior = shade == SHADE_FLOOR     ? Grey(s.floorHeight)
                            : shade == SHADE_CEILING ? Grey(s.ceilingHeight)
                                                     : MAP_FIELD_COLOUR;
        DrawSector(picture, s, interior);
    }
    DrawStartDisc(picture, level.startX, level.startY);
}

void DrawPortalEdges(const Level& level, const Portal* portals, size_t count, MapPicture* picture)
{
    for (size_t i = 0; i < count; i++) {
        const Portal& p = portals[i];
        if (p.sector >= level.sectorCount || p.twin >= count || portals[p.twin].sector >= level.sectorCount)
            continue;
        const Sector& a = level.sectors[p.sector];
        const Sector& b = level.sectors[portals[p.twin].sector];
        // The pair's start corner, in the stored 16-bit arithmetic.
        long x = static_cast<uint16_t>(a.left + p.offsetX) * long(CELL_SIZE);
        long y = static_cast<uint16_t>(a.top + p.offsetY) * long(CELL_SIZE);
        long length = p.length * long(CELL_SIZE);
        // A neighbour above or below shares a horizontal edge; any other a
        // vertical one, as the portal builder finds them.
        if (a.top == b.bottom || a.bottom == b.top)
            FillBox(picture, x, y - 1, x + length, y + 1, MAP_PORTAL_COLOUR);
        else
            FillBox(picture, x - 1, y, x + 1, y + length, MAP_PORTAL_COLOUR);
    }
}

void MarkSector(const Sector& sector, uint32_t colour, MapPicture* picture)
{
    long left, top, right, bottom;
    if (!GetSectorBox(sector, &left, &top, &right, &bottom))
        return;
    for (long inset = 0; inset < 2; inset++) {
        long l = left + inset, t = top + inset, r = right - inset, b = bottom - inset;
        FillBox(picture, l, t, r, t + 1, colour);
        FillBox(picture, l, b - 1, r, b, colour);
        FillBox(picture, l, t, l + 1, b, colour);
        FillBox(picture, r - 1, t, r, b, colour);
    }
}

void MarkStartCell(unsigned column, unsigned row, uint32_t colour, MapPicture* picture)
{
    long left = column * long(CELL_SIZE);
    long top = row * long(CELL_SIZE);
    for (int y = 0; y < CELL_SIZE; y++) {
        for (int x = 0; x < CELL_SIZE; x++) {
            if (START_DISC[y][x] != '.')
                FillBox(picture, left + x, top + y, left + x + 1, top + y + 1, colour);
        }
    }
}

void ScalePicture(MapPicture* picture, int scale)
{
    if (scale <= 1)
        return;
    int width = picture->width * scale;
    int height = picture->height * scale;
    std::vector<uint32_t> scaled(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; y++) {
        const uint32_t* from = picture->pixels.data() + static_cast<size_t>(y / scale) * picture->width;
        uint32_t* to = scaled.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; x++)
            to[x] = from[x / scale];
    }
    picture->width = width;
    picture->height = height;
    picture->pixels.swap(scaled);
}
