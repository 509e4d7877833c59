// The painter of one wheel or dial drawing, shared by the wheel's steps (frame, houses,
// points, aspect lines) and the chart information block. Internal to the drawing library.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPen>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "aspects/aspect_set.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "charts/point_selection.h"
#include "drawing/wheel_draw.h"
#include "drawing/wheel_style.h"

namespace meridia::drawing {

// The part of half the drawing area that the wheel radius takes.
inline constexpr double kWheelMarginFactor = 0.97;

// Checks that the request names 1 to 5 slots that hold calculated charts.
startup::Status CheckWheelCharts(const WheelRequest& request);

// The points of a request: the displayed selection, the aspected points among them, and the
// displayed points of each chart (those with a position) in point order.
struct WheelPoints {
    charts::PointSelection displayed;
    charts::PointSelection aspected;
    std::vector<std::vector<int>> per_chart;
};
startup::StatusOr<WheelPoints> ResolveWheelPoints(const WheelRequest& request);

// The aspect set of a request: the chart set in force ("") or the named one.
startup::StatusOr<aspects::AspectSet> ResolveAspectSet(const std::string& name);

// The size factor of a label: 1 for one character, 0.75 for two, 0.667 for three, 0.5 for
// four or more.
double LabelScale(const std::string& label);

class WheelPainter {
public:
    WheelPainter(QPainter& painter, const QRectF& area, const WheelStyle& style,
                 const WheelRequest& request);

    void SetCharts(std::vector<int> chart_slots, std::vector<std::vector<int>> displayed) {
        slots_ = std::move(chart_slots);
        displayed_ = std::move(displayed);
        chart_count_ = static_cast<int>(slots_.size());
    }
    // Longitude at nine o'clock.
    void SetZero(double zero_longitude) {
        zero_angle_ = equal_houses_ ? zero_longitude : DisplayAngleOf(zero_longitude);
    }

    void DrawFrame();
    void DrawHouses();
    void SpreadChart(int chart, LayoutChart& out);
    void DrawPoints(WheelLayout& layout);
    void DrawAspects(WheelLayout& layout, const aspects::AspectSet& set,
                     const std::vector<aspects::ChartAspect>& found, int chart_a, int chart_b);
    void DrawChartInfo();

    QPointF centre() const { return centre_; }
    double radius() const { return radius_; }
    double RingRadius(int ring) const;

private:
    // The inner and outer radius of an element's band between two rings; nothing when one of
    // its ring numbers is not set (the element is not drawn).
    struct Band {
        double inner = 0.0;
        double outer = 0.0;
    };
    std::optional<Band> BandOf(int ring_a, int ring_b) const;
    // Sign 1..12, whole degrees 0..29 and minutes 0..59 of a longitude, as the wheel writes them.
    struct LongitudeParts {
        int sign = 1;
        int degrees = 0;
        int minutes = 0;
    };
    static LongitudeParts SplitLongitude(double longitude);
    double DisplayAngleOf(double longitude) const;
    QColor Line(std::uint32_t bgr) const;
    QPen MakePen(int style, int width, std::uint32_t bgr, bool cosmetic) const;
    QPointF At(double display_angle, double r) const;
    double AngleOf(double longitude, const astro::ChartSlot& slot) const;
    void Text(const QPointF& at, const std::string& text, const QFont& font, const QColor& colour);
    void Progress(std::string_view text) const;
    void DrawDialMarks();
    void DrawScale(const ScaleElement& e, int chart);
    void DrawCuspLines(const CuspLineElement& e, const astro::ChartSlot& slot);
    void DrawCuspText(const CuspTextElement& e, const astro::ChartSlot& slot);
    void DrawHouseNumbers(const HouseNumberElement& e, const astro::ChartSlot& slot);
    // Which points a point-ring block draws: all, the fixed points 1..50, or the extra points.
    enum class RingPoints { kAll, kFixed, kExtra };
    // True when the chart's second point-ring block is its extra ring: both blocks are set.
    bool HasExtraRing(int chart) const;
    void DrawPointRing(const PointRingBlock& b, const astro::ChartSlot& slot, LayoutChart& chart,
                       RingPoints which);

    QPainter& p_;
    const WheelStyle& style_;
    const WheelRequest& request_;
    QPointF centre_;
    double radius_ = 0.0;
    double scale_ = 1.0;  // device pixels per reference pixel
    double dpi_ = 96.0;   // the resolution the style's point sizes are set for
    double modulus_ = 360.0;
    double zero_angle_ = 0.0;  // display angle at nine o'clock
    bool equal_houses_ = false;
    bool fills_ = true;
    bool geometric_ = true;
    std::vector<int> slots_;
    std::vector<std::vector<int>> displayed_;
    int chart_count_ = 0;
};

}  // namespace meridia::drawing
