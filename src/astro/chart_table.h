// The calculated-chart table: 114 numbered slots, each holding a chart record and everything
// calculated from it (positions, angles, cusps, equatorial coordinates, house numbers), and
// the point numbering shared by every part of the program.
// Angles in degrees (longitudes in the chart's zodiac, [0, 360); -1 marks a failed point);
// speeds in degrees per day; distances in AU; times as stated per field (jd ET, hours).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "astro/chart_record.h"
#include "startup/name_tables.h"

namespace meridia::astro {

inline constexpr int kSlotCount = 114;
inline constexpr int kFirstScratchSlot = 102;
inline constexpr int kLastScratchSlot = 108;
// The fixed points 1..50 (their count belongs to the name tables, which name each one).
using startup::kFixedPointCount;
inline constexpr int kMaxPoints = 100;
inline constexpr int kMaxExtraPoints = kMaxPoints - kFixedPointCount;

// Point numbers 1..50; 51 and up are the user's extra points.
inline constexpr int kMoon = 1;
inline constexpr int kEarth = 2;
inline constexpr int kSun = 3;
inline constexpr int kVulcan = 4;
inline constexpr int kMercury = 5;
inline constexpr int kVenus = 6;
inline constexpr int kMars = 7;
inline constexpr int kJupiter = 8;
inline constexpr int kSaturn = 9;
inline constexpr int kUranus = 10;
inline constexpr int kNeptune = 11;
inline constexpr int kPluto = 12;
inline constexpr int kChiron = 13;
inline constexpr int kVesta = 14;
inline constexpr int kPallas = 15;
inline constexpr int kJuno = 16;
inline constexpr int kCeres = 17;
inline constexpr int kHygeia = 18;
inline constexpr int kAstraea = 19;
inline constexpr int kNorthNode = 20;
inline constexpr int kSouthNode = 21;
inline constexpr int kAscendant = 22;
inline constexpr int kMidheaven = 23;
inline constexpr int kVertex = 24;
inline constexpr int kEquatorialAscendant = 25;
inline constexpr int kPartOfFortune = 26;
inline constexpr int kCupido = 27;
inline constexpr int kHades = 28;
inline constexpr int kZeus = 29;
inline constexpr int kKronos = 30;
inline constexpr int kApollon = 31;
inline constexpr int kAdmetos = 32;
inline constexpr int kVulcanus = 33;
inline constexpr int kPoseidon = 34;
inline constexpr int kTranspluto = 35;
inline constexpr int kBlackMoon = 36;
inline constexpr int kCoAscendant = 37;
inline constexpr int kPolarAscendant = 38;
inline constexpr int kDescendant = 39;
inline constexpr int kImumCoeli = 40;
inline constexpr int kAntiVertex = 41;
inline constexpr int kEquatorialDescendant = 42;
inline constexpr int kCoDescendant = 43;
inline constexpr int kPolarDescendant = 44;
inline constexpr int kAriesPoint = 45;
inline constexpr int kLibraPoint = 46;
inline constexpr int kVernalPoint = 47;
inline constexpr int kSelena = 48;
inline constexpr int kSedna = 49;
inline constexpr int kEris = 50;

// Per-point values, indexed by point number 1..100 (index 0 unused).
using PointDoubles = std::array<double, kMaxPoints + 1>;
using PointFlags = std::array<std::int16_t, kMaxPoints + 1>;

// One slot of the calculated-chart table. 16-bit flags hold -1 for true and 0 for false.
struct ChartSlot {
    ChartRecord record;
    std::int16_t node_type_used = 0;            // -1 true node, 0 mean node
    std::int16_t parallax_used = 0;             // topocentric Moon applied
    std::int16_t geocentric_latitude_used = 0;  // observer latitude made geocentric
    double julian_day = 0.0;                    // jd_et
    std::int16_t first_cusp_is_ascendant = 0;
    std::int16_t tenth_cusp_is_midheaven = 0;
    std::array<double, 13> cusps{};  // cusps[1..12], longitude in the chart's zodiac
    std::int16_t selected_point_count = 0;
    std::string description;  // at most 80 characters

    PointDoubles longitude{};  // chart's zodiac, [0, 360); -1 = not calculated
    PointDoubles latitude{};
    PointDoubles speed{};  // degrees per day; negative = retrograde
    PointDoubles latitude_speed{};
    PointDoubles declination{};
    PointDoubles right_ascension{};  // degrees, [0, 360)
    PointFlags retrograde{};         // -1 when speed < 0
    PointDoubles display_value{};    // display orders kept by the sorting routine
    PointFlags display_order{};
    PointFlags house{};             // 1..12
    PointDoubles distance{};        // AU
    PointDoubles distance_speed{};  // AU per day

    PointFlags sorted_points{};  // sorted_points[1..selected_point_count]: point numbers

    double observer_latitude = 0.0;  // degrees, after the geocentric correction
    double t = 0.0;                  // Julian centuries of ET since 1900 January 0.5
    double ramc = 0.0;               // degrees
    double obliquity = 0.0;          // degrees
    double zodiac_offset = 0.0;      // degrees added to tropical longitudes
    double delta_t = 0.0;            // hours
    double sidereal_time = 0.0;      // Greenwich sidereal time, hours
    double julian_day_ut = 0.0;      // jd_ut of the chart moment
    std::int16_t chart_serial = 0;   // 0 marks a free slot
    std::int16_t chart_state = 0;
    std::string file_path;  // chart file the chart came from (at most 255 characters)
    std::int32_t record_number = 0;
    bool scratch_in_use = false;  // scratch slots 102..108 only
};

// The slot of number n (1..114) of the session's table. A number outside the range is a
// programming error: it gives a spare slot outside the table, so nothing is read out of bounds.
ChartSlot& Slot(int n);
bool IsValidSlot(int n);

// Stores in `point` the point opposite `from` (the Earth of the Sun, the South Node, the
// Descendant...): longitude + 180, the latitude negated, and speed, latitude speed, distance,
// distance speed and retrograde flag copied unchanged. When `from` has no position (-1), the
// point gets none either and every other value 0.
void StoreOpposite(ChartSlot& slot, int point, int from);

// The first free slot (chart serial 0) outside the scratch slots, or -1 when every one is
// taken: where an opened or derived chart goes.
int FindFreeSlot();
// How many slots outside the scratch slots are free: how many charts can still be opened.
int FreeSlotCount();

// The first scratch slot (102..108) not in use, marked in use. When all seven are in use,
// 102..106 are released and 102 is returned, marked in use.
int AllocScratchChart();
// For a slot in 102..108: clears its serial and in-use flag and sets slot to -1. Any other
// number is left untouched.
void FreeScratchChart(int& slot);

// Number of points in use: 50 + the extra points (0..50).
void SetExtraPointCount(int n);
int PointsInUse();

// The next chart serial (a counter incremented once per opened chart; never 0).
std::int16_t NextChartSerial();

}  // namespace meridia::astro
