// Costs of the terrain cache's hot paths: finding a cell in a row, filling a world cell by cell,
// and the full marker recount done whenever a cell gains or loses its marker.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "terrain/TerrainCache.h"

namespace {

using tv::TMarkerRecord;
using tv::TTerrainCache;

// A row of `entries` cells at even x, so that odd x are misses.
void FillRow(TTerrainCache& cache, int32_t entries) {
    for (int32_t i = 0; i < entries; ++i) cache.InsertCell(2 * i, 0);
}

void BM_FindCellHit(benchmark::State& state) {
    const auto entries = static_cast<int32_t>(state.range(0));
    TTerrainCache cache;
    FillRow(cache, entries);
    int32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cache.FindCell(2 * i, 0));
        if (++i == entries) i = 0;
    }
}
BENCHMARK(BM_FindCellHit)->Arg(10)->Arg(100)->Arg(1000);

void BM_FindCellMiss(benchmark::State& state) {
    const auto entries = static_cast<int32_t>(state.range(0));
    TTerrainCache cache;
    FillRow(cache, entries);
    int32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cache.FindCell(2 * i + 1, 0));
        if (++i == entries) i = 0;
    }
}
BENCHMARK(BM_FindCellMiss)->Arg(10)->Arg(100)->Arg(1000);

// Every cell of a world of size 100 (201 x 201), as the query queue learns them.
void BM_InsertCellFillWorld(benchmark::State& state) {
    constexpr int32_t kSize = 100;
    for (auto _ : state) {
        TTerrainCache cache;
        cache.SetWorldSize(kSize);
        cache.CreateRows();
        for (int32_t z = -kSize; z <= kSize; ++z)
            for (int32_t x = -kSize; x <= kSize; ++x) cache.InsertCell(x, z);
        benchmark::DoNotOptimize(cache.QueriedCells());
    }
    state.SetItemsProcessed(state.iterations() * (2 * kSize + 1) * (2 * kSize + 1));
}
BENCHMARK(BM_InsertCellFillWorld)->Unit(benchmark::kMillisecond);

// One recount over a world of size 1000 holding 10 000 markers spread over its rows.
void BM_CountMarkers(benchmark::State& state) {
    constexpr int32_t kSize = 1000;
    TTerrainCache cache;
    cache.SetWorldSize(kSize);
    cache.CreateRows();
    TMarkerRecord marker;
    tv::TerrainMarkerInit(marker);
    for (int32_t i = 0; i < 10000; ++i) {
        marker.CellZ = (i * 7919) % (2 * kSize + 1) - kSize;
        marker.CellX = (i / (2 * kSize + 1)) * 400 - kSize;  // distinct per block of rows
        marker.Id = i + 1;
        cache.StoreMarker(marker, -1);
    }
    for (auto _ : state) {
        cache.CountMarkers();
        benchmark::DoNotOptimize(cache.MarkerCount());
    }
    state.counters["markers"] = cache.MarkerCount();
}
BENCHMARK(BM_CountMarkers)->Unit(benchmark::kMicrosecond);

}  // namespace
