// The "Eclipse Search" and "Returns" settings sections: the defaults of a missing file, a round
// trip through the file, and values that cannot be read falling back one key at a time.
#include "returns/search_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "startup/settings_store.h"
#include "support/test_session.h"

namespace meridia::returns {
namespace {

class SearchSettingsTest : public meridia::testing::SessionTest {
protected:
    std::filesystem::path SettingsFile() const { return startup::SettingsFilePath({}); }
};

TEST_F(SearchSettingsTest, DefaultsWithoutAFile) {
    const EclipseSearchSettings s = LoadEclipseSearchSettings();
    EXPECT_TRUE(s.all_solar);
    EXPECT_TRUE(s.all_lunar);
    EXPECT_TRUE(s.all_saros);
    EXPECT_EQ(s.saros, 100);
    EXPECT_FALSE(s.use_fixed);
    EXPECT_EQ(s.fixed_position, "00°Ar00'00''");
    EXPECT_FALSE(s.use_radix);
}

TEST_F(SearchSettingsTest, WhatIsSavedIsLoadedAndTheRestOfTheFileKept) {
    meridia::testing::WriteFile(SettingsFile(), "[Meridia]\r\nHouseSystem=2\r\n");
    EclipseSearchSettings s;
    s.date_from = "1 Jan 2000";
    s.date_to = "31 Dec 2010";
    s.solar = {false, true, true, false};
    s.lunar = {true, false, false};
    s.all_solar = false;
    s.all_lunar = false;
    s.all_saros = false;
    s.saros = 139;
    s.use_fixed = true;
    s.fixed_position = "15°Le30'00''";
    s.aspects = "Standard";
    s.points = "Planets";
    ASSERT_TRUE(SaveEclipseSearchSettings(s).ok());
    const std::string text = meridia::testing::ReadFile(SettingsFile());
    EXPECT_NE(text.find("HouseSystem=2"), std::string::npos);
    EXPECT_NE(text.find("[Eclipse Search]"), std::string::npos);
    EXPECT_NE(text.find("Solar=1,2"), std::string::npos);
    EXPECT_NE(text.find("AllSaros=0"), std::string::npos);
    EXPECT_NE(text.find("FixedPos=15\xB0Le30'00''"), std::string::npos);  // Windows-1252

    const EclipseSearchSettings read = LoadEclipseSearchSettings();
    EXPECT_EQ(read.date_from, s.date_from);
    EXPECT_EQ(read.date_to, s.date_to);
    EXPECT_EQ(read.solar, s.solar);
    EXPECT_EQ(read.lunar, s.lunar);
    EXPECT_FALSE(read.all_solar);
    EXPECT_FALSE(read.all_lunar);
    EXPECT_FALSE(read.all_saros);
    EXPECT_EQ(read.saros, 139);
    EXPECT_TRUE(read.use_fixed);
    EXPECT_EQ(read.fixed_position, s.fixed_position);
    EXPECT_EQ(read.aspects, "Standard");
    EXPECT_EQ(read.points, "Planets");

    EclipseSearch search;
    ApplyEclipseSearchSettings(read, search);
    EXPECT_FALSE(search.all_solar);
    EXPECT_EQ(search.solar_types, s.solar);
    EXPECT_EQ(search.saros, 139);
}

TEST_F(SearchSettingsTest, UnreadableValuesFallBackOneByOne) {
    meridia::testing::WriteFile(SettingsFile(),
                                "[eclipse search]\nSolar=0,9\nLunar=2\nAllSolar=maybe\n"
                                "AllLunar=0\nSaros=abc\nUseRadix=-1\n");
    const EclipseSearchSettings s = LoadEclipseSearchSettings();
    EXPECT_EQ(s.solar, (std::array<bool, 4>{}));
    EXPECT_EQ(s.lunar, (std::array<bool, 3>{false, false, true}));
    EXPECT_TRUE(s.all_solar);
    EXPECT_FALSE(s.all_lunar);
    EXPECT_EQ(s.saros, 100);
    EXPECT_TRUE(s.use_radix);
}

TEST_F(SearchSettingsTest, ReturnChoicesRoundTripAndFallBack) {
    const ReturnSettings defaults = LoadReturnSettings();
    EXPECT_EQ(defaults.point, 3);
    EXPECT_EQ(defaults.which, WhichReturn::kNext);
    EXPECT_EQ(defaults.user_pos, "00°Ar00'00''");
    ReturnSettings s;
    s.point = 1;
    s.user_position = true;
    s.user_pos = "00°Cn00'00''";
    s.harmonic = 4.0;
    s.which = WhichReturn::kNearest;
    s.count = 12;
    s.precessed = true;
    s.converse = true;
    ASSERT_TRUE(SaveReturnSettings(s).ok());
    const std::string text = meridia::testing::ReadFile(SettingsFile());
    EXPECT_NE(text.find("[Returns]"), std::string::npos);
    EXPECT_NE(text.find("UserPos=00\xB0"
                        "Cn00'00''"),
              std::string::npos);
    const ReturnSettings read = LoadReturnSettings();
    EXPECT_EQ(read.point, 1);
    EXPECT_TRUE(read.user_position);
    EXPECT_EQ(read.user_pos, s.user_pos);
    EXPECT_EQ(read.harmonic, 4.0);
    EXPECT_EQ(read.which, WhichReturn::kNearest);
    EXPECT_EQ(read.count, 12);
    EXPECT_TRUE(read.precessed);
    EXPECT_TRUE(read.converse);

    meridia::testing::WriteFile(SettingsFile(),
                                "[returns]\nPlanet=99\nHarmonic=0.5\nWhich=7\nNumReturns=0\n");
    const ReturnSettings bad = LoadReturnSettings();
    EXPECT_EQ(bad.point, 3);
    EXPECT_EQ(bad.harmonic, 1.0);
    EXPECT_EQ(bad.which, WhichReturn::kNext);
    EXPECT_EQ(bad.count, 1);
}

}  // namespace
}  // namespace meridia::returns
