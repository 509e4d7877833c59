// meridia-cli place and zone run in-process: the documented JSON fields, a place or table that
// is not found answered with "found": false and status 0 (with its message on stderr and a
// readable line without --json), and refused typed input with status 2.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class PlaceCommandTest : public testing::CliTest {};

TEST_F(PlaceCommandTest, FindGivesTheDocumentedFields) {
    ASSERT_EQ(Run({"--json", "place", "find", "Ulm", "Germany", "--date", "1 Jan 1990", "--time",
                   "12:00"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    for (const char* key : {"found", "place", "country", "longitude", "latitude", "zone_hours",
                            "zone_mnemonic", "zone_type", "table", "uncertain"}) {
        EXPECT_TRUE(doc.contains(key)) << key;
    }
    EXPECT_EQ(doc["found"], true);
    EXPECT_EQ(doc["place"], "Ulm");
    // Ulm lies at about 48°24' N 9°59' E and keeps Central European Time in winter.
    EXPECT_NEAR(doc["latitude"].get<double>(), 48.4, 0.05);
    EXPECT_NEAR(doc["longitude"].get<double>(), -10.0, 0.05);
    EXPECT_DOUBLE_EQ(doc["zone_hours"].get<double>(), -1.0);
}

TEST_F(PlaceCommandTest, UnknownPlaceIsAnAnswerNotAFailure) {
    ASSERT_EQ(Run({"--json", "place", "find", "Nowhereville", "Germany", "--date", "1 Jan 1990"}),
              kExitOk);
    EXPECT_EQ(nlohmann::json::parse(Out())["found"], false);
    EXPECT_EQ(Err(),
              "[Place Not Found]\nThe place name 'NOWHEREVILLE' was not found in any place "
              "file.\n");

    ASSERT_EQ(Run({"place", "find", "Nowhereville", "Germany", "--date", "1 Jan 1990"}), kExitOk);
    EXPECT_EQ(Out(), "Not found: Nowhereville, Germany\n");
}

TEST_F(PlaceCommandTest, RefusedDateIsStatus2) {
    EXPECT_EQ(Run({"place", "find", "Ulm", "Germany", "--date", "31 Feb 1990"}), kExitRefused);
    EXPECT_TRUE(Out().empty());
    EXPECT_FALSE(Err().empty());
}

TEST_F(PlaceCommandTest, ZoneLookupGivesTheDocumentedFields) {
    ASSERT_EQ(Run({"--json", "zone", "lookup", "--table", "1", "--date", "1 Jan 1990", "--time",
                   "12:00", "--lon", "10E00"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    for (const char* key : {"found", "zone_hours", "zone_mnemonic", "uncertain"}) {
        EXPECT_TRUE(doc.contains(key)) << key;
    }
    EXPECT_EQ(doc["found"], true);

    ASSERT_EQ(Run({"zone", "lookup", "--table", "1", "--date", "1 Jan 1990", "--time", "12:00",
                   "--lon", "10E00"}),
              kExitOk);
    EXPECT_FALSE(Out().empty());
}

TEST_F(PlaceCommandTest, UnknownZoneTableIsAnAnswerNotAFailure) {
    ASSERT_EQ(Run({"--json", "zone", "lookup", "--table", "99999", "--date", "1 Jan 1990", "--time",
                   "12:00", "--lon", "10E00"}),
              kExitOk);
    EXPECT_EQ(nlohmann::json::parse(Out())["found"], false);
    EXPECT_EQ(Err(), "Zone table 99999 (or a table it continues with) is not in the index.\n");

    ASSERT_EQ(Run({"zone", "lookup", "--table", "99999", "--date", "1 Jan 1990", "--time", "12:00",
                   "--lon", "10E00"}),
              kExitOk);
    EXPECT_EQ(Out(), "Not found: zone table 99999\n");
}

TEST_F(PlaceCommandTest, ZoneLookupRefusesABadLongitude) {
    EXPECT_EQ(Run({"zone", "lookup", "--table", "1", "--date", "1 Jan 1990", "--time", "12:00",
                   "--lon", "200E00"}),
              kExitRefused);
    EXPECT_TRUE(Out().empty());
}

TEST_F(PlaceCommandTest, ZoneDumpPrintsThePathOfTheDumpFile) {
    ASSERT_EQ(Run({"zone", "dump"}), kExitOk) << Err();
    const std::string path = Out().substr(0, Out().size() - 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}

}  // namespace
}  // namespace meridia::cli
