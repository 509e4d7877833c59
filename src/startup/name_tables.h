// The name tables: the program's numbered display strings (signs, months, points, house
// systems, zodiacs, aspects, chart classes and kinds, labels). An entry may hold several
// forms separated by "|": abbreviation, name, long name ("Ar|Aries", "Jan|January").
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace meridia::startup {

// Entry numbers of the ranges that several parts use (base + number; where a range keeps its
// count, the base entry itself holds it as text).
inline constexpr int kSignNamesBase = 300;             // 301..312: "Ar|Aries" ... "Pi|Pisces"
inline constexpr int kMonthNamesBase = 320;            // 321..332: "Jan|January" ... "Dec|December"
inline constexpr int kChartClassNamesBase = 470;       // 471..488 classes 1..18; 470 holds "18"
inline constexpr int kChartKindNamesBase = 490;        // 491..570 kinds 1..80; 490 holds "80"
inline constexpr int kProgAngleMethodNamesBase = 600;  // 601..605: "SA in Long" ...
inline constexpr int kHouseSystemNamesBase = 630;      // 631..662: house systems 1..32
inline constexpr int kZodiacNamesBase = 680;           // 680..697: zodiac codes 0..17
inline constexpr int kEventTypeNamesBase = 700;        // 700..704: "Unspecified" ... "Horary"
inline constexpr int kCoordSystemNamesBase = 706;      // 707 "Geocentric", 708 "Heliocentric"
inline constexpr int kSourceRatingNamesBase = 710;     // 711..717: "AA|From birth record"...
inline constexpr int kPrimaryRateKeyNamesBase = 720;   // 721..727 rate keys; 720 holds "7"
inline constexpr int kPrimaryDirectionTypeNamesBase = 730;    // 731 "Mundane", 732 "Zodiacal"
inline constexpr int kPrimaryDirectionMethodNamesBase = 735;  // 736 "Placidus", 737 "Regio..."
inline constexpr int kConverseMethodNamesBase = 740;  // 741 "Classical Converse", 742 "Modern..."
inline constexpr int kPointNamesBase = 760;           // 760 + point 0..50: "Mo|Moon|The Moon"

inline constexpr int kChartClassCount = 18;
inline constexpr int kChartKindCount = 80;
inline constexpr int kHouseSystemCount = 32;
inline constexpr int kZodiacCount = 18;  // codes 0..17
inline constexpr int kSourceRatingCount = 7;
inline constexpr int kPrimaryRateKeyCount = 7;
inline constexpr int kFixedPointCount = 50;

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
    // House system 1..32, zodiac 0..17, chart class 1..18, chart kind 1..80 (empty when the
    // kind has no name), event type 0..4.
    std::string HouseSystemName(int code) const;
    std::string ZodiacName(int code) const;
    std::string ChartClassName(int chart_class) const;
    std::string ChartKindName(int kind) const;
    std::string EventTypeName(int type) const;

private:
    std::map<int, std::string> entries_;
};

// The current session's name tables.
NameTables& Names();

}  // namespace meridia::startup
