#include "astro/rise_set.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <optional>

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
// How far (days) a rising or setting may move from its first estimate and still belong to
// the day.
constexpr double kMaxDrift = 0.5;
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

// A scratch slot of the chart table held for the length of a search.
class ScratchSlot {
public:
    ScratchSlot() : number_(AllocScratchChart()) {}
    ~ScratchSlot() { FreeScratchChart(number_); }
    ScratchSlot(const ScratchSlot&) = delete;
    ScratchSlot& operator=(const ScratchSlot&) = delete;
    int Number() const { return number_; }

private:
    int number_;
};

enum class EquatorialStatus { kOk, kFilesMissing, kFailed };

// The point's apparent right ascension and declination ut_hours after 0h UT of the date of
// `values`, calculated in the scratch slot; jd_et is the moment in ephemeris time.
EquatorialStatus PositionAt(int scratch, int point, ChartValues values, double ut_hours,
                            Equatorial& position, double& jd_et) {
    values.ut_hours = ut_hours;
    const CalcStatus status = CalcChartFromValues(values, scratch, point, point, false, false);
    const ChartSlot& slot = Slot(scratch);
    if (status == CalcStatus::kFilesMissing) {
        return EquatorialStatus::kFilesMissing;
    }
    if (status != CalcStatus::kOk || slot.longitude[point] < 0.0) {
        return EquatorialStatus::kFailed;
    }
    const double lambda = slot.longitude[point] - slot.zodiac_offset;
    position = ToEquatorial(lambda, slot.latitude[point], Obliquity(slot.julian_day, true));
    jd_et = slot.julian_day;
    return EquatorialStatus::kOk;
}

// The standard method's correction of an event time, in days: -H/360 for the culmination (H
// the local hour angle), the same from H - 180 for the anticulmination, and (h - h0) / (360
// cos delta cos phi sin H) for the rising and setting (h the altitude). Empty when sin H is 0.
std::optional<double> EventCorrection(std::size_t event_index, double hour_angle, double delta,
                                      double phi, double h0) {
    if (event_index == 0) {
        return -hour_angle / 360.0;
    }
    if (event_index == 1) {
        return -Norm180(hour_angle - 180.0) / 360.0;
    }
    const double altitude =
        ArcSin(SinD(phi) * SinD(delta) + CosD(phi) * CosD(delta) * CosD(hour_angle));
    const double denominator = 360.0 * CosD(delta) * CosD(phi) * SinD(hour_angle);
    if (denominator == 0.0) {
        return std::nullopt;
    }
    return (altitude - h0) / denominator;
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

RiseSetTimes FindRiseSetTimesOf(const EquatorialPlaceAt& place_at, double h0, int day, int month,
                                int year, std::uint8_t calendar, double latitude,
                                double longitude_west) {
    RiseSetTimes result;
    EnsureEphemeris();
    const double jd0 = JulianDayOfRequestDate(day, month, year, calendar);

    // Apparent right ascension and declination at 0h UT of the day before, the day and the
    // day after.
    std::array<Equatorial, 3> positions{};
    for (int i = 0; i < 3; ++i) {
        const std::optional<EquatorialPlace> place = place_at(jd0 + (i - 1));
        if (!place) {
            return result;
        }
        positions[static_cast<std::size_t>(i)] = {place->right_ascension, place->declination};
    }

    // Apparent sidereal time at 0h UT of the day, degrees.
    const double theta0 = SiderealTimeAt0h(jd0) * 15.0 + EquationOfEquinoxes(jd0 + DeltaT(jd0));
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

    // The correction of the time t (days after 0h UT) of event e for the point at (alpha,
    // delta); empty when the point stands on the meridian at a rising or setting.
    const auto hour_angle_at = [&](double t, const Equatorial& at) {
        const double theta = theta0 + kSiderealDegreesPerSolarDay * t;
        return Norm180(theta - longitude_west - at.right_ascension);
    };
    const auto correction_at = [&](std::size_t e, double t, const Equatorial& at) {
        return EventCorrection(e, hour_angle_at(t, at), at.declination, phi, h0);
    };

    for (std::size_t e = 0; e < kRiseSetEventCount; ++e) {
        if (!valid[e]) {
            continue;
        }
        double t = m[e];
        for (int pass = 0; pass < kMaxCorrections; ++pass) {
            // The three positions belong to 0h UT of their days, so the interpolation factor
            // is the event's fraction of the UT day itself; adding delta T here would take the
            // positions of a moment delta T later.
            Equatorial at;
            at.right_ascension = Interpolate(alpha1, alpha2, alpha3, t);
            at.declination = Interpolate(delta1, delta2, delta3, t);
            const std::optional<double> correction = correction_at(e, t, at);
            if (!correction) {
                break;
            }
            t += *correction;
            if (std::fabs(*correction) < kOneSecond) {
                break;
            }
        }
        // Between the days the interpolated Moon can be off by a few minutes of arc, which at
        // high latitudes moves its rising by half a minute: the correction is repeated with
        // the point's own position at the moment found until it moves the time by less than a
        // second.
        bool converged = false;
        double hour_angle = 0.0;
        for (int pass = 0; pass < kMaxCorrections && !converged; ++pass) {
            const std::optional<EquatorialPlace> place = place_at(jd0 + t);
            if (!place) {
                break;
            }
            const Equatorial at{place->right_ascension, place->declination};
            hour_angle = hour_angle_at(t, at);
            const std::optional<double> correction = correction_at(e, t, at);
            if (!correction) {
                break;
            }
            t += *correction;
            converged = std::fabs(*correction) < kOneSecond;
        }
        // Near the latitude where the point stops rising the search can run off to another
        // day or onto the other crossing of the horizon: the point then has no rising (or
        // setting) near this day. A rising lies east of the meridian, a setting west.
        const bool east = hour_angle < 0.0;
        if (e >= 2 &&
            (!converged || std::fabs(t - m[e]) > kMaxDrift || east != (e == kEventRising - 1))) {
            continue;
        }
        result.events[e].valid = true;
        result.events[e].jd_ut = jd0 + t;
    }
    return result;
}

RiseSetTimes FindRiseSetTimes(int point, int day, int month, int year, std::uint8_t calendar,
                              double latitude, double longitude_west, HorizonMode mode) {
    EnsureEphemeris();
    const double jd0 = JulianDayOfRequestDate(day, month, year, calendar);
    ChartValues values;
    values.day = day;
    values.month = month;
    values.year = year;
    values.calendar = calendar;
    values.latitude = latitude;
    values.longitude = longitude_west;
    values.house_system = 9;
    values.zodiac = kTropicalZodiac;
    values.coords = 1;

    // The point's places come from a scratch slot, held for the length of the search.
    const ScratchSlot scratch;
    EquatorialStatus last = EquatorialStatus::kOk;
    const auto place_at = [&](double jd_ut) -> std::optional<EquatorialPlace> {
        Equatorial at;
        double jd_et = 0.0;
        last = PositionAt(scratch.Number(), point, values, (jd_ut - jd0) * 24.0, at, jd_et);
        if (last != EquatorialStatus::kOk) {
            return std::nullopt;
        }
        return EquatorialPlace{at.right_ascension, at.declination};
    };
    const double h0 =
        StandardAltitude(point, mode, point == kMoon ? MoonHorizontalParallax(jd0 + 0.5) : 0.0);
    RiseSetTimes result =
        FindRiseSetTimesOf(place_at, h0, day, month, year, calendar, latitude, longitude_west);
    if (!result.ok && last == EquatorialStatus::kFailed) {
        ReportEphemerisFailure();
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
