#include "textformats/text_scan.h"

#include "startup/text_tools.h"

namespace meridia::textformats::detail {

namespace {
constexpr long kMaxDigitsValue = 999999999;
}  // namespace

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

std::optional<long> DigitsValue(std::string_view text) {
    if (!IsDigits(text)) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > kMaxDigitsValue) {
            return std::nullopt;
        }
    }
    return value;
}

std::optional<double> DecimalValue(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) {
        return std::nullopt;
    }
    if ((!whole.empty() && !IsDigits(whole)) || (!fraction.empty() && !IsDigits(fraction))) {
        return std::nullopt;
    }
    if (whole.size() > 9) {
        return std::nullopt;
    }
    // The digits checked above are read whole, correctly rounded and without the locale.
    return startup::ParseDouble(text);
}

void BlankAll(std::string& text, std::string_view what) {
    if (what.empty()) {
        return;
    }
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        text.replace(at, what.size(), what.size(), ' ');
    }
}

bool BlankFirst(std::string& text, std::string_view what) {
    const std::size_t at = text.find(what);
    if (what.empty() || at == std::string::npos) {
        return false;
    }
    text.replace(at, what.size(), what.size(), ' ');
    return true;
}

std::vector<std::string> SplitBlanks(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && startup::IsBlank(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !startup::IsBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            pieces.emplace_back(text.substr(start, i - start));
        }
    }
    return pieces;
}

std::string Padded(long value, int width) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return negative ? "-" + digits : digits;
}

}  // namespace meridia::textformats::detail
