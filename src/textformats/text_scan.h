// Small character helpers shared by the parsers and formatters of this folder (not part of
// the public interface): ASCII case and blank handling, digit runs with an overflow guard,
// and zero-padded numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::textformats::detail {

// Blanks, trimming and case come from startup's text helpers (IsBlank, Trim, UpperAscii).
bool IsDigit(char c);
bool IsLetter(char c);  // A-Z or a-z only

// True for a non-empty run of the digits 0-9 only.
bool IsDigits(std::string_view text);

// Value of a run of digits; empty when the text is not a digit run or exceeds 999999999.
std::optional<long> DigitsValue(std::string_view text);

// Value of an unsigned decimal number ("10", "10.5", ".5", "10."); empty otherwise.
std::optional<double> DecimalValue(std::string_view text);

// Replaces every occurrence of `what` (non-empty) by blanks of the same byte length.
void BlankAll(std::string& text, std::string_view what);

// Blanks the first occurrence of `what`; true when there was one.
bool BlankFirst(std::string& text, std::string_view what);

// Splits on blanks, dropping empty pieces.
std::vector<std::string> SplitBlanks(std::string_view text);

// Number with at least `width` digits, zero-padded ("0000" style); negative values keep
// their sign in front of the padding.
std::string Padded(long value, int width);

}  // namespace meridia::textformats::detail
