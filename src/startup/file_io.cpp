#include "startup/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <system_error>
#include <utility>

#include "startup/text_tools.h"

namespace meridia::startup {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyBlockBytes = std::size_t{64} * 1024U;
constexpr int kTempNameAttempts = 100;

Status WriteFailed(const fs::path& path) {
    return {StatusCode::kWriteFailed, "Error during file write:\n" + path.string(), "Error", path};
}

// Closes a descriptor when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now; false when the close reports an error (a delayed write failure).
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Syncs a folder so that a rename inside it survives a crash. Some file systems refuse to
// sync a folder; the rename has happened all the same, so that is not a failure.
void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Creates a new, empty temporary file in the target's folder. The name is short and hidden
// (whatever the target's name) and unique to this process and call, so two writers never
// share one. A file that replaces an existing one takes over its permissions.
std::optional<std::pair<fs::path, int>> CreateTempFile(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.parent_path();
    struct stat old_file {};
    const bool replaces = ::stat(target.c_str(), &old_file) == 0 && S_ISREG(old_file.st_mode);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        const std::string name = ".meridia-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1)) + ".tmp";
        fs::path temp = folder / name;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (replaces) {
                ::fchmod(fd, old_file.st_mode & 07777);
            }
            return std::make_pair(std::move(temp), fd);
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Creates the folders when asked to and opens the temporary file; then `fill` writes the
// content, and the file is synced, closed and given its time.
template <class Fill>
StatusOr<fs::path> WriteTemp(const fs::path& target, const WriteOptions& options, Fill fill) {
    std::error_code ec;
    if (options.create_folders && target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
    }
    auto created = CreateTempFile(target);
    if (!created) {
        return WriteFailed(target);
    }
    const fs::path temp = std::move(created->first);
    FileDescriptor fd(created->second);
    bool ok = fill(fd.get()) && ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (ok && options.modified) {
        fs::last_write_time(temp, *options.modified, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temp, ec);
        return WriteFailed(target);
    }
    return temp;
}

// Makes "<target>.bak" a second name of the current target (or a copy where links are not
// possible). Nothing to do when there is no target yet.
bool MakeBackup(const fs::path& target) {
    std::error_code ec;
    if (!fs::is_regular_file(target, ec)) {
        return !fs::exists(target, ec);
    }
    const fs::path backup = WithSuffix(target, ".bak");
    fs::remove(backup, ec);
    fs::create_hard_link(target, backup, ec);
    if (!ec) {
        return true;
    }
    auto copy = PendingFile::PrepareCopy(target, backup);
    return copy.ok() && copy->Commit().ok();
}

}  // namespace

std::optional<std::string> ReadFileBytes(const fs::path& path, std::size_t max_bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    const auto size = fs::file_size(path, ec);
    if (ec || size > max_bytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

namespace {

StatusOr<std::string> ReadUpTo(const fs::path& path, std::size_t max_bytes, bool longer_is_damage) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (!fs::exists(status)) {
        return Status(StatusCode::kNotFound, {}, {}, path);
    }
    if (!fs::is_regular_file(status)) {
        return Status(StatusCode::kUnreadable, {}, {}, path);
    }
    const auto size = fs::file_size(path, ec);
    if (ec) {
        return Status(StatusCode::kUnreadable, {}, {}, path);
    }
    if (size > max_bytes && longer_is_damage) {
        return Status(StatusCode::kDamaged, {}, {}, path);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Status(StatusCode::kUnreadable, {}, {}, path);
    }
    const auto wanted = static_cast<std::size_t>(std::min<std::uintmax_t>(size, max_bytes));
    std::string bytes(wanted, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(wanted));
    if (static_cast<std::size_t>(in.gcount()) != wanted) {
        return Status(StatusCode::kUnreadable, {}, {}, path);
    }
    return bytes;
}

}  // namespace

StatusOr<std::string> ReadFileLimited(const fs::path& path, std::size_t max_bytes) {
    return ReadUpTo(path, max_bytes, true);
}

StatusOr<std::string> ReadFileHead(const fs::path& path, std::size_t max_bytes) {
    return ReadUpTo(path, max_bytes, false);
}

std::optional<std::string> ReadFileRange(const fs::path& path, std::uintmax_t offset,
                                         std::size_t length) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || offset > size || size - offset < length) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(offset))) {
        return std::nullopt;
    }
    std::string bytes(length, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    if (static_cast<std::size_t>(in.gcount()) != length) {
        return std::nullopt;
    }
    return bytes;
}

StatusOr<PendingFile> PendingFile::Prepare(const fs::path& target, std::string_view bytes,
                                           const WriteOptions& options) {
    auto temp = WriteTemp(target, options, [&](int fd) { return WriteAll(fd, bytes); });
    if (!temp.ok()) {
        return temp.status();
    }
    return PendingFile(target, std::move(*temp), options);
}

StatusOr<PendingFile> PendingFile::PrepareCopy(const fs::path& from, const fs::path& target,
                                               const WriteOptions& options) {
    FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) {
        return WriteFailed(target);
    }
    auto temp = WriteTemp(target, options, [&](int fd) {
        std::string block(kCopyBlockBytes, '\0');
        for (;;) {
            const ssize_t n = ::read(source.get(), block.data(), block.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return n == 0;
            }
            if (!WriteAll(fd, std::string_view(block.data(), static_cast<std::size_t>(n)))) {
                return false;
            }
        }
    });
    if (!temp.ok()) {
        return temp.status();
    }
    return PendingFile(target, std::move(*temp), options);
}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : target_(std::move(other.target_)),
      temp_(std::exchange(other.temp_, {})),
      options_(other.options_) {}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
    if (this != &other) {
        Discard();
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, {});
        options_ = other.options_;
    }
    return *this;
}

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard() {
    if (!temp_.empty()) {
        std::error_code ec;
        fs::remove(temp_, ec);
        temp_.clear();
    }
}

Status PendingFile::Commit() {
    if (temp_.empty()) {
        return WriteFailed(target_);
    }
    if (options_.keep_backup && !MakeBackup(target_)) {
        Discard();
        return WriteFailed(target_);
    }
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) {
        Discard();
        return WriteFailed(target_);
    }
    temp_.clear();
    SyncFolder(target_.parent_path());
    return Status::Ok();
}

Status WriteFileSafely(const fs::path& path, std::string_view bytes, const WriteOptions& options) {
    auto pending = PendingFile::Prepare(path, bytes, options);
    return pending.ok() ? pending->Commit() : pending.status();
}

Status CopyFileSafely(const fs::path& from, const fs::path& to, const WriteOptions& options) {
    auto pending = PendingFile::PrepareCopy(from, to, options);
    return pending.ok() ? pending->Commit() : pending.status();
}

fs::path WithSuffix(const fs::path& path, std::string_view suffix) {
    fs::path out = path;
    out += std::string(suffix);
    return out;
}

bool HasExtension(const fs::path& path, std::string_view extension) {
    return EqualNoCase(path.extension().string(), extension);
}

}  // namespace meridia::startup
