// The void-of-course Moon against a brute-force scan of the library's own positions: every
// exact major aspect of the Moon to the planets of the type inside a sign is found by stepping
// through the sign, and the last one must be where the void period begins.
#include "returns/void_of_course.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "library_places.h"
#include "returns/returns_jobs.h"
#include "support/chart_records.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::returns {
namespace {

using testing::BodyOfPlanet;
using testing::Gap;
using testing::LibraryLongitude;

constexpr double kTwoSeconds = 2.0 / 86400.0;
constexpr std::array<double, 8> kAspectAngles = {0, 60, 90, 120, 180, 240, 270, 300};

std::vector<int> PlanetsOf(int type) {
    std::vector<int> planets = {3, 5, 6, 7, 8, 9};
    if (type == 0) {
        planets.insert(planets.end(), {10, 11, 12});
    }
    return planets;
}

struct Crossing {
    double jd_ut = 0.0;
    int planet = 0;
};

// The last exact major aspect of the Moon to a planet of the type between from and to: a
// 20-minute scan for sign changes of Moon - planet - angle, each refined by bisection.
Crossing LastAspect(double from, double to, int type) {
    Crossing last;
    const auto f = [](double jd, int body, double angle) {
        return astro::Norm180(LibraryLongitude(jd, SE_MOON) - LibraryLongitude(jd, body) - angle);
    };
    const double step = 20.0 / 1440.0;
    for (const int planet : PlanetsOf(type)) {
        const int body = BodyOfPlanet(planet);
        for (const double angle : kAspectAngles) {
            double previous = f(from, body, angle);
            for (double t = from + step; t < to + step; t += step) {
                const double now_t = t > to ? to : t;
                const double value = f(now_t, body, angle);
                if (previous < 0.0 && value >= 0.0 && value - previous < 10.0) {
                    double lo = now_t - step;
                    double hi = now_t;
                    while (hi - lo > 0.1 / 86400.0) {
                        const double mid = 0.5 * (lo + hi);
                        (f(mid, body, angle) < 0.0 ? lo : hi) = mid;
                    }
                    if (lo > last.jd_ut) {
                        last = {lo, planet};
                    }
                }
                previous = value;
            }
        }
    }
    return last;
}

struct VocCase {
    int year;
    int month;
    int day;
    int type;
};

class VoidOfCourseTest : public meridia::testing::SessionTest,
                         public ::testing::WithParamInterface<VocCase> {};

TEST_P(VoidOfCourseTest, PeriodBeginsAtTheLastAspectOfTheSignAndEndsAtTheIngress) {
    const VocCase c = GetParam();
    const double start = textformats::JulianDay(c.day, c.month, c.year, 0.0);
    // The first search starts inside a sign; the second covers the whole next sign.
    const auto first = NextVoidOfCourse(start, 1, c.type);
    ASSERT_TRUE(first.ok());
    const auto period = NextVoidOfCourse(first->ends_jd_ut + 0.0001, 1, c.type);
    ASSERT_TRUE(period.ok());
    // The ingress: the Moon at the sign boundary.
    EXPECT_LT(Gap(LibraryLongitude(period->ends_jd_ut, SE_MOON), period->moon_longitude),
              2.0 * 0.55 / 3600.0);
    EXPECT_EQ(std::fmod(period->moon_longitude, 30.0), 0.0);
    EXPECT_NEAR(period->ends_jd_ut - first->ends_jd_ut, 2.3, 0.5);
    const Crossing last = LastAspect(first->ends_jd_ut + 0.0002, period->ends_jd_ut, c.type);
    ASSERT_GT(last.planet, 0);
    EXPECT_EQ(period->planet, last.planet);
    EXPECT_NEAR(period->begins_jd_ut, last.jd_ut, kTwoSeconds);
    EXPECT_GE(period->aspect, 1);
    EXPECT_LE(period->aspect, 5);
    EXPECT_LT(Gap(LibraryLongitude(period->begins_jd_ut, BodyOfPlanet(period->planet)),
                  period->planet_longitude),
              0.001);
}

INSTANTIATE_TEST_SUITE_P(Dates, VoidOfCourseTest,
                         ::testing::Values(VocCase{2024, 1, 1, 0}, VocCase{2024, 3, 17, 0},
                                           VocCase{2024, 8, 5, 1}, VocCase{1987, 6, 30, 0},
                                           VocCase{1987, 6, 30, 1}, VocCase{2031, 11, 2, 0}));

class IsMoonVoidTest : public meridia::testing::SessionTest {
protected:
    // A chart at a Julian day (UT) in slot 1.
    void ChartAt(double jd_ut) {
        const auto date = textformats::DateFromJulianDay(jd_ut, false);
        const double day = std::floor(date.day);
        const double seconds = std::round((date.day - day) * 86400.0);
        const int s = static_cast<int>(seconds);
        ASSERT_EQ(astro::CalcChart(meridia::testing::MakeRecord({.year = date.year,
                                                                 .month = date.month,
                                                                 .day = static_cast<int>(day),
                                                                 .hour = s / 3600,
                                                                 .minute = s / 60 % 60,
                                                                 .second = s % 60}),
                                   1, 0, 0, true, true),
                  astro::CalcStatus::kOk);
    }
};

TEST_F(IsMoonVoidTest, TrueInsideAPeriodAndFalseBeforeItBegins) {
    const auto period = NextVoidOfCourse(textformats::JulianDay(10, 2, 2024, 0.0), 1, 0);
    ASSERT_TRUE(period.ok());
    ASSERT_GT(period->ends_jd_ut - period->begins_jd_ut, 0.02);
    ChartAt(0.5 * (period->begins_jd_ut + period->ends_jd_ut));
    EXPECT_TRUE(IsMoonVoid(1, 0));
    ChartAt(period->begins_jd_ut - 0.01);
    EXPECT_FALSE(IsMoonVoid(1, 0));
}

TEST_F(IsMoonVoidTest, TypeTwoIsNeverVoidInCancer) {
    // Find a void period that falls in Cancer (the ingress into Leo at 120 degrees).
    double start = textformats::JulianDay(1, 1, 2024, 0.0);
    for (int i = 0; i < 14; ++i) {
        const auto period = NextVoidOfCourse(start, 1, 0);
        ASSERT_TRUE(period.ok());
        if (period->moon_longitude == 120.0 && period->ends_jd_ut - period->begins_jd_ut > 0.02) {
            ChartAt(0.5 * (period->begins_jd_ut + period->ends_jd_ut));
            EXPECT_TRUE(IsMoonVoid(1, 0));
            EXPECT_FALSE(IsMoonVoid(1, 2));
            const auto type2 =
                NextVoidOfCourse(0.5 * (period->begins_jd_ut + period->ends_jd_ut), 1, 2);
            ASSERT_TRUE(type2.ok());
            EXPECT_EQ(type2->planet, 0);
            EXPECT_NEAR(type2->ends_jd_ut, period->ends_jd_ut, kTwoSeconds);
            return;
        }
        start = period->ends_jd_ut + 0.0001;
    }
    FAIL() << "no void period in Cancer found";
}

TEST_F(IsMoonVoidTest, ScratchSlotsAreGivenBack) {
    ASSERT_TRUE(NextVoidOfCourse(textformats::JulianDay(1, 5, 2024, 0.0), 1, 0).ok());
    for (int slot = astro::kFirstScratchSlot; slot <= astro::kLastScratchSlot; ++slot) {
        EXPECT_FALSE(astro::Slot(slot).scratch_in_use) << slot;
    }
}

TEST_F(IsMoonVoidTest, TypeSettingReadsZeroForUnknownValues) {
    session().settings().SetString("VoidOfCourseType", "1");
    EXPECT_EQ(VoidOfCourseTypeFromSettings(), 1);
    session().settings().SetString("VoidOfCourseType", "7");
    EXPECT_EQ(VoidOfCourseTypeFromSettings(), 0);
}

// A job typed into a form refuses under the form's title; the command line keeps its own.
TEST_F(IsMoonVoidTest, JobRefusalsCarryTheFormsTitle) {
    VoidJob job;
    job.type = 5;
    auto refused = RunVoidJob(job);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.status().message(), "--type is 0, 1 or 2.");
    EXPECT_EQ(refused.status().title(), "meridia-cli");
    job.chart.refusal_title = "Void of Course Moon";
    refused = RunVoidJob(job);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.status().title(), "Void of Course Moon");
}

// The five major aspects, numbered as in the standard aspect set; any other number has no name.
TEST(VoidAspectName, NamesTheFiveMajorAspects) {
    const std::pair<int, const char*> rows[] = {
        {kConjunction, "Conjunction"},
        {kOpposition, "Opposition"},
        {kTrine, "Trine"},
        {kSquare, "Square"},
        {kSextile, "Sextile"},
        {0, ""},
        {6, ""},
        {-1, ""},
    };
    for (const auto& [aspect, name] : rows) {
        EXPECT_EQ(VoidAspectName(aspect), name) << aspect;
    }
}

// The listing line: the moments as the caller writes them, the aspect and planet by name, the
// positions in signs; a period without an aspect names only the ingress.
TEST_F(IsMoonVoidTest, PeriodLinesNameTheAspectThePlanetAndTheIngress) {
    VoidOfCoursePeriod period;
    period.planet = astro::kSaturn;
    period.aspect = kTrine;
    period.begins_jd_ut = 1.0;
    period.ends_jd_ut = 2.0;
    period.planet_longitude = 45.5;
    period.moon_longitude = 120.0;
    const auto moment = [](double jd_ut) {
        return "<" + std::to_string(static_cast<int>(jd_ut)) + ">";
    };
    EXPECT_EQ(VoidPeriodLine(period, moment),
              "Void of Course Moon from <1> to <2>   last aspect: Trine Saturn (15 Ta 30'00\"), "
              "ingress  0 Le 00'00\"");
    period.planet = 0;
    period.aspect = 0;
    EXPECT_EQ(VoidPeriodLine(period, moment), "No void period before the ingress at <2>");
}

}  // namespace
}  // namespace meridia::returns
