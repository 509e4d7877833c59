// Small file helpers shared by the readers and writers of the system: a bounded whole-file
// read (a hostile or huge file never makes the reader allocate without limit) and a write
// through a temporary file that takes the target's name at the end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace meridia::startup {

// Reads a whole file as bytes. std::nullopt when it is missing, unreadable or larger than
// max_bytes.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::size_t max_bytes);

// Writes the bytes to "<path>.tmp" in the same folder and renames it over path. The folder is
// created when missing. Returns false (and leaves any old file as it was) on failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace meridia::startup
