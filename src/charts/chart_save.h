// Saving a chart into a chart file: the refusals for files and charts that cannot take it,
// appending or replacing the record, and storing its comment and events. Also the save of a
// calculated chart from its slot of the calculated-chart table.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "astro/chart_record.h"
#include "charts/chart_files.h"

namespace meridia::charts {

enum class SaveStatus {
    kSaved,
    kCancelled,  // the user declined to save another copy
    kRefused,    // the file or the chart cannot be saved (the message was shown)
    kFailed,     // the file could not be opened or written
};

struct SaveChartRequest {
    std::filesystem::path file;
    // Replace chart `replace_number` (1..N) rather than append.
    bool replace = false;
    int replace_number = 0;
    // The chart was saved before: asks whether to save another copy (unless replacing).
    bool already_saved = false;
    // Nothing keeps a replaced chart's comment and events; appended charts get none.
    std::optional<std::string> comment;
    std::optional<std::vector<ChartEvent>> events;
};

struct SaveChartResult {
    SaveStatus status = SaveStatus::kFailed;
    int number = 0;  // the chart's number in the file
};

// True for the charts a version-1 file can hold: class 1 and 8, class 4 except kinds 44
// and 45, class 5 kind 15, class 16 kind 1.
bool Version1Accepts(const astro::ChartRecord& record);
// Class 5 charts of kinds 3 and 14 are never saved.
bool IsSavableChart(const astro::ChartRecord& record);

SaveChartResult SaveChartToFile(const astro::ChartRecord& record, const SaveChartRequest& request);

// Saves the chart of a calculated-chart slot; the slot then names the file and the chart's
// number in it.
SaveChartResult SaveCalculatedChart(int slot, SaveChartRequest request);

}  // namespace meridia::charts
