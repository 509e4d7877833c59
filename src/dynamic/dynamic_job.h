// A dynamic report from typed input, as the command line (and scripts) ask for it: the radix
// chart's entry fields, the period as typed dates and a length, the method and its kinds, point
// lists, an aspect set, event families and the report zone and location; read, checked and run
// with RunDynamicSearch. Julian days in UT unless named report time.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/chart_entry.h"
#include "dynamic/dynamic_engine.h"
#include "startup/status.h"

namespace meridia::dynamic {

// The methods with their words in a job (`DynamicJob::method`).
struct DynamicMethodWord {
    std::string_view word;
    int method;
};
inline constexpr std::array<DynamicMethodWord, 5> kDynamicMethodWords = {{
    {"transits", kMethodTransits},
    {"progressions", kMethodProgressions},
    {"directions", kMethodDirections},
    {"transits-to-progressions", kMethodTransitsToProgressions},
    {"transits-to-directions", kMethodTransitsToDirections},
}};
// The word of a method; "transits" for a number that is none.
std::string_view DynamicMethodWordOf(int method);

struct DynamicJob {
    charts::ChartEntry radix;
    std::string from_date;
    std::string from_time;
    std::string to_date;              // the period ends at the end of that day
    std::optional<int> period;        // or a length in `unit`
    std::string unit = "years";       // days, months or years
    std::string method = "transits";  // transits, progressions, directions,
                                      // transits-to-progressions, transits-to-directions
    int progression_kind = kKindSecondary;
    int direction_type = kDirectionSolarArc;
    std::optional<double> rate;  // user arc rate, degrees per year
    double multiplier = 1.0;
    std::string moving;      // point list or selection; "" the method's default
    std::string targets;     // point list or selection; "" the default
    std::string aspect_set;  // name or path; "" the chart set in force
    std::string events;      // family list; "" the method's default
    bool enter_leave = false;
    bool quick = false;
    std::string report_zone;  // typed like a zone; "" the radix chart's zone
    bool auto_dst = false;
    bool relocate = false;
    std::string relocate_place;
    std::string relocate_country;
    std::string relocate_lat;
    std::string relocate_lon;
    std::string sort = "date";
    PrimaryDirectionOptions primary;
    std::string pd_method;  // placidus or regiomontanus
    DynamicProgress progress;
};

struct DynamicJobResult {
    DynamicSearchRequest request;
    DynamicSortKey sort = DynamicSortKey::kDate;  // the report order after the run
    DynamicRunResult run;
    std::vector<std::string> header;
    std::string radix_name;
};

// The default moving points (Moon, Sun, Mercury to Pluto) and targets (the same with the
// Ascendant and Midheaven).
std::vector<int> DefaultMovingPoints();
std::vector<int> DefaultTargetPoints();

// Slot of the chart table the radix chart is calculated into.
inline constexpr int kDynamicRadixSlot = 1;

// Reads the job into a search request: calculates the radix chart (with its extra points) into
// kDynamicRadixSlot, reads the point lists, aspect set, event families, report zone and
// location, the period and the sort key, and builds the report header; nothing is searched.
// Typed input that cannot be read is kRefused (its parser has shown why, or the status carries
// the message).
startup::StatusOr<DynamicJobResult> ReadDynamicJob(const DynamicJob& job);

// Reads and runs the job. Typed input that cannot be read is kRefused (its parser has shown
// why, or the status carries the message); a period outside the ephemeris kOutOfRange.
startup::StatusOr<DynamicJobResult> RunDynamicJob(const DynamicJob& job);

}  // namespace meridia::dynamic
