// meridia-cli report run in-process: the kinds listed, a report as text, as JSON and into a
// file, the aspects list against `meridia-cli aspects`, and refused input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

const std::vector<std::string> kChart = {"--name", "Test",  "--date", "21 Dec 1990",
                                         "--time", "12:00", "--zone", "0",
                                         "--lat",  "48N24", "--lon",  "10E00"};

std::vector<std::string> With(std::vector<std::string> head,
                              const std::vector<std::string>& tail = kChart) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class ReportCommandTest : public testing::CliTest {};

TEST_F(ReportCommandTest, ListNamesTheKindsOfTheContract) {
    ASSERT_EQ(Run({"report", "--list"}), kExitOk);
    for (const char* kind : {"analysis",
                             "aspects",
                             "aspects-analysis",
                             "point-sort",
                             "midpoints",
                             "midpoint-modal",
                             "differences",
                             "arabic-parts",
                             "nodes",
                             "dignities",
                             "extra-points",
                             "midpoint-axes",
                             "midpoint-trees",
                             "sensitive-points",
                             "fixed-stars",
                             "fixed-star-parans",
                             "midpoint-weighting",
                             "compatibility",
                             "considerations",
                             "planetary-hours",
                             "chinese-year",
                             "almutens"}) {
        EXPECT_NE(Out().find(std::string(kind) + "\t"), std::string::npos) << kind;
    }
}

TEST_F(ReportCommandTest, TextEndsWithTheClosingLine) {
    ASSERT_EQ(Run(With({"report", "analysis"})), kExitOk) << Err();
    const std::string out = Out();
    EXPECT_EQ(out.rfind("*** CHART ANALYSIS REPORT ***\n", 0), 0U);
    EXPECT_EQ(out.substr(out.size() - 19), "*** END REPORT ***\n");
}

TEST_F(ReportCommandTest, JsonGivesTitleLinesAndValues) {
    ASSERT_EQ(Run(With({"report", "dignities", "--json"})), kExitOk) << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["title"], "*** ESSENTIAL DIGNITIES REPORT ***");
    EXPECT_EQ(doc["lines"].back(), "*** END REPORT ***");
    EXPECT_EQ(doc["values"]["planetary_day"], "Venus");  // a Friday
    EXPECT_EQ(doc["values"]["almutens"].size(), 12U);
}

TEST_F(ReportCommandTest, AspectsListHoldsWhatTheAspectsCommandFinds) {
    ASSERT_EQ(Run(With({"aspects", "--json"})), kExitOk) << Err();
    const auto grid = nlohmann::json::parse(Out());
    ASSERT_EQ(Run(With({"report", "aspects", "--json"})), kExitOk) << Err();
    const auto report = nlohmann::json::parse(Out());
    const auto& listed = report["values"]["aspects"];
    ASSERT_EQ(listed.size(), grid["aspects"].size());
    for (const auto& a : grid["aspects"]) {
        const std::string key = std::to_string(a["point_a"].get<int>()) + "," +
                                std::to_string(a["point_b"].get<int>()) + "," +
                                std::to_string(a["aspect"].get<int>());
        EXPECT_NE(std::find(listed.begin(), listed.end(), key), listed.end()) << key;
    }
}

TEST_F(ReportCommandTest, OutWritesTheTextToTheFile) {
    const auto path = temp() / "analysis.txt";
    ASSERT_EQ(Run(With({"report", "chinese-year", "--out", path.string()})), kExitOk) << Err();
    EXPECT_EQ(Out(), "");
    EXPECT_EQ(testing::ReadFile(path), "CHINESE YEAR\nYang Metal Horse\n*** END REPORT ***\n");
}

TEST_F(ReportCommandTest, OutIntoAMissingFolderIsRefused) {
    const auto path = temp() / "no such folder" / "r.txt";
    EXPECT_EQ(Run(With({"report", "analysis", "--out", path.string()})), kExitRefused);
    EXPECT_NE(Err().find("The folder of the output file does not exist:"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
}

TEST_F(ReportCommandTest, UnknownKindIsRefused) {
    EXPECT_EQ(Run(With({"report", "horoscope"})), kExitRefused);
    EXPECT_NE(Err().find("Unknown report kind: horoscope"), std::string::npos);
}

TEST_F(ReportCommandTest, SynastryTakesTheSecondChart) {
    ASSERT_EQ(Run(With(With({"report", "aspects"}),
                       {"--b-date", "1 Jan 2000", "--b-time", "0:00", "--b-zone", "0", "--b-lat",
                        "51N30", "--b-lon", "0W10"})),
              kExitOk)
        << Err();
    EXPECT_EQ(Out().rfind("*** SYNASTRY ASPECTS LIST REPORT ***\n", 0), 0U);
}

TEST_F(ReportCommandTest, CompatibilityScoresTheTwoMoons) {
    ASSERT_EQ(Run(With(With({"report", "compatibility", "--json"}),
                       {"--b-date", "1 Jan 2000", "--b-time", "0:00", "--b-zone", "0", "--b-lat",
                        "51N30", "--b-lon", "0W10"})),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["title"], "*** Ashtkoot Summary Report ***");
    ASSERT_EQ(doc["values"]["kootas"].size(), 8U);
    double total = 0.0;
    for (const auto& koota : doc["values"]["kootas"]) {
        const std::string text = koota.get<std::string>();
        total += std::stod(text.substr(text.find(':') + 1));
    }
    EXPECT_DOUBLE_EQ(doc["values"]["ashtkoot_total"].get<double>(), total);
    EXPECT_LE(total, 36.0);
}

}  // namespace
}  // namespace meridia::cli
