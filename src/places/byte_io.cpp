#include "places/byte_io.h"

#include <fstream>
#include <system_error>

#include "places/ansi_text.h"
#include "startup/file_io.h"

namespace meridia::places {

void PutI16(std::string& out, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<char>(bits & 0xFF));
    out.push_back(static_cast<char>(bits >> 8));
}

void PutI32(std::string& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
}

void PutText(std::string& out, std::string_view utf8, std::size_t width) {
    std::string ansi = Utf8ToAnsi(utf8);
    ansi.resize(width, ' ');
    out += ansi;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t max_bytes) {
    return startup::ReadFileBytes(path, max_bytes);
}

std::optional<std::string> ReadFileRange(const std::filesystem::path& path, std::uintmax_t offset,
                                         std::size_t length) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || offset > size || size - offset < length) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(offset))) {
        return std::nullopt;
    }
    std::string bytes(length, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    if (static_cast<std::size_t>(in.gcount()) != length) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes) {
    return startup::WriteFileAtomically(path, bytes);
}

}  // namespace meridia::places
