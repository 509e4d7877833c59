// The geometry of wheels and dials: glyph spreading, the dial mapping, the polar mapping, the
// equal-house display, label sizes and the colour adaptation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "drawing/wheel_draw_internal.h"
#include "drawing/wheel_geometry.h"

namespace meridia::drawing {
namespace {

constexpr double kTolerance = 1e-9;

TEST(SpreadPoints, TwoPointsAtOneLongitudeEndThreeDegreesEitherSide) {
    const SpreadResult r = SpreadPoints(6.0, 360.0, {100.0, 100.0});
    // Sorted order is stable: the first point moves back, the second forward.
    EXPECT_NEAR(r.angles[0], 97.0, kTolerance);
    EXPECT_NEAR(r.angles[1], 103.0, kTolerance);
    EXPECT_EQ(r.separation, 6.0);
}

TEST(SpreadPoints, PairAcrossAriesSpreadsAcrossTheBoundary) {
    // Sorted: 1 then 359. The gap from 1 to 359 is 358, more than 360 - 1 * 6 * 0.5 = 357, so
    // it counts as -2: each point moves (6 + 2) / 2 = 4 degrees, 1 back to 357 and 359 on to
    // 3. The second pair (3 to 357, gap 354) and the next pass change nothing.
    const SpreadResult r = SpreadPoints(6.0, 360.0, {359.0, 1.0});
    EXPECT_NEAR(r.angles[0], 3.0, kTolerance);
    EXPECT_NEAR(r.angles[1], 357.0, kTolerance);
    EXPECT_EQ(r.passes, 2);
}

TEST(SpreadPoints, ClusterAtAriesStaysRoundTheBoundary) {
    const std::vector<double> lon = {358.5, 359.5, 0.0, 0.5, 1.5};
    const SpreadResult r = SpreadPoints(6.0, 360.0, lon);
    // Nothing jumps round the circle: every point stays near 0 Aries, some on either side.
    int before = 0;
    int after = 0;
    for (const double a : r.angles) {
        const double off = std::remainder(a, 360.0);
        EXPECT_LT(std::fabs(off), 20.0);
        (off < 0.0 ? before : after)++;
    }
    EXPECT_GT(before, 0);
    EXPECT_GT(after, 0);
}

TEST(SpreadPoints, WellSeparatedPointsDoNotMove) {
    const std::vector<double> lon = {10.0, 40.0, 200.0};
    const SpreadResult r = SpreadPoints(6.0, 360.0, lon);
    EXPECT_EQ(r.angles, lon);
    EXPECT_EQ(r.passes, 1);
}

TEST(SpreadPoints, OnePointNeverMoves) {
    const SpreadResult r = SpreadPoints(6.0, 360.0, {123.25});
    EXPECT_EQ(r.angles, std::vector<double>{123.25});
}

struct SeparationCase {
    int count;
    double separation;
};

class SpreadSeparation : public ::testing::TestWithParam<SeparationCase> {};

TEST_P(SpreadSeparation, ShrinksSoThatEveryPointFits) {
    const SeparationCase c = GetParam();
    // All points in a 20-degree cluster.
    std::vector<double> lon;
    for (int i = 0; i < c.count; ++i) {
        lon.push_back(100.0 + 20.0 * i / c.count);
    }
    const SpreadResult r = SpreadPoints(6.0, 360.0, lon);
    EXPECT_DOUBLE_EQ(r.separation, c.separation);
}

// 360 / 50 - 1 = 6.2 keeps 6; 360 / 60 - 1 = 5; 360 / 72 - 1 = 4.
INSTANTIATE_TEST_SUITE_P(Counts, SpreadSeparation,
                         ::testing::Values(SeparationCase{2, 6.0}, SeparationCase{50, 6.0},
                                           SeparationCase{60, 5.0}, SeparationCase{72, 4.0}));

TEST(DisplayAngle, NinetyDegreeDialFoldsTheCardinalPointsTogether) {
    for (const double lon : {0.0, 90.0, 180.0, 270.0}) {
        EXPECT_EQ(DisplayAngle(lon, 90.0), 0.0) << lon;
    }
    EXPECT_DOUBLE_EQ(DisplayAngle(22.5, 90.0), 90.0);
    EXPECT_DOUBLE_EQ(DisplayAngle(100.0, 360.0), 100.0);
    EXPECT_DOUBLE_EQ(DisplayAngle(-10.0, 360.0), 350.0);
}

TEST(SpreadPoints, DialSpreadsDisplayAngles) {
    // 0 Aries and 0 Cancer meet at display angle 0 of a 90-degree dial.
    const SpreadResult r = SpreadPoints(6.0, 90.0, {0.0, 90.0});
    EXPECT_NEAR(r.angles[0], 357.0, kTolerance);
    EXPECT_NEAR(r.angles[1], 3.0, kTolerance);
}

TEST(PolarToDevice, ZeroAtNineOClockCounterClockwise) {
    const QPointF c(100, 100);
    const QPointF nine = PolarToDevice(c, 30.0, 30.0, 50.0);
    EXPECT_NEAR(nine.x(), 50.0, kTolerance);
    EXPECT_NEAR(nine.y(), 100.0, kTolerance);
    // 90 degrees on: six o'clock (device y grows downwards).
    const QPointF six = PolarToDevice(c, 120.0, 30.0, 50.0);
    EXPECT_NEAR(six.x(), 100.0, kTolerance);
    EXPECT_NEAR(six.y(), 150.0, kTolerance);
}

TEST(EqualHouseAngle, EveryHouseThirtyDegrees) {
    std::array<double, 13> cusps{};
    // Unequal houses: 1st from 10 to 50 (40 degrees), 2nd from 50 to 70 (20 degrees)...
    const double c[12] = {10, 50, 70, 100, 130, 160, 190, 230, 250, 280, 310, 340};
    std::copy(std::begin(c), std::end(c), cusps.begin() + 1);
    // Halfway through house 1 is 15 degrees past the first cusp.
    EXPECT_NEAR(EqualHouseAngle(30.0, 1, cusps), 25.0, kTolerance);
    // A quarter through house 2: 30 + 10 + 7.5.
    EXPECT_NEAR(EqualHouseAngle(55.0, 2, cusps), 47.5, kTolerance);
    // House 12 wraps over 0 Aries: 340..10, 5 of 30 degrees in.
    EXPECT_NEAR(EqualHouseAngle(345.0, 12, cusps), 345.0, kTolerance);
}

TEST(LabelScale, ShrinksLongerLabels) {
    EXPECT_EQ(LabelScale("\xE2\x98\x89"), 1.0);  // one symbol, three UTF-8 bytes
    EXPECT_EQ(LabelScale("MC"), 0.75);
    EXPECT_EQ(LabelScale("Asc"), 0.667);
    EXPECT_EQ(LabelScale("Chiro"), 0.5);
}

TEST(ColourAdaptation, FollowsTheBackground) {
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    EXPECT_EQ(AdaptLineColour(0, black, true), white);
    EXPECT_EQ(AdaptLineColour(0, white, true), black);
    // White stands for the background.
    EXPECT_EQ(AdaptLineColour(0xFFFFFF, QColor(10, 20, 30), true), QColor(10, 20, 30));
    // Dark red (64, 0, 0) on black: times (255 - 64) / 64, so red becomes 191.
    EXPECT_EQ(AdaptLineColour(0x000040, black, true), QColor(191, 0, 0));
    // Bright colours stay as they are; colour off gives black or white.
    EXPECT_EQ(AdaptLineColour(0x0000FF, black, true), QColor(255, 0, 0));
    EXPECT_EQ(AdaptLineColour(0x0000FF, white, false), black);
    EXPECT_EQ(AdaptLineColour(0x0000FF, black, false), white);
    // Fills: unchanged on light, 256 - c (at most 255) on dark, white without colour.
    EXPECT_EQ(AdaptFillColour(0x102030, white, true), QColor(0x30, 0x20, 0x10));
    EXPECT_EQ(AdaptFillColour(0x002020, black, true), QColor(224, 224, 255));
    EXPECT_EQ(AdaptFillColour(0x102030, black, false), white);
    EXPECT_EQ(ScalePenWidth(3, 1.5), 5);
    EXPECT_EQ(ScalePenWidth(1, 0.2), 1);
}

}  // namespace
}  // namespace meridia::drawing
