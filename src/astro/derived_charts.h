// Derived (subsidiary) charts: progressed, directed, combined (Davison and midpoint composite),
// harmonic, antiscia, Vedic and divisional, locality, lunar-phase, rise/set and transit charts,
// each calculated as a full chart into a slot of the chart table from one or more base charts.
// Angles in degrees; Julian days in universal time unless named jd_et; rates in ephemeris days
// per day of life; ages in tropical years of 365.24219907 days.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "astro/chart_record.h"
#include "astro/chart_table.h"
#include "startup/status.h"

namespace meridia::astro {

// Chart classes (the record's class byte).
inline constexpr int kClassNatal = 1;
inline constexpr int kClassSecondary = 2;
inline constexpr int kClassDirected = 3;
inline constexpr int kClassReturn = 4;
inline constexpr int kClassCombined = 5;
inline constexpr int kClassHarmonic = 6;
inline constexpr int kClassAntiscia = 7;
inline constexpr int kClassPreNatal = 8;
inline constexpr int kClassRiseSet = 9;
inline constexpr int kClassLunarPhase = 10;
inline constexpr int kClassTertiary = 11;
inline constexpr int kClassMinor = 12;
inline constexpr int kClassUserProgression = 13;
inline constexpr int kClassLocality = 14;
inline constexpr int kClassTrueTertiary = 15;
inline constexpr int kClassVedic = 16;
inline constexpr int kClassTransits = 17;
inline constexpr int kClassVanDam = 18;

// Chart kinds (the record's kind byte) that the calculations below look at.
inline constexpr int kKindNatal = 1;
inline constexpr int kKindMidpoints = 2;
inline constexpr int kKindSolarArc = 4;
inline constexpr int kKindAscArc = 5;
inline constexpr int kKindVertexArc = 6;
inline constexpr int kKindUserArc = 7;
inline constexpr int kKindProfection = 8;
inline constexpr int kKindRelocated = 10;
inline constexpr int kKindZeroCapricorn = 12;
inline constexpr int kKindZeroAries = 13;
inline constexpr int kKindDavison = 15;
inline constexpr int kKindArcTransform = 38;
inline constexpr int kKindLongitudeEquivalent = 39;
inline constexpr int kKindFirstDivisional = 50;  // 50..69: "D2 Hora" .. "D60 Shashtiamsha"
inline constexpr int kKindLastDivisional = 69;
inline constexpr int kKindFirstLunarPhase = 70;  // 70..77: New Moon .. Balsamic, 45 degrees apart
inline constexpr int kKindLastLunarPhase = 77;
inline constexpr int kKindAgeHarmonic = 79;
inline constexpr int kKindAgePlusOneHarmonic = 80;

// Progressed-angle methods (a progressed chart's kind byte; names are entries 600 + method).
inline constexpr int kAnglesSolarArcLongitude = 1;
inline constexpr int kAnglesSolarArcRightAscension = 2;
inline constexpr int kAnglesNaibodLongitude = 3;
inline constexpr int kAnglesNaibodRightAscension = 4;

// Rate kinds of ProgressionRate.
inline constexpr int kRateSecondary = 1;
inline constexpr int kRateTertiary = 2;
inline constexpr int kRateMinor = 3;
inline constexpr int kRateUser = 4;
inline constexpr int kRateRealTime = 12;

inline constexpr double kTropicalYearDays = 365.24219907;
inline constexpr double kSiderealYearDays = 365.25636042;
inline constexpr double kTropicalMonthDays = 27.32158648147;
inline constexpr double kSiderealMonthDays = 27.32264580745;
// Mean solar days per sidereal day: the factor X of the sidereal progression-day mode.
inline constexpr double kSiderealDayFactor = 0.99726956633;
inline constexpr double kDefaultUserRate = 0.002737909;
// Naibod's mean daily motion of the Sun used by the Naibod angle methods, degrees per day.
inline constexpr double kNaibodArcPerDay = 0.985417;

// The two ways of moving the angles by a longitude arc.
enum class AngleVariant {
    kRamcPlusArc,       // progressed RAMC = natal RAMC + arc; MC and Ascendant from it
    kMidheavenPlusArc,  // progressed MC = natal MC + arc; the Ascendant from that MC
};

// Horizon of the rise/set chart: "Visual" uses the standard altitudes, "True" altitude 0.
enum class HorizonMode { kVisual, kTrue };

// What to derive. The record carries the class and kind bytes, the chart name, and the target:
// date, time and zone of the progression, direction, transit, lunar phase or rise/set day, and
// the place of a locality or rise/set chart. House system, zodiac and coordinate system of the
// record are used where no base chart supplies them (natal and rise/set requests).
struct SubsidiaryRequest {
    ChartRecord record;
    int base_slot = 0;
    // Further base charts of a combined chart (the second chart of a relationship first).
    std::vector<int> other_slots;
    int day_mode = 0;  // 0 mean solar day and tropical periods, 1 sidereal
    bool converse = false;
    bool precession_correction = false;  // honoured for tropical base charts only
    AngleVariant angle_variant = AngleVariant::kRamcPlusArc;
    // Harmonic number (class 6 kind 1), or the arc in degrees of an arc transform (kind 38).
    double harmonic = 1.0;
    // Composite cusp sequence start: 1 or 10; 0 chooses by the two charts' angles.
    int composite_start_cusp = 0;
    HorizonMode horizon = HorizonMode::kVisual;
    int rise_set_event = 1;  // 1 culminating, 2 anticulminating, 3 rising, 4 setting
};

enum class SubsidiaryStatus {
    kOk,
    kRefused,       // the base chart failed CheckBaseChart; the message has been shown
    kBadSlot,       // target or base slot not usable
    kFailed,        // the calculation failed (its message has been shown)
    kNotAvailable,  // the class is calculated by another part (returns, pre-natal, van Dam)
};

// What a derived chart keeps beside its slot (the rate used, the options of the request).
struct DerivedSlotInfo {
    bool derived = false;
    int chart_class = 1;
    int chart_kind = 1;
    double rate = 0.0;               // ephemeris days per day of life (progressions)
    double progressed_offset = 0.0;  // days from the base moment to the progressed moment
    double arc = 0.0;                // direction or angle arc, degrees
    int day_mode = 0;
    bool converse = false;
    int angle_method = 0;  // 0 when the angles were left as calculated
    AngleVariant angle_variant = AngleVariant::kRamcPlusArc;
    double harmonic = 0.0;
    std::string horizon_mode;  // "Visual" or "True" (rise/set charts)
    int base_slot = 0;
};

// The derived-chart information of a slot (1..114) of the session's table.
DerivedSlotInfo& DerivedInfo(int slot);

// True when the base chart is acceptable for a request of this class and kind; otherwise
// `message` is completed ("The subsidiary chart cannot be calculated because the base chart
// is not of a natal type." and the like) and false is returned.
bool CheckBaseChart(int base_slot, int chart_class, int chart_kind, std::string& message);

// Ephemeris days per day of life of rate kind k (kRate...; any other kind is secondary) in the
// progression-day mode (0 solar, 1 sidereal). The user rate comes from `UserProgRate`.
double ProgressionRate(int rate_kind, int day_mode);

// Calculates the request into the target slot as a full chart (record, positions, angles,
// cusps, equatorial coordinates, house numbers) and fills its DerivedInfo. A refused or failed
// request leaves the target slot as it was.
SubsidiaryStatus CalcSubsidiaryChart(const SubsidiaryRequest& request, int target_slot);

// The calculator of return charts (class 4), which the returns library supplies: the record's
// kind byte is the returning point, its date, time and zone the search start, and the
// harmonic, converse and precession options of the request apply. Until one is set, return
// requests are kNotAvailable.
using ReturnChartCalculator = SubsidiaryStatus (*)(const SubsidiaryRequest& request,
                                                   int target_slot);
void SetReturnChartCalculator(ReturnChartCalculator calculator);

// Combined charts (class 5) from the base slot and the other slots of the request.
SubsidiaryStatus CalcCombinedChart(const SubsidiaryRequest& request, int target_slot);

// The progressed Julian day (UT) of a progression class (2, 3, 11, 12, 13, 15, 17) for the base
// moment jd_base_ut and target moment jd_target_ut; rate receives the rate used (for class 15
// the mean rate of the lunar month in progress). Fails (nothing shown) with kOutOfRange when the
// ephemeris has no Moon for a moment needed, or with kNotConverged when a return of the Moon
// to its natal place (true tertiary progressions) could not be found to the tolerance; the
// status holds the message to show.
startup::Status ProgressedJulianDay(int chart_class, double jd_base_ut, double jd_target_ut,
                                    int day_mode, bool converse, double& progressed_jd_ut,
                                    double& rate);

// The month of a true tertiary progression (class 15) that holds the moment `elapsed` days after
// the base moment: the Julian days (UT) of the two returns of the Moon to its natal place that
// enclose it (the base moment itself starts month 0), its number n (negative before the base
// moment) and the day factor X of the progression-day mode. The progressed offset at a moment t
// of the month is (n + (t - start) / (next - start)) x X days. Fails as ProgressedJulianDay.
struct TrueTertiaryMonth {
    double start = 0.0;
    double next = 0.0;
    double n = 0.0;
    double day_factor = 1.0;
};
startup::StatusOr<TrueTertiaryMonth> TrueTertiaryMonthOf(double jd_base_ut, double elapsed,
                                                         int day_mode);

// The composite longitude of n longitudes (degrees): the mean of their distances from the
// longitude that follows the largest gap, added to it; [0, 360).
double CompositeLongitude(const std::vector<double>& longitudes);
// The composite cusps of two charts' cusps (cusps[1..12]) starting at cusp 1 or 10.
std::array<double, 13> CompositeCusps(const std::array<double, 13>& a,
                                      const std::array<double, 13>& b, int start_cusp);
// The nearer midpoint of two geographic longitudes (west positive), in (-180, 180].
double DavisonLongitude(double longitude_a, double longitude_b);

// Antiscia: reflection across the Cancer-Capricorn axis (540 - x) or the Aries-Libra axis
// (360 - x), reduced to [0, 360).
double AntisciaLongitude(double longitude, int kind);
// The longitude of a sidereal longitude in the divisional chart of kind 50..69.
double DivisionalLongitude(double sidereal_longitude, int kind);
// The division number of a divisional kind (2 for "D2 Hora" ... 60); 0 for other kinds.
int DivisionOf(int kind);

// Local date and time (rounded to the second, automatic calendar) of the moment jd_ut in a
// zone (hours added to local time give universal time).
CompactDateTime LocalDateTime(double jd_ut, float zone_hours);

}  // namespace meridia::astro
