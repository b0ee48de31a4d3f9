// Sectors and portals made in one line, and their text in failure messages.
#ifndef QUILLMARCH_TEST_SECTORS_H
#define QUILLMARCH_TEST_SECTORS_H

#include <string>

#include "level.h"

// The heights default to those of a sector drawn with the mouse.
Sector MakeSector(int left, int top, int right, int bottom, int floorHeight = 128, int ceilingHeight = 132);

// "[l, r) x [t, b) floor/ceiling" for failure messages.
std::string DescribeSector(const Sector& s);
// "{offsetX, offsetY, length, sector, twin}" for failure messages.
std::string DescribePortal(const Portal& p);

#endif
