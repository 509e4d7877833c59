// meridia-cli derive and riseset run in-process: the JSON documents, the progression rate, the
// refused base chart with its message and status 2, and the rise/set event list with a picked
// chart.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class DeriveCommandTest : public testing::CliTest {};

TEST_F(DeriveCommandTest, SecondaryProgressionJson) {
    ASSERT_EQ(
        Run({"--json",        "derive",     "--class",       "2",          "--kind",        "1",
             "--name",        "Base",       "--date",        "1 Jan 1990", "--time",        "12:00",
             "--zone",        "0",          "--lat",         "51N30",      "--lon",         "0W10",
             "--target-date", "1 Jan 2020", "--target-time", "12:00",      "--target-zone", "0"}),
        kExitOk)
        << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["chart_class"], 2);
    EXPECT_EQ(doc["chart_kind"], 1);
    EXPECT_EQ(doc["class_name"], "Sec.Prog.");
    EXPECT_DOUBLE_EQ(doc["progression_rate"].get<double>(), 1.0 / 365.24219907);
    const double jd_base = swe_julday(1990, 1, 1, 12.0, SE_GREG_CAL);
    const double jd_target = swe_julday(2020, 1, 1, 12.0, SE_GREG_CAL);
    EXPECT_NEAR(doc["julian_day_ut"].get<double>(), jd_base + (jd_target - jd_base) / 365.24219907,
                1.0 / 86400.0);
    EXPECT_EQ(doc["points"].size(), 50U);
    EXPECT_EQ(doc["cusps"].size(), 12U);
}

TEST_F(DeriveCommandTest, DavisonWithASecondChart) {
    ASSERT_EQ(
        Run({"--json",   "derive",     "--class",    "5",      "--kind",   "15",       "--name",
             "Ann",      "--date",     "1 Mar 1970", "--time", "10:30",    "--zone",   "0",
             "--lat",    "10N00",      "--lon",      "170E00", "--with",   "--b-name", "Bob",
             "--b-date", "1 Mar 1972", "--b-time",   "10:30",  "--b-zone", "0",        "--b-lat",
             "20N00",    "--b-lon",    "170W00"}),
        kExitOk)
        << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["place"], "Midpoint");
    EXPECT_EQ(doc["country"], "in Space");
    EXPECT_NEAR(doc["longitude"].get<double>(), 180.0, 1e-4);
    EXPECT_NEAR(doc["latitude"].get<double>(), 15.0, 1e-4);
    EXPECT_EQ(doc["zone_mnemonic"], "GMT");
}

TEST_F(DeriveCommandTest, NatalRequestKeepsTheChartName) {
    ASSERT_EQ(
        Run({"--json", "derive", "--class", "1", "--kind", "1", "--name", "Ann", "--date",
             "1 Mar 1970", "--time", "10:30", "--zone", "0", "--lat", "10N00", "--lon", "170E00"}),
        kExitOk)
        << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["name"], "Ann");
    EXPECT_NEAR(doc["julian_day_ut"].get<double>(), swe_julday(1970, 3, 1, 10.5, SE_GREG_CAL),
                1e-8);
}

TEST_F(DeriveCommandTest, RefusedBaseChartGivesTheMessageAndStatus2) {
    EXPECT_EQ(Run({"derive", "--class", "14", "--kind", "10", "--date", "1 Jan 1990", "--lat",
                   "51N30", "--lon", "0W10", "--coords", "2", "--target-date", "1 Jan 1990",
                   "--target-lat", "35N41", "--target-lon", "139E42"}),
              kExitRefused);
    EXPECT_EQ(Err(),
              "The subsidiary chart cannot be calculated because the base chart is not "
              "Heliocentric.\n");
}

TEST_F(DeriveCommandTest, RiseSetListsFourEventsAndPicksOne) {
    ASSERT_EQ(Run({"--json",  "riseset", "--name", "Here",  "--date",    "21 Jun 2000", "--time",
                   "12:00",   "--zone",  "-1",     "--lat", "51N29",     "--lon",       "0E00",
                   "--point", "3",       "--pick", "3",     "--horizon", "true"}),
              kExitOk)
        << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    ASSERT_EQ(doc["events"].size(), 4U);
    EXPECT_EQ(doc["events"][0]["name"], "Culminating");
    EXPECT_EQ(doc["events"][3]["name"], "Setting");
    EXPECT_EQ(doc["horizon"], "True");
    EXPECT_EQ(doc["chart"]["name"], "Here Rising");
    EXPECT_NEAR(doc["chart"]["julian_day_ut"].get<double>(),
                doc["events"][2]["julian_day_ut"].get<double>(), 0.01 / 86400.0);
    // Sunrise near 4:4x local summer time.
    EXPECT_EQ(doc["events"][2]["date"]["hour"], 4);

    ASSERT_EQ(Run({"riseset", "--date", "21 Jun 2000", "--lat", "51N29", "--lon", "0E00", "--point",
                   "3"}),
              kExitOk);
    EXPECT_NE(out_.str().find("Chart Selection\nCulminating\t"), std::string::npos);
    EXPECT_NE(out_.str().find("\nSetting\t"), std::string::npos);
}

}  // namespace
}  // namespace meridia::cli
