// The mesh of vrktool export and render --view 3d: its areas per material
// against the rule of floors, walls and steps, computed cell by cell apart
// from the mesh's own cutting, and what it skips.
#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "level_mesh.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

struct Areas {
    long long of[MESH_MATERIAL_COUNT] = {};
};

// The rule, one cell-long piece of each side at a time: a wall from floor
// to ceiling where no sector with a portal to this one lies across it,
// else the steps below and above the opening, or a wall where it closes.
Areas AreasByTheRule(const Level& level)
{
    Areas a;
    for (int i = 0; i < level.sectorCount; i++) {
        const Sector& s = level.sectors[i];
        if (s.left >= s.right || s.top >= s.bottom || s.floorHeight > s.ceilingHeight)
            continue;
        long long floor = s.floorHeight, ceiling = s.ceilingHeight;
        a.of[MESH_FLOOR] += (s.right - s.left) * (s.bottom - s.top);
        a.of[MESH_CEILING] += (s.right - s.left) * (s.bottom - s.top);
        std::vector<std::pair<int, int>> across;  // the cell beyond each piece
        for (int x = s.left; x < s.right; x++) {
            across.push_back({x, s.top - 1});
            across.push_back({x, s.bottom});
        }
        for (int y = s.top; y < s.bottom; y++) {
            across.push_back({s.left - 1, y});
            across.push_back({s.right, y});
        }
        for (const std::pair<int, int>& cell : across) {
            int b = cell.first < 0 || cell.second < 0 ? NO_SECTOR : FindSectorAt(&level, cell.first, cell.second);
            bool portal = false;
            for (int p = 0; b != NO_SECTOR && p < level.portalCount; p++)
                portal |= level.portals[p].sector == i && level.portals[level.portals[p].twin].sector == b;
            long long low = portal ? std::max<long long>(floor, level.sectors[b].floorHeight) : 0;
            long long high = portal ? std::min<long long>(ceiling, level.sectors[b].ceilingHeight) : 0;
            if (!portal || low >= high) {
                a.of[MESH_WALL] += ceiling - floor;
            } else {
                a.of[MESH_STEP] += (low - floor) + (ceiling - high);
            }
        }
    }
    return a;
}

Areas AreasOfMesh(const LevelMesh& mesh, std::string* badWinding)
{
    Areas a;
    for (const SectorMesh& sector : mesh.sectors) {
        for (const MeshFace& f : sector.faces) {
            bool flat = f.material == MESH_FLOOR || f.material == MESH_CEILING;
            a.of[f.material] += flat ? (long long)(f.x1 - f.x0) * (f.z1 - f.z0)
                                     : (long long)(f.x1 - f.x0 + f.z1 - f.z0) * (f.y1 - f.y0);
            // Counter-clockwise seen from the front: the corners' cross
            // product points the way the face looks.
            int c[4][3], n[3];
            GetFaceCorners(f, c);
            GetFacingNormal(f.facing, n);
            long long u[3], v[3];
            for (int k = 0; k < 3; k++) {
                u[k] = c[1][k] - c[0][k];
                v[k] = c[2][k] - c[0][k];
            }
            long long cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
            if (cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2] <= 0)
                *badWinding = "sector " + std::to_string(sector.slot) + " face of material " +
                              std::to_string(f.material) + " facing " + std::to_string(f.facing);
        }
    }
    return a;
}

uint32_t g_seed = 24;  // the random levels' generator

int Random(int below)
{
    g_seed = g_seed * 1103515245u + 12345u;
    return static_cast<int>((g_seed >> 16) % static_cast<uint32_t>(below));
}

// Up to 30 rectangles that never intersect, with heights close enough
// that openings, steps both ways and closed openings all come up.
Level MakeRandomLevel()
{
    Level level = NewLevel();
    for (int attempt = 0; attempt < 200 && level.sectorCount < 30; attempt++) {
        int left = Random(20), top = Random(20);
        int floor = Random(40);
        Sector s = MakeSector(left, top, left + 1 + Random(6), top + 1 + Random(6), floor, floor + Random(48) - 4);
        bool free = true;
        for (int i = 0; free && i < level.sectorCount; i++) {
            const Sector& o = level.sectors[i];
            free = std::max(s.left, o.left) >= std::min(s.right, o.right) ||
                   std::max(s.top, o.top) >= std::min(s.bottom, o.bottom);
        }
        if (free)
            level.sectors[level.sectorCount++] = s;
    }
    return level;
}

const char* const MATERIALS[] = {"floor", "ceiling", "wall", "step"};

void ExpectAreasFollowTheRule(const Level& level, const std::string& what)
{
    static LevelMesh mesh;
    BuildLevelMesh(level, &mesh);
    std::string badWinding;
    Areas seen = AreasOfMesh(mesh, &badWinding), expected = AreasByTheRule(level);
    EXPECT_EQ("", badWinding) << what << ": a face wound against its facing";
    for (int m = 0; m < MESH_MATERIAL_COUNT; m++)
        EXPECT_EQ(expected.of[m], seen.of[m]) << what << ": " << MATERIALS[m] << " area";
}

}  // namespace

TEST(LevelMesh, AreasPerMaterialFollowTheRuleOnRandomLevels)
{
    for (int n = 0; n < 300; n++) {
        Level level = MakeRandomLevel();
        BuildPortals(&level);
        ExpectAreasFollowTheRule(level, "random level " + std::to_string(n));
    }
}

// The full table leaves edges out: those are walls, as the engine sees them.
TEST(LevelMesh, EdgesLeftOutOfTheFullTableAreWalls)
{
    Level level = NewLevel();
    FillBrickLayout(&level, MAX_SECTORS);
    for (int i = 0; i < level.sectorCount; i++)
        level.sectors[i].floorHeight = static_cast<uint8_t>(i % 7 * 4), level.sectors[i].ceilingHeight = 96;
    int leftOut = BuildPortals(&level);
    ASSERT_GT(leftOut, 0) << "the brick layout must overflow the portal table";
    ExpectAreasFollowTheRule(level, "256 bricks");
}

TEST(LevelMesh, SkippedSectorsAndLeftOutEdgesAreNamed)
{
    const struct {
        std::vector<Sector> sectors;
        int leftOut;
        std::vector<std::string> lines;
    } rows[] = {
        {{MakeSector(0, 0, 1, 1)}, 0, {}},
        {{MakeSector(0, 0, 1, 1), MakeSector(3, 3, 3, 5)}, 0, {"sector 1: empty rectangle, no faces"}},
        {{MakeSector(4, 0, 2, 1, 0, 8)}, 0, {"sector 0: empty rectangle, no faces"}},
        {{MakeSector(0, 0, 1, 1, 9, 8), MakeSector(1, 0, 2, 1, 8, 8)}, 0, {"sector 0: floor 9 above ceiling 8, no faces"}},
        {{MakeSector(0, 0, 1, 1)}, 3, {"3 shared edges left out, the portal table holds 512; they are walls, as the "
                                       "engine sees them"}},
    };
    for (const auto& row : rows) {
        Level level = NewLevel();
        for (const Sector& s : row.sectors)
            level.sectors[level.sectorCount++] = s;
        BuildPortals(&level);
        static LevelMesh mesh;
        BuildLevelMesh(level, &mesh);
        std::vector<std::string> lines;
        DescribeMeshWarnings(level, mesh, row.leftOut, &lines);
        EXPECT_EQ(row.lines, lines) << "level of " << row.sectors.size() << " sectors";
        for (const SectorMesh& sector : mesh.sectors) {
            const Sector& s = level.sectors[sector.slot];
            bool skipped = s.left >= s.right || s.top >= s.bottom || s.floorHeight > s.ceilingHeight;
            EXPECT_EQ(skipped, sector.faces.empty()) << "sector " << sector.slot << " faces";
        }
    }
}
