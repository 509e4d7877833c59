// Settings are written when they change and only then: the store knows what changed since the
// file was read, values set for one run are read but never saved, and a start that finds
// everything in place rewrites none of the settings files. Data files that only some jobs need
// (the zone mnemonics) are read on their first use.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "startup/ini_file.h"
#include "startup/settings.h"
#include "startup/startup.h"
#include "startup/zone_mnemonics.h"
#include "support/test_session.h"

namespace meridia::startup {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

TEST(SettingsChanges, OnlyADifferentStoredValueCountsAsAChange) {
    SettingsClass settings;
    EXPECT_FALSE(settings.changed());
    settings.SetString("HouseSystem", "4");  // new key, even with the default's text
    EXPECT_TRUE(settings.changed());
    settings.MarkSaved();
    settings.SetString("housesystem", "4");
    settings.SetInt("HOUSESYSTEM", 4);
    EXPECT_FALSE(settings.changed());
    settings.SetInt("HouseSystem", 6);
    EXPECT_TRUE(settings.changed());
    settings.MarkSaved();
    settings.Erase("NoSuchKey");
    EXPECT_FALSE(settings.changed());
    settings.Erase("HouseSystem");
    EXPECT_TRUE(settings.changed());
    settings.Clear();
    EXPECT_FALSE(settings.changed());
}

TEST(SettingsChanges, SessionRecordsAreStoredWithoutCountingAsAChange) {
    SettingsClass settings;
    settings.SetRecord("LastSessionBegin", "5 Dec 26 10:00:00");
    EXPECT_FALSE(settings.changed());
    EXPECT_EQ(settings.GetString("LastSessionBegin"), "5 Dec 26 10:00:00");
    EXPECT_TRUE(settings.values().contains("LASTSESSIONBEGIN"));
}

TEST(SettingsChanges, ValuesForThisRunAreReadButNeitherStoredNorChanges) {
    SettingsClass settings;
    settings.SetInt("HouseSystem", 6);
    settings.MarkSaved();
    settings.SetForRun("housesystem", "2");
    settings.SetForRun("TrueNode", "0");
    EXPECT_FALSE(settings.changed());
    EXPECT_EQ(settings.GetInt("HouseSystem"), 2);
    EXPECT_FALSE(settings.GetBool("TrueNode"));
    EXPECT_TRUE(settings.Has("TrueNode"));
    EXPECT_EQ(settings.values().at("HOUSESYSTEM").second, "6");
    EXPECT_FALSE(settings.values().contains("TRUENODE"));
    // A stored change under a run value is kept for saving; the run value still wins.
    settings.SetInt("HouseSystem", 7);
    EXPECT_TRUE(settings.changed());
    EXPECT_EQ(settings.GetInt("HouseSystem"), 2);
    EXPECT_EQ(settings.values().at("HOUSESYSTEM").second, "7");
}

struct FileState {
    std::string bytes;
    fs::file_time_type modified;
    bool operator==(const FileState&) const = default;
};

FileState StateOf(const fs::path& path) { return {ReadFile(path), fs::last_write_time(path)}; }

class SettingsFilesTest : public testing::SessionTest {
protected:
    fs::path MainFile() { return session().folders().user_files / "Settings" / "Meridia9.ini"; }
    fs::path InstallFile() { return session().folders().config / "MeridiaInstall.ini"; }
};

TEST_F(SettingsFilesTest, ASecondStartRewritesNoSettingsFile) {
    ASSERT_TRUE(StartSession({}));
    ASSERT_TRUE(fs::is_regular_file(MainFile()));
    const FileState main = StateOf(MainFile());
    const FileState install = StateOf(InstallFile());
    ASSERT_TRUE(StartSession({}));
    EXPECT_EQ(StateOf(MainFile()), main);
    EXPECT_EQ(StateOf(InstallFile()), install);
    EXPECT_FALSE(session().settings().changed());
}

TEST_F(SettingsFilesTest, ASecondLocationRewritesNoRegistryFile) {
    session().folders().user_files.clear();
    StartupOptions options;
    options.documents_dir = temp() / "Documents";
    ASSERT_TRUE(StartSession(options));
    const fs::path registry = session().folders().config / "registry.ini";
    const fs::path folder_file = session().folders().config / "MeridiaMDUF.ini";
    const FileState registry_state = StateOf(registry);
    const FileState folder_state = StateOf(folder_file);
    session().folders().user_files.clear();
    ASSERT_TRUE(StartSession(options));
    EXPECT_EQ(StateOf(registry), registry_state);
    EXPECT_EQ(StateOf(folder_file), folder_state);
}

TEST_F(SettingsFilesTest, EndSessionWritesOnlyWhenASettingChanged) {
    ASSERT_TRUE(StartSession({}));
    const FileState before = StateOf(MainFile());
    session().settings().SetForRun("HouseSystem", "2");
    ASSERT_TRUE(EndSession());
    EXPECT_EQ(StateOf(MainFile()), before);

    session().settings().SetInt("Ayanamsa", 3);
    ASSERT_TRUE(EndSession());
    EXPECT_EQ(ReadProfileString(MainFile(), "Meridia", "Ayanamsa", ""), "3");
    // The run's value is not saved: the file keeps the stored house system.
    EXPECT_EQ(ReadProfileString(MainFile(), "Meridia", "HouseSystem", "none"),
              ReadProfileString(testing::FactoryDir() / "Settings" / "Meridia9.ini", "Meridia",
                                "HouseSystem", "none"));
    EXPECT_FALSE(session().settings().changed());

    const FileState saved = StateOf(MainFile());
    ASSERT_TRUE(EndSession());
    EXPECT_EQ(StateOf(MainFile()), saved);
}

TEST_F(SettingsFilesTest, ZoneMnemonicsAreReadOnTheirFirstUse) {
    std::string text;
    for (int i = 1; i <= 70; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "Z%02d  %-30s+1:00\r\n", i, "Zone");
        text += line;
    }
    WriteFile(session().folders().user_files / "Places" / "TIMEZONE.FIL", text);
    ASSERT_TRUE(StartSession({}));
    // The start has not read the file: its message comes with the first use.
    EXPECT_TRUE(sink().messages().empty());
    ASSERT_NE(FindZoneMnemonic("z02"), nullptr);
    ASSERT_EQ(sink().messages().size(), 1u);
    EXPECT_EQ(sink().messages().front().title, "Too Many Time Zones");
    EXPECT_EQ(ZoneMnemonics().entries.size(), 65u);
    EXPECT_EQ(sink().messages().size(), 1u);
}

}  // namespace
}  // namespace meridia::startup
