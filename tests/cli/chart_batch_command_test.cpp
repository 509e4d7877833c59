// meridia-cli chart --file PATH --all: every chart of a file in one run, as JSON Lines in file
// order (an error line for a chart that cannot be calculated) or as listings one after
// another.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class ChartBatchCommandTest : public testing::SessionTest {
protected:
    int Run(std::vector<std::string> args) {
        std::vector<std::string> full = {"meridia-cli", "--user-dir", UserDir().string()};
        full.insert(full.end(), args.begin(), args.end());
        out_.str("");
        err_.str("");
        return RunCli(full, out_, err_);
    }
    std::filesystem::path UserDir() const { return temp() / "user"; }
    std::string File() const { return (temp() / "batch.MDcht").string(); }

    // A file of charts named after their dates, written by the CLI's own file commands.
    void MakeFile(const std::vector<std::string>& dates) {
        ASSERT_EQ(Run({"files", "create", File(), "--description", "Batch"}), kExitOk)
            << err_.str();
        for (const std::string& date : dates) {
            ASSERT_EQ(Run({"files", "add", File(), "--name", date, "--date", date, "--time",
                           "12:00", "--zone", "0", "--lat", "51N30", "--lon", "0W10"}),
                      kExitOk)
                << err_.str();
        }
    }

    std::vector<nlohmann::json> Lines() const {
        std::vector<nlohmann::json> lines;
        std::istringstream in(out_.str());
        std::string line;
        while (std::getline(in, line)) {
            lines.push_back(nlohmann::json::parse(line));
        }
        return lines;
    }

    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(ChartBatchCommandTest, JsonLinesHoldEveryChartInFileOrder) {
    const std::vector<std::string> dates = {"1 Jan 1950", "2 Feb 1960", "3 Mar 1970", "4 Apr 1980",
                                            "5 May 1990"};
    MakeFile(dates);
    ASSERT_EQ(Run({"chart", "--file", File(), "--all", "--json"}), kExitOk) << err_.str();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), dates.size());
    for (std::size_t i = 0; i < dates.size(); ++i) {
        EXPECT_EQ(lines[i]["name"], dates[i]);
        EXPECT_EQ(lines[i]["date"]["year"], 1950 + 10 * static_cast<int>(i));
        EXPECT_EQ(lines[i]["points"].size(), lines[0]["points"].size());
    }
    EXPECT_TRUE(err_.str().empty());
}

TEST_F(ChartBatchCommandTest, EachLineEqualsTheSingleChartDocument) {
    MakeFile({"1 Jan 1950", "2 Feb 1960"});
    ASSERT_EQ(Run({"chart", "--file", File(), "--all", "--json"}), kExitOk) << err_.str();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    for (int n = 1; n <= 2; ++n) {
        ASSERT_EQ(Run({"chart", "--file", File(), "--chart", std::to_string(n), "--json"}),
                  kExitOk);
        EXPECT_EQ(nlohmann::json::parse(out_.str()), lines[static_cast<std::size_t>(n - 1)]);
    }
}

TEST_F(ChartBatchCommandTest, AChartThatCannotBeCalculatedGivesAnErrorLine) {
    MakeFile({"1 Jan 1950", "1 Jan 9000", "3 Mar 1970"});
    EXPECT_EQ(Run({"chart", "--file", File(), "--all", "--json"}), kExitRefused);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["name"], "1 Jan 1950");
    EXPECT_EQ(lines[1], nlohmann::json::parse(R"({"chart": 2, "error": )"
                                              R"("Date for calculation is outside the range )"
                                              R"(of the ephemeris."})"));
    EXPECT_EQ(lines[2]["name"], "3 Mar 1970");
    EXPECT_TRUE(err_.str().empty());
}

TEST_F(ChartBatchCommandTest, ReadableListingsFollowOneAnother) {
    MakeFile({"1 Jan 1950", "2 Feb 1960"});
    ASSERT_EQ(Run({"chart", "--file", File(), "--chart", "1"}), kExitOk);
    const std::string first = out_.str();
    ASSERT_EQ(Run({"chart", "--file", File(), "--chart", "2"}), kExitOk);
    const std::string second = out_.str();
    ASSERT_EQ(Run({"chart", "--file", File(), "--all"}), kExitOk) << err_.str();
    EXPECT_EQ(out_.str(), first + "\n" + second);
}

TEST_F(ChartBatchCommandTest, AFileThatCannotBeReadIsRefusedAndNamed) {
    const std::string missing = (temp() / "missing.MDcht").string();
    const std::string damaged = (temp() / "damaged.MDcht").string();
    testing::WriteFile(damaged, "not a chart file");
    const std::pair<std::string, std::string> cases[] = {
        {missing, "Cannot open chart file: " + missing + "\n"},
        {damaged, "[Meridia]\nError whilst attempting to read chart file: " + damaged + "\n"},
    };
    for (const auto& [file, message] : cases) {
        EXPECT_EQ(Run({"chart", "--file", file, "--all", "--json"}), kExitRefused);
        EXPECT_TRUE(out_.str().empty());
        EXPECT_EQ(err_.str(), message);
    }
}

TEST_F(ChartBatchCommandTest, AllNeedsAFileAndNoChartNumber) {
    MakeFile({"1 Jan 1950"});
    EXPECT_EQ(Run({"chart", "--all", "--json"}), kExitRefused);
    EXPECT_EQ(Run({"chart", "--file", File(), "--chart", "1", "--all"}), kExitRefused);
    EXPECT_TRUE(out_.str().empty());
}

}  // namespace
}  // namespace meridia::cli
