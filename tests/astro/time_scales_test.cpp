// Time scales: sidereal time against Meeus and against the closed form of its polynomial,
// Julian days against Meeus' worked examples and the ephemeris library's own calendar
// routine, delta T against the library, and the AXDateTimeClass value.
#include "astro/time_scales.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include "support/test_session.h"

namespace meridia::astro {
namespace {

constexpr double kSecondInHours = 1.0 / 3600.0;

TEST(CenturiesSince1900, CountsFromJanuaryZeroPointFive) {
    EXPECT_DOUBLE_EQ(CenturiesSince1900(2415020.0), 0.0);
    EXPECT_DOUBLE_EQ(CenturiesSince1900(2415020.0 + 36525.0), 1.0);
    EXPECT_DOUBLE_EQ(CenturiesSince1900(2415020.0 - 73050.0), -2.0);
}

// Values of 6.6460656 + 2400.051262 T + 0.00002581 T^2, reduced to [0, 24), worked out by
// hand at chosen T.
TEST(SiderealTimeAt0h, ClosedFormAtChosenDates) {
    struct Row {
        double jd0;
        double hours;
    };
    const Row rows[] = {
        {2415020.0, 6.6460656},
        {2451544.5, 6.664498498108969},
        {2446895.5, 13.179528156059405},
        {625673.5, 5.067338967783144},  // T0 = -48.99: the reduction floors negative values
    };
    for (const Row& row : rows) {
        EXPECT_NEAR(SiderealTimeAt0h(row.jd0), row.hours, 1e-9) << row.jd0;
    }
}

// Meeus, Astronomical Algorithms, 2nd ed., examples 12.a and 12.b: 1987 April 10 at 0h UT
// the mean sidereal time is 13h10m46.3668s, at 19h21m00s UT it is 8h34m57.0896s. The
// polynomial used here is the older one, good to about a tenth of a second in this era.
TEST(SiderealTime, AgreesWithMeeusWithinTheFormulasAccuracy) {
    const double st0 = SiderealTimeAt0h(2446895.5);
    EXPECT_NEAR(st0, 13.0 + 10.0 / 60.0 + 46.3668 / 3600.0, 0.1 * kSecondInHours);
    const double gst = SiderealTime(st0, 19.0 + 21.0 / 60.0);
    EXPECT_NEAR(gst, 8.0 + 34.0 / 60.0 + 57.0896 / 3600.0, 0.1 * kSecondInHours);
}

TEST(SiderealTime, ReducesWithTheFloorModulo) {
    EXPECT_NEAR(SiderealTime(23.0, 1.0), 0.002737908, 1e-12);
    EXPECT_NEAR(SiderealTime(1.0, -2.0), 24.0 + 1.0 - 2.005475816, 1e-12);
    EXPECT_NEAR(SiderealTime(0.0, 25.0), 25.068447700 - 24.0, 1e-9);
}

// Meeus, examples 7.a and 7.b: 1957 October 4.81 is JD 2436116.31; 333 January 27 at noon
// (Julian calendar) is JD 1842713.0.
TEST(JulianDayOfDateTime, MeeusExamples) {
    CompactDateTime sputnik{1957, 10, 4, 19, 26, 24};
    EXPECT_NEAR(JulianDayOfDateTime(sputnik, 0, 0.0), 2436116.31, 1e-6);
    CompactDateTime ancient{333, 1, 27, 12, 0, 0};
    EXPECT_NEAR(JulianDayOfDateTime(ancient, 0, 0.0), 1842713.0, 1e-9);
    // Ten hours west of Greenwich: the zone carries past midnight into the next day.
    CompactDateTime evening{2000, 1, 1, 20, 0, 0};
    EXPECT_NEAR(JulianDayOfDateTime(evening, 0, 10.0), 2451545.75, 1e-9);
}

// The calendar mode forces the other calendar where the date's period would not use it.
TEST(JulianDayOfDateTime, TheChartMomentWithZoneAndCalendar) {
    struct Case {
        int year, month, day, hour;
        float zone;
        int calendar;
        double jd_ut;
    };
    // Meeus, Astronomical Algorithms, ch. 7, examples 7.a and 7.b and the table of 7.
    const Case cases[] = {
        {1957, 10, 4, 0, 0.0F, 0, 2436115.5},
        {333, 1, 27, 12, 0.0F, 0, 1842713.0},
        {2000, 1, 1, 12, 0.0F, 0, 2451545.0},
        {1600, 1, 1, 0, 0.0F, 0, 2305447.5},
        {-1000, 7, 12, 12, 0.0F, 0, 1356001.0},
        {2000, 1, 1, 7, -5.0F, 0, 2451544.5 + 2.0 / 24.0},
        {1582, 10, 4, 0, 0.0F, 0, 2299159.5},
        {1582, 10, 15, 0, 0.0F, 0, 2299160.5},
        {2000, 1, 1, 12, 0.0F, 2, 2451545.0 + 13.0},
    };
    for (const Case& c : cases) {
        const CompactDateTime date_time = {static_cast<std::int16_t>(c.year),
                                           static_cast<std::uint8_t>(c.month),
                                           static_cast<std::uint8_t>(c.day),
                                           static_cast<std::uint8_t>(c.hour),
                                           0,
                                           0};
        EXPECT_NEAR(JulianDayOfDateTime(date_time, static_cast<std::uint8_t>(c.calendar),
                                        static_cast<double>(c.zone)),
                    c.jd_ut, 1e-6)
            << c.year;
    }
}

TEST(JulianDayOfDateTime, CalendarModeSwapsAgainstTheLibrary) {
    CompactDateTime old_style{1700, 3, 1, 0, 0, 0};
    EXPECT_NEAR(JulianDayOfDateTime(old_style, 2, 0.0), swe_julday(1700, 3, 1, 0.0, SE_JUL_CAL),
                1e-9);
    CompactDateTime new_style{1500, 3, 1, 6, 0, 0};
    EXPECT_NEAR(JulianDayOfDateTime(new_style, 1, 0.0), swe_julday(1500, 3, 1, 6.0, SE_GREG_CAL),
                1e-9);
}

class ChartTimesTest : public testing::SessionTest {};

TEST_F(ChartTimesTest, JulianDaysAndDeltaTFromTheLibrary) {
    struct Row {
        int year, month, day;
        double ut_hours;
        int gregflag;
    };
    const Row rows[] = {
        {2000, 1, 1, 12.0, SE_GREG_CAL}, {1879, 3, 14, 10.833333, SE_GREG_CAL},
        {1582, 10, 4, 23.5, SE_JUL_CAL}, {1582, 10, 15, 0.25, SE_GREG_CAL},
        {-2999, 3, 1, 6.0, SE_JUL_CAL},  {2999, 12, 31, 23.999, SE_GREG_CAL},
        {-500, 6, 21, -3.0, SE_JUL_CAL}, {1950, 6, 30, 27.5, SE_GREG_CAL},
    };
    for (const Row& row : rows) {
        const ChartTimes t = ChartTimesOf(row.day, row.month, row.year, row.ut_hours, 0);
        const double jd_ut = swe_julday(row.year, row.month, row.day, row.ut_hours, row.gregflag);
        SCOPED_TRACE(row.year);
        EXPECT_NEAR(t.jd_ut, jd_ut, 1e-8);
        EXPECT_NEAR(t.delta_t_hours, swe_deltat(t.jd_ut) * 24.0, 1e-12);
        EXPECT_NEAR(t.jd_et, t.jd_ut + swe_deltat(t.jd_ut), 1e-9);
        EXPECT_NEAR(t.t, (t.jd_et - 2415020.0) / 36525.0, 1e-12);
        EXPECT_GE(t.sidereal_time, 0.0);
        EXPECT_LT(t.sidereal_time, 24.0);
    }
}

// Past midnight by the zone: the sidereal time still comes from the record's own date, and
// agrees with the library's sidereal time to the accuracy of the older polynomial.
TEST_F(ChartTimesTest, SiderealTimeAcrossMidnightAgreesWithLibrary) {
    const ChartTimes t = ChartTimesOf(30, 6, 1950, 27.5, 0);
    const ChartTimes next = ChartTimesOf(1, 7, 1950, 3.5, 0);
    EXPECT_NEAR(t.jd_ut, next.jd_ut, 1e-9);
    EXPECT_NEAR(t.sidereal_time, next.sidereal_time, 0.01 * kSecondInHours);
    EXPECT_NEAR(t.sidereal_time, swe_sidtime0(t.jd_ut, 23.44, 0.0), 0.5 * kSecondInHours);
}

TEST(AXDateTimeClass, StartsAtJanuaryFirst2000) {
    AXDateTimeClass value;
    EXPECT_EQ(value.Year(), 2000);
    EXPECT_EQ(value.Month(), 1);
    EXPECT_EQ(value.Day(), 1);
    EXPECT_EQ(value.Hour(), 0);
    EXPECT_EQ(value.Minute(), 0);
    EXPECT_EQ(value.Second(), 0);
}

TEST(AXDateTimeClass, UniformAnd24HourStrings) {
    AXDateTimeClass value;
    value.InitTo(2024, 3, 5, 7, 5, 9);
    EXPECT_EQ(value.UniformDateString(), "2024-3-05");
    EXPECT_EQ(value.UniformDateTimeString(), "2024-3-05 07:05:09");
    EXPECT_EQ(value.TimeString24(false), " 7:05");
    EXPECT_EQ(value.TimeString24(true), " 7:05:09");
    value.SetTime(17, 45, 0);
    EXPECT_EQ(value.TimeString24(false), "17:45");
}

class AXDateTimeSessionTest : public testing::SessionTest {};

TEST_F(AXDateTimeSessionTest, LocalStringsUseTheFormatters) {
    AXDateTimeClass value;
    value.InitTo(1992, 12, 31, 21, 5, 30);
    EXPECT_EQ(value.LocalDateString(), "31 Dec 1992");
    EXPECT_EQ(value.LocalTimeString(false), "21:05");
    EXPECT_EQ(value.LocalTimeString(true), "21:05:30");
    EXPECT_EQ(value.LocalDateTimeString(false), "31 Dec 1992 21:05");
}

// 5 March 2024 was a Tuesday; 15 October 1582 a Friday.
TEST_F(AXDateTimeSessionTest, WeekdayNames) {
    AXDateTimeClass value;
    value.SetDate(2024, 3, 5);
    EXPECT_EQ(value.WeekdayString(), "Tuesday");
    value.SetDate(1582, 10, 15);
    EXPECT_EQ(value.WeekdayString(), "Friday");
}

TEST_F(AXDateTimeSessionTest, SetDateTimeReadsDatesTimesAndNegativeYears) {
    AXDateTimeClass value;
    ASSERT_TRUE(value.SetDateTime("2024-3-05 07:05:09"));
    EXPECT_EQ(value.UniformDateTimeString(), "2024-3-05 07:05:09");
    ASSERT_TRUE(value.SetDateTime("-44-3-15"));
    EXPECT_EQ(value.Year(), -44);
    EXPECT_EQ(value.Month(), 3);
    EXPECT_EQ(value.Day(), 15);
    EXPECT_EQ(value.Hour(), 0);
    ASSERT_TRUE(value.SetDateTime("31 Dec 1992 21:05"));
    EXPECT_EQ(value.UniformDateTimeString(), "1992-12-31 21:05:00");
    EXPECT_FALSE(value.SetDateTime("nonsense"));
    EXPECT_EQ(value.UniformDateTimeString(), "1992-12-31 21:05:00");
}

TEST(AXDateTimeClass, CompareMatchesAndIsOnOrAfter) {
    AXDateTimeClass a;
    AXDateTimeClass b;
    a.InitTo(2024, 3, 25, 10, 0, 0);
    b.InitTo(2024, 3, 25, 10, 0, 0);
    EXPECT_EQ(a.Compare(b), 0);
    b.SetTime(10, 0, 1);
    EXPECT_EQ(a.Compare(b), -1);
    EXPECT_EQ(b.Compare(a), 1);
    EXPECT_TRUE(a.Matches(-1, -1, 25, -1, -1, -1));
    EXPECT_FALSE(a.Matches(-1, -1, 24, -1, -1, -1));
    EXPECT_TRUE(a.Matches(2024, 3, 25, 10, 0, 0));
    EXPECT_TRUE(a.IsOnOrAfter(-1, -1, -1, -1, -1, -1));
    EXPECT_TRUE(a.IsOnOrAfter(2024, 3, 25, 10, 0, 0));
    EXPECT_TRUE(a.IsOnOrAfter(2024, 2, 28, 23, 59, 59));
    EXPECT_FALSE(a.IsOnOrAfter(2024, 4, 1, 0, 0, 0));
    EXPECT_FALSE(a.IsOnOrAfter(-1, -1, 26, -1, -1, -1));
    EXPECT_FALSE(a.IsOnOrAfter(2025, -1, 1, -1, -1, -1));
}

}  // namespace
}  // namespace meridia::astro
