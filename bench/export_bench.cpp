// How fast vrktool export is on a full table: 256 bricks, the portals
// built, the mesh cut and the GLB written in memory, as one export does
// after reading the file.
#include <benchmark/benchmark.h>

#include <vector>

#include "level.h"
#include "level_mesh.h"
#include "level_test_support.h"
#include "mesh_export.h"
#include "portals.h"

namespace {

Level g_bricks;    // 256 bricks in rows, every other row shifted
LevelMesh g_mesh;  // its mesh

void BM_ExportGlb_256Bricks(benchmark::State& state)
{
    FillBrickLayout(&g_bricks, MAX_SECTORS);
    size_t bytes = 0, faces = 0;
    for (auto _ : state) {
        BuildPortals(&g_bricks);
        BuildLevelMesh(g_bricks, &g_mesh);
        std::vector<unsigned char> glb = EncodeGltf(g_bricks, g_mesh, DEFAULT_EXPORT_SCALE, true);
        bytes = glb.size();
        benchmark::DoNotOptimize(glb.data());
    }
    for (const SectorMesh& sector : g_mesh.sectors)
        faces += sector.faces.size();
    state.counters["faces"] = static_cast<double>(faces);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportGlb_256Bricks)->Unit(benchmark::kMillisecond);

}  // namespace
