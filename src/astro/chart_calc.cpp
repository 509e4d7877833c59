#include "astro/chart_calc.h"

#include <algorithm>
#include <cmath>

#include "astro/angles.h"
#include "astro/arabic_parts.h"
#include "astro/ephemeris.h"
#include "astro/extra_points.h"
#include "astro/houses.h"
#include "astro/time_scales.h"
#include "startup/messages.h"
#include "startup/session.h"

namespace meridia::astro {

namespace {

// Sidereal vernal point at 1900 January 0.5 by zodiac code 0..17.
constexpr std::array<double, 18> kVernalPoints = {
    0.0, 0.0, 336.6560694, 337.53953, 333.58695, 338.98556, 341.33904, 337.636111,  333.0369024,
    0.0, 0.0, 340.51556,   338.65833, 333.38889, 336.89246, 336.85051, 338.4930556, 340.822778};

std::int16_t Flag(bool value) { return value ? std::int16_t{-1} : std::int16_t{0}; }

// Ascendant of RAMC r at latitude phi (degrees, tropical), the eastern intersection of the
// horizon and the ecliptic, and its derivative with respect to r (dimensionless).
struct AngleAndRate {
    double angle;
    double rate;
};

AngleAndRate AscendantAt(double r, double sin_eps, double cos_eps, double phi) {
    const double sin_r = SinD(r);
    const double cos_r = CosD(r);
    const double x = -(sin_r * cos_eps + TanD(phi) * sin_eps);
    const double y = cos_r;
    const double rate = (-x * sin_r + cos_r * cos_r * cos_eps) / (x * x + y * y);
    return {Norm360(ArcTan2(y, x)), rate};
}

void ClearPoint(ChartSlot& slot, int point) {
    slot.longitude[point] = 0.0;
    slot.latitude[point] = 0.0;
    slot.speed[point] = 0.0;
    slot.latitude_speed[point] = 0.0;
    slot.distance[point] = 0.0;
    slot.distance_speed[point] = 0.0;
    slot.declination[point] = 0.0;
    slot.right_ascension[point] = 0.0;
    slot.retrograde[point] = 0;
    slot.house[point] = 0;
}

void StoreAngle(ChartSlot& slot, int point, double tropical, double speed) {
    ClearPoint(slot, point);
    slot.longitude[point] = Norm360(tropical + slot.zodiac_offset);
    slot.speed[point] = speed;
    slot.retrograde[point] = Flag(speed < 0.0);
}

void CalcPartOfFortune(ChartSlot& slot, const CalcOptions& options) {
    const double asc = slot.longitude[kAscendant];
    const double sun = slot.longitude[kSun];
    const double moon = slot.longitude[kMoon];
    ClearPoint(slot, kPartOfFortune);
    if (sun < 0.0 || moon < 0.0) {
        slot.longitude[kPartOfFortune] = -1.0;
        return;
    }
    const double asc_speed = slot.speed[kAscendant];
    const bool night = IsNightChart(slot);
    double speed = 0.0;
    if (night && !options.day_part_only) {
        slot.longitude[kPartOfFortune] = Norm360(asc + sun - moon);
        slot.latitude[kPartOfFortune] = -slot.latitude[kMoon];
        speed = asc_speed + slot.speed[kSun] - slot.speed[kMoon];
    } else {
        slot.longitude[kPartOfFortune] = Norm360(asc + moon - sun);
        slot.latitude[kPartOfFortune] = slot.latitude[kMoon];
        speed = asc_speed + slot.speed[kMoon] - slot.speed[kSun];
    }
    slot.speed[kPartOfFortune] = speed;
    slot.retrograde[kPartOfFortune] = Flag(speed < 0.0);
}

bool Covers(int first, int last, int point) { return first <= point && point <= last; }

}  // namespace

CalcOptions CalcOptionsFromSettings() {
    const auto& settings = startup::CurrentSession().settings();
    CalcOptions options;
    options.true_node = settings.GetBool("TrueNode");
    options.true_black_moon = settings.GetBool("TrueBlackMoon");
    options.parallax = settings.GetBool("Parallax");
    options.geocentric = settings.GetBool("Geocentric");
    options.vulcan_calc = settings.GetInt("VulcanCalc");
    options.day_part_only = settings.GetBool("DayPartOnly");
    options.mc_always_above = settings.GetBool("MCAlwaysAbove");
    options.true_obliquity = settings.GetBool("UseTrueObliquity");
    options.default_zodiac = settings.GetInt("Ayanamsa");
    options.user_svp = settings.GetDouble("UserSVP");
    return options;
}

void ReportOutOfRange() {
    startup::ShowMessage(kOutOfRangeText, startup::kExclamation, kOutOfRangeTitle);
}

double UniversalHoursOf(const ChartRecord& record) {
    const CompactDateTime& dt = record.data.date_time;
    return dt.hour + dt.minute / 60.0 + dt.second / 3600.0 +
           static_cast<double>(record.data.zone.hours);
}

double GeocentricLatitude(double latitude) {
    const double c = (-692.743 * SinD(2.0 * latitude) - 1.1633 * SinD(4.0 * latitude) +
                      0.0026 * SinD(6.0 * latitude)) /
                     3600.0;
    return latitude + c;
}

double SiderealVernalPoint(int zodiac) {
    if (zodiac < 0 || zodiac > kLastZodiac) {
        return 0.0;
    }
    return kVernalPoints[static_cast<std::size_t>(zodiac)];
}

double ZodiacOffset(int zodiac, double jd_et, bool true_node, double user_svp) {
    if (zodiac == kTropicalZodiac) {
        return 0.0;
    }
    if (zodiac == kDraconicZodiac) {
        const double node = NodeLongitude(jd_et, true_node);
        return node < 0.0 ? 0.0 : -node;
    }
    // Precession in longitude since 1900 with the principal nutation terms, arcseconds.
    const double t = (jd_et - kJulianDay1900) / kDaysPerCentury;
    const double omega = ModFloor((933060.0 - 6962911.0 * t + 7.5 * t * t) / 3600.0, 360.0);
    const double l2 = (259205536.0 * t + 2013816.0) / 3600.0;
    const double p = 1.27 * SinD(l2) + 17.23 * SinD(omega) - (5025.64 + 1.11 * t) * t;
    const double svp = zodiac == kUserZodiac ? user_svp : SiderealVernalPoint(zodiac);
    return svp - 360.0 + p / 3600.0;
}

AngleSet CalcAngles(double ramc, double obliquity, double latitude, bool mc_always_above) {
    AngleSet a;
    const double sin_eps = SinD(obliquity);
    const double cos_eps = CosD(obliquity);
    const double rate = kSiderealDegreesPerDay;

    // Midheaven: the ecliptic point on the upper meridian.
    double mc = ArcTanD(TanD(ramc) / cos_eps);
    if (mc < 0.0) {
        mc += 180.0;
    }
    if (ramc > 180.0) {
        mc += 180.0;
    }
    const double sin_r = SinD(ramc);
    const double cos_r = CosD(ramc);
    a.midheaven = Norm360(mc);
    a.midheaven_speed = rate * cos_eps / (cos_r * cos_r * cos_eps * cos_eps + sin_r * sin_r);

    const AngleAndRate asc = AscendantAt(ramc, sin_eps, cos_eps, latitude);
    a.ascendant = asc.angle;
    a.ascendant_speed = asc.rate * rate;

    // Inside the polar circles the Midheaven may be below the horizon: its altitude on the
    // meridian is 90 - |phi - delta|.
    if (90.0 - obliquity < std::fabs(latitude)) {
        const double declination = ArcSin(sin_eps * SinD(a.midheaven));
        const double sin_altitude =
            SinD(latitude) * SinD(declination) + CosD(latitude) * CosD(declination);
        if (sin_altitude < 0.0) {
            if (mc_always_above) {
                a.midheaven = Norm360(a.midheaven + 180.0);
            } else {
                a.ascendant = Norm360(a.ascendant + 180.0);
            }
        }
    }

    // Vertex: the western intersection of the prime vertical and the ecliptic, the Ascendant
    // of the opposite meridian at the colatitude.
    if (latitude == 0.0) {
        a.vertex = 90.0;
        a.vertex_speed = 0.0;
    } else {
        const double colatitude = latitude > 0.0 ? 90.0 - latitude : -90.0 - latitude;
        const AngleAndRate vx = AscendantAt(ramc + 180.0, sin_eps, cos_eps, colatitude);
        a.vertex = vx.angle;
        a.vertex_speed = vx.rate * rate;
        if (Norm360(a.midheaven - a.vertex) > 180.0) {
            a.vertex = Norm360(a.vertex + 180.0);
        }
    }

    // Equatorial Ascendant: the ecliptic point of right ascension RAMC + 90.
    const AngleAndRate ea = AscendantAt(ramc, sin_eps, cos_eps, 0.0);
    a.equatorial_ascendant = ea.angle;
    a.equatorial_ascendant_speed = ea.rate * rate;

    // Co-Ascendant (W. Koch): the Ascendant of the opposite meridian, turned by 180 degrees.
    // Polar Ascendant (M. Munkasey): that Ascendant itself, the Co-Ascendant's opposite.
    const AngleAndRate co = AscendantAt(ramc + 180.0, sin_eps, cos_eps, latitude);
    a.co_ascendant = Norm360(co.angle + 180.0);
    a.co_ascendant_speed = co.rate * rate;
    a.polar_ascendant = co.angle;
    return a;
}

void CalcAnglesAndPoints(ChartSlot& slot, const CalcOptions& options) {
    const AngleSet a =
        CalcAngles(slot.ramc, slot.obliquity, slot.observer_latitude, options.mc_always_above);
    StoreAngle(slot, kMidheaven, a.midheaven, a.midheaven_speed);
    StoreAngle(slot, kAscendant, a.ascendant, a.ascendant_speed);
    StoreAngle(slot, kVertex, a.vertex, a.vertex_speed);
    StoreAngle(slot, kEquatorialAscendant, a.equatorial_ascendant, a.equatorial_ascendant_speed);
    CalcPartOfFortune(slot, options);
    StoreAngle(slot, kCoAscendant, a.co_ascendant, a.co_ascendant_speed);
    StoreAngle(slot, kPolarAscendant, a.polar_ascendant, a.co_ascendant_speed);
    StoreOpposite(slot, kDescendant, kAscendant);
    StoreOpposite(slot, kImumCoeli, kMidheaven);
    StoreOpposite(slot, kAntiVertex, kVertex);
    StoreOpposite(slot, kEquatorialDescendant, kEquatorialAscendant);
    StoreOpposite(slot, kCoDescendant, kCoAscendant);
    StoreOpposite(slot, kPolarDescendant, kPolarAscendant);
    if (slot.observer_latitude == 0.0) {
        // At the equator the Co-Ascendant and the Polar Descendant are the Ascendant, the Polar
        // Ascendant and the Co-Descendant the Descendant: they take those longitudes exactly, so
        // that they share the houses of the cusps the Ascendant and Descendant lie on.
        slot.longitude[kCoAscendant] = slot.longitude[kAscendant];
        slot.longitude[kPolarDescendant] = slot.longitude[kAscendant];
        slot.longitude[kPolarAscendant] = slot.longitude[kDescendant];
        slot.longitude[kCoDescendant] = slot.longitude[kDescendant];
    }
    ClearPoint(slot, kAriesPoint);
    StoreOpposite(slot, kLibraPoint, kAriesPoint);
    ClearPoint(slot, kVernalPoint);
    slot.longitude[kVernalPoint] = Norm360(slot.zodiac_offset);
}

void CalcEquatorial(ChartSlot& slot, double obliquity, double zodiac_offset, int point) {
    const double sin_eps = SinD(obliquity);
    const double cos_eps = CosD(obliquity);
    const int first = point > 0 ? point : 1;
    const int last = point > 0 ? point : PointsInUse();
    for (int p = first; p <= last && p <= kMaxPoints; ++p) {
        if (slot.longitude[p] < 0.0) {
            continue;
        }
        const double lambda = slot.longitude[p] - zodiac_offset;
        const double beta = slot.latitude[p];
        const double sin_l = SinD(lambda);
        slot.declination[p] = ArcSin(SinD(beta) * cos_eps + CosD(beta) * sin_eps * sin_l);
        slot.right_ascension[p] =
            Norm360(ArcTan2(sin_l * cos_eps - TanD(beta) * sin_eps, CosD(lambda)));
    }
}

int HouseOf(double longitude, const std::array<double, 13>& cusps) {
    int h = static_cast<int>(std::floor(ModFloor(longitude - cusps[1], 360.0) / 30.0)) + 1;
    h = std::clamp(h, 1, 12);
    // Walk to the house whose cusp is behind the longitude and whose next cusp is ahead; the
    // walk is bounded so that degenerate cusps cannot hold it.
    for (int step = 0; step < 24; ++step) {
        const int next = h == 12 ? 1 : h + 1;
        const double d1 = ModFloor(longitude - cusps[static_cast<std::size_t>(h)], 360.0);
        const double d2 = ModFloor(longitude - cusps[static_cast<std::size_t>(next)], 360.0);
        if (d1 >= 180.0) {
            h = h == 1 ? 12 : h - 1;
        } else if (d2 <= 180.0) {
            h = next;
        } else {
            break;
        }
    }
    return h;
}

void SortPoints(ChartSlot& slot) {
    std::array<int, kMaxPoints> points{};
    int count = 0;
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        if (slot.longitude[p] >= 0.0) {
            points[static_cast<std::size_t>(count++)] = p;
        }
    }
    std::stable_sort(points.begin(), points.begin() + count,
                     [&slot](int a, int b) { return slot.longitude[a] < slot.longitude[b]; });
    slot.sorted_points.fill(0);
    for (int i = 0; i < count; ++i) {
        slot.sorted_points[static_cast<std::size_t>(i) + 1] =
            static_cast<std::int16_t>(points[static_cast<std::size_t>(i)]);
    }
    slot.selected_point_count = static_cast<std::int16_t>(count);
}

CalcStatus CalcChart(const ChartRecord& record, int slot, int first_point, int last_point,
                     bool with_equatorial, bool with_houses) {
    if (!IsValidSlot(slot)) {
        return CalcStatus::kBadSlot;
    }
    Slot(slot).record = record;
    ChartValues values;
    values.day = record.data.date_time.day;
    values.month = record.data.date_time.month;
    values.year = record.data.date_time.year;
    values.ut_hours = UniversalHoursOf(record);
    values.calendar = record.data.calendar;
    values.latitude = static_cast<double>(record.data.place.latitude);
    values.longitude = static_cast<double>(record.data.place.longitude);
    values.house_system = record.house_system;
    values.zodiac = record.zodiac;
    values.coords = record.coords;
    return CalcChartFromValues(values, slot, first_point, last_point, with_equatorial, with_houses);
}

CalcStatus CalcChartFromValues(const ChartValues& values, int slot_number, int first_point,
                               int last_point, bool with_equatorial, bool with_houses) {
    if (!IsValidSlot(slot_number)) {
        return CalcStatus::kBadSlot;
    }
    EnsureEphemeris();
    ChartSlot& slot = Slot(slot_number);
    ChartRecord& record = slot.record;
    record.data.place.latitude = static_cast<float>(values.latitude);
    record.data.place.longitude = static_cast<float>(values.longitude);
    record.data.calendar = values.calendar;
    record.house_system = static_cast<std::uint8_t>(values.house_system);
    record.zodiac = static_cast<std::uint8_t>(values.zodiac);
    record.coords = static_cast<std::uint8_t>(values.coords);

    const CalcOptions options = CalcOptionsFromSettings();
    slot.node_type_used = Flag(options.true_node);
    slot.parallax_used = Flag(options.parallax);
    slot.geocentric_latitude_used = Flag(options.geocentric);

    slot.observer_latitude =
        options.geocentric ? GeocentricLatitude(values.latitude) : values.latitude;

    const ChartTimes times =
        ChartTimesOf(values.day, values.month, values.year, values.ut_hours, values.calendar);
    if (!std::isfinite(times.jd_et) || !std::isfinite(values.latitude) ||
        !std::isfinite(values.longitude)) {
        return CalcStatus::kOutOfRange;  // never hand the ephemeris a non-finite value
    }
    slot.julian_day_ut = times.jd_ut;
    slot.julian_day = times.jd_et;
    slot.delta_t = times.delta_t_hours;
    slot.sidereal_time = times.sidereal_time;
    slot.t = times.t;

    int zodiac = values.zodiac;
    if (zodiac == 0) {
        zodiac = options.default_zodiac == 0 ? kTropicalZodiac : options.default_zodiac;
    }
    slot.zodiac_offset = ZodiacOffset(zodiac, times.jd_et, options.true_node, options.user_svp);
    slot.obliquity = Obliquity(times.jd_et, options.true_obliquity);
    slot.ramc = Norm360(times.sidereal_time * 15.0 - values.longitude);

    const int first = first_point <= 0 ? 1 : first_point;
    const int last = last_point <= 0 ? PointsInUse() : std::min(last_point, PointsInUse());
    for (int p = first; p <= last && p <= kMaxPoints; ++p) {
        ClearPoint(slot, p);
    }
    PositionOptions position_options;
    position_options.true_node = options.true_node;
    position_options.true_black_moon = options.true_black_moon;
    position_options.vulcan_calc = options.vulcan_calc;
    const PositionStatus status =
        CalcPositions(slot, first, last, times.jd_et, slot.zodiac_offset, position_options);
    if (status == PositionStatus::kFilesMissing) {
        return CalcStatus::kFilesMissing;
    }
    if (status == PositionStatus::kOutOfRange) {
        return CalcStatus::kOutOfRange;
    }
    if (options.parallax && Covers(first, last, kMoon)) {
        TopocentricMoon(slot, times.jd_et, slot.zodiac_offset, values.latitude, values.longitude);
    }
    if (first <= kVernalPoint && last >= kAscendant) {
        CalcAnglesAndPoints(slot, options);
    }
    if (with_equatorial) {
        CalcEquatorial(slot, slot.obliquity, slot.zodiac_offset, 0);
    }
    // The extra points 51 and up come last: they may stand on cusps and on other points.
    const bool extra_points = last > kFixedPointCount;
    if (with_houses) {
        if (!CalcHouses(slot)) {
            if (extra_points) {
                CalcExtraPoints(slot, first, last, with_equatorial, false, !options.day_part_only);
            }
            SortPoints(slot);
            return CalcStatus::kHousesFailed;
        }
        for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
            slot.house[p] = slot.longitude[p] < 0.0
                                ? std::int16_t{0}
                                : static_cast<std::int16_t>(HouseOf(slot.longitude[p], slot.cusps));
        }
    }
    if (extra_points) {
        CalcExtraPoints(slot, first, last, with_equatorial, with_houses, !options.day_part_only);
    }
    SortPoints(slot);
    return CalcStatus::kOk;
}

int OpenChartIntoSlot(const ChartRecord& record, const std::string& file_path,
                      std::int32_t record_number) {
    const int free_slot = FindFreeSlot();
    if (free_slot < 0) {
        return -1;
    }
    ChartSlot& slot = Slot(free_slot);
    slot.chart_serial = NextChartSerial();
    slot.file_path = file_path;
    slot.record_number = record_number;
    if (CalcChart(record, free_slot, 0, 0, true, true) != CalcStatus::kOk) {
        slot.chart_serial = 0;
        return -1;
    }
    return free_slot;
}

}  // namespace meridia::astro
