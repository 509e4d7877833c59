// The Ashtkoot compatibility of two charts, and its summary and detailed reports. The tables
// are the usual ones of North Indian match-making (guna milan) as almanacs and match-making
// guides publish them: each koota compares the two Moons' signs (rashi) or lunar mansions
// (nakshatra).
#include "reports/ashtkoot.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "reports/report_support.h"
#include "startup/name_tables.h"

namespace meridia::reports {

namespace {

using Row5 = std::array<double, 5>;

constexpr std::array<const char*, 27> kNakshatras = {"Ashwini",
                                                     "Bharani",
                                                     "Krittika",
                                                     "Rohini",
                                                     "Mrigashira",
                                                     "Ardra",
                                                     "Punarvasu",
                                                     "Pushya",
                                                     "Ashlesha",
                                                     "Magha",
                                                     "Purva Phalguni",
                                                     "Uttara Phalguni",
                                                     "Hasta",
                                                     "Chitra",
                                                     "Swati",
                                                     "Vishakha",
                                                     "Anuradha",
                                                     "Jyeshtha",
                                                     "Mula",
                                                     "Purva Ashadha",
                                                     "Uttara Ashadha",
                                                     "Shravana",
                                                     "Dhanishta",
                                                     "Shatabhisha",
                                                     "Purva Bhadrapada",
                                                     "Uttara Bhadrapada",
                                                     "Revati"};

// Varna of the Moon's sign (Aries first): 3 Brahmin, 2 Kshatriya, 1 Vaishya, 0 Shudra. The
// boy's varna equal to or above the girl's earns the point.
constexpr std::array<int, 12> kVarnaOfSign = {2, 1, 0, 3, 2, 1, 0, 3, 2, 1, 0, 3};
constexpr std::array<const char*, 4> kVarnaNames = {"Shudra", "Vaishya", "Kshatriya", "Brahmin"};

// Vashya classes: 0 Chatushpada (quadruped), 1 Manava (human), 2 Jalachara (water), 3
// Vanachara (wild), 4 Keeta (insect). Sagittarius is human in its first half and quadruped in
// its second; Capricorn quadruped in its first half and watery in its second.
constexpr std::array<const char*, 5> kVashyaNames = {"Chatushpada", "Manava", "Jalachara",
                                                     "Vanachara", "Keeta"};
constexpr std::array<Row5, 5> kVashyaPoints = {{{2.0, 1.0, 1.0, 0.5, 1.0},
                                                {1.0, 2.0, 0.5, 0.0, 1.0},
                                                {1.0, 0.5, 2.0, 1.0, 1.0},
                                                {0.5, 0.0, 1.0, 2.0, 0.0},
                                                {1.0, 1.0, 1.0, 0.0, 2.0}}};

int VashyaClass(const MoonPlacement& m) {
    constexpr std::array<int, 12> kBySign = {0, 0, 1, 2, 3, 1, 1, 4, 1, 0, 1, 2};
    const bool second_half = m.degree_in_sign >= 15.0;
    if (m.sign == 9) {
        return second_half ? 0 : 1;
    }
    if (m.sign == 10) {
        return second_half ? 2 : 0;
    }
    return kBySign[static_cast<std::size_t>(m.sign - 1)];
}

// Taras: the count from one nakshatra to the other (both counted), in cycles of nine. The
// third (Vipat), fifth (Pratyari) and seventh (Vadha) are ill; each partner's tara that is
// not earns half the koota.
constexpr std::array<const char*, 9> kTaraNames = {
    "Janma", "Sampat", "Vipat", "Kshema", "Pratyari", "Sadhaka", "Vadha", "Mitra", "Ati Mitra"};
int TaraNumber(int from, int to) { return ((to - from + 27) % 27) % 9 + 1; }
bool IllTara(int tara) { return tara == 3 || tara == 5 || tara == 7; }

// Yoni animals of the nakshatras, and the points of a pair (the same animal 4, sworn enemies
// 0: horse and buffalo, elephant and lion, sheep and monkey, serpent and mongoose, dog and
// deer, cat and rat, cow and tiger).
constexpr std::array<const char*, 14> kYoniNames = {
    "Horse", "Elephant", "Sheep", "Serpent", "Dog",    "Cat",      "Rat",
    "Cow",   "Buffalo",  "Tiger", "Deer",    "Monkey", "Mongoose", "Lion"};
constexpr std::array<int, 27> kYoniOfNakshatra = {0, 1, 2,  3,  3, 4,  5,  2,  5,  6, 6,  7, 8, 9,
                                                  8, 9, 10, 10, 4, 11, 12, 11, 13, 0, 13, 7, 1};
constexpr std::array<std::array<int, 14>, 14> kYoniPoints = {{
    {4, 2, 2, 3, 2, 2, 2, 1, 0, 1, 3, 3, 2, 1},
    {2, 4, 3, 3, 2, 2, 2, 2, 3, 1, 2, 3, 2, 0},
    {2, 3, 4, 2, 1, 2, 1, 3, 3, 1, 2, 0, 3, 1},
    {3, 3, 2, 4, 2, 1, 1, 1, 1, 2, 2, 2, 0, 2},
    {2, 2, 1, 2, 4, 2, 1, 2, 2, 1, 0, 2, 1, 1},
    {2, 2, 2, 1, 2, 4, 0, 2, 2, 1, 3, 3, 2, 1},
    {2, 2, 1, 1, 1, 0, 4, 2, 2, 2, 2, 2, 1, 2},
    {1, 2, 3, 1, 2, 2, 2, 4, 3, 0, 3, 2, 2, 1},
    {0, 3, 3, 1, 2, 2, 2, 3, 4, 1, 2, 2, 2, 1},
    {1, 1, 1, 2, 1, 1, 2, 0, 1, 4, 1, 1, 2, 1},
    {3, 2, 2, 2, 0, 3, 2, 3, 2, 1, 4, 2, 2, 1},
    {3, 3, 0, 2, 2, 3, 2, 2, 2, 1, 2, 4, 3, 2},
    {2, 2, 3, 0, 1, 2, 1, 2, 2, 2, 2, 3, 4, 2},
    {1, 0, 1, 2, 1, 1, 2, 1, 1, 1, 1, 2, 2, 4},
}};

// Graha Maitri: the lords of the two Moon signs (Sun, Moon, Mars, Mercury, Jupiter, Venus,
// Saturn) and the points of the pair, from their natural friendships (both friends 5, friend
// and neutral 4, both neutral 3, friend and enemy 1, neutral and enemy 0.5, both enemies 0).
constexpr std::array<const char*, 7> kLordNames = {"Sun",     "Moon",  "Mars",  "Mercury",
                                                   "Jupiter", "Venus", "Saturn"};
constexpr std::array<int, 12> kLordOfSign = {2, 5, 3, 1, 0, 3, 5, 2, 4, 6, 6, 4};
constexpr std::array<std::array<double, 7>, 7> kMaitriPoints = {{
    {5.0, 5.0, 5.0, 4.0, 5.0, 0.0, 0.0},
    {5.0, 5.0, 4.0, 1.0, 4.0, 0.5, 0.5},
    {5.0, 4.0, 5.0, 0.5, 5.0, 3.0, 0.5},
    {4.0, 1.0, 0.5, 5.0, 0.5, 5.0, 4.0},
    {5.0, 4.0, 5.0, 0.5, 5.0, 0.5, 3.0},
    {0.0, 0.5, 3.0, 5.0, 0.5, 5.0, 5.0},
    {0.0, 0.5, 0.5, 4.0, 3.0, 5.0, 5.0},
}};

// Gana of the nakshatras: 0 Deva, 1 Manushya, 2 Rakshasa; points by the boy's gana (rows)
// and the girl's (columns).
constexpr std::array<const char*, 3> kGanaNames = {"Deva", "Manushya", "Rakshasa"};
constexpr std::array<int, 27> kGanaOfNakshatra = {0, 1, 2, 1, 0, 1, 0, 0, 2, 2, 1, 1, 0, 2,
                                                  0, 2, 0, 2, 2, 1, 1, 0, 2, 2, 1, 1, 0};
constexpr std::array<std::array<double, 3>, 3> kGanaPoints = {
    {{6.0, 6.0, 1.0}, {5.0, 6.0, 0.0}, {1.0, 0.0, 6.0}}};

// Bhakoot: the count of the girl's sign from the boy's; 2-12, 5-9 and 6-8 apart earn nothing.
int SignCount(int from, int to) { return (to - from + 12) % 12 + 1; }

// Nadi of the nakshatras: 0 Adi, 1 Madhya, 2 Antya; the same nadi earns nothing.
constexpr std::array<const char*, 3> kNadiNames = {"Adi", "Madhya", "Antya"};
constexpr std::array<int, 27> kNadiOfNakshatra = {0, 1, 2, 2, 1, 0, 0, 1, 2, 2, 1, 0, 0, 1,
                                                  2, 2, 1, 0, 0, 1, 2, 2, 1, 0, 0, 1, 2};

std::size_t Index(int one_based) { return static_cast<std::size_t>(one_based - 1); }

}  // namespace

MoonPlacement PlaceMoon(double sidereal_longitude) {
    const double lon = astro::ModFloor(sidereal_longitude, 360.0);
    MoonPlacement m;
    m.sign = std::clamp(static_cast<int>(lon / 30.0), 0, 11) + 1;
    m.degree_in_sign = lon - (m.sign - 1) * 30.0;
    const int n = std::clamp(static_cast<int>(lon / kNakshatraSpan), 0, 26);
    m.nakshatra = n + 1;
    m.pada =
        std::clamp(static_cast<int>((lon - n * kNakshatraSpan) / (kNakshatraSpan / 4.0)), 0, 3) + 1;
    return m;
}

const std::array<const char*, 27>& NakshatraNames() { return kNakshatras; }

double AshtkootResult::Total() const {
    double total = 0.0;
    for (const KootaScore& k : kootas) {
        total += k.points;
    }
    return total;
}

AshtkootResult ScoreAshtkoot(const MoonPlacement& boy, const MoonPlacement& girl) {
    AshtkootResult r;
    const auto& names = startup::Names();

    const int varna_boy = kVarnaOfSign[Index(boy.sign)];
    const int varna_girl = kVarnaOfSign[Index(girl.sign)];
    r.kootas[0] = {"Varna", 1.0, varna_boy >= varna_girl ? 1.0 : 0.0,
                   kVarnaNames[static_cast<std::size_t>(varna_boy)],
                   kVarnaNames[static_cast<std::size_t>(varna_girl)]};

    const auto vashya_boy = static_cast<std::size_t>(VashyaClass(boy));
    const auto vashya_girl = static_cast<std::size_t>(VashyaClass(girl));
    r.kootas[1] = {"Vashya", 2.0, kVashyaPoints[vashya_boy][vashya_girl], kVashyaNames[vashya_boy],
                   kVashyaNames[vashya_girl]};

    const int tara_boy = TaraNumber(girl.nakshatra, boy.nakshatra);
    const int tara_girl = TaraNumber(boy.nakshatra, girl.nakshatra);
    r.kootas[2] = {"Tara", 3.0, (IllTara(tara_boy) ? 0.0 : 1.5) + (IllTara(tara_girl) ? 0.0 : 1.5),
                   kTaraNames[Index(tara_boy)], kTaraNames[Index(tara_girl)]};

    const auto yoni_boy = static_cast<std::size_t>(kYoniOfNakshatra[Index(boy.nakshatra)]);
    const auto yoni_girl = static_cast<std::size_t>(kYoniOfNakshatra[Index(girl.nakshatra)]);
    r.kootas[3] = {"Yoni", 4.0, static_cast<double>(kYoniPoints[yoni_boy][yoni_girl]),
                   kYoniNames[yoni_boy], kYoniNames[yoni_girl]};

    const auto lord_boy = static_cast<std::size_t>(kLordOfSign[Index(boy.sign)]);
    const auto lord_girl = static_cast<std::size_t>(kLordOfSign[Index(girl.sign)]);
    r.kootas[4] = {"Graha Maitri", 5.0, kMaitriPoints[lord_boy][lord_girl], kLordNames[lord_boy],
                   kLordNames[lord_girl]};

    const auto gana_boy = static_cast<std::size_t>(kGanaOfNakshatra[Index(boy.nakshatra)]);
    const auto gana_girl = static_cast<std::size_t>(kGanaOfNakshatra[Index(girl.nakshatra)]);
    r.kootas[5] = {"Gana", 6.0, kGanaPoints[gana_boy][gana_girl], kGanaNames[gana_boy],
                   kGanaNames[gana_girl]};

    const int apart = SignCount(boy.sign, girl.sign);
    const int back = SignCount(girl.sign, boy.sign);
    const bool dosha =
        apart == 2 || apart == 12 || apart == 5 || apart == 9 || apart == 6 || apart == 8;
    r.kootas[6] = {"Bhakoot", 7.0, dosha ? 0.0 : 7.0,
                   fmt::format("{} ({})", names.SignName(boy.sign, false), back),
                   fmt::format("{} ({})", names.SignName(girl.sign, false), apart)};

    const auto nadi_boy = static_cast<std::size_t>(kNadiOfNakshatra[Index(boy.nakshatra)]);
    const auto nadi_girl = static_cast<std::size_t>(kNadiOfNakshatra[Index(girl.nakshatra)]);
    r.kootas[7] = {"Nadi", 8.0, nadi_boy == nadi_girl ? 0.0 : 8.0, kNadiNames[nadi_boy],
                   kNadiNames[nadi_girl]};
    return r;
}

std::string AshtkootVerdict(double total) {
    if (total < 18.0) {
        return "Not recommended";
    }
    if (total <= 24.0) {
        return "Average";
    }
    if (total <= 32.0) {
        return "Good";
    }
    return "Excellent";
}

namespace detail {

namespace {

// What each koota weighs, for the detailed report.
constexpr std::array<const char*, 8> kKootaMeaning = {
    "Varna: the partners' temperament and spiritual development (the sign's caste).",
    "Vashya: mutual attraction and who holds sway (the sign's class of creature).",
    "Tara: the well-being each brings the other (the count of the birth stars).",
    "Yoni: physical compatibility (the birth stars' animals).",
    "Graha Maitri: friendship of minds (the friendship of the Moon signs' lords).",
    "Gana: temperament (the birth stars' natures: divine, human or demonic).",
    "Bhakoot: welfare and prosperity of the family (the distance of the Moon signs).",
    "Nadi: health and progeny (the birth stars' constitutions).",
};

struct Couple {
    int boy_slot = 0;
    int girl_slot = 0;
    int boy_index = 0;  // 0 when the boy is chart A
    MoonPlacement boy;
    MoonPlacement girl;
};

// The boy is chart A unless the charts say otherwise (chart A marked female, or chart B
// marked male).
bool PickCouple(const ReportRequest& r, ReportWriter& w, Couple& c) {
    if (r.slot_b == 0) {
        w.NL();
        w.Brief("The Ashtkoot compatibility compares two charts (chart B with chart A).");
        return false;
    }
    const astro::ChartSlot& a = astro::Slot(r.slot_a);
    const astro::ChartSlot& b = astro::Slot(r.slot_b);
    if (a.longitude[astro::kMoon] < 0.0 || b.longitude[astro::kMoon] < 0.0) {
        w.NL();
        w.Brief(kNotForChartType);
        return false;
    }
    constexpr int kMale = 1;
    constexpr int kFemale = 2;
    const bool swap = (a.record.event_type == kFemale && b.record.event_type != kFemale) ||
                      (b.record.event_type == kMale && a.record.event_type != kMale);
    c.boy_slot = swap ? r.slot_b : r.slot_a;
    c.girl_slot = swap ? r.slot_a : r.slot_b;
    c.boy_index = swap ? 1 : 0;
    c.boy = PlaceMoon(SiderealMoon(astro::Slot(c.boy_slot)));
    c.girl = PlaceMoon(SiderealMoon(astro::Slot(c.girl_slot)));
    return true;
}

void WritePartner(ReportWriter& w, int slot, int index, const char* role, const MoonPlacement& m) {
    w.NL();
    w.AddRadixChart(astro::Slot(slot), index);
    w.Brief(fmt::format(
        "{}: Moon {} sidereal, {}, {} pada {}", role, ShortPos(SiderealMoon(astro::Slot(slot))),
        startup::Names().SignName(m.sign, false), kNakshatras[Index(m.nakshatra)], m.pada));
}

std::string Points(double p) { return fmt::format("{:.1f}", p); }

void WriteTotal(ReportWriter& w, const AshtkootResult& result) {
    const double total = result.Total();
    w.NL();
    w.Brief(fmt::format("Total Points: {} of {}", Points(total), kAshtkootMaximum));
    w.Brief("Compatibility: " + AshtkootVerdict(total));
    std::vector<std::string> kootas;
    for (const KootaScore& k : result.kootas) {
        kootas.push_back(fmt::format("{}:{}", k.name, Points(k.points)));
    }
    w.SetValue("kootas", kootas);
    w.SetValue("ashtkoot_total", total);
}

void WriteCouple(ReportWriter& w, const Couple& c) {
    const int girl_index = 1 - c.boy_index;
    if (c.boy_index == 0) {
        WritePartner(w, c.boy_slot, 0, "Boy", c.boy);
        WritePartner(w, c.girl_slot, girl_index, "Girl", c.girl);
    } else {
        WritePartner(w, c.girl_slot, girl_index, "Girl", c.girl);
        WritePartner(w, c.boy_slot, c.boy_index, "Boy", c.boy);
    }
}

}  // namespace

void WriteAshtkootSummary(const ReportRequest& r, ReportWriter& w) {
    Couple c;
    if (!PickCouple(r, w, c)) {
        return;
    }
    WriteCouple(w, c);
    const AshtkootResult result = ScoreAshtkoot(c.boy, c.girl);
    w.NL();
    w.Brief(fmt::format("{:<14}{:<18}{:<18}{:>7}{:>6}", "Koota", "Boy", "Girl", "Points", "Max"));
    for (const KootaScore& k : result.kootas) {
        w.Brief(fmt::format("{:<14}{:<18}{:<18}{:>7}{:>6}", k.name, k.boy, k.girl, Points(k.points),
                            k.maximum));
    }
    w.Brief(fmt::format("{:<50}{:>7}{:>6}", "Total", Points(result.Total()), kAshtkootMaximum));
    WriteTotal(w, result);
}

void WriteAshtkootDetailed(const ReportRequest& r, ReportWriter& w) {
    Couple c;
    if (!PickCouple(r, w, c)) {
        return;
    }
    WriteCouple(w, c);
    const AshtkootResult result = ScoreAshtkoot(c.boy, c.girl);
    for (std::size_t i = 0; i < result.kootas.size(); ++i) {
        const KootaScore& k = result.kootas[i];
        w.NL();
        w.Header(fmt::format("{}. {} (maximum {})", i + 1, k.name, k.maximum));
        w.Brief(kKootaMeaning[i]);
        w.Brief("Boy:  " + k.boy);
        w.Brief("Girl: " + k.girl);
        w.Brief(fmt::format("Points: {} of {}", Points(k.points), k.maximum));
    }
    WriteTotal(w, result);
}

}  // namespace detail

}  // namespace meridia::reports
