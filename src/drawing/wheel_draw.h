// Chart wheels, dials and aspect grids drawn on a QPainter: one to five calculated charts of
// the calculated-chart table, laid out by a wheel style file (drawing/wheel_style.h), with the
// aspect lines of an aspect set among the points of a point selection. One code path serves
// the screen, images, SVG, PDF and the printer. Angles in degrees: longitudes in the charts'
// zodiac [0, 360); display angles [0, 360) after the dial mapping and the glyph spreading.
// Not thread-safe: it reads the session's chart table, settings and aspect sets.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "startup/status.h"

namespace meridia::drawing {

enum class DrawKind { kWheel, kDial, kGrid };

// Receives the progress texts in drawing order ("Drawing wheel frame...", "Drawing houses...",
// "Drawing planets...", "Drawing aspect lines..."; a grid: "Drawing grid frame...", "Drawing
// aspects...").
using ProgressFunction = std::function<void(std::string_view text)>;

struct WheelRequest {
    DrawKind kind = DrawKind::kWheel;
    // Slots of the calculated-chart table (astro/chart_table.h), 1 to 5 of them, the inner
    // chart first. Their count picks the style kind (".wh1".."wh5", ".di1".."di5"). A grid
    // shows the first chart against itself, or the first against the second.
    std::vector<int> chart_slots;
    // Style name or path; "" takes the settings' default style of the kind.
    std::string style;
    // Aspect set name or path; "" the chart aspect set in force.
    std::string aspect_set;
    // Point-list option (charts/point_list.h: a selection name or path, or "3,5-12,22"): the
    // displayed points; aspect lines join displayed points only. "" takes the displayed
    // selection of the settings for the points, and the aspected selection for the lines.
    std::string points;
    // The extra points in use (51 and up) are displayed and aspected besides the selections
    // of the settings (when `points` is empty; a point list names its points itself).
    bool extra_points = false;
    // The longitude drawn at nine o'clock. Unset: a wheel puts the first chart's Ascendant
    // there; a dial puts 0 Aries at twelve o'clock.
    std::optional<double> zero_longitude;
    // Background of the drawing: colours adapt to it; the area is filled with it when
    // fill_background is set.
    QColor background = QColor(255, 255, 255);
    bool fill_background = true;
    bool color = true;  // colour output; off draws black (or white) on the background
    // The chart information block of printed wheels, in the area's corners.
    bool chart_info = false;
    // Aspect lines with cosmetic (one device pixel) pens, as for drawing modes 3 and 4.
    bool cosmetic_aspect_pens = false;
    ProgressFunction progress;  // may be empty
};

// What was drawn, for callers that hit-test, list or check a drawing.
struct LayoutPoint {
    int number = 0;              // point number (1..100)
    double longitude = 0.0;      // the chart's longitude
    double display_angle = 0.0;  // spread angle at which the glyph was drawn, [0, 360)
    std::string label;           // the glyph text drawn (UTF-8)
    bool retrograde = false;
    QPointF glyph_centre;  // device position of the glyph
};

struct LayoutChart {
    int slot = 0;
    std::vector<LayoutPoint> points;  // displayed points in selection order
};

struct LayoutAspect {
    int chart_a = 1;  // 1-based chart of the request
    int point_a = 0;
    int chart_b = 1;
    int point_b = 0;
    int aspect = 0;  // aspect number in the set
};

struct WheelLayout {
    DrawKind kind = DrawKind::kWheel;
    std::string style;            // path of the style file drawn
    double modulus = 360.0;       // 360 for a wheel, the dial's modulus
    double zero_longitude = 0.0;  // longitude at nine o'clock
    std::vector<double> rings;    // ring radius fractions in style order
    std::vector<LayoutChart> charts;
    std::vector<LayoutAspect> aspects;
    QPointF centre;       // device centre of the wheel or grid
    double radius = 0.0;  // device radius R (a grid: its half-size)
};

// Draws a wheel or dial of the request's charts into the largest square centred in `area`
// (device units of the painter). Refused (nothing drawn) when a slot holds no calculated
// chart, when there are no or more than five slots, or when the point list cannot be read; a
// style that cannot be loaded gives the style loader's status (its message shown there).
startup::StatusOr<WheelLayout> DrawChartWheel(QPainter& painter, const QRectF& area,
                                              const WheelRequest& request);

// Draws the aspect grid of the request's first chart (or first against second) into `area`.
startup::StatusOr<WheelLayout> DrawAspectGrid(QPainter& painter, const QRectF& area,
                                              const WheelRequest& request);

// DrawChartWheel or DrawAspectGrid by request.kind.
startup::StatusOr<WheelLayout> DrawChart(QPainter& painter, const QRectF& area,
                                         const WheelRequest& request);

}  // namespace meridia::drawing
