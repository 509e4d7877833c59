// The jobs behind the returns, eclipses, lunar-phases and void-of-course commands: typed
// fields (dates, positions, charts, option words) read by the entry form's parsers and turned
// into one call of the core each. A refused field is kRefused with its message (empty when a
// parser has shown its own). Julian days in universal time; zones in hours added to local time
// to get UT (east negative).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charts/chart_entry.h"
#include "returns/eclipse_columns.h"
#include "returns/eclipses.h"
#include "returns/lunar_phase_charts.h"
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
    std::optional<int> sort;                  // a sort key 0..13; empty: the setting EclSort
    // Charts to create: numbers (1-based) of eclipses in the sorted list, and the place they
    // are cast for: the radix chart, else the place fields (date and time may be left out),
    // else 0N00 0E00 in UT.
    std::vector<int> create_charts;
    charts::ChartEntry place;
    // A chart file (it must exist) the created charts are appended to; empty: none.
    std::string save_to;
};

struct EclipseJobResult {
    EclipseSearch search;
    std::vector<EclipseEntry> eclipses;  // sorted
    std::vector<std::string> header;
    NearestEclipse nearest;
    EclipseColumnSet columns;        // the layout of "EclCols.ini"
    startup::Status columns_status;  // not ok when the layout file was damaged
    std::vector<int> chart_slots;    // the created charts, in the order asked
    std::vector<int> saved_numbers;  // their numbers in the chart file saved to
};

startup::StatusOr<EclipseJobResult> RunEclipseJob(const EclipseJob& job);

struct LunarPhaseJob {
    SpanText span;
    // Charts to create: numbers (1-based) of phases in the list, cast at the place of the
    // place fields (date and time may be left out), else 0N00 0E00 in UT.
    std::vector<int> create_charts;
    charts::ChartEntry place;
    // A chart file (it must exist) the created charts are appended to; empty: none.
    std::string save_to;
    // Phase returns instead of the phases of the span: the place fields are the base chart,
    // whose Sun-Moon elongation returns after the span's start, `count` times (empty: the
    // setting PhaseReturnsToFind). The span needs no end.
    bool phase_returns = false;
    std::optional<int> count;
    // The charts of one kind under "Lunar Phases & Eclipses" instead of the phases of the span:
    // the place fields are the base chart, `around` and `around_time` (read in its zone) the
    // target moment, `count` the length of the lists (empty: the kind's setting). Every chart
    // of the list is opened (and appended to `save_to` when named); on any failure none is.
    std::optional<LunarPhaseChartKind> chart_kind;
    std::string around;
    std::string around_time;
    std::filesystem::path catalogue_folder;  // of the eclipse catalogues; empty: program folder
};

struct LunarPhaseJobResult {
    std::vector<int> saved_numbers;  // the created charts' numbers in the chart file saved to
    std::vector<LunarPhaseEvent> phases;
    double base_elongation = 0.0;  // phase returns: the base chart's Moon minus Sun, degrees
    std::vector<int> chart_slots;
    std::vector<LunarPhaseChart> charts;  // the charts of chart_kind, as opened into chart_slots
    int base_slot = 0;                    // the base chart of chart_kind and phase returns
};

startup::StatusOr<LunarPhaseJobResult> RunLunarPhaseJob(const LunarPhaseJob& job);

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
