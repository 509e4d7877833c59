// The command-line frame shared by every subcommand: help and version, the exit statuses,
// --set applied for one run, the message format on the error stream, and --user-dir set up
// like a first start.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class CliFrameTest : public testing::CliTest {
protected:
    int Run(const std::vector<std::string>& args) { return RunBare(args); }
};

const std::vector<std::string> kSampleChart = {"chart", "--date", "1 Jan 2000", "--time",
                                               "12:00", "--zone", "0",          "--lat",
                                               "51N30", "--lon",  "0W10"};

TEST_F(CliFrameTest, HelpAndVersionExitZero) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_NE(out_.str().find("chart"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), kExitOk);
    EXPECT_NE(out_.str().find("Meridia"), std::string::npos);
}

TEST_F(CliFrameTest, MissingOrUnknownSubcommandIsRefused) {
    EXPECT_EQ(Run({}), kExitRefused);
    EXPECT_EQ(Run({"horoscope"}), kExitRefused);
}

TEST_F(CliFrameTest, MalformedSetIsRefused) {
    std::vector<std::string> args = {"--user-dir", UserDir().string(), "--set", "HouseSystem"};
    args.insert(args.end(), kSampleChart.begin(), kSampleChart.end());
    EXPECT_EQ(Run(args), kExitRefused);
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(CliFrameTest, SetChangesTheSettingForThisRunOnly) {
    std::vector<std::string> args = {"--user-dir", UserDir().string(), "--json", "--set",
                                     "HouseSystem=6"};
    args.insert(args.end(), kSampleChart.begin(), kSampleChart.end());
    ASSERT_EQ(Run(args), kExitOk) << err_.str();
    EXPECT_EQ(nlohmann::json::parse(out_.str())["house_system"], 6);

    std::vector<std::string> again = {"--user-dir", UserDir().string(), "--json"};
    again.insert(again.end(), kSampleChart.begin(), kSampleChart.end());
    ASSERT_EQ(Run(again), kExitOk) << err_.str();
    EXPECT_EQ(nlohmann::json::parse(out_.str())["house_system"], 4);
}

TEST_F(CliFrameTest, MessagesGoToStderrWithTheirTitleInBrackets) {
    std::vector<std::string> args = kSampleChart;
    args[2] = "31 Feb 2000";
    args.insert(args.begin(), {"--user-dir", UserDir().string()});
    EXPECT_EQ(Run(args), kExitRefused);
    EXPECT_EQ(err_.str(), "[Error in Date]\nThis date is not a valid calendar date.\n");
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(CliFrameTest, UserDirIsSetUpLikeAFirstStart) {
    std::vector<std::string> args = {"--user-dir", UserDir().string()};
    args.insert(args.end(), kSampleChart.begin(), kSampleChart.end());
    ASSERT_EQ(Run(args), kExitOk) << err_.str();
    for (const char* folder :
         {"Charts", "Aspects", "Points & Colors", "Wheels & Dials", "Almutens & Dignities", "Tasks",
          "Interpretations", "Places", "Maps", "Settings"}) {
        EXPECT_TRUE(std::filesystem::is_directory(UserDir() / folder)) << folder;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(UserDir() / "Settings" / "Meridia9.ini"));
    EXPECT_TRUE(std::filesystem::is_regular_file(UserDir() / "Aspects" / "standard.asp"));
    EXPECT_TRUE(std::filesystem::is_regular_file(UserDir() / "Points & Colors" / "plan&ch.pts"));
}

}  // namespace
}  // namespace meridia::cli
