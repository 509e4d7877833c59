#include "astro/rise_set.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_internal.h"
#include "astro/ephemeris.h"
#include "astro/time_scales.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "textformats/calendar.h"

namespace meridia::astro {

namespace {

constexpr double kSunAltitude = -0.8333;
constexpr double kStarAltitude = -0.5667;
constexpr double kMoonParallaxFactor = 0.7275;
constexpr double kEarthRadiusKm = 6378.14;
constexpr double kAstronomicalUnitKm = 149597870.7;
// Sidereal degrees per day of universal time, as the rise-transit-set method uses it.
constexpr double kSiderealDegreesPerSolarDay = 360.985647;
constexpr double kOneSecond = 1.0 / 86400.0;
constexpr int kMaxCorrections = 50;
constexpr std::size_t kMaxNameLength = 50;

struct Equatorial {
    double right_ascension = 0.0;
    double declination = 0.0;
};

// Apparent right ascension and declination from the apparent ecliptic longitude and
// latitude with the true obliquity (Meeus, Astronomical Algorithms, ch. 13).
Equatorial ToEquatorial(double lambda, double beta, double obliquity) {
    const double sin_eps = SinD(obliquity);
    const double cos_eps = CosD(obliquity);
    Equatorial e;
    e.right_ascension =
        Norm360(ArcTan2(SinD(lambda) * cos_eps - TanD(beta) * sin_eps, CosD(lambda)));
    e.declination = ArcSin(SinD(beta) * cos_eps + CosD(beta) * sin_eps * SinD(lambda));
    return e;
}

// The equation of the equinoxes (nutation in longitude times the cosine of the true
// obliquity), degrees: apparent minus mean sidereal time.
double EquationOfEquinoxes(double jd_et) {
    std::array<double, 6> x{};
    std::array<char, 256> error{};
    if (swe_calc(jd_et, SE_ECL_NUT, 0, x.data(), error.data()) < 0) {
        return 0.0;
    }
    return x[2] * CosD(x[0]);
}

// Three-point interpolation at n days from the middle value (Meeus, ch. 3).
double Interpolate(double y1, double y2, double y3, double n) {
    const double a = y2 - y1;
    const double b = y3 - y2;
    const double c = b - a;
    return y2 + n / 2.0 * (a + b + n * c);
}

double JulianDayOfRequestDate(int day, int month, int year, std::uint8_t calendar) {
    const auto mode = static_cast<textformats::CalendarMode>(calendar <= 2 ? calendar : 0);
    const bool swap = textformats::CalendarSwap(mode, year, month, day);
    return textformats::JulianDayWithCalendar(day, month, year, swap);
}

void ReportEphemerisFailure() {
    startup::ShowMessage(kOutOfRangeText, startup::kCritical, kOutOfRangeTitle);
}

}  // namespace

std::string RiseSetEventText(int event) {
    switch (event) {
        case kEventCulminating:
            return " Culminating";
        case kEventAnticulminating:
            return " Anticulminating";
        case kEventRising:
            return " Rising";
        case kEventSetting:
            return " Setting";
        default:
            return "";
    }
}

std::string HorizonModeName(HorizonMode mode) {
    return mode == HorizonMode::kTrue ? "True" : "Visual";
}

HorizonMode HorizonModeFromSettings() {
    const std::string value = startup::CurrentSession().settings().GetString("RiseSetHorizon");
    return value == "True" || value == "true" || value == "1" ? HorizonMode::kTrue
                                                              : HorizonMode::kVisual;
}

double StandardAltitude(int point, HorizonMode mode, double moon_parallax) {
    if (mode == HorizonMode::kTrue) {
        return 0.0;
    }
    if (point == kMoon) {
        return kMoonParallaxFactor * moon_parallax + kStarAltitude;
    }
    return point == kSun ? kSunAltitude : kStarAltitude;
}

double MoonHorizontalParallax(double jd_ut) {
    EnsureEphemeris();
    std::array<double, 6> xx{};
    std::array<char, 256> error{};
    if (swe_calc_ut(jd_ut, SE_MOON, EphemerisModeFlags(), xx.data(), error.data()) < 0 ||
        xx[2] <= 0.0) {
        return 0.0;
    }
    return ArcSin(kEarthRadiusKm / (xx[2] * kAstronomicalUnitKm));
}

RiseSetTimes FindRiseSetTimes(int point, int day, int month, int year, std::uint8_t calendar,
                              double latitude, double longitude_west, HorizonMode mode) {
    RiseSetTimes result;
    EnsureEphemeris();
    const double jd0 = JulianDayOfRequestDate(day, month, year, calendar);
    const double delta_t_hours = DeltaT(jd0) * 24.0;

    // Apparent right ascension and declination at 0h UT of the day before, the day and the
    // day after.
    std::array<Equatorial, 3> positions{};
    int scratch = AllocScratchChart();
    double middle_jd_et = jd0;
    for (int i = 0; i < 3; ++i) {
        ChartValues values;
        values.day = day;
        values.month = month;
        values.year = year;
        values.ut_hours = (i - 1) * 24.0;
        values.calendar = calendar;
        values.latitude = latitude;
        values.longitude = longitude_west;
        values.house_system = 9;
        values.zodiac = kTropicalZodiac;
        values.coords = 1;
        const CalcStatus status = CalcChartFromValues(values, scratch, point, point, false, false);
        const ChartSlot& slot = Slot(scratch);
        if (status == CalcStatus::kFilesMissing) {
            FreeScratchChart(scratch);
            return result;
        }
        if (status != CalcStatus::kOk || slot.longitude[point] < 0.0) {
            FreeScratchChart(scratch);
            ReportEphemerisFailure();
            return result;
        }
        const double lambda = slot.longitude[point] - slot.zodiac_offset;
        positions[static_cast<std::size_t>(i)] =
            ToEquatorial(lambda, slot.latitude[point], Obliquity(slot.julian_day, true));
        if (i == 1) {
            middle_jd_et = slot.julian_day;
        }
    }
    FreeScratchChart(scratch);

    // Apparent sidereal time at 0h UT of the day, degrees.
    const double theta0 = SiderealTimeAt0h(jd0) * 15.0 + EquationOfEquinoxes(middle_jd_et);
    const double h0 =
        StandardAltitude(point, mode, point == kMoon ? MoonHorizontalParallax(jd0 + 0.5) : 0.0);
    result.h0 = h0;
    result.ok = true;

    const double phi = latitude;
    const double alpha2 = positions[1].right_ascension;
    // Right ascensions made continuous across 0h around the middle value.
    const double alpha1 = alpha2 + Norm180(positions[0].right_ascension - alpha2);
    const double alpha3 = alpha2 + Norm180(positions[2].right_ascension - alpha2);
    const double delta1 = positions[0].declination;
    const double delta2 = positions[1].declination;
    const double delta3 = positions[2].declination;

    const double m0 = ModFloor((alpha2 + longitude_west - theta0) / 360.0, 1.0);
    std::array<double, kRiseSetEventCount> m{};
    std::array<bool, kRiseSetEventCount> valid{true, true, false, false};
    m[0] = m0;
    m[1] = ModFloor(m0 + 0.5, 1.0);
    const double cos_h0 = (SinD(h0) - SinD(phi) * SinD(delta2)) / (CosD(phi) * CosD(delta2));
    if (cos_h0 >= -1.0 && cos_h0 <= 1.0) {
        const double hour_angle = ArcCos(cos_h0);
        m[2] = ModFloor(m0 - hour_angle / 360.0, 1.0);
        m[3] = ModFloor(m0 + hour_angle / 360.0, 1.0);
        valid[2] = true;
        valid[3] = true;
    }

    for (std::size_t e = 0; e < kRiseSetEventCount; ++e) {
        if (!valid[e]) {
            continue;
        }
        double t = m[e];
        for (int pass = 0; pass < kMaxCorrections; ++pass) {
            const double theta = theta0 + kSiderealDegreesPerSolarDay * t;
            const double n = t + delta_t_hours / 24.0;
            const double alpha = Interpolate(alpha1, alpha2, alpha3, n);
            const double delta = Interpolate(delta1, delta2, delta3, n);
            const double hour_angle = Norm180(theta - longitude_west - alpha);
            double correction = 0.0;
            if (e == 0) {
                correction = -hour_angle / 360.0;
            } else if (e == 1) {
                correction = -Norm180(hour_angle - 180.0) / 360.0;
            } else {
                const double altitude =
                    ArcSin(SinD(phi) * SinD(delta) + CosD(phi) * CosD(delta) * CosD(hour_angle));
                const double denominator = 360.0 * CosD(delta) * CosD(phi) * SinD(hour_angle);
                if (denominator == 0.0) {
                    break;
                }
                correction = (altitude - h0) / denominator;
            }
            t += correction;
            if (std::fabs(correction) < kOneSecond) {
                break;
            }
        }
        result.events[e].valid = true;
        result.events[e].jd_ut = jd0 + t;
    }
    return result;
}

std::vector<std::string> RiseSetSelectionList(const RiseSetTimes& times, float zone_hours) {
    std::vector<std::string> lines;
    for (int e = 1; e <= kRiseSetEventCount; ++e) {
        const RiseSetEventTime& event = times.events[static_cast<std::size_t>(e - 1)];
        std::string line = RiseSetEventText(e).substr(1) + "\t";
        if (event.valid) {
            ChartRecord record;
            derived::SetRecordMoment(record, event.jd_ut, zone_hours, "");
            const CompactDateTime& dt = record.data.date_time;
            AXDateTimeClass value;
            value.InitTo(dt.year, dt.month, dt.day, dt.hour, dt.minute, dt.second);
            line += value.LocalDateTimeString(true);
        }
        lines.push_back(line);
    }
    return lines;
}

SubsidiaryStatus CalcRiseSetChart(const SubsidiaryRequest& request, int target_slot) {
    const ChartRecord& asked = request.record;
    const int point = asked.chart_kind;
    const int event = std::clamp(request.rise_set_event, 1, kRiseSetEventCount);
    const RiseSetTimes times = FindRiseSetTimes(
        point, asked.data.date_time.day, asked.data.date_time.month, asked.data.date_time.year,
        asked.data.calendar, static_cast<double>(asked.data.place.latitude),
        static_cast<double>(asked.data.place.longitude), request.horizon);
    if (!times.ok) {
        return SubsidiaryStatus::kFailed;
    }
    const RiseSetEventTime& chosen = times.events[static_cast<std::size_t>(event - 1)];
    if (!chosen.valid) {
        startup::ShowMessage("The selected point does not rise or set on this day at this place.",
                             startup::kInformation, "Rise/Set");
        return SubsidiaryStatus::kFailed;
    }
    ChartRecord record = derived::DerivedRecord(request, asked);
    record.base = ChartData{};
    record.data.name = asked.data.name + RiseSetEventText(event);
    if (record.data.name.size() > kMaxNameLength) {
        record.data.name.resize(kMaxNameLength);
    }
    derived::SetRecordMoment(record, chosen.jd_ut, asked.data.zone.hours, asked.data.zone.mnemonic);
    const SubsidiaryStatus status =
        derived::FromCalcStatus(derived::CalcRecordAt(record, chosen.jd_ut, target_slot));
    if (status == SubsidiaryStatus::kOk) {
        DerivedInfo(target_slot).horizon_mode = HorizonModeName(request.horizon);
    }
    return status;
}

}  // namespace meridia::astro
