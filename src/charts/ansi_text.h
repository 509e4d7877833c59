// Text conversion at the file boundary: text is UTF-8 in memory and Windows-1252 ("ANSI")
// bytes in the binary files, in fixed-width fields padded with blanks. A character that
// Windows-1252 cannot hold is written as "?"; invalid UTF-8 bytes are written as "?" too.
#pragma once

#include <string>
#include <string_view>

namespace meridia::charts {

// UTF-8 text to Windows-1252 bytes.
std::string Utf8ToAnsi(std::string_view utf8);
// Windows-1252 bytes to UTF-8 text. The five bytes the code page leaves undefined map to the
// control characters of the same number, so every byte survives a round trip.
std::string AnsiToUtf8(std::string_view ansi);

// The UTF-8 text as a fixed field of exactly `width` Windows-1252 bytes: cut when longer,
// padded on the right with blanks when shorter.
std::string EncodeFixedText(std::string_view utf8, std::size_t width);
// A fixed field read back: trailing blanks and NUL bytes trimmed, converted to UTF-8.
std::string DecodeFixedText(std::string_view ansi);

// Right-trims blanks and NUL bytes.
std::string_view TrimRight(std::string_view text);

}  // namespace meridia::charts
