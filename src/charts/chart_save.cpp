#include "charts/chart_save.h"

#include "astro/chart_table.h"
#include "startup/messages.h"

namespace meridia::charts {

bool Version1Accepts(const astro::ChartRecord& record) {
    const int c = record.chart_class;
    const int k = record.chart_kind;
    return c == 1 || c == 8 || (c == 4 && k != 44 && k != 45) || (c == 5 && k == 15) ||
           (c == 16 && k == 1);
}

bool IsSavableChart(const astro::ChartRecord& record) {
    return !(record.chart_class == 5 && (record.chart_kind == 3 || record.chart_kind == 14));
}

SaveChartResult SaveChartToFile(const astro::ChartRecord& record, const SaveChartRequest& request) {
    SaveChartResult result;
    if (request.already_saved && !request.replace) {
        const int answer =
            startup::ShowMessage("This chart is already saved. Do you wish to save another copy?",
                                 startup::kOkCancel | startup::kQuestion, "Save Chart To Disk");
        if (answer == startup::kAnswerCancel) {
            result.status = SaveStatus::kCancelled;
            return result;
        }
    }
    // An unsavable chart is refused whatever the file: checked before the file's own rules.
    if (!IsSavableChart(record)) {
        startup::ShowMessage("The selected chart is not a savable chart.", startup::kExclamation,
                             "Unsavable Chart");
        result.status = SaveStatus::kRefused;
        return result;
    }
    const OpenedChartFile file = OpenChartFile(request.file);
    if (file.handle < 1) {
        return result;
    }
    auto refuse = [&](const char* text) {
        CloseChartFile(file.version, file.handle);
        startup::ShowMessage(text, startup::kExclamation, "Invalid Chart File");
        result.status = SaveStatus::kRefused;
        return result;
    };
    if (file.version == kVersion0) {
        return refuse("The selected file is not a valid chart file for saving.");
    }
    if (file.version == kVersion1 && !Version1Accepts(record)) {
        return refuse("The selected file is not a valid chart file for saving subsidiary charts.");
    }
    const int count = ChartCount(file.version, file.handle);
    int n = count + 1;
    astro::ChartRecord stored = record;
    stored.comment_link = 0;
    if (request.replace) {
        if (request.replace_number < 1 || request.replace_number > count) {
            CloseChartFile(file.version, file.handle);
            result.status = SaveStatus::kRefused;
            return result;
        }
        n = request.replace_number;
        // The old comment chain stays linked so that storing the new comment frees it.
        if (const auto old = ReadChartRecord(file.version, file.handle, n)) {
            stored.comment_link = old->comment_link;
        }
    }
    bool ok = WriteChartRecord(file.version, file.handle, n, stored);
    if (ok && request.comment.has_value()) {
        ok = WriteChartComments(file.version, file.handle, n, *request.comment);
    }
    if (ok && request.events.has_value()) {
        ok = WriteChartEvents(file.version, file.handle, n, *request.events);
    }
    if (!CloseChartFile(file.version, file.handle)) {
        ok = false;
    }
    if (ok) {
        result.status = SaveStatus::kSaved;
        result.number = n;
    }
    return result;
}

SaveChartResult SaveCalculatedChart(int slot, SaveChartRequest request) {
    if (!astro::IsValidSlot(slot)) {
        return {};
    }
    astro::ChartSlot& chart = astro::Slot(slot);
    request.already_saved = !chart.file_path.empty() && chart.record_number > 0;
    const SaveChartResult result = SaveChartToFile(chart.record, request);
    if (result.status == SaveStatus::kSaved) {
        chart.file_path = request.file.string();
        chart.record_number = result.number;
    }
    return result;
}

}  // namespace meridia::charts
