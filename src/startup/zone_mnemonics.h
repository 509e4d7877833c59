// The zone-mnemonic table loaded from "TIMEZONE.FIL": mnemonics such as "GMT" with a
// description and the zone value as text ("-10:30": hours to add to local time for UT,
// east negative). At most 65 entries are kept.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace meridia::startup {

inline constexpr int kMaxZoneMnemonics = 65;

struct ZoneMnemonic {
    std::string mnemonic;     // upper-cased, at most 5 characters
    std::string description;  // at most 30 characters
    std::string value;        // zone value text, at most 6 characters
};

struct ZoneMnemonicTable {
    std::vector<ZoneMnemonic> entries;
};

// The current session's table.
ZoneMnemonicTable& ZoneMnemonics();

// Reads a zone-mnemonic file into the session's table (at most 65 entries; more give the
// "Too Many Time Zones" message). Returns false when the file cannot be read.
bool LoadZoneMnemonics(const std::filesystem::path& path);

}  // namespace meridia::startup
