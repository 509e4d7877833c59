// The geometry and colours shared by wheels, dials and grids: the dial mapping, the polar
// mapping to device points, the equal-house display, the spreading of crowded glyphs, and the
// adaptation of style colours to the background. Angles in degrees.
#pragma once

#include <QColor>
#include <QPointF>
#include <array>
#include <cstdint>
#include <vector>

namespace meridia::drawing {

// x reduced to [0, 360).
double Mod360(double x);

// The display angle of a longitude on a wheel (modulus 360: the longitude itself) or a dial of
// modulus M: (L * 360 / M) mod 360.
double DisplayAngle(double longitude, double modulus);

// The device point at display angle `angle` and radius r round the centre, with `zero` drawn
// at nine o'clock and angles growing counter-clockwise (device y grows downwards):
// (cx - r cos(angle - zero), cy + r sin(angle - zero)).
QPointF PolarToDevice(QPointF centre, double angle, double zero, double r);

// The equal-house display angle of a longitude in house h (1..12) of cusps c[1..12]: every
// house drawn 30 degrees wide from the first cusp.
double EqualHouseAngle(double longitude, int house, const std::array<double, 13>& cusps);

// Spreading of crowded glyphs. Input: minimum separation (degrees), modulus, the points'
// longitudes; `sorted` gives the indices in ascending display angle when the caller has them
// (empty: sorted here). The separation shrinks to 360 / n - 1 when n points could not keep
// it; at most 100 passes move each pair that is closer than 0.99 of it apart symmetrically.
struct SpreadResult {
    std::vector<double> angles;  // display angles after spreading, [0, 360), input order
    std::vector<int> order;      // indices in ascending (unspread) display angle
    double separation = 0.0;     // the separation used
    int passes = 0;
};
SpreadResult SpreadPoints(double min_separation, double modulus,
                          const std::vector<double>& longitudes,
                          const std::vector<int>& sorted = {});

// Colour adaptation against the background. Style colours are 0x00BBGGRR.
QColor ColourOf(std::uint32_t bgr);
// Lines and text: black becomes white on a dark background; with colour on, white stands for
// the background and dark colours on a dark background are brightened; with colour off,
// black on a light background and white on a dark one.
QColor AdaptLineColour(std::uint32_t bgr, const QColor& background, bool colour);
// Fills: white with colour off; unchanged on a light background; else each component c
// becomes 256 - c, at most 255. 0xFFFFFF stands for the background.
QColor AdaptFillColour(std::uint32_t bgr, const QColor& background, bool colour);
// A pen width of the style times the device scale, rounded, at least 1.
int ScalePenWidth(int width, double device_scale);

}  // namespace meridia::drawing
