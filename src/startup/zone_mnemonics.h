// The zone-mnemonic table loaded from "TIMEZONE.FIL": mnemonics such as "GMT" with a
// description and the zone value as text ("-10:30": hours to add to local time for UT,
// east negative). At most 65 entries are kept.
//
// File format: one entry per line, read into 41 characters: columns 1-5 the mnemonic (kept
// upper-cased), 6-35 the description, 36-41 the value text; fields are trimmed. Lines whose
// mnemonic columns are blank are skipped. Windows-1252 text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "startup/status.h"

namespace meridia::startup {

inline constexpr int kMaxZoneMnemonics = 65;
inline constexpr std::string_view kZoneMnemonicFile = "TIMEZONE.FIL";
// The file lies in the "Places" folder (the user's copy first, else the factory copy).
inline constexpr std::string_view kZoneMnemonicFolder = "Places";

struct ZoneMnemonic {
    std::string mnemonic;     // upper-cased, at most 5 characters
    std::string description;  // at most 30 characters
    std::string value;        // zone value text, at most 6 characters
};

struct ZoneMnemonicTable {
    std::vector<ZoneMnemonic> entries;
    bool loaded = false;  // the file has been read (or tried) in this session
};

// The current session's table, read from ZoneMnemonicFilePath() on first use once the session
// has its folders (the "Too Many Time Zones" message then comes with that first use).
ZoneMnemonicTable& ZoneMnemonics();

// Reads a zone-mnemonic file into the session's table (at most 65 entries; more give the
// "Too Many Time Zones" message once, and the table is still loaded). When the file cannot be
// read the table is left as it was and the status (not shown) says why: kNotFound or
// kUnreadable ("Timezone file <path> could not be read."), or kDamaged for a file larger than
// any zone-mnemonic file ("Timezone file <path> is damaged.").
Status LoadZoneMnemonics(const std::filesystem::path& path);

// Parses the bytes of a zone-mnemonic file. Sets *too_many when entries beyond the limit
// were dropped.
std::vector<ZoneMnemonic> ParseZoneMnemonics(std::string_view bytes, bool* too_many);

// The zone-mnemonic file of the current session: "Places/TIMEZONE.FIL" of the user-files
// folder when present, else that of the program folder.
std::filesystem::path ZoneMnemonicFilePath();

// The entry whose mnemonic equals the text (trimmed, without regard to case), or nullptr.
const ZoneMnemonic* FindZoneMnemonic(std::string_view text);

}  // namespace meridia::startup
