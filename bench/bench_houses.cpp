// House cusps of each quadrant system for a chart at 51.5 degrees north, the RAMC moving on
// every call; the Swiss Ephemeris' own Placidus on the same inputs is the yardstick.
#include <benchmark/benchmark.h>
#include <swephexp.h>

#include <array>

#include "astro/houses.h"

namespace {

using meridia::astro::HouseInput;

constexpr double kLatitude = 51.5;
constexpr double kObliquity = 23.4393;
constexpr double kRamcStep = 7.31;

HouseInput BaseInput() {
    HouseInput in;
    in.latitude = kLatitude;
    in.obliquity = kObliquity;
    return in;
}

void BM_Houses(benchmark::State& state) {
    const int system = static_cast<int>(state.range(0));
    HouseInput in = BaseInput();
    for (auto _ : state) {
        in.ramc += kRamcStep;
        if (in.ramc >= 360.0) {
            in.ramc -= 360.0;
        }
        // Angles that move with the RAMC, as they do in a chart.
        in.longitude[meridia::astro::kAscendant] = in.ramc + 90.0;
        in.longitude[meridia::astro::kMidheaven] = in.ramc;
        auto result = meridia::astro::CalcHouseCusps(system, in);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_Houses)
    ->ArgName("system")
    ->Arg(meridia::astro::kCampanus)
    ->Arg(meridia::astro::kKoch)
    ->Arg(meridia::astro::kMeridian)
    ->Arg(meridia::astro::kMorinus)
    ->Arg(meridia::astro::kPlacidus)
    ->Arg(meridia::astro::kPorphyry)
    ->Arg(meridia::astro::kRegiomontanus)
    ->Arg(meridia::astro::kTopocentric)
    ->Arg(meridia::astro::kHinduBhava)
    ->Arg(meridia::astro::kAlcabitius);

void BM_SwissPlacidus(benchmark::State& state) {
    double ramc = 0.0;
    for (auto _ : state) {
        ramc += kRamcStep;
        if (ramc >= 360.0) {
            ramc -= 360.0;
        }
        std::array<double, 13> cusps{};
        std::array<double, 10> ascmc{};
        swe_houses_armc(ramc, kLatitude, kObliquity, 'P', cusps.data(), ascmc.data());
        benchmark::DoNotOptimize(cusps);
        benchmark::DoNotOptimize(ascmc);
    }
}
BENCHMARK(BM_SwissPlacidus);

}  // namespace

BENCHMARK_MAIN();
