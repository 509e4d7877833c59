#include "drawing/wheel_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace meridia::drawing {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr int kMaxSpreadPasses = 100;

int Brightness(const QColor& c) { return std::max({c.red(), c.green(), c.blue()}); }

}  // namespace

double Mod360(double x) {
    double r = std::fmod(x, 360.0);
    if (r < 0.0) {
        r += 360.0;
    }
    // fmod of a tiny negative value plus 360 rounds to 360 itself.
    return r >= 360.0 ? 0.0 : r;
}

double DisplayAngle(double longitude, double modulus) {
    if (modulus == 360.0) {
        return Mod360(longitude);
    }
    return Mod360(longitude * 360.0 / modulus);
}

QPointF PolarToDevice(QPointF centre, double angle, double zero, double r) {
    const double a = (angle - zero) * kRadiansPerDegree;
    return {centre.x() - r * std::cos(a), centre.y() + r * std::sin(a)};
}

double EqualHouseAngle(double longitude, int house, const std::array<double, 13>& cusps) {
    if (house < 1 || house > 12) {
        return Mod360(longitude);
    }
    const auto h = static_cast<std::size_t>(house);
    const double width = Mod360(cusps[h % 12 + 1] - cusps[h]);
    const double f = width > 0.0 ? Mod360(longitude - cusps[h]) / width : 0.0;
    return Mod360(Mod360((house - 1) * 30.0 + cusps[1]) + 30.0 * f);
}

SpreadResult SpreadPoints(double min_separation, double modulus,
                          const std::vector<double>& longitudes, const std::vector<int>& sorted) {
    SpreadResult result;
    const auto n = longitudes.size();
    result.angles.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        result.angles[i] = DisplayAngle(longitudes[i], modulus);
    }
    if (sorted.size() == n && n > 0) {
        result.order = sorted;
    } else {
        result.order.resize(n);
        std::iota(result.order.begin(), result.order.end(), 0);
        std::stable_sort(result.order.begin(), result.order.end(), [&](int a, int b) {
            return result.angles[static_cast<std::size_t>(a)] <
                   result.angles[static_cast<std::size_t>(b)];
        });
    }
    double s = min_separation;
    if (n == 0) {
        result.separation = s;
        return result;
    }
    const double count = static_cast<double>(n);
    if (360.0 / count - 1.0 < s) {
        s = 360.0 / count - 1.0;
    }
    result.separation = s;
    if (n < 2) {
        return result;
    }
    const double wrap = 360.0 - (count - 1.0) * s * 0.5;
    for (int pass = 1; pass <= kMaxSpreadPasses; ++pass) {
        bool changed = false;
        for (std::size_t i = 0; i < n; ++i) {
            const auto a = static_cast<std::size_t>(result.order[i]);
            const auto b = static_cast<std::size_t>(result.order[(i + 1) % n]);
            double d = Mod360(result.angles[b] - result.angles[a]);
            if (d > wrap) {
                d -= 360.0;
            }
            if (d < s * 0.99) {
                const double shift = (s - d) * 0.5;
                result.angles[a] = Mod360(result.angles[a] - shift);
                result.angles[b] = Mod360(result.angles[b] + shift);
                changed = true;
            }
        }
        result.passes = pass;
        if (!changed) {
            break;
        }
    }
    return result;
}

QColor ColourOf(std::uint32_t bgr) {
    return {static_cast<int>(bgr & 0xFFU), static_cast<int>((bgr >> 8) & 0xFFU),
            static_cast<int>((bgr >> 16) & 0xFFU)};
}

QColor AdaptLineColour(std::uint32_t bgr, const QColor& background, bool colour) {
    const bool dark_background = Brightness(background) <= 128;
    bgr &= 0xFFFFFFU;
    if (bgr == 0) {
        return dark_background ? QColor(255, 255, 255) : QColor(0, 0, 0);
    }
    if (!colour) {
        return dark_background ? QColor(255, 255, 255) : QColor(0, 0, 0);
    }
    if (bgr == 0xFFFFFFU) {
        return background;
    }
    QColor c = ColourOf(bgr);
    const int m = Brightness(c);
    if (dark_background && m <= 128 && m > 0) {
        const double k = static_cast<double>(255 - m) / m;
        auto scale = [k](int v) { return std::min(255, static_cast<int>(std::lround(v * k))); };
        c = QColor(scale(c.red()), scale(c.green()), scale(c.blue()));
    }
    return c;
}

QColor AdaptFillColour(std::uint32_t bgr, const QColor& background, bool colour) {
    if (!colour) {
        return {255, 255, 255};
    }
    bgr &= 0xFFFFFFU;
    if (bgr == 0xFFFFFFU) {
        return background;
    }
    const QColor c = ColourOf(bgr);
    if (Brightness(background) > 128) {
        return c;
    }
    auto flip = [](int v) { return std::min(255, 256 - v); };
    return {flip(c.red()), flip(c.green()), flip(c.blue())};
}

int ScalePenWidth(int width, double device_scale) {
    return std::max(1, static_cast<int>(std::lround(width * device_scale)));
}

}  // namespace meridia::drawing
