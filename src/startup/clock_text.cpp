#include "startup/clock_text.h"

#include <fmt/format.h>

namespace meridia::startup {

namespace {

constexpr const char* kMonthAbbr[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kDayAbbr[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

const char* MonthAbbr(const std::tm& t) { return kMonthAbbr[(t.tm_mon % 12 + 12) % 12]; }

int Hour12(const std::tm& t) {
    const int h = t.tm_hour % 12;
    return h == 0 ? 12 : h;
}

}  // namespace

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string FormatLastUpdated(const std::tm& local) {
    return fmt::format("{} {} {:02} {}:{:02}:{:02} {}", local.tm_mday, MonthAbbr(local),
                       (local.tm_year + 1900) % 100, Hour12(local), local.tm_min, local.tm_sec,
                       local.tm_hour < 12 ? "AM" : "PM");
}

std::string FormatLogStamp(const std::tm& local) {
    return fmt::format("{} {}-{}-{:04} {}:{:02}:{:02} {}", kDayAbbr[(local.tm_wday % 7 + 7) % 7],
                       local.tm_mday, MonthAbbr(local), local.tm_year + 1900, Hour12(local),
                       local.tm_min, local.tm_sec, local.tm_hour < 12 ? "am" : "pm");
}

}  // namespace meridia::startup
