// The planetary day and hour of a chart, from the Sun's rising and setting at the chart's
// place (the rise-and-set search), and the void-of-course test the considerations use.
// Julian days in universal time (jd_ut).
#pragma once

#include <array>

#include "astro/chart_table.h"

namespace meridia::reports {

// Weekday rulers, Sunday first: Sun, Moon, Mars, Mercury, Jupiter, Venus, Saturn.
inline constexpr std::array<int, 7> kWeekdayRulers = {3, 1, 7, 5, 8, 6, 9};
// The Chaldean order of the hours: Sun, Venus, Mercury, Moon, Saturn, Jupiter, Mars.
inline constexpr std::array<int, 7> kChaldeanOrder = {3, 6, 5, 1, 9, 8, 7};
// Where the first hour of each weekday (Sunday first) starts in the Chaldean order.
inline constexpr std::array<int, 7> kFirstHourPosition = {0, 3, 6, 2, 5, 1, 4};

struct PlanetaryHour {
    bool found = false;  // false when the Sun does not rise or set around the moment
    int weekday = 0;     // 0 Sunday .. 6 Saturday
    int day_ruler = 0;   // point number
    int count = 0;       // 0..23 from sunrise
    bool night = false;
    int number = 0;  // 1..12 within the day or the night
    int hour_ruler = 0;
    double sunrise_jd_ut = 0.0;
    double sunset_jd_ut = 0.0;
    double next_sunrise_jd_ut = 0.0;
};

// The ruler of hour `count` (0..23, counted from sunrise) of a weekday.
int HourRuler(int weekday, int count);

// The hour of the moment between sunrise, sunset and the next sunrise (each span divided into
// twelve equal hours, counted 0..23 from the sunrise). The weekday, and with it the day ruler
// and the ruler of the first hour, is the chart's own: Int(JD - z / 24 + 1.5) mod 7 of the
// moment itself, not of the sunrise, so a moment after midnight and before sunrise takes the
// new weekday with a night hour (count 12..23) of the night that ends at that sunrise.
PlanetaryHour PlanetaryHourAt(double jd_ut, double zone_hours, double sunrise, double sunset,
                              double next_sunrise);

// The planetary day and hour of a calculated chart (the Sun's visual rising and setting at
// the chart's place).
PlanetaryHour FindPlanetaryHour(const astro::ChartSlot& slot);

// Whether the Moon of the chart in the slot is void of course under the `VoidOfCourseType`
// setting; false for a chart without a Moon.
bool MoonVoidOfCourse(int slot);

}  // namespace meridia::reports
