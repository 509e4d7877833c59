// The essential dignities report and the traditional page blocks built on the dignity tables:
// almuten scores, planetary day and hour, mutual receptions, planetary sect, hyleg and the
// considerations before judgement.
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/houses.h"
#include "astro/rise_set.h"
#include "reports/dignity_tables.h"
#include "reports/planetary_hours.h"
#include "reports/report_support.h"
#include "startup/name_tables.h"
#include "textformats/calendar.h"

namespace meridia::reports::detail {

namespace {

constexpr int kLineWidth = 80;

// The tables and a weighting, or the reason they are missing written into the report.
struct DignityContext {
    const DignityTables* tables = nullptr;
    AlmutenWeighting weighting;
};

bool LoadContext(std::string_view weighting_name, ReportWriter& w, DignityContext& context) {
    auto tables = LoadDignityTables();
    if (!tables.ok()) {
        w.Brief(tables.status().message());
        return false;
    }
    auto weighting = LoadWeighting(weighting_name);
    if (!weighting.ok()) {
        w.Brief(weighting.status().message());
        return false;
    }
    context.tables = *tables;
    context.weighting = *weighting;
    return true;
}

std::string WeightingName(const ReportRequest& r, std::string_view fallback) {
    return r.weighting.empty() ? std::string(fallback) : r.weighting;
}

bool DayChartOf(const astro::ChartSlot& slot) {
    return IsDayChart(slot.longitude[astro::kSun], slot.longitude[astro::kAscendant]);
}

std::string Cell(int value) {
    if (value == 0) {
        return "--";
    }
    return fmt::format("{:+d}", value);
}

void WritePlanetaryDayAndHour(const astro::ChartSlot& slot, ReportWriter& w) {
    const PlanetaryHour hour = FindPlanetaryHour(slot);
    if (!hour.found) {
        w.Brief("No Planetary Day or Hour (Sun does not cross horizon)");
        return;
    }
    w.Brief(fmt::format("Day of {}, Hour of {}", PName(hour.day_ruler), PName(hour.hour_ruler)));
    w.Brief(fmt::format("{} {} Hour of {}", hour.night ? "Night" : "Day", hour.number,
                        PName(hour.hour_ruler)));
    w.SetValue("planetary_day", PName(hour.day_ruler));
    w.SetValue("planetary_hour", PName(hour.hour_ruler));
    w.SetValue("planetary_hour_number", static_cast<double>(hour.number));
    w.SetValue("planetary_hour_kind", std::string(hour.night ? "Night" : "Day"));
}

// Ptolemy's aphetic places (Tetrabiblos III.10): houses 10, 11, 1, 9 and 7.
bool InApheticPlace(int house) {
    return house == 1 || house == 7 || house == 9 || house == 10 || house == 11;
}

// The hyleg by Ptolemy's order: by day the Sun, then the Moon, by night the Moon, then the
// Sun, when it stands in an aphetic place; else the Ascendant.
int PtolemaicHyleg(const astro::ChartSlot& slot) {
    const bool day = DayChartOf(slot);
    const std::array<int, 2> order = day ? std::array<int, 2>{astro::kSun, astro::kMoon}
                                         : std::array<int, 2>{astro::kMoon, astro::kSun};
    for (const int p : order) {
        if (slot.longitude[static_cast<std::size_t>(p)] >= 0.0 &&
            InApheticPlace(slot.house[static_cast<std::size_t>(p)])) {
            return p;
        }
    }
    return astro::kAscendant;
}

bool NotForChart(const astro::ChartSlot& slot, ReportWriter& w) {
    if (!HasHorizon(slot)) {
        w.Brief(kNotForChartType);
        return true;
    }
    return false;
}

}  // namespace

void WriteDignities(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    w.NL();
    w.AddRadixChart(slot, 0);
    w.NL();
    if (NotForChart(slot, w)) {
        return;
    }
    const bool day = DayChartOf(slot);
    w.SetValue("day_chart", std::string(day ? "true" : "false"));
    WritePlanetaryDayAndHour(slot, w);
    w.NL();

    DignityContext houses;
    if (!LoadContext(kHouseWeighting, w, houses)) {
        return;
    }
    w.Header("Almutens of Houses ");
    std::vector<std::string> almutens;
    std::string line;
    for (int h = 1; h <= 12; ++h) {
        const int column = (h - 1) % 4;
        if (column == 0 && !line.empty()) {
            w.Brief(line);
            line.clear();
        }
        line.resize(static_cast<std::size_t>(column * kLineWidth / 4), ' ');
        const std::vector<AlmutenCandidate> best = AlmutenOfDegree(
            slot.cusps[static_cast<std::size_t>(h)], day, *houses.tables, houses.weighting);
        std::string names;
        for (std::size_t i = 0; i < best.size() && i < 2; ++i) {
            names += (i == 0 ? "" : " ") + PAbbr(best[i].planet);
        }
        line += fmt::format("{}. {}", h, names);
        std::string all;
        for (const AlmutenCandidate& c : best) {
            all += (all.empty() ? "" : ",") + PAbbr(c.planet);
        }
        almutens.push_back(all);
    }
    w.Brief(line);
    w.SetValue("almutens", almutens);
    w.NL();

    DignityContext ess;
    if (!LoadContext(WeightingName(r, kEssentialWeighting), w, ess)) {
        return;
    }
    w.Brief(fmt::format("{:<5}{:>6}{:>6}{:>6}{:>6}{:>6}{:>6}{:>6}{:>7}", "Pnt", "Ruler", "Exalt",
                        "Trip", "Term", "Face", "Detri", "Fall", "Score"));
    std::vector<std::string> scores;
    for (const int p : kTraditionalPlanets) {
        const double lon = slot.longitude[static_cast<std::size_t>(p)];
        if (lon < 0.0) {
            continue;
        }
        const DignityScore s = ScoreDignities(p, lon, day, *ess.tables, ess.weighting);
        w.Brief(fmt::format("{:<5}{:>6}{:>6}{:>6}{:>6}{:>6}{:>6}{:>6}{:>7}", PAbbr(p),
                            Cell(s.ruler), Cell(s.exaltation), Cell(s.triplicity), Cell(s.term),
                            Cell(s.face), Cell(s.detriment), Cell(s.fall),
                            fmt::format("{:+d}", s.Total())));
        scores.push_back(fmt::format("{}:{}", PAbbr(p), s.Total()));
    }
    w.SetValue("dignity_scores", scores);
    w.NL();

    DignityContext hyleg;
    if (!LoadContext(kHylegWeighting, w, hyleg)) {
        return;
    }
    const int h = PtolemaicHyleg(slot);
    w.Brief("Hyleg (Ptolemy):  " + PName(h));
    w.SetValue("hyleg", PName(h));
}

void WriteAlmutenScores(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (NotForChart(slot, w)) {
        return;
    }
    DignityContext c;
    if (!LoadContext(WeightingName(r, kGeneralWeighting), w, c)) {
        return;
    }
    const bool day = DayChartOf(slot);
    // The points of the chart's almuten (Ibn Ezra's five places): Sun, Moon, Ascendant,
    // Midheaven and the Part of Fortune; each planet collects what it holds at each of them.
    constexpr std::array<int, 5> kPlaces = {astro::kSun, astro::kMoon, astro::kAscendant,
                                            astro::kMidheaven, astro::kPartOfFortune};
    std::map<int, int> totals;
    for (const int p : kTraditionalPlanets) {
        totals[p] = 0;
    }
    for (const int place : kPlaces) {
        const double lon = slot.longitude[static_cast<std::size_t>(place)];
        if (lon < 0.0) {
            continue;
        }
        std::vector<AlmutenCandidate> all;
        AlmutenOfDegree(lon, day, *c.tables, c.weighting, &all);
        for (const AlmutenCandidate& a : all) {
            totals[a.planet] += a.total;
        }
    }
    w.Brief(fmt::format("{:<10}{:>6}", "Planet", "Score"));
    std::vector<std::string> values;
    for (const int p : kTraditionalPlanets) {
        w.Brief(fmt::format("{:<10}{:>6}", PName(p), totals[p]));
        values.push_back(fmt::format("{}:{}", PAbbr(p), totals[p]));
    }
    w.SetValue("almuten_scores", values);
}

void WritePlanetaryHours(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (IsHeliocentric(slot)) {
        w.Brief(kNotForChartType);
        return;
    }
    WritePlanetaryDayAndHour(slot, w);
}

void WriteMutualReceptions(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    auto tables = LoadDignityTables();
    if (!tables.ok()) {
        w.Brief(tables.status().message());
        return;
    }
    const RulershipScheme& scheme = (*tables)->Scheme(1);
    auto sign_of = [&](int p) {
        return astro::SignOf(slot.longitude[static_cast<std::size_t>(p)]);
    };
    int count = 0;
    for (std::size_t i = 0; i < kTraditionalPlanets.size(); ++i) {
        for (std::size_t j = i + 1; j < kTraditionalPlanets.size(); ++j) {
            const int a = kTraditionalPlanets[i];
            const int b = kTraditionalPlanets[j];
            if (slot.longitude[static_cast<std::size_t>(a)] < 0.0 ||
                slot.longitude[static_cast<std::size_t>(b)] < 0.0) {
                continue;
            }
            const SignRulers& sa = scheme.signs[static_cast<std::size_t>(sign_of(a))];
            const SignRulers& sb = scheme.signs[static_cast<std::size_t>(sign_of(b))];
            if (sa.ruler == b && sb.ruler == a) {
                w.Brief(fmt::format("{} - {} (rulership)", PName(a), PName(b)));
                ++count;
            }
            if (sa.exaltation == b && sb.exaltation == a) {
                w.Brief(fmt::format("{} - {} (exaltation)", PName(a), PName(b)));
                ++count;
            }
        }
    }
    if (count == 0) {
        w.Brief("None");
    }
    w.SetValue("mutual_receptions", static_cast<double>(count));
}

void WritePlanetarySect(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (NotForChart(slot, w)) {
        return;
    }
    const bool day = DayChartOf(slot);
    const double sun = slot.longitude[astro::kSun];
    const double asc = slot.longitude[astro::kAscendant];
    w.Brief(fmt::format("{:<10}{:>4}{:>4}{:>4}  {}", "Planet", "Cht", "Plc", "Sgn", "Condition"));
    for (const int p : kTraditionalPlanets) {
        const double lon = slot.longitude[static_cast<std::size_t>(p)];
        if (lon < 0.0) {
            continue;
        }
        // The sect of each planet: Sun, Jupiter and Saturn diurnal; Moon, Venus and Mars
        // nocturnal; Mercury diurnal when it rises before the Sun (behind it in longitude).
        bool diurnal = p == astro::kSun || p == astro::kJupiter || p == astro::kSaturn;
        if (p == astro::kMercury) {
            diurnal = astro::ModFloor(lon - sun, 360.0) > 180.0;
        }
        const bool above = astro::ModFloor(lon - asc, 360.0) > 180.0;
        const bool masculine = astro::SignOf(lon) % 2 == 1;
        const int matches = (day == diurnal) + (above == diurnal) + (masculine == diurnal);
        const char* condition = matches == 3 ? "In Hayz" : (matches == 0 ? "Ex Cond" : "");
        w.Brief(fmt::format("{:<10}{:>4}{:>4}{:>4}  {}", PName(p), day ? "D" : "N",
                            above ? "D" : "N", masculine ? "D" : "N", condition));
    }
    w.Brief("D=Diurnal, N=Nocturnal");
}

void WriteHyleg(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (NotForChart(slot, w)) {
        return;
    }
    const int h = PtolemaicHyleg(slot);
    w.Brief("Hyleg (Ptolemy):  " + PName(h));
    w.SetValue("hyleg", PName(h));
}

namespace {

// The thresholds of the considerations before judgement (Lilly, Christian Astrology, ch. 21;
// Bonatti's via combusta): an Ascendant in its first or last three degrees; the Moon from
// 15 Libra to 15 Scorpio; Saturn within 5 degrees of the Descendant; the Moon slow or fast
// against her mean daily motion.
struct ConsiderationRules {
    double early_degrees = 3.0;
    double late_degrees = 27.0;
    double via_combusta_start = 195.0;
    double via_combusta_end = 225.0;
    double descendant_orb = 5.0;
    double moon_mean_speed = 13.1764;
};
constexpr ConsiderationRules kConsiderations;

}  // namespace

void WriteConsiderations(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (NotForChart(slot, w)) {
        return;
    }
    std::vector<std::string> found;
    const double asc = slot.longitude[astro::kAscendant];
    const double in_sign = std::fmod(asc, 30.0);
    if (in_sign < kConsiderations.early_degrees || in_sign >= kConsiderations.late_degrees) {
        found.push_back(PName(astro::kAscendant) + " near sign boundary");
    }
    const double moon = slot.longitude[astro::kMoon];
    if (moon >= 0.0) {
        if (MoonVoidOfCourse(r.slot_a)) {
            found.push_back(PName(astro::kMoon) + " void of course");
        }
        if (moon >= kConsiderations.via_combusta_start && moon < kConsiderations.via_combusta_end) {
            found.push_back(PName(astro::kMoon) + " in via combusta");
        }
    }
    const double saturn = slot.longitude[astro::kSaturn];
    if (saturn >= 0.0) {
        const double dsc = astro::ModFloor(asc + 180.0, 360.0);
        if (std::fabs(astro::Norm180(saturn - dsc)) <= kConsiderations.descendant_orb) {
            found.push_back(PName(astro::kSaturn) + " conjunct Dsc");
        } else if (slot.house[astro::kSaturn] == 7) {
            found.push_back(PName(astro::kSaturn) + " in 7th House");
        }
    }
    if (moon >= 0.0) {
        const double speed = std::fabs(slot.speed[astro::kMoon]);
        found.push_back(PName(astro::kMoon) + " is " +
                        (speed < kConsiderations.moon_mean_speed ? "Slow" : "Fast"));
    }
    for (const std::string& line : found) {
        w.Brief(line);
    }
    w.SetValue("considerations", found);
}

}  // namespace meridia::reports::detail
