// Extra chart points 51 and up: fixed stars against the library's own star function in every
// zodiac, midpoints and lots against their definitions, houses and aspects of an extra point
// against those of a fixed point at the same place (tests/aspects), asteroids with and without
// their file, the prenatal lunation against the library's Sun and Moon, and the refusals of bad
// items.
#include "astro/extra_points.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/ephemeris.h"
#include "astro/houses.h"
#include "support/extra_point_fixture.h"
#include "support/library_star.h"
#include "support/test_session.h"

namespace meridia::astro {
namespace {

constexpr double kArcsecond = 1.0 / 3600.0;
constexpr double kStarTolerance = 0.001 * kArcsecond;
constexpr double kFormulaTolerance = 1e-9;

double Gap(double a, double b) { return std::fabs(Norm180(a - b)); }

using ExtraPointsTest = testing::ExtraPointTest;

using testing::LibraryStar;
using testing::StarFromLibrary;

TEST_F(ExtraPointsTest, StarsEqualTheLibrarysStarFunctionInEveryZodiac) {
    const std::vector<std::string> stars = {"Aldebaran", "Spica",     "Sirius",
                                            "Polaris",   "Fomalhaut", ",alTau"};
    // alTau is Aldebaran again: a star given twice is calculated once, and must still be the
    // library's.
    Use("star:Aldebaran,star:Spica,star:Sirius,star:Polaris,star:Fomalhaut,star:alTau");
    ASSERT_EQ(PointsInUse(), 56);
    const std::vector<ChartValues> moments = {
        testing::ChartValuesOf(1879, 3, 14, 10.83, 48.4, -10.0),
        testing::ChartValuesOf(1950, 1, 1, 0.0, -33.9, -151.2),
        testing::ChartValuesOf(2024, 6, 21, 18.5, 64.1, 21.9),
        testing::ChartValuesOf(1600, 12, 31, 6.0, 0.0, 0.0)};
    for (ChartValues values : moments) {
        for (int zodiac = 0; zodiac <= kLastZodiac; ++zodiac) {
            values.zodiac = zodiac;
            const ChartSlot& slot = Calc(values);
            for (std::size_t s = 0; s < stars.size(); ++s) {
                const auto p = static_cast<std::size_t>(kFixedPointCount + 1) + s;
                SCOPED_TRACE(stars[s] + " zodiac " + std::to_string(zodiac) + " year " +
                             std::to_string(values.year));
                const LibraryStar star = StarFromLibrary(stars[s], slot.julian_day);
                ASSERT_TRUE(star.ok);
                EXPECT_LE(Gap(slot.longitude[p], star.ecliptic[0] + slot.zodiac_offset),
                          kStarTolerance);
                EXPECT_GE(slot.longitude[p], 0.0);
                EXPECT_LT(slot.longitude[p], 360.0);
                EXPECT_NEAR(slot.latitude[p], star.ecliptic[1], kStarTolerance);
                EXPECT_LE(Gap(slot.right_ascension[p], star.equatorial[0]), kStarTolerance);
                EXPECT_NEAR(slot.declination[p], star.equatorial[1], kStarTolerance);
                EXPECT_EQ(slot.house[p], HouseOf(slot.longitude[p], slot.cusps));
            }
        }
    }
}

TEST_F(ExtraPointsTest, MidpointLiesHalfwayOnTheShorterArcWithMeanSpeed) {
    Use("midpoint:Sun/Moon,midpoint:Mars/Saturn,midpoint:Asc/MC,midpoint:51/Pluto");
    for (int month = 1; month <= 12; ++month) {
        const ChartSlot& slot =
            Calc(testing::ChartValuesOf(1990, month, 7, 3.0 + month, 40.7, 74.0));
        const std::array<std::array<int, 2>, 4> pairs = {
            {{kSun, kMoon}, {kMars, kSaturn}, {kAscendant, kMidheaven}, {51, kPluto}}};
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            const auto p = static_cast<std::size_t>(51 + k);
            const auto a = static_cast<std::size_t>(pairs[k][0]);
            const auto b = static_cast<std::size_t>(pairs[k][1]);
            const double arc = Gap(slot.longitude[a], slot.longitude[b]);
            // Equally far from both ends, half the shorter arc from each.
            EXPECT_NEAR(Gap(slot.longitude[p], slot.longitude[a]), arc / 2.0, kFormulaTolerance);
            EXPECT_NEAR(Gap(slot.longitude[p], slot.longitude[b]), arc / 2.0, kFormulaTolerance);
            EXPECT_NEAR(slot.speed[p], (slot.speed[a] + slot.speed[b]) / 2.0, 1e-12);
            EXPECT_NEAR(slot.latitude[p], (slot.latitude[a] + slot.latitude[b]) / 2.0, 1e-12);
        }
    }
}

// The lots of the factory parts file against their formulas written out here, with the
// traditional rulers of the signs.
TEST_F(ExtraPointsTest, LotsEqualTheirFormulasByDayAndByNight) {
    Use("part:Spirit,part:Fortune,part:Eros,part:Travel,part:Honour,part:Profession,part:Death");
    const std::array<int, 13> rulers = {0,       kMars,    kVenus,  kMercury, kMoon,
                                        kSun,    kMercury, kVenus,  kMars,    kJupiter,
                                        kSaturn, kSaturn,  kJupiter};
    int nights = 0;
    for (int hour = 0; hour < 24; hour += 3) {
        const ChartSlot& slot = Calc(testing::ChartValuesOf(1975, 5, 20, hour, 51.5, 0.1));
        const double asc = slot.longitude[kAscendant];
        const double sun = slot.longitude[kSun];
        const double moon = slot.longitude[kMoon];
        // Night: the Sun below the horizon, between the Ascendant and the Descendant through IC.
        const bool night = Norm360(sun - asc) <= 180.0;
        nights += night ? 1 : 0;
        const double spirit = night ? asc + moon - sun : asc + sun - moon;
        const double fortune = night ? asc + sun - moon : asc + moon - sun;
        const double eros =
            night ? asc + spirit - slot.longitude[kVenus] : asc + slot.longitude[kVenus] - spirit;
        const double cusp9 = slot.cusps[9];
        const double travel =
            asc + cusp9 - slot.longitude[static_cast<std::size_t>(rulers[SignOf(cusp9)])];
        const double honour = night ? asc + sun - 19.0 : asc + 19.0 - sun;
        const double profession = slot.longitude[kMidheaven] + moon - sun;
        const double death = asc + slot.cusps[8] - moon;
        const std::array<double, 7> expected = {spirit, fortune,    eros, travel,
                                                honour, profession, death};
        for (std::size_t k = 0; k < expected.size(); ++k) {
            SCOPED_TRACE("lot " + std::to_string(k) + " hour " + std::to_string(hour));
            EXPECT_LE(Gap(slot.longitude[51 + k], expected[k]), kFormulaTolerance);
        }
        EXPECT_LE(Gap(slot.longitude[52], slot.longitude[kPartOfFortune]), kFormulaTolerance);
        EXPECT_NEAR(slot.speed[52], slot.speed[kPartOfFortune], 1e-9);
    }
    EXPECT_GT(nights, 0);
    EXPECT_LT(nights, 8);
}

TEST_F(ExtraPointsTest, DayPartOnlyKeepsTheDayFormula) {
    session().settings().SetString("DayPartOnly", "-1");
    Use("part:Spirit");
    const ChartSlot& slot = Calc(testing::ChartValuesOf(1975, 5, 20, 0.0, 51.5, 0.1));
    ASSERT_LE(Norm360(slot.longitude[kSun] - slot.longitude[kAscendant]), 180.0);
    EXPECT_LE(Gap(slot.longitude[51],
                  slot.longitude[kAscendant] + slot.longitude[kSun] - slot.longitude[kMoon]),
              kFormulaTolerance);
}

TEST_F(ExtraPointsTest, CuspSpeedsFollowTheTurningSky) {
    Use("cusp:1,cusp:10");
    const ChartSlot& slot = Calc(testing::ChartValuesOf(1985, 2, 2, 8.0, 45.0, -7.0));
    // Cusp 1 and 10 of Placidus houses are the Ascendant and the Midheaven.
    EXPECT_NEAR(slot.speed[51], slot.speed[kAscendant], 1e-3 * slot.speed[kAscendant]);
    EXPECT_NEAR(slot.speed[52], slot.speed[kMidheaven], 1e-3 * slot.speed[kMidheaven]);
}

TEST_F(ExtraPointsTest, FixedPositionIsInTheChartsZodiac) {
    Use("position:15Ar30");
    for (int zodiac : {1, 3, 9}) {
        const ChartSlot& slot = Calc(testing::ChartValuesOf(1960, 7, 1, 12.0, 10.0, 20.0, zodiac));
        EXPECT_NEAR(slot.longitude[51], 15.5, 1e-12);
        EXPECT_EQ(slot.speed[51], 0.0);
        EXPECT_EQ(slot.house[51], HouseOf(15.5, slot.cusps));
    }
}

TEST_F(ExtraPointsTest, AsteroidWithItsFileEqualsTheLibraryAndWithoutItHasNoPlaceSilently) {
    Use("asteroid:10,asteroid:433");
    const ChartSlot& slot = Calc(testing::ChartValuesOf(1999, 8, 11, 11.0, 48.0, -2.0));
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    ASSERT_GE(
        swe_calc(slot.julian_day, SE_AST_OFFSET + 10, SEFLG_SWIEPH | SEFLG_SPEED, x.data(), serr),
        0);
    EXPECT_LE(Gap(slot.longitude[51], x[0]), kStarTolerance);
    EXPECT_NEAR(slot.latitude[51], x[1], kStarTolerance);
    EXPECT_NEAR(slot.speed[51], x[3], 1e-12);
    EXPECT_EQ(slot.longitude[52], -1.0);
    EXPECT_EQ(slot.house[52], 0);
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ExtraPointsTest, PrenatalLunationIsTheLastNewOrFullMoon) {
    Use("prenatal-lunation");
    for (int day = 1; day <= 29; day += 4) {
        const ChartSlot& slot = Calc(testing::ChartValuesOf(2010, 4, day, 9.0, 52.0, -13.0));
        const auto lunation = PriorLunation(slot.julian_day);
        ASSERT_TRUE(lunation);
        EXPECT_LE(lunation->jd_et, slot.julian_day);
        EXPECT_GT(lunation->jd_et, slot.julian_day - 15.0);
        std::array<double, 6> sun{};
        std::array<double, 6> moon{};
        char serr[AS_MAXCH] = {0};
        swe_calc(lunation->jd_et, SE_SUN, SEFLG_SWIEPH | SEFLG_SPEED, sun.data(), serr);
        swe_calc(lunation->jd_et, SE_MOON, SEFLG_SWIEPH | SEFLG_SPEED, moon.data(), serr);
        const double elongation = Norm360(moon[0] - sun[0]);
        EXPECT_LE(Gap(elongation, lunation->full ? 180.0 : 0.0), 1e-7);
        EXPECT_LE(Gap(slot.longitude[51], moon[0]), 1e-9);
        // No syzygy lies between it and the chart: the elongation at the chart is less than
        // 180 degrees past it.
        std::array<double, 6> sun_now{};
        std::array<double, 6> moon_now{};
        swe_calc(slot.julian_day, SE_SUN, SEFLG_SWIEPH, sun_now.data(), serr);
        swe_calc(slot.julian_day, SE_MOON, SEFLG_SWIEPH, moon_now.data(), serr);
        EXPECT_EQ(Norm360(moon_now[0] - sun_now[0]) >= 180.0, lunation->full);
    }
}

TEST_F(ExtraPointsTest, PrenatalEclipseComesFromTheInstalledFinder) {
    Use("prenatal-eclipse");
    EXPECT_EQ(Calc(testing::ChartValuesOf(2010, 4, 1, 9.0, 52.0, -13.0)).longitude[51], -1.0);
    SetPriorEclipseFinder([](double jd_ut) {
        return std::optional<PriorEclipse>(PriorEclipse{jd_ut - 100.0, 123.25});
    });
    const ChartSlot& slot = Calc(testing::ChartValuesOf(2010, 4, 1, 9.0, 52.0, -13.0, 3));
    EXPECT_LE(Gap(slot.longitude[51], 123.25 + slot.zodiac_offset), 1e-12);
}

TEST_F(ExtraPointsTest, WithoutExtraPointsTheChartIsAsBefore) {
    const ChartSlot& slot = Calc(testing::ChartValuesOf(1975, 5, 20, 3.0, 51.5, 0.1));
    EXPECT_EQ(PointsInUse(), kFixedPointCount);
    for (std::size_t p = 51; p <= 100; ++p) {
        EXPECT_EQ(slot.longitude[p], 0.0);
        EXPECT_EQ(slot.house[p], 0);
    }
}

TEST_F(ExtraPointsTest, NamesOfExtraPointsAreInTheNameTables) {
    Use("star:Regulus,part:Spirit,cusp:8,midpoint:Sun/Moon");
    const auto& names = startup::Names();
    EXPECT_EQ(names.PointName(51, 1), "Regulus");
    EXPECT_EQ(names.PointName(52, 0), "Spir");
    EXPECT_EQ(names.PointName(53, 1), "8th House Cusp");
    EXPECT_EQ(names.PointName(54, 0), "Su/Mo");
    ClearExtraPoints();
    EXPECT_EQ(names.PointName(51, 1), "");
    EXPECT_EQ(PointsInUse(), kFixedPointCount);
}

struct RefusedItem {
    const char* list;
    const char* message;
};

class RefusedItems : public ExtraPointsTest, public ::testing::WithParamInterface<RefusedItem> {};

TEST_P(RefusedItems, AreRefusedAndChangeNothing) {
    Use("cusp:3");
    const startup::Status status = UseExtraPoints(GetParam().list);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(GetParam().message), std::string::npos) << status.message();
    EXPECT_EQ(PointsInUse(), 51);
    EXPECT_EQ(ExtraPoints().front().kind, ExtraKind::kCusp);
}

INSTANTIATE_TEST_SUITE_P(
    ExtraPoints, RefusedItems,
    ::testing::Values(RefusedItem{"star:Nosuchstar", "Extra point \"star:Nosuchstar\": no star"},
                      RefusedItem{"midpoint:Sun", "a midpoint is written P1/P2"},
                      RefusedItem{"midpoint:Sun/Nowhere", "no such point"},
                      RefusedItem{"midpoint:Sun/52", "no such point"},
                      RefusedItem{"cusp:13", "a cusp is 1 to 12"},
                      RefusedItem{"asteroid:-4", "an asteroid is given by its number"},
                      RefusedItem{"part:Nolot", "no lot of that name"},
                      RefusedItem{"planet:Mars", "not an extra point"},
                      RefusedItem{"cusp:1,,cusp:2", "an empty item"},
                      RefusedItem{"/nonexistent/file.ptu", "was not found"}));

TEST_F(ExtraPointsTest, MoreThanFiftyExtraPointsAreRefused) {
    std::string list = "cusp:1";
    for (int i = 0; i < 50; ++i) {
        list += ",cusp:2";
    }
    const startup::Status status = UseExtraPoints(list);
    EXPECT_EQ(status.code(), startup::StatusCode::kRefused);
    EXPECT_EQ(PointsInUse(), kFixedPointCount);
}

}  // namespace
}  // namespace meridia::astro
