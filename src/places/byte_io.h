// Little-endian field access for the binary place and zone-table files, and whole-file reads
// and writes. Readers work from bytes in memory so that every count and offset can be checked
// against the real size before use; writers go through a temporary file and a rename.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "startup/byte_io.h"

namespace meridia::places {

// The bounds-checked little-endian reader shared by every binary file of the program.
using startup::ByteReader;

// Appends little-endian fields to a byte string.
void PutI16(std::string& out, std::int16_t value);
void PutI32(std::string& out, std::int32_t value);
// A UTF-8 text as a fixed-width Windows-1252 field: cut or padded with blanks.
void PutText(std::string& out, std::string_view utf8, std::size_t width);

// The whole file, or nothing when it cannot be read or is larger than `max_bytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::size_t max_bytes = 256u << 20);
// `length` bytes of a file from a 0-based offset; nothing when the file is missing or shorter.
std::optional<std::string> ReadFileRange(const std::filesystem::path& path, std::uintmax_t offset,
                                         std::size_t length);
// Writes `bytes` through a temporary file and a rename; false (old file kept) on failure.
bool WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes);
// Writes bytes to a file (created or truncated); false on failure.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace meridia::places
