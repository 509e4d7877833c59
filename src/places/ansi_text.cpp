#include "places/ansi_text.h"

#include "startup/text_encoding.h"

namespace meridia::places {

namespace {

unsigned char UpperAnsi(unsigned char c) {
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

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return startup::Windows1252ToUtf8(ansi); }

std::string Utf8ToAnsi(std::string_view utf8) { return startup::Utf8ToWindows1252(utf8); }

std::string UpperText(std::string_view utf8) {
    std::string ansi = Utf8ToAnsi(utf8);
    for (char& ch : ansi) {
        ch = static_cast<char>(UpperAnsi(static_cast<unsigned char>(ch)));
    }
    return AnsiToUtf8(ansi);
}

std::string TrimText(std::string_view text) {
    const auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

}  // namespace meridia::places
