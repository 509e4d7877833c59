// The chart picture of a view: the wheel, dial or aspect grid of one to five calculated charts
// drawn by the drawing library on a QPainter (screen, image, SVG, PDF or printer alike), and
// where each point's glyph landed so that the view can name the point under the mouse.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

#include "drawing/wheel_draw.h"

class QPainter;

namespace meridia::ui {

// A drawn glyph: its centre and radius in device units, and the point it stands for.
struct GlyphSpot {
    QPointF centre;
    double radius = 0.0;
    int slot = 0;
    int point = 0;
};

struct PictureResult {
    bool drawn = false;
    std::vector<GlyphSpot> spots;
    QString status;  // the last progress text, for the status line
};

// Draws the request into the area (device units). A request the drawing library refuses
// leaves a blank area and its reason in `status`.
PictureResult PaintChartPicture(QPainter& painter, const QRectF& area,
                                const drawing::WheelRequest& request);

// "Sun  23 Pi 30'28\" R, house 10" for the point of a slot.
QString PointTooltip(int slot, int point);

}  // namespace meridia::ui
