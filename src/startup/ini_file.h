// INI files with the profile-string semantics of the settings files: sections and keys are
// matched without regard to case, values are read into 255 characters and trimmed (blanks,
// tabs and one pair of enclosing quotes), a missing value gives the caller's default text, and
// a write rewrites the whole file through a temporary file, keeping every other line as it was.
// Text is Windows-1252 on disk and UTF-8 in memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "startup/status.h"

namespace meridia::startup {

// Longest value a profile read returns, in characters.
inline constexpr std::size_t kProfileValueLength = 255;
// Largest INI file read; a bigger one is treated as unreadable.
inline constexpr std::size_t kMaxIniFileBytes = 4u << 20;

class IniFile {
public:
    IniFile() = default;

    // Reads a file. A missing file gives an empty one and true; an unreadable or oversized
    // file gives an empty one and false.
    bool Load(const std::filesystem::path& path);
    // Takes the file's bytes (Windows-1252, CR LF or LF line ends).
    void Parse(std::string_view bytes);

    // The value of a key (first match of the first matching section), trimmed and cut to
    // kProfileValueLength characters; std::nullopt when the section or key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The value, or default_text when missing.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view default_text) const;
    bool HasSection(std::string_view section) const;
    // The key=value pairs of a section in file order (values as Value gives them).
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

    // Sets a key: replaces its line, else adds it after the section's last entry, else adds
    // the section at the end of the file.
    void Write(std::string_view section, std::string_view key, std::string_view value);
    // Removes a key's line; false when it was not there.
    bool Remove(std::string_view section, std::string_view key);

    // The file's bytes, with the line ends it was read with (LF for a new file).
    std::string Serialize() const;
    // Writes the file whole through the safe write (missing folders are created); on failure
    // the old file is as it was.
    Status Save(const std::filesystem::path& path) const;

private:
    struct Span {
        std::size_t header;  // line of "[section]"
        std::size_t end;     // one past its last line
    };
    std::optional<Span> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Span& span, std::string_view key) const;

    std::vector<std::string> lines_;  // Windows-1252 bytes, without line ends
    std::string_view eol_ = "\n";     // always one of two string literals
};

// One profile read: the value of section/key in the file, or default_text.
std::string ReadProfileString(const std::filesystem::path& path, std::string_view section,
                              std::string_view key, std::string_view default_text);
// One profile write (the whole file is rewritten). False when the file cannot be written.
bool WriteProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace meridia::startup
