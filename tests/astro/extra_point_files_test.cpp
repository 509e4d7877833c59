// Parts files and extra-point definition files: round trips through the writers, the factory
// copies, and damaged or hostile files refused whole with a message that names the file and
// the line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "astro/arabic_parts.h"
#include "astro/extra_points.h"
#include "astro/fixed_stars.h"
#include "support/test_session.h"

namespace meridia::astro {
namespace {

class ExtraPointFilesTest : public testing::SessionTest {};

TEST_F(ExtraPointFilesTest, FactoryPartsFileHoldsTheHermeticLots) {
    const auto parts = ReadPartsFile(testing::FactoryDir() / "Points & Colors" / "allparts.arp");
    ASSERT_TRUE(parts.ok()) << parts.status().message();
    EXPECT_FALSE(parts->modern_rulers);
    for (const char* name :
         {"Fortune", "Spirit", "Eros", "Necessity", "Courage", "Victory", "Nemesis"}) {
        const int lot = FindLot(*parts, name);
        ASSERT_GE(lot, 0) << name;
        EXPECT_TRUE(parts->lots[static_cast<std::size_t>(lot)].reverse_by_night) << name;
    }
    const LotDefinition& eros = parts->lots[static_cast<std::size_t>(FindLot(*parts, "Eros"))];
    ASSERT_EQ(eros.terms.size(), 3U);
    EXPECT_EQ(eros.terms[2].type, LotOperandType::kLot);
    EXPECT_EQ(eros.terms[2].sign, -1);
}

TEST_F(ExtraPointFilesTest, PartsFileRoundTrips) {
    const std::string text =
        "rulerships = modern\n"
        "Alpha | Al | Asc + Moon - Sun | reverse | 65\n"
        "Beta | Be | H10 + Ruler H8 - Ruler Asc + 15Ar30 - Lot Alpha | no | 0\n"
        "Gamma | Ga | Co-Ascendant - Anti-Vertex | no\n";
    const auto parts = ParsePartsFile(text, "test.arp");
    ASSERT_TRUE(parts.ok()) << parts.status().message();
    ASSERT_EQ(parts->lots.size(), 3U);
    EXPECT_TRUE(parts->modern_rulers);
    const LotDefinition& beta = parts->lots[1];
    ASSERT_EQ(beta.terms.size(), 5U);
    EXPECT_EQ(beta.terms[0].type, LotOperandType::kCusp);
    EXPECT_EQ(beta.terms[1].type, LotOperandType::kRulerOfCusp);
    EXPECT_EQ(beta.terms[2].type, LotOperandType::kRulerOfPoint);
    EXPECT_EQ(beta.terms[2].sign, -1);
    EXPECT_EQ(beta.terms[3].type, LotOperandType::kPosition);
    EXPECT_DOUBLE_EQ(beta.terms[3].position, 15.5);
    EXPECT_EQ(beta.terms[4].type, LotOperandType::kLot);
    EXPECT_EQ(parts->lots[2].terms[0].value, 37);  // names with hyphens stay whole
    EXPECT_EQ(parts->lots[0].glyph, 65);

    const auto path = temp() / "round.arp";
    ASSERT_TRUE(WritePartsFile(path, *parts).ok());
    const auto again = ReadPartsFile(path);
    ASSERT_TRUE(again.ok()) << again.status().message();
    EXPECT_EQ(FormatPartsFile(*again), FormatPartsFile(*parts));
}

struct DamagedParts {
    const char* text;
    const char* why;
};

class DamagedPartsFiles : public ExtraPointFilesTest,
                          public ::testing::WithParamInterface<DamagedParts> {};

TEST_P(DamagedPartsFiles, AreRefusedNamingFileAndLine) {
    const auto path = temp() / "bad.arp";
    testing::WriteFile(path, GetParam().text);
    const auto parts = ReadPartsFile(path);
    ASSERT_FALSE(parts.ok());
    EXPECT_EQ(parts.status().code(), startup::StatusCode::kDamaged);
    EXPECT_EQ(parts.status().path(), path);
    const std::string message = parts.status().message();
    EXPECT_NE(message.find("The Arabic parts file " + path.string() + " cannot be used (line 2: "),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(GetParam().why), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Parts, DamagedPartsFiles,
    ::testing::Values(DamagedParts{"A | A | Asc\nB | B | Asc + Nowhere", "no point, cusp, ruler"},
                      DamagedParts{"A | A | Asc\nB | B | Asc + Lot C", "no earlier lot"},
                      DamagedParts{"A | A | Asc\nB | B | Asc + ", "lot \"Asc +\""},
                      DamagedParts{"A | A | Asc\nA | C | Asc", "taken"},
                      DamagedParts{"A | A | Asc\nB | B | Asc | sometimes", "reverse or no"},
                      DamagedParts{"A | A | Asc\nB | B | Asc | no | 70000", "character code"},
                      DamagedParts{"A | A | Asc\nB | B", "three to five fields"},
                      DamagedParts{"A | A | Asc\n\x01\x02\xff garbage", "not a lot"},
                      DamagedParts{"A | A | Asc\nB | B | Ruler H13", "no cusp or point"},
                      DamagedParts{"A | A | Asc\nrulerships = sometimes",
                                   "traditional or modern"}));

TEST_F(ExtraPointFilesTest, PartsFileWithoutCountStopsAtTheLimit) {
    std::string text;
    for (int i = 0; i <= kMaxLots; ++i) {
        text += "L" + std::to_string(i) + " | A" + std::to_string(i) + " | Asc\n";
    }
    const auto parts = ParsePartsFile(text, "many.arp");
    ASSERT_FALSE(parts.ok());
    EXPECT_NE(parts.status().message().find("more than 500 lots"), std::string::npos);
}

TEST_F(ExtraPointFilesTest, OversizedOrMissingFilesAreRefused) {
    const auto big = temp() / "big.arp";
    testing::WriteFile(big, std::string(kMaxPartsFileBytes + 1, '#'));
    EXPECT_EQ(ReadPartsFile(big).status().code(), startup::StatusCode::kDamaged);
    const auto missing = ReadExtraPointFile(temp() / "none.ptu");
    EXPECT_EQ(missing.status().code(), startup::StatusCode::kNotFound);
    EXPECT_NE(missing.status().message().find("none.ptu was not found"), std::string::npos);
}

TEST_F(ExtraPointFilesTest, DefinitionFileRoundTrips) {
    const std::string text =
        "# comment\n\nstar:Spica | Spi | Spica the Ear | 42\nmidpoint:Sun/Spi\ncusp:7 | | |\n"
        "position:0Cn00\nprenatal-lunation | PL\n";
    const auto points = ParseExtraPointFile(text, "mine.ptu");
    ASSERT_TRUE(points.ok()) << points.status().message();
    ASSERT_EQ(points->size(), 5U);
    EXPECT_EQ((*points)[0].name, "Spica the Ear");
    EXPECT_EQ((*points)[0].glyph, 42);
    EXPECT_EQ((*points)[1].point_a, 3);
    EXPECT_EQ((*points)[1].point_b, 51);  // the star before it, by its abbreviation
    EXPECT_EQ((*points)[2].abbreviation, "H7");
    EXPECT_DOUBLE_EQ((*points)[3].position, 90.0);
    EXPECT_EQ((*points)[4].abbreviation, "PL");

    const auto path = temp() / "round.ptu";
    ASSERT_TRUE(WriteExtraPointFile(path, *points).ok());
    const auto again = ReadExtraPointFile(path);
    ASSERT_TRUE(again.ok()) << again.status().message();
    EXPECT_EQ(FormatExtraPointFile(*again), FormatExtraPointFile(*points));
}

TEST_F(ExtraPointFilesTest, StarAndAsteroidListsHoldOnlyTheirKind) {
    const auto stars = temp() / "mine.fst";
    testing::WriteFile(stars, "star:Vega\ncusp:2\n");
    const auto read = ReadExtraPointFile(stars);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.status().message().find("(line 2: a point of another kind)"), std::string::npos)
        << read.status().message();
    const auto factory =
        ReadExtraPointFile(testing::FactoryDir() / "Points & Colors" / "brady.fst");
    ASSERT_TRUE(factory.ok()) << factory.status().message();
    EXPECT_GT(factory->size(), 30U);
    const auto asteroids =
        ReadExtraPointFile(testing::FactoryDir() / "Points & Colors" / "standard.ast");
    ASSERT_TRUE(asteroids.ok()) << asteroids.status().message();
}

TEST_F(ExtraPointFilesTest, DefinitionFileStopsAtFiftyPoints) {
    std::string text;
    for (int i = 0; i < 51; ++i) {
        text += "cusp:1\n";
    }
    const auto points = ParseExtraPointFile(text, "many.ptu");
    ASSERT_FALSE(points.ok());
    EXPECT_NE(points.status().message().find("(line 51: more than 50 points)"), std::string::npos)
        << points.status().message();
}

TEST_F(ExtraPointFilesTest, ExtraPointsInUseComeFromPlanparm) {
    EXPECT_TRUE(LoadExtraPointsInUse().ok());  // the factory copy: none
    EXPECT_EQ(PointsInUse(), kFixedPointCount);
    testing::WriteFile(temp() / "user" / "Settings" / "planparm.fil", "cusp:5\nposition:1Ta00\n");
    session().folders().user_files = temp() / "user";
    ASSERT_TRUE(LoadExtraPointsInUse().ok());
    EXPECT_EQ(PointsInUse(), kFixedPointCount + 2);
    EXPECT_EQ(ExtraPointOf(52)->kind, ExtraKind::kPosition);
}

TEST_F(ExtraPointFilesTest, DamagedStarCatalogueIsRefusedNamingIt) {
    const auto bad = ParseStarCatalogue("# stars\nAldebaran,alTau,ICRS,04\n", "/x/sefstars.txt");
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.status().message(),
              "The fixed star catalogue /x/sefstars.txt is damaged (line 2: too few fields).");
}

}  // namespace
}  // namespace meridia::astro
