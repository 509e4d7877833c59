// The text reports: each kind is one operation that takes the chart slots (one, or two for
// synastry), the point selection and the aspect set, and fills a report buffer that ends with
// "*** END REPORT ***". RunReportJob serves `meridia-cli report`: it calculates typed charts
// and runs one kind. Angles in degrees; Julian days in universal time unless named jd_et.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aspects/aspect_find.h"
#include "aspects/aspect_set.h"
#include "charts/chart_entry.h"
#include "charts/point_selection.h"
#include "reports/report_writer.h"
#include "startup/status.h"

namespace meridia::reports {

struct ReportRequest {
    int slot_a = 1;
    int slot_b = 0;  // 0: a report of one chart
    // The points of the report; none means every point in use.
    std::optional<charts::PointSelection> selection;
    // The aspect set; nullptr takes the chart set of the session's aspect manager.
    const aspects::AspectSet* aspect_set = nullptr;
    int orb_kind = aspects::kOrbNatal;
    aspects::PartileRule partile;
    double modulus = 360.0;  // point sorts and midpoint listings: 360, 90, 45, 22.5...
    std::string weighting;   // almuten weighting file; "" the report's default
};

struct ReportKind {
    std::string name;   // the command-line name: "analysis", "considerations"...
    std::string title;  // the report's title line or page block heading
};

// Every kind, in the order `meridia-cli report --list` shows them.
const std::vector<ReportKind>& ReportKinds();
const ReportKind* FindReportKind(std::string_view name);

// Runs one kind into the writer. An unknown kind is kRefused ("Unknown report kind: NAME").
// An unexpected failure inside a report shows "Unexpected error encountered during report
// generation." titled "Report Error"; the buffer then holds the lines written so far and the
// closing line.
startup::Status RunReport(std::string_view kind, const ReportRequest& request,
                          ReportWriter& writer);

// `meridia-cli report`: typed charts and options.
struct ReportJob {
    std::string kind;
    charts::ChartEntry first;
    std::optional<charts::ChartEntry> second;
    std::string aspect_set;  // name or path; "" the chart set of the settings
    std::string points;      // point-list option; "" the aspected points of the settings
    double modulus = 360.0;
    std::string weighting;
    std::string out;  // a file the text is written to (its folder must exist); "" none
};
// Slots of the chart table the job calculates its charts into.
inline constexpr int kReportSlotA = 1;
inline constexpr int kReportSlotB = 2;
// Refuses a missing or unknown kind, a modulus out of (0, 360] and an output file whose folder
// does not exist before anything is calculated; then calculates the charts, runs the kind and
// writes the text to `out` when given (through a temporary file).
startup::StatusOr<ReportWriter> RunReportJob(const ReportJob& job);

}  // namespace meridia::reports
