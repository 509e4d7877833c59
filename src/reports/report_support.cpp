#include "reports/report_support.h"

#include <fmt/format.h>
#include <swephexp.h>

#include <cmath>

#include "aspects/aspect_manager.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "startup/name_tables.h"
#include "textformats/calendar.h"
#include "textformats/zodiac_text.h"

namespace meridia::reports::detail {

std::string Pos(double longitude) { return textformats::FormatZodiacPosition(longitude); }

std::string ShortPos(double longitude) {
    if (longitude < 0.0) {
        return "  (n/a)";
    }
    const long minutes = std::lround(astro::ModFloor(longitude, 360.0) * 60.0) % (360L * 60L);
    return fmt::format("{:2} {} {:02}'", minutes / 60 % 30,
                       startup::Names().SignName(static_cast<int>(minutes / 1800) + 1, true),
                       minutes % 60);
}

std::string Dms(double angle) {
    const long total = std::lround(std::fabs(angle) * 3600.0);
    return fmt::format("{}{}°{:02}'{:02}\"", angle < 0.0 && total > 0 ? "-" : "", total / 3600,
                       total / 60 % 60, total % 60);
}

std::string SignedDms(double angle) {
    return (angle < 0.0 && std::lround(std::fabs(angle) * 3600.0) > 0 ? "" : "+") + Dms(angle);
}

std::string Hms(double hours) {
    const long total = std::lround(astro::ModFloor(hours, 24.0) * 3600.0) % 86400;
    return fmt::format("{:02}:{:02}:{:02}", total / 3600, total / 60 % 60, total % 60);
}

std::string ChartDateText(const astro::ChartSlot& slot, double jd_ut) {
    const textformats::DateWithFraction d =
        textformats::DateFromJulianDay(jd_ut - slot.record.data.zone.hours / 24.0, false);
    const double day = std::floor(d.day);
    const long minutes = std::lround((d.day - day) * 1440.0);
    return fmt::format("{:2} {} {:5} {:02}:{:02}", static_cast<int>(day),
                       startup::Names().MonthName(d.month, true), d.year, minutes / 60 % 24,
                       minutes % 60);
}

std::string PName(int point) { return startup::Names().PointName(point, 1); }
std::string PAbbr(int point) { return startup::Names().PointName(point, 0); }

std::vector<int> ReportPoints(const ReportRequest& request, const astro::ChartSlot& slot) {
    const int in_use = astro::PointsInUse();
    std::vector<int> points;
    for (int p = 1; p <= in_use; ++p) {
        const auto i = static_cast<std::size_t>(p);
        bool selected = true;
        if (request.selection) {
            selected = slot.record.coords == 2 ? request.selection->heliocentric[i]
                                               : request.selection->geocentric[i];
        }
        if (selected && slot.longitude[i] >= 0.0) {
            points.push_back(p);
        }
    }
    return points;
}

const aspects::AspectSet& SetOf(const ReportRequest& request) {
    return request.aspect_set != nullptr ? *request.aspect_set : aspects::Aspects().ChartSet();
}

std::vector<aspects::ChartAspect> ReportAspects(const ReportRequest& request) {
    aspects::ChartAspectsRequest a;
    a.slot_a = request.slot_a;
    a.slot_b = request.slot_b;
    a.selection = request.selection;
    a.orb_kind = request.orb_kind;
    a.partile = request.partile;
    // Pairs with a fixed star, an asteroid or an Arabic part take the sets in force for them,
    // as `meridia-cli aspects` does.
    const aspects::AspectManager& manager = aspects::Aspects();
    a.star_set = &manager.Set(aspects::AspectFileType::kStar);
    a.asteroid_set = &manager.Set(aspects::AspectFileType::kAsteroid);
    a.part_set = &manager.Set(aspects::AspectFileType::kPart);
    return aspects::FindChartAspects(SetOf(request), a);
}

bool IsHeliocentric(const astro::ChartSlot& slot) { return slot.record.coords == 2; }

bool HasHorizon(const astro::ChartSlot& slot) {
    return !IsHeliocentric(slot) && slot.longitude[astro::kSun] >= 0.0 &&
           slot.longitude[astro::kAscendant] >= 0.0;
}

double LahiriLongitude(const astro::ChartSlot& slot, double longitude) {
    if (slot.record.zodiac != astro::kTropicalZodiac &&
        slot.record.zodiac != astro::kDraconicZodiac) {
        return longitude;
    }
    swe_set_sid_mode(SE_SIDM_LAHIRI, 0.0, 0.0);
    const double ayanamsa = swe_get_ayanamsa_ut(slot.julian_day_ut);
    return astro::ModFloor(longitude - slot.zodiac_offset - ayanamsa, 360.0);
}

double SiderealMoon(const astro::ChartSlot& slot) {
    const double moon = slot.longitude[astro::kMoon];
    return moon < 0.0 ? moon : LahiriLongitude(slot, moon);
}

int ChartWeekday(double jd_ut, double zone_hours) {
    const auto day = static_cast<long long>(std::floor(jd_ut - zone_hours / 24.0 + 1.5));
    return static_cast<int>(((day % 7) + 7) % 7);
}

}  // namespace meridia::reports::detail
