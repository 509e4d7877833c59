#include "charts/chart_batch.h"

#include <string>
#include <vector>

#include "charts/chart_entry.h"
#include "charts/chart_files.h"
#include "startup/messages.h"
#include "startup/session.h"

namespace meridia::charts {

namespace {

constexpr std::string_view kProductName = "Meridia";

// Keeps the messages shown while it lives instead of showing them, so that the walk can turn
// a chart's messages into its status; Forward() shows the kept ones after all.
class MessageCapture {
public:
    MessageCapture() : session_(startup::CurrentSession()), previous_(&session_.message_sink()) {
        session_.SetMessageSink(&recorder_);
    }
    ~MessageCapture() { session_.SetMessageSink(previous_); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    bool empty() const { return recorder_.messages().empty(); }
    void Clear() { recorder_.Clear(); }

    // A status carrying the kept messages (texts joined by line breaks, the first one's
    // title), or the fallback message when none was shown. The kept messages are dropped.
    startup::Status TakeStatus(startup::StatusCode code, std::string fallback,
                               std::string_view fallback_title,
                               const std::filesystem::path& path = {}) {
        const std::vector<startup::Message>& kept = recorder_.messages();
        if (kept.empty()) {
            return {code, std::move(fallback), std::string(fallback_title), path};
        }
        std::string text;
        for (const startup::Message& message : kept) {
            if (!text.empty()) {
                text += '\n';
            }
            text += message.text;
        }
        startup::Status status(code, std::move(text), kept.front().title, path);
        recorder_.Clear();
        return status;
    }

    // Shows the kept messages through the sink that was installed before, then drops them.
    void Forward() {
        for (const startup::Message& message : recorder_.messages()) {
            previous_->Show(message);
        }
        recorder_.Clear();
    }

private:
    startup::Session& session_;
    startup::MessageSink* previous_;
    startup::RecordingMessageSink recorder_;
};

// Calculates one record fully into the slot; the status says why it could not be, with the
// messages the calculation showed when it has no message of its own.
startup::Status CalculateRecord(const astro::ChartRecord& record, int slot,
                                MessageCapture& capture) {
    startup::Status status = CalculateChartRecord(record, slot);
    if (status.ok()) {
        return status;
    }
    if (!status.message().empty()) {
        capture.Clear();
        return status;
    }
    return capture.TakeStatus(status.code(), "The chart cannot be calculated.", kProductName);
}

}  // namespace

startup::Status CalculateChartFile(const std::filesystem::path& file_name, int slot,
                                   const BatchChartCallback& each) {
    // A file already open (in the chart-file window) stays open after the walk.
    std::vector<bool> open_before;
    for (const ChartFileCacheEntry& entry : Cache().entries) {
        open_before.push_back(entry.in_use);
    }
    OpenedChartFile opened;
    {
        MessageCapture capture;
        opened = OpenChartFile(file_name);
        if (opened.handle < 1) {
            // The read-error message of a damaged file has been shown (and kept here); a
            // missing or unopenable file has its message in the status only.
            return capture.TakeStatus(opened.status.code(), opened.status.message(),
                                      opened.status.title(), file_name);
        }
        capture.Forward();
    }
    const auto index = static_cast<std::size_t>(opened.handle - 1);
    const bool was_open =
        opened.version == kVersionCurrent && index < open_before.size() && open_before[index];

    for (int n = 1; n <= opened.count; ++n) {
        BatchChart chart;
        chart.number = n;
        {
            // The chart's messages become its status; the callback runs outside the capture.
            MessageCapture capture;
            const startup::StatusOr<astro::ChartRecord> record =
                ReadChartRecord(opened.version, opened.handle, n);
            if (!record.ok()) {
                chart.status = capture.TakeStatus(record.status().code(), record.status().message(),
                                                  record.status().title(), file_name);
            } else {
                chart.status = CalculateRecord(*record, slot, capture);
                if (chart.status.ok()) {
                    chart.slot = &astro::Slot(slot);
                }
            }
            capture.Forward();
        }
        if (!each(chart)) {
            break;
        }
    }
    if (!was_open) {
        CloseChartFile(opened.version, opened.handle);
    }
    return {};
}

}  // namespace meridia::charts
