#include "charts/chart_merge.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "astro/time_scales.h"
#include "charts/chart_files.h"
#include "charts/chart_record_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"

namespace meridia::charts {

namespace fs = std::filesystem;

namespace {

constexpr int kIdentical = 100;

int RoundedTerm(double squared_distance) {
    return static_cast<int>(std::lround(25.0 * std::exp(-squared_distance)));
}

// A chart of the destination file with the reserved fields it is stored with.
struct ExistingChart {
    astro::ChartRecord record;
    ReservedFields reserved;
};

}  // namespace

int ChartSimilarity(const astro::ChartRecord& a, const astro::ChartRecord& b,
                    const ReservedFields& reserved_a, const ReservedFields& reserved_b) {
    const double days =
        astro::JulianDayOfDateTime(a.data.date_time, a.data.calendar, a.data.zone.hours) -
        astro::JulianDayOfDateTime(b.data.date_time, b.data.calendar, b.data.zone.hours);
    double dlon = static_cast<double>(a.data.place.longitude) - b.data.place.longitude;
    dlon = std::remainder(dlon, 360.0);
    const double dlat = static_cast<double>(a.data.place.latitude) - b.data.place.latitude;
    int score = RoundedTerm(days * days) + RoundedTerm(dlon * dlon + dlat * dlat);
    const bool equal_fields[] = {
        a.house_system == b.house_system,
        a.source == b.source,
        a.event_type == b.event_type,
        a.zodiac == b.zodiac,
        a.coords == b.coords,
        a.derived_params[2] == b.derived_params[2],
        a.chart_kind == b.chart_kind,
        a.chart_class == b.chart_class,
        reserved_a.byte_150 == reserved_b.byte_150,
        reserved_a.short_277 == reserved_b.short_277,
        reserved_a.tail_284 == reserved_b.tail_284,
    };
    for (const bool equal : equal_fields) {
        score += equal ? 4 : 0;
    }
    score += a.source == b.source ? 3 : 0;
    score += a.user_svp == b.user_svp ? 3 : 0;
    return score;
}

int FileMerger::MergeChartFile(const fs::path& source_file, const fs::path& destination_file) {
    const auto incoming = ReadChartFileImage(source_file);
    if (!incoming) {
        return -1;
    }
    const OpenedChartFile dest = OpenChartFile(destination_file);
    if (dest.handle < 1) {
        return -1;
    }
    std::vector<ExistingChart> existing;
    for (int n = 1; n <= dest.count; ++n) {
        if (auto record = ReadChartRecord(dest.version, dest.handle, n)) {
            existing.push_back(
                {std::move(*record), ReadChartReserved(dest.version, dest.handle, n)});
        }
    }
    int brought_in = 0;
    for (const StoredChart& chart : incoming->charts) {
        int best_score = -1;
        for (const ExistingChart& candidate : existing) {
            if (candidate.record.data.name != chart.record.data.name) {
                continue;
            }
            const int score =
                ChartSimilarity(chart.record, candidate.record, chart.reserved, candidate.reserved);
            if (score > best_score) {
                best_score = score;
            }
            if (score == kIdentical) {
                break;
            }
        }
        if (best_score == kIdentical) {
            continue;
        }
        const int n = ChartCount(dest.version, dest.handle) + 1;
        if (!WriteChartRecord(dest.version, dest.handle, n, chart.record)) {
            continue;
        }
        WriteChartEvents(dest.version, dest.handle, n, chart.events);
        // The comment travels with the record and events, so nothing of the chart is lost.
        if (!chart.comment.empty()) {
            WriteChartComments(dest.version, dest.handle, n, chart.comment);
        }
        // The appended record is stored with its reserved fields zeroed.
        existing.push_back({chart.record, ReservedFields{}});
        ++brought_in;
    }
    if (!CloseChartFile(dest.version, dest.handle)) {
        return -1;
    }
    return brought_in;
}

MergeTotals FileMerger::MergeCharts(const fs::path& source_folder,
                                    const fs::path& destination_folder, std::string_view pattern) {
    MergeTotals totals;
    const std::string extension(pattern.substr(
        pattern.find('.') == std::string_view::npos ? pattern.size() : pattern.find('.')));
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& item : fs::directory_iterator(source_folder, ec)) {
        if (item.is_regular_file(ec) && startup::HasExtension(item.path(), extension)) {
            files.push_back(item.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const fs::path target = destination_folder / file.filename();
        if (fs::exists(target, ec)) {
            const int charts = MergeChartFile(file, target);
            if (charts >= 0) {
                ++totals.files;
                totals.charts += charts;
            }
            continue;
        }
        if (!startup::CopyFileSafely(file, target).ok()) {
            continue;
        }
        if (startup::HasExtension(file, ".cht") && fs::exists(CommentFileName(file), ec)) {
            startup::CopyFileSafely(CommentFileName(file), CommentFileName(target));
        }
        ++totals.files;
    }
    return totals;
}

// The report counts every file handled (merged or copied) and the charts that merging
// brought in.
MergeTotals FileMerger::MergeChartFiles(const fs::path& source_folder,
                                        const fs::path& destination_folder) {
    const MergeTotals totals = MergeCharts(source_folder, destination_folder, "*.MDcht");
    startup::ShowMessage(
        startup::JoinLines(
            {"Merge finished.", std::to_string(totals.files) + " files were merged into " +
                                    destination_folder.string() + ", bringing in " +
                                    std::to_string(totals.charts) + " merged charts."}),
        startup::kInformation, "Meridia");
    return totals;
}

}  // namespace meridia::charts
