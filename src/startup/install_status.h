// The installation-status file "MeridiaInstall.ini" of the per-user configuration folder:
// section [Meridia] with `FreshInstall` (number), `Implemented` and `Patched` (dates) and
// `MD91_FirstRunDone` (boolean). Start-up reads and checks it, logging every missing or
// malformed key, and recreates a missing file with empty keys.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "startup/activity_log.h"

namespace meridia::startup {

struct InstallStatus {
    bool file_present = false;
    std::optional<long> fresh_install;  // empty when missing, blank or malformed
    std::string implemented;            // date text as stored ("" when missing or malformed)
    std::string patched;
    bool first_run_done = false;
};

// Reads and checks the file in the configuration folder; recreates it when missing.
InstallStatus CheckInstallStatus(const std::filesystem::path& config, ActivityLog& log);

// Records that the first run has been completed (`MD91_FirstRunDone` = -1).
bool MarkFirstRunDone(const std::filesystem::path& config);

// True when the text is a date the status file may hold: day, month and year as numbers
// separated by "/", "-" or "." (year first or last), or with the month as a name
// ("5 Dec 2026", "Dec 5 2026").
bool IsDateText(std::string_view text);

}  // namespace meridia::startup
