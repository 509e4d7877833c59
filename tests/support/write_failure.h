// Ways to make a file write fail in a test, also when the tests run as the superuser (who
// writes into read-only folders): a file-size limit that makes every write beyond it fail,
// as on a full disk, and the list of a folder's names to show that nothing was left behind.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

namespace meridia::testing {

// While it lives, no file of this process can grow beyond `bytes`: a write past the limit
// fails with EFBIG (the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_limit_);
        rlimit limit = old_limit_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_limit_);
        std::signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_limit_{};
    void (*old_handler_)(int) = nullptr;
};

// The names in a folder (files and folders, hidden ones included).
inline std::set<std::string> NamesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(folder, ec)) {
        names.insert(item.path().filename().string());
    }
    return names;
}

}  // namespace meridia::testing
