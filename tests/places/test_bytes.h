// Byte builders for the place tests: little-endian fields and blank-padded texts, written
// here independently of the readers under test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace meridia::places::test {

inline void Le(std::string& out, std::int64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF));
    }
}

inline void Padded(std::string& out, std::string_view text, std::size_t width) {
    std::string field(text.substr(0, width));
    field.resize(width, ' ');
    out += field;
}

inline std::int64_t ReadLe(std::string_view bytes, std::size_t offset, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value =
            (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    if (width < 8 && (value >> (8 * width - 1)) != 0) {
        value |= ~std::uint64_t{0} << (8 * width);
    }
    return static_cast<std::int64_t>(value);
}

}  // namespace meridia::places::test
