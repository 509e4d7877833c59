// Arabic parts (lots): a parts file names each lot with its formula, a signed sum of chart
// values (points, house cusps, the rulers of cusps or points, fixed positions, earlier lots of
// the same file), and whether its terms reverse by night. Longitudes in degrees of the chart's
// zodiac, [0, 360); speeds in degrees per day.
//
// A parts file (".arp") is UTF-8 text, one lot a line:
//     NAME | ABBREVIATION | FORMULA [| reverse] [| GLYPH]
// with lines starting with "#" and blank lines skipped, and one optional setting line
// "rulerships = traditional" (the default) or "rulerships = modern". A formula is terms joined
// by " + " and " - " (blanks on both sides, so that names with hyphens stay whole), the first
// term added: "Asc + Moon - Sun". A term is a point of the chart (its number 1..50, its
// abbreviation or its name: "Asc", "Moon", "22"), a house cusp ("H8" or "Cusp 8"), a ruler
// ("Ruler H8", "Ruler Cusp 8", "Ruler Asc": the ruler of the sign the cusp or point is in), a
// fixed position ("0Ar00", "15Ar30": degrees, sign, minutes) or an earlier lot of the file
// ("Lot Spirit", by name or abbreviation). "reverse" makes the terms after the first change
// sign by night (the Sun 0 to 180 degrees ahead of the Ascendant, below the horizon). GLYPH is
// a character code of the program's symbol font (0 = none). The file holds no count: a reader
// stops at kMaxLots lots, and any line it cannot read refuses the whole file with a message
// that names the file and the line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_table.h"
#include "startup/status.h"

namespace meridia::astro {

inline constexpr int kMaxLots = 500;
inline constexpr std::size_t kMaxPartsFileBytes = std::size_t{256} * 1024U;
inline constexpr std::size_t kMaxLotNameLength = 40;
inline constexpr std::size_t kMaxLotAbbreviationLength = 8;
inline constexpr const char* kPartsExtension = ".arp";

enum class LotOperandType { kPoint, kCusp, kRulerOfCusp, kRulerOfPoint, kPosition, kLot };

struct LotTerm {
    int sign = 1;  // +1 or -1
    LotOperandType type = LotOperandType::kPoint;
    int value = 0;        // point 1..50, cusp 1..12, or the index of an earlier lot
    double position = 0;  // kPosition: degrees of the chart's zodiac
    std::string text;     // the term as written
};

struct LotDefinition {
    std::string name;
    std::string abbreviation;
    std::string formula;  // as written
    std::vector<LotTerm> terms;
    bool reverse_by_night = false;
    int glyph = 0;
};

struct PartsFile {
    std::filesystem::path path;
    bool modern_rulers = false;
    std::vector<LotDefinition> lots;
};

// Reads a parts file's text (the path names it in messages).
startup::StatusOr<PartsFile> ParsePartsFile(std::string_view text,
                                            const std::filesystem::path& path);
// Reads a parts file from disk: a missing, unreadable, oversized or damaged file is refused
// with a message that names it.
startup::StatusOr<PartsFile> ReadPartsFile(const std::filesystem::path& path);
// The text of a parts file as ReadPartsFile reads it back.
std::string FormatPartsFile(const PartsFile& parts);
// Writes it whole through a temporary file.
startup::Status WritePartsFile(const std::filesystem::path& path, const PartsFile& parts);

// The lot of the file whose name or abbreviation equals the text (ASCII case ignored); -1.
int FindLot(const PartsFile& parts, std::string_view name);

// The fixed point (1..50) a text names: its number, its abbreviation or its name in the name
// tables (ASCII case ignored); 0 when none.
int FixedPointByName(std::string_view text);

// The ruler of sign 1..12 (traditional: Mars, Venus, Mercury, Moon, Sun, Mercury, Venus, Mars,
// Jupiter, Saturn, Saturn, Jupiter; modern: Pluto for Scorpio, Uranus for Aquarius, Neptune for
// Pisces), as a point number.
int RulerOfSign(int sign, bool modern);

// True by night: the Sun 0 to 180 degrees ahead of the Ascendant in longitude.
bool IsNightChart(const ChartSlot& slot);

struct LotValue {
    double longitude = -1.0;  // -1: an operand has no position
    double speed = 0.0;
};
// The lot `index` of the file in a calculated slot (cusps calculated). `cusp_speeds[1..12]`
// are the daily motions of the cusps. Reversal by night only when `reverse_allowed`.
LotValue EvaluateLot(const PartsFile& parts, int index, const ChartSlot& slot,
                     const std::array<double, 13>& cusp_speeds, bool reverse_allowed);

}  // namespace meridia::astro
