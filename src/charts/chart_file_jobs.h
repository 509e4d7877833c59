// The chart-file jobs of the file window and the command line, each with the checks that keep
// a file whole: reading a file for a listing, creating one, adding or replacing a chart,
// deleting charts, describing, converting an older file, merging folders, and importing and
// exporting the foreign block format. Each reports its outcome as a status that names the file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/chart_entry.h"
#include "charts/chart_files.h"
#include "charts/chart_merge.h"
#include "startup/status.h"

namespace meridia::charts {

// A whole file of any format. A missing file is kNotFound ("Cannot open chart file: PATH"); a
// file that exists but cannot be read is kUnreadable, its message shown by the reader.
startup::StatusOr<ChartFileImage> ReadChartFileForJob(const std::filesystem::path& path);

// Chart n (1..N) of an image; kRefused "No chart N in PATH" outside 1..N.
startup::StatusOr<StoredChart> ChartOfImage(const ChartFileImage& image, int n,
                                            const std::filesystem::path& path);

// A new empty file of a version (the current format under its ".MDcht" name); the path it was
// created under. An existing file is never replaced (kRefused "The file exists already: ...").
startup::StatusOr<std::filesystem::path> CreateNewChartFile(const std::filesystem::path& path,
                                                            int version,
                                                            std::string_view description);

// Appends the entry's chart to a file, or replaces chart `replace`; the chart's number.
startup::StatusOr<int> AddChartToFile(const std::filesystem::path& path, const ChartEntry& entry,
                                      const std::optional<std::string>& comment,
                                      std::optional<int> replace);

// The same for a chart record already built (a chart the program calculated).
startup::StatusOr<int> AddRecordToFile(const std::filesystem::path& path,
                                       const astro::ChartRecord& record,
                                       const std::optional<std::string>& comment,
                                       std::optional<int> replace);

// Removes charts (numbers 1..N, all checked before anything is written); later ones move up.
startup::Status DeleteChartsFromFile(const std::filesystem::path& path,
                                     const std::vector<int>& numbers);

// Sets the file description (not of a version-0 file, which has none).
startup::Status DescribeChartFile(const std::filesystem::path& path, std::string_view description);

// Converts an older-format file to the current format (the "OldChart" backup kept); the new
// file's path.
startup::StatusOr<std::filesystem::path> ConvertOlderChartFile(const std::filesystem::path& path);

// Merges the chart files of one existing folder into another.
startup::StatusOr<MergeTotals> MergeChartFolders(const std::filesystem::path& source,
                                                 const std::filesystem::path& target);

// Copies every chart of one file (any format) with its comment and events into another. A
// missing target is created: in the block format when its extension is ".tsl" (any case), else
// in the current format under its current-format name; a file made here is removed again when
// it cannot be opened. Comments are not written into a block-format file (it has none), and
// nothing is written into a version-0 file. The number of charts copied.
startup::StatusOr<std::size_t> TransferCharts(const std::filesystem::path& from,
                                              const std::filesystem::path& to);

}  // namespace meridia::charts
