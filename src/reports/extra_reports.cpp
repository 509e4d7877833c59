// The reports of the extra chart points: Arabic parts with their rulers, aspects and parans to
// the fixed stars of the star list in force, the extra ring points (the points 51 and up in
// use), the extra bodies among the fixed points, the asteroid list in force, and the page
// blocks of the extra ring points and of the user-defined points.
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "aspects/aspect_find.h"
#include "aspects/aspect_manager.h"
#include "astro/angles.h"
#include "astro/arabic_parts.h"
#include "astro/chart_calc.h"
#include "astro/ephemeris.h"
#include "astro/extra_points.h"
#include "astro/fixed_stars.h"
#include "astro/houses.h"
#include "astro/rise_set.h"
#include "astro/time_scales.h"
#include "reports/report_support.h"
#include "startup/session.h"

namespace meridia::reports::detail {

namespace {

using astro::ExtraPointDefinition;
using astro::ExtraPointValue;

// Two events are a paran when they fall within this many days of each other: four minutes of
// time, one degree of the sky's daily turn.
constexpr double kParanOrbDays = 4.0 / 1440.0;

// The fixed points that are bodies beyond the ten planets: Chiron and the asteroids, the
// Uranian and hypothetical bodies, Selena, Sedna and Eris.
constexpr std::array<int, 19> kExtraBodies = {13, 14, 15, 16, 17, 18, 19, 27, 28, 29,
                                              30, 31, 32, 33, 34, 35, 48, 49, 50};

// The points whose risings and settings the paran report times: bodies, not angles or the
// points derived from them.
bool IsBody(int point) {
    return (point >= astro::kMoon && point <= 21 && point != astro::kEarth) ||
           (point >= 27 && point <= 36) || point >= 48;
}

std::string HouseText(int house) { return house > 0 ? std::to_string(house) : "--"; }

std::string FileName(const std::filesystem::path& path) { return path.filename().string(); }

// The definitions of the list file a setting names (extension added when it has none).
struct ListInForce {
    std::filesystem::path path;
    startup::StatusOr<std::vector<ExtraPointDefinition>> points;
};

ListInForce ReadListInForce(const char* setting, const char* extension) {
    const std::filesystem::path path =
        astro::ExtraFilePath(startup::CurrentSession().settings().GetString(setting), extension);
    return {path, astro::ReadExtraPointFile(path)};
}

std::vector<int> ChartSlots(const ReportRequest& r) {
    std::vector<int> slots = {r.slot_a};
    if (r.slot_b != 0) {
        slots.push_back(r.slot_b);
    }
    return slots;
}

void OpenChart(ReportWriter& w, const astro::ChartSlot& slot, int chart_index) {
    w.NL();
    w.AddRadixChart(slot, chart_index);
    w.NL();
}

// One row of the point tables: position, latitude, speed, declination and house.
std::string PlaceColumns(const ExtraPointValue& v) {
    if (v.longitude < 0.0) {
        return "not available";
    }
    return fmt::format("{:<13}{:>11}{:>10.4f}  {:>11}  {:>5}", ShortPos(v.longitude),
                       SignedDms(v.latitude), v.speed, SignedDms(v.declination),
                       HouseText(v.house));
}

std::string PlaceHeading(const char* first, int width) {
    return fmt::format("{:<{}}{:<13}{:>11}{:>10}  {:>11}  {:>5}", first, width, "Position",
                       "Latitude", "Speed", "Decl.", "House");
}

ExtraPointValue SlotValue(const astro::ChartSlot& slot, int point) {
    const auto i = static_cast<std::size_t>(point);
    ExtraPointValue v;
    v.longitude = slot.longitude[i];
    v.latitude = slot.latitude[i];
    v.speed = slot.speed[i];
    v.declination = slot.declination[i];
    v.right_ascension = slot.right_ascension[i];
    v.house = slot.house[i];
    return v;
}

aspects::AspectPoint AspectPointOf(int chart, int point, const ExtraPointValue& v) {
    aspects::AspectPoint a;
    a.chart = chart;
    a.point = point;
    a.longitude = v.longitude;
    a.latitude = v.latitude;
    a.speed = v.speed;
    a.declination = v.declination;
    return a;
}

// "NAME,LONGITUDE" with the longitude in full precision, for the report's figures.
std::string Figure(const std::string& name, double longitude) {
    return fmt::format("{},{}", name, longitude);
}

}  // namespace

void WriteArabicParts(const ReportRequest& r, ReportWriter& w) {
    const auto parts = astro::PartsFileInForce();
    const bool synastry = r.slot_b != 0;
    const bool modern = parts.ok() && (*parts)->modern_rulers;
    // The title names the rulerships of the parts file, known once the file is read.
    w.InitializeReport(fmt::format("*** {}ARABIC PARTS - {} RULERSHIPS ***",
                                   synastry ? "SYNASTRY " : "", modern ? "MODERN" : "TRADITIONAL"));
    w.NL();
    if (!parts.ok()) {
        w.Brief(parts.status().message());
        return;
    }
    const astro::PartsFile& file = **parts;
    w.Brief("Arabic Parts File: " + FileName(file.path));
    const bool day_part_only = astro::CalcOptionsFromSettings().day_part_only;
    const std::vector<int> slots = ChartSlots(r);
    for (std::size_t c = 0; c < slots.size(); ++c) {
        const astro::ChartSlot& slot = astro::Slot(slots[c]);
        OpenChart(w, slot, static_cast<int>(c));
        const bool night = !IsHeliocentric(slot) && astro::IsNightChart(slot);
        const bool reversed = night && !day_part_only;
        w.Brief(reversed ? "Night chart: the lots marked (R) are taken by night."
                         : (night ? "Night chart: day formulas throughout." : "Day chart."));
        w.NL();
        w.Brief(fmt::format("{:<22}{:<6}{:<13}{:>5}  {:<10}{}", "Part", "Abbr", "Position", "House",
                            "Ruler", "Formula"));
        const std::array<double, 13> cusp_speeds = astro::CuspSpeeds(slot);
        std::vector<std::string> figures;
        for (std::size_t i = 0; i < file.lots.size(); ++i) {
            const astro::LotDefinition& lot = file.lots[i];
            const astro::LotValue value =
                astro::EvaluateLot(file, static_cast<int>(i), slot, cusp_speeds, !day_part_only);
            const bool has = value.longitude >= 0.0;
            const int house = has && slot.house[astro::kAscendant] > 0
                                  ? astro::HouseOf(value.longitude, slot.cusps)
                                  : 0;
            const std::string ruler =
                has ? PName(astro::RulerOfSign(astro::SignOf(value.longitude), modern)) : "--";
            w.Brief(fmt::format("{:<22}{:<6}{:<13}{:>5}  {:<10}{}{}", lot.name, lot.abbreviation,
                                ShortPos(value.longitude), HouseText(house), ruler, lot.formula,
                                reversed && lot.reverse_by_night ? " (R)" : ""));
            figures.push_back(Figure(lot.name, value.longitude));
        }
        w.SetValue(c == 0 ? "arabic_parts" : "arabic_parts_b", figures);
    }
}

void WriteFixedStarAspects(const ReportRequest& r, ReportWriter& w) {
    const ListInForce stars = ReadListInForce("StarFileName", astro::kStarListExtension);
    w.NL();
    if (!stars.points.ok()) {
        w.Brief(stars.points.status().message());
        return;
    }
    const aspects::AspectManager& manager = aspects::Aspects();
    const aspects::AspectSet& set = manager.Set(aspects::AspectFileType::kStar);
    w.Brief("Star File: " + FileName(stars.path));
    w.Brief("Aspect Set: " + startup::CurrentSession().settings().GetString("AspectStarName") +
            (set.header.description.empty() ? "" : " (" + set.header.description + ")"));
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    OpenChart(w, slot, 0);
    const std::vector<ExtraPointValue> values = astro::CalcExtraPointValues(slot, *stars.points);
    const std::vector<int> points = ReportPoints(r, slot);
    w.Brief(fmt::format("{:<22}{:>6}  {}", "Star", "Mag", PlaceHeading("", 0)));
    std::vector<std::string> figures;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const ExtraPointDefinition& star = (*stars.points)[k];
        const ExtraPointValue& v = values[k];
        w.Brief(fmt::format("{:<22}{:>6.2f}  {}", star.name, star.magnitude, PlaceColumns(v)));
        if (v.longitude < 0.0) {
            continue;
        }
        // The star takes the number it would have as an extra point, so that the set's orbs
        // treat it as one.
        const aspects::AspectPoint b =
            AspectPointOf(-1, astro::kFixedPointCount + 1 + static_cast<int>(k), v);
        for (const int p : points) {
            const aspects::AspectPoint a = AspectPointOf(r.slot_a, p, SlotValue(slot, p));
            const aspects::AspectResult found =
                aspects::FindAspect(set, a, b, r.orb_kind, false, r.partile);
            if (!found.found()) {
                continue;
            }
            w.Brief(fmt::format("    {:<18}{:<20}{:>9}  {}", PName(p),
                                set.Aspect(found.aspect).name, FormatOrb(found.deviation),
                                found.applying ? "A" : "S"));
            figures.push_back(
                fmt::format("{},{},{},{}", star.name, p, found.aspect, found.deviation));
        }
    }
    w.SetValue("star_aspects", figures);
}

void WriteFixedStarParans(const ReportRequest& r, ReportWriter& w) {
    const ListInForce stars = ReadListInForce("StarFileName", astro::kStarListExtension);
    w.NL();
    if (!stars.points.ok()) {
        w.Brief(stars.points.status().message());
        return;
    }
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    OpenChart(w, slot, 0);
    if (IsHeliocentric(slot)) {
        w.Brief(std::string(kNotForChartType));
        return;
    }
    const astro::HorizonMode mode = astro::HorizonModeFromSettings();
    const astro::ChartRecord& record = slot.record;
    const auto& dt = record.data.date_time;
    const double latitude = record.data.place.latitude;
    const double longitude_west = record.data.place.longitude;
    const auto events_of = [&](const astro::EquatorialPlaceAt& place_at, double h0) {
        return astro::FindRiseSetTimesOf(place_at, h0, dt.day, dt.month, dt.year,
                                         record.data.calendar, latitude, longitude_west);
    };
    w.Brief("Star File: " + FileName(stars.path));
    w.Brief(
        fmt::format("Paran orb: 4 minutes of time; {} horizon; the day of the chart (0h to "
                    "24h UT)",
                    astro::HorizonModeName(mode)));

    // The four events of every body of the report on the chart's day.
    struct BodyEvents {
        int point = 0;
        astro::RiseSetTimes times;
    };
    std::vector<BodyEvents> bodies;
    for (const int p : ReportPoints(r, slot)) {
        if (IsBody(p) && p <= astro::kFixedPointCount) {
            bodies.push_back(
                {p, astro::FindRiseSetTimes(p, dt.day, dt.month, dt.year, record.data.calendar,
                                            latitude, longitude_west, mode)});
        }
    }
    w.NL();
    w.Brief(fmt::format("{:<22}{:<17}{:<14}{:<17}{:<20}{}", "Star", "Star On", "Point", "Point On",
                        "Star's Time", "Diff."));
    struct Paran {
        double jd_ut = 0.0;
        std::string line;
        std::string figure;
    };
    std::vector<Paran> parans;
    const double h0 = astro::StandardAltitude(0, mode, 0.0);
    for (const ExtraPointDefinition& star : *stars.points) {
        if (star.kind != astro::ExtraKind::kStar) {
            continue;
        }
        const auto place_at = [&star](double jd_ut) -> std::optional<astro::EquatorialPlace> {
            const double jd_et = jd_ut + astro::DeltaT(jd_ut);
            const auto place =
                astro::CalcStarPos(star.star_key, jd_et, false, astro::Obliquity(jd_et, true));
            if (!place) {
                return std::nullopt;
            }
            return astro::EquatorialPlace{place->right_ascension, place->declination};
        };
        const astro::RiseSetTimes star_times = events_of(place_at, h0);
        if (!star_times.ok) {
            continue;
        }
        for (std::size_t se = 0; se < star_times.events.size(); ++se) {
            const astro::RiseSetEventTime& s = star_times.events[se];
            if (!s.valid) {
                continue;
            }
            for (const BodyEvents& body : bodies) {
                for (std::size_t pe = 0; pe < body.times.events.size(); ++pe) {
                    const astro::RiseSetEventTime& e = body.times.events[pe];
                    if (!body.times.ok || !e.valid ||
                        std::fabs(e.jd_ut - s.jd_ut) > kParanOrbDays) {
                        continue;
                    }
                    const long diff = std::lround((e.jd_ut - s.jd_ut) * 86400.0);
                    Paran paran;
                    paran.jd_ut = s.jd_ut;
                    paran.line =
                        fmt::format("{:<22}{:<17}{:<14}{:<17}{:<20}{}{}m{:02}s", star.name,
                                    astro::RiseSetEventText(static_cast<int>(se) + 1).substr(1),
                                    PName(body.point),
                                    astro::RiseSetEventText(static_cast<int>(pe) + 1).substr(1),
                                    ChartDateText(slot, s.jd_ut), diff < 0 ? "-" : "+",
                                    std::labs(diff) / 60, std::labs(diff) % 60);
                    paran.figure = fmt::format("{},{},{},{},{},{}", star.name, se + 1, body.point,
                                               pe + 1, s.jd_ut, e.jd_ut);
                    parans.push_back(std::move(paran));
                }
            }
        }
    }
    std::stable_sort(parans.begin(), parans.end(),
                     [](const Paran& a, const Paran& b) { return a.jd_ut < b.jd_ut; });
    std::vector<std::string> figures;
    for (const Paran& paran : parans) {
        w.Brief(paran.line);
        figures.push_back(paran.figure);
    }
    if (parans.empty()) {
        w.Brief("No Parans Found");
    }
    w.SetValue("parans", figures);
}

void WriteExtraRingPoints(const ReportRequest& r, ReportWriter& w) {
    const std::vector<int> slots = ChartSlots(r);
    const int in_use = astro::PointsInUse();
    for (std::size_t c = 0; c < slots.size(); ++c) {
        const astro::ChartSlot& slot = astro::Slot(slots[c]);
        OpenChart(w, slot, static_cast<int>(c));
        if (in_use <= astro::kFixedPointCount) {
            w.Brief("No extra points in use.");
            continue;
        }
        w.Brief(fmt::format("{:<4}{:<24}{:<10}{}", "No.", "Point", "Kind", PlaceHeading("", 0)));
        for (int p = astro::kFixedPointCount + 1; p <= in_use; ++p) {
            const ExtraPointDefinition* def = astro::ExtraPointOf(p);
            w.Brief(fmt::format("{:<4}{:<24}{:<10}{}", p, PName(p),
                                def == nullptr ? "" : std::string(astro::ExtraKindName(def->kind)),
                                PlaceColumns(SlotValue(slot, p))));
        }
    }
}

void WriteExtraBodies(const ReportRequest& r, ReportWriter& w) {
    const std::vector<int> slots = ChartSlots(r);
    for (std::size_t c = 0; c < slots.size(); ++c) {
        const astro::ChartSlot& slot = astro::Slot(slots[c]);
        OpenChart(w, slot, static_cast<int>(c));
        w.Brief(PlaceHeading("Body", 18));
        for (const int p : kExtraBodies) {
            w.Brief(fmt::format("{:<18}{}", PName(p), PlaceColumns(SlotValue(slot, p))));
        }
    }
}

void WriteAsteroids(const ReportRequest& r, ReportWriter& w) {
    const ListInForce list = ReadListInForce("AstFileName", astro::kAsteroidListExtension);
    w.NL();
    if (!list.points.ok()) {
        w.Brief(list.points.status().message());
        return;
    }
    w.Brief("Asteroid File: " + FileName(list.path));
    const std::vector<int> slots = ChartSlots(r);
    for (std::size_t c = 0; c < slots.size(); ++c) {
        const astro::ChartSlot& slot = astro::Slot(slots[c]);
        OpenChart(w, slot, static_cast<int>(c));
        const std::vector<ExtraPointValue> values = astro::CalcExtraPointValues(slot, *list.points);
        w.Brief(fmt::format("{:<8}{}", "No.", PlaceHeading("Asteroid", 20)));
        std::vector<std::string> figures;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const ExtraPointDefinition& def = (*list.points)[k];
            w.Brief(fmt::format("{:<8}{:<20}{}", def.asteroid, def.name, PlaceColumns(values[k])));
            figures.push_back(Figure(std::to_string(def.asteroid), values[k].longitude));
        }
        w.SetValue(c == 0 ? "asteroids" : "asteroids_b", figures);
    }
}

namespace {

// A page block: abbreviation, position and house of each point, "None" when there are none.
void WriteBlockRows(ReportWriter& w, const std::vector<std::string>& abbreviations,
                    const std::vector<ExtraPointValue>& values) {
    if (values.empty()) {
        w.Brief("None");
        return;
    }
    for (std::size_t k = 0; k < values.size(); ++k) {
        w.Brief(
            fmt::format("{:<9}{:<13}{:>3}", abbreviations[k], ShortPos(values[k].longitude),
                        values[k].longitude < 0.0 ? std::string() : HouseText(values[k].house)));
    }
}

}  // namespace

void WriteExtraRingBlock(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    std::vector<std::string> abbreviations;
    std::vector<ExtraPointValue> values;
    for (int p = astro::kFixedPointCount + 1; p <= astro::PointsInUse(); ++p) {
        abbreviations.push_back(PAbbr(p));
        values.push_back(SlotValue(slot, p));
    }
    WriteBlockRows(w, abbreviations, values);
}

void WriteUserPointsBlock(const ReportRequest& r, ReportWriter& w) {
    const ListInForce list = ReadListInForce("UDPFileName", astro::kUserPointsExtension);
    if (!list.points.ok()) {
        w.Brief(list.points.status().message());
        return;
    }
    std::vector<std::string> abbreviations;
    for (const ExtraPointDefinition& def : *list.points) {
        abbreviations.push_back(def.abbreviation);
    }
    WriteBlockRows(w, abbreviations,
                   astro::CalcExtraPointValues(astro::Slot(r.slot_a), *list.points));
}

}  // namespace meridia::reports::detail
