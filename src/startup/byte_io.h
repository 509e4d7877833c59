// Little-endian field-by-field encoding for the program's binary files (chart files, aspect
// sets, place files, zone tables): a writer that appends fields to a byte string and a
// bounds-checked reader over a byte view. The reader never reads past its end: a short read
// sets its failure flag and yields zero values. Fixed text fields are Windows-1252 on disk
// and UTF-8 in memory.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace meridia::startup {

class ByteWriter {
public:
    void U8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void I16(std::int16_t v) { Unsigned(static_cast<std::uint16_t>(v), 2); }
    void I32(std::int32_t v) { Unsigned(static_cast<std::uint32_t>(v), 4); }
    void F32(float v) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Unsigned(bits, 4);
    }
    void F64(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Unsigned(static_cast<std::uint32_t>(bits & 0xFFFFFFFFU), 4);
        Unsigned(static_cast<std::uint32_t>(bits >> 32), 4);
    }
    void Raw(std::string_view bytes) { bytes_.append(bytes); }
    void Zeros(std::size_t count) { bytes_.append(count, '\0'); }
    // UTF-8 text as a fixed Windows-1252 field of `width` bytes.
    void Text(std::string_view utf8, std::size_t width);

    const std::string& bytes() const { return bytes_; }
    std::string Take() { return std::move(bytes_); }
    std::size_t size() const { return bytes_.size(); }

private:
    void Unsigned(std::uint32_t v, int width) {
        for (int i = 0; i < width; ++i) {
            bytes_.push_back(static_cast<char>((v >> (8 * i)) & 0xFFU));
        }
    }
    std::string bytes_;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint8_t U8() { return static_cast<std::uint8_t>(Unsigned(1)); }
    std::int16_t I16() {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(Unsigned(2)));
    }
    std::int32_t I32() { return static_cast<std::int32_t>(Unsigned(4)); }
    // A single float; a NaN or an infinity (only a damaged or hostile file holds one) reads as
    // 0, so that no calculation is ever handed a non-finite value from a file.
    float F32() {
        const std::uint32_t bits = Unsigned(4);
        float v = 0.0F;
        std::memcpy(&v, &bits, sizeof v);
        return std::isfinite(v) ? v : 0.0F;
    }
    // A double; a NaN or an infinity reads as 0 for the same reason.
    double F64() {
        const std::uint64_t low = Unsigned(4);
        const std::uint64_t bits = low | (static_cast<std::uint64_t>(Unsigned(4)) << 32);
        double v = 0.0;
        std::memcpy(&v, &bits, sizeof v);
        return ok_ && std::isfinite(v) ? v : 0.0;
    }
    std::string_view Raw(std::size_t count) {
        if (!Check(count)) {
            return {};
        }
        std::string_view out = bytes_.substr(pos_, count);
        pos_ += count;
        return out;
    }
    // A fixed Windows-1252 field, trimmed and converted to UTF-8.
    std::string Text(std::size_t width);
    void Skip(std::size_t count) { Raw(count); }

    // Moves to a 0-based offset; false (and not ok) when it lies beyond the end.
    bool Seek(std::size_t offset) {
        if (!ok_ || offset > bytes_.size()) {
            ok_ = false;
            return false;
        }
        pos_ = offset;
        return true;
    }
    // True when `count` more bytes can be read.
    bool Has(std::size_t count) const { return ok_ && bytes_.size() - pos_ >= count; }

    bool ok() const { return ok_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }

private:
    bool Check(std::size_t count) {
        if (!ok_ || count > bytes_.size() - pos_) {
            ok_ = false;
            return false;
        }
        return true;
    }
    std::uint32_t Unsigned(int width) {
        if (!Check(static_cast<std::size_t>(width))) {
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < width; ++i) {
            v |= static_cast<std::uint32_t>(
                     static_cast<std::uint8_t>(bytes_[pos_ + static_cast<std::size_t>(i)]))
                 << (8 * i);
        }
        pos_ += static_cast<std::size_t>(width);
        return v;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace meridia::startup
