// Cost of a full chart calculation (all fixed points, equatorial coordinates, houses) against
// the same ephemeris calls made bare, over the same run of dates (the library caches a repeated
// date, so both walk forward by the same step).
#include <benchmark/benchmark.h>
#include <swephexp.h>

#include <array>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/ephemeris.h"
#include "astro/houses.h"
#include "astro/time_scales.h"

namespace {

using namespace meridia::astro;

constexpr double kStepDays = 1.37;

void BM_CalcChart(benchmark::State& state) {
    ChartValues values;
    values.day = 1;
    values.month = 1;
    values.year = 1950;
    values.latitude = 48.4;
    values.longitude = -10.0;
    values.house_system = 5;
    values.zodiac = 1;
    int day = 0;
    for (auto _ : state) {
        // Universal-time hours past 0h of the first date carry into the Julian day.
        values.ut_hours = 12.0 + 24.0 * kStepDays * day++;
        benchmark::DoNotOptimize(CalcChartFromValues(values, 1, 0, 0, true, true));
    }
}
BENCHMARK(BM_CalcChart);

// The library calls a full chart makes: delta T, obliquity, then every body.
void BM_BareEphemerisCalls(benchmark::State& state) {
    EnsureEphemeris();
    std::array<int, 50> bodies{};
    int count = 0;
    bodies[static_cast<std::size_t>(count++)] = SE_MOON;
    bodies[static_cast<std::size_t>(count++)] = SE_SUN;
    for (int p = kVulcan; p <= kFixedPointCount; ++p) {
        const int body = SwissBodyOf(p, true, false);
        if (body >= 0 && p != kSun && p != kMoon) {
            bodies[static_cast<std::size_t>(count++)] = body;
        }
    }
    const double jd_start = swe_julday(1950, 1, 1, 12.0, SE_GREG_CAL);
    int day = 0;
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    for (auto _ : state) {
        const double jd_ut = jd_start + kStepDays * day++;
        const double jd_et = jd_ut + swe_deltat_ex(jd_ut, SEFLG_SWIEPH, serr);
        swe_calc(jd_et, SE_ECL_NUT, SEFLG_SWIEPH, x.data(), serr);
        for (int i = 0; i < count; ++i) {
            swe_calc(jd_et, bodies[static_cast<std::size_t>(i)], SEFLG_SWIEPH | SEFLG_SPEED,
                     x.data(), serr);
        }
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_BareEphemerisCalls);

// The chart's own work after the positions: angles and derived points, equatorial
// coordinates, houses, house numbers and the sorted list, on one calculated slot.
void BM_ChartOwnWork(benchmark::State& state) {
    ChartValues values;
    values.year = 1950;
    values.ut_hours = 12.0;
    values.latitude = 48.4;
    values.longitude = -10.0;
    values.house_system = 5;
    CalcChartFromValues(values, 1, 0, 0, true, true);
    ChartSlot& slot = Slot(1);
    const CalcOptions options = CalcOptionsFromSettings();
    for (auto _ : state) {
        slot.ramc = Norm360(slot.ramc + 0.37);
        CalcAnglesAndPoints(slot, options);
        CalcEquatorial(slot, slot.obliquity, slot.zodiac_offset, 0);
        CalcHouses(slot);
        for (int p = 1; p <= PointsInUse(); ++p) {
            slot.house[static_cast<std::size_t>(p)] = static_cast<std::int16_t>(
                HouseOf(slot.longitude[static_cast<std::size_t>(p)], slot.cusps));
        }
        SortPoints(slot);
        benchmark::DoNotOptimize(slot.selected_point_count);
    }
}
BENCHMARK(BM_ChartOwnWork);

}  // namespace

BENCHMARK_MAIN();
