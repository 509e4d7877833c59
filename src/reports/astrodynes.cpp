// The Astrodynes block: the power (astrodynes) and harmony (harmodynes, negative for discord)
// of the planets, houses, signs, house types and sign types of a chart, and its strongest,
// best and worst aspects.
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "astro/houses.h"
#include "reports/report_support.h"
#include "startup/name_tables.h"

namespace meridia::reports::detail {

namespace {

// The scoring, after E. Benjamine and D. C. Doane (The Astrodyne Manual, Church of Light):
// - an aspect's power falls in direct proportion to its distance from exact, to nothing at
//   the edge of its orb; the Sun and the Moon take wider orbs; the parallel takes a one-degree
//   orb and the conjunction's power;
// - a harmonious aspect carries as much harmony as power, a discordant one as much discord;
//   the conjunction and the parallel are neutral; Saturn adds discord of half the aspect's
//   power and Mars of a quarter, Jupiter harmony of half and Venus of a quarter;
// - a planet's power is its house-position power plus the power of its aspects, its harmony
//   the harmony of its aspects; houses, signs, house types and sign types add up the planets
//   in them.
// The full powers, the orbs and the house-position powers are our table of that scheme.
struct AspectKind {
    const char* abbreviation;
    double angle;
    double full_power;
    double orb;           // planets
    double luminary_orb;  // either point the Sun or the Moon
    int nature;           // +1 harmonious, -1 discordant, 0 neutral
};
constexpr std::array<AspectKind, 9> kAspects = {{
    {"Con", 0.0, 8.0, 10.0, 12.0, 0},
    {"Opp", 180.0, 8.0, 10.0, 12.0, -1},
    {"Squ", 90.0, 6.0, 10.0, 12.0, -1},
    {"Tri", 120.0, 6.0, 10.0, 12.0, 1},
    {"Sex", 60.0, 4.0, 6.0, 7.0, 1},
    {"SSq", 45.0, 2.0, 3.0, 3.0, -1},
    {"Ses", 135.0, 2.0, 3.0, 3.0, -1},
    {"SSx", 30.0, 2.0, 3.0, 3.0, 1},
    {"Inc", 150.0, 2.0, 3.0, 3.0, -1},
}};
constexpr double kParallelOrb = 1.0;
// House-position power of a planet: angular, succedent, cadent.
constexpr std::array<double, 3> kHousePower = {3.0, 2.0, 1.0};

// The planets of the block (and the angles, which make aspects but are not listed).
constexpr std::array<int, 12> kPoints = {astro::kSun,    astro::kMoon,      astro::kMercury,
                                         astro::kVenus,  astro::kMars,      astro::kJupiter,
                                         astro::kSaturn, astro::kUranus,    astro::kNeptune,
                                         astro::kPluto,  astro::kAscendant, astro::kMidheaven};
constexpr std::size_t kPlanetCount = 10;

struct Dyne {
    double power = 0.0;
    double harmony = 0.0;
};

struct FoundAspect {
    int a = 0;
    int b = 0;
    const char* abbreviation = "";
    Dyne dyne;
};

double Modifier(int point) {
    switch (point) {
        case astro::kSaturn:
            return -0.5;
        case astro::kMars:
            return -0.25;
        case astro::kJupiter:
            return 0.5;
        case astro::kVenus:
            return 0.25;
        default:
            return 0.0;
    }
}

Dyne Score(double power, int nature, int a, int b) {
    return {power, power * (nature + Modifier(a) + Modifier(b))};
}

std::vector<FoundAspect> FindAspects(const astro::ChartSlot& slot) {
    std::vector<FoundAspect> found;
    for (std::size_t i = 0; i < kPoints.size(); ++i) {
        for (std::size_t j = i + 1; j < kPoints.size(); ++j) {
            const int a = kPoints[i];
            const int b = kPoints[j];
            const auto ia = static_cast<std::size_t>(a);
            const auto ib = static_cast<std::size_t>(b);
            if (slot.longitude[ia] < 0.0 || slot.longitude[ib] < 0.0) {
                continue;
            }
            const bool luminary =
                a == astro::kSun || a == astro::kMoon || b == astro::kSun || b == astro::kMoon;
            const double separation =
                std::fabs(astro::Norm180(slot.longitude[ia] - slot.longitude[ib]));
            for (const AspectKind& k : kAspects) {
                const double orb = luminary ? k.luminary_orb : k.orb;
                const double deviation = std::fabs(separation - k.angle);
                if (deviation <= orb) {
                    found.push_back(
                        {a, b, k.abbreviation,
                         Score(k.full_power * (1.0 - deviation / orb), k.nature, a, b)});
                    break;
                }
            }
            const double parallel = std::fabs(slot.declination[ia] - slot.declination[ib]);
            if (parallel <= kParallelOrb) {
                found.push_back(
                    {a, b, "Par",
                     Score(kAspects[0].full_power * (1.0 - parallel / kParallelOrb), 0, a, b)});
            }
        }
    }
    return found;
}

void Add(Dyne& to, const Dyne& d) {
    to.power += d.power;
    to.harmony += d.harmony;
}

std::string Row(const std::string& label, const Dyne& d) {
    return fmt::format("{:<12}{:>8.2f}{:>+9.2f}", label, d.power, d.harmony);
}

void Table(ReportWriter& w, const char* title, const char* column) {
    w.NL();
    w.Header(std::string("Astrodynes - ") + title);
    w.Brief(fmt::format("{:<12}{:>8}{:>9}", column, "Power", "Harmony"));
}

}  // namespace

void WriteAstrodynes(const ReportRequest& r, ReportWriter& w) {
    const astro::ChartSlot& slot = astro::Slot(r.slot_a);
    if (!HasHorizon(slot)) {
        w.Brief(kNotForChartType);
        return;
    }
    const std::vector<FoundAspect> aspects = FindAspects(slot);
    std::array<Dyne, kPlanetCount> planets{};
    std::array<Dyne, 13> houses{};  // houses[1..12]
    std::array<Dyne, 13> signs{};   // signs[1..12]
    std::array<Dyne, 3> house_types{};
    std::array<Dyne, 4> elements{};
    std::array<Dyne, 3> qualities{};
    for (std::size_t i = 0; i < kPlanetCount; ++i) {
        const auto p = static_cast<std::size_t>(kPoints[i]);
        if (slot.longitude[p] < 0.0) {
            continue;
        }
        const int house = std::clamp(static_cast<int>(slot.house[p]), 1, 12);
        planets[i].power += kHousePower[static_cast<std::size_t>((house - 1) % 3)];
        for (const FoundAspect& a : aspects) {
            if (a.a == kPoints[i] || a.b == kPoints[i]) {
                Add(planets[i], a.dyne);
            }
        }
        const int sign = astro::SignOf(slot.longitude[p]);
        Add(houses[static_cast<std::size_t>(house)], planets[i]);
        Add(signs[static_cast<std::size_t>(sign)], planets[i]);
        Add(house_types[static_cast<std::size_t>((house - 1) % 3)], planets[i]);
        Add(elements[static_cast<std::size_t>((sign - 1) % 4)], planets[i]);
        Add(qualities[static_cast<std::size_t>((sign - 1) % 3)], planets[i]);
    }

    Table(w, "Planets", "Planet");
    std::vector<std::string> values;
    for (std::size_t i = 0; i < kPlanetCount; ++i) {
        if (slot.longitude[static_cast<std::size_t>(kPoints[i])] < 0.0) {
            continue;
        }
        w.Brief(Row(PName(kPoints[i]), planets[i]));
        values.push_back(fmt::format("{}:{:.2f}:{:.2f}", PAbbr(kPoints[i]), planets[i].power,
                                     planets[i].harmony));
    }
    w.SetValue("astrodynes", values);
    Table(w, "Houses", "House");
    for (int h = 1; h <= 12; ++h) {
        w.Brief(Row(fmt::format("{}", h), houses[static_cast<std::size_t>(h)]));
    }
    Table(w, "Signs", "Sign");
    for (int s = 1; s <= 12; ++s) {
        w.Brief(Row(startup::Names().SignName(s, false), signs[static_cast<std::size_t>(s)]));
    }
    Table(w, "House Types", "Type");
    constexpr std::array<const char*, 3> kHouseTypes = {"Angular", "Succedent", "Cadent"};
    for (std::size_t t = 0; t < 3; ++t) {
        w.Brief(Row(kHouseTypes[t], house_types[t]));
    }
    Table(w, "Sign Types", "Type");
    constexpr std::array<const char*, 4> kElements = {"Fire", "Earth", "Air", "Water"};
    for (std::size_t e = 0; e < 4; ++e) {
        w.Brief(Row(kElements[e], elements[e]));
    }
    constexpr std::array<const char*, 3> kQualities = {"Cardinal", "Fixed", "Mutable"};
    for (std::size_t q = 0; q < 3; ++q) {
        w.Brief(Row(kQualities[q], qualities[q]));
    }

    // The five strongest aspects, the five most harmonious and the five most discordant.
    constexpr std::size_t kListed = 5;
    auto list = [&](const char* title, auto better, auto keep) {
        std::vector<FoundAspect> sorted;
        for (const FoundAspect& a : aspects) {
            if (keep(a)) {
                sorted.push_back(a);
            }
        }
        std::stable_sort(sorted.begin(), sorted.end(), better);
        Table(w, title, "Aspect");
        if (sorted.empty()) {
            w.Brief(" *No items found*");
        }
        for (std::size_t k = 0; k < std::min(kListed, sorted.size()); ++k) {
            const FoundAspect& a = sorted[k];
            w.Brief(Row(fmt::format("{} {} {}", PAbbr(a.a), a.abbreviation, PAbbr(a.b)), a.dyne));
        }
    };
    list(
        "Strongest Aspects",
        [](const FoundAspect& x, const FoundAspect& y) { return x.dyne.power > y.dyne.power; },
        [](const FoundAspect&) { return true; });
    list(
        "Best Aspects",
        [](const FoundAspect& x, const FoundAspect& y) { return x.dyne.harmony > y.dyne.harmony; },
        [](const FoundAspect& a) { return a.dyne.harmony > 0.0; });
    list(
        "Worst Aspects",
        [](const FoundAspect& x, const FoundAspect& y) { return x.dyne.harmony < y.dyne.harmony; },
        [](const FoundAspect& a) { return a.dyne.harmony < 0.0; });
}

}  // namespace meridia::reports::detail
