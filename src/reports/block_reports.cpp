// The page text blocks that need no dignity tables: Chinese year, elements, modes, rays,
// nakshatras, Chinese and Arabic lunar mansions, temperaments, and the nearest lunar phases
// and eclipses.
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/extra_points.h"
#include "astro/fixed_stars.h"
#include "astro/houses.h"
#include "reports/ashtkoot.h"
#include "reports/report_support.h"
#include "returns/eclipses.h"
#include "returns/lunar_phases.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::reports::detail {

namespace {

// The planets and angles counted by the element, mode and temperament blocks.
constexpr std::array<int, 12> kBalancePoints = {
    astro::kSun,     astro::kMoon,    astro::kMercury,   astro::kVenus,
    astro::kMars,    astro::kJupiter, astro::kSaturn,    astro::kUranus,
    astro::kNeptune, astro::kPluto,   astro::kAscendant, astro::kMidheaven};

// The Sun's tropical longitude of a chart (heliocentric: the Earth's opposite).
double TropicalSun(const astro::ChartSlot& slot) {
    double sun = slot.longitude[astro::kSun];
    if (sun < 0.0 && slot.longitude[astro::kEarth] >= 0.0) {
        sun = slot.longitude[astro::kEarth] + 180.0;
    }
    return sun < 0.0 ? -1.0 : astro::ModFloor(sun - slot.zodiac_offset, 360.0);
}

void WriteCounts(const astro::ChartSlot& slot, ReportWriter& w, int groups,
                 const std::array<const char*, 4>& names, const char* value_name) {
    std::array<std::string, 4> members;
    std::array<int, 4> counts{};
    for (const int p : kBalancePoints) {
        const double lon = slot.longitude[static_cast<std::size_t>(p)];
        if (lon < 0.0) {
            continue;
        }
        const auto g = static_cast<std::size_t>((astro::SignOf(lon) - 1) % groups);
        ++counts[g];
        members[g] += (members[g].empty() ? "" : " ") + PAbbr(p);
    }
    std::vector<std::string> values;
    for (std::size_t g = 0; g < static_cast<std::size_t>(groups); ++g) {
        w.Brief(fmt::format("{:<9}{:>3}  {}", names[g], counts[g], members[g]));
        values.push_back(fmt::format("{}:{}", names[g], counts[g]));
    }
    w.SetValue(value_name, values);
}

}  // namespace

void WriteChineseYear(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    // The year begins at Lichun, the Sun at 315 degrees tropical (the solar year of the four
    // pillars); a date in January or February before it belongs to the year before.
    int year = slot.record.data.date_time.year;
    const double sun = TropicalSun(slot);
    if (slot.record.data.date_time.month <= 2 && sun >= 270.0 && sun < 315.0) {
        --year;
    }
    constexpr std::array<const char*, 5> kElements = {"Wood", "Fire", "Earth", "Metal", "Water"};
    constexpr std::array<const char*, 12> kAnimals = {"Rat",    "Ox",      "Tiger", "Rabbit",
                                                      "Dragon", "Snake",   "Horse", "Sheep",
                                                      "Monkey", "Rooster", "Dog",   "Pig"};
    const int stem = ((year - 4) % 10 + 10) % 10;
    const int branch = ((year - 4) % 12 + 12) % 12;
    const std::string text = fmt::format("{} {} {}", stem % 2 == 0 ? "Yang" : "Yin",
                                         kElements[static_cast<std::size_t>(stem / 2)],
                                         kAnimals[static_cast<std::size_t>(branch)]);
    w.Brief(text);
    w.SetValue("chinese_year", text);
}

void WriteElements(const ReportRequest& r, ReportWriter& w) {
    WriteCounts(astro::Slot(r.slot_a), w, 4, {"Fire", "Earth", "Air", "Water"}, "elements");
}

void WriteModes(const ReportRequest& r, ReportWriter& w) {
    WriteCounts(astro::Slot(r.slot_a), w, 3, {"Cardinal", "Fixed", "Mutable", ""}, "modes");
}

void WriteRays(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    // The seven rays and the signs that transmit them, after A. A. Bailey, Esoteric Astrology
    // (the rays of the constellations): Aries 1 7, Taurus 4, Gemini 2, Cancer 3 7, Leo 1 5,
    // Virgo 2 6, Libra 3, Scorpio 4, Sagittarius 4 5 6, Capricorn 1 3 7, Aquarius 5,
    // Pisces 2 6. Each planet and angle counts for every ray of its sign.
    constexpr std::array<const char*, 7> kRayNames = {
        "Will", "Love-Wisdom", "Intelligence", "Harmony", "Knowledge", "Devotion", "Order"};
    constexpr std::array<std::array<bool, 7>, 12> kSignRays = {{
        {true, false, false, false, false, false, true},
        {false, false, false, true, false, false, false},
        {false, true, false, false, false, false, false},
        {false, false, true, false, false, false, true},
        {true, false, false, false, true, false, false},
        {false, true, false, false, false, true, false},
        {false, false, true, false, false, false, false},
        {false, false, false, true, false, false, false},
        {false, false, false, true, true, true, false},
        {true, false, true, false, false, false, true},
        {false, false, false, false, true, false, false},
        {false, true, false, false, false, true, false},
    }};
    std::array<std::string, 7> members;
    std::array<int, 7> counts{};
    for (const int p : kBalancePoints) {
        const double lon = slot.longitude[static_cast<std::size_t>(p)];
        if (lon < 0.0) {
            continue;
        }
        const auto sign = static_cast<std::size_t>(astro::SignOf(lon) - 1);
        for (std::size_t ray = 0; ray < 7; ++ray) {
            if (kSignRays[sign][ray]) {
                ++counts[ray];
                members[ray] += (members[ray].empty() ? "" : " ") + PAbbr(p);
            }
        }
    }
    std::vector<std::string> values;
    for (std::size_t ray = 0; ray < 7; ++ray) {
        w.Brief(
            fmt::format("{} {:<13}{:>3}  {}", ray + 1, kRayNames[ray], counts[ray], members[ray]));
        values.push_back(fmt::format("{}:{}", ray + 1, counts[ray]));
    }
    w.SetValue("rays", values);
}

void WriteNakshatras(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    // The 27 nakshatras of 13°20' from 0 Aries sidereal (Lahiri), each of four padas, with
    // their Vimshottari lords.
    constexpr std::array<const char*, 9> kLords = {"Ketu", "Venus",   "Sun",    "Moon",   "Mars",
                                                   "Rahu", "Jupiter", "Saturn", "Mercury"};
    constexpr double kSpan = 360.0 / 27.0;
    std::vector<std::string> values;
    for (const int p : ReportPoints(r, slot)) {
        if (p > astro::kPluto && p != astro::kAscendant) {
            continue;
        }
        const double lon = LahiriLongitude(slot, slot.longitude[static_cast<std::size_t>(p)]);
        const int n = std::min(26, static_cast<int>(lon / kSpan));
        const int pada = std::min(3, static_cast<int>((lon - n * kSpan) / (kSpan / 4.0))) + 1;
        w.Brief(fmt::format("{:<10} {:<18} pada {}  lord {}", PName(p),
                            NakshatraNames()[static_cast<std::size_t>(n)], pada,
                            kLords[static_cast<std::size_t>(n % 9)]));
        values.push_back(
            fmt::format("{}:{}", PAbbr(p), NakshatraNames()[static_cast<std::size_t>(n)]));
    }
    w.SetValue("nakshatras", values);
}

void WriteChineseMansions(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    // The 28 xiu begin at their determinative stars, which the star list of the
    // `ChineseMansions` setting names in the order of the mansions (factory "ChLunMan.fst",
    // Jiao at Spica first). A mansion runs from its star to the next one's in right ascension,
    // the measure of the Chinese star maps, so its extent follows the stars' places at the
    // chart's moment (precession included); a point is in the mansion of the last star at or
    // before its own right ascension.
    const std::string file = startup::CurrentSession().settings().GetString("ChineseMansions");
    const auto stars =
        astro::ReadExtraPointFile(astro::ExtraFilePath(file, astro::kStarListExtension));
    if (!stars.ok()) {
        w.Brief(stars.status().message());
        return;
    }
    struct Mansion {
        std::size_t number;  // 1.. in the list's order
        double right_ascension;
        std::string name;
    };
    std::vector<Mansion> mansions;
    for (const astro::ExtraPointDefinition& star : *stars) {
        const auto place =
            astro::CalcStarPos(star.star_key, slot.julian_day, false, slot.obliquity);
        if (star.kind == astro::ExtraKind::kStar && place) {
            mansions.push_back({mansions.size() + 1, place->right_ascension, star.name});
        }
    }
    if (mansions.empty()) {
        w.Brief(" *No items found*");
        return;
    }
    std::vector<Mansion> by_ascension = mansions;
    std::sort(by_ascension.begin(), by_ascension.end(), [](const Mansion& a, const Mansion& b) {
        return a.right_ascension < b.right_ascension;
    });
    std::vector<std::string> values;
    for (const int p : ReportPoints(r, slot)) {
        if (p > astro::kPluto && p != astro::kAscendant && p != astro::kMidheaven) {
            continue;
        }
        const double ra = slot.right_ascension[static_cast<std::size_t>(p)];
        // The last star at or before the point; before the first, the last star of the circle.
        const Mansion* in = &by_ascension.back();
        for (const Mansion& m : by_ascension) {
            if (m.right_ascension <= ra) {
                in = &m;
            }
        }
        const double into = astro::ModFloor(ra - in->right_ascension, 360.0);
        w.Brief(fmt::format("{:<10} {:>2} {:<24} {:>6.2f}°", PName(p), in->number, in->name, into));
        values.push_back(fmt::format("{}:{}", PAbbr(p), in->number));
    }
    w.SetValue("chinese_mansions", values);
}

void WriteLunarMansions(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    // The 28 Arabic mansions of 12°51'26" each from 0 Aries of the chart's zodiac (Agrippa,
    // De occulta philosophia II.33).
    constexpr std::array<const char*, 28> kNames = {
        "Al Sharatain",       "Al Butain",         "Al Thurayya", "Al Dabaran",  "Al Haqah",
        "Al Hanah",           "Al Dhira",          "Al Nathrah",  "Al Tarf",     "Al Jabhah",
        "Al Zubrah",          "Al Sarfah",         "Al Awwa",     "Al Simak",    "Al Ghafr",
        "Al Zubana",          "Al Iklil",          "Al Qalb",     "Al Shaulah",  "Al Naaim",
        "Al Baldah",          "Sad al Dhabih",     "Sad Bula",    "Sad al Suud", "Sad al Akhbiyah",
        "Al Fargh al Mukdim", "Al Fargh al Thani", "Batn al Hut"};
    const double moon = slot.longitude[astro::kMoon];
    if (moon < 0.0) {
        w.Brief(kNotForChartType);
        return;
    }
    const int n = std::min(27, static_cast<int>(moon / (360.0 / 28.0)));
    w.Brief(fmt::format("{} in mansion {}: {}", PName(astro::kMoon), n + 1,
                        kNames[static_cast<std::size_t>(n)]));
    w.SetValue("lunar_mansion", static_cast<double>(n + 1));
}

void WriteTemperaments(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (!HasHorizon(slot) || slot.longitude[astro::kMoon] < 0.0) {
        w.Brief(kNotForChartType);
        return;
    }
    // The temperament by the standard method of Lilly (Christian Astrology) as Gadbury tabulates
    // it: the qualities of the Ascendant's sign, the Moon's sign, the Moon's phase and the
    // season of the Sun, each hot or cold and moist or dry. Fire hot-dry, earth cold-dry, air
    // hot-moist, water cold-moist; phases and seasons in the order hot-moist, hot-dry,
    // cold-dry, cold-moist.
    constexpr std::array<std::array<int, 2>, 4> kElementQualities = {
        {{1, 0}, {0, 0}, {1, 1}, {0, 1}}};  // {hot, moist}
    constexpr std::array<std::array<int, 2>, 4> kQuarterQualities = {
        {{1, 1}, {1, 0}, {0, 0}, {0, 1}}};
    std::array<int, 4> score{};  // Choleric, Sanguine, Melancholic, Phlegmatic
    auto add = [&score](const std::array<int, 2>& q) {
        const int hot = q[0];
        const int moist = q[1];
        ++score[static_cast<std::size_t>(hot == 1 ? (moist == 1 ? 1 : 0) : (moist == 1 ? 3 : 2))];
    };
    auto element = [](double lon) {
        return static_cast<std::size_t>((astro::SignOf(lon) - 1) % 4);
    };
    add(kElementQualities[element(slot.longitude[astro::kAscendant])]);
    add(kElementQualities[element(slot.longitude[astro::kMoon])]);
    const double phase =
        astro::ModFloor(slot.longitude[astro::kMoon] - slot.longitude[astro::kSun], 360.0);
    add(kQuarterQualities[static_cast<std::size_t>(std::min(3, static_cast<int>(phase / 90.0)))]);
    const double sun = TropicalSun(slot);
    add(kQuarterQualities[static_cast<std::size_t>(std::min(3, static_cast<int>(sun / 90.0)))]);
    constexpr std::array<const char*, 4> kNames = {"Choleric", "Sanguine", "Melancholic",
                                                   "Phlegmatic"};
    std::vector<std::string> values;
    for (std::size_t i = 0; i < 4; ++i) {
        w.Brief(fmt::format("{:<12}{:>3}", kNames[i], score[i]));
        values.push_back(fmt::format("{}:{}", kNames[i], score[i]));
    }
    w.SetValue("temperaments", values);
}

void WriteNearestLunarPhases(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    // The last phase of each kind before the chart's moment and the first after it (a lunar
    // month and a little either side holds both).
    constexpr double kSpan = 32.0;
    const auto phases =
        returns::FindLunarPhases(slot.julian_day_ut - kSpan, slot.julian_day_ut + kSpan);
    if (!phases.ok()) {
        w.Brief(phases.status().message());
        return;
    }
    std::vector<std::string> values;
    for (const bool after : {false, true}) {
        for (const returns::LunarPhase kind :
             {returns::LunarPhase::kNew, returns::LunarPhase::kFirstQuarter,
              returns::LunarPhase::kFull, returns::LunarPhase::kLastQuarter}) {
            const returns::LunarPhaseEvent* pick = nullptr;
            for (const returns::LunarPhaseEvent& e : *phases) {
                if (e.phase != kind) {
                    continue;
                }
                if (!after && e.jd_ut <= slot.julian_day_ut) {
                    pick = &e;
                }
                if (after && e.jd_ut > slot.julian_day_ut && pick == nullptr) {
                    pick = &e;
                }
            }
            if (pick == nullptr) {
                continue;
            }
            const std::string line = fmt::format(
                "{} {:<14} {}  {}", after ? "Next" : "Prev", returns::LunarPhaseTitle(kind),
                ChartDateText(slot, pick->jd_ut),
                ShortPos(astro::ModFloor(pick->moon_longitude + slot.zodiac_offset, 360.0)));
            w.Brief(line);
            values.push_back(fmt::format("{}:{:.6f}", returns::LunarPhaseKey(kind), pick->jd_ut));
        }
    }
    w.SetValue("lunar_phases", values);
}

void WriteNearestEclipses(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    std::vector<std::string> values;
    for (const bool after : {false, true}) {
        for (const returns::EclipseKind kind :
             {returns::EclipseKind::kSolar, returns::EclipseKind::kLunar}) {
            const auto e = after ? returns::NextEclipse(kind, slot.julian_day_ut)
                                 : returns::PreviousEclipse(kind, slot.julian_day_ut);
            if (!e) {
                continue;
            }
            w.Brief(fmt::format(
                "{} {:<5} {:<8} {}  {}", after ? "Next" : "Prev",
                kind == returns::EclipseKind::kSolar ? "Solar" : "Lunar",
                returns::EclipseTypeText(kind, e->data.type), ChartDateText(slot, e->ec_jd),
                ShortPos(astro::ModFloor(e->position + slot.zodiac_offset, 360.0))));
            values.push_back(fmt::format("{:.6f}", e->ec_jd));
        }
    }
    if (values.empty()) {
        w.Brief("No Eclipses");
    }
    w.SetValue("eclipses", values);
}

void WriteNotAvailable(const ReportRequest& /*r*/, ReportWriter& w) {
    w.Brief("Not available in this version.");
}

}  // namespace meridia::reports::detail
