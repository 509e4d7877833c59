#include "aspects/aspect_patterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "support/test_session.h"

namespace meridia::aspects {
namespace {

constexpr int kCnj = 1;
constexpr int kOpp = 2;
constexpr int kTri = 3;
constexpr int kSqr = 4;
constexpr int kSxt = 5;
constexpr int kQnx = 9;

// The aspects a set of longitudes forms, by the exact angle (within 0.5 degrees): an oracle
// independent of the aspect finder for building pattern grids.
PatternGrid GridOf(const std::vector<std::pair<int, double>>& points) {
    std::vector<int> numbers;
    std::vector<double> longitudes;
    for (const auto& [n, lon] : points) {
        numbers.push_back(n);
        longitudes.push_back(lon);
    }
    const std::size_t n = points.size();
    std::vector<int> aspects(n * n, 0);
    const std::pair<double, int> angles[] = {{0, kCnj},  {180, kOpp}, {120, kTri},
                                             {90, kSqr}, {60, kSxt},  {150, kQnx}};
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (i == j) {
                continue;
            }
            double d = std::fabs(longitudes[i] - longitudes[j]);
            d = std::min(d, 360 - d);
            for (const auto& [angle, k] : angles) {
                if (std::fabs(d - angle) <= 0.5) {
                    aspects[i * n + j] = k;
                }
            }
        }
    }
    return PatternGrid(numbers, longitudes, aspects);
}

std::vector<PatternDefinition> Factory() {
    auto defs = LoadPatternDefinitions(testing::FactoryDir() / "Aspects" / kPatternFileName);
    EXPECT_TRUE(defs.has_value());
    return defs.value_or(std::vector<PatternDefinition>{});
}

// Pattern ids found, each with its sorted point numbers.
std::multimap<int, std::vector<int>> Summary(const std::vector<FoundPattern>& found) {
    std::multimap<int, std::vector<int>> out;
    for (const FoundPattern& f : found) {
        std::vector<int> points = f.points;
        std::sort(points.begin(), points.end());
        out.emplace(f.id, points);
    }
    return out;
}

TEST(PatternDefinitions, FactoryFileDefinesTheUsualFigures) {
    const auto defs = Factory();
    const std::map<int, std::pair<std::string, int>> expected = {
        {1, {"Grand Trine", 3}},   {2, {"T-Square", 3}}, {3, {"Grand Cross", 4}},
        {4, {"Yod", 3}},           {5, {"Kite", 4}},     {6, {"Mystic Rectangle", 4}},
        {7, {"Grand Sextile", 6}}, {8, {"Stellium", 3}},
    };
    ASSERT_EQ(defs.size(), expected.size());
    for (const auto& def : defs) {
        ASSERT_TRUE(expected.count(def.id)) << def.id;
        EXPECT_EQ(def.name, expected.at(def.id).first);
        EXPECT_EQ(def.PositionCount(), expected.at(def.id).second);
    }
    EXPECT_EQ(PatternName(defs, 4), "Yod");
    EXPECT_EQ(PatternName(defs, 99), "Unknown Pattern (ID=99)");
}

TEST(PatternDefinitions, ReadsEveryKey) {
    const std::string text =
        "[Test Figure]\r\nID=12\r\nEnabled=0\r\nAbbr=TF\r\nOtherName1=First\r\n"
        "OtherName2=Second\r\nIsClosed=-1\r\nNumElements=2\r\nP1_1=1\r\nP2_1=2\r\n"
        "AspectID_1=4\r\nP2Behind_1=-1\r\nP1_2=2\r\nP2_2=3\r\nAspectID_2=3\r\n"
        "NumExtraElements=1\r\nExtraElement1=1, 3, 2\r\n"
        "[No Id]\r\nNumElements=1\r\nP1_1=1\r\nP2_1=2\r\nAspectID_1=1\r\n"
        "[Bad Element]\r\nID=13\r\nNumElements=1\r\nP1_1=1\r\nP2_1=1\r\nAspectID_1=1\r\n";
    const auto defs = ParsePatternDefinitions(text);
    ASSERT_EQ(defs.size(), 1U);
    const PatternDefinition& d = defs[0];
    EXPECT_EQ(d.name, "Test Figure");
    EXPECT_EQ(d.id, 12);
    EXPECT_FALSE(d.enabled);
    EXPECT_EQ(d.abbreviation, "TF");
    EXPECT_EQ(d.other_names, (std::vector<std::string>{"First", "Second"}));
    EXPECT_TRUE(d.is_closed);
    ASSERT_EQ(d.elements.size(), 2U);
    EXPECT_EQ(d.elements[0], (PatternElement{1, 2, 4, true}));
    EXPECT_EQ(d.elements[1], (PatternElement{2, 3, 3, false}));
    ASSERT_EQ(d.extra_elements.size(), 1U);
    EXPECT_EQ(d.extra_elements[0], (PatternElement{1, 3, 2, false}));
}

TEST(FindPatterns, EachFigureOnceWhateverThePointOrder) {
    const auto defs = Factory();
    struct Figure {
        const char* label;
        std::vector<std::pair<int, double>> points;
        int id;
    };
    const Figure figures[] = {
        {"grand trine", {{3, 10}, {7, 130}, {9, 250}, {5, 40}}, 1},
        {"t-square", {{1, 100}, {6, 280}, {8, 10}}, 2},
        {"grand cross", {{3, 5}, {7, 95}, {9, 185}, {10, 275}}, 3},
        {"yod", {{5, 0}, {6, 60}, {12, 210}}, 4},
        {"kite", {{3, 0}, {7, 120}, {9, 240}, {11, 180}}, 5},
        {"mystic rectangle", {{3, 0}, {7, 60}, {9, 180}, {11, 240}}, 6},
        {"grand sextile", {{1, 0}, {3, 60}, {5, 120}, {6, 180}, {7, 240}, {8, 300}}, 7},
        {"stellium of four", {{3, 10}, {5, 10.2}, {6, 10.3}, {7, 10.4}, {12, 100}}, 8},
    };
    for (const Figure& f : figures) {
        SCOPED_TRACE(f.label);
        auto points = f.points;
        std::sort(points.begin(), points.end());
        const auto first = Summary(FindPatterns(defs, GridOf(points)));
        EXPECT_EQ(first.size(), 1U);
        EXPECT_EQ(first.count(f.id), 1U);
        // Every order of the points gives the same single figure.
        int orders = 0;
        do {
            EXPECT_EQ(Summary(FindPatterns(defs, GridOf(points))), first);
            ++orders;
        } while (std::next_permutation(points.begin(), points.end()) && orders < 120);
    }
}

TEST(FindPatterns, SubFiguresOnlyWhenTheDefinitionAsksForThem) {
    auto defs = Factory();
    // A grand cross holds four T-squares; a kite holds a grand trine.
    const auto cross = GridOf({{3, 5}, {7, 95}, {9, 185}, {10, 275}});
    EXPECT_EQ(Summary(FindPatterns(defs, cross)),
              (std::multimap<int, std::vector<int>>{{3, {3, 7, 9, 10}}}));
    for (auto& d : defs) {
        d.report_as_sub_figure = d.id == 2;
    }
    const auto with_t_squares = Summary(FindPatterns(defs, cross));
    EXPECT_EQ(with_t_squares.count(3), 1U);
    EXPECT_EQ(with_t_squares.count(2), 4U);
    // Two separate grand trines are both reported (neither lies inside the other).
    const auto two = GridOf({{1, 0}, {3, 120}, {5, 240}, {6, 30}, {7, 150}, {8, 270}});
    EXPECT_EQ(Summary(FindPatterns(defs, two)).count(1), 2U);
}

TEST(FindPatterns, P2BehindOrdersThePositions) {
    const auto defs = Factory();
    // Yod: sextile base 0 and 60, apex 210. The base's second position must come first in the
    // zodiac, so position 1 holds the point at 60 and position 2 the point at 0.
    const auto found = FindPatterns(defs, GridOf({{5, 0}, {6, 60}, {12, 210}}));
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].points, (std::vector<int>{6, 5, 12}));
}

TEST(FindPatterns, DisabledDefinitionsAndExtraElements) {
    std::vector<PatternDefinition> defs = ParsePatternDefinitions(
        "[Opposition Pair]\nID=20\nNumElements=1\nP1_1=1\nP2_1=2\nAspectID_1=2\n"
        "[Square Then Trine]\nID=21\nNumElements=2\nP1_1=1\nP2_1=2\nAspectID_1=4\n"
        "P1_2=1\nP2_2=3\nAspectID_2=3\nNumExtraElements=1\nExtraElement1=2,3,9\n");
    ASSERT_EQ(defs.size(), 2U);
    // 0 and 180: the opposition pair. 0, 90, 120: square and trine from the point at 0, and
    // 90 to 120 is no quincunx; 0, 90, 240: 90 to 240 is a quincunx (150).
    auto found = FindPatterns(defs, GridOf({{1, 0}, {2, 180}}));
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].id, 20);
    found = FindPatterns(defs, GridOf({{1, 0}, {2, 90}, {3, 120}}));
    ASSERT_EQ(found.size(), 1U);
    EXPECT_TRUE(found[0].extra_found.empty());
    found = FindPatterns(defs, GridOf({{1, 0}, {2, 90}, {3, 240}}));
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].extra_found, (std::vector<int>{1}));
    defs[0].enabled = false;
    EXPECT_TRUE(FindPatterns(defs, GridOf({{1, 0}, {2, 180}})).empty());
}

TEST(FindPatterns, GridFromTheAspectFinder) {
    const AspectSet set = StandardAspectSet();
    std::vector<AspectPoint> points;
    const std::pair<int, double> chart[] = {{3, 10}, {7, 128}, {9, 251}, {5, 300}};
    for (const auto& [n, lon] : chart) {
        AspectPoint p;
        p.point = n;
        p.longitude = lon;
        points.push_back(p);
    }
    const PatternGrid grid(set, points, kOrbNatal);
    // 10-128 is 118, 128-251 is 123, 251-10 is 119: trines within 9.
    EXPECT_EQ(grid.Aspect(0, 1), kTri);
    EXPECT_EQ(grid.Aspect(1, 2), kTri);
    EXPECT_EQ(grid.Aspect(2, 0), kTri);
    const auto found = Summary(FindPatterns(Factory(), grid));
    EXPECT_EQ(found, (std::multimap<int, std::vector<int>>{{1, {3, 7, 9}}}));
}

}  // namespace
}  // namespace meridia::aspects
