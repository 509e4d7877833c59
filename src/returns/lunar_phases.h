// Lunar phases: the exact instants of new Moon, first quarter, full Moon and last quarter (the
// Moon's elongation from the Sun 0, 90, 180 and 270 degrees, geocentric apparent longitudes)
// over a span, and the names of the lunar-phase and eclipse kinds of subsidiary charts.
// Julian days in universal time (jd_ut); longitudes tropical, degrees. Not thread-safe.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_record.h"
#include "startup/status.h"

namespace meridia::returns {

enum class LunarPhase { kNew = 0, kFirstQuarter = 1, kFull = 2, kLastQuarter = 3 };

// "new", "first quarter", "full", "last quarter".
std::string_view LunarPhaseKey(LunarPhase phase);
// "New Moon", "First Quarter", "Full Moon", "Last Quarter".
std::string_view LunarPhaseTitle(LunarPhase phase);

struct LunarPhaseEvent {
    LunarPhase phase = LunarPhase::kNew;
    double jd_ut = 0.0;
    double moon_longitude = 0.0;  // tropical, degrees
    double sun_longitude = 0.0;
    // 0..7 for a phase of the eight (every 45 degrees, 0 New Moon .. 7 Balsamic); -1 when the
    // event is one of the four quarters given by `phase` only.
    int octant = -1;
};

// The instant of the next phase of the kind after jd_ut (strictly later), to about a
// millisecond.
startup::StatusOr<LunarPhaseEvent> NextLunarPhase(double jd_ut, LunarPhase phase);
// Every phase with from_jd_ut <= instant <= to_jd_ut, in date order.
startup::StatusOr<std::vector<LunarPhaseEvent>> FindLunarPhases(double from_jd_ut, double to_jd_ut);

// Phase returns: the first `count` instants after jd_ut (strictly later) at which the Moon's
// elongation from the Sun comes back to `elongation` degrees (a chart's own Sun-Moon phase), in
// date order, about a synodic month apart. Each event's phase is the quarter the elongation
// lies in.
startup::StatusOr<std::vector<LunarPhaseEvent>> FindPhaseReturns(double jd_ut, double elongation,
                                                                 int count);

// "New Moon", "Crescent", "First Quarter", "Gibbous", "Full Moon", "Disseminating",
// "Last Quarter", "Balsamic" for octants 0..7.
std::string_view OctantPhaseTitle(int octant);

// `count` successive phases (every 45 degrees of elongation) from the first at or after jd_ut,
// in date order; each event's octant is set and its phase is the quarter it lies in.
startup::StatusOr<std::vector<LunarPhaseEvent>> OctantPhasesFrom(double jd_ut, int count);
// The `count` phases (every 45 degrees) strictly before jd_ut, in date order.
startup::StatusOr<std::vector<LunarPhaseEvent>> OctantPhasesBefore(double jd_ut, int count);
// Phases centred on jd_ut: count / 2 (rounded down) strictly before it and the rest at or after
// it, in date order.
startup::StatusOr<std::vector<LunarPhaseEvent>> OctantPhasesAround(double jd_ut, int count);
// The eight phases of a lunation cycle, New Moon to Balsamic: the cycle that begins at the first
// New Moon at or after jd_ut, or (in_progress) the cycle whose New Moon is at or before jd_ut.
startup::StatusOr<std::vector<LunarPhaseEvent>> PhaseFamily(double jd_ut, bool in_progress);

// The chart of a phase at a place (the place's record supplies name, coordinates, zone, house
// system and zodiac): the phase's moment in the place's zone, a lunar-phase chart (class 10)
// of the phase's kind (70..77 by the octant; for a quarter-only event 70 New Moon, 72 First
// Quarter, 74 Full Moon, 76 Last Quarter), named "Lunar Phase: " and the phase
// ("Lunar Phase: Full Moon", "Lunar Phase: Crescent").
astro::ChartRecord LunarPhaseChartRecord(const LunarPhaseEvent& event,
                                         const astro::ChartRecord& place);

// The subsidiary-chart kinds under "Lunar Phases & Eclipses" ("Search for Phases Around:").
inline constexpr std::array<std::string_view, 9> kLunarPhaseChartKinds = {
    "Progressed Lunar Phases",  "Transiting Lunar Phases",    "Phase Returns",
    "Phase Family (New)",       "Phase Family (In Progress)", "Eclipses (List)",
    "Eclipse (Solar or Lunar)", "Eclipse (Solar only)",       "Eclipse (Lunar only)"};
// The parts of the names of those charts.
inline constexpr std::string_view kLunarPhasesNamePrefix = "Lunar Phases - ";
inline constexpr std::string_view kLunarPhaseFamilyName = "Lunar Phase Family";
inline constexpr std::string_view kLunarPhaseReturnsName = "Lunar Phase Returns";
inline constexpr std::string_view kEclipsesNamePrefix = "Eclipses - ";
inline constexpr std::string_view kLunarPhaseNamePrefix = "Lunar Phase: ";
inline constexpr std::string_view kEclipseNameSuffix = " Eclipse";

}  // namespace meridia::returns
