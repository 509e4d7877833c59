// The report buffer: the lines of a text report in order, each with its font size and indent,
// the optional chart-detail header, and the report's computed figures by name (what scripts
// read from `meridia-cli report --json`). Reports fill it; the report view, the command line
// and the page renderer only show it. Times as Julian days in universal time (jd_ut); zones in
// hours added to local time to get UT (east negative).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "astro/chart_table.h"

namespace meridia::reports {

inline constexpr std::string_view kEndReport = "*** END REPORT ***";
inline constexpr std::string_view kReportErrorText =
    "Unexpected error encountered during report generation.";
inline constexpr std::string_view kReportErrorTitle = "Report Error";
inline constexpr std::string_view kNotForChartType =
    "Report cannot be calculated for charts of this type.";
inline constexpr int kNormalFontSize = 10;
inline constexpr int kHeadingFontSize = 12;

struct ReportLine {
    std::string text;
    int font_size = kNormalFontSize;
    int indent = 0;  // characters
};

// A computed figure: a number, a text, or a list of texts.
using ReportValue = std::variant<double, std::string, std::vector<std::string>>;

// One aspect as the aspect listings write it.
struct AspectRec {
    int point_a = 0;
    int point_b = 0;
    std::string aspect_name;
    double orb = 0.0;  // the deviation from exact, degrees
    bool applying = false;
    bool chart_b = false;  // point_b belongs to chart B
};

class ReportWriter {
public:
    // Starts a report: clears the buffer and writes the title line.
    void InitializeReport(std::string_view title);
    // Writes the closing "*** END REPORT ***" (once).
    void CompleteReport();
    void Clear();

    // A heading line in the larger font.
    void Header(std::string_view text);
    // A short line in the normal font.
    void Brief(std::string_view text);
    // An empty line.
    void NL();
    // Appends text to the current (last) line, or starts one when there is none.
    void Append(std::string_view text);

    // The chart-detail header shown above the report: name, date, time, zone and place.
    void ApplyHeader(const std::string& header) { header_ = header; }
    const std::string& ChartHeader() const { return header_; }
    // The chart details of a slot as the report writes them under "CHART " + letter.
    static std::vector<std::string> DescribeChartDetails(const astro::ChartSlot& slot);
    // Writes the "CHART A" (B, ...) heading and the details of the slot.
    void AddRadixChart(const astro::ChartSlot& slot, int chart_index);
    // The same for a chart of a dynamic report (its moment is written in UT as well).
    void AddDynamicChart(const astro::ChartSlot& slot, int chart_index);
    // One aspect line: points, aspect, orb and "A" or "S".
    void AddAspectRec(const AspectRec& rec);
    // "GMT", "+5:00 (EST)" style: the zone value and its mnemonic.
    static std::string TimeZoneText(double zone_hours, const std::string& mnemonic);

    void SetIndent(int indent) { indent_ = indent; }
    int Indent() const { return indent_; }

    void SetValue(const std::string& name, ReportValue value) { values_[name] = std::move(value); }

    const std::string& Title() const { return title_; }
    const std::vector<ReportLine>& Lines() const { return lines_; }
    const std::map<std::string, ReportValue>& Values() const { return values_; }
    bool Completed() const { return completed_; }
    // The lines joined with "\n", each followed by a newline.
    std::string Text() const;

private:
    std::string title_;
    std::string header_;
    std::vector<ReportLine> lines_;
    std::map<std::string, ReportValue> values_;
    int indent_ = 0;
    bool completed_ = false;
};

// "CHART A" for index 0, "CHART B" for 1...
std::string ChartLetterHeading(int chart_index);
// "A", "B"...
char ChartLetter(int chart_index);
// An arc as degrees and minutes, "-" before a negative one: "3°07'".
std::string FormatOrb(double orb);

}  // namespace meridia::reports
