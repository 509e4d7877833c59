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
    std::string horizon;  // of rise/set charts: "visual" or "true"; "" the setting
};

// The chart of the transits at a moment of the local clock, for the transit bi-wheel: the radix
// chart's place, house system and zodiac; class natal, kind 1, named "Transits", calendar by
// date, in the zone given (hours added to local time to get UT, east negative) without a
// mnemonic.
astro::ChartRecord TransitsRecord(const astro::ChartRecord& radix,
                                  const astro::CompactDateTime& local_time, float zone_hours);

// The horizon as typed: "visual" or "true" (or capitalised), "" the setting RiseSetHorizon.
// Anything else is kRefused with "--horizon is visual or true." under `title`.
startup::StatusOr<astro::HorizonMode> ReadHorizon(const std::string& text,
                                                  const std::string& title);

// The kind of a progressed chart asked for without one: the progressed-angle method of the
// setting ProgAngles (1 at least).
int DefaultProgressedKind();

// The name the windowed program gives a derived chart that its calculation left unnamed: the
// base chart's name, " - " and the class name, with the kind name in brackets for a combined
// chart ("Anna - Composite (Midpoint)").
std::string DerivedChartName(const std::string& base_name, int chart_class, int chart_kind);

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

// Opens the base charts, builds the request and calculates it into a free slot. A class outside
// 1..18 or a kind outside 1..80 is kRefused with "--class is 1 to 18 and --kind 1 to 80.", an
// unknown horizon as ReadHorizon says (both under the base entry's title). Refused input,
// a refused base chart and a base chart that cannot be calculated are kRefused (the base
// charts missing with "The base charts of this chart class are missing."); a class calculated
// elsewhere or a full chart table (kNoFreeSlotText) is kFailed.
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
    std::string horizon;  // "visual" or "true"; "" the setting
};

struct RiseSetChoice {
    astro::HorizonMode horizon = astro::HorizonMode::kVisual;  // the horizon used
    astro::ChartRecord record;                                 // the typed chart
    astro::RiseSetTimes times;                                 // its four events
    std::vector<std::string> lines;  // the selection list, in the chart's zone
    int chart_slot = -1;             // the picked event's chart, -1 when none was picked
};

// A point outside 1..50 is kRefused with "--point is a point number 1 to 50.", a pick outside
// 1..4 with "--pick is 1 to 4.", an unknown horizon as ReadHorizon says (under the chart
// entry's title).
startup::StatusOr<RiseSetChoice> FindRiseSetChoice(const RiseSetJob& job);

}  // namespace meridia::charts
