// Little-endian field readers and writers over in-memory bytes for the aspect files; fixed-width
// text fields are Windows-1252 on disk and UTF-8 in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace meridia::aspects::detail {

// Reads fields from a byte string; reading past the end sets failed() and gives zeros.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Remaining() const { return failed_ ? 0 : bytes_.size() - pos_; }
    bool failed() const { return failed_; }

    std::int16_t Int16();
    std::int32_t Int32();
    float Single();
    double Double();
    std::uint8_t Byte();
    // A fixed-width Windows-1252 field, trimmed of blanks and NULs, as UTF-8.
    std::string FixedText(std::size_t width);
    void Skip(std::size_t count);

private:
    bool Take(std::size_t count, const char*& data);

    std::string_view bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

class ByteWriter {
public:
    void Int16(std::int16_t value);
    void Int32(std::int32_t value);
    void Single(float value);
    void Double(double value);
    void Byte(std::uint8_t value);
    // UTF-8 text as Windows-1252, cut or blank-padded to `width` bytes.
    void FixedText(std::string_view text, std::size_t width);

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace meridia::aspects::detail
