#include "charts/ansi_text.h"

#include "startup/text_encoding.h"

namespace meridia::charts {

std::string Utf8ToAnsi(std::string_view utf8) { return startup::Utf8ToWindows1252(utf8); }

std::string AnsiToUtf8(std::string_view ansi) { return startup::Windows1252ToUtf8(ansi); }

std::string EncodeFixedText(std::string_view utf8, std::size_t width) {
    std::string bytes = Utf8ToAnsi(utf8);
    bytes.resize(width, ' ');
    return bytes;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string DecodeFixedText(std::string_view ansi) { return AnsiToUtf8(TrimRight(ansi)); }

}  // namespace meridia::charts
