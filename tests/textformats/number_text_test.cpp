#include "textformats/number_text.h"

#include <gtest/gtest.h>

namespace meridia::textformats {
namespace {

TEST(Ordinal, EnglishSuffixes) {
    struct Row {
        long number;
        const char* text;
    };
    constexpr Row kRows[] = {
        {0, "0th"},     {1, "1st"},       {2, "2nd"},   {3, "3rd"},     {4, "4th"},
        {10, "10th"},   {11, "11th"},     {12, "12th"}, {13, "13th"},   {21, "21st"},
        {22, "22nd"},   {23, "23rd"},     {31, "31st"}, {101, "101st"}, {111, "111th"},
        {112, "112th"}, {1002, "1002nd"},
    };
    for (const auto& row : kRows) {
        EXPECT_EQ(Ordinal(row.number), row.text);
    }
    EXPECT_EQ(OrdinalSuffix(-1), "st");
}

TEST(DurationSuffix, Units) {
    EXPECT_EQ(DurationSuffix(DurationUnit::kSeconds), " secs)");
    EXPECT_EQ(DurationSuffix(DurationUnit::kMinutes), " mins)");
    EXPECT_EQ(DurationSuffix(DurationUnit::kHours), " hrs)");
}

}  // namespace
}  // namespace meridia::textformats
