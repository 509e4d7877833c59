#include "startup/zone_mnemonics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/test_session.h"

namespace meridia::startup {
namespace {

using testing::WriteFile;

// One line in the fixed columns: 1-5 mnemonic, 6-35 description, 36-41 value.
std::string Line(const std::string& mnemonic, const std::string& description,
                 const std::string& value) {
    std::string line = mnemonic;
    line.resize(5, ' ');
    line += description;
    line.resize(35, ' ');
    line += value;
    return line + "\r\n";
}

class ZoneMnemonicsTest : public testing::SessionTest {};

TEST_F(ZoneMnemonicsTest, SeventyEntriesLoadSixtyFiveAndWarnOnce) {
    std::string text;
    for (int i = 1; i <= 70; ++i) {
        char mnemonic[8];
        std::snprintf(mnemonic, sizeof mnemonic, "Z%02d", i);
        text += Line(mnemonic, "Zone number " + std::to_string(i), "+1:00");
    }
    const auto path = temp() / "TIMEZONE.FIL";
    WriteFile(path, text);
    ASSERT_TRUE(LoadZoneMnemonics(path));
    ASSERT_EQ(ZoneMnemonics().entries.size(), 65u);
    EXPECT_EQ(ZoneMnemonics().entries.front().mnemonic, "Z01");
    EXPECT_EQ(ZoneMnemonics().entries.back().mnemonic, "Z65");
    ASSERT_EQ(sink().messages().size(), 1u);
    const Message& message = sink().messages().front();
    EXPECT_EQ(message.text, "Timezone file " + path.string() +
                                " has too many entries.\nCurrent limit is 65\n"
                                "Entries beyond this number have been ignored.");
    EXPECT_EQ(message.style, 48);
    EXPECT_EQ(message.title, "Too Many Time Zones");
}

TEST_F(ZoneMnemonicsTest, SixtyFiveEntriesLoadWithoutMessage) {
    std::string text;
    for (int i = 1; i <= 65; ++i) {
        text += Line("M" + std::to_string(i), "d", "-2:00");
    }
    const auto path = temp() / "TIMEZONE.FIL";
    WriteFile(path, text);
    ASSERT_TRUE(LoadZoneMnemonics(path));
    EXPECT_EQ(ZoneMnemonics().entries.size(), 65u);
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ZoneMnemonicsTest, ColumnsAreTrimmedUpperCasedAndCutAt41) {
    const std::string text = Line("acst", "  Australian Central  ", "-9:30") + "\n" +
                             "     no mnemonic here              +1:00\n" +
                             Line("X", "long value", "+10:30EXTRA") + "GMT\n";
    const auto entries = ParseZoneMnemonics(text, nullptr);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].mnemonic, "ACST");
    EXPECT_EQ(entries[0].description, "Australian Central");
    EXPECT_EQ(entries[0].value, "-9:30");
    EXPECT_EQ(entries[1].value, "+10:30");
    EXPECT_EQ(entries[2].mnemonic, "GMT");
    EXPECT_EQ(entries[2].value, "");
}

TEST_F(ZoneMnemonicsTest, MissingFileLeavesTheTable) {
    ZoneMnemonics().entries = {{"GMT", "Greenwich", "+0:00"}};
    const Status missing = LoadZoneMnemonics(temp() / "none.fil");
    EXPECT_EQ(missing.code(), StatusCode::kNotFound);
    EXPECT_EQ(missing.message(),
              "Timezone file " + (temp() / "none.fil").string() + " could not be read.");
    EXPECT_EQ(ZoneMnemonics().entries.size(), 1u);
    // A file larger than any zone-mnemonic file is not read at all.
    const auto huge = temp() / "huge.fil";
    WriteFile(huge, std::string((1u << 20) + 1, ' '));
    const Status damaged = LoadZoneMnemonics(huge);
    EXPECT_EQ(damaged.code(), StatusCode::kDamaged);
    EXPECT_EQ(damaged.message(), "Timezone file " + huge.string() + " is damaged.");
    EXPECT_EQ(ZoneMnemonics().entries.size(), 1u);
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ZoneMnemonicsTest, FactoryFileHoldsTheCommonZones) {
    const auto path = testing::FactoryDir() / "Places" / "TIMEZONE.FIL";
    ASSERT_TRUE(LoadZoneMnemonics(path));
    EXPECT_TRUE(sink().messages().empty());
    EXPECT_GE(ZoneMnemonics().entries.size(), 50u);
    EXPECT_LT(ZoneMnemonics().entries.size(), 65u);
    // Hours to add to local time for UT, east negative: standard offsets of the zones
    // (the default place's zone is written "ACST -9:30").
    const std::pair<const char*, const char*> expected[] = {
        {"GMT", "+0:00"},   {"UT", "+0:00"},  {"ACST", "-9:30"},  {"ACDT", "-10:30"},
        {"AEST", "-10:00"}, {"CET", "-1:00"}, {"IST", "-5:30"},   {"EST", "+5:00"},
        {"PDT", "+7:00"},   {"NST", "+3:30"}, {"NZDT", "-13:00"}, {"HST", "+10:00"},
    };
    for (const auto& [mnemonic, value] : expected) {
        const ZoneMnemonic* entry = FindZoneMnemonic(mnemonic);
        ASSERT_NE(entry, nullptr) << mnemonic;
        EXPECT_EQ(entry->value, value) << mnemonic;
    }
    EXPECT_NE(FindZoneMnemonic(" gmt "), nullptr);
    EXPECT_EQ(FindZoneMnemonic("XYZ"), nullptr);
}

}  // namespace
}  // namespace meridia::startup
