#include "startup/settings_store.h"

#include <gtest/gtest.h>

#include <regex>

#include "startup/clock_text.h"
#include "startup/startup.h"
#include "support/decimal_comma_locale.h"
#include "support/test_session.h"

namespace meridia::startup {
namespace {

using testing::ReadFile;
using testing::WriteFile;

class SettingsStoreTest : public testing::SessionTest {
protected:
    std::filesystem::path MainFile() {
        return session().folders().user_files / "Settings" / "Meridia9.ini";
    }
};

TEST_F(SettingsStoreTest, EmptyFileNameMeansMainSettingsFile) {
    WriteFile(MainFile(), "[Meridia]\nHouseSystem = 7 \n");
    EXPECT_EQ(ReadSetting("Meridia", "HouseSystem", "4"), "7");
    EXPECT_EQ(ReadSetting("meridia", "housesystem", "4", "Meridia9.ini"), "7");
    EXPECT_EQ(ReadSetting("Meridia", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ReadSetting("Meridia", "HouseSystem", "4", MainFile()), "7");
}

struct TypedCase {
    const char* stored;  // nullptr: key absent
    SettingType type;
    SettingValue default_value;
    SettingValue expected;
};

TEST_F(SettingsStoreTest, TypedReadsConvertByNumericValue) {
    const TypedCase cases[] = {
        {"12", SettingType::kInteger, SettingValue(4), SettingValue(12)},
        {nullptr, SettingType::kInteger, SettingValue(4), SettingValue(4)},
        {"abc", SettingType::kInteger, SettingValue(4), SettingValue(0)},
        {"", SettingType::kInteger, SettingValue(4), SettingValue(0)},
        {"99999", SettingType::kInteger, SettingValue(4), SettingValue(32767)},
        {"16711935", SettingType::kLong, SettingValue(1L), SettingValue(16711935L)},
        {"x1", SettingType::kLong, SettingValue(1L), SettingValue(0L)},
        {"8.5", SettingType::kDouble, SettingValue(1.0), SettingValue(8.5)},
        {"junk", SettingType::kDouble, SettingValue(1.0), SettingValue(0.0)},
        {"-1", SettingType::kBoolean, SettingValue(false), SettingValue(true)},
        {"0", SettingType::kBoolean, SettingValue(true), SettingValue(false)},
        {nullptr, SettingType::kBoolean, SettingValue(true), SettingValue(true)},
        {"True", SettingType::kBoolean, SettingValue(true), SettingValue(false)},
        {" plan&ch ", SettingType::kString, SettingValue(std::string("x")),
         SettingValue(std::string("plan&ch"))},
        {nullptr, SettingType::kString, SettingValue(std::string("x")),
         SettingValue(std::string("x"))},
    };
    for (const TypedCase& c : cases) {
        std::string text = "[Meridia]\n";
        if (c.stored != nullptr) {
            text += std::string("Key=") + c.stored + "\n";
        }
        WriteFile(MainFile(), text);
        SCOPED_TRACE(c.stored != nullptr ? c.stored : "(absent)");
        EXPECT_EQ(ReadTypedSetting("Meridia", "Key", c.type, c.default_value), c.expected);
    }
}

TEST_F(SettingsStoreTest, WriteSettingKeepsOtherSectionsAndStoresBooleansAsMinusOne) {
    WriteFile(MainFile(), "[Meridia]\nA=1\n[Columns Dyn]\nNumColumns=4\n");
    ASSERT_TRUE(WriteTypedSetting("Meridia", "Flag", SettingValue(true)));
    ASSERT_TRUE(WriteSetting("Meridia", "A", "2"));
    EXPECT_EQ(ReadFile(MainFile()), "[Meridia]\nA=2\nFlag=-1\n[Columns Dyn]\nNumColumns=4\n");
    ASSERT_TRUE(WriteTypedSetting("Form Main", "Left", SettingValue(120), "MDDesktop.ini"));
    EXPECT_EQ(ReadFile(MainFile().parent_path() / "MDDesktop.ini"), "[Form Main]\nLeft=120\n");
}

TEST_F(SettingsStoreTest, SaveThenLoadRoundTrip) {
    WriteFile(MainFile(), "[Meridia]\nHouseSystem=2\n\n[Other]\nKeep=me\n");
    SettingsClass& settings = session().settings();
    settings.SetInt("HouseSystem", 7);
    settings.SetBool("TrueNode", false);
    settings.SetDouble("Combust", 7.25);
    settings.SetString("ChartFileName", "My Family");
    settings.SetString("SomethingElse", "kept too");
    ASSERT_TRUE(SaveSettings());

    settings.Clear();
    settings.SetInt("HouseSystem", 1);
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(settings.GetInt("HouseSystem"), 7);
    EXPECT_FALSE(settings.GetBool("TrueNode"));
    EXPECT_DOUBLE_EQ(settings.GetDouble("Combust"), 7.25);
    EXPECT_EQ(settings.GetString("ChartFileName"), "My Family");
    EXPECT_EQ(settings.GetString("SomethingElse"), "kept too");
    EXPECT_EQ(settings.GetString("VersionMark"), ProgramVersion());
    EXPECT_TRUE(
        std::regex_match(settings.GetString("Last Updated"),
                         std::regex(R"(\d{1,2} [A-Z][a-z]{2} \d\d \d{1,2}:\d\d:\d\d [AP]M)")));
    // Every key of the table is written, untouched ones with their defaults.
    for (const SettingDefault& entry : SettingTable()) {
        EXPECT_TRUE(settings.Has(entry.key)) << entry.key;
    }
    EXPECT_EQ(ReadSetting("Meridia", "ColSchemeScreen", ""), "Light Background");
    EXPECT_EQ(ReadSetting("Other", "Keep", ""), "me");
}

TEST_F(SettingsStoreTest, NumbersAreTheSameUnderADecimalComma) {
    const testing::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active());
    const double values[] = {7.25, 0.1, -1234.5678, 1.0 / 3.0, 6.02214076e23, -2.5e-7};
    for (const double value : values) {
        ASSERT_TRUE(WriteTypedSetting("Meridia", "Orb", SettingValue(value)));
        const std::string text = ReadSetting("Meridia", "Orb", "");
        EXPECT_EQ(text.find(','), std::string::npos) << text;
        const SettingValue back =
            ReadTypedSetting("Meridia", "Orb", SettingType::kDouble, SettingValue(0.0));
        EXPECT_EQ(std::get<double>(back), value) << text;
    }
    EXPECT_EQ(ReadSetting("Meridia", "Orb", ""), "-2.5e-07");
    SettingsClass& settings = session().settings();
    settings.SetDouble("Combust", 8.5);
    EXPECT_EQ(settings.GetString("Combust"), "8.5");
    EXPECT_EQ(settings.GetDouble("Combust"), 8.5);
    settings.SetString("Combust", "1.75");
    EXPECT_EQ(settings.GetDouble("Combust"), 1.75);
    EXPECT_EQ(settings.GetInt("Combust"), 2);
}

TEST_F(SettingsStoreTest, NanAndInfinityReadAsZero) {
    SettingsClass& settings = session().settings();
    for (const char* text : {"nan", "-NaN", "inf", "+Infinity", "-inf"}) {
        settings.SetString("Combust", text);
        EXPECT_EQ(settings.GetDouble("Combust"), 0.0) << text;
        EXPECT_EQ(settings.GetLong("Combust"), 0) << text;
        EXPECT_FALSE(settings.GetBool("Combust")) << text;
        EXPECT_EQ(std::get<double>(ConvertSettingText(text, SettingType::kDouble)), 0.0) << text;
    }
}

TEST_F(SettingsStoreTest, LoadWithoutFileGivesDefaultsAndFixesTheFifthWheel) {
    session().settings().SetInt("HouseSystem", 9);
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(session().settings().GetInt("HouseSystem"), 4);
    WriteFile(MainFile(), "[Meridia]\n5WheelFile=quad1.wh4\n1WheelFile=mine.wh1\n");
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(session().settings().GetString("5WheelFile"), "quin1.wh5");
    EXPECT_EQ(session().settings().GetString("1WheelFile"), "mine.wh1");
}

TEST(ClockText, StampForms) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 5;
    t.tm_wday = 6;
    t.tm_hour = 15;
    t.tm_min = 4;
    t.tm_sec = 9;
    EXPECT_EQ(FormatLastUpdated(t), "5 Dec 26 3:04:09 PM");
    EXPECT_EQ(FormatLogStamp(t), "Sat 5-Dec-2026 3:04:09 pm");
    t.tm_hour = 0;
    t.tm_year = 2009 - 1900;
    EXPECT_EQ(FormatLastUpdated(t), "5 Dec 09 12:04:09 AM");
    EXPECT_EQ(FormatLogStamp(t), "Sat 5-Dec-2009 12:04:09 am");
}

}  // namespace
}  // namespace meridia::startup
