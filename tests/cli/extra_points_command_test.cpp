// meridia-cli with extra points: --extra on chart, aspects, report and wheel, meridia-cli stars
// against the library's star function, and refused lists and damaged definition files with exit
// status 2 or 1 and a message that names the item or the file.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class ExtraPointsCommandTest : public testing::CliTest {
protected:
    std::vector<std::string> Chart(std::vector<std::string> extra) {
        std::vector<std::string> args = {"--date", "14 Mar 1879", "--time", "11:30", "--zone",
                                         "-0:40",  "--lat",       "48N24",  "--lon", "10E00"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
};

double Gap(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

TEST_F(ExtraPointsCommandTest, ChartJsonListsExtraPointsWithKindAndDefinition) {
    std::vector<std::string> args = {"--json", "chart"};
    for (const std::string& a : Chart({"--extra",
                                       "star:Aldebaran,midpoint:Sun/Moon,cusp:8,"
                                       "position:15Ar30,part:Spirit,asteroid:433"})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto doc = nlohmann::json::parse(Out());
    const auto& points = doc["points"];
    ASSERT_EQ(points.size(), 56U);
    const std::array<const char*, 6> kinds = {"star",     "midpoint", "cusp",
                                              "position", "part",     "asteroid"};
    const std::array<const char*, 6> definitions = {"star:Aldebaran", "midpoint:Sun/Moon",
                                                    "cusp:8",         "position:15Ar30",
                                                    "part:Spirit",    "asteroid:433"};
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const auto& point = points[50 + k];
        EXPECT_EQ(point["number"], 51 + static_cast<int>(k));
        EXPECT_EQ(point["kind"], kinds[k]);
        EXPECT_EQ(point["definition"], definitions[k]);
        for (const char* key : {"abbr", "name", "longitude", "latitude", "speed", "declination",
                                "right_ascension", "house", "retrograde"}) {
            EXPECT_TRUE(point.contains(key)) << key;
        }
    }
    EXPECT_FALSE(points[0].contains("kind"));
    EXPECT_EQ(points[50]["name"], "Aldebaran");
    EXPECT_DOUBLE_EQ(points[52]["longitude"].get<double>(), doc["cusps"][7].get<double>());
    EXPECT_DOUBLE_EQ(points[53]["longitude"].get<double>(), 15.5);
    // Asteroid 433 has no file here: no position, and no message.
    EXPECT_EQ(points[55]["longitude"], -1.0);
    EXPECT_EQ(Err(), "");
}

TEST_F(ExtraPointsCommandTest, StarsEqualTheLibrarysStarFunction) {
    std::vector<std::string> args = {"--json", "stars"};
    for (const std::string& a : Chart({"--name", "Regulus", "--zodiac", "3"})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["stars"].size(), 1U);
    const auto& star = doc["stars"][0];
    EXPECT_EQ(star["name"], "Regulus");
    EXPECT_EQ(star["nomenclature"], "alLeo");
    EXPECT_NEAR(star["magnitude"].get<double>(), 1.4, 1e-9);

    // The same chart's ephemeris time and zodiac offset from the chart command.
    args = {"--json", "chart"};
    for (const std::string& a : Chart({"--zodiac", "3"})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto chart = nlohmann::json::parse(Out());
    std::array<char, 64> name{"Regulus"};
    std::array<double, 6> x{};
    std::array<double, 6> eq{};
    char serr[AS_MAXCH] = {0};
    const double jd_et = chart["julian_day"].get<double>();
    ASSERT_GE(swe_fixstar2(name.data(), jd_et, SEFLG_SWIEPH | SEFLG_SPEED, x.data(), serr), 0);
    name = {"Regulus"};
    ASSERT_GE(swe_fixstar2(name.data(), jd_et, SEFLG_SWIEPH | SEFLG_EQUATORIAL, eq.data(), serr),
              0);
    const double arcsecond = 1.0 / 3600.0;
    EXPECT_LE(Gap(star["longitude"].get<double>(), x[0] + chart["zodiac_offset"].get<double>()),
              0.001 * arcsecond);
    EXPECT_NEAR(star["latitude"].get<double>(), x[1], 0.001 * arcsecond);
    EXPECT_LE(Gap(star["right_ascension"].get<double>(), eq[0]), 0.001 * arcsecond);
    EXPECT_NEAR(star["declination"].get<double>(), eq[1], 0.001 * arcsecond);
}

TEST_F(ExtraPointsCommandTest, StarsWithoutNameListTheWholeCatalogue) {
    std::vector<std::string> args = {"--json", "stars"};
    for (const std::string& a : Chart({})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_GT(nlohmann::json::parse(Out())["stars"].size(), 1000U);
}

TEST_F(ExtraPointsCommandTest, AspectsIncludeTheExtraPoints) {
    std::vector<std::string> args = {"--json", "aspects"};
    for (const std::string& a : Chart({"--extra", "midpoint:Sun/Sun"})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto doc = nlohmann::json::parse(Out());
    // The Sun's own midpoint stands on the Sun: the conjunction is exact.
    bool conjunction = false;
    for (const auto& aspect : doc["aspects"]) {
        if (aspect["point_a"] == 3 && aspect["point_b"] == 51 && aspect["aspect"] == 1) {
            conjunction = true;
            EXPECT_NEAR(aspect["deviation"].get<double>(), 0.0, 1e-12);
        }
    }
    EXPECT_TRUE(conjunction);
}

TEST_F(ExtraPointsCommandTest, RefusedItemIsNamedAndExitsWithTwo) {
    std::vector<std::string> args = {"chart"};
    for (const std::string& a : Chart({"--extra", "star:Nosuchstar"})) {
        args.push_back(a);
    }
    EXPECT_EQ(Run(args), 2);
    EXPECT_NE(Err().find("Extra point \"star:Nosuchstar\""), std::string::npos) << Err();
    EXPECT_EQ(Out(), "");
}

TEST_F(ExtraPointsCommandTest, DamagedDefinitionFileIsRefusedNamingTheFile) {
    const auto file = temp() / "bad.ptu";
    testing::WriteFile(file, "cusp:3\nmidpoint:Sun|Su\x01\n");
    std::vector<std::string> args = {"chart"};
    for (const std::string& a : Chart({"--extra", file.string()})) {
        args.push_back(a);
    }
    EXPECT_NE(Run(args), 0);
    EXPECT_NE(Err().find("The extra point file " + file.string() + " cannot be used (line 2"),
              std::string::npos)
        << Err();
    EXPECT_EQ(Out(), "");
}

TEST_F(ExtraPointsCommandTest, DefinitionFileAndPartsFileAddTheirPoints) {
    const auto points = temp() / "mine.ptu";
    testing::WriteFile(points, "# two points\nstar:Spica | Spi | The Ear of Wheat\ncusp:4\n");
    const auto parts = temp() / "two.arp";
    testing::WriteFile(parts, "One | One | Asc + Moon - Sun\nTwo | Two | MC + Lot One - H2\n");
    std::vector<std::string> args = {"--json", "chart"};
    for (const std::string& a :
         Chart({"--extra", points.string() + "," + parts.string() + ",prenatal-lunation"})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["points"].size(), 55U);
    EXPECT_EQ(doc["points"][50]["name"], "The Ear of Wheat");
    EXPECT_EQ(doc["points"][50]["abbr"], "Spi");
    EXPECT_EQ(doc["points"][52]["kind"], "part");
    EXPECT_EQ(doc["points"][54]["kind"], "lunation");
    const double asc = doc["points"][21]["longitude"].get<double>();
    const double moon = doc["points"][0]["longitude"].get<double>();
    const double sun = doc["points"][2]["longitude"].get<double>();
    const double mc = doc["points"][22]["longitude"].get<double>();
    const double one = std::fmod(asc + moon - sun + 720.0, 360.0);
    EXPECT_LE(Gap(doc["points"][52]["longitude"].get<double>(), one), 1e-9);
    EXPECT_LE(
        Gap(doc["points"][53]["longitude"].get<double>(), mc + one - doc["cusps"][1].get<double>()),
        1e-9);
}

TEST_F(ExtraPointsCommandTest, ReportListsTheExtraPointsAsked) {
    std::vector<std::string> args = {"--json", "report", "extra-points"};
    for (const std::string& a : Chart({"--extra", "star:Spica,cusp:4"})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["title"], "*** EXTRA RING POINTS ***");
    int rows = 0;
    for (const auto& line : doc["lines"]) {
        const std::string text = line.get<std::string>();
        rows += text.rfind("51  Spica", 0) == 0 || text.rfind("52  4th House Cusp", 0) == 0;
    }
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(doc["lines"].back(), "*** END REPORT ***");
}

TEST_F(ExtraPointsCommandTest, WheelDrawsTheExtraPointsInTheirOwnRing) {
    // The tenth cusp as an extra point stands exactly on the Midheaven: in one ring the two
    // glyphs would be spread apart, in the extra ring it keeps its place.
    std::vector<std::string> args = {"--json", "wheel"};
    for (const std::string& a : Chart({"--extra", "cusp:10,position:0Li00", "--size", "400",
                                       "--out", (temp() / "extra.png").string()})) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto doc = nlohmann::json::parse(Out());
    const auto& points = doc["charts"][0]["points"];
    int extra = 0;
    for (const auto& p : points) {
        if (p["number"].get<int>() <= 50) {
            continue;
        }
        ++extra;
        EXPECT_LE(Gap(p["display_angle"].get<double>(), p["longitude"].get<double>()), 1e-9);
        EXPECT_FALSE(p["label"].get<std::string>().empty());
    }
    EXPECT_EQ(extra, 2);
}

TEST_F(ExtraPointsCommandTest, ReportAspectsHoldWhatTheAspectsCommandFindsWithExtraPoints) {
    // Star and part pairs are tested with their own sets in both.
    const std::vector<std::string> extra = {"--extra", "star:Aldebaran,star:Regulus,part:Spirit"};
    std::vector<std::string> args = {"--json", "aspects"};
    for (const std::string& a : Chart(extra)) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto grid = nlohmann::json::parse(Out());
    args = {"--json", "report", "aspects"};
    for (const std::string& a : Chart(extra)) {
        args.push_back(a);
    }
    ASSERT_EQ(Run(args), 0) << Err();
    const auto report = nlohmann::json::parse(Out());
    const auto& listed = report["values"]["aspects"];
    ASSERT_EQ(listed.size(), grid["aspects"].size());
    int with_extra = 0;
    for (const auto& a : grid["aspects"]) {
        const std::string key = std::to_string(a["point_a"].get<int>()) + "," +
                                std::to_string(a["point_b"].get<int>()) + "," +
                                std::to_string(a["aspect"].get<int>());
        with_extra += a["point_b"].get<int>() > 50;
        EXPECT_NE(std::find(listed.begin(), listed.end(), key), listed.end()) << key;
    }
    EXPECT_GT(with_extra, 0);
}

}  // namespace
}  // namespace meridia::cli
