#include "places/zone_tables.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <tuple>

#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::places {

namespace {

constexpr std::string_view kLookupError = "Error encountered during time zone lookup.";
constexpr std::string_view kSaveError = "Unable to save changes to time zone table.";
constexpr std::string_view kIndexDamaged = "The time zone index file is damaged.";
constexpr std::string_view kTablesDamaged = "The time zone tables file is damaged.";
constexpr std::string_view kListDamaged = "The time zone list file is damaged.";

// Fixed zone codes lie in -43200..-1: units = code + 21600 within +-24 hours.
constexpr std::int32_t kLowestFixedCode = -2 * kFixedZoneBias;
constexpr int kMaxZoneUnits = 24 * kZoneUnitsPerHour;

// A damaged file's status: the reason, then the file on a line of its own.
startup::Status Damaged(std::string_view reason, const std::filesystem::path& path) {
    return {startup::StatusCode::kDamaged, startup::JoinLines({reason, path.string()}), "Error",
            path};
}

startup::Status Missing(const std::filesystem::path& path) {
    return {startup::StatusCode::kNotFound,
            startup::JoinLines({"The time zone file could not be read.", path.string()}), "Error",
            path};
}

struct IndexEntry {
    std::int32_t table_number = 0;
    std::int32_t position = 0;  // 1-based byte position in the tables file
};

// The index entries, or nothing when the bytes are not a whole index.
std::optional<std::vector<IndexEntry>> ParseIndex(std::string_view bytes) {
    startup::ByteReader reader(bytes);
    const std::int32_t count = reader.I32();
    if (!reader.ok() || count < 0 ||
        static_cast<std::size_t>(count) > (reader.size() - 4) / kZoneIndexEntrySize) {
        return std::nullopt;
    }
    std::vector<IndexEntry> entries(static_cast<std::size_t>(count));
    for (auto& entry : entries) {
        entry.table_number = reader.I32();
        entry.position = reader.I32();
    }
    return entries;
}

// Reads the table whose header starts at a 1-based position; nothing when it does not fit.
std::optional<ZoneTable> ParseTableAt(std::string_view bin, std::int32_t position) {
    if (position < 1) {
        return std::nullopt;
    }
    startup::ByteReader reader(bin);
    if (!reader.Seek(static_cast<std::size_t>(position - 1)) || !reader.Has(kZoneTableHeaderSize)) {
        return std::nullopt;
    }
    ZoneTable table;
    table.header.table_number = reader.I32();
    table.header.next_table = reader.I32();
    const std::int32_t count = reader.I32();
    table.header.name = reader.Text(kZoneTableNameWidth);
    if (count < 0 || !reader.Has(static_cast<std::size_t>(count) * kZoneTableEntrySize)) {
        return std::nullopt;
    }
    table.entries.resize(static_cast<std::size_t>(count));
    for (auto& entry : table.entries) {
        entry.zone_code = reader.I32();
        entry.year = reader.I16();
        entry.month_day = reader.I16();
        entry.hour_minute = reader.I16();
        if (entry.zone_code < kLowestFixedCode) {
            return std::nullopt;  // a fixed zone beyond 24 hours
        }
    }
    return table;
}

// Reads only the table at a 1-based position of the tables file: its header, then as many
// entries as the header counts once they are known to fit in the file.
std::optional<ZoneTable> ReadTableAt(const std::filesystem::path& bin_path, std::int32_t position) {
    if (position < 1) {
        return std::nullopt;
    }
    const auto offset = static_cast<std::uintmax_t>(position - 1);
    auto bytes = startup::ReadFileRange(bin_path, offset, kZoneTableHeaderSize);
    if (!bytes) {
        return std::nullopt;
    }
    startup::ByteReader header(*bytes);
    header.Seek(8);
    const std::int32_t count = header.I32();
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(bin_path, ec);
    if (ec || count < 0 ||
        static_cast<std::uintmax_t>(count) >
            (size - offset - kZoneTableHeaderSize) / kZoneTableEntrySize) {
        return std::nullopt;
    }
    const auto entries =
        startup::ReadFileRange(bin_path, offset + kZoneTableHeaderSize,
                               static_cast<std::size_t>(count) * kZoneTableEntrySize);
    if (!entries) {
        return std::nullopt;
    }
    *bytes += *entries;
    return ParseTableAt(*bytes, 1);
}

std::optional<std::vector<ZoneListEntry>> ParseZoneList(std::string_view bytes) {
    startup::ByteReader reader(bytes);
    const std::int32_t count = reader.I32();
    if (!reader.ok() || count < 0 ||
        static_cast<std::size_t>(count) > (reader.size() - 4) / kZoneListEntrySize) {
        return std::nullopt;
    }
    std::vector<ZoneListEntry> list(static_cast<std::size_t>(count));
    for (auto& entry : list) {
        entry.code = reader.I32();
        entry.units = reader.I16();
        entry.mnemonic = reader.Text(kZoneMnemonicWidth);
        if (entry.units < -kMaxZoneUnits || entry.units > kMaxZoneUnits) {
            return std::nullopt;  // a zone beyond 24 hours
        }
    }
    return list;
}

void AppendTable(startup::ByteWriter& bin, const ZoneTable& table) {
    bin.I32(table.header.table_number);
    bin.I32(table.header.next_table);
    bin.I32(static_cast<std::int32_t>(table.entries.size()));
    bin.Text(table.header.name, kZoneTableNameWidth);
    for (const auto& entry : table.entries) {
        bin.I32(entry.zone_code);
        bin.I16(entry.year);
        bin.I16(entry.month_day);
        bin.I16(entry.hour_minute);
    }
}

void AppendIndexEntry(startup::ByteWriter& ndx, std::int32_t number, std::size_t offset) {
    ndx.I32(number);
    ndx.I32(static_cast<std::int32_t>(offset + 1));
}

// The lookup's read-error message: the reason, the file on a line of its own, then the
// lookup's own line.
void ShowLookupError(std::string_view reason, const std::filesystem::path& path) {
    startup::ShowMessage(startup::JoinLines({reason, path.string(), kLookupError}),
                         startup::kCritical, "Error");
}

bool MomentBefore(const LocalMoment& moment, const ZoneTableEntry& entry) {
    const auto moment_key =
        std::make_tuple(moment.year, moment.month, moment.day, moment.hour, moment.minute);
    const auto entry_key =
        std::make_tuple(static_cast<int>(entry.year), entry.month_day / 100, entry.month_day % 100,
                        entry.hour_minute / 100, entry.hour_minute % 100);
    return moment_key < entry_key;
}

}  // namespace

std::filesystem::path PlacesFolder() {
    return startup::CurrentSession().folders().user_files / "Places";
}

std::filesystem::path ZoneTablePath(const std::filesystem::path& folder, std::string_view ext) {
    return folder / ("tztable" + std::string(ext));
}

ZoneLookupStatus LookupZone(int table_number, const LocalMoment& moment, double longitude,
                            ZoneResult& zone) {
    return LookupZone(PlacesFolder(), table_number, moment, longitude, zone);
}

ZoneLookupStatus LookupZone(const std::filesystem::path& folder, int table_number,
                            const LocalMoment& moment, double longitude, ZoneResult& zone) {
    const std::filesystem::path bin_path = ZoneTablePath(folder, ".bin");
    std::error_code ec;
    const auto ndx = startup::ReadFileBytes(ZoneTablePath(folder, ".ndx"), kMaxZoneTableFileBytes);
    if (!std::filesystem::is_regular_file(bin_path, ec) || !ndx) {
        zone.uncertain = true;
        return ZoneLookupStatus::kNoFiles;
    }
    zone.uncertain = false;
    const auto index = ParseIndex(*ndx);
    if (!index) {
        ShowLookupError(kIndexDamaged, ZoneTablePath(folder, ".ndx"));
        zone.uncertain = true;
        return ZoneLookupStatus::kReadError;
    }

    std::optional<ZoneTableEntry> previous;
    bool uncertain = false;
    int current = table_number;
    // A chain can visit each table at most once; more steps mean a loop in damaged files.
    std::size_t steps_left = index->size();
    bool done = false;
    while (!done) {
        const auto found = std::find_if(index->begin(), index->end(), [current](const auto& e) {
            return e.table_number == current;
        });
        if (found == index->end()) {
            // A table missing from the index, the asked one or one a chain leads to, gives no
            // result: the zone stays as it was.
            return ZoneLookupStatus::kNotInIndex;
        }
        const auto table = ReadTableAt(bin_path, found->position);
        if (!table || steps_left == 0) {
            ShowLookupError(kTablesDamaged, bin_path);
            zone.uncertain = true;
            return ZoneLookupStatus::kReadError;
        }
        --steps_left;
        if (table->entries.empty()) {
            // Only damaged files chain into an empty table: the lookup ends there with the
            // entries seen so far, and the answer is marked uncertain.
            uncertain = true;
            break;
        }
        for (std::size_t i = 0; i < table->entries.size(); ++i) {
            const ZoneTableEntry& entry = table->entries[i];
            if (MomentBefore(moment, entry)) {
                done = true;
                break;
            }
            previous = entry;
            if (i + 1 == table->entries.size()) {
                const std::int32_t next = table->header.next_table;
                if (next == kTableEnd || next < 0) {
                    uncertain = next < 0;
                    done = true;
                } else {
                    current = next;
                }
            }
        }
    }

    if (!previous) {
        const double units = std::round(longitude * 60.0);
        zone.hours = units / kZoneUnitsPerHour;
        zone.mnemonic = "LMT";
        zone.uncertain = uncertain;
        return ZoneLookupStatus::kFound;
    }
    zone.uncertain = uncertain;
    if (previous->zone_code < 0) {
        zone.hours = static_cast<double>(previous->zone_code + kFixedZoneBias) / kZoneUnitsPerHour;
        zone.mnemonic.clear();
        return ZoneLookupStatus::kFound;
    }
    const auto lst = startup::ReadFileBytes(ZoneTablePath(folder, ".lst"), kMaxZoneTableFileBytes);
    if (!lst) {
        return ZoneLookupStatus::kUnknownCode;
    }
    const auto list = ParseZoneList(*lst);
    if (!list) {
        ShowLookupError(kListDamaged, ZoneTablePath(folder, ".lst"));
        zone.uncertain = true;
        return ZoneLookupStatus::kReadError;
    }
    for (const auto& item : *list) {
        if (item.code == previous->zone_code) {
            zone.hours = static_cast<double>(item.units) / kZoneUnitsPerHour;
            zone.mnemonic = startup::Trim(item.mnemonic);
            return ZoneLookupStatus::kFound;
        }
    }
    return ZoneLookupStatus::kUnknownCode;
}

namespace {

// The index and the tables file, both read whole.
struct ZoneTableFiles {
    std::vector<IndexEntry> index;
    std::string bin;
};

startup::StatusOr<ZoneTableFiles> ReadIndexAndTables(const std::filesystem::path& folder) {
    const std::filesystem::path ndx_path = ZoneTablePath(folder, ".ndx");
    const std::filesystem::path bin_path = ZoneTablePath(folder, ".bin");
    const auto ndx = startup::ReadFileBytes(ndx_path, kMaxZoneTableFileBytes);
    if (!ndx) {
        return Missing(ndx_path);
    }
    auto bin = startup::ReadFileBytes(bin_path, kMaxZoneTableFileBytes);
    if (!bin) {
        return Missing(bin_path);
    }
    auto index = ParseIndex(*ndx);
    if (!index) {
        return Damaged(kIndexDamaged, ndx_path);
    }
    return ZoneTableFiles{std::move(*index), std::move(*bin)};
}

}  // namespace

startup::StatusOr<std::vector<ZoneTableListItem>> ListZoneTables(
    const std::filesystem::path& folder) {
    const auto files = ReadIndexAndTables(folder);
    if (!files.ok()) {
        return files.status();
    }
    std::vector<ZoneTableListItem> items;
    for (const auto& entry : files->index) {
        const auto table = ParseTableAt(files->bin, entry.position);
        if (!table) {
            return Damaged(kTablesDamaged, ZoneTablePath(folder, ".bin"));
        }
        items.push_back({std::string(startup::Trim(table->header.name)) + " - #" +
                             std::to_string(entry.table_number),
                         entry.table_number});
    }
    return items;
}

startup::StatusOr<ZoneTable> ReadZoneTable(const std::filesystem::path& folder, int table_number) {
    const auto files = ReadIndexAndTables(folder);
    if (!files.ok()) {
        return files.status();
    }
    for (const auto& entry : files->index) {
        if (entry.table_number == table_number) {
            auto table = ParseTableAt(files->bin, entry.position);
            if (!table) {
                return Damaged(kTablesDamaged, ZoneTablePath(folder, ".bin"));
            }
            return std::move(*table);
        }
    }
    return startup::Status(startup::StatusCode::kNotFound,
                           "There is no time zone table " + std::to_string(table_number) + ".",
                           "Error", ZoneTablePath(folder, ".ndx"));
}

startup::StatusOr<std::vector<ZoneListEntry>> ReadZoneList(const std::filesystem::path& folder) {
    const std::filesystem::path path = ZoneTablePath(folder, ".lst");
    const auto lst = startup::ReadFileBytes(path, kMaxZoneTableFileBytes);
    if (!lst) {
        return Missing(path);
    }
    auto list = ParseZoneList(*lst);
    if (!list) {
        return Damaged(kListDamaged, path);
    }
    return std::move(*list);
}

std::optional<int> SaveZoneTable(const std::filesystem::path& folder, const ZoneTable& table) {
    const auto fail = [] {
        startup::ShowMessage(kSaveError, startup::kCritical, "Error");
        return std::optional<int>();
    };
    // Missing files count as an empty set of tables; damaged ones stop the save.
    std::vector<IndexEntry> old_index;
    std::string old_bin;
    const auto ndx = startup::ReadFileBytes(ZoneTablePath(folder, ".ndx"), kMaxZoneTableFileBytes);
    const auto bin = startup::ReadFileBytes(ZoneTablePath(folder, ".bin"), kMaxZoneTableFileBytes);
    if (ndx) {
        auto parsed = ParseIndex(*ndx);
        if (!parsed || !bin) {
            return fail();
        }
        old_index = std::move(*parsed);
        old_bin = *bin;
    }

    const bool is_new = table.header.table_number < 1;
    const bool has_entries = !table.entries.empty();
    std::int32_t number = table.header.table_number;
    ZoneTable edited = table;
    startup::ByteWriter new_ndx;
    startup::ByteWriter new_bin;
    bool written = false;
    int saved_number = 0;

    for (const auto& entry : old_index) {
        if (!written && !is_new && entry.table_number >= number) {
            if (has_entries) {
                AppendIndexEntry(new_ndx, number, new_bin.size());
                AppendTable(new_bin, edited);
                saved_number = number;
            }
            written = true;
        }
        if (entry.table_number != number) {
            auto old_table = ParseTableAt(old_bin, entry.position);
            if (!old_table) {
                return fail();
            }
            AppendIndexEntry(new_ndx, entry.table_number, new_bin.size());
            AppendTable(new_bin, *old_table);
        }
    }
    if (is_new && has_entries) {
        number = old_index.empty() ? 1 : old_index.back().table_number + 1;
        edited.header.table_number = number;
        AppendIndexEntry(new_ndx, number, new_bin.size());
        AppendTable(new_bin, edited);
        saved_number = number;
    } else if (!written && !is_new && has_entries) {
        // A table numbered after every table of the index goes at the end.
        AppendIndexEntry(new_ndx, number, new_bin.size());
        AppendTable(new_bin, edited);
        saved_number = number;
    }
    // The count is that of the entries written: an index out of order (or with a number twice)
    // drops the edited table's old entries wherever they stood.
    startup::ByteWriter ndx_bytes;
    ndx_bytes.I32(static_cast<std::int32_t>(new_ndx.size() / kZoneIndexEntrySize));
    ndx_bytes.Raw(new_ndx.bytes());

    // Both files are written before either takes its name; the tables go first.
    auto new_ndx_file =
        startup::PendingFile::Prepare(ZoneTablePath(folder, ".ndx"), ndx_bytes.bytes());
    auto new_bin_file =
        startup::PendingFile::Prepare(ZoneTablePath(folder, ".bin"), new_bin.bytes());
    if (!new_ndx_file.ok() || !new_bin_file.ok() || !new_bin_file->Commit().ok()) {
        return fail();
    }
    if (!new_ndx_file->Commit().ok()) {
        // The old index stays: put the old tables back under it so that the pair still fits.
        if (bin) {
            startup::WriteFileSafely(ZoneTablePath(folder, ".bin"), *bin,
                                     startup::WriteOptions::CreatingFolders());
        } else {
            std::error_code ec;
            std::filesystem::remove(ZoneTablePath(folder, ".bin"), ec);
        }
        return fail();
    }
    return saved_number;
}

bool WriteZoneTableFiles(const std::filesystem::path& folder,
                         const std::vector<ZoneListEntry>& zone_list,
                         const std::vector<ZoneTable>& tables) {
    startup::ByteWriter lst;
    lst.I32(static_cast<std::int32_t>(zone_list.size()));
    for (const auto& entry : zone_list) {
        lst.I32(entry.code);
        lst.I16(entry.units);
        lst.Text(entry.mnemonic, kZoneMnemonicWidth);
    }
    std::vector<const ZoneTable*> sorted;
    sorted.reserve(tables.size());
    for (const auto& table : tables) {
        sorted.push_back(&table);
    }
    std::sort(sorted.begin(), sorted.end(), [](const ZoneTable* a, const ZoneTable* b) {
        return a->header.table_number < b->header.table_number;
    });
    startup::ByteWriter ndx;
    startup::ByteWriter bin;
    ndx.I32(static_cast<std::int32_t>(sorted.size()));
    for (const ZoneTable* table : sorted) {
        AppendIndexEntry(ndx, table->header.table_number, bin.size());
        AppendTable(bin, *table);
    }
    // All three files are written before any takes its name.
    auto lst_file = startup::PendingFile::Prepare(ZoneTablePath(folder, ".lst"), lst.bytes(),
                                                  startup::WriteOptions::CreatingFolders());
    auto bin_file = startup::PendingFile::Prepare(ZoneTablePath(folder, ".bin"), bin.bytes(),
                                                  startup::WriteOptions::CreatingFolders());
    auto ndx_file = startup::PendingFile::Prepare(ZoneTablePath(folder, ".ndx"), ndx.bytes(),
                                                  startup::WriteOptions::CreatingFolders());
    return lst_file.ok() && bin_file.ok() && ndx_file.ok() && lst_file->Commit().ok() &&
           bin_file->Commit().ok() && ndx_file->Commit().ok();
}

std::optional<std::filesystem::path> DumpZoneTables(const std::filesystem::path& folder) {
    const int answer = startup::ShowMessage("Dump entire set of zone tables to ascii file?",
                                            startup::kYesNo + startup::kQuestion, "Dump Tables?");
    if (answer != startup::kAnswerYes) {
        return std::nullopt;
    }
    const auto bin = startup::ReadFileBytes(ZoneTablePath(folder, ".bin"), kMaxZoneTableFileBytes);
    const auto ndx = startup::ReadFileBytes(ZoneTablePath(folder, ".ndx"), kMaxZoneTableFileBytes);
    const auto index = ndx ? ParseIndex(*ndx) : std::nullopt;
    if (!bin || !index) {
        ShowLookupError(kIndexDamaged, ZoneTablePath(folder, ".ndx"));
        return std::nullopt;
    }
    auto read_list = ReadZoneList(folder);
    const std::vector<ZoneListEntry> list =
        read_list.ok() ? std::move(*read_list) : std::vector<ZoneListEntry>{};
    const auto quoted = [](std::string_view text) { return '"' + std::string(text) + '"'; };
    std::string text;
    for (const auto& item : *index) {
        const auto table = ParseTableAt(*bin, item.position);
        if (!table) {
            ShowLookupError(kTablesDamaged, ZoneTablePath(folder, ".bin"));
            return std::nullopt;
        }
        text += quoted(startup::Trim(table->header.name)) + ',' +
                std::to_string(item.table_number) + ',' + std::to_string(table->header.next_table) +
                "\r\n";
        for (const auto& entry : table->entries) {
            // Codes of 1 and more name the zone-list entry at that position.
            const auto code = entry.zone_code;
            if (code >= 1 && static_cast<std::size_t>(code) <= list.size()) {
                text += quoted(startup::Trim(list[static_cast<std::size_t>(code) - 1].mnemonic));
            } else {
                // Widened first: a damaged file may hold any 32-bit code.
                text += std::to_string(static_cast<std::int64_t>(code) + kFixedZoneBias);
            }
            text += ',' + std::to_string(entry.year) + ',' + std::to_string(entry.month_day) + ',' +
                    std::to_string(entry.hour_minute) + "\r\n";
        }
        text += table->header.next_table == kTableContinues ? "\"CONT\"\r\n" : "\"END\"\r\n";
    }
    const auto path = ZoneTablePath(folder, ".asc");
    if (const startup::Status written = startup::WriteFileSafely(
            path, startup::Utf8ToWindows1252(text), startup::WriteOptions::CreatingFolders());
        !written.ok()) {
        written.Show(startup::kCritical);
        return std::nullopt;
    }
    return path;
}

}  // namespace meridia::places
