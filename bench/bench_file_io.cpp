// The safe file write (temporary file, fsync, rename, folder fsync) that every writer uses,
// for a settings-sized file, with and without the ".bak" copy; and the text number helpers
// that settings and text files go through.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "startup/file_io.h"
#include "startup/text_tools.h"

namespace {

namespace fs = std::filesystem;

fs::path BenchFolder() {
    const fs::path folder = fs::temp_directory_path() / "meridia-bench-file-io";
    fs::create_directories(folder);
    return folder;
}

void BM_WriteFileSafely(benchmark::State& state) {
    const fs::path path = BenchFolder() / "Meridia9.ini";
    const std::string bytes(static_cast<std::size_t>(state.range(0)), 'x');
    const auto options = state.range(1) != 0 ? meridia::startup::WriteOptions::KeepingBackup()
                                             : meridia::startup::WriteOptions();
    for (auto _ : state) {
        benchmark::DoNotOptimize(meridia::startup::WriteFileSafely(path, bytes, options).ok());
    }
    fs::remove_all(BenchFolder());
}
BENCHMARK(BM_WriteFileSafely)
    ->Args({8 << 10, 0})
    ->Args({8 << 10, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_FormatAndParseDouble(benchmark::State& state) {
    double value = 51.123456789;
    for (auto _ : state) {
        const std::string text = meridia::startup::FormatDouble(value);
        value = meridia::startup::ParseDouble(text).value_or(0.0) + 1e-9;
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_FormatAndParseDouble);

}  // namespace

BENCHMARK_MAIN();
