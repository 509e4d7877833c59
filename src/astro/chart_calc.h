// Chart calculation: a chart record (or the bare values of a moment and place) calculated
// into a slot of the chart table: time scales, zodiac offset, obliquity, RAMC, positions,
// angles and derived points, equatorial coordinates, house cusps and house numbers.
// Angles in degrees; RAMC and obliquity in degrees; universal time in hours; Julian days as
// named (jd_ut, jd_et). Geographic longitude positive west, latitude positive north.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "astro/chart_record.h"
#include "astro/chart_table.h"

namespace meridia::astro {

// Sidereal rate used for the daily motion of the angles, degrees per day.
inline constexpr double kSiderealDegreesPerDay = 360.985647366;
inline constexpr int kTropicalZodiac = 1;
inline constexpr int kDraconicZodiac = 9;
inline constexpr int kUserZodiac = 10;
inline constexpr int kLastZodiac = 17;

inline constexpr const char* kOutOfRangeText =
    "Date for calculation is outside the range of the ephemeris.";
inline constexpr const char* kOutOfRangeTitle = "Cannot Calculate";
inline constexpr const char* kNoLunarReturnText =
    "The return of the Moon to its natal place could not be found for this date.";

enum class CalcStatus {
    kOk,
    kBadSlot,       // slot number outside 1..114
    kFilesMissing,  // ephemeris files missing; the message has been shown
    kOutOfRange,    // the date is outside the ephemeris; callers report it (ReportOutOfRange)
    kHousesFailed,  // the house system is not recognised; the message has been shown and the
                    // slot has positions but no houses
};

// The settings the calculation reads, taken once per calculation.
struct CalcOptions {
    bool true_node = true;
    bool true_black_moon = false;
    bool parallax = false;
    bool geocentric = false;
    int vulcan_calc = 1;
    bool day_part_only = false;
    bool mc_always_above = true;
    bool true_obliquity = false;
    int default_zodiac = 1;
    double user_svp = 0.0;  // degrees
};
CalcOptions CalcOptionsFromSettings();

// A moment and place that need not come from a stored record.
struct ChartValues {
    int day = 1;
    int month = 1;
    int year = 2000;
    double ut_hours = 0.0;  // universal time, hours since 0h of the date (may exceed 0..24)
    std::uint8_t calendar = 0;
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, west positive
    int house_system = 4;
    int zodiac = 1;
    int coords = 1;  // 1 geocentric, 2 heliocentric
};

// Calculates the record into the slot: points first..last (0 and 0: all in use), equatorial
// coordinates and houses (with house numbers) when asked.
CalcStatus CalcChart(const ChartRecord& record, int slot, int first_point, int last_point,
                     bool with_equatorial, bool with_houses);
// The same pipeline for bare values; the slot's record takes the place, house system, zodiac,
// calendar and coordinate system of the values and keeps its other fields.
CalcStatus CalcChartFromValues(const ChartValues& values, int slot, int first_point, int last_point,
                               bool with_equatorial, bool with_houses);
// Copies the record into a free slot (1..101, 109..114), gives it the next chart serial and
// calculates it fully. Returns the slot number, or -1 when no slot is free or the calculation
// failed (the slot is then released).
int OpenChartIntoSlot(const ChartRecord& record, const std::string& file_path,
                      std::int32_t record_number);
// Shows "Date for calculation is outside the range of the ephemeris."
void ReportOutOfRange();

// Universal-time hours of a record's local date and time: hour + minute/60 + second/3600 +
// zone offset.
double UniversalHoursOf(const ChartRecord& record);
// Observer latitude made geocentric: phi + (-692.743 sin 2phi - 1.1633 sin 4phi
// + 0.0026 sin 6phi) / 3600.
double GeocentricLatitude(double latitude);
// Sidereal vernal point at 1900 January 0.5 of a zodiac code (0 for codes without one).
double SiderealVernalPoint(int zodiac);
// The zodiac offset of a zodiac code at jd_et (code 0 already replaced by the default).
// Draconic: minus the node longitude (true node when true_node).
double ZodiacOffset(int zodiac, double jd_et, bool true_node, double user_svp);

// The angles calculated from RAMC, obliquity and latitude (tropical degrees) with their daily
// motions (degrees per day).
struct AngleSet {
    double midheaven = 0.0;
    double ascendant = 0.0;
    double vertex = 0.0;
    double equatorial_ascendant = 0.0;
    double co_ascendant = 0.0;     // W. Koch
    double polar_ascendant = 0.0;  // M. Munkasey
    double midheaven_speed = 0.0;
    double ascendant_speed = 0.0;
    double vertex_speed = 0.0;
    double equatorial_ascendant_speed = 0.0;
    double co_ascendant_speed = 0.0;
};
AngleSet CalcAngles(double ramc, double obliquity, double latitude, bool mc_always_above);

// Angles and derived points of a slot whose RAMC, obliquity, observer latitude, zodiac offset
// and Sun and Moon are set: points 22..26 and 37..47.
void CalcAnglesAndPoints(ChartSlot& slot, const CalcOptions& options);

// Declination and right ascension of one point, or of all points in use when point is 0.
void CalcEquatorial(ChartSlot& slot, double obliquity, double zodiac_offset, int point);

// House 1..12 of a longitude between the cusps (cusps[1..12]).
int HouseOf(double longitude, const std::array<double, 13>& cusps);

// The sorted point list: the points in use with a longitude, in zodiacal order.
void SortPoints(ChartSlot& slot);

}  // namespace meridia::astro
