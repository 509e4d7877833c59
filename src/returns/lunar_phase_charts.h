// The lunar-phase and eclipse charts offered under "Lunar Phases & Eclipses" ("Search for Phases
// Around:"): for a base chart and a target moment, the list of charts of one kind, each a
// complete chart record ready to be opened. The eight phases of the lunation cycle are the
// moments at which the Moon's elongation from the Sun is a multiple of 45 degrees (octant 0 New
// Moon .. 7 Balsamic; chart kinds 70..77). Julian days in universal time; longitudes tropical,
// degrees. Not thread-safe.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_record.h"
#include "returns/eclipses.h"
#include "returns/lunar_phases.h"
#include "startup/status.h"

namespace meridia::returns {

// The nine kinds, numbered 1..9 in the order of kLunarPhaseChartKinds.
enum class LunarPhaseChartKind {
    kProgressed = 1,
    kTransiting = 2,
    kPhaseReturns = 3,
    kFamilyNew = 4,
    kFamilyInProgress = 5,
    kEclipseList = 6,
    kEclipseAny = 7,
    kEclipseSolar = 8,
    kEclipseLunar = 9,
};

// A kind by its name (as listed in kLunarPhaseChartKinds, case ignored) or its number "1".."9".
std::optional<LunarPhaseChartKind> LunarPhaseChartKindOf(std::string_view text);
std::string_view LunarPhaseChartKindName(LunarPhaseChartKind kind);

struct LunarPhaseChartRequest {
    LunarPhaseChartKind kind = LunarPhaseChartKind::kTransiting;
    // The base chart: its record supplies the place, zone, house system and zodiac of every
    // chart; progressed phases and phase returns are those of its own moment and Sun-Moon phase.
    int base_slot = 0;
    double around_jd_ut = 0.0;  // the target moment
    // How many phases or eclipses (lists only); empty: the setting of the kind
    // (ProgPhaseReturnsToFind, TranPhaseReturnsToFind, PhaseReturnsToFind, EclipsesToFind).
    std::optional<int> count;
    // Progression-day mode of progressed phases (0 solar, 1 sidereal); empty: the setting
    // ProgDay.
    std::optional<int> day_mode;
    // The folder of the eclipse catalogues; empty: the program folder.
    std::filesystem::path catalogue_folder;
};

struct LunarPhaseChart {
    astro::ChartRecord record;  // class 10, named; opened as it is
    double jd_ut = 0.0;         // the moment of the phase or eclipse (progressed: the real date)
    // The moment the chart is cast for: the progressed moment of a progressed phase, else jd_ut.
    double chart_jd_ut = 0.0;
    int octant = 0;  // 0..7; eclipses 0 (solar, at New Moon) or 4 (lunar, at Full Moon)
    double moon_longitude = 0.0;
    double sun_longitude = 0.0;
    std::optional<EclipseEntry> eclipse;
};

// The charts of the request, in date order:
// - kProgressed: the secondary-progressed phases of the base chart (which must be of a natal
//   type) centred on the target: the progressed moment of the target is found, the phases
//   around it (count / 2 before, the rest at or after) are found in the ephemeris, and each is
//   mapped back to the real date at which the progressed chart reaches it. The chart is the
//   progressed chart of that real date: cast for the progressed moment at the base chart's
//   place, as progressed charts are stored; its name "Lunar Phases - Progressed " + phase +
//   " " + the real date carries the date of life.
// - kTransiting: the phases centred on the target the same way, named "Lunar Phases - " + phase.
// - kPhaseReturns: the returns of the base chart's Sun-Moon elongation after the target, named
//   "Lunar Phase Returns n" (kind: the 45-degree sector of the base chart's elongation).
// - kFamilyNew / kFamilyInProgress: the eight phases of PhaseFamily, named
//   "Lunar Phase Family - " + phase.
// - kEclipseList: the next `count` eclipses (solar and lunar) at or after the target, named
//   "Eclipses - " + type + " Solar Eclipse" / " Lunar Eclipse".
// - kEclipseAny / kEclipseSolar / kEclipseLunar: the one eclipse of that kind nearest the
//   target (before or after it; the earlier on a tie), named with its type and " Eclipse"
//   ("Total Solar Eclipse").
// Eclipse charts are cast at the eclipse maximum, with kind 70 (solar) or 74 (lunar). No
// eclipse (missing catalogues, or none in them) is kNotFound "No Eclipses".
startup::StatusOr<std::vector<LunarPhaseChart>> LunarPhaseCharts(
    const LunarPhaseChartRequest& request);

// A created chart as a line of the listings (no line break): its name in 48 columns, the
// moment written by `moment_text`, and the Moon's position.
std::string LunarPhaseChartLine(const LunarPhaseChart& chart, const std::string& moment_text);

}  // namespace meridia::returns
