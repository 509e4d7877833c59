#include "astro/angles.h"

#include <cmath>

namespace meridia::astro {

double ModFloor(double x, double m) {
    const double r = x - m * std::floor(x / m);
    // A tiny negative x rounds to exactly m; keep the result inside [0, m).
    return r >= m ? r - m : r;
}

double Norm360(double x) { return ModFloor(x, 360.0); }

double Norm180(double x) { return x - 360.0 * std::floor((x + 180.0) / 360.0); }

double SignedMod(double x, double m) { return ModFloor(x + m / 2.0, m) - m / 2.0; }

double ArcMidpoint(double a, double b) {
    if (std::fabs(b - a) < 180.0) {
        return (a + b) / 2.0;
    }
    return Norm360((a + b + 360.0) / 2.0);
}

double SinD(double degrees) { return std::sin(degrees * kDegToRad); }

double CosD(double degrees) { return std::cos(degrees * kDegToRad); }

double TanD(double degrees) { return std::tan(degrees * kDegToRad); }

double ArcSin(double x) {
    if (x >= 1.0) {
        return 90.0;
    }
    if (x <= -1.0) {
        return -90.0;
    }
    return std::asin(x) * kRadToDeg;
}

double ArcCos(double x) {
    if (x >= 1.0) {
        return 0.0;
    }
    if (x <= -1.0) {
        return 180.0;
    }
    return std::acos(x) * kRadToDeg;
}

double ArcTanD(double x) { return std::atan(x) * kRadToDeg; }

double ArcTan2(double y, double x) { return std::atan2(y, x) * kRadToDeg; }

}  // namespace meridia::astro
