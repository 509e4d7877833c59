// The angles from RAMC, obliquity and latitude against the ephemeris library's own
// house-and-angle routine fed the same three values.
#include "astro/angles.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "astro/chart_calc.h"

namespace meridia::astro {
namespace {

constexpr double kArcsecond = 1.0 / 3600.0;
constexpr double kTolerance = 0.001 * kArcsecond;

double Gap(double a, double b) { return std::fabs(Norm180(a - b)); }
// The gap between two axes: a and b may point either way along the same line.
double AxisGap(double a, double b) {
    const double g = Gap(a, b);
    return std::min(g, 180.0 - g);
}

struct Oracle {
    std::array<double, 10> ascmc{};
    std::array<double, 10> speeds{};
};

Oracle LibraryAngles(double ramc, double latitude, double obliquity) {
    std::array<double, 13> cusps{};
    std::array<double, 13> cusp_speeds{};
    Oracle o;
    char serr[AS_MAXCH] = {0};
    swe_houses_armc_ex2(ramc, latitude, obliquity, 'E', cusps.data(), o.ascmc.data(),
                        cusp_speeds.data(), o.speeds.data(), serr);
    return o;
}

TEST(AngleHelpers, Reductions) {
    EXPECT_DOUBLE_EQ(Norm360(-30.0), 330.0);
    EXPECT_DOUBLE_EQ(Norm360(720.5), 0.5);
    EXPECT_DOUBLE_EQ(Norm180(190.0), -170.0);
    EXPECT_DOUBLE_EQ(Norm180(180.0), -180.0);
    EXPECT_DOUBLE_EQ(ModFloor(-0.25, 1.0), 0.75);
    EXPECT_DOUBLE_EQ(SignedMod(350.0, 360.0), -10.0);
    EXPECT_DOUBLE_EQ(ArcMidpoint(350.0, 10.0), 0.0);
    EXPECT_DOUBLE_EQ(ArcMidpoint(10.0, 50.0), 30.0);
    EXPECT_LT(Norm360(-1e-15), 360.0);
    EXPECT_DOUBLE_EQ(ArcSin(1.0), 90.0);
    EXPECT_DOUBLE_EQ(ArcCos(-1.0), 180.0);
    EXPECT_DOUBLE_EQ(ArcSin(1.0000000001), 90.0);
    EXPECT_DOUBLE_EQ(ArcTan2(1.0, -1.0), 135.0);
}

// Outside the polar circles every angle equals the library's.
TEST(CalcAngles, MatchesLibraryOutsidePolarCircles) {
    const double eps = 23.4392911;
    for (double latitude = -66.0; latitude <= 66.0; latitude += 5.5) {
        for (double ramc = 0.0; ramc < 360.0; ramc += 7.25) {
            const AngleSet a = CalcAngles(ramc, eps, latitude, true);
            const Oracle o = LibraryAngles(ramc, latitude, eps);
            SCOPED_TRACE(testing::Message() << "ramc " << ramc << " lat " << latitude);
            EXPECT_LT(Gap(a.ascendant, o.ascmc[SE_ASC]), kTolerance);
            EXPECT_LT(Gap(a.midheaven, o.ascmc[SE_MC]), kTolerance);
            EXPECT_LT(Gap(a.equatorial_ascendant, o.ascmc[SE_EQUASC]), kTolerance);
            EXPECT_LT(Gap(a.co_ascendant, o.ascmc[SE_COASC1]), kTolerance);
            EXPECT_LT(Gap(a.polar_ascendant, o.ascmc[SE_POLASC]), kTolerance);
            if (latitude != 0.0) {
                EXPECT_LT(Gap(a.vertex, o.ascmc[SE_VERTEX]), kTolerance);
            }
        }
    }
}

TEST(CalcAngles, SpeedsMatchLibrary) {
    const double eps = 23.44;
    for (double latitude : {-50.0, -10.0, 20.0, 51.5, 60.0}) {
        for (double ramc = 3.0; ramc < 360.0; ramc += 31.0) {
            const AngleSet a = CalcAngles(ramc, eps, latitude, true);
            const Oracle o = LibraryAngles(ramc, latitude, eps);
            SCOPED_TRACE(testing::Message() << "ramc " << ramc << " lat " << latitude);
            EXPECT_NEAR(a.ascendant_speed, o.speeds[SE_ASC], 1e-4);
            EXPECT_NEAR(a.midheaven_speed, o.speeds[SE_MC], 1e-4);
            EXPECT_NEAR(a.vertex_speed, o.speeds[SE_VERTEX], 1e-4);
            EXPECT_NEAR(a.equatorial_ascendant_speed, o.speeds[SE_EQUASC], 1e-4);
            EXPECT_NEAR(a.co_ascendant_speed, o.speeds[SE_COASC1], 1e-4);
        }
    }
}

// Inside the polar circles the axis may be turned by 180 degrees: the Midheaven stays above
// the horizon (or, without MCAlwaysAbove, the Ascendant turns instead).
TEST(CalcAngles, PolarLatitudesKeepTheMidheavenAbove) {
    const double eps = 23.44;
    for (double latitude : {-89.0, -75.0, -67.0, 67.0, 70.0, 80.0, 89.5}) {
        for (double ramc = 0.0; ramc < 360.0; ramc += 9.0) {
            const AngleSet a = CalcAngles(ramc, eps, latitude, true);
            const AngleSet b = CalcAngles(ramc, eps, latitude, false);
            const Oracle o = LibraryAngles(ramc, latitude, eps);
            SCOPED_TRACE(testing::Message() << "ramc " << ramc << " lat " << latitude);
            EXPECT_LT(AxisGap(a.ascendant, o.ascmc[SE_ASC]), kTolerance);
            EXPECT_LT(AxisGap(a.midheaven, o.ascmc[SE_MC]), kTolerance);
            const double decl = ArcSin(SinD(eps) * SinD(a.midheaven));
            // Altitude of the Midheaven at upper or lower culmination, whichever it sits on.
            const double ha =
                Gap(ArcTan2(SinD(a.midheaven) * CosD(eps), CosD(a.midheaven)), ramc) < 90.0 ? 0.0
                                                                                            : 180.0;
            const double altitude =
                ArcSin(SinD(latitude) * SinD(decl) + CosD(latitude) * CosD(decl) * CosD(ha));
            EXPECT_GE(altitude, -1e-9);
            if (Gap(a.midheaven, b.midheaven) > 1.0) {
                EXPECT_LT(Gap(b.ascendant, a.ascendant + 180.0), kTolerance);
            } else {
                EXPECT_LT(Gap(b.ascendant, a.ascendant), kTolerance);
            }
            EXPECT_LT(Gap(a.co_ascendant, o.ascmc[SE_COASC1]), kTolerance);
            EXPECT_LT(Gap(a.polar_ascendant, o.ascmc[SE_POLASC]), kTolerance);
            EXPECT_LT(AxisGap(a.vertex, o.ascmc[SE_VERTEX]), kTolerance);
        }
    }
}

TEST(CalcAngles, VertexAtTheEquatorIs90) {
    for (double ramc : {0.0, 45.0, 123.0, 300.0}) {
        EXPECT_EQ(CalcAngles(ramc, 23.44, 0.0, true).vertex, 90.0);
    }
}

TEST(CalcAngles, VertexLiesWestOfTheMidheaven) {
    for (double latitude : {-80.0, -30.0, 10.0, 45.0, 75.0}) {
        for (double ramc = 0.0; ramc < 360.0; ramc += 15.0) {
            const AngleSet a = CalcAngles(ramc, 23.44, latitude, true);
            EXPECT_LE(Norm360(a.midheaven - a.vertex), 180.0);
        }
    }
}

}  // namespace
}  // namespace meridia::astro
