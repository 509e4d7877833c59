// Optional diagnostic logs: each activity (start-up, user-folder change, folder creation...)
// collects stamped lines and, when the `Logging` setting is on, writes them to its own file
// "<activity>.log" in the log folder. Lines are stamped "ddd d-mmm-yyyy h:mm:ss am/pm";
// sections are separated by a line of "=" characters.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::startup {

inline constexpr std::string_view kStartupLogName = "MD9.1_StartUp";
inline constexpr std::string_view kChangeUserFolderLogName = "MD9.1_ChangeMDUF";
inline constexpr std::string_view kMapsLogName = "MD9.1_Maps";
inline constexpr std::string_view kCreateFoldersLogName = "MD9.1_CreateMDFolders";

// The log folder: "Logs" in the per-user configuration folder of the current session.
std::filesystem::path LogFolder();

class ActivityLog {
public:
    explicit ActivityLog(std::string_view activity) : activity_(activity) {}

    // Adds a line stamped with the current local time.
    void Add(std::string_view text);
    // Starts a new section: a separator line, then the title.
    void Section(std::string_view title);

    const std::string& activity() const { return activity_; }
    const std::vector<std::string>& lines() const { return lines_; }
    // True when some line contains the text.
    bool Contains(std::string_view text) const;

    // Writes the lines to "<activity>.log" in the folder (replacing an older log). Returns
    // false on a write error.
    bool WriteTo(const std::filesystem::path& folder) const;
    // Writes to LogFolder() when the session's `Logging` setting is on; true otherwise.
    bool WriteIfLogging() const;

private:
    std::string activity_;
    std::vector<std::string> lines_;
};

}  // namespace meridia::startup
