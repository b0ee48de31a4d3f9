#include "sectors.h"

#include <stdio.h>

Sector MakeSector(int left, int top, int right, int bottom, int floorHeight, int ceilingHeight)
{
    Sector s;
    s.left = static_cast<uint16_t>(left);
    s.top = static_cast<uint16_t>(top);
    s.right = static_cast<uint16_t>(right);
    s.bottom = static_cast<uint16_t>(bottom);
    s.floorHeight = static_cast<uint8_t>(floorHeight);
    s.ceilingHeight = static_cast<uint8_t>(ceilingHeight);
    return s;
}

std::string DescribeSector(const Sector& s)
{
    char text[96];
    snprintf(text, sizeof text, "[%u, %u) x [%u, %u) %u/%u", s.left, s.right, s.top, s.bottom,
             s.floorHeight, s.ceilingHeight);
    return text;
}

std::string DescribePortal(const Portal& p)
{
    char text[96];
    snprintf(text, sizeof text, "{%u, %u, %u, %u, %u}", p.offsetX, p.offsetY, p.length, p.sector, p.twin);
    return text;
}
