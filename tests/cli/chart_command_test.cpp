// meridia-cli chart run in-process: the JSON document's fields, the values against the
// ephemeris library, and refused input with the parsers' own messages and status 2.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "charts/chart_files.h"
#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class ChartCommandTest : public testing::CliTest {};

TEST_F(ChartCommandTest, JsonHasEveryDocumentedField) {
    ASSERT_EQ(Run({"--json", "chart", "--name", "Test", "--date", "14 Mar 1879", "--time", "11:30",
                   "--zone", "-0:40", "--lat", "48N24", "--lon", "10E00", "--house", "9"}),
              0)
        << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    for (const char* key : {"name",
                            "place",
                            "country",
                            "date",
                            "zone_hours",
                            "zone_mnemonic",
                            "longitude",
                            "latitude",
                            "julian_day_ut",
                            "julian_day",
                            "delta_t_hours",
                            "sidereal_time_hours",
                            "ramc",
                            "obliquity",
                            "zodiac_offset",
                            "observer_latitude",
                            "house_system",
                            "zodiac",
                            "coords",
                            "cusps",
                            "cusp1_is_ascendant",
                            "cusp10_is_midheaven",
                            "points"}) {
        EXPECT_TRUE(doc.contains(key)) << key;
    }
    for (const char* key : {"year", "month", "day", "hour", "minute", "second", "calendar"}) {
        EXPECT_TRUE(doc["date"].contains(key)) << key;
    }
    EXPECT_EQ(doc["name"], "Test");
    EXPECT_EQ(doc["date"]["year"], 1879);
    EXPECT_EQ(doc["house_system"], 9);
    EXPECT_DOUBLE_EQ(doc["longitude"].get<double>(), -10.0);
    EXPECT_NEAR(doc["zone_hours"].get<double>(), -2.0 / 3.0, 1e-6);
    ASSERT_EQ(doc["cusps"].size(), 12U);
    ASSERT_EQ(doc["points"].size(), 50U);
    const auto& moon = doc["points"][0];
    for (const char* key :
         {"number", "abbr", "name", "longitude", "latitude", "speed", "latitude_speed", "distance",
          "distance_speed", "declination", "right_ascension", "house", "retrograde"}) {
        EXPECT_TRUE(moon.contains(key)) << key;
    }
    EXPECT_EQ(moon["number"], 1);
    EXPECT_EQ(moon["name"], "Moon");
    EXPECT_EQ(doc["points"][21]["name"], "Ascendant");

    // 11:30 local at zone -0:40 is 10:50 UT.
    const double jd_ut = swe_julday(1879, 3, 14, 10.0 + 50.0 / 60.0, SE_GREG_CAL);
    EXPECT_NEAR(doc["julian_day_ut"].get<double>(), jd_ut, 1e-6);
    const double jd_et = doc["julian_day"].get<double>();
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc(jd_et, SE_SUN, SEFLG_SPEED, x.data(), serr);
    EXPECT_NEAR(doc["points"][2]["longitude"].get<double>(), x[0], 1e-9);
    std::array<double, 13> cusps{};
    std::array<double, 10> ascmc{};
    swe_houses_armc(doc["ramc"].get<double>(), doc["observer_latitude"].get<double>(),
                    doc["obliquity"].get<double>(), 'E', cusps.data(), ascmc.data());
    EXPECT_NEAR(doc["points"][21]["longitude"].get<double>(), ascmc[SE_ASC], 1e-9);
    EXPECT_NEAR(doc["cusps"][0].get<double>(), ascmc[SE_ASC], 1e-9);
}

TEST_F(ChartCommandTest, ReadableListingNamesThePoints) {
    ASSERT_EQ(Run({"chart", "--date", "1 Jan 2000", "--time", "12:00", "--zone", "0", "--lat",
                   "51N30", "--lon", "0W10"}),
              0)
        << err_.str();
    const std::string text = out_.str();
    EXPECT_NE(text.find("Moon"), std::string::npos);
    EXPECT_NE(text.find("Ascendant"), std::string::npos);
    EXPECT_NE(text.find("House cusps"), std::string::npos);
}

TEST_F(ChartCommandTest, RefusedFieldsExitWithTwoAndTheParsersMessage) {
    struct Row {
        std::vector<std::string> args;
        std::string title;
        std::string first_line;
    };
    const std::vector<std::string> place = {"--lat", "10N00", "--lon", "10E00"};
    const Row rows[] = {
        {{"--date", "Smarch 5 2001"}, "[Error in Date]", "The format of the date is not"},
        {{"--date", "1 Jan 2001", "--time", "24:10"},
         "[Error in Time]",
         "The format of the time is not recognised."},
        {{"--date", "1 Jan 2001", "--zone", "QQQ"},
         "[Error in Time Zone]",
         "The format of the Time Zone is not recognised."},
        {{"--date", "1 Jan 2001", "--lat", "95N00", "--lon", "1E00"},
         "[Error in Latitude]",
         "The format of the latitude is not recognised: 95N00"},
        {{"--date", "1 Jan 2001", "--lat", "1N00", "--lon", "181E00"},
         "[Error in Longitude]",
         "The format of the longitude is not recognised: 181E00"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"chart"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        if (std::find(row.args.begin(), row.args.end(), "--lat") == row.args.end()) {
            args.insert(args.end(), place.begin(), place.end());
        }
        EXPECT_EQ(Run(args), kExitRefused) << row.title;
        EXPECT_TRUE(out_.str().empty());
        const std::string err = err_.str();
        EXPECT_EQ(err.rfind(row.title + "\n" + row.first_line, 0), 0U) << err;
    }
}

TEST_F(ChartCommandTest, DateOutsideTheEphemerisGivesNoChart) {
    EXPECT_EQ(Run({"chart", "--date", "1 Jan 9000 BC", "--lat", "1N00", "--lon", "1E00"}),
              kExitRefused);
    EXPECT_TRUE(out_.str().empty());
    EXPECT_EQ(err_.str(),
              "[Cannot Calculate]\nDate for calculation is outside the range of the ephemeris.\n");
}

// A chart taken from a chart file is calculated like a typed one.
TEST_F(ChartCommandTest, ChartFromAChartFile) {
    charts::ChartFileImage image;
    image.description = "Test file";
    charts::StoredChart stored;
    stored.record.data.name = "Filed";
    stored.record.data.date_time = {1969, 7, 20, 20, 17, 0};
    stored.record.data.place.latitude = 28.5F;
    stored.record.data.place.longitude = 80.6F;
    stored.record.house_system = 9;
    image.charts.push_back(stored);
    const auto path = temp() / "test.MDcht";
    ASSERT_TRUE(charts::SaveChartFileImage(path, image));
    ASSERT_EQ(Run({"--json", "chart", "--file", path.string(), "--chart", "1"}), 0) << err_.str();
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["name"], "Filed");
    EXPECT_EQ(doc["date"]["year"], 1969);
    EXPECT_NEAR(doc["julian_day_ut"].get<double>(),
                swe_julday(1969, 7, 20, 20.0 + 17.0 / 60.0, SE_GREG_CAL), 1e-6);
    EXPECT_EQ(Run({"chart", "--file", path.string(), "--chart", "2"}), kExitRefused);
    EXPECT_EQ(err_.str(), "[meridia-cli]\nChart 2 of " + path.string() + " cannot be read.\n");
}

TEST_F(ChartCommandTest, DamagedChartFileGivesOnlyTheReadErrorMessage) {
    const auto path = temp() / "damaged.MDcht";
    testing::WriteFile(path, std::string("\x03\x00\xff\xff\xff\x7f", 6));
    EXPECT_NE(Run({"chart", "--file", path.string(), "--chart", "1"}), kExitOk);
    EXPECT_EQ(err_.str(),
              "[Meridia]\nError whilst attempting to read chart file: " + path.string() + "\n");
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(ChartCommandTest, MissingCoordinatesAreRefused) {
    EXPECT_EQ(Run({"chart", "--date", "1 Jan 2001"}), kExitRefused);
    EXPECT_NE(err_.str().find("--lat"), std::string::npos);
}

}  // namespace
}  // namespace meridia::cli
