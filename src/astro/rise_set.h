// Rise/set charts: the moments on a given day at which a point culminates, anticulminates,
// rises and sets at a place (the standard rise-transit-set method over three days of
// positions), and the chart cast for the chosen moment.
// Julian days in universal time (jd_ut); altitudes and coordinates in degrees; geographic
// longitude positive west, latitude positive north; zone hours added to local time give UT.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astro/derived_charts.h"

namespace meridia::astro {

inline constexpr int kRiseSetEventCount = 4;
inline constexpr int kEventCulminating = 1;
inline constexpr int kEventAnticulminating = 2;
inline constexpr int kEventRising = 3;
inline constexpr int kEventSetting = 4;

// " Culminating", " Anticulminating", " Rising", " Setting" (appended to the chart name).
std::string RiseSetEventText(int event);
// "Visual" or "True".
std::string HorizonModeName(HorizonMode mode);
// The horizon mode kept in the settings (key "RiseSetHorizon": "True" or "Visual").
HorizonMode HorizonModeFromSettings();

// Standard altitude h0 of a point: "True" 0; "Visual": the Moon 0.7275 x parallax - 0.5667,
// the Sun -0.8333, every other point -0.5667. `moon_parallax` is the Moon's horizontal
// parallax in degrees.
double StandardAltitude(int point, HorizonMode mode, double moon_parallax);
// The Moon's equatorial horizontal parallax at jd_ut from its distance, degrees; 0 when the
// ephemeris fails.
double MoonHorizontalParallax(double jd_ut);

struct RiseSetEventTime {
    bool valid = false;  // false when the point does not rise or set that day
    double jd_ut = 0.0;
};

struct RiseSetTimes {
    bool ok = false;  // false: ephemeris failure (the message has been shown)
    double h0 = 0.0;  // the altitude used, degrees
    std::array<RiseSetEventTime, kRiseSetEventCount> events{};  // culminating .. setting
};

// The four events of the point on the day (the date as entered, its 0h universal time) at the
// place. The positions come from a scratch slot of the chart table: the three days'
// positions give each event to within the interpolation, and the correction is then repeated
// with the point's position at the moment found until it moves the time by less than a
// second. A rising or setting that runs off the day, or onto the other crossing of the
// horizon, is not listed.
RiseSetTimes FindRiseSetTimes(int point, int day, int month, int year, std::uint8_t calendar,
                              double latitude, double longitude_west, HorizonMode mode);

// The same events for any body whose apparent place of date a function gives at a moment
// (jd_ut): right ascension and declination in degrees, nothing when it cannot be calculated
// (the search then gives ok = false). h0 is the altitude of the events (StandardAltitude).
struct EquatorialPlace {
    double right_ascension = 0.0;
    double declination = 0.0;
};
using EquatorialPlaceAt = std::function<std::optional<EquatorialPlace>(double jd_ut)>;
RiseSetTimes FindRiseSetTimesOf(const EquatorialPlaceAt& place_at, double h0, int day, int month,
                                int year, std::uint8_t calendar, double latitude,
                                double longitude_west);

// The "Chart Selection" list: event name, tab, local date and time in the zone.
std::vector<std::string> RiseSetSelectionList(const RiseSetTimes& times, float zone_hours);

// The rise/set chart of a class-9 request: the record's kind byte is the point, its date the
// day, its place and zone those of the chart; request.rise_set_event picks the event and
// request.horizon the mode. The chart is named with the event text appended.
SubsidiaryStatus CalcRiseSetChart(const SubsidiaryRequest& request, int target_slot);

}  // namespace meridia::astro
