// Lunar phases against an independent bisection of the elongation on the ephemeris library's
// own positions, and the phase order over a span.
#include "returns/lunar_phases.h"

#include <gtest/gtest.h>

#include "library_places.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::returns {
namespace {

using testing::Gap;
using testing::LibraryLongitude;

constexpr double kTwoSeconds = 2.0 / 86400.0;

// The instant in [lo, hi] at which the library's elongation crosses target (lo before, hi
// after), by plain bisection to a hundredth of a second.
double LibraryPhase(double lo, double hi, double target) {
    while (hi - lo > 0.01 / 86400.0) {
        const double mid = 0.5 * (lo + hi);
        const double e =
            astro::Norm180(LibraryLongitude(mid, SE_MOON) - LibraryLongitude(mid, SE_SUN) - target);
        (e < 0.0 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

class LunarPhasesTest : public meridia::testing::SessionTest {};

TEST_F(LunarPhasesTest, EveryPhaseOfAYearMatchesTheLibrary) {
    const double from = textformats::JulianDay(1, 1, 2024, 0.0);
    const double to = textformats::JulianDay(31, 12, 2024, 24.0);
    const auto phases = FindLunarPhases(from, to);
    ASSERT_TRUE(phases.ok());
    // 2024 has 13 new Moons (January 11 ... December 30) and 12 or 13 of each other phase.
    ASSERT_GE(phases->size(), 49U);
    ASSERT_LE(phases->size(), 50U);
    for (std::size_t i = 0; i < phases->size(); ++i) {
        const LunarPhaseEvent& event = (*phases)[i];
        EXPECT_GE(event.jd_ut, from);
        EXPECT_LE(event.jd_ut, to);
        if (i > 0) {
            EXPECT_EQ(static_cast<int>(event.phase),
                      (static_cast<int>((*phases)[i - 1].phase) + 1) % 4);
            EXPECT_GT(event.jd_ut - (*phases)[i - 1].jd_ut, 5.5);
            EXPECT_LT(event.jd_ut - (*phases)[i - 1].jd_ut, 8.5);
        }
        const double target = 90.0 * static_cast<int>(event.phase);
        const double expected = LibraryPhase(event.jd_ut - 0.5, event.jd_ut + 0.5, target);
        EXPECT_NEAR(event.jd_ut, expected, kTwoSeconds) << i;
        EXPECT_LT(Gap(event.moon_longitude, LibraryLongitude(event.jd_ut, SE_MOON)), 0.0001);
    }
}

TEST_F(LunarPhasesTest, TheNewMoonOfTheTotalEclipseOf2024April8) {
    // The eclipse's greatest phase (18:17:16 UT) falls a few minutes before conjunction in
    // longitude, which the library puts at 18:20 to 18:22 UT.
    const double start = textformats::JulianDay(1, 4, 2024, 0.0);
    const auto event = NextLunarPhase(start, LunarPhase::kNew);
    ASSERT_TRUE(event.ok());
    const double eclipse = textformats::JulianDay(8, 4, 2024, 18.0 + 17.0 / 60.0 + 16.0 / 3600.0);
    EXPECT_GT(event->jd_ut, eclipse);
    EXPECT_LT(event->jd_ut - eclipse, 10.0 / 1440.0);
}

TEST_F(LunarPhasesTest, NextPhaseIsStrictlyLater) {
    const auto full = NextLunarPhase(textformats::JulianDay(1, 3, 2025, 0.0), LunarPhase::kFull);
    ASSERT_TRUE(full.ok());
    const auto again = NextLunarPhase(full->jd_ut, LunarPhase::kFull);
    ASSERT_TRUE(again.ok());
    EXPECT_GT(again->jd_ut - full->jd_ut, 29.0);
    EXPECT_LT(again->jd_ut - full->jd_ut, 30.0);
}

struct PhaseReturnCase {
    double elongation;
    double start_jd;
};

class PhaseReturnsTest : public LunarPhasesTest,
                         public ::testing::WithParamInterface<PhaseReturnCase> {};

TEST_P(PhaseReturnsTest, EachReturnMeetsTheLibrarysElongation) {
    const double target = GetParam().elongation;
    const double start = GetParam().start_jd;
    const auto returns = FindPhaseReturns(start, target, 14);
    ASSERT_TRUE(returns.ok());
    ASSERT_EQ(returns->size(), 14U);
    // The first return lies within a synodic month of the start, the others a month apart.
    EXPECT_GT((*returns)[0].jd_ut, start);
    EXPECT_LT((*returns)[0].jd_ut - start, 29.9);
    for (std::size_t i = 0; i < returns->size(); ++i) {
        const double jd = (*returns)[i].jd_ut;
        if (i > 0) {
            EXPECT_GT(jd - (*returns)[i - 1].jd_ut, 29.1);
            EXPECT_LT(jd - (*returns)[i - 1].jd_ut, 30.0);
        }
        EXPECT_NEAR(jd, LibraryPhase(jd - 0.5, jd + 0.5, target), kTwoSeconds) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Elongations, PhaseReturnsTest,
                         ::testing::Values(PhaseReturnCase{0.0, 2460400.5},
                                           PhaseReturnCase{123.456, 2451545.0},
                                           PhaseReturnCase{359.9, 2415020.5},
                                           PhaseReturnCase{200.0, 2440587.5}));

TEST(LunarPhaseNames, KeysAndTitles) {
    EXPECT_EQ(LunarPhaseKey(LunarPhase::kFirstQuarter), "first quarter");
    EXPECT_EQ(LunarPhaseKey(LunarPhase::kLastQuarter), "last quarter");
    EXPECT_EQ(LunarPhaseTitle(LunarPhase::kFull), "Full Moon");
    EXPECT_EQ(kLunarPhaseChartKinds.size(), 9U);
}

}  // namespace
}  // namespace meridia::returns
