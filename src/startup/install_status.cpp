#include "startup/install_status.h"

#include <cctype>
#include <vector>

#include "startup/folders.h"
#include "startup/ini_file.h"
#include "startup/settings.h"
#include "startup/text_tools.h"

namespace meridia::startup {

namespace {

constexpr std::string_view kSection = "Meridia";

bool IsNumberText(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

bool IsBooleanText(std::string_view text) {
    const std::string lower = LowerAscii(text);
    return lower == "-1" || lower == "0" || lower == "1" || lower == "true" || lower == "false";
}

int MonthOf(std::string_view word) {
    static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string lower = LowerAscii(word);
    if (lower.size() < 3) {
        return 0;
    }
    for (int m = 0; m < 12; ++m) {
        if (lower.compare(0, 3, kMonths[m]) == 0) {
            return m + 1;
        }
    }
    return 0;
}

bool InRange(const std::string& digits, int low, int high) {
    if (digits.empty() || digits.size() > 4) {
        return false;
    }
    const auto value = ParseInteger(digits);
    return value && *value >= low && *value <= high;
}

}  // namespace

bool IsDateText(std::string_view text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == '/' || c == '-' || c == '.' || c == ' ' || c == ',') {
            if (!part.empty()) {
                parts.push_back(part);
                part.clear();
            }
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    if (parts.size() != 3) {
        return false;
    }
    auto all_digits = [](const std::string& s) {
        for (char c : s) {
            if (!std::isdigit(static_cast<unsigned char>(c))) {
                return false;
            }
        }
        return !s.empty();
    };
    int name_index = -1;
    for (int i = 0; i < 3; ++i) {
        if (!all_digits(parts[static_cast<std::size_t>(i)])) {
            if (name_index >= 0 || MonthOf(parts[static_cast<std::size_t>(i)]) == 0) {
                return false;
            }
            name_index = i;
        }
    }
    if (name_index == 2) {
        return false;
    }
    if (name_index >= 0) {
        const std::string& day = parts[name_index == 0 ? 1 : 0];
        return InRange(day, 1, 31) && InRange(parts[2], 1, 9999);
    }
    if (parts[0].size() == 4) {
        return InRange(parts[0], 1, 9999) && InRange(parts[1], 1, 12) && InRange(parts[2], 1, 31);
    }
    return InRange(parts[0], 1, 31) && InRange(parts[1], 1, 31) && InRange(parts[2], 1, 9999);
}

InstallStatus CheckInstallStatus(const std::filesystem::path& config, ActivityLog& log) {
    InstallStatus status;
    const std::filesystem::path path = config / kInstallFile;
    const std::string name = path.string();
    IniFile file;
    std::error_code ec;
    status.file_present = std::filesystem::is_regular_file(path, ec) && file.Load(path);
    if (!status.file_present) {
        log.Add("Installation status file missing so recreating it: " + name);
        IniFile fresh;
        for (std::string_view key :
             {"FreshInstall", "Implemented", "Patched", "MD91_FirstRunDone"}) {
            fresh.Write(kSection, key, "");
        }
        if (!fresh.Save(path).ok()) {
            log.Add("Could not write " + name);
        }
        return status;
    }
    struct Check {
        std::string_view key;
        bool (*valid)(std::string_view);
        std::string_view format;
    };
    const Check checks[] = {{"FreshInstall", IsNumberText, "number"},
                            {"Implemented", IsDateText, "date"},
                            {"Patched", IsDateText, "date"},
                            {"MD91_FirstRunDone", IsBooleanText, "boolean"}};
    for (const Check& check : checks) {
        const std::optional<std::string> value = file.Value(kSection, check.key);
        if (!value) {
            log.Add("Error: " + std::string(check.key) + " key missing in " + name);
            continue;
        }
        if (value->empty()) {
            continue;
        }
        if (!check.valid(*value)) {
            log.Add("Error: " + std::string(check.key) + " value stored in " + name +
                    " is not in a valid " + std::string(check.format) + " format.");
            continue;
        }
        if (check.key == "FreshInstall") {
            status.fresh_install = static_cast<long>(NumericValueOf(*value));
        } else if (check.key == "Implemented") {
            status.implemented = *value;
        } else if (check.key == "Patched") {
            status.patched = *value;
        } else {
            const std::string lower = LowerAscii(*value);
            status.first_run_done = lower == "-1" || lower == "1" || lower == "true";
        }
    }
    return status;
}

bool MarkFirstRunDone(const std::filesystem::path& config) {
    return WriteProfileString(config / kInstallFile, kSection, "MD91_FirstRunDone", "-1");
}

}  // namespace meridia::startup
