// Writes a current-format chart file of N charts for the batch benchmark
// (bench/cli_startup.sh): make_chart_file PATH N. The charts walk through the years 1900-2099
// and round the globe, every house system of the classic set, so that no two share a moment.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "charts/chart_files.h"

int main(int argc, char** argv) {
    using namespace meridia;
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_chart_file PATH N\n");
        return 2;
    }
    const std::string_view count_text = argv[2];
    int count = 0;
    const auto [end, error] =
        std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
    if (error != std::errc() || end != count_text.data() + count_text.size() || count < 1 ||
        count > 100000) {
        std::fprintf(stderr, "N must be a number from 1 to 100000\n");
        return 2;
    }
    charts::ChartFileImage image;
    image.description = "Batch benchmark charts";
    constexpr int kHouseSystems[] = {1, 2, 3, 4, 5, 6, 7, 10};
    for (int i = 0; i < count; ++i) {
        charts::StoredChart chart;
        astro::ChartRecord& record = chart.record;
        record.data.name = "Chart " + std::to_string(i + 1);
        auto& dt = record.data.date_time;
        dt.year = static_cast<std::int16_t>(1900 + (i * 7) % 200);
        dt.month = static_cast<std::uint8_t>(1 + (i * 5) % 12);
        dt.day = static_cast<std::uint8_t>(1 + (i * 11) % 28);
        dt.hour = static_cast<std::uint8_t>((i * 13) % 24);
        dt.minute = static_cast<std::uint8_t>((i * 17) % 60);
        record.data.place.place_name = "Place " + std::to_string(i % 97);
        record.data.place.latitude = static_cast<float>(-60.0 + (i * 37) % 120);
        record.data.place.longitude = static_cast<float>(-180.0 + (i * 53) % 360);
        record.data.zone.hours = static_cast<float>(-12 + (i * 3) % 25);
        record.house_system = static_cast<std::uint8_t>(kHouseSystems[i % 8]);
        image.charts.push_back(std::move(chart));
    }
    if (!charts::SaveChartFileImage(argv[1], image)) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
