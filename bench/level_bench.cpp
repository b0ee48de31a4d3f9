// How fast the level core is on a full table: the portal builder (target
// 100 us for 256 sectors), the overlap test, and a save and load of a full
// level in memory and through the file layer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_file.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

Level g_bricks;  // 256 bricks in rows, every other row shifted: the densest common case

void PrepareBricks()
{
    FillBrickLayout(&g_bricks, MAX_SECTORS);
    BuildPortals(&g_bricks);
}

void BM_BuildPortals_256Bricks(benchmark::State& state)
{
    PrepareBricks();
    int leftOut = 0;
    for (auto _ : state) {
        leftOut = BuildPortals(&g_bricks);
        benchmark::DoNotOptimize(g_bricks.portals);
        benchmark::ClobberMemory();
    }
    state.counters["portals"] = g_bricks.portalCount;
    state.counters["edgesLeftOut"] = leftOut;
}
BENCHMARK(BM_BuildPortals_256Bricks)->Unit(benchmark::kMicrosecond);

// A rectangle that lies in no sector, so every slot is compared.
void BM_SectorOverlaps_FullTableMiss(benchmark::State& state)
{
    PrepareBricks();
    Sector probe = MakeSector(100, 100, 101, 101);
    for (auto _ : state)
        benchmark::DoNotOptimize(SectorOverlaps(&g_bricks, &probe));
}
BENCHMARK(BM_SectorOverlaps_FullTableMiss);

// Every slot in turn tested against the rest, as while stretching sectors.
void BM_SectorOverlaps_EverySlot(benchmark::State& state)
{
    PrepareBricks();
    for (auto _ : state) {
        int hits = 0;
        for (int i = 0; i < g_bricks.sectorCount; i++)
            hits += SectorOverlaps(&g_bricks, &g_bricks.sectors[i]);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * g_bricks.sectorCount);
}
BENCHMARK(BM_SectorOverlaps_EverySlot)->Unit(benchmark::kMicrosecond);

void BM_SaveLoad_InMemory_256Sectors(benchmark::State& state)
{
    PrepareBricks();
    static Level loaded;
    std::vector<unsigned char> buffer(LevelFileSize(&g_bricks));
    for (auto _ : state) {
        SerializeLevel(&g_bricks, buffer.data(), buffer.size());
        if (ParseLevel(&loaded, buffer.data(), buffer.size()) != 0)
            state.SkipWithError("the level did not parse");
        benchmark::DoNotOptimize(loaded.sectors);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(buffer.size()));
}
BENCHMARK(BM_SaveLoad_InMemory_256Sectors)->Unit(benchmark::kMicrosecond);

// Through the file layer: a new file, flushed to disk, moved over the old
// one, then read back.
void BM_SaveLoad_ThroughFiles_256Sectors(benchmark::State& state)
{
    PrepareBricks();
    ScratchFolder folder;
    std::string path = folder.Path("bench.vrk");
    static Level loaded;
    loaded = NewLevel();
    for (auto _ : state) {
        if (SaveLevel(&g_bricks, path.c_str()) != 0 || LoadLevel(&loaded, path.c_str()) != 0)
            state.SkipWithError("save or load failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(LevelFileSize(&g_bricks)));
    FreeLevel(&loaded);
    FreeLevel(&g_bricks);
}
BENCHMARK(BM_SaveLoad_ThroughFiles_256Sectors)->Unit(benchmark::kMicrosecond);

}  // namespace
