// Chart files: the current format (".MDcht", version 3), read whole into the chart-file
// cache when opened and written back whole when closed after a change; the older formats
// (".cht", versions 0, 1 and 2, random files of fixed records with ".chm" comment files);
// and the foreign block format (".tsl", version -1) for import and export. Callers address
// a chart by format version, file handle and chart number (1..N in file order).
// Chart moments are local clock time; zones in hours added to local time to get UT.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_record.h"
#include "charts/chart_record_io.h"
#include "startup/status.h"

namespace meridia::charts {

inline constexpr int kVersionTessel = -1;
inline constexpr int kVersion0 = 0;
inline constexpr int kVersion1 = 1;
inline constexpr int kVersion2 = 2;
inline constexpr int kVersionCurrent = 3;

inline constexpr std::size_t kChartFileHeaderSize = 86;

// A life event of a chart (current format only): its data (name = event description) and
// comment.
struct ChartEvent {
    astro::ChartData data;
    std::string comment;
};

// One chart with everything stored for it.
struct StoredChart {
    astro::ChartRecord record;
    std::vector<ChartEvent> events;
    std::string comment;
    ReservedFields reserved;  // as read from a version-2 or current-format file
};

// A whole chart file in memory.
struct ChartFileImage {
    int version = kVersionCurrent;
    std::string description;  // at most 80 characters
    std::vector<StoredChart> charts;
};

// One open current-format file of the cache.
struct ChartFileCacheEntry {
    std::filesystem::path file_name;
    int version = kVersionCurrent;
    bool modified = false;
    bool in_use = false;
    ChartFileImage image;
};

// The open current-format files and the open older-format files of the session.
struct ChartFileCache {
    std::vector<ChartFileCacheEntry> entries;  // handle = index + 1
    struct OldFile {
        std::filesystem::path file_name;
        int version = 0;
        bool in_use = false;
    };
    std::vector<OldFile> old_files;  // handle = index + 1
    int current_version = kVersionCurrent;
};

// The session's chart-file cache.
ChartFileCache& Cache();

struct OpenedChartFile {
    int handle = 0;  // < 1: the file could not be opened; `status` says why
    int count = 0;   // number of charts
    int version = 0;
    startup::Status status;
};

// Display name of a format version: "Tessel", "MDv1/2", "MDv3/4", "MDv5", "MDv6/7",
// else "Unknown".
std::string ChartFileFormatName(int version);

// The file name a new current-format file is created under: the extensions "ch6" and "MDchx"
// (temporary files of conversions and rewrites) and ".MDcht" stay, any other becomes ".MDcht".
// An existing file is opened under the name it was found by.
std::filesystem::path CurrentFormatName(const std::filesystem::path& file_name);
// The companion comment file of an older-format file (extension ".chm").
std::filesystem::path CommentFileName(const std::filesystem::path& file_name);

// The format version stored in a file (-1 for ".tsl"), or nothing when it cannot be read.
std::optional<int> DetectChartFileVersion(const std::filesystem::path& file_name);

// Opens a chart file of any format (a current-format file is read whole into the cache).
// A file that is not a chart file, or whose size cannot hold what its header and counts say,
// or that holds a value outside its range (a latitude beyond 90 degrees, a zone beyond 24
// hours, a house system or zodiac code no chart has), is refused: the read-error message
// "Error whilst attempting to read chart file: <path>" (title "Meridia") is shown here and the
// status has code kDamaged, kWrongVersion or kOutOfRange. A file that is missing (kNotFound)
// or cannot be opened (kUnreadable) shows nothing; its status holds "Cannot open chart file:
// <path>" for callers that report it. A failure changes nothing in the cache.
OpenedChartFile OpenChartFile(const std::filesystem::path& file_name);
// Writes back a modified current-format file, then releases the handle. False when the
// rewrite failed: the entry then stays loaded and marked modified.
bool CloseChartFile(int version, int handle);
// Creates an empty file (a current-format file under CurrentFormatName). An existing file of
// that name is replaced.
bool CreateChartFile(const std::filesystem::path& file_name, int version,
                     std::string_view description);

// Number of charts now in the file (0 for a bad handle).
int ChartCount(int version, int handle);
// The path behind a handle (empty for a bad handle).
std::filesystem::path ChartFilePath(int version, int handle);

// Chart n (1..N), class and kind clamped. Outside 1..N (kNotFound), for a record the file
// does not hold (kDamaged) or for values outside their ranges (kOutOfRange) the status holds
// "An error occurred whilst reading chart file record <n>" (title "Meridia"), not shown here.
startup::StatusOr<astro::ChartRecord> ReadChartRecord(int version, int handle, int n);
// Stores the record as chart n; n = N + 1 appends. Version 0 is never written.
bool WriteChartRecord(int version, int handle, int n, const astro::ChartRecord& record);

// The reserved fields of chart n as stored (zeros for the formats without them and outside
// 1..N).
ReservedFields ReadChartReserved(int version, int handle, int n);

// The comment of chart n ("" outside 1..N).
std::string ReadChartComments(int version, int handle, int n);
// Stores (or, with an empty text, removes) the comment of chart n.
bool WriteChartComments(int version, int handle, int n, std::string_view text);

// Events of chart n (current format only; empty for the other versions).
std::vector<ChartEvent> ReadChartEvents(int version, int handle, int n);
// Stores the events of chart n sorted by their instant; does nothing for other versions.
bool WriteChartEvents(int version, int handle, int n, std::vector<ChartEvent> events);

std::string GetChartFileDescription(int version, int handle);
bool SetChartFileDescription(int version, int handle, std::string_view description);

// Sorts events by their instant in UT, ascending; equal instants keep their order.
void SortChartEvents(std::vector<ChartEvent>& events);

// Reads a whole current-format file; shows nothing. A failure's status holds the read-error
// message "Error whilst attempting to read chart file: <path>" (title "Meridia") and the code:
// kNotFound, kUnreadable, kWrongVersion (the first two bytes are not 3), kDamaged (too short
// for a header, a count or a length it states, or larger than any chart file the program
// reads) or kOutOfRange (a record or an event with values outside their ranges).
startup::StatusOr<ChartFileImage> LoadChartFileImage(const std::filesystem::path& file_name);
// Writes a whole file (version 3, 2 or 1) through "<name>~", keeping the old file as
// "<name>.bak"; versions 1 and 2 rebuild the ".chm" comment file the same way.
bool SaveChartFileImage(const std::filesystem::path& file_name, const ChartFileImage& image);

// Reads a whole file of any format into memory (records, comments, events). Fails with the
// status of OpenChartFile (whose messages it shows as OpenChartFile does) or of the first
// record that cannot be read, whose message is shown.
startup::StatusOr<ChartFileImage> ReadChartFileImage(const std::filesystem::path& file_name);

// Removes the charts of the given numbers; later charts move up. The file is closed and
// rewritten whole. Versions 0 and -1 cannot be rewritten and give false.
bool DeleteCharts(const std::filesystem::path& file_name, const std::vector<int>& numbers);

struct ConvertResult {
    int status = 1;  // 0 success
    std::filesystem::path new_name;
};
// Converts an older file to the current format (target version 3), keeping copies of the
// old files in the "OldChart" folder of the charts folder.
ConvertResult ConvertChartFile(const std::filesystem::path& file_name, int source_version,
                               int target_version);
// Asks whether to convert an older file and converts it on Yes; shows the failure message.
// Returns the new name, or nothing when the user declined or the conversion failed.
std::optional<std::filesystem::path> OfferChartFileConversion(
    const std::filesystem::path& file_name, int version);

// Chart n of a file of any format with its comment and events, the file opened and closed
// around the read. Fails with the status of OpenChartFile or of ReadChartRecord. Every message
// of a damaged file or record is shown here; kNotFound (no such file, or no chart n) and
// kUnreadable (the file cannot be opened) are only reported back.
startup::StatusOr<StoredChart> LoadChartByNumber(const std::filesystem::path& file_name, int n);

// The charts folder of the user-files folder.
std::filesystem::path ChartsFolder();

// The chart file the settings name as the current one (ChartFileName and ChartFileExt in the
// charts folder), when that file exists; nothing otherwise.
std::optional<std::filesystem::path> CurrentChartFile();

}  // namespace meridia::charts
