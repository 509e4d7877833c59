// The dignity tables: records built byte by byte and read back, damaged files refused, the
// factory files checked against the published tables they come from, the day-or-night rule at
// its edge and the almuten of a degree (ties kept, the degree offset).
#include "reports/dignity_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/test_session.h"

namespace meridia::reports {
namespace {

class DignityFilesTest : public testing::SessionTest {
protected:
    DignityFilesTest() {
        std::filesystem::create_directories(session().folders().user_files / kDignityFolder);
        std::filesystem::copy(testing::FactoryDir() / kDignityFolder,
                              session().folders().user_files / kDignityFolder,
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }
};

// Planet codes as the point numbers.
constexpr int kMo = 1, kSu = 3, kMe = 5, kVe = 6, kMa = 7, kJu = 8, kSa = 9, kPl = 12;

TEST(DignityRecords, WeightingRoundTripsThroughItsFixedRecord) {
    AlmutenWeighting w;
    w.special = {1, 2, 3, 4, 5, 6, 7, 8, -9};
    w.ruler = 7;
    w.exaltation = 6;
    w.triplicity = -3;
    w.term_system = 2;
    w.triplicity_scheme = 1;
    w.scored = {true, false, true, false, true};
    w.skip_unpositioned = false;
    w.rulership_scheme = 2;
    w.degree_offset = 1;
    w.final_option = 4;
    w.name = "Test weighting";
    const std::string bytes = EncodeWeighting(w);
    ASSERT_EQ(bytes.size(), kWeightingRecordBytes);
    // The ruler weight at offset 18, little-endian.
    EXPECT_EQ(bytes[18], 7);
    EXPECT_EQ(bytes[19], 0);
    const auto back = DecodeWeighting(bytes + std::string(kWeightingRecordBytes, '\0'), "x.alm");
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->special, w.special);
    EXPECT_EQ(back->ruler, 7);
    EXPECT_EQ(back->triplicity, -3);
    EXPECT_EQ(back->term_system, 2);
    EXPECT_EQ(back->triplicity_scheme, 1);
    EXPECT_EQ(back->scored, w.scored);
    EXPECT_FALSE(back->skip_unpositioned);
    EXPECT_EQ(back->rulership_scheme, 2);
    EXPECT_EQ(back->degree_offset, 1);
    EXPECT_EQ(back->final_option, 4);
    EXPECT_EQ(back->name, "Test weighting");
}

TEST(DignityRecords, DamagedFilesAreRefusedWithTheirName) {
    EXPECT_EQ(DecodeWeighting(std::string(578, '\0'), "house.alm").status().message(),
              "house.alm is damaged.");
    EXPECT_FALSE(DecodeRulerships(std::string(162, '\0'), "rulers2.fil").ok());
    EXPECT_FALSE(DecodeRulerships("", "rulers2.fil").ok());
    EXPECT_FALSE(DecodeTriplicities(std::string(35, '\0'), "tripdig2.fil").ok());
    EXPECT_FALSE(DecodeDegrees(std::string(1801, '\0'), "degdig2.fil").ok());
    // A point code beyond the last point.
    std::string degrees(1800, '\0');
    degrees[3] = static_cast<char>(101);
    EXPECT_FALSE(DecodeDegrees(degrees, "degdig2.fil").ok());
    // A term system outside 0..2.
    std::string weighting(579, '\0');
    weighting[29] = 3;
    EXPECT_FALSE(DecodeWeighting(weighting, "general.alm").ok());
}

TEST_F(DignityFilesTest, FactoryRulershipsFollowPtolemyAndTheModernRulers) {
    const auto tables = LoadDignityTables();
    ASSERT_TRUE(tables.ok()) << tables.status().message();
    const RulershipScheme& traditional = (*tables)->Scheme(1);
    const RulershipScheme& modern = (*tables)->Scheme(2);
    struct Row {
        int sign, ruler, exaltation, degree;
    };
    // Tetrabiblos I.17-19.
    const Row rows[] = {{1, kMa, kSu, 19},  {2, kVe, kMo, 3}, {3, kMe, 0, 0},
                        {4, kMo, kJu, 15},  {5, kSu, 0, 0},   {6, kMe, kMe, 15},
                        {7, kVe, kSa, 21},  {8, kMa, 0, 0},   {9, kJu, 0, 0},
                        {10, kSa, kMa, 28}, {11, kSa, 0, 0},  {12, kJu, kVe, 27}};
    for (const Row& row : rows) {
        const SignRulers& s = traditional.signs[static_cast<std::size_t>(row.sign)];
        EXPECT_EQ(s.ruler, row.ruler) << row.sign;
        EXPECT_EQ(s.exaltation, row.exaltation) << row.sign;
        EXPECT_EQ(s.exaltation_degree, row.degree) << row.sign;
    }
    EXPECT_EQ(modern.signs[8].ruler, kPl);
    EXPECT_EQ(modern.signs[8].co_ruler, kMa);
    EXPECT_EQ(modern.signs[11].ruler, 10);
    EXPECT_EQ(modern.signs[12].ruler, 11);
}

TEST_F(DignityFilesTest, FactoryTermsAndFacesFollowThePublishedTables) {
    const auto tables = LoadDignityTables();
    ASSERT_TRUE(tables.ok());
    const DegreeTable& d = (*tables)->degrees;
    struct Row {
        int degree;  // 0-based degree of the zodiac
        int system;
        int ruler;
    };
    // Egyptian terms (Tetrabiblos I.20): Aries Jupiter 0-6, Venus 6-12, Mercury 12-20, Mars
    // 20-25, Saturn 25-30; Pisces Venus 0-12 ... Saturn 28-30. Ptolemaic terms (Lilly's table):
    // Leo Saturn 0-6. Chaldean: fire signs Jupiter 0-8.
    const Row rows[] = {{0, 0, kJu},   {5, 0, kJu},   {6, 0, kVe},   {19, 0, kMe},
                        {24, 0, kMa},  {29, 0, kSa},  {330, 0, kVe}, {358, 0, kSa},
                        {120, 1, kSa}, {126, 1, kMe}, {0, 2, kJu},   {8, 2, kVe}};
    for (const Row& row : rows) {
        EXPECT_EQ(
            d[static_cast<std::size_t>(row.degree)].terms[static_cast<std::size_t>(row.system)],
            row.ruler)
            << row.degree << " system " << row.system;
    }
    // Every planet's Egyptian terms add up to its "years": Saturn 57, Jupiter 79, Mars 66,
    // Venus 82, Mercury 76.
    std::map<int, int> years;
    for (const DegreeRulers& r : d) {
        ++years[r.terms[0]];
    }
    EXPECT_EQ(years[kSa], 57);
    EXPECT_EQ(years[kJu], 79);
    EXPECT_EQ(years[kMa], 66);
    EXPECT_EQ(years[kVe], 82);
    EXPECT_EQ(years[kMe], 76);
    // Faces: Mars, Sun, Venus in Aries; Mercury, Moon, Saturn in Taurus; Mars again at the
    // last decan of Pisces.
    EXPECT_EQ(d[0].face, kMa);
    EXPECT_EQ(d[10].face, kSu);
    EXPECT_EQ(d[20].face, kVe);
    EXPECT_EQ(d[30].face, kMe);
    EXPECT_EQ(d[40].face, kMo);
    EXPECT_EQ(d[50].face, kSa);
    EXPECT_EQ(d[355].face, kMa);
}

TEST_F(DignityFilesTest, FactoryWeightingsHoldTheDefaultWeights) {
    for (const auto name :
         {kGeneralWeighting, kEssentialWeighting, kHouseWeighting, kHylegWeighting}) {
        const auto w = LoadWeighting(name);
        ASSERT_TRUE(w.ok()) << name;
        EXPECT_EQ(w->ruler, 5);
        EXPECT_EQ(w->exaltation, 4);
        EXPECT_EQ(w->triplicity, 3);
        EXPECT_EQ(w->term, 2);
        EXPECT_EQ(w->face, 1);
    }
}

TEST_F(DignityFilesTest, MissingWeightingFileIsNamed) {
    const auto w = LoadWeighting("nosuch.alm");
    EXPECT_EQ(w.status().code(), startup::StatusCode::kNotFound);
    EXPECT_EQ(w.status().message(), "Unable to open nosuch.alm.");
}

TEST(DayChart, SunExactlyOnTheDescendantIsNight) {
    EXPECT_FALSE(IsDayChart(190.0, 10.0));  // (Sun - Asc) mod 360 = 180
    EXPECT_TRUE(IsDayChart(191.0, 10.0));
    EXPECT_FALSE(IsDayChart(10.0, 10.0));
    EXPECT_TRUE(IsDayChart(5.0, 10.0));  // 355: just above the eastern horizon
}

// Tables made in the test: one scheme where Aries is ruled by Mars, exalts the Sun, fire's
// triplicity rulers are Sun (day), Jupiter (night), Saturn (participating), the first degrees
// are termed by Jupiter then Venus, and the faces by Mars.
DignityTables SmallTables() {
    DignityTables t;
    RulershipScheme s;
    s.number = 1;
    for (int sign = 1; sign <= 12; ++sign) {
        s.signs[static_cast<std::size_t>(sign)] = {kSa, 0, 0, 0};
    }
    s.signs[1] = {kMa, 0, kSu, 19};
    s.signs[12] = {kJu, 0, kVe, 27};
    t.rulerships.push_back(s);
    t.triplicities[0][0] = {kSu, kJu, kSa};
    t.triplicities[3][0] = {kVe, kMa, kMo};
    for (int d = 0; d < 360; ++d) {
        t.degrees[static_cast<std::size_t>(d)].terms = {
            static_cast<std::uint8_t>(d < 6 ? kJu : kVe), 0, 0};
        t.degrees[static_cast<std::size_t>(d)].face = kMa;
    }
    return t;
}

TEST(AlmutenOfDegree, HighestTotalWinsAndTiesAreKept) {
    const DignityTables t = SmallTables();
    AlmutenWeighting w;
    // 3 Aries by day: Mars ruler 5 + face 1 = 6; Sun exaltation 4 + triplicity 3 = 7;
    // Jupiter term 2; Saturn participating 3.
    auto best = AlmutenOfDegree(3.0, true, t, w);
    ASSERT_EQ(best.size(), 1U);
    EXPECT_EQ(best[0].planet, kSu);
    EXPECT_EQ(best[0].total, 7);
    // By night Jupiter rules the triplicity: Jupiter 3 + 2 = 5, the Sun 4, Mars 6.
    best = AlmutenOfDegree(3.0, false, t, w);
    ASSERT_EQ(best.size(), 1U);
    EXPECT_EQ(best[0].planet, kMa);
    // With the exaltation worth 3 by day, Mars (5 + 1) and the Sun (3 + 3) tie.
    w.exaltation = 3;
    best = AlmutenOfDegree(3.0, true, t, w);
    ASSERT_EQ(best.size(), 2U);
    EXPECT_EQ(best[0].total, 6);
    EXPECT_EQ(best[1].total, 6);
}

TEST(AlmutenOfDegree, DegreeOffsetMovesTheFirstDegreeToThePreviousSign) {
    const DignityTables t = SmallTables();
    AlmutenWeighting w;
    w.degree_offset = 1;
    // 0.5 Aries with offset 1 reads as the last degree of Pisces: Jupiter rules, Venus exalts
    // and rules water's triplicity by day: Venus 4 + 3 = 7 (the term of degree 360 is Venus,
    // 2 more: 9).
    const auto best = AlmutenOfDegree(0.5, true, t, w);
    ASSERT_EQ(best.size(), 1U);
    EXPECT_EQ(best[0].planet, kVe);
    EXPECT_EQ(best[0].total, 9);
}

TEST(ScoreDignities, DetrimentAndFallAreNegative) {
    const DignityTables t = SmallTables();
    const AlmutenWeighting w;
    // Venus in Aries (opposite Libra, which the small scheme gives to Saturn): no detriment;
    // the Sun in Libra falls (opposite Aries exalts the Sun).
    const DignityScore sun = ScoreDignities(kSu, 185.0, true, t, w);
    EXPECT_EQ(sun.fall, -4);
    const DignityScore mars = ScoreDignities(kMa, 185.0, true, t, w);
    EXPECT_EQ(mars.detriment, -5);
    EXPECT_EQ(mars.face, 1);
    EXPECT_EQ(mars.Total(), -4);
}

}  // namespace
}  // namespace meridia::reports
