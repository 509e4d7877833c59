#include "startup/zone_mnemonics.h"

#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::startup {

namespace {

// A zone-mnemonic file is a few kilobytes; anything beyond this is not one.
constexpr std::size_t kMaxFileBytes = 1u << 20;
constexpr std::size_t kLineLength = 41;

std::string_view Columns(std::string_view line, std::size_t first, std::size_t count) {
    if (line.size() <= first) {
        return {};
    }
    return Trim(line.substr(first, count));
}

}  // namespace

ZoneMnemonicTable& ZoneMnemonics() {
    ZoneMnemonicTable& table = CurrentSession().Get<ZoneMnemonicTable>();
    if (!table.loaded) {
        // Loaded on first use: a run that reads no zone never opens the file. A session
        // without folders (nothing started yet) has no file to read.
        table.loaded = true;
        const Folders& folders = CurrentSession().folders();
        if (!folders.program.empty() || !folders.user_files.empty()) {
            LoadZoneMnemonics(ZoneMnemonicFilePath());
        }
    }
    return table;
}

std::vector<ZoneMnemonic> ParseZoneMnemonics(std::string_view bytes, bool* too_many) {
    std::vector<ZoneMnemonic> entries;
    bool dropped = false;
    for (std::string_view line : SplitLines(bytes)) {
        line = line.substr(0, kLineLength);
        const std::string_view mnemonic = Columns(line, 0, 5);
        if (mnemonic.empty()) {
            continue;
        }
        if (entries.size() >= static_cast<std::size_t>(kMaxZoneMnemonics)) {
            dropped = true;
            break;
        }
        entries.push_back({UpperAscii(Windows1252ToUtf8(mnemonic)),
                           Windows1252ToUtf8(Columns(line, 5, 30)),
                           Windows1252ToUtf8(Columns(line, 35, 6))});
    }
    if (too_many != nullptr) {
        *too_many = dropped;
    }
    return entries;
}

Status LoadZoneMnemonics(const std::filesystem::path& path) {
    const StatusOr<std::string> bytes = ReadFileLimited(path, kMaxFileBytes);
    if (!bytes.ok()) {
        return {bytes.status().code(),
                "Timezone file " + path.string() +
                    (bytes.status().code() == StatusCode::kDamaged ? " is damaged."
                                                                   : " could not be read."),
                "Error", path};
    }
    bool too_many = false;
    ZoneMnemonicTable& table = CurrentSession().Get<ZoneMnemonicTable>();
    table.entries = ParseZoneMnemonics(*bytes, &too_many);
    table.loaded = true;
    if (too_many) {
        const std::string first = "Timezone file " + path.string() + " has too many entries.";
        const std::string second = "Current limit is " + std::to_string(kMaxZoneMnemonics);
        ShowMessage(JoinLines({first, second, "Entries beyond this number have been ignored."}),
                    kExclamation, "Too Many Time Zones");
    }
    return Status::Ok();
}

std::filesystem::path ZoneMnemonicFilePath() {
    const Folders& folders = CurrentSession().folders();
    std::filesystem::path user = folders.user_files / kZoneMnemonicFolder / kZoneMnemonicFile;
    std::error_code ec;
    if (!folders.user_files.empty() && std::filesystem::is_regular_file(user, ec)) {
        return user;
    }
    return folders.program / kZoneMnemonicFolder / kZoneMnemonicFile;
}

const ZoneMnemonic* FindZoneMnemonic(std::string_view text) {
    const std::string wanted = UpperAscii(Trim(text));
    if (wanted.empty()) {
        return nullptr;
    }
    for (const ZoneMnemonic& entry : ZoneMnemonics().entries) {
        if (entry.mnemonic == wanted) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace meridia::startup
