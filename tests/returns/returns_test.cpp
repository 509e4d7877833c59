// Returns: the longitude of the returning point at each instant found, measured with the
// ephemeris library called directly, against the target; the choice of crossing by the
// which-return rules; refused requests; cancelling.
#include "returns/returns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "library_places.h"
#include "support/chart_records.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::returns {
namespace {

using testing::Gap;
using testing::LibraryLongitude;

constexpr double kArcsecond = 1.0 / 3600.0;

class ReturnsTest : public meridia::testing::SessionTest {
protected:
    void SetUp() override {
        // 1980 July 15, 14:30 UT at 0 N 0 E.
        ASSERT_EQ(
            astro::CalcChart(meridia::testing::MakeRecord(
                                 {.year = 1980, .month = 7, .day = 15, .hour = 14, .minute = 30}),
                             1, 0, 0, true, true),
            astro::CalcStatus::kOk);
        astro::Slot(1).chart_serial = 1;
    }
    static double Jd(int year, int month, int day) {
        return textformats::JulianDay(day, month, year, 0.0);
    }
    static double Natal(int point) {
        return astro::Slot(1).longitude[static_cast<std::size_t>(point)];
    }
};

struct PointCase {
    int point;
    int body;
    double harmonic;
};

class ReturnPointTest : public ReturnsTest, public ::testing::WithParamInterface<PointCase> {};

TEST_P(ReturnPointTest, EveryReturnIsWithinATenthOfAnArcSecond) {
    const PointCase c = GetParam();
    ReturnRequest request;
    request.point = c.point;
    request.harmonic = c.harmonic;
    request.count = 3;
    request.start_jd_ut = Jd(2024, 1, 1);
    const auto found = FindReturns(request);
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found->size(), 3U);
    double previous = request.start_jd_ut;
    for (const FoundReturn& r : *found) {
        ASSERT_TRUE(r.found) << r.number;
        EXPECT_GT(r.jd_ut, previous);
        previous = r.jd_ut;
        const double longitude = LibraryLongitude(r.jd_ut, c.body);
        EXPECT_LT(Gap(longitude, r.target), 0.1 * kArcsecond) << r.number;
        // The target is the natal place plus a multiple of 360 / h.
        const double steps = astro::Norm360(r.target - Natal(c.point)) / (360.0 / c.harmonic);
        EXPECT_NEAR(steps, std::round(steps), 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, ReturnPointTest,
                         ::testing::Values(PointCase{3, SE_SUN, 1.0}, PointCase{1, SE_MOON, 1.0},
                                           PointCase{1, SE_MOON, 4.0}, PointCase{3, SE_SUN, 2.0},
                                           PointCase{7, SE_MARS, 1.0},
                                           PointCase{5, SE_MERCURY, 1.0},
                                           PointCase{8, SE_JUPITER, 12.0}));

TEST_F(ReturnsTest, NextCurrentAndNearestPickTheirCrossings) {
    // The solar return of 2024 falls on July 14 or 15; a start in March is after the 2023
    // return and before the 2024 one.
    ReturnRequest request;
    request.start_jd_ut = Jd(2024, 3, 1);
    const auto next = FindReturns(request);
    request.which = WhichReturn::kCurrent;
    const auto current = FindReturns(request);
    request.which = WhichReturn::kNearest;
    const auto nearest = FindReturns(request);
    ASSERT_TRUE(next.ok() && current.ok() && nearest.ok());
    EXPECT_NEAR((*next)[0].jd_ut, Jd(2024, 7, 15), 1.5);
    EXPECT_NEAR((*current)[0].jd_ut, Jd(2023, 7, 15), 1.5);
    EXPECT_NEAR((*nearest)[0].jd_ut, (*next)[0].jd_ut, 1e-5);  // July is nearer than last July
    request.start_jd_ut = Jd(2023, 12, 1);
    const auto nearest_before = FindReturns(request);
    ASSERT_TRUE(nearest_before.ok());
    EXPECT_NEAR((*nearest_before)[0].jd_ut, (*current)[0].jd_ut, 1e-5);
}

TEST_F(ReturnsTest, StartingAtTheReturnItselfFindsTheNextOne) {
    ReturnRequest request;
    request.start_jd_ut = astro::Slot(1).julian_day_ut;
    const auto found = FindReturns(request);
    ASSERT_TRUE(found.ok());
    EXPECT_NEAR((*found)[0].jd_ut - request.start_jd_ut, 365.25, 1.0);
}

TEST_F(ReturnsTest, ConverseSearchGoesBackwards) {
    ReturnRequest request;
    request.start_jd_ut = Jd(2024, 3, 1);
    request.converse = true;
    request.count = 2;
    const auto found = FindReturns(request);
    ASSERT_TRUE(found.ok());
    EXPECT_NEAR((*found)[0].jd_ut, Jd(2023, 7, 15), 1.5);
    EXPECT_NEAR((*found)[1].jd_ut, Jd(2022, 7, 15), 1.5);
}

TEST_F(ReturnsTest, IngressOfTheSunIntoAries) {
    // The March equinox of 2025: March 20, 09:01 UT.
    ReturnRequest request;
    request.user_position = true;
    request.position = 0.0;
    request.start_jd_ut = Jd(2025, 1, 1);
    const auto found = FindReturns(request);
    ASSERT_TRUE(found.ok());
    EXPECT_NEAR((*found)[0].jd_ut, textformats::JulianDay(20, 3, 2025, 9.0 + 1.0 / 60.0),
                1.0 / 1440.0);
}

TEST_F(ReturnsTest, TheRegressingNodeReturnsAfterEighteenYears) {
    ReturnRequest request;
    request.point = 20;
    request.start_jd_ut = Jd(1985, 1, 1);
    const auto found = FindReturns(request);
    ASSERT_TRUE(found.ok());
    ASSERT_TRUE((*found)[0].found);
    EXPECT_NEAR(((*found)[0].jd_ut - astro::Slot(1).julian_day_ut) / 365.25, 18.6, 0.5);
    EXPECT_LT(Gap(LibraryLongitude((*found)[0].jd_ut, SE_TRUE_NODE), Natal(20)), 0.1 * kArcsecond);
}

TEST_F(ReturnsTest, PrecessionCorrectedReturnComesLater) {
    ReturnRequest request;
    request.start_jd_ut = Jd(2024, 3, 1);
    const auto plain = FindReturns(request);
    request.precession_correction = true;
    const auto corrected = FindReturns(request);
    ASSERT_TRUE(plain.ok() && corrected.ok());
    // 44 years of precession (about 0.61 degree) take the Sun some 15 hours.
    const double hours = ((*corrected)[0].jd_ut - (*plain)[0].jd_ut) * 24.0;
    EXPECT_GT(hours, 13.0);
    EXPECT_LT(hours, 17.0);
}

TEST_F(ReturnsTest, ImpossibleRequestsAreRefused) {
    ReturnRequest request;
    request.start_jd_ut = Jd(2024, 1, 1);
    request.point = astro::kAscendant;
    EXPECT_EQ(FindReturns(request).status().code(), startup::StatusCode::kRefused);
    request.point = 3;
    request.harmonic = 0.5;
    EXPECT_EQ(FindReturns(request).status().code(), startup::StatusCode::kRefused);
    request.harmonic = 1.0;
    request.count = 0;
    EXPECT_EQ(FindReturns(request).status().code(), startup::StatusCode::kRefused);
    request.count = 1;
    request.base_slot = 5;  // empty
    EXPECT_EQ(FindReturns(request).status().code(), startup::StatusCode::kRefused);
}

TEST_F(ReturnsTest, CancelKeepsTheReturnsFound) {
    ReturnRequest request;
    request.point = 1;
    request.count = 10;
    request.start_jd_ut = Jd(2024, 1, 1);
    std::vector<std::string> texts;
    const auto found = FindReturns(request, [&](int n, int total) {
        texts.push_back(ReturnProgressText(n, total));
        return n <= 3;
    });
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(found->size(), 3U);
    ASSERT_EQ(texts.size(), 4U);
    EXPECT_EQ(texts[0], "Calculating Return 1 of 10");
}

TEST_F(ReturnsTest, ReturnChartIsCastAtTheInstant) {
    ReturnRequest request;
    request.start_jd_ut = Jd(2024, 3, 1);
    const auto found = FindReturns(request);
    ASSERT_TRUE(found.ok());
    const auto slot = OpenReturnChart(request, (*found)[0]);
    ASSERT_TRUE(slot.ok());
    const astro::ChartSlot& chart = astro::Slot(*slot);
    EXPECT_EQ(chart.record.chart_class, astro::kClassReturn);
    EXPECT_NEAR(chart.julian_day_ut, (*found)[0].jd_ut, 0.6 / 86400.0);
    EXPECT_LT(Gap(chart.longitude[3], Natal(3)), 0.05 * kArcsecond);
}

}  // namespace
}  // namespace meridia::returns
