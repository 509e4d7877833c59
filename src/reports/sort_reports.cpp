// Point sorts and midpoint listings: points and midpoints reduced by a modulus (360, 90,
// 45...) in planetary sequence or by angle, the difference listing, the midpoint axes and
// trees, the sensitive points, the midpoint weighting analysis, the planetary nodes and the
// rulerships.
#include <fmt/format.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "astro/ephemeris.h"
#include "astro/houses.h"
#include "reports/dignity_tables.h"
#include "reports/midpoint_weights.h"
#include "reports/report_support.h"
#include "startup/text_tools.h"

namespace meridia::reports::detail {

namespace {

// The modulus of the midpoint structures: the request's, or the 90-degree dial when the
// request keeps the whole circle.
double StructureModulus(const ReportRequest& r) { return r.modulus >= 360.0 ? 90.0 : r.modulus; }
// Largest orb of a point on a midpoint in the structures, degrees.
constexpr double kStructureOrb = 1.5;

struct ChartPoint {
    int chart = 0;  // 0 chart A, 1 chart B
    int point = 0;
    double longitude = 0.0;
};

std::vector<ChartPoint> PointsOf(const ReportRequest& r) {
    std::vector<ChartPoint> list;
    const std::array<int, 2> slots = {r.slot_a, r.slot_b};
    for (int c = 0; c < 2; ++c) {
        const int n = slots[static_cast<std::size_t>(c)];
        if (n == 0) {
            continue;
        }
        const astro::ChartSlot& slot = astro::Slot(n);
        for (const int p : ReportPoints(r, slot)) {
            list.push_back({c, p, slot.longitude[static_cast<std::size_t>(p)]});
        }
    }
    return list;
}

std::string Label(const ChartPoint& p, bool synastry) {
    return (synastry && p.chart == 1 ? "B " : "") + PAbbr(p.point);
}

std::string Arc(double degrees) {
    const long minutes = std::lround(degrees * 60.0);
    return fmt::format("{:3}°{:02}'", minutes / 60, minutes % 60);
}

struct Midpoint {
    std::size_t a = 0;
    std::size_t b = 0;
    double longitude = 0.0;
};

// Every pair once: within one chart each pair, in synastry the points of B with those of A.
std::vector<Midpoint> MidpointsOf(const std::vector<ChartPoint>& points, bool synastry) {
    std::vector<Midpoint> mids;
    mids.reserve(points.size() * points.size() / 2);
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            if (synastry && points[i].chart == points[j].chart) {
                continue;
            }
            mids.push_back({i, j, astro::ArcMidpoint(points[i].longitude, points[j].longitude)});
        }
    }
    return mids;
}

std::string MidLabel(const std::vector<ChartPoint>& points, const Midpoint& m, bool synastry) {
    return Label(points[m.a], synastry) + "/" + Label(points[m.b], synastry);
}

}  // namespace

void WritePointSort(const ReportRequest& r, ReportWriter& w) {
    const bool synastry = r.slot_b != 0;
    std::vector<ChartPoint> points = PointsOf(r);
    const double m = r.modulus;
    std::stable_sort(points.begin(), points.end(), [m](const ChartPoint& x, const ChartPoint& y) {
        return astro::ModFloor(x.longitude, m) < astro::ModFloor(y.longitude, m);
    });
    w.NL();
    w.Brief("Sort Modulus " + startup::FormatDouble(m));
    w.Brief(fmt::format("{:<6}{:>9}  {:<12}{:<14}{}", "Chart", "Modulus", "Zodiac", "Point",
                        "Position"));
    std::vector<std::string> order;
    for (const ChartPoint& p : points) {
        const astro::ChartSlot& slot = astro::Slot(p.chart == 0 ? r.slot_a : r.slot_b);
        w.Brief(fmt::format("{:<6}{:>9}  {:<12}{:<14}House {}",
                            synastry ? (p.chart == 0 ? " A" : " B") : "",
                            Arc(astro::ModFloor(p.longitude, m)), ShortPos(p.longitude),
                            PName(p.point), slot.house[static_cast<std::size_t>(p.point)]));
        order.push_back(Label(p, synastry));
    }
    w.SetValue("order", order);
}

void WriteMidpoints(const ReportRequest& r, ReportWriter& w) {
    const bool synastry = r.slot_b != 0;
    const std::vector<ChartPoint> points = PointsOf(r);
    const std::vector<Midpoint> mids = MidpointsOf(points, synastry);
    w.NL();
    w.Brief("In Planetary Sequence - Modulus " + startup::FormatDouble(r.modulus));
    if (mids.empty()) {
        w.Brief(" *No items found*");
    }
    for (const Midpoint& mp : mids) {
        const double lon = mp.longitude;
        w.Brief(fmt::format("{:<12} {}  {}", MidLabel(points, mp, synastry), ShortPos(lon),
                            Arc(astro::ModFloor(lon, r.modulus))));
    }
    w.SetValue("midpoint_count", static_cast<double>(mids.size()));
}

void WriteMidpointModal(const ReportRequest& r, ReportWriter& w) {
    const bool synastry = r.slot_b != 0;
    const std::vector<ChartPoint> points = PointsOf(r);
    const double m = r.modulus >= 360.0 ? 90.0 : r.modulus;
    struct Item {
        std::string label;
        double angle;
    };
    const std::vector<Midpoint> mids = MidpointsOf(points, synastry);
    std::vector<Item> items;
    items.reserve(points.size() + mids.size());
    for (const ChartPoint& p : points) {
        items.push_back({Label(p, synastry), astro::ModFloor(p.longitude, m)});
    }
    for (const Midpoint& mp : mids) {
        items.push_back({MidLabel(points, mp, synastry), astro::ModFloor(mp.longitude, m)});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.angle < b.angle; });
    w.NL();
    w.Brief("Sorted by Angle - Modulus " + startup::FormatDouble(m));
    constexpr std::array<const char*, 3> kModes = {"Cardinal", "Fixed", "Mutable"};
    int section = -1;
    for (const Item& item : items) {
        const int s = std::min(2, static_cast<int>(item.angle / (m / 3.0)));
        if (s != section) {
            section = s;
            w.NL();
            w.Header(fmt::format("{} Points - {} to {}", kModes[static_cast<std::size_t>(s)],
                                 Arc(m / 3.0 * s), Arc(m / 3.0 * (s + 1))));
        }
        w.Brief(fmt::format("{}  {}", Arc(item.angle), item.label));
    }
    if (items.empty()) {
        w.Brief(" *No items found*");
    }
}

void WriteDifferences(const ReportRequest& r, ReportWriter& w) {
    const bool synastry = r.slot_b != 0;
    const std::vector<ChartPoint> points = PointsOf(r);
    w.NL();
    w.Brief("In Planetary Sequence - Modulus " + startup::FormatDouble(r.modulus));
    int count = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            if (synastry && points[i].chart == points[j].chart) {
                continue;
            }
            const double d = astro::ModFloor(points[j].longitude - points[i].longitude, r.modulus);
            w.Brief(fmt::format("{:<12} {}",
                                Label(points[i], synastry) + "-" + Label(points[j], synastry),
                                Arc(d)));
            ++count;
        }
    }
    if (count == 0) {
        w.Brief(" *No items found*");
    }
}

namespace {

// The midpoints within the orb of each point in the modulus: the point's axis.
void WriteStructures(const ReportRequest& r, ReportWriter& w, bool trees) {
    const std::vector<ChartPoint> points = PointsOf(r);
    const std::vector<Midpoint> mids = MidpointsOf(points, false);
    const double m = StructureModulus(r);
    w.NL();
    if (trees) {
        w.Brief(fmt::format("Midpoint Trees:   Modulus {}   Max Orb {}", startup::FormatDouble(m),
                            FormatOrb(kStructureOrb)));
    } else {
        w.Brief("Sorted by Angle - Modulus " + startup::FormatDouble(m));
    }
    int count = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::vector<std::string> hits;
        for (const Midpoint& mp : mids) {
            if (mp.a == i || mp.b == i) {
                continue;
            }
            const double d = astro::SignedMod(mp.longitude - points[i].longitude, m);
            const double dev = std::fabs(d) > m / 2.0 ? m - std::fabs(d) : std::fabs(d);
            if (dev <= kStructureOrb) {
                hits.push_back(fmt::format("{} ({})", MidLabel(points, mp, false), FormatOrb(dev)));
            }
        }
        if (hits.empty()) {
            continue;
        }
        ++count;
        if (trees) {
            w.Brief(PName(points[i].point));
            for (const std::string& h : hits) {
                w.Brief("  |- " + h);
            }
        } else {
            std::string line = PAbbr(points[i].point) + " =";
            for (const std::string& h : hits) {
                line += " " + h;
            }
            w.Brief(line);
        }
    }
    if (count == 0) {
        w.Brief(" *No items found*");
    }
}

}  // namespace

void WriteMidpointAxes(const ReportRequest& r, ReportWriter& w) { WriteStructures(r, w, false); }
void WriteMidpointTrees(const ReportRequest& r, ReportWriter& w) { WriteStructures(r, w, true); }

void WriteSensitivePoints(const ReportRequest& r, ReportWriter& w) {
    const bool synastry = r.slot_b != 0;
    w.NL();
    // The sensitive points of each point: its antiscion (mirrored in the Cancer-Capricorn
    // axis) and contra-antiscion (mirrored in the Aries-Libra axis).
    w.Brief(
        fmt::format("{:<14}{:<13}{:<13}{}", "Point", "Position", "Antiscion", "Contra-Antiscion"));
    for (const ChartPoint& p : PointsOf(r)) {
        w.Brief(fmt::format("{:<14}{:<13}{:<13}{}", Label(p, synastry), ShortPos(p.longitude),
                            ShortPos(astro::ModFloor(180.0 - p.longitude, 360.0)),
                            ShortPos(astro::ModFloor(-p.longitude, 360.0))));
    }
}

void WriteMidpointWeighting(const ReportRequest& r, ReportWriter& w) {
    const auto loaded = LoadMidpointWeights();
    w.NL();
    if (!loaded.ok()) {
        w.Brief(loaded.status().message());
        return;
    }
    const std::vector<HarmonicWeight>& table = *loaded;
    const std::vector<ChartPoint> points = PointsOf(r);
    const std::vector<Midpoint> mids = MidpointsOf(points, false);
    struct Scored {
        std::size_t index;
        double weight;
        int hits;
    };
    std::vector<Scored> scored;
    int total_hits = 0;
    // A point on the axis of a midpoint in harmonic H: its distance from the midpoint, taken
    // modulo 180 / H, within the harmonic's orb.
    for (std::size_t k = 0; k < mids.size(); ++k) {
        Scored s{k, 0.0, 0};
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i == mids[k].a || i == mids[k].b) {
                continue;
            }
            for (const HarmonicWeight& h : table) {
                const double period = 180.0 / h.harmonic;
                const double d = astro::ModFloor(points[i].longitude - mids[k].longitude, period);
                if (std::min(d, period - d) <= h.orb) {
                    s.weight += h.weight;
                    ++s.hits;
                }
            }
        }
        total_hits += s.hits;
        if (s.hits > 0) {
            scored.push_back(s);
        }
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const Scored& a, const Scored& b) { return a.weight > b.weight; });
    w.Brief(fmt::format("Total Hits: {}", total_hits));
    w.SetValue("total_hits", static_cast<double>(total_hits));
    w.NL();
    w.Header("Midpoints in Weighted Order");
    w.Brief(fmt::format("{:>4} {:>7} {:>4}  {}", "No.", "Wgt", "Hts", "MP"));
    int n = 0;
    for (const Scored& s : scored) {
        w.Brief(fmt::format("{:>4} {:>7.1f} {:>4}  {}", ++n, s.weight, s.hits,
                            MidLabel(points, mids[s.index], false)));
    }
}

void WriteNodes(const ReportRequest& r, ReportWriter& w) {
    const std::array<int, 2> slots = {r.slot_a, r.slot_b};
    for (int c = 0; c < 2; ++c) {
        const int n = slots[static_cast<std::size_t>(c)];
        if (n == 0) {
            continue;
        }
        const astro::ChartSlot& slot = astro::Slot(n);
        w.NL();
        w.AddRadixChart(slot, c);
        w.NL();
        w.Brief(fmt::format("{:<10}{:<13}{:<13}{:<13}{}", "Planet", "Asc. Node", "Desc. Node",
                            "Perihelion", "Aphelion"));
        const int flags = astro::EphemerisModeFlags() | (IsHeliocentric(slot) ? SEFLG_HELCTR : 0);
        for (int p = astro::kMercury; p <= astro::kPluto; ++p) {
            const int body = astro::SwissBodyOf(p, true, false);
            astro::NodesApsides na;
            if (body < 0 ||
                !astro::NodesAndApsides(slot.julian_day, body, flags, SE_NODBIT_MEAN, na)) {
                continue;
            }
            auto lon = [&](const std::array<double, 6>& x) {
                return ShortPos(astro::ModFloor(x[0] + slot.zodiac_offset, 360.0));
            };
            w.Brief(fmt::format("{:<10}{:<13}{:<13}{:<13}{}", PName(p), lon(na.ascending),
                                lon(na.descending), lon(na.perihelion), lon(na.aphelion)));
        }
    }
}

void WriteRulerships(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    w.NL();
    w.AddRadixChart(slot, 0);
    w.NL();
    auto tables = LoadDignityTables();
    if (!tables.ok()) {
        w.Brief(tables.status().message());
        return;
    }
    const RulershipScheme& scheme = (*tables)->Scheme(1);
    w.Brief(fmt::format("{:<14}{:<13}{:<8}{:<14}{}", "Point", "Position", "House", "Ruler",
                        "Ruler in"));
    for (const int p : ReportPoints(r, slot)) {
        const double lon = slot.longitude[static_cast<std::size_t>(p)];
        const int ruler = scheme.signs[static_cast<std::size_t>(astro::SignOf(lon))].ruler;
        const double ruler_lon = slot.longitude[static_cast<std::size_t>(ruler)];
        w.Brief(fmt::format(
            "{:<14}{:<13}{:<8}{:<14}{}", PName(p), ShortPos(lon),
            slot.house[static_cast<std::size_t>(p)], PName(ruler),
            ruler_lon < 0.0
                ? std::string("--")
                : fmt::format("House {}", slot.house[static_cast<std::size_t>(ruler)])));
    }
}

}  // namespace meridia::reports::detail
