#include "startup/text_tools.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "startup/text_encoding.h"

namespace meridia::startup {

namespace {

char UpperAsciiChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char LowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Upper case of one Windows-1252 byte: ASCII, the accented letters 0xE0..0xFE (not the
// division sign 0xF7), s/oe/z caron and y diaeresis.
unsigned char UpperWindows1252(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<unsigned char>(c - 0x20);
    }
    switch (c) {
        case 0x9A:
        case 0x9C:
        case 0x9E:
            return static_cast<unsigned char>(c - 0x10);
        case 0xFF:
            return 0x9F;
        default:
            return c;
    }
}

// The text after an optional leading "+" that from_chars does not take ("+-1" stays refused).
std::string_view WithoutPlus(std::string_view text) {
    if (text.size() >= 2 && text[0] == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    return text;
}

// A double read from the front of the text; `end` receives where it stopped. Hexadecimal
// forms are not taken, and neither are "nan" and "inf".
std::optional<double> DoubleAtFront(std::string_view text, const char** end) {
    text = WithoutPlus(text);
    double value = 0.0;
    const auto [ptr, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    *end = ptr;
    return value;
}

std::optional<long long> IntegerAtFront(std::string_view text, const char** end) {
    text = WithoutPlus(text);
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc()) {
        return std::nullopt;
    }
    *end = ptr;
    return value;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = UpperAsciiChar(c);
    }
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = LowerAsciiChar(c);
    }
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string UpperText(std::string_view utf8) {
    std::string bytes = Utf8ToWindows1252(utf8);
    for (char& c : bytes) {
        c = static_cast<char>(UpperWindows1252(static_cast<unsigned char>(c)));
    }
    return Windows1252ToUtf8(bytes);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string EncodeFixedText(std::string_view utf8, std::size_t width) {
    std::string field = Utf8ToWindows1252(utf8);
    field.resize(width, ' ');
    return field;
}

std::string DecodeFixedText(std::string_view field) {
    while (!field.empty() && (field.back() == ' ' || field.back() == '\0')) {
        field.remove_suffix(1);
    }
    return Windows1252ToUtf8(field);
}

std::optional<double> ParseDouble(std::string_view text) {
    const char* end = nullptr;
    const auto value = DoubleAtFront(text, &end);
    if (!value || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<long long> ParseInteger(std::string_view text) {
    const char* end = nullptr;
    const auto value = IntegerAtFront(text, &end);
    if (!value || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseLeadingDouble(std::string_view text) {
    const char* end = nullptr;
    return DoubleAtFront(TrimLeft(text), &end);
}

std::optional<long long> ParseLeadingInteger(std::string_view text) {
    const char* end = nullptr;
    return IntegerAtFront(TrimLeft(text), &end);
}

std::string FormatDouble(double value) {
    // Plain decimals for everyday magnitudes, an exponent for the very large and very small,
    // each the shortest text that reads back to the same double.
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0.0 || (magnitude >= 1e-4 && magnitude < 1e16);
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    return std::string(buffer, result.ptr);
}

std::string FormatFixed(double value, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : FormatDouble(value);
}

}  // namespace meridia::startup
