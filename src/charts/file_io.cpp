#include "charts/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "startup/file_io.h"

namespace meridia::charts {

namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    return startup::ReadFileBytes(path, static_cast<std::size_t>(kMaxFileBytes));
}

bool WriteTempFile(const fs::path& temp, std::string_view bytes) {
    std::error_code ec;
    fs::remove(temp, ec);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno != EINTR) {
                ok = false;
            }
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
    }
    if (::close(fd) != 0) {
        ok = false;
    }
    if (!ok) {
        fs::remove(temp, ec);
    }
    return ok;
}

bool CommitTempFile(const fs::path& temp, const fs::path& path, bool keep_backup) {
    std::error_code ec;
    if (keep_backup && fs::exists(path, ec)) {
        const fs::path backup = WithSuffix(path, ".bak");
        fs::remove(backup, ec);
        fs::create_hard_link(path, backup, ec);
        if (ec) {
            ec.clear();
            fs::copy_file(path, backup, fs::copy_options::overwrite_existing, ec);
            if (ec) {
                return false;
            }
        }
    }
    fs::rename(temp, path, ec);
    return !ec;
}

bool WriteFileSafely(const fs::path& path, std::string_view bytes, bool keep_backup) {
    const fs::path temp = WithSuffix(path, "~");
    if (!WriteTempFile(temp, bytes)) {
        return false;
    }
    if (!CommitTempFile(temp, path, keep_backup)) {
        std::error_code ec;
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

fs::path WithSuffix(const fs::path& path, std::string_view suffix) {
    fs::path out = path;
    out += std::string(suffix);
    return out;
}

bool CopyFileSafely(const fs::path& from, const fs::path& to) {
    const auto bytes = ReadWholeFile(from);
    return bytes && WriteFileSafely(to, *bytes, false);
}

bool HasExtension(const fs::path& path, std::string_view extension) {
    const std::string ext = path.extension().string();
    if (ext.size() != extension.size()) {
        return false;
    }
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const auto a = static_cast<unsigned char>(ext[i]);
        const auto b = static_cast<unsigned char>(extension[i]);
        if (std::tolower(a) != std::tolower(b)) {
            return false;
        }
    }
    return true;
}

}  // namespace meridia::charts
