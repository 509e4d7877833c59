// The chart analysis report: computation details (time scales, sidereal times, obliquity,
// equation of time, zodiac and derived-chart figures), angles, house cusps, the points with
// their equatorial and horizontal coordinates, the stations near the chart's moment and the
// lunar phase.
#include <fmt/format.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <string>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/ephemeris.h"
#include "reports/report_support.h"
#include "startup/name_tables.h"
#include "textformats/calendar.h"

namespace meridia::reports::detail {

namespace {

// How far either side of the chart's moment stations are looked for, days.
constexpr double kStationWindowDays = 30.0;

// Mean geocentric daily motions, degrees per day (the speed of a station is shown as a
// percentage of these): the Sun's and the inner planets' mean motion is the Sun's.
struct MeanMotion {
    int point;
    double degrees_per_day;
};
constexpr std::array<MeanMotion, 9> kMeanMotions = {{{astro::kMercury, 0.9856},
                                                     {astro::kVenus, 0.9856},
                                                     {astro::kMars, 0.5240},
                                                     {astro::kJupiter, 0.0831},
                                                     {astro::kSaturn, 0.0335},
                                                     {astro::kUranus, 0.0117},
                                                     {astro::kNeptune, 0.0060},
                                                     {astro::kPluto, 0.0040},
                                                     {astro::kChiron, 0.0196}}};

std::string DateText(double jd_ut) {
    const textformats::DateWithFraction d = textformats::DateFromJulianDay(jd_ut, false);
    const double frac = d.day - std::floor(d.day);
    const auto& names = startup::Names();
    return fmt::format("{} {} {} {}", static_cast<int>(std::floor(d.day)),
                       names.MonthName(d.month, true), d.year, Hms(frac * 24.0));
}

std::string DaysText(double days) {
    const long hours = std::lround(std::fabs(days) * 24.0);
    return fmt::format("{}d {}h", hours / 24, hours % 24);
}

struct Station {
    bool found = false;
    double jd_ut = 0.0;
    double longitude = 0.0;  // tropical
    bool turns_retrograde = false;
};

double SpeedAt(int body, double jd_ut, double* longitude) {
    std::array<double, 6> x{};
    char error[AS_MAXCH] = "";
    if (swe_calc_ut(jd_ut, body, astro::EphemerisModeFlags() | SEFLG_SPEED, x.data(), error) < 0) {
        return 0.0;
    }
    if (longitude != nullptr) {
        *longitude = x[0];
    }
    return x[3];
}

// The station nearest the moment within the window: a change of sign of the speed in
// longitude, found on a coarse grid and refined by bisection to about a minute.
Station NearestStation(int point, double jd_ut) {
    Station best;
    const int body = astro::SwissBodyOf(point, true, false);
    if (body < 0) {
        return best;
    }
    const double step = point == astro::kMercury || point == astro::kVenus ? 2.0 : 5.0;
    double t0 = jd_ut - kStationWindowDays;
    double v0 = SpeedAt(body, t0, nullptr);
    const int steps = static_cast<int>(2.0 * kStationWindowDays / step);
    for (int k = 1; k <= steps; ++k) {
        const double t1 = jd_ut - kStationWindowDays + step * k;
        const double v1 = SpeedAt(body, t1, nullptr);
        if ((v0 < 0.0) != (v1 < 0.0)) {
            double a = t0;
            double b = t1;
            for (int i = 0; i < 24 && b - a > 1.0 / 1440.0; ++i) {
                const double m = 0.5 * (a + b);
                if ((SpeedAt(body, m, nullptr) < 0.0) == (v0 < 0.0)) {
                    a = m;
                } else {
                    b = m;
                }
            }
            const double at = 0.5 * (a + b);
            if (!best.found || std::fabs(at - jd_ut) < std::fabs(best.jd_ut - jd_ut)) {
                best.found = true;
                best.jd_ut = at;
                SpeedAt(body, at, &best.longitude);
                best.turns_retrograde = v0 >= 0.0;
            }
        }
        t0 = t1;
        v0 = v1;
    }
    return best;
}

void WriteComputationDetails(const astro::ChartSlot& slot, int slot_number, ReportWriter& w,
                             bool first_chart) {
    const double delta_t_seconds = slot.delta_t * 3600.0;
    const double lst =
        astro::ModFloor(slot.sidereal_time - slot.record.data.place.longitude / 15.0, 24.0);
    double eot_days = 0.0;
    char error[AS_MAXCH] = "";
    swe_time_equ(slot.julian_day_ut, &eot_days, error);
    const double eot_minutes = eot_days * 1440.0;
    const long eot_seconds = std::lround(std::fabs(eot_minutes) * 60.0);
    const std::string eot_text = fmt::format("{}{}m{:02}s", eot_minutes < 0.0 ? "-" : "+",
                                             eot_seconds / 60, eot_seconds % 60);
    w.Brief("Geocentric latitude used: " + SignedDms(slot.observer_latitude));
    w.Brief(fmt::format("DeltaT = {:.2f}s; ET = {}; JDE = {:.6f}", delta_t_seconds,
                        Hms((slot.julian_day - std::floor(slot.julian_day - 0.5) - 0.5) * 24.0),
                        slot.julian_day));
    w.Brief(fmt::format("ST(0°) = {}; LST = {}; Ob = {}; Eq.Time = {}", Hms(slot.sidereal_time),
                        Hms(lst), Dms(slot.obliquity), eot_text));
    if (first_chart) {
        w.SetValue("delta_t_seconds", delta_t_seconds);
        w.SetValue("julian_day_ut", slot.julian_day_ut);
        w.SetValue("jde", slot.julian_day);
        w.SetValue("sidereal_time_hours", slot.sidereal_time);
        w.SetValue("local_sidereal_time_hours", lst);
        w.SetValue("obliquity", slot.obliquity);
        w.SetValue("equation_of_time_minutes", eot_minutes);
        w.SetValue("geocentric_latitude", slot.observer_latitude);
    }
    const int zodiac = slot.record.zodiac;
    if (zodiac != astro::kTropicalZodiac && zodiac != astro::kDraconicZodiac) {
        const double svp = zodiac == astro::kUserZodiac ? slot.record.user_svp
                                                        : astro::SiderealVernalPoint(zodiac);
        w.Brief(fmt::format("Ayanamsa of date = {}; SVP 1900 = {}", Dms(-slot.zodiac_offset),
                            Dms(svp)));
        if (first_chart) {
            w.SetValue("ayanamsa", -slot.zodiac_offset);
        }
    }
    const astro::DerivedSlotInfo& info = astro::DerivedInfo(slot_number);
    if (!info.derived) {
        return;
    }
    if (info.rate > 0.0 && astro::IsValidSlot(info.base_slot)) {
        const astro::ChartSlot& base = astro::Slot(info.base_slot);
        w.Brief("Derived Progression Date = " +
                DateText(base.julian_day_ut + info.progressed_offset) + " UT");
        if (info.chart_class == astro::kClassSecondary) {
            // The adjusted calculation dates: the days of the year of life on which the
            // progressed moment passes 0h and 12h UT of an ephemeris day.
            const double since_0h = base.julian_day_ut + 0.5 - std::floor(base.julian_day_ut + 0.5);
            w.Brief(fmt::format("ACD(0h) = {}; ACD(12h) = {}",
                                DateText(base.julian_day_ut - since_0h / info.rate),
                                DateText(base.julian_day_ut - (since_0h - 0.5) / info.rate)));
        }
    }
    if (info.arc != 0.0) {
        w.Brief("Planetary Arc: " + SignedDms(info.arc));
    }
    if (info.chart_class == astro::kClassHarmonic) {
        w.Brief(fmt::format("Harmonic: {}", info.harmonic));
    }
}

void WriteAngles(const astro::ChartSlot& slot, ReportWriter& w) {
    w.NL();
    w.Header("CHART ANGLES");
    constexpr std::array<std::pair<int, const char*>, 6> kAngles = {
        {{astro::kMidheaven, "Midheaven"},
         {astro::kAscendant, "Ascendant"},
         {astro::kVertex, "Vertex"},
         {astro::kEquatorialAscendant, "Eq. Asc."},
         {astro::kCoAscendant, "Co-Asc."},
         {astro::kPolarAscendant, "Polar Asc."}}};
    for (const auto& [point, label] : kAngles) {
        w.Brief(
            fmt::format("{:<12}{}", label, Pos(slot.longitude[static_cast<std::size_t>(point)])));
    }
}

void WriteCusps(const astro::ChartSlot& slot, ReportWriter& w, bool second_chart) {
    w.NL();
    w.Header("HOUSE CUSPS");
    if (second_chart) {
        w.Brief("House positions are relative to Chart A");
    }
    for (int h = 1; h <= 6; ++h) {
        w.Brief(fmt::format("{:>2}: {}    {:>2}: {}", h,
                            Pos(slot.cusps[static_cast<std::size_t>(h)]), h + 6,
                            Pos(slot.cusps[static_cast<std::size_t>(h) + 6])));
    }
}

void WritePoints(const ReportRequest& r, const astro::ChartSlot& slot,
                 const astro::ChartSlot& house_slot, ReportWriter& w) {
    w.NL();
    w.Header("CHART POINTS");
    w.Brief(fmt::format("{:<14} {:<13} {:>9} {:>10} {:>9} {:>10} {:>9} {:>9} {}", "Point",
                        "Longitude", "Travel", "Latitude", " Rt.Asc.", "  Decl.", "Azi(0°N)",
                        "   Alti.", "House"));
    const std::array<double, 3> geo = {-slot.record.data.place.longitude,
                                       slot.record.data.place.latitude, 0.0};
    for (const int p : ReportPoints(r, slot)) {
        const auto i = static_cast<std::size_t>(p);
        std::array<double, 3> equatorial = {slot.right_ascension[i], slot.declination[i], 1.0};
        std::array<double, 3> horizontal{};
        swe_azalt(slot.julian_day_ut, SE_EQU2HOR, const_cast<double*>(geo.data()), 0.0, 0.0,
                  equatorial.data(), horizontal.data());
        const int house = &house_slot == &slot
                              ? slot.house[i]
                              : astro::HouseOf(slot.longitude[i], house_slot.cusps);
        w.Brief(fmt::format(
            "{:<14.14} {:<13} {:>9} {:>10} {:>9} {:>10} {:>9} {:>9} {:>3}", PName(p),
            Pos(slot.longitude[i]), Dms(slot.speed[i]), SignedDms(slot.latitude[i]),
            Dms(slot.right_ascension[i]), SignedDms(slot.declination[i]),
            Dms(astro::ModFloor(horizontal[0] + 180.0, 360.0)), SignedDms(horizontal[1]), house));
    }
}

void WriteStations(const astro::ChartSlot& slot, ReportWriter& w) {
    w.NL();
    w.Header(fmt::format("STATIONARY POINTS (within {} days)", kStationWindowDays));
    if (IsHeliocentric(slot)) {
        w.Brief("None");
        return;
    }
    int count = 0;
    for (const MeanMotion& m : kMeanMotions) {
        const Station s = NearestStation(m.point, slot.julian_day_ut);
        if (!s.found) {
            continue;
        }
        ++count;
        const double days = s.jd_ut - slot.julian_day_ut;
        const double percent =
            std::fabs(slot.speed[static_cast<std::size_t>(m.point)]) / m.degrees_per_day * 100.0;
        const char* turn = s.turns_retrograde ? "retrograde" : "direct";
        const std::string position = Pos(astro::ModFloor(s.longitude + slot.zodiac_offset, 360.0));
        if (days < 0.0) {
            w.Brief(fmt::format("{:<10} Turned {} {} ago at {} ({:.0f}% of avg)", PName(m.point),
                                turn, DaysText(days), position, percent));
        } else {
            w.Brief(fmt::format("{:<10} Will turn {} in {} at {} ({:.0f}% of avg)", PName(m.point),
                                turn, DaysText(days), position, percent));
        }
    }
    if (count == 0) {
        w.Brief("None");
    }
}

void WriteLunarPhase(const astro::ChartSlot& slot, ReportWriter& w, bool first_chart) {
    w.NL();
    w.Header("LUNAR PHASE");
    const double sun = slot.longitude[astro::kSun];
    const double moon = slot.longitude[astro::kMoon];
    if (sun < 0.0 || moon < 0.0 || IsHeliocentric(slot)) {
        w.Brief("Not available");
        return;
    }
    const double angle = astro::ModFloor(moon - sun, 360.0);
    const int phase = std::min(static_cast<int>(angle / 45.0), 7) + 1;
    const std::string name =
        startup::Names().ChartKindName(astro::kKindFirstLunarPhase + phase - 1);
    w.Brief("Angle: " + Dms(angle));
    w.Brief(fmt::format("Phase: {} of 8, and {}", phase, name));
    if (first_chart) {
        w.SetValue("lunar_phase_angle", angle);
        w.SetValue("lunar_phase", static_cast<double>(phase));
        w.SetValue("lunar_phase_name", name);
    }
}

}  // namespace

void WriteAnalysis(const ReportRequest& r, ReportWriter& w) {
    const std::array<int, 2> slots = {r.slot_a, r.slot_b};
    for (int c = 0; c < 2; ++c) {
        const int n = slots[static_cast<std::size_t>(c)];
        if (n == 0) {
            continue;
        }
        const astro::ChartSlot& slot = astro::Slot(n);
        w.NL();
        w.AddRadixChart(slot, c);
        w.NL();
        WriteComputationDetails(slot, n, w, c == 0);
        WriteAngles(slot, w);
        WriteCusps(slot, w, c == 1);
        WritePoints(r, slot, c == 1 ? astro::Slot(r.slot_a) : slot, w);
        WriteStations(slot, w);
        WriteLunarPhase(slot, w, c == 0);
    }
}

}  // namespace meridia::reports::detail
