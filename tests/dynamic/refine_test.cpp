#include "dynamic/refine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace meridia::dynamic {
namespace {

TEST(Bisect, ReportsTheFinalMidpointPlusOneSecond) {
    // A crossing at a known instant inside a half-day step.
    const double root = 10.123456789;
    const BisectResult r = Bisect(10.0, 10.5, [root](double t) { return t >= root; });
    ASSERT_TRUE(r.hit);
    EXPECT_TRUE(r.converged);
    EXPECT_NEAR(r.instant, root + kSecondDays, 0.25 * kSecondDays);
    EXPECT_NEAR(r.hit_ratio, (r.instant - 10.0) / 0.5, 1e-12);
}

TEST(Bisect, StopsAfterTheIterationLimit) {
    // A bracket so wide that 40 halvings cannot reach half a second.
    const BisectResult r = Bisect(0.0, 1e12, [](double t) { return t >= 3.0; });
    EXPECT_TRUE(r.hit);
    EXPECT_FALSE(r.converged);
}

TEST(Bisect, AJumpIsNoHit) {
    const BisectResult r = Bisect(
        0.0, 1.0, [](double t) { return t >= 0.3; }, kBisectTolerance, kBisectIterations,
        [](double, double) { return true; });
    EXPECT_FALSE(r.hit);
}

TEST(SolveRoot, NewtonWithRatesNeedsFewEvaluations) {
    int evaluations = 0;
    const auto f = [&](double t) {
        ++evaluations;
        return RootSample{std::sin(t) - 0.5, std::cos(t), true};
    };
    const double a = 0.0;
    const double b = 1.0;
    const double root = SolveRoot(a, f(a), b, f(b), f, 1e-12, 30);
    EXPECT_NEAR(root, std::asin(0.5), 1e-12);
    EXPECT_LE(evaluations, 2 + 5);
}

TEST(SolveRoot, FalsePositionWithoutRates) {
    int evaluations = 0;
    const auto f = [&](double t) {
        ++evaluations;
        return RootSample{t * t * t - 2.0, 0.0, false};
    };
    const double root = SolveRoot(0.0, f(0.0), 2.0, f(2.0), f, 1e-12, 60);
    EXPECT_NEAR(root, std::cbrt(2.0), 1e-10);
    EXPECT_LE(evaluations, 2 + 20);
}

TEST(QuickInterpolate, FindsTheRootOfAParabola) {
    // y(n) = (n - 0.3)(n + 3) sampled at n = -1, 0, 1.
    const auto y = [](double n) { return (n - 0.3) * (n + 3.0); };
    EXPECT_NEAR(QuickInterpolate(y(-1.0), y(0.0), y(1.0)), 0.3, 1e-6);
    EXPECT_EQ(QuickInterpolate(1.0, 1.0, 1.0), 0.0);
}

}  // namespace
}  // namespace meridia::dynamic
