// The map view's colours, as 0xRRGGBB, written once for both painters: the
// editor's (GDI pens and brushes into any DC) and the tool's (plain pixels).
// A test holds the two pictures equal.
#ifndef QUILLMARCH_MAP_PALETTE_H
#define QUILLMARCH_MAP_PALETTE_H

#include <stdint.h>

enum : uint32_t {
    MAP_FIELD_COLOUR = 0x000000,      // black: the field and every sector's interior
    MAP_GRID_COLOUR = 0x00007F,       // dark blue: the grid, a line every cell
    MAP_SECTOR_COLOUR = 0xFF0000,     // red: each sector's outline, and the start disc's
    MAP_START_COLOUR = 0x00FF00,      // green: the start disc
    MAP_SELECTION_COLOUR = 0xFFFFFF,  // white: the selection frame, dotted, one pixel outside
    MAP_PORTAL_COLOUR = 0xFFFF00      // yellow: a portal's edge, which only `vrktool render --portals` draws
};

// A colour in the order the system's graphics calls take it, 0x00BBGGRR
// (a COLORREF), for the editor's pens and brushes.
constexpr uint32_t ToColorRef(uint32_t colour)
{
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

#endif
