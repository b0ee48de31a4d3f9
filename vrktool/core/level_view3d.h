// A level's mesh drawn as an orthographic picture, seen from above at a
// fixed elevation from one corner of the map, ceilings left out so floors,
// walls and steps show. Whole-number arithmetic throughout, so every
// system draws the same pixels.
#ifndef QUILLMARCH_LEVEL_VIEW3D_H
#define QUILLMARCH_LEVEL_VIEW3D_H

#include <stdint.h>

#include "level.h"
#include "map_picture.h"

// The corner the level is seen from; north is up the map (-y).
enum ViewCorner { FROM_NE,
                  FROM_NW,
                  FROM_SE,
                  FROM_SW };

// The part of the picture plane a picture shows, in sixteenths of a pixel.
struct View3d {
    int corner;
    long long originX, originY;  // the top-left pixel's corner
    long width, height;          // in pixels
};

// The colours of the picture; the start cell is the map view's green and
// the marks of --compare are those of the map view's compare picture.
enum : uint32_t {
    VIEW3D_FIELD_COLOUR = 0x000000,
    VIEW3D_LOW_FLOOR_COLOUR = 0x1E3250,   // the lowest floor of the level
    VIEW3D_HIGH_FLOOR_COLOUR = 0x96BEE6,  // the highest; others between
    VIEW3D_WALL_LIT_COLOUR = 0xBEBEBE,    // a wall turned to the picture's right
    VIEW3D_WALL_DARK_COLOUR = 0x828282,   // one turned to its left
    VIEW3D_STEP_LIT_COLOUR = 0xC89664,
    VIEW3D_STEP_DARK_COLOUR = 0x8C6441
};

// The frame that shows the level whole, and before too when it is given,
// with a margin of 8 pixels.
void Frame3dView(const Level& level, const Level* before, int corner, View3d* view);

// Draws the level's floors, walls and steps, nearest in front, and marks
// the start cell.
void Draw3dView(const Level& level, const View3d& view, MapPicture* picture);

// Outlines, over a picture of after, each change since before in the
// colours of the map view's compare picture, at the floor it concerns:
// removed sectors where they were, the old start, changed and added sectors.
void Mark3dChanges(const Level& before, const Level& after, const View3d& view, MapPicture* picture);

#endif
