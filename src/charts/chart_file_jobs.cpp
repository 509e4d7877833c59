#include "charts/chart_file_jobs.h"

#include <system_error>
#include <utility>

#include "charts/chart_save.h"
#include "startup/file_io.h"

namespace meridia::charts {

namespace fs = std::filesystem;
using startup::Status;
using startup::StatusCode;

namespace {

// The status of a chart file that could not be read. A damaged file has had its message from
// the chart-file layer already, so its status keeps the code and no text; a file that could
// not be opened at all keeps the chart-file layer's wording for the caller to report.
Status CannotOpen(const Status& status) {
    if (status.code() == StatusCode::kNotFound || status.code() == StatusCode::kUnreadable) {
        return status;
    }
    return {status.code(), "", "", status.path()};
}

Status NoSuchFile(const fs::path& path) {
    return {StatusCode::kNotFound, "Cannot open chart file: " + path.string(), "", path};
}

Status Exists(const fs::path& path) {
    return {StatusCode::kRefused, "The file exists already: " + path.string(), "", path};
}

Status NoChart(int n, const fs::path& path) {
    return {StatusCode::kRefused, "No chart " + std::to_string(n) + " in " + path.string(), "",
            path};
}

}  // namespace

startup::StatusOr<ChartFileImage> ReadChartFileForJob(const fs::path& path) {
    auto image = ReadChartFileImage(path);
    if (!image) {
        return CannotOpen(image.status());
    }
    return std::move(*image);
}

startup::StatusOr<StoredChart> ChartOfImage(const ChartFileImage& image, int n,
                                            const fs::path& path) {
    if (n < 1 || static_cast<std::size_t>(n) > image.charts.size()) {
        return NoChart(n, path);
    }
    return image.charts[static_cast<std::size_t>(n - 1)];
}

startup::StatusOr<fs::path> CreateNewChartFile(const fs::path& path, int version,
                                               std::string_view description) {
    std::error_code ec;
    if (fs::exists(path, ec)) {
        return Exists(path);
    }
    const fs::path created = version == kVersionCurrent ? CurrentFormatName(path) : path;
    if (created != path && fs::exists(created, ec)) {
        return Exists(created);
    }
    if (!CreateChartFile(path, version, description)) {
        return Status(StatusCode::kWriteFailed, "Cannot create chart file: " + path.string(), "",
                      path);
    }
    return created;
}

startup::StatusOr<int> AddChartToFile(const fs::path& path, const ChartEntry& entry,
                                      const std::optional<std::string>& comment,
                                      std::optional<int> replace) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return NoSuchFile(path);
    }
    const auto record = BuildChartRecord(entry);
    if (!record.ok()) {
        return record.status();
    }
    return AddRecordToFile(path, *record, comment, replace);
}

startup::StatusOr<int> AddRecordToFile(const fs::path& path, const astro::ChartRecord& record,
                                       const std::optional<std::string>& comment,
                                       std::optional<int> replace) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return NoSuchFile(path);
    }
    SaveChartRequest request;
    request.file = path;
    request.comment = comment;
    if (replace) {
        request.replace = true;
        request.replace_number = *replace;
    }
    const SaveChartResult result = SaveChartToFile(record, request);
    switch (result.status) {
        case SaveStatus::kSaved:
            return result.number;
        case SaveStatus::kRefused:
            if (replace) {
                return Status(
                    StatusCode::kRefused,
                    "No chart " + std::to_string(*replace) + " to replace in " + path.string(), "",
                    path);
            }
            return Status(StatusCode::kRefused, "", "", path);
        default:
            return Status(StatusCode::kWriteFailed, "Cannot save the chart into " + path.string(),
                          "", path);
    }
}

Status DeleteChartsFromFile(const fs::path& path, const std::vector<int>& numbers) {
    const auto image = ReadChartFileImage(path);
    if (!image) {
        return CannotOpen(image.status());
    }
    if (image->version == kVersion0 || image->version == kVersionTessel) {
        return {StatusCode::kRefused,
                "Charts cannot be deleted from a " + ChartFileFormatName(image->version) +
                    " chart file.",
                "", path};
    }
    for (const int n : numbers) {
        if (n < 1 || static_cast<std::size_t>(n) > image->charts.size()) {
            return NoChart(n, path);
        }
    }
    if (!DeleteCharts(path, numbers)) {
        return {StatusCode::kWriteFailed, "Cannot rewrite chart file: " + path.string(), "", path};
    }
    return {};
}

Status DescribeChartFile(const fs::path& path, std::string_view description) {
    const OpenedChartFile file = OpenChartFile(path);
    if (file.handle < 1) {
        return CannotOpen(file.status);
    }
    if (file.version == kVersion0) {
        CloseChartFile(file.version, file.handle);
        return {StatusCode::kRefused,
                "A " + ChartFileFormatName(file.version) + " chart file has no description.", "",
                path};
    }
    bool ok = SetChartFileDescription(file.version, file.handle, description);
    ok = CloseChartFile(file.version, file.handle) && ok;
    if (!ok) {
        return {StatusCode::kWriteFailed, "Cannot rewrite chart file: " + path.string(), "", path};
    }
    return {};
}

startup::StatusOr<fs::path> ConvertOlderChartFile(const fs::path& path) {
    const auto version = DetectChartFileVersion(path);
    if (!version) {
        return NoSuchFile(path);
    }
    if (*version == kVersionCurrent || *version == kVersionTessel) {
        return Status(StatusCode::kRefused, "Not an older-format chart file: " + path.string(), "",
                      path);
    }
    const ConvertResult result = ConvertChartFile(path, *version, kVersionCurrent);
    if (result.status != 0) {
        return Status(StatusCode::kFailed,
                      "The selected chart file could not be converted to the required format.",
                      "Meridia", path);
    }
    return result.new_name;
}

startup::StatusOr<MergeTotals> MergeChartFolders(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (!fs::is_directory(source, ec) || !fs::is_directory(target, ec)) {
        return Status(StatusCode::kRefused,
                      "Both folders must exist: " + source.string() + ", " + target.string());
    }
    FileMerger merger;
    return merger.MergeChartFiles(source, target);
}

startup::StatusOr<std::size_t> TransferCharts(const fs::path& from, const fs::path& to) {
    const auto image = ReadChartFileImage(from);
    if (!image) {
        return CannotOpen(image.status());
    }
    std::error_code ec;
    fs::path target = to;
    bool created = false;
    if (!fs::exists(target, ec)) {
        const int version =
            startup::HasExtension(target, ".tsl") ? kVersionTessel : kVersionCurrent;
        if (version == kVersionCurrent) {
            target = CurrentFormatName(target);
        }
        if (fs::exists(target, ec)) {
            return Exists(target);
        }
        if (!CreateChartFile(target, version, image->description)) {
            return Status(StatusCode::kWriteFailed, "Cannot create chart file: " + target.string(),
                          "", target);
        }
        created = true;
    }
    const OpenedChartFile file = OpenChartFile(target);
    if (file.handle < 1) {
        if (created) {
            fs::remove(target, ec);
        }
        return CannotOpen(file.status);
    }
    if (file.version == kVersion0) {
        CloseChartFile(file.version, file.handle);
        return Status(
            StatusCode::kRefused,
            "Charts cannot be written into a " + ChartFileFormatName(file.version) + " chart file.",
            "", target);
    }
    bool ok = true;
    for (const StoredChart& chart : image->charts) {
        const int n = ChartCount(file.version, file.handle) + 1;
        astro::ChartRecord record = chart.record;
        record.comment_link = 0;
        ok = ok && WriteChartRecord(file.version, file.handle, n, record);
        if (ok && !chart.comment.empty() && file.version != kVersionTessel) {
            ok = WriteChartComments(file.version, file.handle, n, chart.comment);
        }
        if (ok) {
            ok = WriteChartEvents(file.version, file.handle, n, chart.events);
        }
    }
    ok = CloseChartFile(file.version, file.handle) && ok;
    if (!ok) {
        return Status(StatusCode::kWriteFailed, "Cannot write chart file: " + target.string(), "",
                      target);
    }
    return image->charts.size();
}

}  // namespace meridia::charts
