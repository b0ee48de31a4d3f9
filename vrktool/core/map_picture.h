// The editor's map view of a level drawn as plain pixels: the black field,
// the grid, the sectors in slot order with red outlines and filled
// interiors, and the start disc, each pixel as the system's graphics calls
// the editor makes would set it. Also the extras of `vrktool render`:
// shaded interiors, portal edges and enlarged pixels.
#ifndef QUILLMARCH_MAP_PICTURE_H
#define QUILLMARCH_MAP_PICTURE_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "level.h"
#include "map_palette.h"

struct MapPicture {
    int width;
    int height;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row 0 first, left to right
};

enum SectorShade {
    SHADE_NONE,    // black interiors, as the editor draws them
    SHADE_FLOOR,   // a grey whose level is the floor height
    SHADE_CEILING  // likewise the ceiling height
};

// The marks of `render --compare`, each in its own colour.
enum : uint32_t {
    COMPARE_ADDED_COLOUR = 0x00FFFF,     // cyan: a sector the new level adds
    COMPARE_REMOVED_COLOUR = 0xFF00FF,   // magenta: a removed sector, where it was
    COMPARE_CHANGED_COLOUR = 0xFF8000,   // orange: a sector whose heights changed
    COMPARE_OLD_START_COLOUR = 0xFFFFFF  // white: the start cell's old place
};

// The largest picture the tool makes: each side and the whole count.
enum { MAX_PICTURE_SIDE = 16384,
       MAX_PICTURE_PIXELS = 1 << 26 };

// The smallest whole number of cells from cell (0, 0) that shows every
// sector and the start cell, plus one cell on the right and at the bottom,
// in pixels. Up to 16 x 65537 on each side.
void GetDefaultPictureSize(const Level& level, long* width, long* height);

// Draws the view into a width x height picture, as the editor draws a
// client area of that size with nothing selected.
void DrawMapView(const Level& level, SectorShade shade, int width, int height, MapPicture* picture);

// Draws each portal's edge, two pixels wide over the two outlines that meet
// there. A portal whose sector or twin is not in the tables is skipped.
void DrawPortalEdges(const Level& level, const Portal* portals, size_t count, MapPicture* picture);

// Outlines the sector's rectangle two pixels deep, inward, in colour.
void MarkSector(const Sector& sector, uint32_t colour, MapPicture* picture);

// A disc in colour on the cell, the start disc's shape.
void MarkStartCell(unsigned column, unsigned row, uint32_t colour, MapPicture* picture);

// Makes each pixel a scale x scale block.
void ScalePicture(MapPicture* picture, int scale);

#endif
