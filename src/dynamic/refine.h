// The numerics of the dynamic search: the bisection that turns a bracketed contact into the
// reported instant (tolerance 0.5 s, at most 40 halvings, the final bracket's midpoint plus one
// second), a bracketed root solver that finds the true instant of a crossing with few
// evaluations, and the quadratic interpolation of the calendar's quick refinement.
// Times are Julian days (any scale, the caller's); values in the caller's unit.
#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace meridia::dynamic {

inline constexpr double kSecondDays = 1.0 / 86400.0;
inline constexpr double kBisectTolerance = 0.5 * kSecondDays;  // 5.787037037037037e-6 day
inline constexpr int kBisectIterations = 40;

struct BisectResult {
    bool hit = false;        // false: the change of sign was a jump, not a crossing
    bool converged = false;  // false after more than max_iterations halvings
    double instant = 0.0;    // midpoint of the final bracket plus one second
    double hit_ratio = 0.0;  // (instant - jd1) / (jd2 - jd1)
};

// Bisection of [jd1, jd2]: `matches_end(t)` is true when the state at t already matches the
// state at the end of the bracket (the upper end moves to t), false otherwise (the lower end
// moves). `jump(lower, upper)`, when given, is asked once the bracket is narrower than the
// tolerance and both ends have moved: true means the sign change was a wrap of the compared
// angle and there is no hit.
BisectResult Bisect(double jd1, double jd2, const std::function<bool(double)>& matches_end,
                    double tolerance = kBisectTolerance, int max_iterations = kBisectIterations,
                    const std::function<bool(double, double)>& jump = {});

// One evaluation of a function whose root is sought: its value and, when known, its rate.
struct RootSample {
    double value = 0.0;
    double rate = 0.0;
    bool has_rate = false;
};

// The root of f on [a, b], where f(a) and f(b) have opposite signs or one is 0 (fa, fb are the
// samples at the ends): Newton steps where the rate is known, otherwise the Illinois variant
// of false position, every step kept inside the shrinking bracket (a bisection step when a
// step would leave it). Stops when the step is below `tolerance` days or after max_evaluations;
// `last` receives the last sample taken and `at` its instant (the end a when none was taken).
double SolveRoot(double a, RootSample fa, double b, RootSample fb,
                 const std::function<RootSample(double)>& f, double tolerance, int max_evaluations,
                 RootSample* last = nullptr, double* at = nullptr);

// The root nearest x = 0 of the parabola fitted by least squares to the samples (x[i], y[i]) (at
// least three, x centred near 0): the zero of a noisy quantity that changes sign near x = 0.
// Nothing when the fit has no root within max_distance of 0.
std::optional<double> LeastSquaresParabolaRoot(const std::vector<double>& x,
                                               const std::vector<double>& y, double max_distance);

// The calendar's quick estimate: with the normalised differences y_minus, y0, y_plus at the
// start, middle and end of a step, the root of the interpolating parabola as a fraction n of
// the half step from the middle (n in about -1..1): n <- -2 y0 / (a + b + c n), a = y0 -
// y_minus, b = y_plus - y0, c = y_minus + y_plus - 2 y0, from n = 0 until it changes by less
// than 1e-6 or 26 times; 0 when a + b = 0.
double QuickInterpolate(double y_minus, double y0, double y_plus);

}  // namespace meridia::dynamic
