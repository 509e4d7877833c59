// Cost of the dynamic search: a transit report of the Moon, Sun and Mercury to Pluto against
// the same points with the Ascendant and Midheaven and the standard aspect set, over one year
// and over ten, against the time of 30,000 bare ephemeris calls with speeds (the budget of a
// one-year report). Counters: events found, ephemeris calls made, peak resident memory (MB).
// The standard set gives about 3,400 events a year: eight years stay below the table's limit of
// 30,001 events, ten years reach it and end truncated (the walk stops there).
#include <benchmark/benchmark.h>
#include <swephexp.h>

#include <array>
#include <fstream>
#include <string>

#include "aspects/aspect_set.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/ephemeris.h"
#include "dynamic/dynamic_engine.h"

namespace {

using namespace meridia;

// Peak resident set size of the process in MB (VmHWM of /proc/self/status).
double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

void CalcRadix() {
    astro::ChartValues values;
    values.day = 14;
    values.month = 3;
    values.year = 1879;
    values.ut_hours = 11.5 - 0.6667;
    values.latitude = 48.4;
    values.longitude = -10.0;
    values.house_system = 4;
    astro::CalcChartFromValues(values, 1, 0, 0, true, true);
}

void BM_DynamicTransits(benchmark::State& state) {
    CalcRadix();
    dynamic::DynamicSearchRequest request;
    request.radix_slot = 1;
    request.method = dynamic::kMethodTransits;
    request.moving = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
    request.targets = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};
    request.families.transits_radix = true;
    request.aspect_set = aspects::StandardAspectSet();
    request.jd_start_ut = 2460310.5;  // 1 January 2024
    request.jd_end_ut = request.jd_start_ut + 365.25 * static_cast<double>(state.range(0));
    std::int64_t events = 0;
    std::int64_t calls = 0;
    for (auto _ : state) {
        const auto result = dynamic::RunDynamicSearch(request);
        if (!result.ok()) {
            state.SkipWithError(result.status().message().c_str());
            return;
        }
        events = result->table.TranEvents();
        calls = result->ephemeris_calls;
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
    state.counters["ephemeris_calls"] = static_cast<double>(calls);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_DynamicTransits)->Arg(1)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);

// 30,000 ephemeris calls with speeds: ten bodies at 3,000 instants half a day apart (the walk's
// pattern; the library caches a repeated instant, so every call is at a new one).
void BM_ThirtyThousandEphemerisCalls(benchmark::State& state) {
    astro::EnsureEphemeris();
    const std::array<int, 10> bodies = {SE_MOON,    SE_SUN,    SE_MERCURY, SE_VENUS,   SE_MARS,
                                        SE_JUPITER, SE_SATURN, SE_URANUS,  SE_NEPTUNE, SE_PLUTO};
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    const int flags = astro::EphemerisModeFlags() | SEFLG_SPEED;
    double offset = 0.0;
    for (auto _ : state) {
        for (int i = 0; i < 3000; ++i) {
            const double jd_ut = 2460310.5 + offset + 0.5 * i;
            for (const int body : bodies) {
                swe_calc_ut(jd_ut, body, flags, x.data(), serr);
            }
        }
        offset += 1500.0;
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_ThirtyThousandEphemerisCalls)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
