// Typed settings reads, the calls every calculation makes at its start.
#include <benchmark/benchmark.h>

#include "startup/session.h"

namespace {

void BM_ReadTypedSettings(benchmark::State& state) {
    meridia::startup::SettingsClass settings;
    settings.SetBool("TrueNode", true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(settings.GetBool("TrueNode"));
        benchmark::DoNotOptimize(settings.GetInt("HouseSystem"));
        benchmark::DoNotOptimize(settings.GetDouble("UserSVP"));
    }
}
BENCHMARK(BM_ReadTypedSettings);

}  // namespace

BENCHMARK_MAIN();
