// Angle helpers shared by every calculation: reductions to a range and trigonometry in
// degrees. All angles are degrees; Int is the floor function throughout.
#pragma once

namespace meridia::astro {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDegToRad = kPi / 180.0;
inline constexpr double kRadToDeg = 180.0 / kPi;

// x - 360 Int(x / 360): [0, 360).
double Norm360(double x);
// x - 360 Int((x + 180) / 360): [-180, 180).
double Norm180(double x);
// x - m Int(x / m): [0, m) for m > 0.
double ModFloor(double x, double m);
// ModFloor(x + m/2, m) - m/2: [-m/2, m/2).
double SignedMod(double x, double m);
// The midpoint of the shorter arc from a to b (a, b in [0, 360)).
double ArcMidpoint(double a, double b);

double SinD(double degrees);
double CosD(double degrees);
double TanD(double degrees);
// Inverse functions in degrees. ArcSin and ArcCos clamp arguments beyond +-1 (rounding) and
// return the exact end values for +-1.
double ArcSin(double x);
double ArcCos(double x);
double ArcTanD(double x);
// The angle of the point (x, y), degrees in (-180, 180].
double ArcTan2(double y, double x);

}  // namespace meridia::astro
