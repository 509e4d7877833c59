// Returns, eclipses and the void-of-course Moon: one solar return to 0.1 arc second, the
// eclipses of a century listed from the catalogues, the next void-of-course period, and the
// progressed and transiting lunar-phase chart lists (five phases each).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "returns/eclipses.h"
#include "returns/lunar_phase_charts.h"
#include "returns/returns.h"
#include "returns/void_of_course.h"
#include "startup/session.h"
#include "textformats/calendar.h"

namespace {

using namespace meridia;

// The program folder of the build tree (share/meridia beside bench/), where the catalogues are.
void UseBuildFactoryFolder(const char* argv0) {
    const char* factory = std::getenv("MERIDIA_FACTORY_DIR");
    startup::CurrentSession().folders().program =
        factory != nullptr
            ? std::filesystem::path(factory)
            : std::filesystem::absolute(argv0).parent_path().parent_path() / "share" / "meridia";
}

void BM_SolarReturn(benchmark::State& state) {
    astro::ChartValues natal;
    natal.day = 15;
    natal.month = 7;
    natal.year = 1980;
    natal.ut_hours = 14.5;
    astro::CalcChartFromValues(natal, 1, 0, 0, true, true);
    astro::Slot(1).chart_serial = 1;
    returns::ReturnRequest request;
    request.point = astro::kSun;
    request.accuracy_arcsec = 0.1;
    int year = 0;
    for (auto _ : state) {
        // A different year each time, so that no ephemeris cache helps.
        request.start_jd_ut = textformats::JulianDay(1, 1, 1990 + year++ % 100, 0.0);
        benchmark::DoNotOptimize(returns::FindReturns(request));
    }
}
BENCHMARK(BM_SolarReturn)->Unit(benchmark::kMillisecond);

void BM_EclipsesOfACentury(benchmark::State& state) {
    returns::EclipseSearch search;
    search.from_jd_ut = textformats::JulianDay(1, 1, 1950, 0.0);
    search.to_jd_ut = textformats::JulianDay(1, 1, 2050, 0.0);
    std::size_t count = 0;
    for (auto _ : state) {
        count = returns::SearchEclipses(search).size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["eclipses"] = static_cast<double>(count);
}
BENCHMARK(BM_EclipsesOfACentury)->Unit(benchmark::kMillisecond);

void BM_NextVoidOfCourse(benchmark::State& state) {
    double start = textformats::JulianDay(1, 1, 2024, 0.0);
    for (auto _ : state) {
        start += 1.37;
        benchmark::DoNotOptimize(returns::NextVoidOfCourse(start, 1, 0));
    }
}
BENCHMARK(BM_NextVoidOfCourse)->Unit(benchmark::kMillisecond);

void BM_LunarPhaseCharts(benchmark::State& state) {
    astro::ChartValues natal;
    natal.day = 15;
    natal.month = 7;
    natal.year = 1980;
    natal.ut_hours = 14.5;
    astro::CalcChartFromValues(natal, 1, 0, 0, true, true);
    astro::Slot(1).chart_serial = 1;
    returns::LunarPhaseChartRequest request;
    request.kind = static_cast<returns::LunarPhaseChartKind>(state.range(0));
    request.base_slot = 1;
    request.count = 5;
    int day = 0;
    for (auto _ : state) {
        request.around_jd_ut = textformats::JulianDay(1, 1, 2000, 0.0) + 37.3 * (day++ % 200);
        benchmark::DoNotOptimize(returns::LunarPhaseCharts(request));
    }
}
BENCHMARK(BM_LunarPhaseCharts)
    ->Arg(static_cast<int>(returns::LunarPhaseChartKind::kProgressed))
    ->Arg(static_cast<int>(returns::LunarPhaseChartKind::kTransiting))
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    UseBuildFactoryFolder(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
