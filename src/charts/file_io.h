// Whole-file reads with a size limit and safe whole-file writes: a file is written to a
// temporary file beside it, flushed to the disk, and only then takes the target's name, so
// a crash or a full disk leaves either the old file or the new one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace meridia::charts {

// Largest file the chart layer reads into memory (a chart file of this size would hold
// hundreds of thousands of charts).
inline constexpr std::uintmax_t kMaxFileBytes = 256U * 1024U * 1024U;

// The whole file, or nothing when it is missing, unreadable or larger than the limit.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to `temp`, flushes it to the disk and closes it. A failure removes the
// temporary file. The temporary file is deleted first when it exists.
bool WriteTempFile(const std::filesystem::path& temp, std::string_view bytes);

// Writes the file whole through "<path>~" and renames it over `path`; with `keep_backup`
// the previous file survives as "<path>.bak" (an older ".bak" is replaced). The target name
// never stops naming a complete file: the backup is made as a second link (or a copy)
// before the new file is renamed over the target.
bool WriteFileSafely(const std::filesystem::path& path, std::string_view bytes, bool keep_backup);

// Moves a finished temporary file over `path` the same way WriteFileSafely does.
bool CommitTempFile(const std::filesystem::path& temp, const std::filesystem::path& path,
                    bool keep_backup);

// `path` with a suffix appended to its whole name ("a.MDcht" + "~" -> "a.MDcht~").
std::filesystem::path WithSuffix(const std::filesystem::path& path, std::string_view suffix);

// Copies a file through a temporary file, replacing the target.
bool CopyFileSafely(const std::filesystem::path& from, const std::filesystem::path& to);

// The extension compared without case (".MDcht" equals ".mdcht").
bool HasExtension(const std::filesystem::path& path, std::string_view extension);

}  // namespace meridia::charts
