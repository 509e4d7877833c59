// The wheel and dial drawing from a request: checks the charts, loads the style, the points
// and the aspect set, then draws frame, houses, points and aspect lines, and returns the
// layout drawn.
#include <QFontMetricsF>
#include <cmath>

#include "aspects/aspect_manager.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "charts/point_list.h"
#include "drawing/fonts.h"
#include "drawing/wheel_draw.h"
#include "drawing/wheel_draw_internal.h"
#include "drawing/wheel_geometry.h"
#include "drawing/wheel_style.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/text_tools.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::drawing {

namespace {

using startup::Status;
using startup::StatusCode;

struct DrawState {
    bool aspects_read = false;
};

charts::PointSelection EveryPoint(int in_use) {
    charts::PointSelection s;
    for (int p = 1; p <= in_use; ++p) {
        charts::SelectPoint(s, p);
    }
    return s;
}

// The selection of a settings key, or every point when it cannot be loaded.
charts::PointSelection SettingsSelection(std::string_view key, charts::SelectionKind kind,
                                         int in_use) {
    charts::PointSelection s;
    const std::string name = startup::CurrentSession().settings().GetString(key);
    if (charts::LoadPointSelection(name, kind, s, in_use).loaded) {
        return s;
    }
    return EveryPoint(in_use);
}

charts::PointSelection Intersection(const charts::PointSelection& a,
                                    const charts::PointSelection& b) {
    charts::PointSelection s;
    for (std::size_t i = 1; i <= charts::kSelectionPoints; ++i) {
        s.geocentric[i] = a.geocentric[i] && b.geocentric[i];
        s.heliocentric[i] = a.heliocentric[i] && b.heliocentric[i];
    }
    return s;
}

}  // namespace

startup::Status CheckWheelCharts(const WheelRequest& request) {
    if (request.chart_slots.empty() || request.chart_slots.size() > kMaxWheelCharts) {
        return Status(StatusCode::kRefused, "A wheel shows 1 to 5 charts.", "Error");
    }
    for (const int slot : request.chart_slots) {
        if (!astro::IsValidSlot(slot) ||
            (astro::Slot(slot).chart_serial == 0 && astro::Slot(slot).julian_day == 0.0)) {
            return Status(StatusCode::kRefused,
                          "Chart slot " + std::to_string(slot) + " holds no calculated chart.",
                          "Error");
        }
    }
    return Status::Ok();
}

startup::StatusOr<WheelPoints> ResolveWheelPoints(const WheelRequest& request) {
    const int in_use = astro::PointsInUse();
    WheelPoints out;
    if (!request.points.empty()) {
        auto s =
            charts::ReadPointsOption(request.points, charts::SelectionKind::kDisplayed, in_use);
        if (!s.ok()) {
            return s.status();
        }
        out.displayed = *s;
        out.aspected = *s;
    } else {
        out.displayed =
            SettingsSelection("PointFileName", charts::SelectionKind::kDisplayed, in_use);
        out.aspected = Intersection(
            out.displayed,
            SettingsSelection("AspPntFileName", charts::SelectionKind::kAspected, in_use));
    }
    if (request.extra_points && request.points.empty()) {
        for (int p = astro::kFixedPointCount + 1; p <= in_use; ++p) {
            for (charts::PointSelection* selection : {&out.displayed, &out.aspected}) {
                selection->geocentric[static_cast<std::size_t>(p)] = true;
                selection->heliocentric[static_cast<std::size_t>(p)] = true;
            }
        }
    }
    for (const int slot : request.chart_slots) {
        const astro::ChartSlot& s = astro::Slot(slot);
        std::vector<int> points;
        for (const int p : aspects::SelectedPoints(out.displayed, s.record.coords, in_use)) {
            if (s.longitude[static_cast<std::size_t>(p)] >= 0.0) {
                points.push_back(p);
            }
        }
        out.per_chart.push_back(std::move(points));
    }
    return out;
}

startup::StatusOr<aspects::AspectSet> ResolveAspectSet(const std::string& name) {
    aspects::AspectManager& manager = aspects::Aspects();
    auto& state = startup::CurrentSession().Get<DrawState>();
    if (!state.aspects_read) {
        manager.ReadIni();
        state.aspects_read = true;
    }
    aspects::AspectSet set = manager.ChartSet();
    if (!name.empty()) {
        if (Status s = aspects::LoadAspectSet(aspects::AspectFilePath(name), false, set); !s.ok()) {
            return s;
        }
        aspects::BuildActiveAspects(set);
    }
    return set;
}

startup::StatusOr<WheelLayout> DrawChartWheel(QPainter& painter, const QRectF& area,
                                              const WheelRequest& request) {
    if (Status s = CheckWheelCharts(request); !s.ok()) {
        return s;
    }
    const int count = static_cast<int>(request.chart_slots.size());
    const bool dial = request.kind == DrawKind::kDial;
    WheelStyle style;
    std::filesystem::path style_path;
    if (Status s = LoadWheelStyle(request.style, count, dial, style, &style_path); !s.ok()) {
        return s;
    }
    auto points = ResolveWheelPoints(request);
    if (!points.ok()) {
        return points.status();
    }
    const auto& settings = startup::CurrentSession().settings();
    const AspectAreaEntry& area_a = style.aspect_area[0];
    const bool lines = settings.GetBool("AspectLines") && area_a.ring > 0;
    aspects::AspectSet set;
    if (lines) {
        auto loaded = ResolveAspectSet(request.aspect_set);
        if (!loaded.ok()) {
            return loaded.status();
        }
        set = std::move(*loaded);
    }

    WheelLayout layout;
    layout.kind = dial ? DrawKind::kDial : DrawKind::kWheel;
    layout.style = style_path.string();
    layout.modulus = static_cast<double>(style.modulus);
    for (int i = 0; i < style.ring_count; ++i) {
        layout.rings.push_back(
            static_cast<double>(style.rings[static_cast<std::size_t>(i)].radius));
    }
    const astro::ChartSlot& first = astro::Slot(request.chart_slots[0]);
    if (request.zero_longitude) {
        layout.zero_longitude = Mod360(*request.zero_longitude);
    } else if (style.IsDial()) {
        // 0 Aries at twelve o'clock: the display angle 90 degrees counter-clockwise of it is
        // at nine o'clock.
        layout.zero_longitude = 90.0 * layout.modulus / 360.0;
    } else if (first.longitude[astro::kAscendant] >= 0.0) {
        // The Ascendant on the left, as astrologers read a chart.
        layout.zero_longitude = first.longitude[astro::kAscendant];
    } else {
        layout.zero_longitude = first.cusps[1];
    }

    WheelPainter wp(painter, area, style, request);
    wp.SetCharts(request.chart_slots, points->per_chart);
    wp.SetZero(layout.zero_longitude);
    layout.centre = wp.centre();
    layout.radius = wp.radius();
    layout.charts.resize(static_cast<std::size_t>(count));
    for (int c = 1; c <= count; ++c) {
        layout.charts[static_cast<std::size_t>(c - 1)].slot =
            request.chart_slots[static_cast<std::size_t>(c - 1)];
        wp.SpreadChart(c, layout.charts[static_cast<std::size_t>(c - 1)]);
    }

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (request.fill_background) {
        painter.fillRect(area, request.background);
    }
    wp.DrawFrame();
    wp.DrawHouses();
    wp.DrawPoints(layout);
    if (lines) {
        const int chart_a = std::clamp<int>(style.aspect_area[0].chart, 1, count);
        const int chart_b = std::clamp<int>(style.aspect_area[1].chart, 1, count);
        aspects::ChartAspectsRequest ar;
        ar.slot_a = request.chart_slots[static_cast<std::size_t>(chart_a - 1)];
        ar.slot_b =
            chart_a == chart_b ? 0 : request.chart_slots[static_cast<std::size_t>(chart_b - 1)];
        ar.selection = points->aspected;
        ar.partile = aspects::PartileRuleFromSettings();
        // Pairs with a fixed star, an asteroid or an Arabic part take the sets in force for
        // them.
        const aspects::AspectManager& manager = aspects::Aspects();
        ar.star_set = &manager.Set(aspects::AspectFileType::kStar);
        ar.asteroid_set = &manager.Set(aspects::AspectFileType::kAsteroid);
        ar.part_set = &manager.Set(aspects::AspectFileType::kPart);
        const auto found = aspects::FindChartAspects(set, ar);
        wp.DrawAspects(layout, set, found, chart_a, chart_b);
    }
    if (request.chart_info) {
        wp.DrawChartInfo();
    }
    painter.restore();
    return layout;
}

startup::StatusOr<WheelLayout> DrawChart(QPainter& painter, const QRectF& area,
                                         const WheelRequest& request) {
    if (request.kind == DrawKind::kGrid) {
        return DrawAspectGrid(painter, area, request);
    }
    return DrawChartWheel(painter, area, request);
}

namespace {

// "place, country" when the country is given and the joined text is shorter than 25
// characters; else the place alone.
std::string PlaceLine(const std::string& place, const std::string& country) {
    std::string p(startup::Trim(place));
    const std::string c(startup::Trim(country));
    if (!c.empty() && p.size() + c.size() + 2 < 25) {
        return p + ", " + c;
    }
    return p;
}

}  // namespace

void WheelPainter::DrawChartInfo() {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    const auto& names = startup::Names();
    const QFont font = Fonts().TextFont(8.0, false, dpi_);
    const QFont bold = Fonts().TextFont(8.5, true, dpi_);
    const QFontMetricsF fm(font);
    const double line = fm.height() / 1.1;
    const double margin = 6.0 * scale_;
    const QRectF box(centre_.x() - radius_ / kWheelMarginFactor,
                     centre_.y() - radius_ / kWheelMarginFactor, 2 * radius_ / kWheelMarginFactor,
                     2 * radius_ / kWheelMarginFactor);
    for (int chart = 1; chart <= std::min(chart_count_, 4); ++chart) {
        const astro::ChartSlot& slot = astro::Slot(slots_[static_cast<std::size_t>(chart - 1)]);
        const astro::ChartData& d = slot.record.data;
        std::vector<std::pair<std::string, bool>> lines;
        if (chart_count_ == 2) {
            lines.emplace_back(chart == 1 ? "Inner Wheel" : "Outer Wheel", true);
        } else if (chart_count_ > 2) {
            lines.emplace_back("Chart " + std::to_string(chart), true);
        }
        lines.emplace_back(d.name, chart_count_ == 1);
        lines.emplace_back(names.EventTypeName(slot.record.event_type), false);
        const long day_number = static_cast<long>(std::floor(slot.julian_day_ut + 1.5));
        const std::string day = kDays[static_cast<std::size_t>(((day_number % 7) + 7) % 7)];
        lines.emplace_back(
            day + " " +
                textformats::FormatDate(
                    d.date_time.day, d.date_time.month, d.date_time.year,
                    static_cast<textformats::CalendarMode>(std::min<int>(d.calendar, 2))),
            false);
        lines.emplace_back(
            textformats::FormatTime(d.date_time.hour, d.date_time.minute, d.date_time.second) +
                " " +
                (d.zone.mnemonic.empty()
                     ? textformats::FormatTimeZone(static_cast<double>(d.zone.hours))
                     : d.zone.mnemonic),
            false);
        lines.emplace_back(PlaceLine(d.place.place_name, d.place.country), false);
        if (!slot.record.rating.empty()) {
            lines.emplace_back("Rating: " + slot.record.rating, false);
        }
        lines.emplace_back(std::string(slot.node_type_used != 0 ? "True Node " : "Mean Node ") +
                               (slot.parallax_used != 0 ? "Parallax Moon " : ""),
                           false);
        if (slot.record.comment_link == 0) {
            lines.emplace_back("No comments", false);
        }
        const bool right = chart == 2 || chart == 4;
        const bool bottom = chart >= 3;
        double y =
            bottom ? box.bottom() - margin - line * static_cast<double>(lines.size()) + fm.ascent()
                   : box.top() + margin + fm.ascent();
        for (const auto& [text, strong] : lines) {
            const QFont& f = strong ? bold : font;
            const QString s = QString::fromStdString(text);
            const double w = QFontMetricsF(f).horizontalAdvance(s);
            const double x = right ? box.right() - margin - w : box.left() + margin;
            p_.setFont(f);
            p_.setPen(Line(0x202020));
            p_.drawText(QPointF(x, y), s);
            y += line;
        }
    }
}

}  // namespace meridia::drawing
