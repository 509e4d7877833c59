// Primary directions: a 90-year report for 10 promissors and 12 significators with the
// standard aspect set, by Placidus and Regiomontanus, with the Naibod key and with the true
// solar arc (key 4, one converging search per event), through the dynamic search as the
// report runs it, and the events module alone. Target: under 50 ms per report.
#include <benchmark/benchmark.h>

#include <vector>

#include "aspects/aspect_set.h"
#include "astro/chart_calc.h"
#include "directions/direction_events.h"
#include "directions/dynamic_source.h"
#include "dynamic/dynamic_engine.h"

namespace {

using namespace meridia;

constexpr double kYear = 365.24219907;
const std::vector<int> kPromissors = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
const std::vector<int> kSignificators = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};

double CalcRadix() {
    astro::ChartValues values;
    values.day = 14;
    values.month = 3;
    values.year = 1879;
    values.ut_hours = 10.8333;
    values.latitude = 48.4;
    values.longitude = -10.0;
    values.house_system = 5;
    astro::CalcChartFromValues(values, 1, 0, 0, true, true);
    return astro::Slot(1).julian_day_ut;
}

dynamic::DynamicSearchRequest Request(double natal, int key, bool regio) {
    dynamic::DynamicSearchRequest request;
    request.radix_slot = 1;
    request.method = dynamic::kMethodDirections;
    request.direction_type = dynamic::kDirectionPrimaryMundane;
    request.jd_start_ut = natal;
    request.jd_end_ut = natal + 90.0 * kYear;
    request.moving = kPromissors;
    request.targets = kSignificators;
    request.aspect_set = aspects::StandardAspectSet();
    request.families = dynamic::DefaultFamilies(dynamic::kMethodDirections);
    request.primary.key = key;
    request.primary.regiomontanus = regio;
    return request;
}

// range(0): rate key; range(1): 1 for Regiomontanus.
void BM_PrimaryDirectionReport(benchmark::State& state) {
    const double natal = CalcRadix();
    directions::RegisterPrimaryDirections();
    const auto request = Request(natal, static_cast<int>(state.range(0)), state.range(1) == 1);
    int events = 0;
    for (auto _ : state) {
        const auto run = dynamic::RunDynamicSearch(request);
        events = run.ok() ? run->table.TranEvents() : -1;
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = events;
}
BENCHMARK(BM_PrimaryDirectionReport)
    ->Args({directions::kKeyNaibod, 0})
    ->Args({directions::kKeyNaibod, 1})
    ->Args({directions::kKeyPlacidus, 0})
    ->Unit(benchmark::kMillisecond);

// The events module alone: contacts with the enabled aspects, and sign and house ingresses.
void BM_DirectionEventsWithIngresses(benchmark::State& state) {
    const double natal = CalcRadix();
    directions::PrimaryDirectionsClass pd;
    pd.Chart(1);
    pd.PrimaryRateKey(directions::kKeyNaibod);
    directions::DirectionsRequest request;
    request.promissors = kPromissors;
    request.significators = kSignificators;
    const auto set = aspects::StandardAspectSet();
    for (int i = 0; i < set.active.enabled_count; ++i) {
        const int k = set.active.sorted[static_cast<std::size_t>(i)];
        request.aspects.push_back({k, set.Aspect(k).angle, 1.0, 1.0});
    }
    request.jd_start_ut = natal;
    request.jd_end_ut = natal + 90.0 * kYear;
    request.enter_leave = true;
    request.sign_ingresses = true;
    request.house_ingresses = true;
    std::size_t events = 0;
    for (auto _ : state) {
        events = directions::GetDirectionsToRadix(pd, request).size() +
                 directions::GetIngresses(pd, request).size();
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_DirectionEventsWithIngresses)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
