// Drawing of wheels and dials: the ring frame with its zodiac and degree scale, the houses,
// the point rings with spread glyphs, and the aspect lines, in that order, as the style says.
#include "drawing/wheel_draw.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "aspects/aspect_manager.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "charts/point_list.h"
#include "drawing/fonts.h"
#include "drawing/glyphs.h"
#include "drawing/wheel_draw_internal.h"
#include "drawing/wheel_geometry.h"
#include "drawing/wheel_style.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::drawing {

namespace {

using startup::Status;
using startup::StatusCode;

// The size a style's point sizes are meant for: a wheel radius of 485 pixels at 96 dots per
// inch (a 1000-pixel picture). Fonts and pens scale with the wheel, so a wheel looks the same
// at every size.
constexpr double kReferenceRadius = 485.0;
// Glyphs closer than this are spread apart (degrees of the display circle).
constexpr double kWheelSeparation = 6.0;
constexpr double kAspectGlyphPoints = 8.25;

Qt::PenStyle PenStyleOf(int style) {
    switch (style) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        case 5:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

int CodePoints(const std::string& utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
    }));
}

// House (1..12) of a longitude among the cusps.
int HouseOf(double longitude, const std::array<double, 13>& cusps) {
    for (int h = 1; h <= 12; ++h) {
        const auto i = static_cast<std::size_t>(h);
        const double width = Mod360(cusps[i % 12 + 1] - cusps[i]);
        if (Mod360(longitude - cusps[i]) < width) {
            return h;
        }
    }
    return 1;
}

}  // namespace

double LabelScale(const std::string& label) {
    const int n = CodePoints(label);
    if (n <= 1) {
        return 1.0;
    }
    if (n == 2) {
        return 0.75;
    }
    if (n == 3) {
        return 0.667;
    }
    return 0.5;
}

WheelPainter::WheelPainter(QPainter& painter, const QRectF& area, const WheelStyle& style,
                           const WheelRequest& request)
    : p_(painter), style_(style), request_(request) {
    const double side = std::min(area.width(), area.height());
    centre_ = area.center();
    radius_ = side * 0.5 * kWheelMarginFactor;
    scale_ = radius_ / kReferenceRadius;
    dpi_ = 96.0 * scale_;
    modulus_ = static_cast<double>(style.modulus);
    const auto& settings = startup::CurrentSession().settings();
    equal_houses_ = settings.GetBool("NonPropHouses") && !style.IsDial();
    fills_ = settings.GetBool("WheelFills");
    geometric_ = settings.GetBool("GeometricPens");
}

double WheelPainter::RingRadius(int ring) const {
    if (ring < 1 || ring > style_.ring_count) {
        return 0.0;
    }
    return radius_ * static_cast<double>(style_.rings[static_cast<std::size_t>(ring - 1)].radius);
}

std::optional<WheelPainter::Band> WheelPainter::BandOf(int ring_a, int ring_b) const {
    if (ring_a == 0 || ring_b == 0) {
        return std::nullopt;
    }
    const double a = RingRadius(ring_a);
    const double b = RingRadius(ring_b);
    return Band{std::min(a, b), std::max(a, b)};
}

WheelPainter::LongitudeParts WheelPainter::SplitLongitude(double longitude) {
    const double in_sign = std::fmod(longitude, 30.0);
    LongitudeParts parts;
    parts.sign = static_cast<int>(longitude / 30.0) % 12 + 1;
    parts.degrees = std::clamp(static_cast<int>(in_sign), 0, 29);
    parts.minutes = std::clamp(static_cast<int>((in_sign - parts.degrees) * 60.0), 0, 59);
    return parts;
}

QColor WheelPainter::Line(std::uint32_t bgr) const {
    return AdaptLineColour(bgr, request_.background, request_.color);
}

QPen WheelPainter::MakePen(int style, int width, std::uint32_t bgr, bool cosmetic) const {
    QPen pen(Line(bgr));
    pen.setStyle(PenStyleOf(style));
    if (cosmetic || !geometric_) {
        pen.setWidth(0);
    } else {
        pen.setWidthF(std::max(1.0, width * scale_));
    }
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

double WheelPainter::DisplayAngleOf(double longitude) const {
    return DisplayAngle(longitude, modulus_);
}

QPointF WheelPainter::At(double display_angle, double r) const {
    return PolarToDevice(centre_, display_angle, zero_angle_, r);
}

double WheelPainter::AngleOf(double longitude, const astro::ChartSlot& slot) const {
    if (equal_houses_) {
        return EqualHouseAngle(longitude, HouseOf(longitude, slot.cusps), slot.cusps);
    }
    return DisplayAngle(longitude, modulus_);
}

void WheelPainter::Text(const QPointF& at, const std::string& text, const QFont& font,
                        const QColor& colour) {
    p_.setFont(font);
    p_.setPen(colour);
    const QString s = QString::fromStdString(text);
    const QFontMetricsF fm(font);
    const double w = fm.horizontalAdvance(s);
    // Centred on the point: the box of ascent and descent, so that digits and glyphs of one
    // size line up on a circle.
    p_.drawText(QPointF(at.x() - w / 2.0, at.y() + (fm.ascent() - fm.descent()) / 2.0), s);
}

void WheelPainter::Progress(std::string_view text) const {
    if (request_.progress) {
        request_.progress(text);
    }
}

void WheelPainter::DrawFrame() {
    Progress("Drawing wheel frame...");
    for (int i = 1; i <= style_.ring_count; ++i) {
        const StyleRing& ring = style_.rings[static_cast<std::size_t>(i - 1)];
        if (ring.visible == kOff) {
            continue;
        }
        const double r = RingRadius(i);
        const QRectF box(QPointF(std::round(centre_.x() - r), std::round(centre_.y() - r)),
                         QPointF(std::round(centre_.x() + r), std::round(centre_.y() + r)));
        p_.setPen(ring.pen_style == 5
                      ? QPen(Qt::NoPen)
                      : MakePen(ring.pen_style, ring.pen_width, ring.pen_colour, false));
        if (ring.filled != kOff && fills_) {
            p_.setBrush(AdaptFillColour(ring.fill_colour, request_.background, request_.color));
        } else {
            p_.setBrush(Qt::NoBrush);
        }
        p_.drawEllipse(box);
    }
    p_.setBrush(Qt::NoBrush);
    for (int set = 0; set < kElementSets; ++set) {
        for (int chart = 1; chart <= chart_count_; ++chart) {
            DrawScale(style_.scales[static_cast<std::size_t>(set * kMaxWheelCharts + chart - 1)],
                      chart);
        }
    }
    if (style_.IsDial()) {
        DrawDialMarks();
        const double r = radius_ * 0.005;
        p_.setPen(Qt::NoPen);
        p_.setBrush(Line(0));
        p_.drawEllipse(centre_, std::max(r, 1.5), std::max(r, 1.5));
        p_.setBrush(Qt::NoBrush);
    }
}

void WheelPainter::DrawDialMarks() {
    const double outer = RingRadius(1) > 0.0 ? RingRadius(2) : radius_;
    if (style_.dial_pointer != kOff) {
        // The pointer: a triangle inside the scale at the dial's zero, pointing at it.
        const double a = DisplayAngle(0.0, modulus_);
        const double tip = outer * 0.935;
        const double base = outer * 0.88;
        QPainterPath path;
        path.moveTo(At(a, tip));
        path.lineTo(At(a - 1.6, base));
        path.lineTo(At(a + 1.6, base));
        path.closeSubpath();
        p_.setPen(Qt::NoPen);
        p_.setBrush(Line(0x2B39C0));
        p_.drawPath(path);
        p_.setBrush(Qt::NoBrush);
    }
    if (style_.harmonic_marks != kOff) {
        QPen pen = MakePen(2, 1, 0x808080, false);
        p_.setPen(pen);
        const double inner = RingRadius(style_.ring_count);
        for (int k = 0; k < 8; ++k) {
            const double a = k * 45.0;
            p_.drawLine(At(a, inner), At(a, outer));
        }
    }
}

void WheelPainter::DrawScale(const ScaleElement& e, int chart) {
    const std::optional<Band> found = BandOf(e.ring_a, e.ring_b);
    if (!found) {
        return;
    }
    const astro::ChartSlot& slot = astro::Slot(slots_[static_cast<std::size_t>(chart - 1)]);
    const double ra = found->inner;
    const double rb = found->outer;
    const double band = rb - ra;
    const bool dial = style_.IsDial();
    if ((e.content & kScaleSignGlyphs) != 0 && e.fill_signs != kOff && !dial) {
        p_.setPen(Qt::NoPen);
        for (int sign = 1; sign <= 12; ++sign) {
            QPainterPath path;
            const double a0 = AngleOf((sign - 1) * 30.0, slot);
            double a1 = AngleOf(sign * 30.0, slot);
            if (a1 <= a0) {
                a1 += 360.0;
            }
            const int steps = 24;
            path.moveTo(At(a0, rb));
            for (int k = 1; k <= steps; ++k) {
                path.lineTo(At(a0 + (a1 - a0) * k / steps, rb));
            }
            for (int k = steps; k >= 0; --k) {
                path.lineTo(At(a0 + (a1 - a0) * k / steps, ra));
            }
            path.closeSubpath();
            p_.setBrush(AdaptFillColour(FontManager::SignColor(sign, true), request_.background,
                                        request_.color));
            p_.drawPath(path);
        }
        p_.setBrush(Qt::NoBrush);
    }
    // Degree ticks: every minor step; longer at the middle and major intervals.
    if ((e.content & kScaleTicks) != 0) {
        const double minor = static_cast<double>(e.middle_interval) / e.subdivisions;
        const int count = static_cast<int>(std::lround(modulus_ / minor));
        QPen pen = MakePen(0, 1, 0x505050, false);
        pen.setWidthF(std::max(0.6, 0.8 * scale_));
        p_.setPen(pen);
        for (int k = 0; k < count; ++k) {
            const double lon = k * minor;
            double length = e.minor_length;
            if (std::fabs(std::remainder(lon, e.major_interval)) < 1e-9) {
                length = e.major_length;
            } else if (std::fabs(std::remainder(lon, e.middle_interval)) < 1e-9) {
                length = e.middle_length;
            }
            const double a = AngleOf(lon, slot);
            if (e.ticks_inward != kOff) {
                p_.drawLine(At(a, rb), At(a, rb - band * length));
            } else {
                p_.drawLine(At(a, ra), At(a, ra + band * length));
            }
        }
    }
    if ((e.content & kScaleSignLines) != 0) {
        const double step = 30.0;
        const int count = static_cast<int>(std::lround(modulus_ / step));
        QPen pen = MakePen(0, 1, 0x404040, false);
        pen.setWidthF(std::max(0.8, e.line_factor * scale_));
        p_.setPen(pen);
        for (int k = 0; k < count; ++k) {
            const double a = AngleOf(k * step, slot);
            p_.drawLine(At(a, ra), At(a, rb));
        }
    }
    if ((e.content & kScaleSignGlyphs) != 0 && !dial) {
        const QFont font = Fonts().SymbolFont(e.glyph_size, e.bold != kOff, dpi_);
        for (int sign = 1; sign <= 12; ++sign) {
            const double a = AngleOf((sign - 1) * 30.0 + 15.0, slot);
            const std::uint32_t colour =
                e.element_colours != kOff ? FontManager::SignColor(sign, false) : 0;
            Text(At(a, ra + band * e.glyph_position), Glyphs().Sign(sign), font, Line(colour));
        }
    }
    if ((e.content & kScaleNumbers) != 0 && e.number_mode != kNumbersNone &&
        e.number_factor > 0.0F) {
        const QFont font = Fonts().TextFont(
            std::max(3.75, static_cast<double>(e.glyph_size * e.number_factor)), false, dpi_);
        const int count = static_cast<int>(std::lround(modulus_ / e.number_interval));
        for (int k = 0; k < count; ++k) {
            const double lon = k * static_cast<double>(e.number_interval);
            int value = static_cast<int>(std::lround(lon));
            if (e.number_mode == kNumbersInSign) {
                value %= 30;
            }
            const double a = AngleOf(lon, slot);
            Text(At(a, ra + band * e.glyph_position), std::to_string(value), font, Line(0x303030));
        }
    }
}

void WheelPainter::DrawHouses() {
    Progress("Drawing houses...");
    for (int chart = 1; chart <= chart_count_; ++chart) {
        const astro::ChartSlot& slot = astro::Slot(slots_[static_cast<std::size_t>(chart - 1)]);
        for (int set = 0; set < kElementSets; ++set) {
            const auto i = static_cast<std::size_t>(set * kMaxWheelCharts + chart - 1);
            DrawCuspLines(style_.cusp_lines[i], slot);
        }
        for (int set = 0; set < kElementSets; ++set) {
            const auto i = static_cast<std::size_t>(set * kMaxWheelCharts + chart - 1);
            DrawCuspText(style_.cusp_texts[i], slot);
        }
        for (int set = 0; set < kElementSets; ++set) {
            const auto i = static_cast<std::size_t>(set * kMaxWheelCharts + chart - 1);
            DrawHouseNumbers(style_.house_numbers[i], slot);
        }
    }
}

void WheelPainter::DrawCuspLines(const CuspLineElement& e, const astro::ChartSlot& slot) {
    const std::optional<Band> found = BandOf(e.ring_a, e.ring_b);
    if (!found) {
        return;
    }
    const double ra = found->inner;
    const double rb = found->outer;
    for (int h = 1; h <= 12; ++h) {
        const bool angle = h == 1 || h == 4 || h == 7 || h == 10;
        const std::size_t k = angle ? 0 : 1;
        if (e.show[k] == kOff) {
            continue;
        }
        const double a = AngleOf(slot.cusps[static_cast<std::size_t>(h)], slot);
        p_.setPen(MakePen(e.pen_style[k], e.pen_width[k], e.colour[k], false));
        p_.drawLine(At(a, ra), At(a, ra + (rb - ra) * e.length[k]));
    }
}

void WheelPainter::DrawCuspText(const CuspTextElement& e, const astro::ChartSlot& slot) {
    const std::optional<Band> found = BandOf(e.ring_a, e.ring_b);
    if (!found) {
        return;
    }
    const double ra = found->inner;
    const double rb = found->outer;
    const double band = rb - ra;
    const QFont degree_font = Fonts().TextFont(e.degree_size, true, dpi_);
    const QFont minute_font = Fonts().TextFont(e.minute_size, false, dpi_);
    const QFont sign_font = Fonts().SymbolFont(e.sign_size, false, dpi_);
    const QFontMetricsF dm(degree_font);
    for (int h = 1; h <= 12; ++h) {
        const bool angle = h == 1 || h == 4 || h == 7 || h == 10;
        if (e.angles_only != kOff && !angle) {
            continue;
        }
        const double lon = slot.cusps[static_cast<std::size_t>(h)];
        const auto [sign, degrees, minutes] = SplitLongitude(lon);
        const double a_line = AngleOf(lon, slot);
        char deg_text[8] = {};
        char min_text[8] = {};
        std::snprintf(deg_text, sizeof deg_text, "%02d", degrees);
        std::snprintf(min_text, sizeof min_text, "%02d", minutes);
        const std::string sign_text = Glyphs().Sign(sign);
        const QColor text_colour = Line(0x202020);
        const QColor sign_colour = Line(FontManager::SignColor(sign, false));
        const double r0 = ra + band * e.position;
        // The angular room the widest item needs on its side of the line, plus the offset.
        const double half_width = dm.horizontalAdvance(QStringLiteral("00")) * 0.75;
        const double gap_degrees =
            (half_width + 2.0 * scale_) / std::max(1.0, r0) * 180.0 / std::numbers::pi +
            e.offset * 10.0;
        const double a = a_line + e.direction * gap_degrees;
        if (e.format == 1) {
            // Degrees, sign and minutes in a column across the band, inwards from `position`.
            const double step = dm.height() * 0.95;
            double r = r0;
            if (e.show_degrees != kOff) {
                Text(At(a, r), deg_text, degree_font, text_colour);
                r -= step;
            }
            if (e.show_sign != kOff) {
                Text(At(a, r), sign_text, sign_font, sign_colour);
                r -= step;
            }
            if (e.show_minutes != kOff) {
                Text(At(a, r), min_text, minute_font, text_colour);
            }
            continue;
        }
        // One line "12<sign>34" (format 2), "12<sign>" (3) or "12" (4).
        const QString deg = QString::fromLatin1(deg_text);
        const QString min = QString::fromLatin1(min_text);
        const QString sg = QString::fromStdString(sign_text);
        const QFontMetricsF sm(sign_font);
        const QFontMetricsF mm(minute_font);
        const bool with_sign = e.format <= 3 && e.show_sign != kOff;
        const bool with_minutes = e.format == 2 && e.show_minutes != kOff;
        const double w = dm.horizontalAdvance(deg) + (with_sign ? sm.horizontalAdvance(sg) : 0.0) +
                         (with_minutes ? mm.horizontalAdvance(min) : 0.0);
        const double gap = (w / 2.0 + 3.0 * scale_) / std::max(1.0, r0) * 180.0 / std::numbers::pi +
                           e.offset * 10.0;
        const QPointF c = At(a_line + e.direction * gap, r0);
        const double base = c.y() + (dm.ascent() - dm.descent()) / 2.0;
        double x = c.x() - w / 2.0;
        p_.setPen(text_colour);
        p_.setFont(degree_font);
        p_.drawText(QPointF(x, base), deg);
        x += dm.horizontalAdvance(deg);
        if (with_sign) {
            p_.setPen(sign_colour);
            p_.setFont(sign_font);
            p_.drawText(QPointF(x, base), sg);
            x += sm.horizontalAdvance(sg);
        }
        if (with_minutes) {
            p_.setPen(text_colour);
            p_.setFont(minute_font);
            p_.drawText(QPointF(x, base - dm.ascent() * 0.3), min);
        }
    }
}

void WheelPainter::DrawHouseNumbers(const HouseNumberElement& e, const astro::ChartSlot& slot) {
    const std::optional<Band> found = BandOf(e.ring_a, e.ring_b);
    if (!found) {
        return;
    }
    const double ra = found->inner;
    const double rb = found->outer;
    const QFont font = Fonts().TextFont(e.font_size, e.bold != kOff, dpi_);
    const double r = ra + (rb - ra) * e.position;
    for (int h = 1; h <= 12; ++h) {
        const auto i = static_cast<std::size_t>(h);
        double a = 0.0;
        if (equal_houses_) {
            a = Mod360((h - 1) * 30.0 + slot.cusps[1] + 15.0);
        } else {
            const double c0 = AngleOf(slot.cusps[i], slot);
            const double c1 = AngleOf(slot.cusps[i % 12 + 1], slot);
            a = c0 + Mod360(c1 - c0) / 2.0;
        }
        Text(At(a, r), std::to_string(h), font, Line(0x606060));
    }
}

bool WheelPainter::HasExtraRing(int chart) const {
    const auto c = static_cast<std::size_t>(chart - 1);
    const PointRingBlock& main = style_.point_rings[0][c];
    const PointRingBlock& extra = style_.point_rings[1][c];
    return main.ring_a != 0 && main.ring_b != 0 && extra.ring_a != 0 && extra.ring_b != 0;
}

void WheelPainter::SpreadChart(int chart, LayoutChart& out) {
    const astro::ChartSlot& slot = astro::Slot(slots_[static_cast<std::size_t>(chart - 1)]);
    // With an extra ring the extra points are spread among themselves in their own band.
    const bool extra_ring = HasExtraRing(chart);
    std::array<std::vector<double>, 2> angles;
    std::array<std::vector<std::size_t>, 2> members;
    for (const int point : displayed_[static_cast<std::size_t>(chart - 1)]) {
        const auto i = static_cast<std::size_t>(point);
        LayoutPoint lp;
        lp.number = point;
        lp.longitude = slot.longitude[i];
        lp.retrograde = slot.retrograde[i] != 0;
        lp.label = Glyphs().Point(point);
        const std::size_t group = extra_ring && point > astro::kFixedPointCount ? 1 : 0;
        members[group].push_back(out.points.size());
        out.points.push_back(lp);
        // The spreading works on display angles: for a wheel with equal houses the input is
        // already mapped, and its modulus is 360.
        angles[group].push_back(equal_houses_ ? AngleOf(lp.longitude, slot) : lp.longitude);
    }
    for (std::size_t group = 0; group < 2; ++group) {
        if (members[group].empty()) {
            continue;
        }
        const SpreadResult spread =
            SpreadPoints(kWheelSeparation, equal_houses_ ? 360.0 : modulus_, angles[group]);
        for (std::size_t k = 0; k < members[group].size(); ++k) {
            out.points[members[group][k]].display_angle = spread.angles[k];
        }
    }
}

void WheelPainter::DrawPointRing(const PointRingBlock& b, const astro::ChartSlot& slot,
                                 LayoutChart& chart, RingPoints which) {
    const std::optional<Band> found = BandOf(b.ring_a, b.ring_b);
    if (!found) {
        return;
    }
    const double ra = found->inner;
    const double rb = found->outer;
    const double band = rb - ra;
    auto pos = [&](float f) { return ra + band * static_cast<double>(f); };
    const QFont text_font = Fonts().TextFont(b.text_size, false, dpi_);
    const QFont sign_font = Fonts().SymbolFont(b.sign_size, false, dpi_);
    const QFont retro_font = Fonts().SymbolFont(b.retrograde_size, false, dpi_);
    QPen tick_pen = MakePen(0, b.pen_width, 0x303030, false);
    QPen connector_pen = MakePen(0, 1, 0x909090, false);
    connector_pen.setWidthF(std::max(0.5, 0.7 * scale_));
    const std::string retro = SymbolText(Glyphs().Retrograde());
    // The true position is ticked on the band's edge nearer the glyphs (the outer edge when
    // the glyphs stand in the band's outer half), 0.05 of the band long.
    const bool outer_edge = b.glyph_position >= 0.5F;
    const double edge = outer_edge ? rb : ra;
    const double tick = (outer_edge ? -1.0 : 1.0) * band * 0.05;
    for (LayoutPoint& lp : chart.points) {
        const bool extra = lp.number > astro::kFixedPointCount;
        if ((which == RingPoints::kFixed && extra) || (which == RingPoints::kExtra && !extra)) {
            continue;
        }
        const double true_angle = AngleOf(lp.longitude, slot);
        const double a = lp.display_angle;
        if (b.show_ticks != kOff) {
            p_.setPen(tick_pen);
            p_.drawLine(At(true_angle, edge), At(true_angle, edge + tick));
        }
        const double moved = std::fabs(std::remainder(a - true_angle, 360.0));
        if (b.show_connectors != kOff && moved > 0.3) {
            p_.setPen(connector_pen);
            p_.drawLine(At(true_angle, pos(b.connector_from)), At(a, pos(b.connector_to)));
        }
        const std::uint32_t colour =
            b.point_colours != kOff ? FontManager::GetPointColor(lp.number) : 0;
        const double size = b.glyph_size * LabelScale(lp.label);
        lp.glyph_centre = At(a, pos(b.glyph_position));
        Text(lp.glyph_centre, lp.label, Fonts().SymbolFont(size, false, dpi_), Line(colour));
        const auto [sign, degrees, minutes] = SplitLongitude(lp.longitude);
        char text[8] = {};
        if (b.show_degrees != kOff) {
            std::snprintf(text, sizeof text, "%02d", degrees);
            Text(At(a, pos(b.degree_position)), text, text_font, Line(0x202020));
        }
        if (b.show_sign != kOff) {
            Text(At(a, pos(b.sign_position)), Glyphs().Sign(sign), sign_font,
                 Line(FontManager::SignColor(sign, false)));
        }
        if (b.show_minutes != kOff) {
            std::snprintf(text, sizeof text, "%02d", minutes);
            Text(At(a, pos(b.minute_position)), text, text_font, Line(0x202020));
        }
        if (b.show_retrograde != kOff && lp.retrograde) {
            Text(At(a, pos(b.retrograde_position)), retro, retro_font, Line(0x2B39C0));
        }
    }
}

void WheelPainter::DrawPoints(WheelLayout& layout) {
    Progress("Drawing planets...");
    for (int chart = 1; chart <= chart_count_; ++chart) {
        const auto c = static_cast<std::size_t>(chart - 1);
        const astro::ChartSlot& slot = astro::Slot(slots_[c]);
        LayoutChart& out = layout.charts[c];
        // The second block of a chart is its extra ring when both are set: the points 51 and
        // up go there. Otherwise both blocks draw every point (a converted old style has only
        // the second).
        if (HasExtraRing(chart)) {
            DrawPointRing(style_.point_rings[0][c], slot, out, RingPoints::kFixed);
            DrawPointRing(style_.point_rings[1][c], slot, out, RingPoints::kExtra);
        } else {
            DrawPointRing(style_.point_rings[0][c], slot, out, RingPoints::kAll);
            DrawPointRing(style_.point_rings[1][c], slot, out, RingPoints::kAll);
        }
    }
}

void WheelPainter::DrawAspects(WheelLayout& layout, const aspects::AspectSet& set,
                               const std::vector<aspects::ChartAspect>& found, int chart_a,
                               int chart_b) {
    Progress("Drawing aspect lines...");
    const AspectAreaEntry& area = style_.aspect_area[0];
    const StyleRing& ring = style_.rings[static_cast<std::size_t>(area.ring - 1)];
    const double r = RingRadius(area.ring) + radius_ * static_cast<double>(area.radius_adjust);
    const int width = ring.pen_width - 1;
    const bool glyphs = startup::CurrentSession().settings().GetBool("AspectGlyphs");
    const astro::ChartSlot& slot_a = astro::Slot(slots_[static_cast<std::size_t>(chart_a - 1)]);
    const astro::ChartSlot& slot_b = astro::Slot(slots_[static_cast<std::size_t>(chart_b - 1)]);
    // A dot on the aspect circle at the true place of every point that takes part.
    const QFont glyph_font = Fonts().SymbolFont(kAspectGlyphPoints, false, dpi_);
    for (const aspects::ChartAspect& f : found) {
        layout.aspects.push_back({chart_a, f.point_a, chart_b, f.point_b, f.result.aspect});
        if (width <= 0) {
            continue;
        }
        const aspects::AspectRecord& rec = set.Aspect(f.result.aspect);
        const QPointF p1 =
            At(AngleOf(slot_a.longitude[static_cast<std::size_t>(f.point_a)], slot_a), r);
        const QPointF p2 =
            At(AngleOf(slot_b.longitude[static_cast<std::size_t>(f.point_b)], slot_b), r);
        QPen pen = MakePen(rec.line_style, width, static_cast<std::uint32_t>(rec.colour),
                           request_.cosmetic_aspect_pens);
        p_.setPen(pen);
        std::uint8_t glyph = 0;
        if (f.result.aspect == set.ParallelNumber()) {
            glyph = Glyphs().ParallelChar();
        } else if (f.result.aspect == set.ContraParallelNumber()) {
            glyph = Glyphs().ContraParallelChar();
        } else {
            glyph = Glyphs().AspectChar(rec.glyph, rec.angle);
        }
        if (glyphs && f.result.aspect != 1 && glyph != 0) {
            double d = std::hypot(p2.x() - p1.x(), p2.y() - p1.y());
            if (d == 0.0) {
                d = 3.0;
            }
            const double g = radius_ * 0.06 / d * 0.75;
            if (g < 0.5) {
                p_.drawLine(p1, p1 + (p2 - p1) * (0.5 - g));
                p_.drawLine(p2 - (p2 - p1) * (0.5 - g), p2);
            }
            Text((p1 + p2) / 2.0, SymbolText(glyph), glyph_font, pen.color());
        } else {
            p_.drawLine(p1, p2);
        }
    }
    // The points' places on the aspect circle.
    p_.setPen(Qt::NoPen);
    p_.setBrush(Line(0x404040));
    const double dot = std::max(1.0, area.pen_width * 1.2 * scale_);
    for (int chart : {chart_a, chart_b}) {
        const astro::ChartSlot& slot = astro::Slot(slots_[static_cast<std::size_t>(chart - 1)]);
        for (const LayoutPoint& lp : layout.charts[static_cast<std::size_t>(chart - 1)].points) {
            p_.drawEllipse(At(AngleOf(lp.longitude, slot), r), dot, dot);
        }
        if (chart_a == chart_b) {
            break;
        }
    }
    p_.setBrush(Qt::NoBrush);
}

}  // namespace meridia::drawing
