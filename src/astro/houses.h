// House systems: the twelve cusps of a calculated chart in any of the 32 house systems, the
// flags that cusp 1 and cusp 10 are the exact Ascendant and Midheaven, and the polar fallback
// to Equal houses. All angles in degrees; cusps are longitudes in the chart's zodiac, [0, 360).
#pragma once

#include <array>
#include <optional>

#include "astro/chart_table.h"

namespace meridia::astro {

// House system codes (display names: name-table entries startup::kHouseSystemNamesBase + code).
inline constexpr int kFirstHouseSystem = 1;
inline constexpr int kLastHouseSystem = 32;

inline constexpr int kCampanus = 1;
inline constexpr int kKoch = 2;
inline constexpr int kMeridian = 3;
inline constexpr int kMorinus = 4;
inline constexpr int kPlacidus = 5;
inline constexpr int kPorphyry = 6;
inline constexpr int kRegiomontanus = 7;
inline constexpr int kTopocentric = 8;
inline constexpr int kEqual = 9;
inline constexpr int kZeroAries = 10;
inline constexpr int kSolarSign = 11;
inline constexpr int kSunOnFirst = 12;  // 12..21: Sun, Moon, Mercury ... Pluto on 1st
inline constexpr int kPlutoOnFirst = 21;
inline constexpr int kNorthNodeOnFirst = 22;
inline constexpr int kVertexOnSeventh = 23;
inline constexpr int kEquatorialAscendantOnFirst = 24;
inline constexpr int kMidheavenOnTenth = 25;
inline constexpr int kWholeSigns = 26;
inline constexpr int kHinduBhava = 27;
inline constexpr int kAlcabitius = 28;
inline constexpr int kFortuneOnFirst = 29;
inline constexpr int kAscendantInFirst = 30;
inline constexpr int kWholeSignsFortune = 31;
inline constexpr int kSouthNodeOnFirst = 32;

// What the cusps are calculated from. RAMC, obliquity and latitude are those of the chart
// (the observer latitude, after any geocentric correction). Longitudes are in the chart's
// zodiac (tropical + zodiac_offset), indexed by point number as in a chart slot; the systems
// read the Ascendant (22), Midheaven (23), Vertex (24), Equatorial Ascendant (25), Part of
// Fortune (26), the North Node (20) and the bodies 1, 3, 5..12.
struct HouseInput {
    double ramc = 0.0;
    double obliquity = 0.0;
    double latitude = 0.0;
    double zodiac_offset = 0.0;  // degrees added to tropical longitudes
    PointDoubles longitude{};
};

struct HouseCusps {
    std::array<double, 13> cusps{};  // cusps[1..12], chart's zodiac, [0, 360)
    bool first_cusp_is_ascendant = false;
    bool tenth_cusp_is_midheaven = false;
    int system_used = 0;          // the system actually drawn: 9 after a fallback to Equal
    bool polar_fallback = false;  // |latitude| + |obliquity| >= 89.99 for a system that needs it
};

// The cusps and flags of one house system, with cusps 1 and 10 already replaced by the
// Ascendant and Midheaven when the flags say so (and cusps 7 and 4 by their opposites).
// Pure: no message, no session state.
// Empty for a code outside 1..32.
std::optional<HouseCusps> CalcHouseCusps(int house_system, const HouseInput& input);

// Fills the cusps and the two cusp flags of the slot from its RAMC, obliquity, observer
// latitude, zodiac offset, record's house system and point longitudes (angles and derived
// points must be calculated first). Shows the polar-fallback message once until re-armed and
// "Unrecognised house system" for a code outside 1..32, which leaves the slot unchanged and
// returns false.
bool CalcHouses(ChartSlot& slot);
// The same with the RAMC, obliquity, latitude, house system and zodiac offset given
// explicitly (derived charts); the point longitudes still come from the slot.
bool CalcHouses(ChartSlot& slot, double ramc, double obliquity, double latitude, int house_system,
                double zodiac_offset);

// True for the equal-division systems 9..26 and 29..32.
bool IsEqualHouseSystem(int house_system);

// Sign 1..12 of a longitude (degrees, reduced to [0, 360) first).
int SignOf(double longitude);

}  // namespace meridia::astro
