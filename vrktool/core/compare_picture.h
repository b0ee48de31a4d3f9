// The picture a review of a level change attaches: the new level's map
// view with what changed since the old one marked, each kind of change in
// its own colour (map_picture.h), everything else as the plain view.
#ifndef QUILLMARCH_COMPARE_PICTURE_H
#define QUILLMARCH_COMPARE_PICTURE_H

#include "level.h"
#include "map_picture.h"

// The default size that shows both levels whole.
void GetCompareSize(const Level& before, const Level& after, long* width, long* height);

// Marks, over the view of after: the removed sectors where they were, the
// start cell's old place, the sectors whose heights changed and the added
// sectors, in that order, so what the new level holds is marked last.
void MarkLevelChanges(const Level& before, const Level& after, MapPicture* picture);

#endif
