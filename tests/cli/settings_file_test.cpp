// A run that changes no setting leaves the settings files as they were: neither their bytes
// nor their modification times change after --help, listings or --set (which holds for one
// run only).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

namespace fs = std::filesystem;

struct FileState {
    std::string bytes;
    fs::file_time_type modified;
};

class SettingsFileTest : public testing::SessionTest {
protected:
    int Run(std::vector<std::string> args) {
        std::vector<std::string> full = {"meridia-cli", "--user-dir", UserDir().string()};
        full.insert(full.end(), args.begin(), args.end());
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCli(full, out, err);
        err_ = err.str();
        return status;
    }
    fs::path UserDir() const { return temp() / "user"; }
    fs::path SettingsFile() const { return UserDir() / "Settings" / "Meridia9.ini"; }

    static FileState StateOf(const fs::path& path) {
        return {testing::ReadFile(path), fs::last_write_time(path)};
    }
    std::string err_;
};

const std::vector<std::string> kChart = {"chart", "--date", "1 Jan 2000", "--time",
                                         "12:00", "--zone", "0",          "--lat",
                                         "51N30", "--lon",  "0W10"};

std::vector<std::string> With(std::vector<std::string> front,
                              const std::vector<std::string>& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

TEST_F(SettingsFileTest, RunsThatChangeNoSettingWriteNoSettingsFile) {
    // The first run sets the user-files folder up and writes its settings file.
    ASSERT_EQ(Run(kChart), kExitOk) << err_;
    ASSERT_TRUE(fs::is_regular_file(SettingsFile()));
    const fs::path install = session().folders().config / "MeridiaInstall.ini";
    ASSERT_TRUE(fs::is_regular_file(install));
    const FileState settings = StateOf(SettingsFile());
    const FileState install_state = StateOf(install);

    const std::vector<std::vector<std::string>> runs = {
        {"--help"},
        {"chart", "--help"},
        kChart,
        With(kChart, {"--json"}),
        With({"--set", "HouseSystem=6", "--set", "TrueNode=0"}, kChart),
        {"files", "create", (temp() / "list.MDcht").string(), "--description", "List"},
        {"files", "list", (temp() / "list.MDcht").string()},
    };
    for (const auto& args : runs) {
        Run(args);
        const FileState now = StateOf(SettingsFile());
        EXPECT_EQ(now.bytes, settings.bytes) << args.front() << " " << args.back();
        EXPECT_EQ(now.modified, settings.modified) << args.front() << " " << args.back();
        const FileState install_now = StateOf(install);
        EXPECT_EQ(install_now.bytes, install_state.bytes);
        EXPECT_EQ(install_now.modified, install_state.modified);
    }
}

}  // namespace
}  // namespace meridia::cli
