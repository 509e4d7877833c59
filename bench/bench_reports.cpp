// Cost of the text reports: the chart analysis report of one chart (targets: under 5 ms), and
// the midpoint listings (planetary sequence, modal sort, differences) of a chart with all 50
// fixed points (under 5 ms each); and, for the record, the Ashtkoot compatibility of two
// charts, the midpoint weighting analysis of 50 points, the Chinese lunar mansions (28 star
// places), the astrodynes and the rays. The charts are calculated once; each iteration builds
// the report buffer whole. The factory files are read from share/meridia of the build tree.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "aspects/aspect_set.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "reports/reports.h"
#include "startup/folders.h"
#include "startup/session.h"

namespace {

using namespace meridia;

constexpr int kSlot = 1;
constexpr int kSlotB = 2;

// The factory files serve as program and user files.
void UseFactoryFolder() {
    auto& folders = startup::CurrentSession().folders();
    folders.program = startup::ProgramFolderFor(std::filesystem::read_symlink("/proc/self/exe"));
    folders.user_files = folders.program;
}

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
    values.year = 1985;
    values.month = 7;
    values.day = 1;
    values.ut_hours = 0.5;
    values.latitude = 28.6;
    values.longitude = -77.2;
    astro::CalcChartFromValues(values, kSlotB, 0, 0, true, true);
}

void RunKind(benchmark::State& state, const char* kind, int slot_b = 0) {
    UseFactoryFolder();
    CalculateChart();
    const aspects::AspectSet set = aspects::StandardAspectSet();
    reports::ReportRequest request;
    request.slot_a = kSlot;
    request.slot_b = slot_b;
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

void BM_AshtkootSummary(benchmark::State& state) { RunKind(state, "compatibility", kSlotB); }
void BM_AshtkootDetailed(benchmark::State& state) {
    RunKind(state, "compatibility-detailed", kSlotB);
}
void BM_MidpointWeighting50(benchmark::State& state) { RunKind(state, "midpoint-weighting"); }
void BM_ChineseMansions(benchmark::State& state) { RunKind(state, "chinese-lunar-mansions"); }
void BM_Astrodynes(benchmark::State& state) { RunKind(state, "astrodynes"); }
void BM_Rays(benchmark::State& state) { RunKind(state, "rays"); }

BENCHMARK(BM_AnalysisReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AshtkootSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AshtkootDetailed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MidpointWeighting50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChineseMansions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Astrodynes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MidpointListing50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MidpointModalSort50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DifferenceListing50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
