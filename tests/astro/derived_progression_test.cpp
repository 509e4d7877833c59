// Progressed, directed and transit charts: the progressed moment against the rate arithmetic
// done here with Julian days from the ephemeris library's own calendar routine, converse
// requests, both day modes, the true tertiary months against lunar returns found here with
// the library, the progressed angles by the four methods, and the direction arcs.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/ephemeris.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::astro {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

ChartRecord Record(int year, int month, int day, int hour, int minute, float zone, float latitude,
                   float longitude) {
    return testing::MakeRecord({.name = "Base",
                                .year = year,
                                .month = month,
                                .day = day,
                                .hour = hour,
                                .minute = minute,
                                .zone = zone,
                                .latitude = latitude,
                                .longitude = longitude,
                                .house_system = 5});
}

// Julian day (UT) by the library's calendar routine.
double LibraryJulianDay(int year, int month, int day, double ut_hours) {
    return swe_julday(year, month, day, ut_hours, SE_GREG_CAL);
}

double LibraryLongitude(int body, double jd_ut) {
    std::array<double, 6> xx{};
    std::array<char, 256> error{};
    swe_calc_ut(jd_ut, body, EphemerisModeFlags() | SEFLG_SPEED, xx.data(), error.data());
    return xx[0];
}

// The moment near `guess` at which the Moon's tropical longitude equals `target`, by bisection
// over the library's positions.
double LibraryLunarReturn(double guess, double target) {
    double lo = guess - 3.0;
    double hi = guess + 3.0;
    const auto f = [target](double jd) {
        return SignedMod(LibraryLongitude(SE_MOON, jd) - target, 360.0);
    };
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2.0;
        if (f(mid) < 0.0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return (lo + hi) / 2.0;
}

SubsidiaryRequest Request(int chart_class, int kind, int base_slot, int year, int month, int day,
                          int hour, float zone) {
    SubsidiaryRequest request;
    request.record.chart_class = static_cast<std::uint8_t>(chart_class);
    request.record.chart_kind = static_cast<std::uint8_t>(kind);
    request.record.data.date_time = {static_cast<std::int16_t>(year),
                                     static_cast<std::uint8_t>(month),
                                     static_cast<std::uint8_t>(day),
                                     static_cast<std::uint8_t>(hour),
                                     0,
                                     0};
    request.record.data.zone.hours = zone;
    request.base_slot = base_slot;
    return request;
}

class DerivedProgressionTest : public testing::SessionTest {
protected:
    // A base chart: 1 January 1990, 13:00 at zone -1 (12:00 UT), Berlin.
    int OpenBase() {
        const int slot = OpenChartIntoSlot(Record(1990, 1, 1, 13, 0, -1.0F, 52.5F, -13.4F), "", 0);
        EXPECT_GT(slot, 0);
        return slot;
    }
    static constexpr int kTarget = 30;
};

TEST_F(DerivedProgressionTest, RatesFollowTheTable) {
    struct Row {
        int kind;
        int mode;
        double rate;
    };
    const Row rows[] = {
        {kRateSecondary, 0, 1.0 / 365.24219907},
        {kRateSecondary, 1, 0.99726956633 / 365.25636042},
        {kRateTertiary, 0, 1.0 / 27.32158648147},
        {kRateTertiary, 1, 0.99726956633 / 27.32264580745},
        {kRateMinor, 0, 27.32158648147 / 365.24219907},
        {kRateMinor, 1, 27.32158648147 / 365.24219907},
        {kRateRealTime, 0, 1.0},
        {kRateRealTime, 1, 1.0},
        {7, 0, 1.0 / 365.24219907},
        {-7, 0, 1.0 / 365.24219907},  // class 2 asks with 2 - 9
    };
    for (const Row& row : rows) {
        EXPECT_DOUBLE_EQ(ProgressionRate(row.kind, row.mode), row.rate)
            << "kind " << row.kind << " mode " << row.mode;
    }
}

TEST_F(DerivedProgressionTest, UserRateFallsBackWhenNotPositive) {
    const struct {
        const char* setting;
        double rate;
    } rows[] = {{"0.01", 0.01}, {"0", 0.002737909}, {"-3", 0.002737909}};
    for (const auto& row : rows) {
        session().settings().SetString("UserProgRate", row.setting);
        EXPECT_DOUBLE_EQ(ProgressionRate(kRateUser, 0), row.rate) << row.setting;
    }
}

TEST_F(DerivedProgressionTest, SecondaryProgressionLandsOnTheRatesJulianDay) {
    const int base = OpenBase();
    const double jd_base = LibraryJulianDay(1990, 1, 1, 12.0);
    EXPECT_NEAR(Slot(base).julian_day_ut, jd_base, 1e-9);
    // Target 1 January 2020, 12:00 UT typed as 7:00 at zone +5.
    const double jd_target = LibraryJulianDay(2020, 1, 1, 12.0);
    struct Row {
        int mode;
        bool converse;
        double rate;
    };
    const Row rows[] = {{0, false, 1.0 / 365.24219907},
                        {0, true, 1.0 / 365.24219907},
                        {1, false, 0.99726956633 / 365.25636042},
                        {1, true, 0.99726956633 / 365.25636042}};
    for (const Row& row : rows) {
        SubsidiaryRequest request = Request(kClassSecondary, 0, base, 2020, 1, 1, 7, 5.0F);
        request.day_mode = row.mode;
        request.converse = row.converse;
        ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
        const double elapsed = (jd_target - jd_base) * (row.converse ? -1.0 : 1.0);
        const double expected = jd_base + elapsed * row.rate;
        const ChartSlot& slot = Slot(kTarget);
        EXPECT_NEAR(slot.julian_day_ut, expected, kSecond) << "mode " << row.mode;
        EXPECT_NEAR(DerivedInfo(kTarget).rate, row.rate, 1e-15);
        EXPECT_NEAR(LibraryLongitude(SE_SUN, expected) - slot.longitude[kSun], 0.0, 1e-4);
        // About 30 days after (or before) the birth: a day per year.
        EXPECT_NEAR(std::fabs(slot.julian_day_ut - jd_base), 30.0, 0.1);
        EXPECT_EQ(slot.record.chart_class, kClassSecondary);
        EXPECT_EQ(slot.record.base.name, "Base");
        EXPECT_EQ(slot.record.derived_params[0], row.mode);
        EXPECT_EQ(slot.record.derived_params[1], row.converse ? 1 : 0);
        // The record holds the progressed moment in the base chart's zone, to the second.
        int year = 0;
        int month = 0;
        int day = 0;
        double hours = 0.0;
        swe_revjul(expected + 1.0 / 24.0, SE_GREG_CAL, &year, &month, &day, &hours);
        const auto& dt = slot.record.data.date_time;
        EXPECT_EQ(dt.year, year);
        EXPECT_EQ(dt.month, month);
        EXPECT_EQ(dt.day, day);
        EXPECT_NEAR(dt.hour + dt.minute / 60.0 + dt.second / 3600.0, hours, 1.0 / 3600.0);
        EXPECT_FLOAT_EQ(slot.record.data.zone.hours, -1.0F);
    }
}

TEST_F(DerivedProgressionTest, ConverseMirrorsTheDirectProgression) {
    const int base = OpenBase();
    const double jd_base = Slot(base).julian_day_ut;
    SubsidiaryRequest request = Request(kClassSecondary, 0, base, 2005, 6, 15, 0, 0.0F);
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const double direct = Slot(kTarget).julian_day_ut;
    request.converse = true;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const double converse = Slot(kTarget).julian_day_ut;
    EXPECT_NEAR(direct - jd_base, jd_base - converse, kSecond);
}

TEST_F(DerivedProgressionTest, OtherRatesAndTransits) {
    const int base = OpenBase();
    const double jd_base = LibraryJulianDay(1990, 1, 1, 12.0);
    const double jd_target = LibraryJulianDay(1991, 3, 10, 18.0);
    struct Row {
        int chart_class;
        double rate;
    };
    session().settings().SetString("UserProgRate", "0.05");
    const Row rows[] = {{kClassTertiary, 1.0 / 27.32158648147},
                        {kClassMinor, 27.32158648147 / 365.24219907},
                        {kClassUserProgression, 0.05},
                        {kClassTransits, 1.0}};
    for (const Row& row : rows) {
        const SubsidiaryRequest request = Request(row.chart_class, 0, base, 1991, 3, 10, 18, 0.0F);
        ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
        EXPECT_NEAR(Slot(kTarget).julian_day_ut, jd_base + (jd_target - jd_base) * row.rate,
                    kSecond)
            << "class " << row.chart_class;
    }
}

TEST_F(DerivedProgressionTest, TrueTertiaryCountsRealLunarMonths) {
    const int base = OpenBase();
    const double jd_base = Slot(base).julian_day_ut;
    const double natal_moon = LibraryLongitude(SE_MOON, jd_base);
    const double third = LibraryLunarReturn(jd_base + 3 * 27.32158648147, natal_moon);
    const double fourth = LibraryLunarReturn(jd_base + 4 * 27.32158648147, natal_moon);
    struct Row {
        double target;
        double offset;
    };
    // At a return the progression has moved whole days; halfway through a month, half a day
    // more.
    const Row rows[] = {{third + 60.0 * kSecond, 3.0 + 60.0 * kSecond / (fourth - third)},
                        {(third + fourth) / 2.0, 3.5}};
    for (const Row& row : rows) {
        int year = 0;
        int month = 0;
        int day = 0;
        double hours = 0.0;
        swe_revjul(row.target, SE_GREG_CAL, &year, &month, &day, &hours);
        SubsidiaryRequest request = Request(kClassTrueTertiary, 0, base, year, month, day, 0, 0.0F);
        const double seconds = std::round(hours * 3600.0);
        request.record.data.date_time.hour = static_cast<std::uint8_t>(seconds / 3600);
        request.record.data.date_time.minute =
            static_cast<std::uint8_t>(std::fmod(seconds, 3600.0) / 60);
        request.record.data.date_time.second = static_cast<std::uint8_t>(std::fmod(seconds, 60.0));
        const double typed = LibraryJulianDay(year, month, day, seconds / 3600.0);
        ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
        const double expected = row.offset + (typed - row.target) / (fourth - third);
        EXPECT_NEAR(Slot(kTarget).julian_day_ut - jd_base, expected, 2.0 * kSecond);
    }
}

TEST_F(DerivedProgressionTest, ProgressedAnglesByTheFourMethods) {
    const int base = OpenBase();
    const ChartSlot natal = Slot(base);
    for (int method = 1; method <= 4; ++method) {
        for (const AngleVariant variant :
             {AngleVariant::kRamcPlusArc, AngleVariant::kMidheavenPlusArc}) {
            SCOPED_TRACE(::testing::Message() << "method " << method);
            SubsidiaryRequest request =
                Request(kClassSecondary, method, base, 2030, 1, 1, 12, 0.0F);
            request.angle_variant = variant;
            ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
            const ChartSlot& slot = Slot(kTarget);
            const double offset = slot.julian_day_ut - natal.julian_day_ut;
            double arc = 0.0;
            switch (method) {
                case 1:
                    arc = ModFloor(slot.longitude[kSun] - natal.longitude[kSun], 360.0);
                    break;
                case 2:
                    arc = ModFloor(slot.right_ascension[kSun] - natal.right_ascension[kSun], 360.0);
                    break;
                default:
                    arc = offset * 0.985417;
                    break;
            }
            EXPECT_NEAR(DerivedInfo(kTarget).arc, arc, 1e-9);
            const bool longitude_method = method == 1 || method == 3;
            if (longitude_method && variant == AngleVariant::kMidheavenPlusArc) {
                EXPECT_NEAR(Norm180(slot.longitude[kMidheaven] - natal.longitude[kMidheaven] - arc),
                            0.0, 1e-9);
            } else {
                EXPECT_NEAR(Norm180(slot.ramc - natal.ramc - arc), 0.0, 1e-9);
                // The Midheaven is the ecliptic point on that meridian (tan MC = tan RAMC /
                // cos eps, same quadrant).
                const double mc = std::atan2(
                    std::sin(slot.ramc * kDegToRad),
                    std::cos(slot.ramc * kDegToRad) * std::cos(natal.obliquity * kDegToRad));
                EXPECT_NEAR(Norm180(slot.longitude[kMidheaven] - mc * kRadToDeg), 0.0, 1e-9);
            }
            // Cusp 10 follows the progressed Midheaven in Placidus.
            EXPECT_NEAR(Norm180(slot.cusps[10] - slot.longitude[kMidheaven]), 0.0, 1e-9);
            EXPECT_NEAR(Norm180(slot.cusps[1] - slot.longitude[kAscendant]), 0.0, 1e-9);
        }
    }
}

TEST_F(DerivedProgressionTest, DirectedChartsMoveEveryPointByTheArc) {
    const int base = OpenBase();
    const ChartSlot natal = Slot(base);
    session().settings().SetString("UserDirRate", "2");
    // Target 30 tropical years after the birth.
    const double jd_target = natal.julian_day_ut + 30.0 * 365.24219907;
    int year = 0;
    int month = 0;
    int day = 0;
    double hours = 0.0;
    swe_revjul(jd_target, SE_GREG_CAL, &year, &month, &day, &hours);
    const double typed_hours = std::round(hours * 3600.0) / 3600.0;
    const double age =
        (LibraryJulianDay(year, month, day, typed_hours) - natal.julian_day_ut) / 365.24219907;
    const double progressed = natal.julian_day_ut + age;
    const double solar_arc = ModFloor(
        LibraryLongitude(SE_SUN, progressed) - LibraryLongitude(SE_SUN, natal.julian_day_ut),
        360.0);
    struct Row {
        int kind;
        double arc;
        bool reflect;
        double axis;
    };
    const Row rows[] = {{kKindSolarArc, solar_arc, false, 0.0},
                        {kKindUserArc, 2.0 * age, false, 0.0},
                        {kKindProfection, 30.0 * age, false, 0.0},
                        {kKindZeroCapricorn, solar_arc, true, 540.0},
                        {kKindZeroAries, solar_arc, true, 360.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "kind " << row.kind);
        SubsidiaryRequest request =
            Request(kClassDirected, row.kind, base, year, month, day, 0, 0.0F);
        const double seconds = typed_hours * 3600.0;
        request.record.data.date_time.hour = static_cast<std::uint8_t>(seconds / 3600.0);
        request.record.data.date_time.minute =
            static_cast<std::uint8_t>(std::fmod(seconds, 3600.0) / 60.0);
        request.record.data.date_time.second =
            static_cast<std::uint8_t>(std::lround(std::fmod(seconds, 60.0)));
        ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
        const ChartSlot& slot = Slot(kTarget);
        for (const int p : {kMoon, kSun, kMercury, kVenus, kMars, kJupiter, kSaturn, kPluto}) {
            const double from = row.reflect ? row.axis - natal.longitude[p] : natal.longitude[p];
            EXPECT_NEAR(Norm180(slot.longitude[p] - from - row.arc), 0.0, 2e-4) << "point " << p;
            EXPECT_DOUBLE_EQ(slot.latitude[p], natal.latitude[p]);
        }
    }
}

TEST_F(DerivedProgressionTest, SolarArcDirectedAnglesFollowTheArc) {
    const int base = OpenBase();
    const ChartSlot natal = Slot(base);
    SubsidiaryRequest request = Request(kClassDirected, kKindSolarArc, base, 2010, 1, 1, 12, 0.0F);
    request.angle_variant = AngleVariant::kMidheavenPlusArc;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const ChartSlot& slot = Slot(kTarget);
    const double arc = slot.longitude[kSun] - natal.longitude[kSun];
    EXPECT_NEAR(Norm180(slot.longitude[kMidheaven] - natal.longitude[kMidheaven] - arc), 0.0, 1e-9);
    EXPECT_NEAR(Norm180(slot.cusps[10] - slot.longitude[kMidheaven]), 0.0, 1e-9);
}

TEST_F(DerivedProgressionTest, LunarPhaseChartIsAtTheLastExactPhase) {
    const int base = OpenBase();
    for (const int kind : {kKindFirstLunarPhase, kKindFirstLunarPhase + 4}) {
        const double phase = 45.0 * (kind - kKindFirstLunarPhase);
        const SubsidiaryRequest request =
            Request(kClassLunarPhase, kind, base, 2021, 5, 1, 0, 0.0F);
        ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
        const double jd = Slot(kTarget).julian_day_ut;
        const double target = LibraryJulianDay(2021, 5, 1, 0.0);
        EXPECT_LE(jd, target);
        EXPECT_GT(jd, target - 29.6);
        const double elongation = LibraryLongitude(SE_MOON, jd) - LibraryLongitude(SE_SUN, jd);
        EXPECT_NEAR(Norm180(elongation - phase), 0.0, 1e-6);
    }
}

TEST_F(DerivedProgressionTest, PrecessionCorrectionForTropicalChartsOnly) {
    const int base = OpenBase();
    SubsidiaryRequest request = Request(kClassTransits, 0, base, 2040, 1, 1, 12, 0.0F);
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const double plain = Slot(kTarget).longitude[kSun];
    request.precession_correction = true;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const double corrected = Slot(kTarget).longitude[kSun];
    // The library's ayanamsa grows by the precession in longitude between the two moments.
    swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
    const double precession = swe_get_ayanamsa_ut(Slot(kTarget).julian_day_ut) -
                              swe_get_ayanamsa_ut(Slot(base).julian_day_ut);
    EXPECT_NEAR(precession, 50.0 * 50.29 / 3600.0, 0.01);
    EXPECT_NEAR(Norm180(plain - corrected - precession), 0.0, 0.01);
    EXPECT_NEAR(Norm180(Slot(kTarget).cusps[1] - Slot(kTarget).longitude[kAscendant]), 0.0, 1e-9);

    // A sidereal base chart ignores the request.
    ChartRecord sidereal = Slot(base).record;
    sidereal.zodiac = 2;
    const int sidereal_base = OpenChartIntoSlot(sidereal, "", 0);
    request.base_slot = sidereal_base;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const double with = Slot(kTarget).longitude[kSun];
    request.precession_correction = false;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    EXPECT_DOUBLE_EQ(Slot(kTarget).longitude[kSun], with);
}

TEST_F(DerivedProgressionTest, AscendantArcIsTheArcOfTheSolarArcAscendant) {
    const int base = OpenBase();
    const ChartSlot natal = Slot(base);
    SubsidiaryRequest request = Request(kClassDirected, kKindAscArc, base, 2015, 1, 1, 12, 0.0F);
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const ChartSlot& slot = Slot(kTarget);
    const double progressed_jd =
        natal.julian_day_ut +
        (LibraryJulianDay(2015, 1, 1, 12.0) - natal.julian_day_ut) / 365.24219907;
    const double solar_arc =
        LibraryLongitude(SE_SUN, progressed_jd) - LibraryLongitude(SE_SUN, natal.julian_day_ut);
    // The Ascendant of the natal RAMC moved by the solar arc (tan Asc = cos RAMC /
    // -(sin RAMC cos eps + tan phi sin eps)).
    const double r = (natal.ramc + solar_arc) * kDegToRad;
    const double e = natal.obliquity * kDegToRad;
    const double phi = natal.observer_latitude * kDegToRad;
    const double ascendant =
        std::atan2(std::cos(r), -(std::sin(r) * std::cos(e) + std::tan(phi) * std::sin(e))) *
        kRadToDeg;
    const double arc = Norm360(ascendant - natal.longitude[kAscendant]);
    EXPECT_NEAR(Norm180(DerivedInfo(kTarget).arc - arc), 0.0, 1e-3);
    for (const int p : {kSun, kMoon, kVenus, kSaturn}) {
        EXPECT_NEAR(Norm180(slot.longitude[p] - natal.longitude[p] - arc), 0.0, 1e-3);
    }
}

}  // namespace
}  // namespace meridia::astro
