// The aspect grid: the points of one chart against each other (the lower triangle), or the
// points of a first chart (rows) against those of a second (columns), each cell holding the
// aspect's glyph, its orb and "A" (applying) or "S" (separating).
#include <QFontMetricsF>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>
#include <map>

#include "aspects/aspect_manager.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "drawing/fonts.h"
#include "drawing/glyphs.h"
#include "drawing/wheel_draw.h"
#include "drawing/wheel_draw_internal.h"
#include "drawing/wheel_geometry.h"

namespace meridia::drawing {

namespace {

// Size factor of a grid label: 0.75 for two characters, 0.55 for three, 0.4 for four or more.
double GridLabelScale(const std::string& label) {
    const double s = LabelScale(label);
    if (s >= 1.0 || s == 0.75) {
        return s;
    }
    return s > 0.6 ? 0.55 : 0.4;
}

void CentredText(QPainter& p, const QRectF& cell, const std::string& text, const QFont& font,
                 const QColor& colour) {
    p.setFont(font);
    p.setPen(colour);
    p.drawText(cell, Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(text));
}

}  // namespace

startup::StatusOr<WheelLayout> DrawAspectGrid(QPainter& painter, const QRectF& area,
                                              const WheelRequest& request) {
    if (startup::Status s = CheckWheelCharts(request); !s.ok()) {
        return s;
    }
    auto points = ResolveWheelPoints(request);
    if (!points.ok()) {
        return points.status();
    }
    auto set = ResolveAspectSet(request.aspect_set);
    if (!set.ok()) {
        return set.status();
    }
    const bool synastry = request.chart_slots.size() >= 2;
    const int slot_a = request.chart_slots[0];
    const int slot_b = synastry ? request.chart_slots[1] : slot_a;

    WheelLayout layout;
    layout.kind = DrawKind::kGrid;
    layout.modulus = 360.0;
    const double side = std::min(area.width(), area.height());
    const double h = side * 0.5 * kWheelMarginFactor;
    layout.centre = area.center();
    layout.radius = h;
    layout.zero_longitude = 0.0;
    for (std::size_t c = 0; c < (synastry ? 2U : 1U); ++c) {
        LayoutChart chart;
        chart.slot = request.chart_slots[c];
        const astro::ChartSlot& slot = astro::Slot(chart.slot);
        for (const int p : points->per_chart[c]) {
            LayoutPoint lp;
            lp.number = p;
            lp.longitude = slot.longitude[static_cast<std::size_t>(p)];
            lp.display_angle = Mod360(lp.longitude);
            lp.retrograde = slot.retrograde[static_cast<std::size_t>(p)] != 0;
            lp.label = Glyphs().Point(p);
            chart.points.push_back(lp);
        }
        layout.charts.push_back(std::move(chart));
    }
    const std::vector<LayoutPoint>& rows = layout.charts[0].points;
    const std::vector<LayoutPoint>& cols = layout.charts[synastry ? 1 : 0].points;
    const int r = static_cast<int>(rows.size());
    const int c = static_cast<int>(cols.size());
    const int n = std::max(1, std::max(r, c));
    const double cell_w = 2.0 * h / (c + 1);
    const double cell_h = 2.0 * h / (r + 1);
    const double dpi = painter.device() != nullptr ? painter.device()->logicalDpiX() : 96.0;
    const double device_scale = dpi / 96.0;
    const double glyph_points = std::floor(2.0 * h / (n + 2)) * 0.9 * 72.0 / dpi;
    const QPointF origin(layout.centre.x() - h, layout.centre.y() - h);
    auto cell = [&](int row, int col) {
        return QRectF(origin.x() + col * cell_w, origin.y() + row * cell_h, cell_w, cell_h);
    };
    auto line = [&](std::uint32_t bgr) {
        return AdaptLineColour(bgr, request.background, request.color);
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (request.fill_background) {
        painter.fillRect(area, request.background);
    }
    if (request.progress) {
        request.progress("Drawing grid frame...");
    }
    QPen grid_pen(line(0x808080));
    grid_pen.setWidthF(std::max(1.0, std::round(device_scale)));
    painter.setPen(grid_pen);
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) {
            if (!synastry && j > i) {
                continue;
            }
            const QRectF box = cell(i + 1, j + 1);
            if (!synastry && i == j) {
                painter.fillRect(box, AdaptFillColour(0xEEEEEE, request.background, request.color));
            }
            painter.drawRect(box);
        }
    }
    for (int j = 0; j < c; ++j) {
        const std::string& label = cols[static_cast<std::size_t>(j)].label;
        CentredText(painter, cell(0, j + 1), label,
                    Fonts().SymbolFont(glyph_points * 0.85 * GridLabelScale(label), false, dpi),
                    line(FontManager::GetPointColor(cols[static_cast<std::size_t>(j)].number)));
    }
    for (int i = 0; i < r; ++i) {
        const std::string& label = rows[static_cast<std::size_t>(i)].label;
        CentredText(painter, cell(i + 1, 0), label,
                    Fonts().SymbolFont(glyph_points * 0.85 * GridLabelScale(label), false, dpi),
                    line(FontManager::GetPointColor(rows[static_cast<std::size_t>(i)].number)));
    }

    if (request.progress) {
        request.progress("Drawing aspects...");
    }
    aspects::ChartAspectsRequest ar;
    ar.slot_a = slot_a;
    ar.slot_b = synastry ? slot_b : 0;
    ar.selection = points->aspected;
    ar.partile = aspects::PartileRuleFromSettings();
    const auto found = aspects::FindChartAspects(*set, ar);
    std::map<int, int> row_of;
    std::map<int, int> col_of;
    for (int i = 0; i < r; ++i) {
        row_of[rows[static_cast<std::size_t>(i)].number] = i;
    }
    for (int j = 0; j < c; ++j) {
        col_of[cols[static_cast<std::size_t>(j)].number] = j;
    }
    const QFont glyph_font = Fonts().SymbolFont(glyph_points * 0.74 * 0.75, false, dpi);
    const QFont orb_font = Fonts().TextFont(glyph_points * 0.6 * 0.75, false, dpi);
    const QFont mark_font = Fonts().TextFont(glyph_points * 0.5 * 0.75, true, dpi);
    std::map<std::pair<int, int>, int> drawn;  // cell -> aspects already in it
    for (const aspects::ChartAspect& f : found) {
        layout.aspects.push_back({1, f.point_a, synastry ? 2 : 1, f.point_b, f.result.aspect});
        int i = 0;
        int j = 0;
        if (synastry) {
            i = row_of.at(f.point_a);
            j = col_of.at(f.point_b);
        } else {
            // The lower triangle: the later point's row, the earlier point's column.
            i = std::max(row_of.at(f.point_a), row_of.at(f.point_b));
            j = std::min(row_of.at(f.point_a), row_of.at(f.point_b));
        }
        // A second aspect in a cell (a parallel beside a longitude aspect) goes below it.
        const int k = drawn[{i, j}]++;
        if (k > 1) {
            continue;
        }
        const QRectF box = cell(i + 1, j + 1);
        // The first aspect of a cell in its upper left, a second one (a parallel beside a
        // longitude aspect) at the right below the mark.
        const QRectF upper =
            k == 0 ? QRectF(box.left(), box.top(), box.width() * 0.62, box.height() * 0.6)
                   : QRectF(box.left() + box.width() * 0.62, box.top() + box.height() * 0.35,
                            box.width() * 0.38, box.height() * 0.3);
        const aspects::AspectRecord& rec = set->Aspect(f.result.aspect);
        std::uint8_t g = 0;
        if (f.result.aspect == set->ParallelNumber()) {
            g = Glyphs().ParallelChar();
        } else if (f.result.aspect == set->ContraParallelNumber()) {
            g = Glyphs().ContraParallelChar();
        } else {
            g = Glyphs().AspectChar(rec.glyph, rec.angle);
        }
        const QColor colour = line(static_cast<std::uint32_t>(rec.colour));
        const std::string glyph = g != 0 ? SymbolText(g) : rec.abbreviation;
        CentredText(painter, upper, glyph, glyph_font, colour);
        if (k == 0) {
            const QRectF lower(box.left(), box.top() + box.height() * 0.6, box.width(),
                               box.height() * 0.4);
            const int orb_minutes =
                static_cast<int>(std::lround(std::fabs(f.result.deviation) * 60));
            char text[16] = {};
            std::snprintf(text, sizeof text, "%d%s%02d", orb_minutes / 60, "\xC2\xB0",
                          orb_minutes % 60);
            CentredText(painter, lower, text, orb_font, line(0x303030));
            const QRectF mark(box.left() + box.width() * 0.6, box.top(), box.width() * 0.4,
                              box.height() * 0.5);
            CentredText(painter, mark, f.result.applying ? "A" : "S", mark_font, line(0x505050));
        }
    }
    painter.restore();
    return layout;
}

}  // namespace meridia::drawing
