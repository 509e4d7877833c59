// The text helpers every reader and parser of the program shares: blanks, ASCII case, line
// splitting, Windows-1252 fixed-width fields and numbers read and written without regard to
// the process locale (a decimal comma locale must not change what a file holds). Text is
// UTF-8 in memory and Windows-1252 in fixed fields on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::startup {

// Space, tab, carriage return or line feed.
bool IsBlank(char c);
// The text without leading and trailing blanks.
std::string_view Trim(std::string_view text);

// ASCII letters changed to upper or lower case; every other byte as it was.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
// Equality and suffix test with ASCII letters compared without case.
bool EqualNoCase(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Upper case of a UTF-8 text for matching without case: ASCII letters and the letters of
// Windows-1252 (e -> E, e acute -> E acute, y diaeresis -> Y diaeresis...).
std::string UpperText(std::string_view utf8);

// The lines of a text: split at line feeds, a carriage return before the line feed dropped.
// A line feed at the very end does not start another (empty) line.
std::vector<std::string_view> SplitLines(std::string_view text);

// UTF-8 text as a fixed field of exactly `width` Windows-1252 bytes: cut when longer, padded
// on the right with blanks when shorter.
std::string EncodeFixedText(std::string_view utf8, std::size_t width);
// A fixed field read back: trailing blanks and NUL bytes dropped, converted to UTF-8.
std::string DecodeFixedText(std::string_view field);

// Numbers in text, independent of the locale. A parse takes the whole text (no blanks, no
// trailing characters) and refuses "nan" and "inf" in any case or sign; a leading "+" is
// accepted. Doubles are decimal ("12.5", "-0.25", "1e-3"), never hexadecimal.
std::optional<double> ParseDouble(std::string_view text);
std::optional<long long> ParseInteger(std::string_view text);
// The leading decimal number of a text as C's strtod and strtol read it under the "C" locale
// (leading blanks skipped, trailing characters ignored), or std::nullopt when there is none,
// it is not finite or it does not fit.
std::optional<double> ParseLeadingDouble(std::string_view text);
std::optional<long long> ParseLeadingInteger(std::string_view text);
// The shortest decimal text that reads back to the same double ("0.1", "1e+300").
std::string FormatDouble(double value);
// A double with a fixed number of decimals ("12.500000" for 6), rounded to nearest.
std::string FormatFixed(double value, int decimals);

}  // namespace meridia::startup
