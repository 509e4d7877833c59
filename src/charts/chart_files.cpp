#include "charts/chart_files.h"

#include <algorithm>
#include <system_error>

#include "astro/time_scales.h"
#include "charts/chart_record_io.h"
#include "charts/comment_store.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::charts {

using startup::ByteReader;
using startup::ByteWriter;

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProductName = "Meridia";
// Smallest sizes of a chart and of an event in a current-format file: used to bound the
// counts read from a file before anything is allocated.
constexpr std::size_t kMinChartEntrySize = kChartRecordSize + 4 + 4;
constexpr std::size_t kMinEventSize = kChartDataSize + 4;

using startup::Status;
using startup::StatusCode;
using startup::StatusOr;

Status ReadError(StatusCode code, const fs::path& file_name) {
    return {code, "Error whilst attempting to read chart file: " + file_name.string(),
            std::string(kProductName), file_name};
}

Status RecordReadError(StatusCode code, const fs::path& file_name, int n) {
    return {code, "An error occurred whilst reading chart file record " + std::to_string(n),
            std::string(kProductName), file_name};
}

// A file that is missing or cannot be opened at all: the caller reports it or not (nothing
// is shown here).
bool CannotBeOpened(StatusCode code) {
    return code == StatusCode::kNotFound || code == StatusCode::kUnreadable;
}

// The failed opening of a file: a damaged file shows the read-error message; one that cannot
// be opened at all is only reported back.
OpenedChartFile FailedOpening(const fs::path& file_name, StatusCode code) {
    OpenedChartFile failed;
    if (CannotBeOpened(code)) {
        failed.status =
            Status(code, "Cannot open chart file: " + file_name.string(), {}, file_name);
    } else {
        failed.status = ReadError(code, file_name);
        failed.status.Show(startup::kCritical);
    }
    return failed;
}

fs::path CacheKey(const fs::path& file_name) {
    std::error_code ec;
    fs::path absolute = fs::absolute(file_name, ec);
    return (ec ? file_name : absolute).lexically_normal();
}

ChartFileCacheEntry* Entry(int handle) {
    auto& entries = Cache().entries;
    if (handle < 1 || static_cast<std::size_t>(handle) > entries.size()) {
        return nullptr;
    }
    ChartFileCacheEntry& entry = entries[static_cast<std::size_t>(handle - 1)];
    return entry.in_use ? &entry : nullptr;
}

ChartFileCache::OldFile* OldEntry(int version, int handle) {
    auto& files = Cache().old_files;
    if (handle < 1 || static_cast<std::size_t>(handle) > files.size()) {
        return nullptr;
    }
    ChartFileCache::OldFile& file = files[static_cast<std::size_t>(handle - 1)];
    return file.in_use && file.version == version ? &file : nullptr;
}

StoredChart* CachedChart(int handle, int n) {
    ChartFileCacheEntry* entry = Entry(handle);
    if (entry == nullptr || n < 1 || static_cast<std::size_t>(n) > entry->image.charts.size()) {
        return nullptr;
    }
    return &entry->image.charts[static_cast<std::size_t>(n - 1)];
}

// Layout of the fixed-record formats.
struct OldLayout {
    std::size_t record_size = 0;
    std::size_t header_size = 0;  // bytes before chart 1
};

OldLayout LayoutOf(int version) {
    switch (version) {
        case kVersion0:
            return {kVersion0RecordSize, 0};
        case kVersion1:
            return {kVersion1RecordSize, kVersion1RecordSize};
        case kVersion2:
            return {kChartRecordSize, kChartRecordSize};
        case kVersionTessel:
            return {kTesselChartSize, kTesselBlockSize};
        default:
            return {};
    }
}

std::uintmax_t FileSize(const fs::path& path) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

int OldChartCount(int version, std::uintmax_t size) {
    const OldLayout layout = LayoutOf(version);
    if (layout.record_size == 0) {
        return 0;
    }
    long long n = 0;
    if (version == kVersionTessel) {
        n = (static_cast<long long>(size / kTesselBlockSize) - 1) / 3;
    } else {
        n = static_cast<long long>(size / layout.record_size);
        if (version != kVersion0) {
            n -= 1;
        }
    }
    return static_cast<int>(std::clamp<long long>(n, 0, 0x7FFFFFFF));
}

// Rewrites the file with `bytes` placed at `offset` (the file grows when needed). The whole
// file goes through a temporary file, so a failed write leaves the old file.
bool PatchFile(const fs::path& path, std::uintmax_t offset, std::string_view bytes) {
    auto content = startup::ReadFileBytes(path, kMaxChartFileBytes);
    if (!content || offset + bytes.size() > kMaxChartFileBytes) {
        return false;
    }
    const auto at = static_cast<std::size_t>(offset);
    if (content->size() < at + bytes.size()) {
        content->resize(at + bytes.size(), '\0');
    }
    content->replace(at, bytes.size(), bytes);
    return startup::WriteFileSafely(path, *content).ok();
}

std::uintmax_t OldRecordOffset(int version, int n) {
    const OldLayout layout = LayoutOf(version);
    return layout.header_size + static_cast<std::uintmax_t>(n - 1) * layout.record_size;
}

float CurrentUserSvp() {
    return static_cast<float>(startup::CurrentSession().settings().GetDouble("UserSVP"));
}

astro::ChartRecord DecodeOldRecord(int version, std::string_view bytes, float user_svp) {
    switch (version) {
        case kVersion0:
            return DecodeVersion0Record(bytes, user_svp);
        case kVersion1:
            return DecodeVersion1Record(bytes);
        case kVersion2:
            return DecodeChartRecord(bytes);
        default:
            return DecodeTesselChart(bytes);
    }
}

StatusOr<astro::ChartRecord> ReadOldRecord(const fs::path& path, int version, int n) {
    if (n < 1 || n > OldChartCount(version, FileSize(path))) {
        return RecordReadError(StatusCode::kNotFound, path, n);
    }
    const auto bytes =
        startup::ReadFileRange(path, OldRecordOffset(version, n), LayoutOf(version).record_size);
    if (!bytes) {
        // The count promised the record: the file has changed or is damaged.
        return RecordReadError(StatusCode::kDamaged, path, n);
    }
    astro::ChartRecord record = DecodeOldRecord(version, *bytes, CurrentUserSvp());
    if (!IsChartRecordInRange(record)) {
        return RecordReadError(StatusCode::kOutOfRange, path, n);
    }
    return record;
}

// Checks a fixed-record file before it is used: its size must hold what its header holds (the
// version and the description of versions 1 and 2, the description at the start of the block
// format's header block). A file too short for that is not a chart file and is refused rather
// than read as one. Version 0 has neither header nor version number; its records are checked
// one by one when they are read.
StatusCode CheckOldChartFile(const fs::path& path, int version) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        return StatusCode::kUnreadable;
    }
    if (size > kMaxChartFileBytes) {
        return StatusCode::kDamaged;
    }
    if (version == kVersion0) {
        // Version 0 has no header: any first two bytes other than 1, 2 and 3 mean it. A file
        // that is not a whole number of its records, or whose first record holds no chart data, is
        // something else and is not decoded as charts.
        if (size % kVersion0RecordSize != 0) {
            return StatusCode::kDamaged;
        }
        if (size == 0) {
            return StatusCode::kOk;
        }
        const auto first = startup::ReadFileRange(path, 0, kVersion0RecordSize);
        if (!first || first->size() != kVersion0RecordSize) {
            return StatusCode::kUnreadable;
        }
        return IsChartDataInRange(DecodeVersion0Record(*first, 0.0F).data) ? StatusCode::kOk
                                                                           : StatusCode::kDamaged;
    }
    std::uintmax_t header = 0;
    if (version == kVersion1 || version == kVersion2) {
        header = 2 + kDescriptionWidth;
    } else if (version == kVersionTessel) {
        header = kDescriptionWidth;
    }
    return size < header ? StatusCode::kDamaged : StatusCode::kOk;
}

std::string EncodeForVersion(int version, const astro::ChartRecord& record) {
    switch (version) {
        case kVersion1:
            return EncodeVersion1Record(record);
        case kVersion2:
            return EncodeChartRecord(record);
        default:
            return EncodeTesselChart(record);
    }
}

void WriteChartDataWithComment(ByteWriter& w, const astro::ChartData& data,
                               const std::string& comment) {
    w.Raw(EncodeChartData(data));
    const std::string ansi = startup::Utf8ToWindows1252(comment);
    w.I32(static_cast<std::int32_t>(ansi.size()));
    w.Raw(ansi);
}

// A length or count read from the file: negative or larger than what is left is damage.
bool ReadCount(ByteReader& r, std::size_t unit, std::int32_t& count) {
    count = r.I32();
    return r.ok() && count >= 0 && static_cast<std::size_t>(count) <= r.remaining() / unit;
}

bool ReadAnsiText(ByteReader& r, std::string& text) {
    std::int32_t length = 0;
    if (!ReadCount(r, 1, length)) {
        return false;
    }
    text = startup::Windows1252ToUtf8(r.Raw(static_cast<std::size_t>(length)));
    return r.ok();
}

// Decodes a current-format file. Anything its size cannot hold (a header, a count, a length)
// is damage; a record or an event whose values lie outside their ranges is refused.
StatusCode ParseCurrentFormat(std::string_view bytes, ChartFileImage& image) {
    ByteReader r(bytes);
    image.version = r.I16();
    image.description = r.Text(kDescriptionWidth);
    std::int32_t count = 0;
    if (!r.ok()) {
        return StatusCode::kDamaged;
    }
    if (image.version != kVersionCurrent) {
        return StatusCode::kWrongVersion;
    }
    if (!ReadCount(r, kMinChartEntrySize, count)) {
        return StatusCode::kDamaged;
    }
    image.charts.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < image.charts.size(); ++i) {
        StoredChart& chart = image.charts[i];
        const std::string_view record_bytes = r.Raw(kChartRecordSize);
        chart.record = DecodeChartRecord(record_bytes);
        chart.reserved = DecodeReservedFields(record_bytes);
        chart.record.comment_link = static_cast<std::int32_t>(i + 1);
        if (!r.ok()) {
            return StatusCode::kDamaged;
        }
        if (!IsChartRecordInRange(chart.record)) {
            return StatusCode::kOutOfRange;
        }
        std::int32_t events = 0;
        if (!ReadCount(r, kMinEventSize, events)) {
            return StatusCode::kDamaged;
        }
        chart.events.resize(static_cast<std::size_t>(events));
        for (ChartEvent& event : chart.events) {
            event.data = DecodeChartData(r.Raw(kChartDataSize));
            if (!ReadAnsiText(r, event.comment)) {
                return StatusCode::kDamaged;
            }
            if (!IsChartDataInRange(event.data)) {
                return StatusCode::kOutOfRange;
            }
        }
        // Events are kept in time order, whatever order another writer left them in.
        SortChartEvents(chart.events);
        if (!ReadAnsiText(r, chart.comment)) {
            return StatusCode::kDamaged;
        }
    }
    return StatusCode::kOk;
}

std::string EncodeCurrentFormat(const ChartFileImage& image) {
    ByteWriter w;
    w.I16(kVersionCurrent);
    w.Text(image.description, kDescriptionWidth);
    w.I32(static_cast<std::int32_t>(image.charts.size()));
    for (std::size_t i = 0; i < image.charts.size(); ++i) {
        const StoredChart& chart = image.charts[i];
        astro::ChartRecord record = chart.record;
        record.comment_link = static_cast<std::int32_t>(i + 1);
        w.Raw(EncodeChartRecord(record));
        w.I32(static_cast<std::int32_t>(chart.events.size()));
        for (const ChartEvent& event : chart.events) {
            WriteChartDataWithComment(w, event.data, event.comment);
        }
        const std::string ansi = startup::Utf8ToWindows1252(chart.comment);
        w.I32(static_cast<std::int32_t>(ansi.size()));
        w.Raw(ansi);
    }
    return w.Take();
}

std::string OldHeaderRecord(int version, std::string_view description) {
    ByteWriter w;
    w.I16(static_cast<std::int16_t>(version));
    w.Text(description, kDescriptionWidth);
    w.Zeros(LayoutOf(version).record_size - w.size());
    return w.Take();
}

void DropCacheEntry(const fs::path& file_name) {
    const fs::path key = CacheKey(file_name);
    for (ChartFileCacheEntry& entry : Cache().entries) {
        if (entry.in_use && CacheKey(entry.file_name) == key) {
            entry = ChartFileCacheEntry{};
        }
    }
}

ChartFileCacheEntry* FindCached(const fs::path& file_name, int* handle) {
    const fs::path key = CacheKey(file_name);
    auto& entries = Cache().entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].in_use && CacheKey(entries[i].file_name) == key) {
            *handle = static_cast<int>(i + 1);
            return &entries[i];
        }
    }
    return nullptr;
}

// Releases a handle taken only for reading. A current-format entry that was already open
// before (`was_open`) or holds changes stays loaded.
void ReleaseAfterReading(const OpenedChartFile& opened, bool was_open) {
    if (opened.version != kVersionCurrent) {
        CloseChartFile(opened.version, opened.handle);
        return;
    }
    ChartFileCacheEntry* entry = Entry(opened.handle);
    if (entry != nullptr && !was_open && !entry->modified) {
        *entry = ChartFileCacheEntry{};
    }
}

bool IsCached(const fs::path& file_name) {
    int handle = 0;
    return FindCached(file_name, &handle) != nullptr;
}

}  // namespace

ChartFileCache& Cache() { return startup::CurrentSession().Get<ChartFileCache>(); }

std::string ChartFileFormatName(int version) {
    switch (version) {
        case kVersionTessel:
            return "Tessel";
        case kVersion0:
            return "MDv1/2";
        case kVersion1:
            return "MDv3/4";
        case kVersion2:
            return "MDv5";
        case kVersionCurrent:
            return "MDv6/7";
        default:
            return "Unknown";
    }
}

fs::path CurrentFormatName(const fs::path& file_name) {
    if (startup::HasExtension(file_name, ".ch6") || startup::HasExtension(file_name, ".MDchx") ||
        startup::HasExtension(file_name, ".MDcht")) {
        return file_name;
    }
    fs::path out = file_name;
    out.replace_extension(".MDcht");
    return out;
}

fs::path CommentFileName(const fs::path& file_name) {
    fs::path out = file_name;
    out.replace_extension(".chm");
    return out;
}

fs::path ChartsFolder() { return startup::CurrentSession().folders().user_files / "Charts"; }

std::optional<fs::path> CurrentChartFile() {
    const auto& settings = startup::CurrentSession().settings();
    const fs::path current =
        ChartsFolder() / (settings.GetString("ChartFileName") + settings.GetString("ChartFileExt"));
    std::error_code error;
    if (!fs::is_regular_file(current, error)) {
        return std::nullopt;
    }
    return current;
}

std::optional<int> DetectChartFileVersion(const fs::path& file_name) {
    std::error_code ec;
    if (!fs::is_regular_file(file_name, ec)) {
        return std::nullopt;
    }
    if (startup::HasExtension(file_name, ".tsl")) {
        return kVersionTessel;
    }
    const auto head = startup::ReadFileRange(file_name, 0, 2);
    if (!head) {
        return kVersion0;
    }
    ByteReader r(*head);
    const std::int16_t value = r.I16();
    return value == kVersion1 || value == kVersion2 || value == kVersionCurrent ? value : kVersion0;
}

StatusOr<ChartFileImage> LoadChartFileImage(const fs::path& file_name) {
    const auto bytes =
        startup::ReadFileLimited(file_name, static_cast<std::size_t>(kMaxChartFileBytes));
    if (!bytes.ok()) {
        return ReadError(bytes.status().code(), file_name);
    }
    ChartFileImage image;
    const StatusCode code = ParseCurrentFormat(*bytes, image);
    if (code != StatusCode::kOk) {
        return ReadError(code, file_name);
    }
    return image;
}

OpenedChartFile OpenChartFile(const fs::path& file_name) {
    ChartFileCache& cache = Cache();
    int handle = 0;
    if (ChartFileCacheEntry* entry = FindCached(file_name, &handle)) {
        cache.current_version = kVersionCurrent;
        return {handle, static_cast<int>(entry->image.charts.size()), kVersionCurrent, {}};
    }
    const auto version = DetectChartFileVersion(file_name);
    if (!version) {
        return FailedOpening(file_name, StatusCode::kNotFound);
    }
    if (*version == kVersionCurrent) {
        // The file is loaded under the name it was found by, whatever its extension.
        const fs::path& name = file_name;
        auto image = LoadChartFileImage(name);
        if (!image.ok()) {
            return FailedOpening(file_name, image.status().code());
        }
        cache.current_version = *version;
        ChartFileCacheEntry entry;
        entry.file_name = name;
        entry.in_use = true;
        entry.image = std::move(*image);
        const int count = static_cast<int>(entry.image.charts.size());
        auto& entries = cache.entries;
        auto free_slot = std::find_if(entries.begin(), entries.end(),
                                      [](const ChartFileCacheEntry& e) { return !e.in_use; });
        if (free_slot == entries.end()) {
            entries.push_back(std::move(entry));
            handle = static_cast<int>(entries.size());
        } else {
            *free_slot = std::move(entry);
            handle = static_cast<int>(free_slot - entries.begin()) + 1;
        }
        return {handle, count, kVersionCurrent, {}};
    }
    if (const StatusCode code = CheckOldChartFile(file_name, *version); code != StatusCode::kOk) {
        return FailedOpening(file_name, code);
    }
    cache.current_version = *version;
    ChartFileCache::OldFile file{file_name, *version, true};
    auto& files = cache.old_files;
    auto free_slot = std::find_if(files.begin(), files.end(),
                                  [](const ChartFileCache::OldFile& f) { return !f.in_use; });
    if (free_slot == files.end()) {
        files.push_back(file);
        handle = static_cast<int>(files.size());
    } else {
        *free_slot = file;
        handle = static_cast<int>(free_slot - files.begin()) + 1;
    }
    return {handle, OldChartCount(*version, FileSize(file_name)), *version, {}};
}

bool CloseChartFile(int version, int handle) {
    if (version == kVersionCurrent) {
        ChartFileCacheEntry* entry = Entry(handle);
        if (entry == nullptr) {
            return false;
        }
        if (entry->modified) {
            if (!SaveChartFileImage(entry->file_name, entry->image)) {
                return false;
            }
        }
        *entry = ChartFileCacheEntry{};
        return true;
    }
    ChartFileCache::OldFile* file = OldEntry(version, handle);
    if (file == nullptr) {
        return false;
    }
    *file = ChartFileCache::OldFile{};
    return true;
}

bool CreateChartFile(const fs::path& file_name, int version, std::string_view description) {
    std::string bytes;
    fs::path name = file_name;
    switch (version) {
        case kVersionCurrent: {
            name = CurrentFormatName(file_name);
            ChartFileImage image;
            image.description = description;
            bytes = EncodeCurrentFormat(image);
            break;
        }
        case kVersion1:
        case kVersion2: {
            ByteWriter w;
            w.I16(static_cast<std::int16_t>(version));
            w.Text(description, kDescriptionWidth);
            bytes = w.Take();
            break;
        }
        case kVersionTessel:
            bytes = startup::EncodeFixedText(description, kDescriptionWidth);
            bytes.resize(kTesselBlockSize, ' ');
            break;
        case kVersion0:
            break;
        default:
            return false;
    }
    DropCacheEntry(name);
    if (!startup::WriteFileSafely(name, bytes).ok()) {
        return false;
    }
    Cache().current_version = version;
    return true;
}

int ChartCount(int version, int handle) {
    if (version == kVersionCurrent) {
        const ChartFileCacheEntry* entry = Entry(handle);
        return entry == nullptr ? 0 : static_cast<int>(entry->image.charts.size());
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    return file == nullptr ? 0 : OldChartCount(version, FileSize(file->file_name));
}

fs::path ChartFilePath(int version, int handle) {
    if (version == kVersionCurrent) {
        const ChartFileCacheEntry* entry = Entry(handle);
        return entry == nullptr ? fs::path() : entry->file_name;
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    return file == nullptr ? fs::path() : file->file_name;
}

StatusOr<astro::ChartRecord> ReadChartRecord(int version, int handle, int n) {
    if (version == kVersionCurrent) {
        const StoredChart* chart = CachedChart(handle, n);
        if (chart == nullptr) {
            return RecordReadError(StatusCode::kNotFound, ChartFilePath(version, handle), n);
        }
        astro::ChartRecord record = chart->record;
        ClampChartType(record);
        return record;
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    if (file == nullptr) {
        return RecordReadError(StatusCode::kNotFound, {}, n);
    }
    return ReadOldRecord(file->file_name, version, n);
}

bool WriteChartRecord(int version, int handle, int n, const astro::ChartRecord& record) {
    if (version == kVersionCurrent) {
        ChartFileCacheEntry* entry = Entry(handle);
        if (entry == nullptr || n < 1) {
            return false;
        }
        auto& charts = entry->image.charts;
        if (static_cast<std::size_t>(n) > charts.size() + 1) {
            return false;
        }
        if (static_cast<std::size_t>(n) == charts.size() + 1) {
            charts.emplace_back();
        }
        StoredChart& chart = charts[static_cast<std::size_t>(n - 1)];
        chart.record = record;
        chart.record.comment_link = n;
        chart.reserved = ReservedFields{};
        entry->modified = true;
        return true;
    }
    if (version == kVersion0) {
        return false;
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    if (file == nullptr || n < 1 || n > OldChartCount(version, FileSize(file->file_name)) + 1) {
        return false;
    }
    return PatchFile(file->file_name, OldRecordOffset(version, n),
                     EncodeForVersion(version, record));
}

ReservedFields ReadChartReserved(int version, int handle, int n) {
    if (version == kVersionCurrent) {
        const StoredChart* chart = CachedChart(handle, n);
        return chart == nullptr ? ReservedFields{} : chart->reserved;
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    if (version != kVersion2 || file == nullptr || n < 1 ||
        n > OldChartCount(version, FileSize(file->file_name))) {
        return {};
    }
    const auto bytes =
        startup::ReadFileRange(file->file_name, OldRecordOffset(version, n), kChartRecordSize);
    return bytes ? DecodeReservedFields(*bytes) : ReservedFields{};
}

std::string ReadChartComments(int version, int handle, int n) {
    if (version == kVersionCurrent) {
        const StoredChart* chart = CachedChart(handle, n);
        return chart == nullptr ? std::string() : chart->comment;
    }
    if (version != kVersion1 && version != kVersion2) {
        return {};
    }
    const auto record = ReadChartRecord(version, handle, n);
    if (!record || record->comment_link <= 0) {
        return {};
    }
    return ReadChartComment(CommentFileName(ChartFilePath(version, handle)), record->comment_link);
}

bool WriteChartComments(int version, int handle, int n, std::string_view text) {
    if (version == kVersionCurrent) {
        StoredChart* chart = CachedChart(handle, n);
        if (chart == nullptr) {
            return false;
        }
        chart->comment = text;
        Entry(handle)->modified = true;
        return true;
    }
    if (version != kVersion1 && version != kVersion2) {
        return false;
    }
    auto record = ReadChartRecord(version, handle, n);
    if (!record) {
        return false;
    }
    const fs::path path = ChartFilePath(version, handle);
    // The raw link is needed: the decoded record keeps it as stored.
    std::int32_t link = record->comment_link;
    if (!WriteChartComment(CommentFileName(path), link, text)) {
        return false;
    }
    if (link == record->comment_link) {
        return true;
    }
    ByteWriter w;
    w.I32(link);
    const std::uintmax_t link_offset =
        OldRecordOffset(version, n) + (version == kVersion1 ? 106U : kCommentLinkOffset);
    return PatchFile(path, link_offset, w.bytes());
}

std::vector<ChartEvent> ReadChartEvents(int version, int handle, int n) {
    if (version != kVersionCurrent) {
        return {};
    }
    const StoredChart* chart = CachedChart(handle, n);
    return chart == nullptr ? std::vector<ChartEvent>() : chart->events;
}

bool WriteChartEvents(int version, int handle, int n, std::vector<ChartEvent> events) {
    if (version != kVersionCurrent) {
        return true;
    }
    StoredChart* chart = CachedChart(handle, n);
    if (chart == nullptr) {
        return false;
    }
    SortChartEvents(events);
    chart->events = std::move(events);
    Entry(handle)->modified = true;
    return true;
}

void SortChartEvents(std::vector<ChartEvent>& events) {
    if (events.size() < 2) {
        return;
    }
    std::stable_sort(events.begin(), events.end(), [](const ChartEvent& a, const ChartEvent& b) {
        return astro::JulianDayOfDateTime(a.data.date_time, a.data.calendar, a.data.zone.hours) <
               astro::JulianDayOfDateTime(b.data.date_time, b.data.calendar, b.data.zone.hours);
    });
}

std::string GetChartFileDescription(int version, int handle) {
    if (version == kVersionCurrent) {
        const ChartFileCacheEntry* entry = Entry(handle);
        return entry == nullptr ? std::string() : entry->image.description;
    }
    if (version == kVersion0) {
        return ChartFileFormatName(kVersion0);
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    if (file == nullptr) {
        return {};
    }
    const std::uintmax_t offset = version == kVersionTessel ? 0 : 2;
    const auto bytes = startup::ReadFileRange(file->file_name, offset, kDescriptionWidth);
    return bytes ? startup::DecodeFixedText(*bytes) : std::string();
}

bool SetChartFileDescription(int version, int handle, std::string_view description) {
    if (version == kVersionCurrent) {
        ChartFileCacheEntry* entry = Entry(handle);
        if (entry == nullptr) {
            return false;
        }
        entry->image.description =
            startup::DecodeFixedText(startup::EncodeFixedText(description, kDescriptionWidth));
        entry->modified = true;
        return true;
    }
    const ChartFileCache::OldFile* file = OldEntry(version, handle);
    if (file == nullptr || version == kVersion0) {
        return false;
    }
    const std::uintmax_t offset = version == kVersionTessel ? 0 : 2;
    return PatchFile(file->file_name, offset,
                     startup::EncodeFixedText(description, kDescriptionWidth));
}

bool SaveChartFileImage(const fs::path& file_name, const ChartFileImage& image) {
    if (image.version == kVersionCurrent) {
        return startup::WriteFileSafely(file_name, EncodeCurrentFormat(image),
                                        startup::WriteOptions::KeepingBackup())
            .ok();
    }
    if (image.version != kVersion1 && image.version != kVersion2) {
        return false;
    }
    std::string chm;
    ByteWriter w;
    w.Raw(OldHeaderRecord(image.version, image.description));
    for (const StoredChart& chart : image.charts) {
        astro::ChartRecord record = chart.record;
        record.comment_link = 0;
        StoreCommentChain(chm, record.comment_link, chart.comment);
        w.Raw(EncodeForVersion(image.version, record));
    }
    const fs::path chm_name = CommentFileName(file_name);
    std::error_code ec;
    const bool with_comments = !chm.empty() || fs::exists(chm_name, ec);
    // Both files are written before either takes its name.
    const auto options = startup::WriteOptions::KeepingBackup();
    auto records = startup::PendingFile::Prepare(file_name, w.bytes(), options);
    if (!records.ok()) {
        return false;
    }
    if (with_comments) {
        auto comments = startup::PendingFile::Prepare(chm_name, chm, options);
        if (!comments.ok() || !comments->Commit().ok()) {
            return false;
        }
    }
    return records->Commit().ok();
}

StatusOr<ChartFileImage> ReadChartFileImage(const fs::path& file_name) {
    const bool was_open = IsCached(file_name);
    const OpenedChartFile opened = OpenChartFile(file_name);
    if (opened.handle < 1) {
        return opened.status;
    }
    ChartFileImage image;
    image.version = opened.version;
    image.description = GetChartFileDescription(opened.version, opened.handle);
    Status failure;
    for (int n = 1; n <= opened.count; ++n) {
        auto record = ReadChartRecord(opened.version, opened.handle, n);
        if (!record.ok()) {
            failure = record.status();
            failure.Show(startup::kCritical);
            break;
        }
        StoredChart chart;
        chart.comment = ReadChartComments(opened.version, opened.handle, n);
        chart.events = ReadChartEvents(opened.version, opened.handle, n);
        chart.reserved = ReadChartReserved(opened.version, opened.handle, n);
        chart.record = std::move(*record);
        image.charts.push_back(std::move(chart));
    }
    ReleaseAfterReading(opened, was_open);
    if (!failure.ok()) {
        return failure;
    }
    return image;
}

bool DeleteCharts(const fs::path& file_name, const std::vector<int>& numbers) {
    auto image = ReadChartFileImage(file_name);
    if (!image || image->version == kVersion0 || image->version == kVersionTessel) {
        return false;
    }
    ChartFileImage kept = *image;
    kept.charts.clear();
    for (std::size_t i = 0; i < image->charts.size(); ++i) {
        const int n = static_cast<int>(i + 1);
        if (std::find(numbers.begin(), numbers.end(), n) == numbers.end()) {
            kept.charts.push_back(std::move(image->charts[i]));
        }
    }
    if (!SaveChartFileImage(file_name, kept)) {
        return false;
    }
    DropCacheEntry(file_name);
    return true;
}

ConvertResult ConvertChartFile(const fs::path& file_name, int source_version, int target_version) {
    ConvertResult result;
    if (target_version != kVersionCurrent ||
        (source_version != kVersion0 && source_version != kVersion1 &&
         source_version != kVersion2)) {
        return result;
    }
    std::error_code ec;
    const fs::path backup_folder = ChartsFolder() / "OldChart";
    fs::create_directories(backup_folder, ec);
    if (!fs::is_directory(backup_folder, ec)) {
        return result;
    }
    static constexpr std::string_view kBackupExt[] = {".ch2", ".ch4", ".ch5"};
    static constexpr std::string_view kCommentBackupExt[] = {"", ".chm", ".cm5"};
    const auto index = static_cast<std::size_t>(source_version);
    fs::path backup = backup_folder / file_name.filename();
    backup.replace_extension(std::string(kBackupExt[index]));
    if (!startup::CopyFileSafely(file_name, backup).ok()) {
        return result;
    }
    const fs::path comments = CommentFileName(file_name);
    const bool has_comments = source_version != kVersion0 && fs::exists(comments, ec);
    if (has_comments) {
        fs::path comment_backup = backup_folder / file_name.filename();
        comment_backup.replace_extension(std::string(kCommentBackupExt[index]));
        if (!startup::CopyFileSafely(comments, comment_backup).ok()) {
            return result;
        }
    }
    // Every chart is read before anything is written; the old file goes only at the end.
    auto image = ReadChartFileImage(file_name);
    if (!image || image->version != source_version) {
        return result;
    }
    image->version = kVersionCurrent;
    if (source_version == kVersion0) {
        image->description = ChartFileFormatName(kVersion0);
    }
    fs::path final_name = file_name;
    final_name.replace_extension(".MDcht");
    // An existing current-format file of the same name is never overwritten.
    if (fs::exists(final_name, ec)) {
        return result;
    }
    if (!startup::WriteFileSafely(final_name, EncodeCurrentFormat(*image)).ok()) {
        return result;
    }
    fs::remove(file_name, ec);
    if (has_comments) {
        fs::remove(comments, ec);
    }
    Cache().current_version = kVersionCurrent;
    result.status = 0;
    result.new_name = final_name;
    return result;
}

std::optional<fs::path> OfferChartFileConversion(const fs::path& file_name, int version) {
    const int answer = startup::ShowMessage(
        startup::JoinLines({"The selected file is not a v6/v7/v8 chart file:", file_name.string(),
                            "Do you wish to convert it to v6/v7/v8 format?"}),
        startup::kYesNo | startup::kExclamation, "Old Chart File Format");
    if (answer != startup::kAnswerYes) {
        return std::nullopt;
    }
    const ConvertResult result = ConvertChartFile(file_name, version, kVersionCurrent);
    if (result.status != 0) {
        startup::ShowMessage(
            "The selected chart file could not be converted to the required format.",
            startup::kExclamation, kProductName);
        return std::nullopt;
    }
    return result.new_name;
}

StatusOr<StoredChart> LoadChartByNumber(const fs::path& file_name, int n) {
    const bool was_open = IsCached(file_name);
    const OpenedChartFile opened = OpenChartFile(file_name);
    if (opened.handle < 1) {
        return opened.status;
    }
    auto record = ReadChartRecord(opened.version, opened.handle, n);
    if (!record.ok()) {
        ReleaseAfterReading(opened, was_open);
        if (record.status().code() != StatusCode::kNotFound) {
            record.status().Show(startup::kCritical);
        }
        return record.status();
    }
    StoredChart chart;
    chart.record = std::move(*record);
    chart.comment = ReadChartComments(opened.version, opened.handle, n);
    chart.events = ReadChartEvents(opened.version, opened.handle, n);
    ReleaseAfterReading(opened, was_open);
    return chart;
}

}  // namespace meridia::charts
