// A level as the engine shows it in three dimensions: each sector's floor
// and ceiling, and its walls cut at the ends of the edges it shares, with
// lower and upper steps where a neighbour's opening is narrower. The faces
// are axis-aligned rectangles in the level's own units (cells across, height
// units up), so the writers and the 3D picture scale them as they need.
#ifndef QUILLMARCH_LEVEL_MESH_H
#define QUILLMARCH_LEVEL_MESH_H

#include <stdint.h>

#include <string>
#include <vector>

#include "level.h"

enum MeshMaterial { MESH_FLOOR,
                    MESH_CEILING,
                    MESH_WALL,
                    MESH_STEP,
                    MESH_MATERIAL_COUNT };

// Where a face looks. Map x is +X, map y (down the screen) is +Z, up is +Y.
enum MeshFacing { FACING_UP,
                  FACING_DOWN,
                  FACING_EAST,
                  FACING_WEST,
                  FACING_SOUTH,
                  FACING_NORTH };

// A floor or ceiling covers [x0, x1) x [z0, z1) at height y0 (= y1); a wall
// stands on the line from (x0, z0) to (x1, z1), one of them equal, from y0
// up to y1.
struct MeshFace {
    uint8_t material;
    uint8_t facing;
    int x0, z0, x1, z1;
    int y0, y1;
};

// One sector's faces, in the order floor, ceiling, walls, steps.
struct SectorMesh {
    int slot;
    std::vector<MeshFace> faces;
};

struct LevelMesh {
    std::vector<SectorMesh> sectors;   // every slot, in slot order; a skipped one has no faces
    std::vector<int> emptySectors;     // slots with an empty rectangle
    std::vector<int> invertedSectors;  // slots with the floor above the ceiling
    int startFloor;                    // floor height under the start cell, 0 outside every sector
};

// The faces of level from its sectors and its portal table, which must be
// the one BuildPortals gives: a side shared through no portal, such as an
// edge the full table left out, is a wall.
void BuildLevelMesh(const Level& level, LevelMesh* mesh);

// The warning lines of a mesh, one per sector it skips (naming its slot)
// and one for the shared edges the full portal table left out as walls.
void DescribeMeshWarnings(const Level& level, const LevelMesh& mesh, int leftOut, std::vector<std::string>* lines);

// The four corners of a face counter-clockwise as seen from the side it
// faces, as (x, y, z) in cells and height units.
void GetFaceCorners(const MeshFace& face, int corners[4][3]);

// The unit vector a facing points along, as (x, y, z).
void GetFacingNormal(int facing, int normal[3]);

#endif
