// The one way the program reads whole files and writes files. Reads are bounded (a hostile or
// huge file never makes a reader allocate without limit). Every write goes through a new
// temporary file in the target's folder: the bytes are written, flushed and synced to the
// disk, the temporary file is renamed over the target and the folder is synced, so a crash,
// a full disk or a refused write leaves either the old file exactly as it was or the new one.
// Not for use on the same target from two threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "startup/status.h"

namespace meridia::startup {

// Reads a whole file as bytes. std::nullopt when it is missing, unreadable or larger than
// max_bytes.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::size_t max_bytes);

// Reads a whole file of at most max_bytes (the largest legal file of its kind). The status
// says why there is nothing: kNotFound (no such file), kUnreadable (not a regular file, or the
// read failed) or kDamaged (larger than max_bytes). It carries the path but no message: each
// reader words its own.
StatusOr<std::string> ReadFileLimited(const std::filesystem::path& path, std::size_t max_bytes);
// The first max_bytes of a file (all of it when shorter), for readers that never use more.
StatusOr<std::string> ReadFileHead(const std::filesystem::path& path, std::size_t max_bytes);

// `length` bytes of a file from a 0-based offset; std::nullopt when the file is missing,
// unreadable or shorter.
std::optional<std::string> ReadFileRange(const std::filesystem::path& path, std::uintmax_t offset,
                                         std::size_t length);

struct WriteOptions {
    // The previous file survives as "<name>.bak" (an older ".bak" is replaced). The backup is
    // a second link to the old file (or a copy), made before the new file takes the name, so
    // the target never stops naming a complete file.
    bool keep_backup = false;
    // Missing folders above the target are created.
    bool create_folders = false;
    // The new file's modification time (a factory copy keeps its source's time); unset leaves
    // the time of writing.
    std::optional<std::filesystem::file_time_type> modified;

    static WriteOptions KeepingBackup() {
        WriteOptions options;
        options.keep_backup = true;
        return options;
    }
    static WriteOptions CreatingFolders() {
        WriteOptions options;
        options.create_folders = true;
        return options;
    }
};

// A new content for a target, written and synced to a temporary file beside it but not yet in
// place. Writers that replace several files together prepare all of them first and commit
// them at the end. A pending file that is never committed is removed when it goes.
class PendingFile {
public:
    // Writes the bytes to a new temporary file in the target's folder and syncs it.
    static StatusOr<PendingFile> Prepare(const std::filesystem::path& target,
                                         std::string_view bytes, const WriteOptions& options = {});
    // Copies a file's bytes, read in blocks, into a new temporary file beside the target.
    static StatusOr<PendingFile> PrepareCopy(const std::filesystem::path& from,
                                             const std::filesystem::path& target,
                                             const WriteOptions& options = {});

    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&& other) noexcept;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    // Makes the backup when asked, renames the temporary file over the target and syncs the
    // folder. On failure the target is as it was and the temporary file is gone.
    Status Commit();

    const std::filesystem::path& target() const { return target_; }

private:
    PendingFile(std::filesystem::path target, std::filesystem::path temp, WriteOptions options)
        : target_(std::move(target)), temp_(std::move(temp)), options_(options) {}
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;  // empty once committed or discarded
    WriteOptions options_;
};

// Writes the file whole: Prepare, then Commit. On failure the status (kWriteFailed) carries
// the message "Error during file write:" with the path, and the old file is as it was.
Status WriteFileSafely(const std::filesystem::path& path, std::string_view bytes,
                       const WriteOptions& options = {});

// Copies a file the same way (the source is read in blocks, never whole).
Status CopyFileSafely(const std::filesystem::path& from, const std::filesystem::path& to,
                      const WriteOptions& options = {});

// The path with a suffix appended to its whole name ("a.MDcht" + ".bak" -> "a.MDcht.bak").
std::filesystem::path WithSuffix(const std::filesystem::path& path, std::string_view suffix);

// True when the path's extension equals `extension` without regard to ASCII case
// (".MDcht" equals ".mdcht").
bool HasExtension(const std::filesystem::path& path, std::string_view extension);

}  // namespace meridia::startup
