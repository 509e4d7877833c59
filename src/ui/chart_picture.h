// The chart picture of a view: the wheel, dial or aspect grid of one to five calculated charts
// painted on a QPainter (screen, image, SVG, PDF or printer alike), and where each point's glyph
// landed so that the view can name the point under the mouse.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

namespace meridia::ui {

enum class PictureKind { kWheel, kDial, kGrid };

struct PictureRequest {
    std::vector<int> slots;  // calculated-chart slots, the radix first (1 to 5)
    PictureKind kind = PictureKind::kWheel;
};

// A drawn glyph: its centre and radius in device units, and the point it stands for.
struct GlyphSpot {
    QPointF centre;
    double radius = 0.0;
    int chart_index = 0;  // index into PictureRequest::slots
    int point = 0;
};

struct PictureResult {
    std::vector<GlyphSpot> spots;
    QString status;  // what was drawn, for the status line
};

// Paints the request into the area (device units) with anti-aliasing.
PictureResult PaintChartPicture(QPainter& painter, const QRectF& area,
                                const PictureRequest& request);

// "Sun 23°Pi47' R, house 10" for the point of a slot.
QString PointTooltip(int slot, int point);

}  // namespace meridia::ui
