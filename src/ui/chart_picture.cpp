#include "ui/chart_picture.h"

#include <QPainter>
#include <algorithm>

#include "astro/chart_table.h"
#include "startup/name_tables.h"
#include "textformats/zodiac_text.h"

namespace meridia::ui {

PictureResult PaintChartPicture(QPainter& painter, const QRectF& area,
                                const drawing::WheelRequest& request) {
    PictureResult result;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, request.background);
    drawing::WheelRequest drawn = request;
    drawn.progress = [&result](std::string_view text) {
        result.status = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    const auto layout = drawing::DrawChart(painter, area, drawn);
    painter.restore();
    if (!layout.ok()) {
        result.status = QString::fromStdString(layout.status().message());
        return result;
    }
    result.drawn = true;
    // A glyph answers the mouse within a circle about as wide as the glyphs are drawn.
    const double radius = std::max(6.0, layout->radius * 0.035);
    for (const drawing::LayoutChart& chart : layout->charts) {
        for (const drawing::LayoutPoint& point : chart.points) {
            result.spots.push_back({point.glyph_centre, radius, chart.slot, point.number});
        }
    }
    result.status = QStringLiteral("Ready");
    return result;
}

QString PointTooltip(int slot, int point) {
    const astro::ChartSlot& s = astro::Slot(slot);
    const auto i = static_cast<std::size_t>(point);
    QString text = QString::fromStdString(startup::Names().PointName(point, 1)) + "  " +
                   QString::fromStdString(textformats::FormatZodiacPosition(s.longitude[i]));
    if (s.retrograde[i] != 0) {
        text += QStringLiteral(" R");
    }
    if (s.house[i] > 0) {
        text += QStringLiteral(", house %1").arg(s.house[i]);
    }
    if (!s.record.data.name.empty()) {
        text += QStringLiteral(" (") + QString::fromStdString(s.record.data.name) + ')';
    }
    return text;
}

}  // namespace meridia::ui
