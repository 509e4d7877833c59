// Cost of extra chart points 51 and up: a full chart calculation with no extra point, with 50
// of a typical mix (10 fixed stars, 20 Arabic parts, 12 midpoints, 6 cusps, 2 positions), with
// 50 cheap points (parts and midpoints only), with 50 fixed stars (ten stars five times over:
// each is calculated once per chart) and with 50 different stars. Every run walks forward
// over the same dates (the library caches a repeated date). The extra points should add under
// 20% to a chart's cost; a star shares the Earth, the Sun and the frame rotation of its date
// with the other stars.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/extra_points.h"
#include "astro/fixed_stars.h"
#include "startup/folders.h"
#include "startup/session.h"

namespace {

using namespace meridia::astro;

constexpr double kStepDays = 1.37;

const char* const kStars[] = {"Aldebaran", "Regulus",   "Spica", "Antares", "Sirius",
                              "Algol",     "Fomalhaut", "Vega",  "Capella", "Arcturus"};
const char* const kLots[] = {"Fortune",  "Spirit",   "Eros",       "Necessity", "Courage",
                             "Victory",  "Nemesis",  "Father",     "Mother",    "Brothers",
                             "Children", "Marriage", "Life",       "Sickness",  "Death",
                             "Travel",   "Commerce", "Profession", "Honour",    "Love"};
const char* const kMidpoints[] = {"Sun/Moon",      "Sun/Asc",      "Moon/Asc",   "Sun/MC",
                                  "Moon/MC",       "Asc/MC",       "Venus/Mars", "Jupiter/Saturn",
                                  "Mercury/Venus", "Mars/Jupiter", "Sun/Venus",  "Moon/Venus"};

std::string Join(std::string list, const std::string& item) {
    return list.empty() ? item : list + "," + item;
}

std::string MixedList() {
    std::string list;
    for (const char* star : kStars) {
        list = Join(list, std::string("star:") + star);
    }
    for (const char* lot : kLots) {
        list = Join(list, std::string("part:") + lot);
    }
    for (const char* pair : kMidpoints) {
        list = Join(list, std::string("midpoint:") + pair);
    }
    for (int c : {1, 2, 3, 10, 11, 12}) {
        list = Join(list, "cusp:" + std::to_string(c));
    }
    return Join(Join(list, "position:15Ar30"), "position:0Cn00");
}

std::string CheapList() {
    std::string list;
    for (int round = 0; round < 2; ++round) {
        for (const char* lot : kLots) {
            list = Join(list, std::string("part:") + lot);
        }
    }
    for (int i = 0; i < 10; ++i) {
        list = Join(list, std::string("midpoint:") + kMidpoints[i]);
    }
    return list;
}

std::string StarList() {
    std::string list;
    for (int round = 0; round < 5; ++round) {
        for (const char* star : kStars) {
            list = Join(list, std::string("star:") + star);
        }
    }
    return list;
}

// 50 different stars of the catalogue, every tenth one from its start.
std::string DistinctStarList() {
    const auto& catalogue = CurrentStarCatalogue();
    std::string list;
    if (!catalogue.ok()) {
        return list;
    }
    int taken = 0;
    for (std::size_t i = 0; i < catalogue->stars.size() && taken < 50; i += 10) {
        const StarEntry& star = catalogue->stars[i];
        list = Join(list, "star:" + (star.name.empty() ? star.nomenclature : star.name));
        ++taken;
    }
    return list;
}

void RunCharts(benchmark::State& state, const std::string& list) {
    // The factory parts file lies in share/meridia beside the bench folder of the build.
    meridia::startup::CurrentSession().folders().program =
        meridia::startup::ProgramFolderFor(std::filesystem::read_symlink("/proc/self/exe"));
    if (list.empty()) {
        ClearExtraPoints();
    } else if (!UseExtraPoints(list).ok()) {
        state.SkipWithError("the extra points cannot be used");
        return;
    }
    ChartValues values;
    values.year = 1950;
    values.latitude = 48.4;
    values.longitude = -10.0;
    values.house_system = 5;
    int day = 0;
    for (auto _ : state) {
        values.ut_hours = 12.0 + 24.0 * kStepDays * day++;
        benchmark::DoNotOptimize(CalcChartFromValues(values, 1, 0, 0, true, true));
    }
    ClearExtraPoints();
}

void BM_ChartWithoutExtraPoints(benchmark::State& state) { RunCharts(state, ""); }
BENCHMARK(BM_ChartWithoutExtraPoints);

void BM_ChartWith50MixedExtraPoints(benchmark::State& state) { RunCharts(state, MixedList()); }
BENCHMARK(BM_ChartWith50MixedExtraPoints);

void BM_ChartWith50PartsAndMidpoints(benchmark::State& state) { RunCharts(state, CheapList()); }
BENCHMARK(BM_ChartWith50PartsAndMidpoints);

void BM_ChartWith50FixedStars(benchmark::State& state) { RunCharts(state, StarList()); }
BENCHMARK(BM_ChartWith50FixedStars);

void BM_ChartWith50DifferentFixedStars(benchmark::State& state) {
    RunCharts(state, DistinctStarList());
}
BENCHMARK(BM_ChartWith50DifferentFixedStars);

}  // namespace

BENCHMARK_MAIN();
