#include "aspects/byte_io.h"

#include <algorithm>
#include <bit>

#include "startup/text_encoding.h"

namespace meridia::aspects::detail {

bool ByteReader::Take(std::size_t count, const char*& data) {
    if (failed_ || bytes_.size() - pos_ < count) {
        failed_ = true;
        return false;
    }
    data = bytes_.data() + pos_;
    pos_ += count;
    return true;
}

std::int16_t ByteReader::Int16() {
    const char* p = nullptr;
    if (!Take(2, p)) {
        return 0;
    }
    const auto lo = static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]));
    const auto hi = static_cast<std::uint16_t>(static_cast<unsigned char>(p[1]));
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

std::int32_t ByteReader::Int32() {
    const char* p = nullptr;
    if (!Take(4, p)) {
        return 0;
    }
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return static_cast<std::int32_t>(v);
}

float ByteReader::Single() { return std::bit_cast<float>(static_cast<std::uint32_t>(Int32())); }

double ByteReader::Double() {
    const char* p = nullptr;
    if (!Take(8, p)) {
        return 0.0;
    }
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return std::bit_cast<double>(v);
}

std::uint8_t ByteReader::Byte() {
    const char* p = nullptr;
    if (!Take(1, p)) {
        return 0;
    }
    return static_cast<std::uint8_t>(p[0]);
}

std::string ByteReader::FixedText(std::size_t width) {
    const char* p = nullptr;
    if (!Take(width, p)) {
        return {};
    }
    std::string_view raw(p, width);
    const auto end = raw.find_last_not_of(std::string_view(" \0", 2));
    if (end == std::string_view::npos) {
        return {};
    }
    raw = raw.substr(0, end + 1);
    raw.remove_prefix(std::min(raw.find_first_not_of(' '), raw.size()));
    return startup::Windows1252ToUtf8(raw);
}

void ByteReader::Skip(std::size_t count) {
    const char* p = nullptr;
    Take(count, p);
}

void ByteWriter::Int16(std::int16_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    bytes_.push_back(static_cast<char>(v & 0xFF));
    bytes_.push_back(static_cast<char>(v >> 8));
}

void ByteWriter::Int32(std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes_.push_back(static_cast<char>(v & 0xFF));
        v >>= 8;
    }
}

void ByteWriter::Single(float value) {
    Int32(static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

void ByteWriter::Double(double value) {
    auto v = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        bytes_.push_back(static_cast<char>(v & 0xFF));
        v >>= 8;
    }
}

void ByteWriter::Byte(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }

void ByteWriter::FixedText(std::string_view text, std::size_t width) {
    std::string encoded = startup::Utf8ToWindows1252(text);
    encoded.resize(width, ' ');
    bytes_ += encoded;
}

}  // namespace meridia::aspects::detail
