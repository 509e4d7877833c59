#include "textformats/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "startup/zone_mnemonics.h"
#include "support/test_session.h"

namespace meridia::textformats {
namespace {

using startup::kCritical;

class TimeTextTest : public meridia::testing::SessionTest {
protected:
    TimeTextTest() {
        auto& entries = startup::ZoneMnemonics().entries;
        entries.push_back({"GMT", "Greenwich Mean Time", "0:00"});
        entries.push_back({"EST", "Eastern Standard Time", "5:00"});
        entries.push_back({"ACST", "Australian Central Std", "-9:30 "});
        entries.push_back({"BAD", "A damaged entry", "9x30"});
    }

    void ExpectOneMessage(const std::string& text, const std::string& title) {
        ASSERT_EQ(sink().messages().size(), 1u);
        EXPECT_EQ(LastMessage().text, text);
        EXPECT_EQ(LastMessage().title, title);
        EXPECT_EQ(LastMessage().style, kCritical);
        sink().Clear();
    }
};

const std::string kTimeFormatLine = "The format of the time is not recognised.\n";

TEST_F(TimeTextTest, ParseTimeForms) {
    struct Row {
        const char* text;
        ClockTime time;
    };
    const Row rows[] = {
        {"12 AM", {0, 0, 0}},
        {"12 PM", {12, 0, 0}},
        {"NOON", {12, 0, 0}},
        {"midday", {12, 0, 0}},
        {"Midnight", {0, 0, 0}},
        {"9:05 pm", {21, 5, 0}},
        {"9:05pm", {21, 5, 0}},
        {"9:05 P", {21, 5, 0}},
        {"9:05p", {21, 5, 0}},
        {"9:05 p.m.", {21, 5, 0}},
        {"9:05 a", {9, 5, 0}},
        {"9:05 A.M.", {9, 5, 0}},
        {"11:59:59 PM", {23, 59, 59}},
        {"11:59:59 AM", {11, 59, 59}},
        {"0:00", {0, 0, 0}},
        {"23:59:59", {23, 59, 59}},
        {"14", {14, 0, 0}},
        {"9.30", {9, 30, 0}},
        {"9 30", {9, 30, 0}},
        {"12:30 AM", {0, 30, 0}},
        {"12:30 PM", {12, 30, 0}},
        {"1 AM", {1, 0, 0}},
        {"0 PM", {12, 0, 0}},
        {" 07:05:09 ", {7, 5, 9}},
        {"11:30", {11, 30, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto time = ParseTime(row.text);
        ASSERT_TRUE(time.has_value());
        EXPECT_EQ(*time, row.time);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(TimeTextTest, ParseTimeMessages) {
    struct Row {
        const char* text;
        const char* lines;  // after the first line
    };
    const Row rows[] = {
        {"13 PM",
         "Hours must be in the range 0 to 12 if PM is specified.\n"
         "Please use a valid format e.g. 11:59:59 PM"},
        {"13 AM",
         "Hours must be in the range 0 to 12 if AM is specified.\n"
         "Please use a valid format e.g. 11:59:59 AM"},
        {"24:00", "Hours must be in the range 0 to 23.\nPlease use a valid format e.g. 23:59:59"},
        {"10:60", "Minutes must be in the range 0 to 59.\nPlease use a valid format e.g. 10:45 PM"},
        {"10:30:60",
         "Seconds must be in the range 0 to 59.\nPlease use a valid format e.g. 10:45 PM"},
        {"10:3O",
         "Specify AM for morning, PM for afternoon, or neither for the 24 hour clock.\n"
         "Please use a valid format e.g. 11:59:59 AM"},
        {"9 XM",
         "Specify AM for morning, PM for afternoon, or neither for the 24 hour clock.\n"
         "Please use a valid format e.g. 11:59:59 AM"},
        {"1:2:3:4", "Please use numbers separated by colons e.g. 11:45 PM"},
        {"", "Please use numbers separated by colons e.g. 11:45 PM"},
        {"10\xC2\xB0"
         "30",
         "Please use numbers separated by colons e.g. 11:45 PM"},
        {"99999999999:00",
         "Hours must be in the range 0 to 23.\n"
         "Please use a valid format e.g. 23:59:59"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_FALSE(ParseTime(row.text).has_value());
        ExpectOneMessage(kTimeFormatLine + row.lines, "Error in Time");
    }
}

TEST_F(TimeTextTest, FormatTime24Hour) {
    EXPECT_EQ(FormatTime(21, 5, 0), "21:05");
    EXPECT_EQ(FormatTime(9, 5, 0), "9:05");
    EXPECT_EQ(FormatTime(9, 5, 0, {.two_digit_hour = true}), "09:05");
    EXPECT_EQ(FormatTime(9, 5, 0, {.with_seconds = true}), "9:05:00");
    EXPECT_EQ(FormatTime(9, 5, 30), "9:05:30");
    EXPECT_EQ(FormatTime(0, 0, 0), "0:00");
    EXPECT_EQ(FormatTime(25, 70, -3), "23:59");
    EXPECT_EQ(FormatTime(ClockTime{7, 8, 9}), "7:08:09");
    EXPECT_EQ(DecimalHours(ClockTime{7, 30, 36}), 7.51);
}

TEST_F(TimeTextTest, FormatTime12Hour) {
    session().settings().SetBool("Clock12Hour", true);
    EXPECT_EQ(FormatTime(21, 5, 0), "9:05 pm");
    EXPECT_EQ(FormatTime(21, 5, 0, {.short_suffix = true}), "9:05 p");
    EXPECT_EQ(FormatTime(0, 30, 0), "0:30 am");
    EXPECT_EQ(FormatTime(12, 0, 0), "12:00 pm");
    EXPECT_EQ(FormatTime(11, 59, 59), "11:59:59 am");
    EXPECT_EQ(FormatTime(9, 5, 0, {.with_seconds = true, .two_digit_hour = true}), "09:05:00 am");
    EXPECT_EQ(FormatTime(21, 5, 0, {.twelve_hour = false}), "21:05");
}

// Every minute of the day with a few seconds comes back from its text, on both clocks.
TEST_F(TimeTextTest, FormattedTimesRoundTrip) {
    const TimeFormatOptions styles[] = {
        {}, {.with_seconds = true}, {.two_digit_hour = true}, {.short_suffix = true}};
    for (const bool twelve_hour : {false, true}) {
        session().settings().SetBool("Clock12Hour", twelve_hour);
        for (const auto& style : styles) {
            for (int hour = 0; hour < 24; ++hour) {
                for (int minute = 0; minute < 60; ++minute) {
                    for (const int second : {0, 1, 59}) {
                        const std::string text = FormatTime(hour, minute, second, style);
                        const auto back = ParseTime(text);
                        ASSERT_TRUE(back.has_value()) << text;
                        EXPECT_EQ(*back, (ClockTime{hour, minute, second})) << text;
                    }
                }
            }
        }
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(TimeTextTest, ParseTimeZoneForms) {
    struct Row {
        const char* text;
        double hours;
    };
    const Row rows[] = {
        {"GMT", 0.0},
        {"gmt ", 0.0},
        {"EST", 5.0},
        {"ACST", -9.5},
        {"-10:30", -10.5},
        {"+5", 5.0},
        {"-0:40", -40.0 / 60.0},
        {"13", 13.0},
        {"-13:00", -13.0},
        {"5:45:30", 5.0 + 45.0 / 60.0 + 30.0 / 3600.0},
        {"0", 0.0},
        {" -9:30 ", -9.5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto hours = ParseTimeZone(row.text);
        ASSERT_TRUE(hours.has_value());
        EXPECT_NEAR(*hours, row.hours, 1e-12);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(TimeTextTest, ParseTimeZoneMessages) {
    const std::string not_recognised =
        "The format of the Time Zone is not recognised.\n"
        "Please use a valid mnemonic (e.g. GMT) or a time.\n"
        "This may be selected from a list by clicking on the Zone button.\n"
        "If entering time, please use hours minutes and seconds separated by colons e.g. -10:30";
    for (const char* text :
         {"14:00", "-14", "5:60", "5:30:60", "XYZ", "", "5.5", "5::30", "1:2:3:4", "+-5", "5:"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseTimeZone(text).has_value());
        ExpectOneMessage(not_recognised, "Error in Time Zone");
    }
    EXPECT_FALSE(ParseTimeZone("bad").has_value());
    ExpectOneMessage(
        "The format of the Time Zone mnemonic has been recognised as valid,\n"
        "but the corresponding time value is not valid: 9x30\n"
        "You must edit the time zone file after exiting from this program.\n"
        "Ensure that you use hours, minutes and seconds separated by colons e.g. -10:30",
        "Error in Time Zone");
}

TEST_F(TimeTextTest, FormatTimeZone) {
    struct Row {
        double hours;
        const char* text;
    };
    const Row rows[] = {
        {-10.5, "-10:30"},
        {0.0, "+0:00"},
        {5.0, "+5:00"},
        {-9.5, "-9:30"},
        {5.0 + 45.0 / 60.0 + 30.0 / 3600.0, "+5:45:30"},
        {-40.0 / 60.0, "-0:40"},
        {0.0001, "+0:00"},
        {13.0, "+13:00"},
        {-(4.0 + 59.0 / 60.0 + 59.6 / 3600.0), "-5:00"},  // rounds to the nearest second
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatTimeZone(row.hours), row.text) << row.hours;
    }
}

// Zones of whole seconds come back exactly from their text.
TEST_F(TimeTextTest, FormattedZonesRoundTrip) {
    for (int hours = 0; hours <= 13; ++hours) {
        for (int minutes = 0; minutes < 60; ++minutes) {
            for (const int seconds : {0, 1, 30, 59}) {
                for (const double sign : {1.0, -1.0}) {
                    const double value = sign * (hours + minutes / 60.0 + seconds / 3600.0);
                    const std::string text = FormatTimeZone(value);
                    const auto back = ParseTimeZone(text);
                    ASSERT_TRUE(back.has_value()) << text;
                    EXPECT_NEAR(*back, value, 1e-12) << text;
                }
            }
        }
    }
    EXPECT_TRUE(sink().messages().empty());
}

}  // namespace
}  // namespace meridia::textformats
