// meridia-cli wheel and style run in-process: the aspect lines drawn are the aspects that
// meridia-cli aspects finds, the pictures are valid files of the size asked for, and bad
// styles and folders are refused with their messages.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "drawing/wheel_style.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

const std::vector<std::string> kChartA = {"--name", "A",     "--date", "14 Mar 1879",
                                          "--time", "11:30", "--zone", "-0:40",
                                          "--lat",  "48N24", "--lon",  "10E00"};
const std::vector<std::string> kChartB = {"--b-name", "B",     "--b-date", "6 Aug 1945",
                                          "--b-time", "8:15",  "--b-zone", "-9",
                                          "--b-lat",  "34N23", "--b-lon",  "132E27"};
constexpr const char* kPoints = "1,3,5-12,20,22,23";

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

using Pair = std::tuple<int, int, int>;  // point a, point b, aspect

class WheelCommandTest : public testing::CliTest {
protected:
    std::set<Pair> AspectsCommand(const std::vector<std::string>& extra) {
        EXPECT_EQ(Run(Join({{"aspects"}, kChartA, extra, {"--points", kPoints, "--json"}})), 0)
            << Err();
        std::set<Pair> found;
        const nlohmann::json doc = nlohmann::json::parse(Out());
        for (const auto& a : doc["aspects"]) {
            found.insert(
                {a["point_a"].get<int>(), a["point_b"].get<int>(), a["aspect"].get<int>()});
        }
        return found;
    }
    nlohmann::json Wheel(const std::vector<std::string>& extra, const std::string& out) {
        const int status =
            Run(Join({{"wheel"}, kChartA, extra, {"--points", kPoints, "--out", out, "--json"}}));
        EXPECT_EQ(status, 0) << Err();
        return status == 0 ? nlohmann::json::parse(Out()) : nlohmann::json();
    }
};

TEST_F(WheelCommandTest, UniWheelDrawsTheAspectsOfTheAspectsCommand) {
    const std::set<Pair> expected = AspectsCommand({});
    const auto layout = Wheel({"--size", "600"}, (temp() / "uni.png").string());
    std::set<Pair> drawn;
    for (const auto& a : layout["aspects"]) {
        EXPECT_EQ(a["chart_a"], 1);
        EXPECT_EQ(a["chart_b"], 1);
        drawn.insert({a["point_a"].get<int>(), a["point_b"].get<int>(), a["aspect"].get<int>()});
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(layout["kind"], "wheel");
    EXPECT_EQ(layout["modulus"], 360.0);
    ASSERT_EQ(layout["charts"].size(), 1U);
    // The points of the list that have a position, in point order.
    std::vector<int> numbers;
    for (const auto& p : layout["charts"][0]["points"]) {
        numbers.push_back(p["number"].get<int>());
        const double a = p["display_angle"].get<double>();
        EXPECT_GE(a, 0.0);
        EXPECT_LT(a, 360.0);
    }
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 20, 22, 23}));
}

TEST_F(WheelCommandTest, BiWheelDrawsTheAspectsBetweenTheCharts) {
    const std::set<Pair> between = AspectsCommand(Join({{"--with"}, kChartB}));
    const auto layout = Wheel(kChartB, (temp() / "bi.png").string());
    std::set<Pair> drawn;
    for (const auto& a : layout["aspects"]) {
        EXPECT_EQ(a["chart_a"], 1);
        EXPECT_EQ(a["chart_b"], 2);
        drawn.insert({a["point_a"].get<int>(), a["point_b"].get<int>(), a["aspect"].get<int>()});
    }
    EXPECT_EQ(drawn, between);
    EXPECT_EQ(layout["charts"].size(), 2U);
}

TEST_F(WheelCommandTest, PngHasTheSizeAskedFor) {
    const auto path = temp() / "w.png";
    Wheel({"--size", "600"}, path.string());
    const std::string bytes = testing::ReadFile(path);
    ASSERT_GT(bytes.size(), 33U);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // IHDR: width and height, big-endian, at bytes 16 and 20.
    EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x02\x58\0\0\x02\x58", 8));
}

TEST_F(WheelCommandTest, SvgAndPdfHaveTheSizeAskedFor) {
    const auto svg = temp() / "w.svg";
    Wheel({"--size", "600", "--kind", "dial"}, svg.string());
    const std::string text = testing::ReadFile(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("width=\"600\" height=\"600\""), std::string::npos);
    EXPECT_NE(text.find("</svg>"), std::string::npos);

    const auto pdf = temp() / "w.pdf";
    Wheel({"--size", "600", "--kind", "grid"}, pdf.string());
    const std::string bytes = testing::ReadFile(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    // 600 pixels at 96 per inch: 450 points.
    EXPECT_NE(bytes.find("/MediaBox [0 0 450.000000 450.000000]"), std::string::npos);
    EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
}

TEST_F(WheelCommandTest, DialLayout) {
    const auto layout = Wheel({"--kind", "dial"}, (temp() / "d.png").string());
    EXPECT_EQ(layout["kind"], "dial");
    EXPECT_EQ(layout["modulus"], 90.0);
    // 0 Aries at twelve o'clock: 22.5 degrees of longitude (display angle 90) at nine.
    EXPECT_EQ(layout["zero_longitude"], 22.5);
    EXPECT_TRUE(layout["aspects"].empty());
}

TEST_F(WheelCommandTest, BadStyleFileGivesItsMessage) {
    std::string bytes = drawing::EncodeWheelStyle(drawing::WheelStyle());
    bytes[0] = 9;
    const auto style = temp() / "bad.wh1";
    testing::WriteFile(style, bytes);
    const auto out = temp() / "x.png";
    EXPECT_EQ(Run(Join({{"wheel"}, kChartA, {"--style", style.string(), "--out", out.string()}})),
              2);
    EXPECT_EQ(Err(), "[Error]\nInvalid Wheel File Version: " + style.string() + "\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(WheelCommandTest, MissingFolderIsRefused) {
    const auto out = temp() / "no" / "such" / "w.png";
    EXPECT_EQ(Run(Join({{"wheel"}, kChartA, {"--out", out.string()}})), 2);
    EXPECT_NE(Err().find("Folder not found: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp() / "no"));
}

TEST_F(WheelCommandTest, StyleExportAndImportRoundTrip) {
    const auto factory = testing::FactoryDir() / "Wheels & Dials" / "bi2.wh2";
    ASSERT_EQ(Run({"style", "export", factory.string()}), 0) << Err();
    const auto text = temp() / "bi.txt";
    testing::WriteFile(text, Out());
    const auto back = temp() / "back.wh2";
    ASSERT_EQ(Run({"style", "import", text.string(), "--out", back.string()}), 0) << Err();
    EXPECT_EQ(testing::ReadFile(back), testing::ReadFile(factory));
}

}  // namespace
}  // namespace meridia::cli
