// Cost of the text reports: the chart analysis report of one chart (targets: under 5 ms), and
// the midpoint listings (planetary sequence, modal sort, differences) of a chart with all 50
// fixed points (under 5 ms each). The chart is calculated once; each iteration builds the
// report buffer whole.
#include <benchmark/benchmark.h>

#include "aspects/aspect_set.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "reports/reports.h"

namespace {

using namespace meridia;

constexpr int kSlot = 1;

void CalculateChart() {
    astro::ChartValues values;
    values.day = 14;
    values.month = 3;
    values.year = 1879;
    values.ut_hours = 10.83;
    values.latitude = 48.4;
    values.longitude = -10.0;
    values.house_system = 4;
    values.zodiac = 1;
    astro::CalcChartFromValues(values, kSlot, 0, 0, true, true);
}

void RunKind(benchmark::State& state, const char* kind) {
    CalculateChart();
    const aspects::AspectSet set = aspects::StandardAspectSet();
    reports::ReportRequest request;
    request.slot_a = kSlot;
    request.aspect_set = &set;  // every point in use (50)
    for (auto _ : state) {
        reports::ReportWriter writer;
        reports::RunReport(kind, request, writer);
        benchmark::DoNotOptimize(writer.Lines().size());
    }
}

void BM_AnalysisReport(benchmark::State& state) { RunKind(state, "analysis"); }
void BM_MidpointListing50(benchmark::State& state) { RunKind(state, "midpoints"); }
void BM_MidpointModalSort50(benchmark::State& state) { RunKind(state, "midpoint-modal"); }
void BM_DifferenceListing50(benchmark::State& state) { RunKind(state, "differences"); }

BENCHMARK(BM_AnalysisReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MidpointListing50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MidpointModalSort50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DifferenceListing50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
