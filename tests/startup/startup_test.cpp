#include "startup/startup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "startup/folders.h"
#include "startup/ini_file.h"
#include "startup/session.h"
#include "startup/zone_mnemonics.h"
#include "support/test_session.h"

namespace meridia::startup {
namespace {

using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;

constexpr const char* kSubfolders[] = {
    "Charts", "Aspects",         "Points & Colors", "Wheels & Dials", "Almutens & Dignities",
    "Tasks",  "Interpretations", "Places",          "Maps",           "Settings"};

// Every factory file that belongs in the user-files folder, relative to the program folder.
std::set<fs::path> FactoryUserFiles(const fs::path& program) {
    std::set<fs::path> files;
    for (const char* name : kSubfolders) {
        if (!fs::is_directory(program / name)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(program / name)) {
            if (entry.is_regular_file()) {
                files.insert(entry.path().lexically_relative(program));
            }
        }
    }
    return files;
}

void SetAge(const fs::path& path, std::chrono::hours age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

class StartupTest : public testing::SessionTest {
protected:
    StartupState& State() { return session().Get<StartupState>(); }
    fs::path UserFiles() { return session().folders().user_files; }
};

TEST_F(StartupTest, FirstStartFillsAnEmptyUserFolder) {
    ASSERT_FALSE(fs::exists(UserFiles()));
    ASSERT_TRUE(StartSession({}));
    for (const char* name : kSubfolders) {
        EXPECT_TRUE(fs::is_directory(UserFiles() / name)) << name;
    }
    const auto factory = FactoryUserFiles(testing::FactoryDir());
    ASSERT_TRUE(factory.contains(fs::path("Settings") / "Meridia9.ini"));
    ASSERT_TRUE(factory.contains(fs::path("Places") / "TIMEZONE.FIL"));
    for (const fs::path& relative : factory) {
        ASSERT_TRUE(fs::is_regular_file(UserFiles() / relative)) << relative;
        if (relative != fs::path("Settings") / "Meridia9.ini") {
            EXPECT_EQ(ReadFile(UserFiles() / relative), ReadFile(testing::FactoryDir() / relative))
                << relative;
        }
    }
    EXPECT_EQ(State().factory_files_copied, static_cast<int>(factory.size()));
    // The first run repairs the settings and records the data folder.
    const fs::path main = UserFiles() / "Settings" / "Meridia9.ini";
    EXPECT_EQ(ReadProfileString(main, "Meridia", "FirstRun", ""), "0");
    EXPECT_EQ(ReadProfileString(main, "Meridia", "SystemDataPath", ""),
              session().folders().program.string());
    EXPECT_EQ(session().settings().GetString("ChartFileName"), "Main2");
    EXPECT_FALSE(ZoneMnemonics().entries.empty());
    EXPECT_TRUE(sink().messages().empty());
    EXPECT_TRUE(State().started);
    EXPECT_FALSE(session().settings().GetString("LastSessionBegin").empty());
}

TEST_F(StartupTest, SecondStartCopiesNothing) {
    ASSERT_TRUE(StartSession({}));
    ASSERT_TRUE(StartSession({}));
    EXPECT_EQ(State().factory_files_copied, 0);
}

TEST_F(StartupTest, OlderSettingsFileIsReplacedAndKeptAsOldCopy) {
    const fs::path program = temp() / "program";
    session().folders().program = program;
    WriteFile(program / "Settings" / "Meridia9.ini", "[Meridia]\nHouseSystem=6\n");
    WriteFile(program / "Charts" / "Main2.MDcht", "factory chart");
    const fs::path user_settings = UserFiles() / "Settings" / "Meridia9.ini";
    WriteFile(user_settings, "[Meridia]\nHouseSystem=2\n");
    WriteFile(UserFiles() / "Charts" / "Main2.MDcht", "user chart, newer");
    SetAge(user_settings, std::chrono::hours(48));
    SetAge(program / "Settings" / "Meridia9.ini", std::chrono::hours(24));

    ASSERT_TRUE(StartSession({}));
    EXPECT_EQ(ReadFile(UserFiles() / "Settings" / "Old_Meridia9.ini"),
              "[Meridia]\nHouseSystem=2\n");
    EXPECT_EQ(ReadProfileString(user_settings, "Meridia", "HouseSystem", ""), "6");
    EXPECT_EQ(session().settings().GetInt("HouseSystem"), 6);
    // A user file newer than its factory copy stays.
    EXPECT_EQ(ReadFile(UserFiles() / "Charts" / "Main2.MDcht"), "user chart, newer");
    EXPECT_EQ(State().factory_files_copied, 1);
    bool logged = false;
    for (const std::string& line : State().log_lines) {
        logged = logged || line.find("Factory file is newer so copying: ") != std::string::npos;
    }
    EXPECT_TRUE(logged);
}

TEST_F(StartupTest, FirstRunRepairMergesMissingFactoryKeys) {
    const fs::path program = temp() / "program";
    session().folders().program = program;
    WriteFile(program / "Settings" / "Meridia9.ini", "[Meridia]\nA=factory\nB=factory\n");
    const fs::path user_settings = UserFiles() / "Settings" / "Meridia9.ini";
    WriteFile(user_settings, "[Meridia]\nFirstRun=-1\nA=user\n");
    ASSERT_TRUE(StartSession({}));
    EXPECT_EQ(ReadProfileString(user_settings, "Meridia", "A", ""), "user");
    EXPECT_EQ(ReadProfileString(user_settings, "Meridia", "B", ""), "factory");
    EXPECT_EQ(ReadProfileString(user_settings, "Meridia", "FirstRun", ""), "0");

    WriteFile(user_settings, "[Meridia]\nFirstRun=-1\nBypassINIRepair=-1\n");
    ASSERT_TRUE(StartSession({}));
    EXPECT_EQ(ReadProfileString(user_settings, "Meridia", "B", "absent"), "absent");
}

TEST_F(StartupTest, ForcedUserFolderIsCreatedAndFilled) {
    StartupOptions options;
    options.user_dir = temp() / "elsewhere" / "files";
    ASSERT_TRUE(StartSession(options));
    EXPECT_EQ(UserFiles(), options.user_dir);
    EXPECT_TRUE(fs::is_regular_file(options.user_dir / "Settings" / "Meridia9.ini"));
    EXPECT_TRUE(State().user_folder_forced);
    EXPECT_FALSE(fs::exists(session().folders().config / "registry.ini"));
}

TEST_F(StartupTest, InstallStatusFileIsRecreatedThenChecked) {
    const fs::path config = session().folders().config;
    ASSERT_TRUE(StartSession({}));
    EXPECT_EQ(ReadProfileString(config / "MeridiaInstall.ini", "Meridia", "MD91_FirstRunDone", ""),
              "-1");
    EXPECT_FALSE(State().install.file_present);

    WriteFile(config / "MeridiaInstall.ini",
              "[Meridia]\nFreshInstall=abc\nImplemented=31/02x/2020\nMD91_FirstRunDone=-1\n");
    ASSERT_TRUE(StartSession({}));
    const std::string name = (config / "MeridiaInstall.ini").string();
    const std::string expected[] = {
        "Error: FreshInstall value stored in " + name + " is not in a valid number format.",
        "Error: Implemented value stored in " + name + " is not in a valid date format.",
        "Error: Patched key missing in " + name,
    };
    for (const std::string& text : expected) {
        bool found = false;
        for (const std::string& line : State().log_lines) {
            found = found || line.find(text) != std::string::npos;
        }
        EXPECT_TRUE(found) << text;
    }
    EXPECT_TRUE(State().install.first_run_done);
    EXPECT_FALSE(State().install.fresh_install.has_value());
}

TEST_F(StartupTest, LogIsWrittenOnlyWhenLoggingIsOn) {
    ASSERT_TRUE(StartSession({}));
    const fs::path log = session().folders().config / "Logs" / "MD9.1_StartUp.log";
    EXPECT_FALSE(fs::exists(log));
    WriteProfileString(UserFiles() / "Settings" / "Meridia9.ini", "Meridia", "Logging", "-1");
    ASSERT_TRUE(StartSession({}));
    const std::string text = ReadFile(log);
    EXPECT_NE(text.find(std::string(70, '=')), std::string::npos);
    EXPECT_NE(text.find("Start-up complete"), std::string::npos);
}

TEST_F(StartupTest, CommandLineIsKeptInTheSession) {
    StartupOptions options;
    options.command_line = "LOAD /data/family.MDcht 3 /V";
    ASSERT_TRUE(StartSession(options));
    EXPECT_EQ(State().command_line.load_file, "/data/family.MDcht");
    EXPECT_EQ(State().command_line.chart_number, 3);
    EXPECT_TRUE(State().command_line.verbose);
}

TEST_F(StartupTest, EphemerisHookRunsAfterTheSettingsAndCanStopTheStart) {
    WriteFile(UserFiles() / "Settings" / "Meridia9.ini", "[Meridia]\nSwissEphemPath=/eph\n");
    StartupOptions options;
    std::string seen;
    options.set_ephemeris_path = [&seen] {
        seen = CurrentSession().settings().GetString("SwissEphemPath");
        return false;
    };
    EXPECT_FALSE(StartSession(options));
    EXPECT_EQ(seen, "/eph");
    EXPECT_FALSE(State().started);
}

TEST_F(StartupTest, EndSessionSavesWhenAsked) {
    ASSERT_TRUE(StartSession({}));
    session().settings().SetInt("HouseSystem", 12);
    ASSERT_TRUE(EndSession());
    const fs::path main = UserFiles() / "Settings" / "Meridia9.ini";
    EXPECT_EQ(ReadProfileString(main, "Meridia", "HouseSystem", ""), "12");
    EXPECT_FALSE(ReadProfileString(main, "Meridia", "LastSessionEnd", "").empty());
    session().settings().SetBool("SaveOnExit", false);
    session().settings().SetInt("HouseSystem", 3);
    ASSERT_TRUE(EndSession());
    EXPECT_EQ(ReadProfileString(main, "Meridia", "HouseSystem", ""), "12");
}

class LocateUserFolderTest : public testing::SessionTest {
protected:
    fs::path Config() { return session().folders().config; }
    fs::path Documents() { return temp() / "Documents"; }
};

TEST_F(LocateUserFolderTest, CandidatesInOrder) {
    const fs::path stored = temp() / "stored";
    const fs::path next = temp() / "next";
    const fs::path mduf = temp() / "mduf";
    fs::create_directories(next);
    fs::create_directories(mduf);
    WriteFile(Config() / "registry.ini",
              "[UserFiles]\nFolder=" + stored.string() + "\nNextFolder=" + next.string() + "\n");
    WriteFile(Config() / "MeridiaMDUF.ini",
              "[UserFolder]\nUserFolder=" + mduf.string() + "\nUserFolderRelocation=1\n");
    ActivityLog log("test");
    // The stored folder does not exist: the next one is used and stored back.
    EXPECT_EQ(LocateUserFolder(Config(), Documents(), log), next);
    EXPECT_EQ(ReadProfileString(Config() / "registry.ini", "UserFiles", "Folder", ""),
              next.string());
    // Now the stored folder is the next one; remove it to fall to MeridiaMDUF.ini.
    fs::remove(next);
    EXPECT_EQ(LocateUserFolder(Config(), Documents(), log), mduf);
    fs::remove(mduf);
    const fs::path standard = Documents() / "Meridia User Files";
    EXPECT_EQ(LocateUserFolder(Config(), Documents(), log), standard);
    EXPECT_TRUE(fs::is_directory(standard));
}

TEST_F(LocateUserFolderTest, RelativeOrFilePathsAreNotValid) {
    WriteFile(temp() / "a-file", "x");
    EXPECT_FALSE(IsValidUserFolder("relative/folder", 0));
    EXPECT_FALSE(IsValidUserFolder(temp() / "a-file", 0));
    EXPECT_FALSE(IsValidUserFolder("", 0));
    EXPECT_TRUE(IsValidUserFolder(temp(), 0));
}

TEST_F(LocateUserFolderTest, MissingFolderFileIsRecreatedWithDefaultRelocation) {
    ActivityLog log("test");
    const auto folder = LocateUserFolder(Config(), Documents(), log);
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(ReadFile(Config() / "MeridiaMDUF.ini"),
              "[UserFolder]\nUserFolder=" + folder->string() + "\nUserFolderRelocation=-3\n");
    EXPECT_TRUE(log.Contains("Folder doesn't exist so creating it ..."));
}

TEST_F(LocateUserFolderTest, StartSessionLocatesWhenNoFolderIsSet) {
    session().folders().user_files.clear();
    StartupOptions options;
    options.documents_dir = Documents();
    ASSERT_TRUE(StartSession(options));
    EXPECT_EQ(session().folders().user_files, Documents() / "Meridia User Files");
    EXPECT_TRUE(fs::is_directory(Documents() / "Meridia User Files" / "Wheels & Dials"));
}

TEST(InstallStatus, DateTexts) {
    const std::pair<const char*, bool> cases[] = {
        {"5 Dec 2026", true},  {"Dec 5 2026", true}, {"2026-12-05", true}, {"05/12/2026", true},
        {"31.01.1999", true},  {"", false},          {"yesterday", false}, {"5 Foo 2026", false},
        {"2026-13-01", false}, {"1/2", false},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(IsDateText(text), valid) << text;
    }
}

}  // namespace
}  // namespace meridia::startup
