// meridia-cli speculum: the documented fields, the chart's own coordinates, the angles' mundane
// positions, circumpolar points written with null, the readable listing and refused input.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace meridia::cli {
namespace {

class SpeculumCommandTest : public testing::CliTest {
protected:
    std::vector<std::string> Chart(const std::string& lat) {
        return {"--date", "14 Mar 1879", "--time", "11:30", "--zone",
                "-0:40",  "--lat",       lat,      "--lon", "10E00"};
    }
    nlohmann::json RunJson(const std::string& command, const std::string& lat,
                           const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--json", command};
        for (const auto& a : Chart(lat)) {
            args.push_back(a);
        }
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(Run(args), 0) << Err();
        return nlohmann::json::parse(Out());
    }
};

TEST_F(SpeculumCommandTest, FieldsAndTheChartsOwnCoordinates) {
    const auto chart = RunJson("chart", "48N24", {});
    const auto doc = RunJson("speculum", "48N24", {"--points", "1-12,22,23"});
    ASSERT_EQ(doc["points"].size(), 14U);
    for (const auto& point : doc["points"]) {
        for (const char* key :
             {"number", "right_ascension", "declination", "crosses_horizon",
              "ascensional_difference", "oblique_ascension", "oblique_descension", "day_semi_arc",
              "night_semi_arc", "upper_meridian_distance", "meridian_distance",
              "placidus_mundane_position", "zenith_distance", "pole", "regio_mundane_position"}) {
            EXPECT_TRUE(point.contains(key)) << key;
        }
        const int n = point["number"];
        const auto& own = chart["points"][static_cast<std::size_t>(n - 1)];
        ASSERT_EQ(own["number"], n);
        EXPECT_EQ(point["right_ascension"], own["right_ascension"]);
        EXPECT_EQ(point["declination"], own["declination"]);
        const double umd = point["upper_meridian_distance"];
        const double ra = own["right_ascension"];
        const double ramc = chart["ramc"];
        EXPECT_NEAR(std::remainder(umd - (ra - ramc), 360.0), 0.0, 1e-9);
        if (n == 23) {
            EXPECT_NEAR(point["placidus_mundane_position"].get<double>(), 270.0, 1e-9);
            EXPECT_NEAR(point["pole"].get<double>(), 0.0, 1e-9);
        }
        if (n == 22) {
            // The rising Ascendant: 360, the same place as 0.
            EXPECT_NEAR(std::remainder(point["placidus_mundane_position"].get<double>(), 360.0),
                        0.0, 1e-7);
            EXPECT_NEAR(point["pole"].get<double>(), chart["observer_latitude"].get<double>(),
                        1e-7);
        }
    }
}

TEST_F(SpeculumCommandTest, CircumpolarPointsHaveNoAscensionalDifference) {
    // At 75 N the Moon (declination about -26) never rises.
    const auto doc = RunJson("speculum", "75N00", {"--points", "1"});
    ASSERT_EQ(doc["points"].size(), 1U);
    const auto& moon = doc["points"][0];
    EXPECT_FALSE(moon["crosses_horizon"].get<bool>());
    EXPECT_TRUE(moon["ascensional_difference"].is_null());
    EXPECT_EQ(moon["day_semi_arc"], 0.0);
    EXPECT_EQ(moon["night_semi_arc"], 180.0);
    EXPECT_EQ(moon["oblique_ascension"], moon["right_ascension"]);
}

TEST_F(SpeculumCommandTest, ListingHasTheHeadings) {
    std::vector<std::string> args = {"speculum"};
    for (const auto& a : Chart("48N24")) {
        args.push_back(a);
    }
    args.insert(args.end(), {"--points", "3,23"});
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_NE(Out().find(" PointName AscDiff  RA       Declin   DaySemAr UMerDist ObAsc    "
                         "PropArc  \n"),
              std::string::npos);
    EXPECT_NE(Out().find("\nMC "), std::string::npos);
}

TEST_F(SpeculumCommandTest, RefusedInput) {
    EXPECT_EQ(Run({"speculum", "--date", "31 Feb 1879", "--time", "11:30", "--zone", "0", "--lat",
                   "48N24", "--lon", "10E00"}),
              2);
    EXPECT_FALSE(Err().empty());
    std::vector<std::string> args = {"speculum"};
    for (const auto& a : Chart("48N24")) {
        args.push_back(a);
    }
    args.insert(args.end(), {"--points", "3,999"});
    EXPECT_EQ(Run(args), 2);
    EXPECT_TRUE(Out().empty());
}

}  // namespace
}  // namespace meridia::cli
