// Aspect finding speed: every pair of a 50-point chart, the 50 x 50 grid of two charts, and
// the pattern search over a 50-point chart, with the standard aspect set.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "aspects/aspect_find.h"
#include "aspects/aspect_patterns.h"

namespace {

using meridia::aspects::AspectPoint;

// Points 1..50 with longitudes, latitudes, speeds and declinations from a fixed linear
// congruential sequence, so every run measures the same work.
std::vector<AspectPoint> MakeChart(int chart, std::uint32_t seed) {
    std::uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525U + 1013904223U;
        return static_cast<double>(state) / 4294967296.0;
    };
    std::vector<AspectPoint> points;
    for (int p = 1; p <= 50; ++p) {
        AspectPoint point;
        point.chart = chart;
        point.point = p;
        point.longitude = 360.0 * next();
        point.latitude = 10.0 * next() - 5.0;
        point.speed = 2.0 * next() - 0.5;
        point.latitude_speed = 0.1 * next() - 0.05;
        point.declination = 50.0 * next() - 25.0;
        point.declination_speed = 0.8 * next() - 0.4;
        points.push_back(point);
    }
    return points;
}

void BM_AspectsOfOneChart(benchmark::State& state) {
    const auto set = meridia::aspects::StandardAspectSet();
    const auto chart = MakeChart(1, 12345U);
    for (auto _ : state) {
        int found = 0;
        for (std::size_t i = 0; i < chart.size(); ++i) {
            for (std::size_t j = i + 1; j < chart.size(); ++j) {
                found += FindAspect(set, chart[i], chart[j], 1, true).found();
                found += FindParallel(set, chart[i], chart[j],
                                      meridia::aspects::ParallelBasis::kDeclination, 1, true)
                             .found();
            }
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * 50 * 49 / 2);
}
BENCHMARK(BM_AspectsOfOneChart);

void BM_SynastryGrid(benchmark::State& state) {
    const auto set = meridia::aspects::StandardAspectSet();
    const auto first = MakeChart(1, 12345U);
    const auto second = MakeChart(2, 67890U);
    for (auto _ : state) {
        int found = 0;
        for (const auto& a : first) {
            for (const auto& b : second) {
                found += FindAspect(set, a, b, 1, false).found();
                found +=
                    FindParallel(set, a, b, meridia::aspects::ParallelBasis::kDeclination, 1, false)
                        .found();
            }
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * 50 * 50);
}
BENCHMARK(BM_SynastryGrid);

void BM_PatternsOfOneChart(benchmark::State& state) {
    const auto set = meridia::aspects::StandardAspectSet();
    const meridia::aspects::PatternGrid grid(set, MakeChart(1, 12345U), 1);
    // The usual figures, written out here so the benchmark needs no factory folder.
    const auto definitions = meridia::aspects::ParsePatternDefinitions(
        "[Grand Trine]\nID=1\nNumElements=3\nP1_1=1\nP2_1=2\nAspectID_1=3\nP1_2=2\nP2_2=3\n"
        "AspectID_2=3\nP1_3=3\nP2_3=1\nAspectID_3=3\n"
        "[T-Square]\nID=2\nNumElements=3\nP1_1=1\nP2_1=2\nAspectID_1=2\nP1_2=1\nP2_2=3\n"
        "AspectID_2=4\nP1_3=2\nP2_3=3\nAspectID_3=4\n"
        "[Yod]\nID=4\nNumElements=3\nP1_1=1\nP2_1=2\nAspectID_1=5\nP1_2=1\nP2_2=3\n"
        "AspectID_2=9\nP1_3=2\nP2_3=3\nAspectID_3=9\n"
        "[Stellium]\nID=8\nExtendable=-1\nNumElements=3\nP1_1=1\nP2_1=2\nAspectID_1=1\n"
        "P1_2=1\nP2_2=3\nAspectID_2=1\nP1_3=2\nP2_3=3\nAspectID_3=1\n");
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindPatterns(definitions, grid));
    }
}
BENCHMARK(BM_PatternsOfOneChart);

}  // namespace

BENCHMARK_MAIN();
