// The name tables: the program's numbered display strings (signs, months, points, house
// systems, zodiacs, aspects, chart classes and kinds, labels). An entry may hold several
// forms separated by "|": abbreviation, name, long name ("Ar|Aries", "Jan|January").
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace meridia::startup {

// Entry numbers of the ranges that several parts use.
inline constexpr int kSignNamesBase = 300;   // 301..312: "Ar|Aries" ... "Pi|Pisces"
inline constexpr int kMonthNamesBase = 320;  // 321..332: "Jan|January" ... "Dec|December"
inline constexpr int kPointNamesBase = 760;  // 760 + point number: "Mo|Moon|The Moon"

class NameTables {
public:
    NameTables();  // filled with the program's built-in table

    // The whole entry ("" when there is none).
    const std::string& Entry(int number) const;
    // One "|"-separated form: 0 the first (abbreviation), 1 the second... A missing form
    // gives the last one present.
    std::string Form(int number, int form) const;
    void SetEntry(int number, std::string text);

    // Convenience: sign 1..12 and month 1..12, abbreviation or full name.
    std::string SignName(int sign, bool abbreviation) const;
    std::string MonthName(int month, bool abbreviation) const;
    // Point 0..100: form 0 abbreviation, 1 name, 2 long name.
    std::string PointName(int point, int form) const;

private:
    std::map<int, std::string> entries_;
};

// The current session's name tables.
NameTables& Names();

}  // namespace meridia::startup
