// The Ashtkoot compatibility: couples worked by hand from the published koota tables, the
// structure of the tables against the rules that define them, and the reports on calculated
// charts (the Moon's sidereal place against the ephemeris library's own sidereal mode).
#include "reports/ashtkoot.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <variant>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "reports/reports.h"
#include "support/test_session.h"

namespace meridia::reports {
namespace {

MoonPlacement At(double sidereal_longitude) { return PlaceMoon(sidereal_longitude); }

// A Moon in the middle of nakshatra n (1..27).
MoonPlacement InNakshatra(int n) { return At((n - 0.5) * kNakshatraSpan); }

TEST(PlaceMoon, SignNakshatraAndPada) {
    struct Row {
        double longitude;
        int sign, nakshatra, pada;
    };
    // 13°20' per nakshatra, 3°20' per pada: 261° is 7°40' into Purva Ashadha (from 253°20'),
    // its third pada; 275° is 8°20' into Uttara Ashadha (from 266°40'), its third.
    const Row rows[] = {{0.0, 1, 1, 1},    {13.0, 1, 1, 4},    {13.34, 1, 2, 1},
                        {261.0, 9, 20, 3}, {275.0, 10, 21, 3}, {359.99, 12, 27, 4},
                        {-0.5, 12, 27, 4}, {120.0, 5, 10, 1}};
    for (const Row& row : rows) {
        const MoonPlacement m = At(row.longitude);
        EXPECT_EQ(m.sign, row.sign) << row.longitude;
        EXPECT_EQ(m.nakshatra, row.nakshatra) << row.longitude;
        EXPECT_EQ(m.pada, row.pada) << row.longitude;
    }
    EXPECT_STREQ(NakshatraNames()[19], "Purva Ashadha");
}

struct WorkedCouple {
    const char* what;
    MoonPlacement boy;
    MoonPlacement girl;
    std::array<double, 8> points;  // Varna .. Nadi
};

// Each couple worked by hand:
// 1. Boy Rohini in Taurus, girl Magha in Leo. Varna: Vaishya below Kshatriya, 0. Vashya:
//    quadruped and wild, 0.5. Tara: girl to boy 22 = 4th (Kshema) 1.5, boy to girl 7th
//    (Vadha) 0. Yoni: serpent and rat 1. Maitri: Venus and the Sun, enemies both ways, 0.
//    Gana: Manushya boy, Rakshasa girl, 0. Bhakoot: 4-10, 7. Nadi: Antya both, 0. Total 10.
// 2. Boy Pushya in Cancer, girl Hasta in Virgo. Varna: Brahmin over Vaishya 1. Vashya: water
//    and human 0.5. Tara: girl to boy 5th (Pratyari) 0, boy to girl 6th (Sadhaka) 1.5. Yoni:
//    sheep and buffalo 3. Maitri: Moon (friend of Mercury) and Mercury (enemy of the Moon) 1.
//    Gana: Deva both 6. Bhakoot: 3-11, 7. Nadi: Madhya and Adi 8. Total 28.
// 3. Boy at 20° Sagittarius (Purva Ashadha), girl at 5° Capricorn (Uttara Ashadha). Varna:
//    Kshatriya over Vaishya 1. Vashya: the second half of Sagittarius and the first of
//    Capricorn are both quadruped, 2. Tara: 9th and 2nd, 3. Yoni: monkey and mongoose 3.
//    Maitri: Jupiter and Saturn neutral both ways 3. Gana: Manushya both 6. Bhakoot: 2-12, 0.
//    Nadi: Madhya and Antya 8. Total 26.
TEST(ScoreAshtkoot, CouplesWorkedByHand) {
    const WorkedCouple couples[] = {
        {"Rohini-Magha", InNakshatra(4), InNakshatra(10), {0, 0.5, 1.5, 1, 0, 0, 7, 0}},
        {"Pushya-Hasta", InNakshatra(8), InNakshatra(13), {1, 0.5, 1.5, 3, 1, 6, 7, 8}},
        {"Sagittarius-Capricorn", At(260.0), At(275.0), {1, 2, 3, 3, 3, 6, 0, 8}},
    };
    const std::array<const char*, 8> names = {"Varna",        "Vashya", "Tara",    "Yoni",
                                              "Graha Maitri", "Gana",   "Bhakoot", "Nadi"};
    const std::array<double, 8> maxima = {1, 2, 3, 4, 5, 6, 7, 8};
    for (const WorkedCouple& c : couples) {
        const AshtkootResult r = ScoreAshtkoot(c.boy, c.girl);
        double total = 0.0;
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(r.kootas[i].name, names[i]);
            EXPECT_EQ(r.kootas[i].maximum, maxima[i]);
            EXPECT_EQ(r.kootas[i].points, c.points[i]) << c.what << " " << names[i];
            total += c.points[i];
        }
        EXPECT_EQ(r.Total(), total) << c.what;
    }
    const AshtkootResult first = ScoreAshtkoot(InNakshatra(4), InNakshatra(10));
    EXPECT_EQ(first.kootas[3].boy, "Serpent");
    EXPECT_EQ(first.kootas[3].girl, "Rat");
    EXPECT_EQ(first.kootas[2].boy, "Kshema");
    EXPECT_EQ(first.kootas[2].girl, "Vadha");
}

// The same Moon for both: every koota at its maximum but Nadi (same nadi) and Tara's count
// of one (Janma, not ill), so 36 - 8 = 28.
TEST(ScoreAshtkoot, SameMoonLosesOnlyNadi) {
    for (int n = 1; n <= 27; ++n) {
        const MoonPlacement m = InNakshatra(n);
        const AshtkootResult r = ScoreAshtkoot(m, m);
        EXPECT_EQ(r.Total(), 28.0) << n;
        EXPECT_EQ(r.kootas[7].points, 0.0) << n;
    }
}

// Nadi follows the zigzag Adi, Madhya, Antya, Antya, Madhya, Adi through the 27 nakshatras;
// two Moons earn the 8 points exactly when their places in that pattern differ.
TEST(ScoreAshtkoot, NadiFollowsTheZigzagOfTheNakshatras) {
    constexpr std::array<int, 6> kZigzag = {0, 1, 2, 2, 1, 0};
    for (int a = 1; a <= 27; ++a) {
        for (int b = 1; b <= 27; ++b) {
            const bool same = kZigzag[static_cast<std::size_t>((a - 1) % 6)] ==
                              kZigzag[static_cast<std::size_t>((b - 1) % 6)];
            EXPECT_EQ(ScoreAshtkoot(InNakshatra(a), InNakshatra(b)).kootas[7].points,
                      same ? 0.0 : 8.0)
                << a << " " << b;
        }
    }
}

// Graha Maitri from the natural friendships of the sign lords (friend 2, neutral 1, enemy 0
// each way): both friends 5, friend and neutral 4, both neutral 3, friend and enemy 1,
// neutral and enemy 0.5, both enemies 0.
TEST(ScoreAshtkoot, GrahaMaitriFollowsTheNaturalFriendships) {
    // Sun, Moon, Mars, Mercury, Jupiter, Venus, Saturn: how the row planet regards the column.
    constexpr std::array<std::array<int, 7>, 7> kRegard = {{
        {2, 2, 2, 1, 2, 0, 0},
        {2, 2, 1, 2, 1, 1, 1},
        {2, 2, 2, 0, 2, 1, 1},
        {2, 0, 1, 2, 1, 2, 1},
        {2, 2, 2, 0, 2, 0, 1},
        {0, 0, 1, 2, 1, 2, 2},
        {0, 0, 0, 2, 1, 2, 2},
    }};
    // A sign of each lord: Leo, Cancer, Aries, Gemini, Sagittarius, Taurus, Capricorn (the
    // Moon at 10° of the sign keeps clear of the half-sign classes).
    constexpr std::array<int, 7> kSignOf = {5, 4, 1, 3, 9, 2, 10};
    auto points = [](int x, int y) {
        const int lo = std::min(x, y);
        const int hi = std::max(x, y);
        if (lo == 2 && hi == 2)
            return 5.0;
        if (lo == 1 && hi == 2)
            return 4.0;
        if (lo == 1 && hi == 1)
            return 3.0;
        if (lo == 0 && hi == 2)
            return 1.0;
        if (lo == 0 && hi == 1)
            return 0.5;
        return 0.0;
    };
    for (std::size_t i = 0; i < 7; ++i) {
        for (std::size_t j = 0; j < 7; ++j) {
            const MoonPlacement boy = At((kSignOf[i] - 1) * 30.0 + 10.0);
            const MoonPlacement girl = At((kSignOf[j] - 1) * 30.0 + 10.0);
            EXPECT_EQ(ScoreAshtkoot(boy, girl).kootas[4].points,
                      points(kRegard[i][j], kRegard[j][i]))
                << i << " " << j;
        }
    }
}

// Tara: counting from either Moon to the other in nines, the 3rd, 5th and 7th are ill.
// Bhakoot: signs 2-12, 5-9 or 6-8 apart lose the seven points.
TEST(ScoreAshtkoot, TaraAndBhakootCountBothWays) {
    for (int a = 1; a <= 27; ++a) {
        for (int b = 1; b <= 27; ++b) {
            auto good = [](int from, int to) {
                const int count = (to - from + 27) % 27 + 1;  // both ends counted
                const int tara = (count - 1) % 9 + 1;
                return tara != 3 && tara != 5 && tara != 7;
            };
            const double expected = (good(b, a) ? 1.5 : 0.0) + (good(a, b) ? 1.5 : 0.0);
            EXPECT_EQ(ScoreAshtkoot(InNakshatra(a), InNakshatra(b)).kootas[2].points, expected)
                << a << " " << b;
        }
    }
    for (int s = 1; s <= 12; ++s) {
        for (int t = 1; t <= 12; ++t) {
            const int apart = (t - s + 12) % 12 + 1;
            const bool dosha =
                apart == 2 || apart == 12 || apart == 5 || apart == 9 || apart == 6 || apart == 8;
            EXPECT_EQ(ScoreAshtkoot(At((s - 1) * 30.0 + 10.0), At((t - 1) * 30.0 + 10.0))
                          .kootas[6]
                          .points,
                      dosha ? 0.0 : 7.0)
                << s << " " << t;
        }
    }
}

// Yoni: the same animal 4; the seven pairs of sworn enemies 0, whichever partner holds which.
TEST(ScoreAshtkoot, YoniOfSwornEnemiesIsNothing) {
    // A nakshatra of each enemy pair: Ashwini (horse) and Hasta (buffalo), Bharani (elephant)
    // and Dhanishta (lion), Krittika (sheep) and Shravana (monkey), Rohini (serpent) and
    // Uttara Ashadha (mongoose), Ardra (dog) and Anuradha (deer), Punarvasu (cat) and Magha
    // (rat), Uttara Phalguni (cow) and Chitra (tiger).
    const std::array<std::array<int, 2>, 7> enemies = {
        {{1, 13}, {2, 23}, {3, 22}, {4, 21}, {6, 17}, {7, 10}, {12, 14}}};
    for (const auto& pair : enemies) {
        EXPECT_EQ(ScoreAshtkoot(InNakshatra(pair[0]), InNakshatra(pair[1])).kootas[3].points, 0.0);
        EXPECT_EQ(ScoreAshtkoot(InNakshatra(pair[1]), InNakshatra(pair[0])).kootas[3].points, 0.0);
    }
    // Ashwini and Shatabhisha share the horse.
    EXPECT_EQ(ScoreAshtkoot(InNakshatra(1), InNakshatra(24)).kootas[3].points, 4.0);
}

TEST(AshtkootVerdict, ReadsTheTotal) {
    EXPECT_EQ(AshtkootVerdict(17.5), "Not recommended");
    EXPECT_EQ(AshtkootVerdict(18.0), "Average");
    EXPECT_EQ(AshtkootVerdict(24.5), "Good");
    EXPECT_EQ(AshtkootVerdict(33.0), "Excellent");
}

class AshtkootReportTest : public testing::SessionTest {
protected:
    int Open(int year, int month, int day, int hour, std::uint8_t event_type) {
        astro::ChartRecord r;
        r.data.name = "Partner";
        r.data.date_time = {static_cast<std::int16_t>(year),
                            static_cast<std::uint8_t>(month),
                            static_cast<std::uint8_t>(day),
                            static_cast<std::uint8_t>(hour),
                            0,
                            0};
        r.data.place.latitude = 28.6F;
        r.data.place.longitude = -77.2F;
        r.data.zone.hours = 0.0F;
        r.event_type = event_type;
        const int slot = astro::OpenChartIntoSlot(r, "", 0);
        EXPECT_GT(slot, 0);
        return slot;
    }

    // The Moon of the moment in Lahiri's sidereal zodiac, from the library's sidereal mode.
    // The Moon must stand clear of the nakshatra boundaries (and so of the sign boundaries)
    // for the comparison to be decided.
    static MoonPlacement LibraryMoon(int year, int month, int day, int hour) {
        swe_set_sid_mode(SE_SIDM_LAHIRI, 0.0, 0.0);
        std::array<double, 6> x{};
        char error[AS_MAXCH] = "";
        swe_calc_ut(swe_julday(year, month, day, hour, SE_GREG_CAL), SE_MOON,
                    SEFLG_SWIEPH | SEFLG_SIDEREAL, x.data(), error);
        const double into = std::fmod(x[0], kNakshatraSpan / 4.0);
        EXPECT_GT(into, 0.05) << year;
        EXPECT_LT(into, kNakshatraSpan / 4.0 - 0.05) << year;
        return PlaceMoon(x[0]);
    }

    static ReportWriter Run(std::string_view kind, int a, int b) {
        ReportRequest request;
        request.slot_a = a;
        request.slot_b = b;
        ReportWriter w;
        EXPECT_TRUE(RunReport(kind, request, w).ok());
        return w;
    }
};

TEST_F(AshtkootReportTest, ScoresTheChartsMoonsInTheSiderealZodiac) {
    const int a = Open(1985, 3, 10, 6, 0);
    const int b = Open(1988, 11, 2, 18, 0);
    const MoonPlacement moon_a = LibraryMoon(1985, 3, 10, 6);
    const MoonPlacement moon_b = LibraryMoon(1988, 11, 2, 18);
    const AshtkootResult expected = ScoreAshtkoot(moon_a, moon_b);

    const ReportWriter w = Run("compatibility", a, b);
    EXPECT_EQ(w.Title(), "*** Ashtkoot Summary Report ***");
    EXPECT_EQ(w.Lines().front().text, "*** Ashtkoot Summary Report ***");
    EXPECT_EQ(w.Lines().back().text, kEndReport);
    EXPECT_DOUBLE_EQ(std::get<double>(w.Values().at("ashtkoot_total")), expected.Total());
    const std::string total_line =
        "Total Points: " + std::to_string(static_cast<int>(expected.Total())) +
        (expected.Total() - static_cast<int>(expected.Total()) > 0 ? ".5" : ".0") + " of 36";
    bool found = false;
    for (const ReportLine& line : w.Lines()) {
        found = found || line.text == total_line;
    }
    EXPECT_TRUE(found) << total_line;

    // Chart A marked female: chart B is the boy.
    const int a_female = Open(1985, 3, 10, 6, 2);
    const ReportWriter swapped = Run("compatibility-detailed", a_female, b);
    EXPECT_EQ(swapped.Lines().front().text, "*** Ashtkoot Detailed Report ***");
    EXPECT_DOUBLE_EQ(std::get<double>(swapped.Values().at("ashtkoot_total")),
                     ScoreAshtkoot(moon_b, moon_a).Total());
}

TEST_F(AshtkootReportTest, OneChartIsNotEnough) {
    const int a = Open(1985, 3, 10, 6, 0);
    const ReportWriter w = Run("compatibility", a, 0);
    ASSERT_GE(w.Lines().size(), 3U);
    EXPECT_EQ(w.Lines()[w.Lines().size() - 2].text,
              "The Ashtkoot compatibility compares two charts (chart B with chart A).");
    EXPECT_EQ(w.Values().count("ashtkoot_total"), 0U);
}

}  // namespace
}  // namespace meridia::reports
