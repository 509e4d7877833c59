// Wall-clock stamps of the settings and log files, in local time: the "Last Updated" form
// "d mmm yy h:mm:ss AM/PM" (5 Dec 26 3:46:34 PM) and the log-line form
// "ddd d-mmm-yyyy h:mm:ss am/pm" (Sat 5-Dec-2026 3:46:34 pm).
#pragma once

#include <ctime>
#include <string>

namespace meridia::startup {

// The current local time.
std::tm LocalTimeNow();

// "d mmm yy" and the time in the long-time form "h:mm:ss AM/PM".
std::string FormatLastUpdated(const std::tm& local);

// "ddd d-mmm-yyyy h:mm:ss am/pm".
std::string FormatLogStamp(const std::tm& local);

}  // namespace meridia::startup
