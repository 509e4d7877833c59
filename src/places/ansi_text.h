// Conversion between UTF-8 (in memory) and Windows-1252 (the fixed-width text fields and text
// files on disk). A character Windows-1252 cannot hold is written as "?".
#pragma once

#include <string>
#include <string_view>

namespace meridia::places {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Upper-cases ASCII and the Latin-1 letters of a UTF-8 text (for case-insensitive matching).
std::string UpperText(std::string_view utf8);
// Removes leading and trailing blanks, tabs and line ends.
std::string TrimText(std::string_view text);

}  // namespace meridia::places
