// Speculum: Placidus and Regiomontanus house cusps of the ephemeris library's own house
// routine sit at the mundane positions that divide the semi-arcs and the equator evenly; a
// point at the hour angle of its semi-arc has altitude 0 by the spherical-astronomy formula;
// circumpolar points; the angles of a calculated chart; the debug listing.
#include "directions/mundane_positions.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <string>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::directions {
namespace {

using astro::Norm180;

constexpr double kTolerance = 1e-7;

double Gap(double a, double b) { return std::fabs(Norm180(a - b)); }

struct Sky {
    double ramc;
    double latitude;
    double obliquity;
};

// Skies at several latitudes, both hemispheres, and RAMCs round the circle.
constexpr Sky kSkies[] = {{344.18, 48.4, 23.44}, {12.5, 51.5, 23.44},  {123.0, -33.9, 23.43},
                          {250.0, 10.0, 23.45},  {300.0, 60.0, 23.44}, {75.0, -45.0, 23.44}};

std::array<double, 13> LibraryCusps(const Sky& sky, int letter) {
    std::array<double, 13> cusps{};
    std::array<double, 10> ascmc{};
    swe_houses_armc(sky.ramc, sky.latitude, sky.obliquity, letter, cusps.data(), ascmc.data());
    return cusps;
}

Speculum OfEclipticPoint(const Sky& sky, double longitude) {
    const Equatorial e = EclipticToEquatorial(longitude, 0.0, sky.obliquity);
    Speculum s;
    s.Init(e.declination, sky.latitude, e.right_ascension, sky.ramc);
    return s;
}

// Placidus cusps trisect the semi-arcs: cusp 11 is a third of the day semi-arc east of the MC
// (mundane position 300), cusp 12 two thirds (330), cusp 2 and 3 a third and two thirds of the
// night semi-arc below the Ascendant (30, 60); the Ascendant is at 360 (0).
TEST(Speculum, PlacidusCuspsOfTheLibraryDivideTheSemiArcs) {
    const std::array<std::pair<int, double>, 5> expected = {
        {{11, 300.0}, {12, 330.0}, {1, 360.0}, {2, 30.0}, {3, 60.0}}};
    for (const Sky& sky : kSkies) {
        SCOPED_TRACE(sky.ramc);
        const auto cusps = LibraryCusps(sky, 'P');
        for (const auto& [cusp, position] : expected) {
            const Speculum s = OfEclipticPoint(sky, cusps[static_cast<std::size_t>(cusp)]);
            EXPECT_LT(Gap(s.PlacidusMundanePosition(), position), kTolerance) << cusp;
        }
        // The MC itself.
        EXPECT_LT(Gap(OfEclipticPoint(sky, cusps[10]).PlacidusMundanePosition(), 270.0),
                  kTolerance);
    }
}

// Regiomontanus cusps divide the equator: cusp 11 lies on the house circle whose oblique
// ascension under its pole is RAMC + 30, cusp 12 RAMC + 60, the Ascendant RAMC + 90, cusps 2 and
// 3 RAMC + 120 and + 150.
TEST(Speculum, RegiomontanusCuspsOfTheLibraryDivideTheEquator) {
    const std::array<std::pair<int, double>, 5> expected = {
        {{11, 30.0}, {12, 60.0}, {1, 90.0}, {2, 120.0}, {3, 150.0}}};
    for (const Sky& sky : kSkies) {
        SCOPED_TRACE(sky.ramc);
        const auto cusps = LibraryCusps(sky, 'R');
        for (const auto& [cusp, offset] : expected) {
            const Speculum s = OfEclipticPoint(sky, cusps[static_cast<std::size_t>(cusp)]);
            EXPECT_LT(Gap(s.RegioMundanePosition(), sky.ramc + offset), kTolerance) << cusp;
        }
        // Points on the horizon have the latitude as pole.
        const Speculum asc = OfEclipticPoint(sky, cusps[1]);
        EXPECT_NEAR(asc.Pole(), sky.latitude, kTolerance);
        EXPECT_NEAR(asc.ZenithDistance(), 90.0, kTolerance);
    }
}

// sin h = sin phi sin delta + cos phi cos delta cos H: at the hour angle of the day semi-arc a
// point is on the horizon, so the semi-arcs and the oblique ascension and descension agree with
// the rising and setting of the point.
TEST(Speculum, SemiArcsEndOnTheHorizon) {
    for (const double phi : {-60.0, -33.0, 0.0, 20.0, 48.4, 66.0}) {
        for (const double delta : {-23.0, -10.0, 0.0, 5.0, 23.4}) {
            Speculum s;
            s.Init(delta, phi, 100.0, 40.0);
            ASSERT_TRUE(s.CrossesHorizon());
            const double altitude =
                std::asin(astro::SinD(phi) * astro::SinD(delta) +
                          astro::CosD(phi) * astro::CosD(delta) * astro::CosD(s.DaySemiArc())) *
                astro::kRadToDeg;
            EXPECT_NEAR(altitude, 0.0, 1e-9) << phi << " " << delta;
            EXPECT_NEAR(s.DaySemiArc() + s.NightSemiArc(), 180.0, 1e-12);
            // Rising: the RAMC then equals the oblique ascension minus 90.
            EXPECT_LT(Gap(s.ObliqueAscension(), 100.0 - s.AscensionalDifference()), 1e-12);
            EXPECT_LT(
                Gap(s.ObliqueDescension() - s.ObliqueAscension(), 2.0 * s.AscensionalDifference()),
                1e-9);
        }
    }
}

TEST(Speculum, CircumpolarPoints) {
    Speculum never_sets;
    never_sets.Init(30.0, 70.0, 200.0, 10.0);
    EXPECT_FALSE(never_sets.CrossesHorizon());
    EXPECT_TRUE(std::isnan(never_sets.AscensionalDifference()));
    EXPECT_EQ(never_sets.ObliqueAscension(), 200.0);
    EXPECT_EQ(never_sets.ObliqueDescension(), 200.0);
    EXPECT_EQ(never_sets.DaySemiArc(), 180.0);
    EXPECT_EQ(never_sets.NightSemiArc(), 0.0);
    // Always above: 270 + 90 x UMD / 180.
    EXPECT_NEAR(never_sets.PlacidusMundanePosition(), 270.0 + 90.0 * -170.0 / 180.0, 1e-12);

    Speculum never_rises;
    never_rises.Init(30.0, -70.0, 200.0, 10.0);
    EXPECT_FALSE(never_rises.CrossesHorizon());
    EXPECT_EQ(never_rises.DaySemiArc(), 0.0);
    EXPECT_EQ(never_rises.NightSemiArc(), 180.0);
    // Always below: 90 + 90 x LMD / 180, LMD = 10.
    EXPECT_NEAR(never_rises.PlacidusMundanePosition(), 95.0, 1e-12);
}

TEST(Speculum, MeridianDistancesAndQuadrants) {
    Speculum s;
    s.Init(0.0, 0.0, 100.0, 350.0);  // 110 degrees east of the MC
    EXPECT_NEAR(s.UpperMeridianDistance(), 110.0, 1e-12);
    EXPECT_NEAR(s.LowerMeridianDistance(), -70.0, 1e-12);
    EXPECT_NEAR(s.MeridianDistance(), 70.0, 1e-12);
    // On the equator every semi-arc is 90: below the eastern horizon, 20 degrees from it.
    EXPECT_NEAR(s.PlacidusMundanePosition(), 90.0 - 70.0, 1e-12);
    s.Init(0.0, 0.0, 330.0, 350.0);  // 20 degrees west of the MC
    EXPECT_NEAR(s.PlacidusMundanePosition(), 250.0, 1e-12);
    EXPECT_NEAR(s.MeridianDistance(), 20.0, 1e-12);
}

class SpeculumChartTest : public testing::SessionTest {};

// The angles of a calculated chart: the MC at 270 with pole 0, the Ascendant rising (360 or 0),
// the Descendant at 180 and the IC at 90.
TEST_F(SpeculumChartTest, AnglesOfACalculatedChart) {
    const auto record = testing::MakeRecord(
        {.year = 1879, .month = 3, .day = 14, .hour = 11, .minute = 30, .latitude = 48.4F});
    ASSERT_EQ(astro::CalcChart(record, 1, 0, 0, true, true), astro::CalcStatus::kOk);
    const astro::ChartSlot& chart = astro::Slot(1);
    Speculum s;
    s.InitToChart(chart, astro::kMidheaven);
    EXPECT_NEAR(s.UpperMeridianDistance(), 0.0, 1e-9);
    EXPECT_NEAR(s.PlacidusMundanePosition(), 270.0, 1e-9);
    EXPECT_NEAR(s.Pole(), 0.0, 1e-9);
    const std::array<std::pair<int, double>, 3> angles = {
        {{astro::kAscendant, 0.0}, {astro::kDescendant, 180.0}, {astro::kImumCoeli, 90.0}}};
    for (const auto& [point, position] : angles) {
        s.InitToZodiacPt(chart.longitude[static_cast<std::size_t>(point)], chart);
        EXPECT_LT(Gap(s.PlacidusMundanePosition(), position), 1e-7) << point;
    }
    // InitToZodiacPt of a point without latitude agrees with the chart's own coordinates.
    s.InitToZodiacPt(chart.longitude[astro::kAscendant], chart);
    EXPECT_NEAR(s.RightAscension(), chart.right_ascension[astro::kAscendant], 1e-9);
    EXPECT_NEAR(s.Declination(), chart.declination[astro::kAscendant], 1e-9);
}

TEST(SpeculumListing, HeadingsAndPattern) {
    EXPECT_EQ(SpeculumListingHeading(),
              " PointName AscDiff  RA       Declin   DaySemAr UMerDist ObAsc    PropArc  ");
    Speculum s;
    s.Init(0.0, 0.0, 100.5,
           10.0);  // on the equator: AD 0, semi-arc 90, UMD 90.5: just below the eastern horizon
    EXPECT_EQ(SpeculumListingLine("Sun", s),
              "Sun        0        100.5    0        90       90.5     100.5    0.5      ");
}

}  // namespace
}  // namespace meridia::directions
