#include "textformats/date_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_session.h"

namespace meridia::textformats {
namespace {

using startup::kCritical;

constexpr CalendarMode kAuto = CalendarMode::kAutomatic;
constexpr CalendarMode kNS = CalendarMode::kGregorian;
constexpr CalendarMode kOS = CalendarMode::kJulian;

class DateTextTest : public meridia::testing::SessionTest {
protected:
    DateTextTest() { FixCurrentYear(2024); }

    void MonthFirst(bool on) { session().settings().SetBool("DateOrderMDY", on); }

    void ExpectOneMessage(const std::string& text) {
        ASSERT_EQ(sink().messages().size(), 1u);
        EXPECT_EQ(LastMessage().text, text);
        EXPECT_EQ(LastMessage().title, "Error in Date");
        EXPECT_EQ(LastMessage().style, kCritical);
        sink().Clear();
    }
};

struct DateRow {
    const char* text;
    DateValue value;
};

void ExpectDates(const DateRow* begin, const DateRow* end) {
    for (const DateRow* row = begin; row != end; ++row) {
        SCOPED_TRACE(row->text);
        const auto value = ParseDate(row->text);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->day, row->value.day);
        EXPECT_EQ(value->month, row->value.month);
        EXPECT_EQ(value->year, row->value.year);
        EXPECT_EQ(value->calendar, row->value.calendar);
    }
}

const std::string kFormatDayFirst =
    "The format of the date is not recognised.\n"
    "Please re-enter a valid date e.g.\n"
    "31 Dec 1992  or  31/12/2009";
const std::string kFormatMonthFirst =
    "The format of the date is not recognised.\n"
    "Please re-enter a valid date e.g.\n"
    "Dec 31 1992  or  12/31/2009";
const std::string kEraLine =
    "\nSpecify BC for years prior to year one, and AD (or nothing) for years one and after.";
const std::string kInvalidDate = "This date is not a valid calendar date.";

TEST_F(DateTextTest, DayFirstForms) {
    const DateRow rows[] = {
        {"31 Dec 1992", {31, 12, 1992, kAuto}},
        {"31st Dec 1992", {31, 12, 1992, kAuto}},
        {"31/12/1992", {31, 12, 1992, kAuto}},
        {"31Dec1992", {31, 12, 1992, kAuto}},
        {"31stDec1992", {31, 12, 1992, kAuto}},
        {"31 st Dec 1992", {31, 12, 1992, kAuto}},
        {"31-12-1992", {31, 12, 1992, kAuto}},
        {"31.12.1992", {31, 12, 1992, kAuto}},
        {"31, December; 1992", {31, 12, 1992, kAuto}},
        {"  31 dece 1992 ", {31, 12, 1992, kAuto}},
        {"1992", {1, 1, 1992, kAuto}},
        {"5 Sept 1990", {5, 9, 1990, kAuto}},
        {"5 Sep 1990", {5, 9, 1990, kAuto}},
        {"22nd August 1992", {22, 8, 1992, kAuto}},
        {"1 Aug 1992", {1, 8, 1992, kAuto}},
        {"3rd Mar 2001", {3, 3, 2001, kAuto}},
        {"4th July 1776", {4, 7, 1776, kAuto}},
        {"14 Mar 1879", {14, 3, 1879, kAuto}},
        {"31 Dec", {31, 12, 2024, kAuto}},  // the current year is supplied
        {"1 Jan 1992 AD", {1, 1, 1992, kAuto}},
        {"1 Jan 1992 A.D.", {1, 1, 1992, kAuto}},
        {"1 Jan 1992 CE", {1, 1, 1992, kAuto}},
        {"1 Jan 1992 C.E.", {1, 1, 1992, kAuto}},
        {"29 Feb", {29, 2, 2024, kAuto}},  // FEB does not end in an era mark
    };
    ExpectDates(std::begin(rows), std::end(rows));
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DateTextTest, MonthFirstForms) {
    MonthFirst(true);
    const DateRow rows[] = {
        {"Dec 31 1992", {31, 12, 1992, kAuto}},
        {"12/31/1992", {31, 12, 1992, kAuto}},
        {"Dec 31st 1992", {31, 12, 1992, kAuto}},
        {"December 31, 1992", {31, 12, 1992, kAuto}},
        {"Sept 5 1990", {5, 9, 1990, kAuto}},
        {"Dec31 1992", {31, 12, 1992, kAuto}},
        {"1992", {1, 1, 1992, kAuto}},
        {"Mar 15 44 BC", {15, 3, -43, kAuto}},
        {"Oct 4 1582 OS", {4, 10, 1582, kOS}},
    };
    ExpectDates(std::begin(rows), std::end(rows));
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DateTextTest, BeforeChrist) {
    const DateRow rows[] = {
        {"44 BC", {1, 1, -43, kAuto}},
        {"15 Mar 44 BC", {15, 3, -43, kAuto}},
        {"15 Mar 44 B.C.", {15, 3, -43, kAuto}},
        {"15 Mar 44 BCE", {15, 3, -43, kAuto}},
        {"15 Mar 44 B.C.E.", {15, 3, -43, kAuto}},
        {"15 Mar 44B", {15, 3, -43, kAuto}},
        {"15 Mar 44 B", {15, 3, -43, kAuto}},
        {"1 Jan 1 BC", {1, 1, 0, kAuto}},
        {"1 Jan 4713 BC", {1, 1, -4712, kAuto}},
        {"29 Feb 5 BC", {29, 2, -4, kAuto}},  // year -4 is a Julian leap year
        {"29 AD", {1, 1, 29, kAuto}},
    };
    ExpectDates(std::begin(rows), std::end(rows));
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DateTextTest, TwoDigitYearsFollowThePivot) {
    const DateRow rows[] = {
        {"1 Jan 29", {1, 1, 2029, kAuto}}, {"1 Jan 30", {1, 1, 1930, kAuto}},
        {"1 Jan 99", {1, 1, 1999, kAuto}}, {"1 Jan 00", {1, 1, 2000, kAuto}},
        {"1 Jan 5", {1, 1, 2005, kAuto}},  {"1/1/31", {1, 1, 1931, kAuto}},
        {"1 Jan 029", {1, 1, 29, kAuto}},  {"1 Jan 0029", {1, 1, 29, kAuto}},
    };
    ExpectDates(std::begin(rows), std::end(rows));

    session().settings().SetInt("DefCentury", 1950);
    const DateRow pivot_1950[] = {
        {"1 Jan 49", {1, 1, 2049, kAuto}},
        {"1 Jan 50", {1, 1, 1950, kAuto}},
    };
    ExpectDates(std::begin(pivot_1950), std::end(pivot_1950));

    session().settings().SetInt("DefCentury", 2000);
    const DateRow pivot_2000[] = {{"1 Jan 99", {1, 1, 2099, kAuto}}};
    ExpectDates(std::begin(pivot_2000), std::end(pivot_2000));
}

TEST_F(DateTextTest, CalendarMarks) {
    const DateRow rows[] = {
        {"4 Oct 1582 OS", {4, 10, 1582, kOS}},   {"1 Jan 1700 NS", {1, 1, 1700, kNS}},
        {"1 Jan 1700 O.S.", {1, 1, 1700, kOS}},  {"1 Jan 1700 N.S.", {1, 1, 1700, kNS}},
        {"10 Oct 1582 NS", {10, 10, 1582, kNS}},  // the gap exists in a stated calendar
        {"10 Oct 1582 OS", {10, 10, 1582, kOS}}, {"29 Feb 1900 OS", {29, 2, 1900, kOS}},
        {"1752 NS", {1, 1, 1752, kNS}},
    };
    ExpectDates(std::begin(rows), std::end(rows));
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DateTextTest, CalendarValidity) {
    const DateRow valid[] = {
        {"29 Feb 1600", {29, 2, 1600, kAuto}},
        {"29 Feb 1500", {29, 2, 1500, kAuto}},  // Julian period: every fourth year
        {"29 Feb 2000", {29, 2, 2000, kAuto}},
        {"4 Oct 1582", {4, 10, 1582, kAuto}},
        {"15 Oct 1582", {15, 10, 1582, kAuto}},
    };
    ExpectDates(std::begin(valid), std::end(valid));

    const char* invalid[] = {
        "29 Feb 1900", "10 Oct 1582", "5 Oct 1582",  "14 Oct 1582", "29 Feb 1500 NS",
        "31 Apr 2000", "0 Jan 2000",  "32 Jan 2000", "1 13 2000",   "1 0 2000",
        "29 Feb 4 BC", "29 Feb 2023", "1 Jan 99999", "99999",
    };
    for (const char* text : invalid) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseDate(text).has_value());
        ExpectOneMessage(kInvalidDate);
    }
}

TEST_F(DateTextTest, FormatErrors) {
    const char* rows[] = {
        "Dec",
        "15",
        "31 Foo 1992",
        "31 Ja 1992",
        "1 2 3 4",
        "31 Dec 1992 x",
        "",
        "31 Dec 19x2",
        "31\xC2\xB0 Dec 1992",
        "1 Jan 1700 OS NS",
        "Dec 31 1992",
        "1 Jan 1992 Z",
    };
    for (const char* text : rows) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseDate(text).has_value());
        ExpectOneMessage(kFormatDayFirst);
    }
}

TEST_F(DateTextTest, FormatErrorInMonthFirstOrder) {
    MonthFirst(true);
    EXPECT_FALSE(ParseDate("Foo 31 1992").has_value());
    ExpectOneMessage(kFormatMonthFirst);
    // A day-first text read month first has no day number, or month 31.
    EXPECT_FALSE(ParseDate("31 Dec 1992").has_value());
    ExpectOneMessage(kFormatMonthFirst);
    EXPECT_FALSE(ParseDate("31/12/1992").has_value());
    ExpectOneMessage(kInvalidDate);
}

TEST_F(DateTextTest, EraErrors) {
    const char* rows[] = {"1 Jan 0 BC", "1 Jan 1992 BC AD", "1 Jan 0000", "5 Mar BC", "0 BC"};
    for (const char* text : rows) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseDate(text).has_value());
        ExpectOneMessage(kFormatDayFirst + kEraLine);
    }
    MonthFirst(true);
    EXPECT_FALSE(ParseDate("Jan 1 0 BC").has_value());
    ExpectOneMessage(kFormatMonthFirst + kEraLine);
}

TEST_F(DateTextTest, SilentWhenAsked) {
    for (const char* text : {"31 Foo 1992", "29 Feb 1900", "0 BC"}) {
        EXPECT_FALSE(ParseDate(text, false).has_value()) << text;
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DateTextTest, FormatDate) {
    EXPECT_EQ(FormatDate(31, 12, 1992, kAuto), "31 Dec 1992");
    EXPECT_EQ(FormatDate(5, 3, 800, kAuto), "5 Mar 0800");
    EXPECT_EQ(FormatDate(15, 3, -43, kAuto), "15 Mar 44 BC");
    EXPECT_EQ(FormatDate(1, 1, 0, kAuto), "1 Jan 1 BC");
    EXPECT_EQ(FormatDate(1, 1, 29, kAuto), "1 Jan 0029");
    EXPECT_EQ(FormatDate(DateValue{4, 7, 1776, kAuto}), "4 Jul 1776");
    MonthFirst(true);
    EXPECT_EQ(FormatDate(31, 12, 1992, kAuto), "Dec 31 1992");
    EXPECT_EQ(FormatDate(15, 3, -43, kAuto), "Mar 15 44 BC");
}

TEST_F(DateTextTest, FormatDateCalendarMarks) {
    struct Row {
        int day, month, year;
        CalendarMode calendar;
        const char* text;
    };
    const Row rows[] = {
        {4, 10, 1582, kAuto, "4 Oct 1582 OS"}, {15, 10, 1582, kAuto, "15 Oct 1582 NS"},
        {1, 1, 1700, kOS, "1 Jan 1700 OS"},    {1, 1, 1700, kNS, "1 Jan 1700 NS"},
        {1, 1, 1700, kAuto, "1 Jan 1700 NS"},  {31, 12, 1752, kAuto, "31 Dec 1752 NS"},
        {1, 1, 1753, kAuto, "1 Jan 1753"},     {31, 12, 1581, kAuto, "31 Dec 1581"},
        {10, 10, 1582, kNS, "10 Oct 1582 NS"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatDate(row.day, row.month, row.year, row.calendar), row.text);
    }
    session().settings().SetInt("CalendarMarkFrom", 1000);
    session().settings().SetInt("CalendarMarkTo", 1100);
    EXPECT_EQ(FormatDate(1, 1, 1050, kAuto), "1 Jan 1050 OS");
    EXPECT_EQ(FormatDate(4, 10, 1582, kAuto), "4 Oct 1582");
}

TEST_F(DateTextTest, ShowStatedCalendarConvertsIntoThePeriodsCalendar) {
    session().settings().SetBool("ShowStatedCalendar", true);
    // Julian 1 January 1700 is Gregorian 11 January 1700.
    EXPECT_EQ(FormatDate(1, 1, 1700, kOS), "11 Jan 1700 NS");
    // Gregorian 10 October 1582 is Julian 30 September 1582.
    EXPECT_EQ(FormatDate(10, 10, 1582, kNS), "30 Sep 1582 OS");
    // A stated calendar that is the period's own needs no conversion.
    EXPECT_EQ(FormatDate(1, 1, 1700, kNS), "1 Jan 1700 NS");
    EXPECT_EQ(FormatDate(1, 1, 1500, kOS), "1 Jan 1500");
}

// Every shown date reads back as the same day, month and year, in both orders.
TEST_F(DateTextTest, FormattedDatesRoundTrip) {
    for (const bool month_first : {false, true}) {
        MonthFirst(month_first);
        for (int year = -3000; year <= 3000; year += 29) {
            for (int month = 1; month <= 12; ++month) {
                for (const int day : {1, 9, 10, 15, 28}) {
                    if (!IsValidCalendarDate(day, month, year, kAuto)) {
                        continue;
                    }
                    const std::string text = FormatDate(day, month, year, kAuto);
                    const auto back = ParseDate(text);
                    ASSERT_TRUE(back.has_value()) << text;
                    EXPECT_EQ(back->day, day) << text;
                    EXPECT_EQ(back->month, month) << text;
                    EXPECT_EQ(back->year, year) << text;
                }
            }
        }
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DateTextTest, MarkedDatesRoundTripWithTheirCalendar) {
    for (int year = 1582; year <= 1752; ++year) {
        for (const CalendarMode calendar : {kNS, kOS}) {
            const std::string text = FormatDate(28, 2, year, calendar);
            const auto back = ParseDate(text);
            ASSERT_TRUE(back.has_value()) << text;
            EXPECT_EQ(*back, (DateValue{28, 2, year, calendar})) << text;
        }
    }
}

}  // namespace
}  // namespace meridia::textformats
