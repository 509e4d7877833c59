// The jobs behind the returns, eclipses, lunar-phases and void-of-course commands: typed
// fields (dates, positions, charts, option words) read by the entry form's parsers and turned
// into one call of the core each. A refused field is kRefused with its message (empty when a
// parser has shown its own). Julian days in universal time; zones in hours added to local time
// to get UT (east negative).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charts/chart_entry.h"
#include "returns/eclipses.h"
#include "returns/lunar_phases.h"
#include "returns/returns.h"
#include "returns/void_of_course.h"
#include "startup/status.h"

namespace meridia::returns {

// A span of dates as typed: from date and time, and either an end date (the span ends at the
// end of that day) or a period of days, months or years.
struct SpanText {
    std::string from;
    std::string from_time;
    std::string to;
    std::optional<int> period;
    std::string unit = "days";  // days, months or years
};
// The span's Julian days (UT), read in the zone.
startup::StatusOr<std::pair<double, double>> ReadSpan(const SpanText& span, double zone_hours);

// A zodiacal position as typed: "15Ar30", "00°Ar00'00''", "15 Ar 30 20", or decimal degrees
// ("15.5"). Degrees 0..29 within the sign, minutes and seconds 0..59.
std::optional<double> ParseZodiacPosition(const std::string& text);

struct EclipseJob {
    SpanText span;
    std::string solar = "all";  // all, none, or a comma list of partial, annular, total, hybrid
    std::string lunar = "all";  // all, none, or a comma list of appulse, partial, total
    std::optional<int> saros;
    std::string fixed;                        // a fixed position; empty when none
    std::optional<charts::ChartEntry> radix;  // the radix chart of the aspect filter
    std::string aspect_set;                   // name or path; empty: the set in force
    std::string points;                       // the radix points; empty: the aspected points
    bool nearest = false;                     // the nearest-eclipse lookup instead of the list
};

struct EclipseJobResult {
    EclipseSearch search;
    std::vector<EclipseEntry> eclipses;
    std::vector<std::string> header;
    NearestEclipse nearest;
};

startup::StatusOr<EclipseJobResult> RunEclipseJob(const EclipseJob& job);

startup::StatusOr<std::vector<LunarPhaseEvent>> RunLunarPhaseJob(const SpanText& span);

struct VoidJob {
    charts::ChartEntry chart;
    std::optional<int> type;  // empty: the setting VoidOfCourseType
    int count = 1;
};

struct VoidJobResult {
    int slot = 0;
    bool is_void = false;
    std::vector<VoidOfCoursePeriod> periods;
};

startup::StatusOr<VoidJobResult> RunVoidJob(const VoidJob& job);

struct ReturnJob {
    charts::ChartEntry base;
    int point = 3;
    double harmonic = 1.0;
    std::string position;        // typed target position; empty: the natal position
    std::string which = "next";  // current, next or nearest
    int count = 1;
    bool converse = false;
    bool precessed = false;
    std::string from;
    std::string from_time;
    double accuracy_arcsec = 100.0;
    ReturnProgress progress;  // before each return; false cancels (FindReturns)
};

struct ReturnJobResult {
    ReturnRequest request;
    std::vector<FoundReturn> returns;
    std::vector<int> slots;  // the chart of each return; -1 for one not found
};

startup::StatusOr<ReturnJobResult> RunReturnJob(const ReturnJob& job);

}  // namespace meridia::returns
