#include "startup/settings.h"

#include <gtest/gtest.h>

namespace meridia::startup {
namespace {

TEST(SettingsClass, TypedReadsFallBackToTableDefaults) {
    SettingsClass settings;
    EXPECT_EQ(settings.GetInt("HouseSystem"), 4);
    EXPECT_TRUE(settings.GetBool("TrueNode"));
    EXPECT_FALSE(settings.GetBool("Parallax"));
    EXPECT_EQ(settings.GetString("chartfileext"), ".MDcht");
    EXPECT_EQ(settings.GetInt("DefCentury"), 1930);
}

TEST(SettingsClass, NonNumericTextReadsAsZero) {
    SettingsClass settings;
    settings.SetString("HouseSystem", "abc");
    EXPECT_EQ(settings.GetInt("HouseSystem"), 0);
    settings.SetString("HOUSESYSTEM", " 7 ");
    EXPECT_EQ(settings.GetInt("housesystem"), 7);
}

}  // namespace
}  // namespace meridia::startup
