// Wheel drawing speed: a uni-wheel and a bi-wheel of 50-point charts drawn into a 1000-pixel
// PNG file (the drawing, the PNG encoding and the file write; not the process start or the
// chart calculation), with the factory styles and the standard aspect set.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "charts/chart_entry.h"
#include "drawing/wheel_picture.h"
#include "startup/activity_log.h"
#include "startup/folders.h"
#include "startup/session.h"

namespace {

namespace fs = std::filesystem;

// A session with its own user-files folder filled with the factory files, and two charts in
// slots 1 and 2.
class WheelBench {
public:
    WheelBench() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        folder_ = fs::temp_directory_path() / ("meridia-bench-wheel-" + std::to_string(getpid()));
        auto session = std::make_unique<meridia::startup::Session>();
        const char* factory = std::getenv("MERIDIA_FACTORY_DIR");
        session->folders().program =
            factory != nullptr ? fs::path(factory) : fs::path(MERIDIA_BENCH_FACTORY_DIR);
        session->folders().user_files = folder_ / "user";
        session->folders().config = folder_ / "config";
        meridia::startup::InstallSession(std::move(session));
        meridia::startup::ActivityLog log("bench");
        auto& folders = meridia::startup::CurrentSession().folders();
        meridia::startup::CreateUserSubfolders(folders.user_files, log);
        meridia::startup::RefreshFactoryFiles(folders.program, folders.user_files, log);
        Calculate(1, "14 Mar 1879", "11:30", "-0:40", "48N24", "10E00");
        Calculate(2, "6 Aug 1945", "8:15", "-9", "34N23", "132E27");
    }
    ~WheelBench() {
        meridia::startup::InstallSession(nullptr);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path Out() const { return folder_ / "wheel.png"; }

private:
    static void Calculate(int slot, const char* date, const char* time, const char* zone,
                          const char* lat, const char* lon) {
        meridia::charts::ChartEntry e;
        e.date = date;
        e.time = time;
        e.zone = zone;
        e.lat = lat;
        e.lon = lon;
        if (!meridia::charts::CalculateChartEntry(e, slot).ok()) {
            std::abort();
        }
    }
    int argc_ = 1;
    char name_[12] = "bench_wheel";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
    fs::path folder_;
};

WheelBench& Bench() {
    static WheelBench bench;
    return bench;
}

void DrawWheels(benchmark::State& state, std::vector<int> chart_slots) {
    WheelBench& bench = Bench();
    meridia::drawing::WheelRequest request;
    request.chart_slots = std::move(chart_slots);
    request.points = "1-50";  // every fixed point
    std::size_t drawn = 0;
    for (auto _ : state) {
        auto layout = meridia::drawing::SaveChartPicture(bench.Out(), 1000, request);
        if (!layout.ok()) {
            state.SkipWithError("drawing failed");
            return;
        }
        drawn = 0;
        for (const auto& c : layout->charts) {
            drawn += c.points.size();
        }
    }
    state.counters["points"] = static_cast<double>(drawn);
}

// The drawing alone, into an image in memory (no encoding, no file).
void DrawOnly(benchmark::State& state, std::vector<int> chart_slots) {
    Bench();
    meridia::drawing::WheelRequest request;
    request.chart_slots = std::move(chart_slots);
    request.points = "1-50";
    QImage image(1000, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        auto layout = meridia::drawing::DrawChart(painter, QRectF(0, 0, 1000, 1000), request);
        benchmark::DoNotOptimize(layout.ok());
    }
}

void BM_UniWheel50PointsDrawOnly(benchmark::State& state) { DrawOnly(state, {1}); }
BENCHMARK(BM_UniWheel50PointsDrawOnly)->Unit(benchmark::kMillisecond);

void BM_BiWheel50PointsDrawOnly(benchmark::State& state) { DrawOnly(state, {1, 2}); }
BENCHMARK(BM_BiWheel50PointsDrawOnly)->Unit(benchmark::kMillisecond);

void BM_UniWheel50PointsPng1000(benchmark::State& state) { DrawWheels(state, {1}); }
BENCHMARK(BM_UniWheel50PointsPng1000)->Unit(benchmark::kMillisecond);

void BM_BiWheel50PointsPng1000(benchmark::State& state) { DrawWheels(state, {1, 2}); }
BENCHMARK(BM_BiWheel50PointsPng1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
