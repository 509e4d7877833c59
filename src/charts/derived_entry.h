// Derived charts and rise/set charts opened from typed charts: the base charts are built and
// opened like any entered chart, the derived chart goes into the next free slot of the chart
// table, named after its base chart, and a target moment typed without a place takes the
// base chart's place and zone. Zones in hours added to local time to get UT (east negative).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/derived_charts.h"
#include "astro/rise_set.h"
#include "charts/chart_entry.h"
#include "startup/status.h"

namespace meridia::charts {

// What to derive: the request's class, kind and options (its record, base slot and other
// slots are filled from the entries), the base chart, an optional second base chart and an
// optional target moment (date, time, zone, place of the progression, return, lunar phase...).
struct DerivedChartJob {
    astro::SubsidiaryRequest request;
    ChartEntry base;
    std::optional<ChartEntry> second;
    std::optional<ChartEntry> target;
};

// The derived chart and which of its figures its class has.
struct DerivedChart {
    int slot = 0;
    bool progression = false;  // a progressed moment: the rate and offset of DerivedInfo
    bool arc = false;          // directed charts and moved angles: the arc of DerivedInfo
    bool harmonic = false;     // harmonic charts: the harmonic of DerivedInfo
};

// True for the classes that progress the base moment by a rate (secondary, directed,
// tertiary, minor, user, true tertiary progressions and transits).
bool IsProgressionClass(int chart_class);

// Opens the base charts, builds the request and calculates it into a free slot. Refused input,
// a refused base chart and a base chart that cannot be calculated are kRefused (the base
// charts missing with "The base charts of this chart class are missing."); a class calculated
// elsewhere or a full chart table is kFailed.
startup::StatusOr<DerivedChart> OpenDerivedChart(const DerivedChartJob& job);

// The same for base charts that are calculated already (the windowed program's open charts):
// the request's base slot and other slots name them; a typed target is applied as above. The
// title is the one refusals of the request carry.
startup::StatusOr<DerivedChart> OpenDerivedChartOfSlots(const astro::SubsidiaryRequest& request,
                                                        const std::optional<ChartEntry>& target,
                                                        const std::string& title);

// The rise, set and transit times of a point on the day of a typed chart, and, when an event
// is picked (1..4), its rise/set chart in a free slot.
struct RiseSetJob {
    ChartEntry chart;
    int point = 1;
    std::optional<int> pick;
    astro::HorizonMode horizon = astro::HorizonMode::kVisual;
};

struct RiseSetChoice {
    astro::ChartRecord record;       // the typed chart
    astro::RiseSetTimes times;       // its four events
    std::vector<std::string> lines;  // the selection list, in the chart's zone
    int chart_slot = -1;             // the picked event's chart, -1 when none was picked
};

startup::StatusOr<RiseSetChoice> FindRiseSetChoice(const RiseSetJob& job);

}  // namespace meridia::charts
