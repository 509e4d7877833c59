// Primary directions: the settings (rate key, direction type, method, converse method), the
// rate keys that turn an arc of direction into years of life and back, the Placidus
// (semi-arc) and Regiomontanus (pole) arcs, and the directional place of a point.
// Angles and arcs in degrees; ages in tropical years of 365.24219907 days; Julian days in
// universal time (jd_ut). The radix is a slot of the calculated-chart table; the specula and
// solar rates of that chart are cached and cleared when the chart is set again.
// Not thread-safe: one session, one thread.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "astro/chart_table.h"
#include "directions/mundane_positions.h"

namespace meridia::dynamic {
class DynamicReportClass;
}  // namespace meridia::dynamic

namespace meridia::directions {

// Rate keys.
inline constexpr int kKeyPtolemy = 1;
inline constexpr int kKeyNaibod = 2;
inline constexpr int kKeyKepler = 3;    // natal solar rate in right ascension
inline constexpr int kKeyPlacidus = 4;  // true solar arc in right ascension
inline constexpr int kKeyCardan = 5;
inline constexpr int kKeyUser = 6;       // the UserDirRate setting, degrees per year
inline constexpr int kKeySolarLong = 7;  // natal solar rate in longitude
inline constexpr int kRateKeyCount = 7;

inline constexpr int kTypeMundane = 1;
inline constexpr int kTypeZodiacal = 2;
inline constexpr int kMethodPlacidus = 1;
inline constexpr int kMethodRegiomontanus = 2;
inline constexpr int kConverseClassical = 1;
inline constexpr int kConverseModern = 2;

inline constexpr double kDaysPerYear = 365.24219907;
// Tolerance of the inversion of key 4 (arc to years), degrees of arc.
inline constexpr double kSolarArcTolerance = 1e-9;

// The Placidus arc that brings a point to the mundane position `position` (0..360 as in
// Speculum::PlacidusMundanePosition), in [-180, 180): positive arcs follow the diurnal motion.
double PlacidusArc(const Speculum& promissor, double position);
// The Regiomontanus arc that brings the promissor to the point `offset` degrees (of oblique
// ascension under the significator's pole) before the significator's Regiomontanus mundane
// position; offset 0 is the conjunction. In [-180, 180).
double RegiomontanusArc(const Speculum& promissor, const Speculum& significator, double offset);

// The result of the directional-place search.
struct DirectionalPlace {
    double longitude = 0.0;  // [0, 360)
    bool converged = true;   // |d| < 0.001 degree within 20 iterations
    // "ComputeDirectionalPlace not converging: Sig = ..." when |d| was still 1 degree or more.
    std::string diagnostic;
};

class PrimaryDirectionsClass {
public:
    // The settings at their defaults; the user rate of key 6 from the UserDirRate setting.
    PrimaryDirectionsClass();

    // The event table that receives direction events (not owned; nullptr when none).
    dynamic::DynamicReportClass* DRC() const { return drc_; }
    void DRC(dynamic::DynamicReportClass* table) { drc_ = table; }

    int NumRateMethods() const { return kRateKeyCount; }
    int PrimaryRateKey() const { return rate_key_; }
    void PrimaryRateKey(int key) { rate_key_ = key; }
    // The key shown at list position 1..7 (Ptolemy, Naibod, Cardan, Kepler, Natal Solar Rate
    // in Longitude, Placidus, User); 0 for a position outside the list.
    static int PrimaryRateKeyOrder(int position);
    // The list position of a key; 0 for an unknown key.
    static int LookupKeyOrderIndex(int key);
    // The name of a key (0: the current key); "" for an unknown key.
    std::string PrimaryRateName(int key) const;

    int NumDirectionTypes() const { return 2; }
    int PrimaryDirectionType() const { return direction_type_; }
    void PrimaryDirectionType(int type) { direction_type_ = type; }
    static std::string PrimaryDirectionTypeName(int type);
    int PrimaryDirectionMethod() const { return method_; }
    void PrimaryDirectionMethod(int method) { method_ = method; }
    static std::string PrimaryDirectionMethodName(int method);
    int NumConverseMethods() const { return 2; }
    int ConverseMethod() const { return converse_method_; }
    void ConverseMethod(int method) { converse_method_ = method; }
    static std::string ConverseMethodName(int method);

    // The radix: a slot number 1..114 of the calculated-chart table (0 none). Setting it clears
    // the cached specula and solar rates.
    int Chart() const { return chart_; }
    void Chart(int slot);
    bool Converse() const { return converse_; }
    void Converse(bool value) { converse_ = value; }
    // Zodiacal directions taken without the points' latitudes.
    bool MakranskyZodiacal() const { return makransky_; }
    void MakranskyZodiacal(bool value) { makransky_ = value; }
    double UserDirRate() const { return user_rate_; }
    void UserDirRate(double degrees_per_year) { user_rate_ = degrees_per_year; }

    // True when the chart number names a slot of the table.
    bool HasChart() const;
    // The cached speculum of a radix point (made on first request).
    const Speculum& SpeculumOf(int point);
    void ClearSpecula();

    // The Sun's daily motion at birth in right ascension and in longitude (degrees per day),
    // through a temporary chart "PrimDir" a day apart around the birth moment; computed once
    // per chart. 0 without a chart.
    double SolarRateRA();
    double SolarRateLongitude();

    // Years of life to the arc of direction by a key (0: the current key; 8 and any unknown
    // key read as key 1). 0 without a chart.
    double YearsToDirectedDegree(double years, int key = 0);
    // The arc back to years by a key; key 4 by a converging search to 1e-9 degree of arc.
    double DirectedDegreeToYears(double arc, int key = 0);
    // The Julian day (UT) at which an arc is reached: natal Julian day + years x 365.24219907.
    // 0 without a chart.
    double DirectedDegreeToDate(double arc, int key = 0);
    // The arcs at the two ends of a report period (ascending), by the current key.
    std::pair<double, double> PeriodToArcs(double jd_start_ut, double jd_end_ut);

    // The mundane value of an ecliptic point by the current method (Placidus mundane position,
    // or Regiomontanus mundane position) for a RAMC, with the point's latitude or without.
    double LongitudeToLongitudeArc(double longitude, double latitude, double ramc) const;
    double LongitudeToArc(double longitude, double ramc) const;
    // The ecliptic longitude whose mundane value (with the latitude for zodiacal directions
    // unless Makransky's option is on) equals the target, from a starting longitude: at most
    // 20 steps, stopping below 0.001 degree.
    DirectionalPlace ComputeDirectionalPlace(int significator, double target, double longitude,
                                             double latitude, double ramc) const;
    // The ecliptic longitude at a mundane position of the radix.
    double MundanePositionToLongitude(double position);
    // The arc between a promissor and a significator (radix points) for the target offset, by
    // the current method, in [-180, 180). Zodiacal directions take the promissor's zodiacal
    // point (its longitude plus the offset, with its latitude unless Makransky's option is on)
    // and the offset 0.
    double ComputeArc(int promissor, int significator, double offset);
    double ZodiacalArc(double longitude, double latitude, int significator, double offset);
    // Where a radix point has been carried by a turn of the sky (positive: with the diurnal
    // motion, negative: against it): the radix longitude that holds the point's mundane value
    // under the turned RAMC. The diagnostic of a place that did not converge goes to `diagnostic`
    // when given.
    double ArcToLongitude(int point, double rotation, std::string* diagnostic = nullptr);
    // The Ascendant of the radix RAMC turned by the rotation.
    double DirectAscendant(double rotation);

private:
    struct SunRA {
        double ra = 0.0;     // degrees
        double speed = 0.0;  // degrees per day
    };
    SunRA SunRightAscensionAt(double jd_ut);
    // Key 4: the secondary-progressed Sun's right ascension (a day per year of age) minus the
    // natal Sun's; the arc of a negative age is that of the positive age negated, so that the
    // key is odd like the others.
    double TrueSolarArc(double years);
    double TrueSolarArcYears(double arc);
    void ComputeSolarRates();
    const astro::ChartSlot& Radix() const;

    dynamic::DynamicReportClass* drc_ = nullptr;
    int rate_key_ = kKeyPtolemy;
    int direction_type_ = kTypeMundane;
    int method_ = kMethodPlacidus;
    int converse_method_ = kConverseClassical;
    int chart_ = 0;
    bool converse_ = false;
    bool makransky_ = false;
    double user_rate_ = 1.0;
    bool true_obliquity_ = false;

    std::optional<double> solar_rate_ra_;
    std::optional<double> solar_rate_longitude_;
    std::optional<double> natal_sun_ra_;
    // Scratch slot of the Sun's positions for key 4, made on first use.
    std::unique_ptr<astro::ChartSlot> sun_slot_;
    std::array<std::optional<Speculum>, astro::kMaxPoints + 1> specula_;
};

}  // namespace meridia::directions
