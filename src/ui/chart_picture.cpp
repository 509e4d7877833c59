#include "ui/chart_picture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>

#include "astro/chart_table.h"
#include "startup/name_tables.h"
#include "textformats/zodiac_text.h"

namespace meridia::ui {

namespace {

// The points a plain wheel shows: the Moon to Pluto, the node and the two main angles.
constexpr std::array<int, 13> kWheelPoints = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 20, 22, 23};

// The device position of a longitude on a circle: the Ascendant (zero longitude of the
// picture) at nine o'clock, longitudes counter-clockwise, device y downwards.
QPointF At(const QPointF& centre, double radius, double longitude, double zero_longitude) {
    const double a = qDegreesToRadians(180.0 + (longitude - zero_longitude));
    return {centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a)};
}

}  // namespace

PictureResult PaintChartPicture(QPainter& painter, const QRectF& area,
                                const PictureRequest& request) {
    PictureResult result;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, Qt::white);
    if (request.slots.empty()) {
        painter.restore();
        return result;
    }
    const double side = std::min(area.width(), area.height());
    const QPointF centre = area.center();
    const double outer = side * 0.47;
    const double sign_inner = outer * 0.86;
    const auto& names = startup::Names();
    const astro::ChartSlot& radix = astro::Slot(request.slots.front());
    // The Ascendant at nine o'clock (the first cusp when the chart has no Ascendant).
    const double asc = radix.longitude[static_cast<std::size_t>(astro::kAscendant)];
    const double zero = asc >= 0.0 ? asc : radix.cusps[1];

    QFont font = painter.font();
    font.setPixelSize(std::max(8, static_cast<int>(side / 45.0)));
    painter.setFont(font);

    painter.setPen(QPen(QColor(60, 60, 90), 1.2));
    painter.drawEllipse(centre, outer, outer);
    painter.drawEllipse(centre, sign_inner, sign_inner);
    static const std::array<QColor, 4> kElementColours = {
        QColor(255, 225, 215), QColor(225, 245, 215), QColor(245, 240, 210), QColor(215, 230, 250)};
    for (int sign = 0; sign < 12; ++sign) {
        const double from = sign * 30.0;
        QPainterPath sector;
        sector.moveTo(At(centre, sign_inner, from, zero));
        sector.lineTo(At(centre, outer, from, zero));
        const QRectF outer_box(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
        sector.arcTo(outer_box, 180.0 + from - zero, 30.0);
        sector.lineTo(At(centre, sign_inner, from + 30.0, zero));
        const QRectF inner_box(centre.x() - sign_inner, centre.y() - sign_inner, 2 * sign_inner,
                               2 * sign_inner);
        sector.arcTo(inner_box, 180.0 + from + 30.0 - zero, -30.0);
        painter.fillPath(sector, kElementColours[static_cast<std::size_t>(sign % 4)]);
        painter.drawLine(At(centre, sign_inner, from, zero), At(centre, outer, from, zero));
        const QPointF label = At(centre, (outer + sign_inner) / 2.0, from + 15.0, zero);
        const QString text = QString::fromStdString(names.SignName(sign + 1, true));
        painter.drawText(QRectF(label.x() - 20, label.y() - 10, 40, 20), Qt::AlignCenter, text);
    }
    painter.drawEllipse(centre, outer, outer);
    painter.drawEllipse(centre, sign_inner, sign_inner);

    // One ring per chart inside the sign ring, the radix innermost.
    const auto count = static_cast<int>(std::min<std::size_t>(request.slots.size(), 5));
    const double ring_width = sign_inner * 0.55 / count;
    const double hub = sign_inner - ring_width * count;
    painter.setPen(QPen(QColor(120, 120, 140), 1.0));
    for (int i = 1; i <= count; ++i) {
        painter.drawEllipse(centre, sign_inner - ring_width * i, sign_inner - ring_width * i);
    }
    for (int h = 1; h <= 12; ++h) {
        const double cusp = radix.cusps[static_cast<std::size_t>(h)];
        const bool angle = h == 1 || h == 4 || h == 7 || h == 10;
        painter.setPen(QPen(angle ? QColor(30, 30, 30) : QColor(150, 150, 170), angle ? 2.0 : 1.0));
        painter.drawLine(At(centre, hub * 0.2, cusp, zero), At(centre, sign_inner, cusp, zero));
    }
    for (int ring = 0; ring < count; ++ring) {
        const int slot_number = request.slots[static_cast<std::size_t>(count - 1 - ring)];
        const astro::ChartSlot& slot = astro::Slot(slot_number);
        const double radius = sign_inner - ring_width * (ring + 0.5);
        std::vector<std::pair<double, int>> placed;
        for (const int p : kWheelPoints) {
            const double lon = slot.longitude[static_cast<std::size_t>(p)];
            if (lon >= 0.0) {
                placed.emplace_back(lon, p);
            }
        }
        std::sort(placed.begin(), placed.end());
        double last = -100.0;
        painter.setPen(QPen(ring == count - 1 ? QColor(20, 20, 110) : QColor(120, 20, 20), 1.0));
        for (const auto& [lon, point] : placed) {
            const double shown = std::max(lon, last + 6.0);
            last = shown;
            const QPointF at = At(centre, radius, shown, zero);
            const QString text = QString::fromStdString(names.PointName(point, 0));
            painter.drawText(QRectF(at.x() - 15, at.y() - 9, 30, 18), Qt::AlignCenter, text);
            painter.drawLine(At(centre, sign_inner - ring_width * ring, lon, zero),
                             At(centre, sign_inner - ring_width * ring - 4.0, lon, zero));
            result.spots.push_back({at, 10.0, count - 1 - ring, point});
        }
    }
    result.status = QStringLiteral("Wheel drawn");
    painter.restore();
    return result;
}

QString PointTooltip(int slot, int point) {
    const astro::ChartSlot& s = astro::Slot(slot);
    const auto i = static_cast<std::size_t>(point);
    QString text = QString::fromStdString(startup::Names().PointName(point, 1)) + "  " +
                   QString::fromStdString(textformats::FormatZodiacPosition(s.longitude[i]));
    if (s.retrograde[i] != 0) {
        text += " R";
    }
    if (s.house[i] > 0) {
        text += QStringLiteral(", house %1").arg(s.house[i]);
    }
    return text;
}

}  // namespace meridia::ui
