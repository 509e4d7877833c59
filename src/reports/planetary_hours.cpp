#include "reports/planetary_hours.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "astro/rise_set.h"
#include "reports/report_support.h"
#include "returns/void_of_course.h"
#include "textformats/calendar.h"

namespace meridia::reports {

int HourRuler(int weekday, int count) {
    const int start = kFirstHourPosition[static_cast<std::size_t>(((weekday % 7) + 7) % 7)];
    return kChaldeanOrder[static_cast<std::size_t>((start + count) % 7)];
}

PlanetaryHour PlanetaryHourAt(double jd_ut, double zone_hours, double sunrise, double sunset,
                              double next_sunrise) {
    PlanetaryHour h;
    if (!(sunrise <= jd_ut && jd_ut < next_sunrise && sunrise < sunset && sunset < next_sunrise)) {
        return h;
    }
    h.found = true;
    h.sunrise_jd_ut = sunrise;
    h.sunset_jd_ut = sunset;
    h.next_sunrise_jd_ut = next_sunrise;
    h.weekday = detail::ChartWeekday(jd_ut, zone_hours);
    h.day_ruler = kWeekdayRulers[static_cast<std::size_t>(h.weekday)];
    if (jd_ut < sunset) {
        h.count = std::min(11, static_cast<int>((jd_ut - sunrise) / ((sunset - sunrise) / 12.0)));
    } else {
        h.count =
            12 +
            std::min(11, static_cast<int>((jd_ut - sunset) / ((next_sunrise - sunset) / 12.0)));
    }
    h.night = h.count >= 12;
    h.number = h.night ? h.count - 11 : h.count + 1;
    h.hour_ruler = HourRuler(h.weekday, h.count);
    return h;
}

PlanetaryHour FindPlanetaryHour(const astro::ChartSlot& slot) {
    const double lat = slot.record.data.place.latitude;
    const double lon = slot.record.data.place.longitude;
    std::vector<double> rises;
    std::vector<double> sets;
    // The UT days around the moment: the day before to the day after.
    for (int offset = -1; offset <= 1; ++offset) {
        const textformats::DateWithFraction d =
            textformats::DateFromJulianDay(slot.julian_day_ut + offset, false);
        const astro::RiseSetTimes times =
            astro::FindRiseSetTimes(astro::kSun, static_cast<int>(std::floor(d.day)), d.month,
                                    d.year, 0, lat, lon, astro::HorizonMode::kVisual);
        if (!times.ok) {
            continue;
        }
        const auto& rise = times.events[astro::kEventRising - 1];
        const auto& set = times.events[astro::kEventSetting - 1];
        if (rise.valid) {
            rises.push_back(rise.jd_ut);
        }
        if (set.valid) {
            sets.push_back(set.jd_ut);
        }
    }
    std::sort(rises.begin(), rises.end());
    std::sort(sets.begin(), sets.end());
    const double jd = slot.julian_day_ut;
    const auto rise_after = std::upper_bound(rises.begin(), rises.end(), jd);
    if (rise_after == rises.begin() || rise_after == rises.end()) {
        return {};
    }
    const double sunrise = *(rise_after - 1);
    const double next_sunrise = *rise_after;
    const auto set = std::upper_bound(sets.begin(), sets.end(), sunrise);
    if (set == sets.end() || *set >= next_sunrise) {
        return {};
    }
    return PlanetaryHourAt(jd, slot.record.data.zone.hours, sunrise, *set, next_sunrise);
}

bool MoonVoidOfCourse(int slot) {
    return returns::IsMoonVoid(slot, returns::VoidOfCourseTypeFromSettings());
}

}  // namespace meridia::reports
