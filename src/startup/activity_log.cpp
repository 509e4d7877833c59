#include "startup/activity_log.h"

#include "startup/clock_text.h"
#include "startup/file_io.h"
#include "startup/session.h"

namespace meridia::startup {

namespace {
constexpr std::size_t kSeparatorWidth = 70;
}

std::filesystem::path LogFolder() { return CurrentSession().folders().config / "Logs"; }

void ActivityLog::Add(std::string_view text) {
    lines_.push_back(FormatLogStamp(LocalTimeNow()) + "  " + std::string(text));
}

void ActivityLog::Section(std::string_view title) {
    lines_.emplace_back(kSeparatorWidth, '=');
    Add(title);
}

bool ActivityLog::Contains(std::string_view text) const {
    for (const std::string& line : lines_) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool ActivityLog::WriteTo(const std::filesystem::path& folder) const {
    std::string bytes;
    for (const std::string& line : lines_) {
        bytes += line;
        bytes += '\n';
    }
    return WriteFileSafely(folder / (activity_ + ".log"), bytes, WriteOptions::CreatingFolders())
        .ok();
}

bool ActivityLog::WriteIfLogging() const {
    if (!CurrentSession().settings().GetBool("Logging")) {
        return true;
    }
    return WriteTo(LogFolder());
}

}  // namespace meridia::startup
