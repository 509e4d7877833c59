// Rise/set charts: event times against the ephemeris library's own rise and transit search
// (disc centre, no refraction, the same horizon altitude), the standard altitudes, the event
// texts and the chart cast for a chosen event.
#include "astro/rise_set.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_table.h"
#include "astro/ephemeris.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::astro {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

// Horizontal parallax of a body at jd_ut, degrees, from its geocentric distance.
double Parallax(int body, double jd_ut) {
    std::array<double, 6> xx{};
    std::array<char, 256> error{};
    swe_calc_ut(jd_ut, body, EphemerisModeFlags(), xx.data(), error.data());
    return std::asin(6378.14 / (xx[2] * 149597870.7)) * 180.0 / kPi;
}

// The library's next event after `from`. Its rise and set are topocentric, so the horizon it
// is given is the geocentric altitude lowered by the body's parallax at the event (found by
// repeating the search with the parallax at the previous answer).
double LibraryEvent(int body, int event, double from, double latitude, double longitude_west,
                    double h0) {
    std::array<double, 3> geopos = {-longitude_west, latitude, 0.0};
    int rsmi = 0;
    switch (event) {
        case kEventCulminating:
            rsmi = SE_CALC_MTRANSIT;
            break;
        case kEventAnticulminating:
            rsmi = SE_CALC_ITRANSIT;
            break;
        case kEventRising:
            rsmi = SE_CALC_RISE;
            break;
        default:
            rsmi = SE_CALC_SET;
            break;
    }
    rsmi |= SE_BIT_DISC_CENTER | SE_BIT_NO_REFRACTION;
    double t = from;
    double horizon = h0;
    for (int pass = 0; pass < 3; ++pass) {
        std::array<double, 10> tret{};
        std::array<char, 256> error{};
        const int ret =
            swe_rise_trans_true_hor(from, body, nullptr, EphemerisModeFlags(), rsmi, geopos.data(),
                                    0.0, 0.0, horizon, tret.data(), error.data());
        if (ret < 0) {
            return -1.0;
        }
        t = tret[0];
        horizon = h0 - Parallax(body, t);
    }
    return t;
}

// Geocentric apparent right ascension and declination of a body from the library, degrees.
std::array<double, 2> EquatorialOf(int body, double jd_ut) {
    std::array<double, 6> xx{};
    std::array<char, 256> error{};
    swe_calc_ut(jd_ut, body, EphemerisModeFlags() | SEFLG_EQUATORIAL, xx.data(), error.data());
    return {xx[0], xx[1]};
}

// The body's geocentric hour angle (east of the meridian negative) or its unrefracted
// geocentric altitude minus h0, from the library's apparent sidereal time and horizon
// transformation: the quantity that is zero at the event.
double EventFunction(int body, int event, double jd_ut, double latitude, double longitude_west,
                     double h0) {
    const std::array<double, 2> equatorial = EquatorialOf(body, jd_ut);
    if (event == kEventCulminating || event == kEventAnticulminating) {
        const double offset = event == kEventCulminating ? 0.0 : 180.0;
        return Norm180(swe_sidtime(jd_ut) * 15.0 - longitude_west - equatorial[0] - offset);
    }
    std::array<double, 3> geopos = {-longitude_west, latitude, 0.0};
    std::array<double, 3> xin = {equatorial[0], equatorial[1], 1.0};
    std::array<double, 3> xaz{};
    swe_azalt(jd_ut, SE_EQU2HOR, geopos.data(), 0.0, 0.0, xin.data(), xaz.data());
    return xaz[1] - h0;
}

// The exact moment near `guess` at which the event function vanishes (secant steps).
double ExactEvent(int body, int event, double guess, double latitude, double longitude_west,
                  double h0) {
    double a = guess;
    double b = guess + 0.001;
    double fa = EventFunction(body, event, a, latitude, longitude_west, h0);
    double fb = EventFunction(body, event, b, latitude, longitude_west, h0);
    for (int step = 0; step < 50 && fb != fa && std::fabs(b - a) > 1e-10; ++step) {
        const double c = b - fb * (b - a) / (fb - fa);
        a = b;
        fa = fb;
        b = c;
        fb = EventFunction(body, event, b, latitude, longitude_west, h0);
    }
    return b;
}

class RiseSetTest : public testing::SessionTest {};

struct Case {
    int point;
    int body;
    int year;
    int month;
    int day;
    double latitude;
    double longitude_west;
    HorizonMode mode;
    double tolerance_seconds;
};

TEST_F(RiseSetTest, EventsAgreeWithTheLibrarysRiseAndTransitSearch) {
    const Case cases[] = {
        {kSun, SE_SUN, 2024, 3, 20, 0.0, 0.0, HorizonMode::kVisual, 2.0},
        {kSun, SE_SUN, 1990, 6, 21, 51.5, 0.12, HorizonMode::kVisual, 2.0},
        {kSun, SE_SUN, 2010, 12, 1, -33.9, -151.2, HorizonMode::kTrue, 2.0},
        {kSun, SE_SUN, 1975, 9, 10, 60.0, -25.0, HorizonMode::kTrue, 2.0},
        {kMercury, SE_MERCURY, 2001, 4, 15, 40.7, 74.0, HorizonMode::kVisual, 2.0},
        {kVenus, SE_VENUS, 2015, 8, 3, -45.0, 70.0, HorizonMode::kVisual, 2.0},
        {kMars, SE_MARS, 2003, 8, 27, 35.0, -139.7, HorizonMode::kTrue, 2.0},
        {kJupiter, SE_JUPITER, 1968, 1, 12, 55.75, -37.6, HorizonMode::kVisual, 2.0},
        {kSaturn, SE_SATURN, 2030, 11, 5, 10.0, 100.0, HorizonMode::kTrue, 2.0},
        {kPluto, SE_PLUTO, 1985, 7, 1, 48.1, -11.6, HorizonMode::kVisual, 2.0},
        {kMoon, SE_MOON, 2024, 1, 25, 0.0, 0.0, HorizonMode::kTrue, 30.0},
        {kMoon, SE_MOON, 1999, 8, 11, 48.8, -2.35, HorizonMode::kVisual, 30.0},
        {kMoon, SE_MOON, 2012, 5, 6, -34.6, 58.4, HorizonMode::kTrue, 30.0},
        {kMoon, SE_MOON, 1980, 10, 18, 59.9, -10.75, HorizonMode::kVisual, 30.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "point " << c.point << " " << c.year << "-" << c.month
                                          << "-" << c.day << " lat " << c.latitude);
        const RiseSetTimes times = FindRiseSetTimes(c.point, c.day, c.month, c.year, 0, c.latitude,
                                                    c.longitude_west, c.mode);
        ASSERT_TRUE(times.ok);
        for (int e = 1; e <= kRiseSetEventCount; ++e) {
            const RiseSetEventTime& ours = times.events[static_cast<std::size_t>(e - 1)];
            ASSERT_TRUE(ours.valid) << "event " << e;
            const double library =
                LibraryEvent(c.body, e, ours.jd_ut - 0.25, c.latitude, c.longitude_west, times.h0);
            const double jd0 = textformats::JulianDayOfDate(c.day, c.month, c.year);
            EXPECT_GT(ours.jd_ut, jd0 - 0.1) << "event " << e;
            EXPECT_LT(ours.jd_ut, jd0 + 1.1) << "event " << e;
            EXPECT_NEAR(ours.jd_ut, library, c.tolerance_seconds * kSecond)
                << "event " << e << " difference " << (ours.jd_ut - library) * 86400.0 << " s";
        }
    }
}

TEST_F(RiseSetTest, EventsMatchTheExactGeocentricCrossings) {
    // Years with a delta T of over a minute (the three positions belong to 0h UT, not to a
    // moment delta T later) and a high-latitude Moon whose interpolated declination alone
    // would move its rising by half a minute.
    const Case cases[] = {
        {kSun, SE_SUN, 2045, 4, 2, 50.0, -20.0, HorizonMode::kVisual, 0.2},
        {kVenus, SE_VENUS, 2044, 9, 14, -40.0, 60.0, HorizonMode::kTrue, 0.2},
        {kMoon, SE_MOON, 2046, 2, 9, 45.0, 100.0, HorizonMode::kVisual, 0.2},
        {kMoon, SE_MOON, 2043, 7, 21, -30.0, -150.0, HorizonMode::kTrue, 0.2},
        {kMoon, SE_MOON, 1969, 1, 15, 59.4, 167.9333, HorizonMode::kTrue, 0.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "point " << c.point << " " << c.year);
        const RiseSetTimes times = FindRiseSetTimes(c.point, c.day, c.month, c.year, 0, c.latitude,
                                                    c.longitude_west, c.mode);
        ASSERT_TRUE(times.ok);
        for (int e = 1; e <= kRiseSetEventCount; ++e) {
            const RiseSetEventTime& ours = times.events[static_cast<std::size_t>(e - 1)];
            ASSERT_TRUE(ours.valid) << "event " << e;
            const double exact =
                ExactEvent(c.body, e, ours.jd_ut, c.latitude, c.longitude_west, times.h0);
            EXPECT_NEAR(ours.jd_ut, exact, c.tolerance_seconds * kSecond)
                << "event " << e << " difference " << (ours.jd_ut - exact) * 86400.0 << " s";
        }
    }
}

TEST_F(RiseSetTest, HighLatitudeRisingAndSettingStayOnTheirDay) {
    // Near the major lunar standstill the Moon at 69 N barely rises: a listed rising or
    // setting must be a real crossing of the horizon, in its own direction, near the day.
    const double latitude = 68.85;
    const double longitude_west = -78.05;
    const RiseSetTimes times =
        FindRiseSetTimes(kMoon, 28, 4, 2006, 0, latitude, longitude_west, HorizonMode::kVisual);
    ASSERT_TRUE(times.ok);
    EXPECT_TRUE(times.events[0].valid);
    EXPECT_TRUE(times.events[1].valid);
    const double jd0 = textformats::JulianDayOfDate(28, 4, 2006);
    for (int e = kEventRising; e <= kEventSetting; ++e) {
        const RiseSetEventTime& event = times.events[static_cast<std::size_t>(e - 1)];
        if (!event.valid) {
            continue;
        }
        SCOPED_TRACE(::testing::Message() << "event " << e);
        EXPECT_GT(event.jd_ut, jd0 - 0.5);
        EXPECT_LT(event.jd_ut, jd0 + 1.5);
        const auto altitude = [&](double jd) {
            return EventFunction(SE_MOON, e, jd, latitude, longitude_west, times.h0);
        };
        EXPECT_NEAR(altitude(event.jd_ut), 0.0, 1e-3);
        const double climb = altitude(event.jd_ut + 0.01) - altitude(event.jd_ut - 0.01);
        EXPECT_EQ(climb > 0.0, e == kEventRising);
    }
}

TEST_F(RiseSetTest, StandardAltitudes) {
    // 0.7275 x 0.95 - 0.5667 = 0.124425.
    EXPECT_NEAR(StandardAltitude(kMoon, HorizonMode::kVisual, 0.95), 0.124425, 1e-12);
    EXPECT_DOUBLE_EQ(StandardAltitude(kSun, HorizonMode::kVisual, 0.95), -0.8333);
    EXPECT_DOUBLE_EQ(StandardAltitude(kMars, HorizonMode::kVisual, 0.95), -0.5667);
    EXPECT_DOUBLE_EQ(StandardAltitude(kMoon, HorizonMode::kTrue, 0.95), 0.0);
    EXPECT_DOUBLE_EQ(StandardAltitude(kSun, HorizonMode::kTrue, 0.0), 0.0);
    EXPECT_EQ(HorizonModeName(HorizonMode::kVisual), "Visual");
    EXPECT_EQ(HorizonModeName(HorizonMode::kTrue), "True");
}

TEST_F(RiseSetTest, MoonParallaxMatchesItsDistance) {
    // Perigee and apogee bound the Moon's horizontal parallax: about 0.90 to 1.01 degrees.
    for (double jd = 2451545.0; jd < 2451575.0; jd += 3.0) {
        const double p = MoonHorizontalParallax(jd);
        EXPECT_GT(p, 0.89);
        EXPECT_LT(p, 1.02);
        EXPECT_NEAR(p, Parallax(SE_MOON, jd), 1e-9);
    }
}

TEST_F(RiseSetTest, EventTexts) {
    EXPECT_EQ(RiseSetEventText(kEventCulminating), " Culminating");
    EXPECT_EQ(RiseSetEventText(kEventAnticulminating), " Anticulminating");
    EXPECT_EQ(RiseSetEventText(kEventRising), " Rising");
    EXPECT_EQ(RiseSetEventText(kEventSetting), " Setting");
}

TEST_F(RiseSetTest, TrueSunriseIsLaterByTheClimbOfTheStandardAltitude) {
    const double latitude = 45.0;
    const RiseSetTimes visual =
        FindRiseSetTimes(kSun, 21, 3, 2021, 0, latitude, -7.0, HorizonMode::kVisual);
    const RiseSetTimes geometric =
        FindRiseSetTimes(kSun, 21, 3, 2021, 0, latitude, -7.0, HorizonMode::kTrue);
    ASSERT_TRUE(visual.ok);
    ASSERT_TRUE(geometric.ok);
    // At the equinox the Sun climbs at 15 cos(phi) degrees an hour near the horizon, so
    // 0.8333 degrees take 0.8333 / (15 cos 45) hours: about 4.7 minutes.
    const double expected = 0.8333 / (15.0 * std::cos(latitude * kPi / 180.0)) / 24.0;
    const double rise_gap = geometric.events[2].jd_ut - visual.events[2].jd_ut;
    const double set_gap = visual.events[3].jd_ut - geometric.events[3].jd_ut;
    EXPECT_NEAR(rise_gap, expected, 10.0 * kSecond);
    EXPECT_NEAR(set_gap, expected, 10.0 * kSecond);
    // The transits do not depend on the horizon.
    EXPECT_NEAR(visual.events[0].jd_ut, geometric.events[0].jd_ut, 1e-9);
}

TEST_F(RiseSetTest, CircumpolarSunHasTransitsOnly) {
    const RiseSetTimes times =
        FindRiseSetTimes(kSun, 21, 6, 2020, 0, 75.0, 0.0, HorizonMode::kVisual);
    ASSERT_TRUE(times.ok);
    EXPECT_TRUE(times.events[0].valid);
    EXPECT_TRUE(times.events[1].valid);
    EXPECT_FALSE(times.events[2].valid);
    EXPECT_FALSE(times.events[3].valid);
    const std::vector<std::string> lines = RiseSetSelectionList(times, 0.0F);
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[2], "Rising\t");
    EXPECT_EQ(lines[0].rfind("Culminating\t", 0), 0U);
    EXPECT_GT(lines[0].size(), std::string("Culminating\t").size());
}

TEST_F(RiseSetTest, ChartOfTheChosenEvent) {
    SubsidiaryRequest request;
    request.record.chart_class = kClassRiseSet;
    request.record.chart_kind = kSun;
    request.record.data.name = "Greenwich";
    request.record.data.date_time = {2000, 6, 21, 12, 0, 0};
    request.record.data.zone.hours = -1.0F;
    request.record.data.zone.mnemonic = "BST";
    request.record.data.place.latitude = 51.4769F;
    request.record.data.place.longitude = 0.0F;
    request.record.house_system = 5;
    request.horizon = HorizonMode::kTrue;
    request.rise_set_event = kEventRising;
    ASSERT_EQ(CalcSubsidiaryChart(request, 20), SubsidiaryStatus::kOk);
    const ChartSlot& slot = Slot(20);
    EXPECT_EQ(slot.record.data.name, "Greenwich Rising");
    EXPECT_EQ(slot.record.chart_class, kClassRiseSet);
    EXPECT_EQ(slot.record.chart_kind, kSun);
    EXPECT_EQ(DerivedInfo(20).horizon_mode, "True");
    const RiseSetTimes times =
        FindRiseSetTimes(kSun, 21, 6, 2000, 0, 51.4769, 0.0, HorizonMode::kTrue);
    EXPECT_NEAR(slot.julian_day_ut, times.events[2].jd_ut, 0.01 * kSecond);
    // The chart's record holds the local time of the event in the request's zone: sunrise
    // at Greenwich at midsummer is near 4:40 BST.
    EXPECT_EQ(slot.record.data.date_time.hour, 4);
    EXPECT_NEAR(slot.record.data.zone.hours, -1.0F, 0.0F);
    // The Sun is on the horizon: on the Ascendant in longitude within its latitude's effect.
    EXPECT_LT(std::fabs(Norm180(slot.longitude[kSun] - slot.longitude[kAscendant])), 0.05);
}

TEST_F(RiseSetTest, EphemerisFailureIsReported) {
    const RiseSetTimes times =
        FindRiseSetTimes(kSun, 1, 1, 30000, 0, 10.0, 0.0, HorizonMode::kVisual);
    EXPECT_FALSE(times.ok);
    ASSERT_FALSE(sink().messages().empty());
    EXPECT_EQ(LastMessage().text, "Date for calculation is outside the range of the ephemeris.");
    EXPECT_EQ(LastMessage().title, "Cannot Calculate");
    EXPECT_EQ(LastMessage().style, 16);
}

}  // namespace
}  // namespace meridia::astro
