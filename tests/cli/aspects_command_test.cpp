// meridia-cli aspects run in-process: every pair of the calculated chart checked against a
// separate, minimal working of the aspect rules for the standard set (all orb groups equal),
// the two-chart grid, and refused aspect sets.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "aspects/aspect_set.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::aspects {
namespace {

// The selected points: the luminaries, the planets, the nodes and the four angles.
const std::vector<int> kSelected = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 20, 21, 22, 23, 39, 40};
constexpr const char* kSelection = "test~|01030506070809101112202122233940";

// Enabled standard aspects in ascending angle with their natal orb (all groups alike).
const std::pair<int, std::pair<double, double>> kEnabled[] = {
    {1, {0, 9}},   {8, {30, 1.5}},  {6, {45, 2}},    {5, {60, 4}},  {4, {90, 9}},
    {3, {120, 9}}, {7, {135, 2.5}}, {9, {150, 2.5}}, {2, {180, 9}},
};

struct Expected {
    int aspect = 0;
    double deviation = 0.0;
};

// The longitude aspect by the rules: separation from B - A reduced to 0..360 (folded above
// 180, which also reverses the deviation's sign); the first enabled aspect in ascending angle
// whose orb holds the deviation.
Expected LongitudeAspect(double lon_a, double lon_b) {
    double raw = std::fmod(lon_b - lon_a + 720.0, 360.0);
    const bool reversed = raw > 180.0;
    const double separation = reversed ? 360.0 - raw : raw;
    for (const auto& [k, angle_orb] : kEnabled) {
        const double deviation = separation - angle_orb.first;
        if (std::fabs(deviation) <= angle_orb.second) {
            return {k, reversed ? -deviation : deviation};
        }
    }
    return {};
}

bool NeverAspected(int a, int b) {
    const std::set<std::pair<int, int>> pairs = {{20, 21}, {22, 39}, {23, 40}};
    return a == b || pairs.count({std::min(a, b), std::max(a, b)}) != 0;
}

class AspectsCommandTest : public testing::CliTest {
protected:
    // Point number -> (longitude, declination) of a chart given by its fields.
    std::map<int, std::pair<double, double>> Positions(const std::vector<std::string>& fields) {
        std::vector<std::string> args = {"--json", "chart"};
        args.insert(args.end(), fields.begin(), fields.end());
        EXPECT_EQ(Run(args), 0) << err_.str();
        std::map<int, std::pair<double, double>> out;
        const auto doc = nlohmann::json::parse(out_.str());
        for (const auto& p : doc["points"]) {
            out[p["number"].get<int>()] = {p["longitude"].get<double>(),
                                           p["declination"].get<double>()};
        }
        return out;
    }
};

const std::vector<std::string> kChartA = {"--date", "14 Mar 1879", "--time", "11:30", "--zone",
                                          "-0:40",  "--lat",       "48N24",  "--lon", "10E00"};
const std::vector<std::string> kChartB = {"--date", "28 Aug 1749", "--time", "12:00", "--zone",
                                          "-1:00",  "--lat",       "50N07",  "--lon", "8E41"};

using Key = std::pair<std::pair<int, int>, int>;  // (point a, point b), aspect

std::map<Key, double> ReportedAspects(const std::string& json) {
    std::map<Key, double> out;
    const auto doc = nlohmann::json::parse(json);
    for (const auto& a : doc["aspects"]) {
        out[{{a["point_a"].get<int>(), a["point_b"].get<int>()}, a["aspect"].get<int>()}] =
            a["deviation"].get<double>();
    }
    return out;
}

void ExpectSame(const std::map<Key, double>& expected, const std::map<Key, double>& reported) {
    for (const auto& [key, deviation] : expected) {
        auto it = reported.find(key);
        ASSERT_TRUE(it != reported.end())
            << key.first.first << "-" << key.first.second << " aspect " << key.second;
        EXPECT_NEAR(it->second, deviation, 1e-9);
    }
    for (const auto& [key, deviation] : reported) {
        EXPECT_TRUE(expected.count(key))
            << "unexpected " << key.first.first << "-" << key.first.second << " aspect "
            << key.second << " deviation " << deviation;
    }
}

void AddExpected(std::map<Key, double>& expected, int pa, int pb,
                 const std::pair<double, double>& a, const std::pair<double, double>& b) {
    const Expected e = LongitudeAspect(a.first, b.first);
    if (e.aspect != 0) {
        expected[{{pa, pb}, e.aspect}] = e.deviation;
    }
    // Parallels: the absolute declinations within the orb 1; contraparallel when the signs
    // differ.
    const double d = std::fabs(std::fabs(a.second) - std::fabs(b.second));
    if (d <= 1.0) {
        expected[{{pa, pb}, (a.second < 0) != (b.second < 0) ? 26 : 25}] = d;
    }
}

TEST_F(AspectsCommandTest, OneChartMatchesTheRules) {
    const auto pos = Positions(kChartA);
    std::map<Key, double> expected;
    for (std::size_t i = 0; i < kSelected.size(); ++i) {
        for (std::size_t j = i + 1; j < kSelected.size(); ++j) {
            const int a = kSelected[i];
            const int b = kSelected[j];
            if (!NeverAspected(a, b)) {
                AddExpected(expected, a, b, pos.at(a), pos.at(b));
            }
        }
    }
    std::vector<std::string> args = {"--json", "aspects", "--points", kSelection};
    args.insert(args.end(), kChartA.begin(), kChartA.end());
    ASSERT_EQ(Run(args), 0) << err_.str();
    EXPECT_EQ(nlohmann::json::parse(out_.str())["aspect_set"], "standard");
    EXPECT_FALSE(expected.empty());
    ExpectSame(expected, ReportedAspects(out_.str()));
}

TEST_F(AspectsCommandTest, TwoChartGridMatchesTheRules) {
    const auto pos_a = Positions(kChartA);
    const auto pos_b = Positions(kChartB);
    std::map<Key, double> expected;
    for (const int a : kSelected) {
        for (const int b : kSelected) {
            AddExpected(expected, a, b, pos_a.at(a), pos_b.at(b));
        }
    }
    std::vector<std::string> args = {"--json", "aspects", "--points", kSelection, "--with"};
    args.insert(args.end(), kChartA.begin(), kChartA.end());
    for (std::size_t i = 0; i < kChartB.size(); i += 2) {
        args.push_back("--b-" + kChartB[i].substr(2));
        args.push_back(kChartB[i + 1]);
    }
    ASSERT_EQ(Run(args), 0) << err_.str();
    ExpectSame(expected, ReportedAspects(out_.str()));
}

TEST_F(AspectsCommandTest, GivenAspectSetIsUsed) {
    AspectSet set = StandardAspectSet();
    for (auto& a : set.aspects) {
        a.enabled = a.number == 1;  // conjunctions only, no parallels
    }
    const auto path = temp() / "conj.asp";
    ASSERT_TRUE(SaveAspectSet(path, set));
    std::vector<std::string> args = {"--json",   "aspects",      "--points",
                                     kSelection, "--aspect-set", path.string()};
    args.insert(args.end(), kChartA.begin(), kChartA.end());
    ASSERT_EQ(Run(args), 0) << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["aspect_set"], path.string());
    for (const auto& a : doc["aspects"]) {
        EXPECT_EQ(a["aspect"], 1);
        EXPECT_EQ(a["name"], "Conjunction");
    }
}

TEST_F(AspectsCommandTest, RefusedAspectSets) {
    const auto empty = temp() / "empty.asp";
    testing::WriteFile(empty, "");
    std::vector<std::string> args = {"aspects", "--aspect-set", empty.string()};
    args.insert(args.end(), kChartA.begin(), kChartA.end());
    EXPECT_EQ(Run(args), 2);
    EXPECT_NE(err_.str().find("[Empty File]\nAspect file " + empty.string() + " is empty."),
              std::string::npos)
        << err_.str();
    args[2] = (temp() / "missing.asp").string();
    EXPECT_EQ(Run(args), 2);
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(AspectsCommandTest, RefusalsPrintOnlyTheProgramsMessage) {
    // Version 2 as a little-endian 16-bit value, then a header's worth of blanks.
    const auto empty = temp() / "empty.asp";
    const auto version2 = temp() / "version2.asp";
    const auto missing = temp() / "missing.asp";
    testing::WriteFile(empty, "");
    testing::WriteFile(version2, std::string("\x02\x00", 2) + std::string(90, ' '));
    const std::string keep =
        " Your previous aspect selection will remain in effect until you edit "
        "this file or select another file";
    const struct {
        std::filesystem::path path;
        std::string err;
    } cases[] = {
        {empty, "[Empty File]\nAspect file " + empty.string() + " is empty." + keep +
                    " which is not empty.\n"},
        {version2, "[Wrong Version]\nAspect file " + version2.string() +
                       " has an invalid version number." + keep + ".\n"},
        {missing, "Aspect file " + missing.string() + " could not be loaded.\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"aspects", "--aspect-set", c.path.string()};
        args.insert(args.end(), kChartA.begin(), kChartA.end());
        EXPECT_EQ(Run(args), 2);
        EXPECT_EQ(err_.str(), c.err);
        EXPECT_TRUE(out_.str().empty());
    }
}

}  // namespace
}  // namespace meridia::aspects
