// meridia-cli files run in-process: a chart file made, filled, listed, shown, described and
// emptied again through the command line, import and export of the block format, and the
// exit statuses and messages of refused and failed jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

namespace fs = std::filesystem;

class FilesCommandTest : public testing::CliTest {
protected:
    nlohmann::json ListJson(const fs::path& path) {
        EXPECT_EQ(Run({"--json", "files", "list", path.string()}), kExitOk) << Err();
        return nlohmann::json::parse(Out());
    }
    fs::path File(const std::string& name) const { return temp() / name; }
    void AddChart(const fs::path& path, const std::string& name, const std::string& date) {
        ASSERT_EQ(Run({"files", "add", path.string(), "--name", name, "--date", date, "--time",
                       "10:20", "--zone", "gmt", "--lat", "51N30", "--lon", "0W10", "--comment",
                       "Comment of " + name}),
                  kExitOk)
            << Err();
    }
};

TEST_F(FilesCommandTest, CreateAddListShowDescribeDeleteRoundTrip) {
    const fs::path path = File("mine.MDcht");
    ASSERT_EQ(Run({"files", "create", path.string(), "--description", "My charts"}), kExitOk)
        << Err();
    EXPECT_EQ(Out(), path.string() + "\n");

    AddChart(path, "One", "1 Mar 1970");
    EXPECT_EQ(Out(), "1\n");
    AddChart(path, "Two", "2 Apr 1980");
    EXPECT_EQ(Out(), "2\n");

    nlohmann::json doc = ListJson(path);
    EXPECT_EQ(doc["description"], "My charts");
    EXPECT_EQ(doc["version"], 3);
    ASSERT_EQ(doc["charts"].size(), 2U);
    const auto& one = doc["charts"][0];
    EXPECT_EQ(one["number"], 1);
    EXPECT_EQ(one["name"], "One");
    EXPECT_EQ(one["date"]["year"], 1970);
    EXPECT_EQ(one["date"]["month"], 3);
    EXPECT_EQ(one["date"]["hour"], 10);
    EXPECT_EQ(one["zone_mnemonic"], "GMT");  // typed in lower case, stored upper-cased
    EXPECT_NEAR(one["latitude"].get<double>(), 51.5, 1e-5);
    EXPECT_NEAR(one["longitude"].get<double>(), 1.0 / 6.0, 1e-5);
    EXPECT_EQ(one["comment_length"], std::string("Comment of One").size());
    EXPECT_EQ(one["event_count"], 0);
    for (const char* key : {"class", "kind", "event_type", "rating", "source", "zone", "place",
                            "country", "house_system", "zodiac", "coords"}) {
        EXPECT_TRUE(one.contains(key)) << key;
    }

    ASSERT_EQ(Run({"--json", "files", "show", path.string(), "--chart", "2"}), kExitOk) << Err();
    doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["name"], "Two");
    EXPECT_EQ(doc["comment"], "Comment of Two");
    EXPECT_TRUE(doc["events"].empty());

    ASSERT_EQ(Run({"files", "describe", path.string(), "--description", "Renamed"}), kExitOk);
    EXPECT_EQ(ListJson(path)["description"], "Renamed");

    ASSERT_EQ(Run({"files", "delete", path.string(), "--chart", "1"}), kExitOk) << Err();
    doc = ListJson(path);
    ASSERT_EQ(doc["charts"].size(), 1U);
    EXPECT_EQ(doc["charts"][0]["name"], "Two");  // the later chart moved up
}

TEST_F(FilesCommandTest, RefusedAndFailedJobsKeepTheFile) {
    const fs::path path = File("mine.MDcht");
    ASSERT_EQ(Run({"files", "create", path.string(), "--description", "Mine"}), kExitOk);
    AddChart(path, "One", "1 Mar 1970");
    const std::string before = testing::ReadFile(path);

    EXPECT_EQ(Run({"files", "create", path.string(), "--description", "Again"}), kExitRefused);
    EXPECT_EQ(Err(), "The file exists already: " + path.string() + "\n");
    EXPECT_EQ(Run({"files", "show", path.string(), "--chart", "2"}), kExitRefused);
    EXPECT_EQ(Err(), "No chart 2 in " + path.string() + "\n");
    EXPECT_EQ(Run({"files", "delete", path.string(), "--chart", "1", "--chart", "5"}),
              kExitRefused);
    EXPECT_EQ(Err(), "No chart 5 in " + path.string() + "\n");
    // 29 February 1500 exists in the Julian calendar only.
    EXPECT_EQ(Run({"files", "add", path.string(), "--date", "29 Feb 1500", "--calendar", "1",
                   "--lat", "1N0", "--lon", "1E0"}),
              kExitRefused);
    EXPECT_EQ(Err(), "[meridia-cli]\nThe date does not exist in the calendar chosen.\n");
    EXPECT_EQ(Run({"files", "convert", path.string()}), kExitRefused);
    EXPECT_EQ(Err(), "Not an older-format chart file: " + path.string() + "\n");
    EXPECT_EQ(testing::ReadFile(path), before);

    const std::string missing = File("missing.MDcht").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"files", "list", missing},
          {"files", "show", missing, "--chart", "1"},
          {"files", "delete", missing, "--chart", "1"},
          {"files", "describe", missing, "--description", "x"},
          {"files", "convert", missing},
          {"files", "add", missing, "--date", "1 Jan 2000", "--lat", "1N0", "--lon", "1E0"}}) {
        EXPECT_EQ(Run(args), kExitFailure) << args[1];
        EXPECT_EQ(Err(), "Cannot open chart file: " + missing + "\n") << args[1];
        EXPECT_TRUE(Out().empty());
    }
    EXPECT_FALSE(fs::exists(missing));
}

// Export to the block format and import back: every chart comes back with its fields; the
// block format keeps no comments.
TEST_F(FilesCommandTest, ExportAndImportTheBlockFormat) {
    const fs::path path = File("mine.MDcht");
    ASSERT_EQ(Run({"files", "create", path.string(), "--description", "Mine"}), kExitOk);
    AddChart(path, "One", "1 Mar 1970");
    AddChart(path, "Two", "2 Apr 1980");

    const fs::path block = File("out.tsl");
    ASSERT_EQ(Run({"files", "export", block.string(), "--from", path.string()}), kExitOk) << Err();
    EXPECT_EQ(Out(), "2\n");
    const nlohmann::json exported = ListJson(block);
    EXPECT_EQ(exported["version"], -1);
    ASSERT_EQ(exported["charts"].size(), 2U);
    EXPECT_EQ(exported["charts"][0]["comment_length"], 0);

    const fs::path back = File("back.MDcht");
    ASSERT_EQ(Run({"files", "import", block.string(), "--to", back.string()}), kExitOk) << Err();
    EXPECT_EQ(Out(), "2\n");
    const nlohmann::json original = ListJson(path);
    const nlohmann::json imported = ListJson(back);
    ASSERT_EQ(imported["charts"].size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        for (const char* key : {"name", "date", "zone_mnemonic", "house_system", "zodiac"}) {
            EXPECT_EQ(imported["charts"][i][key], original["charts"][i][key]) << key;
        }
        EXPECT_NEAR(imported["charts"][i]["latitude"].get<double>(),
                    original["charts"][i]["latitude"].get<double>(), 1e-3);
    }

    // A second import appends to the existing file.
    ASSERT_EQ(Run({"files", "import", block.string(), "--to", back.string()}), kExitOk);
    EXPECT_EQ(ListJson(back)["charts"].size(), 4U);

    EXPECT_EQ(Run({"files", "import", File("none.tsl").string(), "--to", back.string()}),
              kExitFailure);
    EXPECT_EQ(Err(), "Cannot open chart file: " + File("none.tsl").string() + "\n");
}

}  // namespace
}  // namespace meridia::cli
