#include "dynamic/refine.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace meridia::dynamic {

BisectResult Bisect(double jd1, double jd2, const std::function<bool(double)>& matches_end,
                    double tolerance, int max_iterations,
                    const std::function<bool(double, double)>& jump) {
    BisectResult result;
    double lower = jd1;
    double upper = jd2;
    bool lower_moved = false;
    bool upper_moved = false;
    result.converged = true;
    int iterations = 0;
    for (;;) {
        const double mid = 0.5 * (lower + upper);
        if (matches_end(mid)) {
            upper = mid;
            upper_moved = true;
        } else {
            lower = mid;
            lower_moved = true;
        }
        if (upper - lower < tolerance) {
            if (lower_moved && upper_moved && jump && jump(lower, upper)) {
                return result;  // no hit
            }
            break;
        }
        if (++iterations > max_iterations) {
            result.converged = false;
            break;
        }
    }
    result.hit = true;
    result.instant = 0.5 * (lower + upper) + (result.converged ? kSecondDays : 0.0);
    result.hit_ratio = jd2 != jd1 ? (result.instant - jd1) / (jd2 - jd1) : 0.0;
    return result;
}

double SolveRoot(double a, RootSample fa, double b, RootSample fb,
                 const std::function<RootSample(double)>& f, double tolerance, int max_evaluations,
                 RootSample* last, double* at) {
    if (fa.value == 0.0) {
        if (last != nullptr) {
            *last = fa;
        }
        if (at != nullptr) {
            *at = a;
        }
        return a;
    }
    if (fb.value == 0.0) {
        if (last != nullptr) {
            *last = fb;
        }
        if (at != nullptr) {
            *at = b;
        }
        return b;
    }
    // Keep lo with the sign of fa, hi with the sign of fb.
    double lo = a;
    double hi = b;
    RootSample flo = fa;
    RootSample fhi = fb;
    // First estimate: Newton from the nearer end when its rate is known, else false position.
    double t = lo - flo.value * (hi - lo) / (fhi.value - flo.value);
    if (fa.has_rate && fb.has_rate) {
        const double from_lo = fa.rate != 0.0 ? lo - fa.value / fa.rate : t;
        const double from_hi = fb.rate != 0.0 ? hi - fb.value / fb.rate : t;
        t = std::fabs(fa.value) < std::fabs(fb.value) ? from_lo : from_hi;
    }
    int side = 0;  // Illinois: which end was kept last time
    double best = t;
    double sampled_at = lo;
    RootSample best_sample = flo;
    for (int n = 0; n < max_evaluations; ++n) {
        if (!(t > lo && t < hi) && !(t < lo && t > hi)) {
            t = 0.5 * (lo + hi);
        }
        const RootSample s = f(t);
        best = t;
        sampled_at = t;
        best_sample = s;
        if (s.value == 0.0) {
            break;
        }
        const bool like_lo = (s.value < 0.0) == (flo.value < 0.0);
        if (like_lo) {
            lo = t;
            flo = s;
            if (side == -1) {
                fhi.value *= 0.5;
            }
            side = -1;
        } else {
            hi = t;
            fhi = s;
            if (side == 1) {
                flo.value *= 0.5;
            }
            side = 1;
        }
        double next = 0.0;
        if (s.has_rate && s.rate != 0.0) {
            next = t - s.value / s.rate;
        } else {
            next = lo - flo.value * (hi - lo) / (fhi.value - flo.value);
        }
        const double step = std::fabs(next - t);
        if (step < tolerance) {
            // Converged: the step is below the tolerance (and may be below the resolution of
            // the time value itself); the root stays inside the bracket.
            best = std::clamp(next, std::min(lo, hi), std::max(lo, hi));
            break;
        }
        if (std::fabs(hi - lo) < tolerance) {
            best = 0.5 * (lo + hi);
            break;
        }
        t = next;
    }
    if (last != nullptr) {
        *last = best_sample;
    }
    if (at != nullptr) {
        *at = sampled_at;
    }
    return best;
}

double QuickInterpolate(double y_minus, double y0, double y_plus) {
    const double a = y0 - y_minus;
    const double b = y_plus - y0;
    const double c = y_minus + y_plus - 2.0 * y0;
    if (a + b == 0.0) {
        return 0.0;
    }
    double n = 0.0;
    for (int i = 0; i < 26; ++i) {
        const double denominator = a + b + c * n;
        if (denominator == 0.0) {
            break;
        }
        const double next = -2.0 * y0 / denominator;
        const bool done = std::fabs(next - n) < 1e-6;
        n = next;
        if (done) {
            break;
        }
    }
    return n;
}

std::optional<double> LeastSquaresParabolaRoot(const std::vector<double>& x,
                                               const std::vector<double>& y, double max_distance) {
    if (x.size() < 3 || x.size() != y.size()) {
        return std::nullopt;
    }
    // Normal equations of y = a + b x + c x^2, solved by Cramer's rule.
    std::array<double, 5> s{};
    std::array<double, 3> t{};
    for (std::size_t i = 0; i < x.size(); ++i) {
        double power = 1.0;
        for (std::size_t k = 0; k < s.size(); ++k) {
            s[k] += power;
            if (k < t.size()) {
                t[k] += power * y[i];
            }
            power *= x[i];
        }
    }
    const auto det3 = [](double a11, double a12, double a13, double a21, double a22, double a23,
                         double a31, double a32, double a33) {
        return a11 * (a22 * a33 - a23 * a32) - a12 * (a21 * a33 - a23 * a31) +
               a13 * (a21 * a32 - a22 * a31);
    };
    const double d = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    if (d == 0.0) {
        return std::nullopt;
    }
    const double a = det3(t[0], s[1], s[2], t[1], s[2], s[3], t[2], s[3], s[4]) / d;
    const double b = det3(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / d;
    const double c = det3(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / d;
    if (b == 0.0) {
        return std::nullopt;
    }
    // Newton steps from the root of the line.
    double root = -a / b;
    for (int n = 0; n < 8; ++n) {
        const double slope = b + 2.0 * c * root;
        if (slope == 0.0) {
            return std::nullopt;
        }
        root -= (a + b * root + c * root * root) / slope;
    }
    if (!std::isfinite(root) || std::fabs(root) > max_distance) {
        return std::nullopt;
    }
    return root;
}

}  // namespace meridia::dynamic
