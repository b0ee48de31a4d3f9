#include "compare_picture.h"

#include "level_diff.h"

void GetCompareSize(const Level& before, const Level& after, long* width, long* height)
{
    long oldWidth, oldHeight;
    GetDefaultPictureSize(before, &oldWidth, &oldHeight);
    GetDefaultPictureSize(after, width, height);
    *width = *width > oldWidth ? *width : oldWidth;
    *height = *height > oldHeight ? *height : oldHeight;
}

void MarkLevelChanges(const Level& before, const Level& after, MapPicture* picture)
{
    LevelDiff diff = DiffLevels(before, after);
    for (int i : diff.removed)
        MarkSector(before.sectors[i], COMPARE_REMOVED_COLOUR, picture);
    if (diff.startMoved)
        MarkStartCell(before.startX, before.startY, COMPARE_OLD_START_COLOUR, picture);
    for (const SectorChange& c : diff.changed)
        MarkSector(after.sectors[c.afterSlot], COMPARE_CHANGED_COLOUR, picture);
    for (int j : diff.added)
        MarkSector(after.sectors[j], COMPARE_ADDED_COLOUR, picture);
}
