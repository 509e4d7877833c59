#include "startup/settings_store.h"

#include <cmath>

#include "startup/clock_text.h"
#include "startup/ini_file.h"
#include "startup/session.h"
#include "startup/startup.h"
#include "startup/text_tools.h"

namespace meridia::startup {

namespace {

long RoundClamped(double value, double low, double high) {
    if (value >= high) {
        return static_cast<long>(high);
    }
    if (value <= low) {
        return static_cast<long>(low);
    }
    return std::lround(value);
}

}  // namespace

std::filesystem::path SettingsFilePath(const std::filesystem::path& file) {
    std::filesystem::path name = file.empty() ? std::filesystem::path(kMainSettingsFile) : file;
    if (name.is_absolute()) {
        return name;
    }
    return CurrentSession().folders().user_files / kSettingsFolder / name;
}

std::string ReadSetting(std::string_view section, std::string_view key,
                        std::string_view default_text, const std::filesystem::path& file) {
    return ReadProfileString(SettingsFilePath(file), section, key, default_text);
}

std::string SettingText(const SettingValue& value) {
    struct Visitor {
        std::string operator()(int v) const { return std::to_string(v); }
        std::string operator()(long v) const { return std::to_string(v); }
        std::string operator()(double v) const { return FormatDouble(v); }
        std::string operator()(const std::string& v) const { return v; }
        std::string operator()(bool v) const { return v ? "-1" : "0"; }
    };
    return std::visit(Visitor{}, value);
}

SettingValue ConvertSettingText(std::string_view text, SettingType type) {
    switch (type) {
        case SettingType::kInteger:
            return static_cast<int>(RoundClamped(NumericValueOf(text), -32768.0, 32767.0));
        case SettingType::kLong:
            return RoundClamped(NumericValueOf(text), -2147483648.0, 2147483647.0);
        case SettingType::kDouble:
            return NumericValueOf(text);
        case SettingType::kBoolean:
            return NumericValueOf(text) != 0.0;
        case SettingType::kString:
            break;
    }
    return std::string(text);
}

SettingValue ReadTypedSetting(std::string_view section, std::string_view key, SettingType type,
                              const SettingValue& default_value,
                              const std::filesystem::path& file) {
    return ConvertSettingText(ReadSetting(section, key, SettingText(default_value), file), type);
}

bool WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                  const std::filesystem::path& file) {
    return WriteProfileString(SettingsFilePath(file), section, key, value);
}

bool WriteTypedSetting(std::string_view section, std::string_view key, const SettingValue& value,
                       const std::filesystem::path& file) {
    return WriteSetting(section, key, std::string_view(SettingText(value)), file);
}

bool LoadSettings() {
    IniFile file;
    const std::filesystem::path path = SettingsFilePath({});
    std::error_code ec;
    const bool present = std::filesystem::is_regular_file(path, ec) && file.Load(path);
    LoadSettingsFrom(file);
    return present;
}

void LoadSettingsFrom(const IniFile& file) {
    SettingsClass& settings = CurrentSession().settings();
    settings.Clear();
    for (const auto& [key, value] : file.Entries(kMainSettingsSection)) {
        settings.SetString(key, value);
    }
    settings.MarkSaved();
    if (!EndsWithNoCase(settings.GetString("5WheelFile"), "wh5")) {
        settings.SetString("5WheelFile", "quin1.wh5");
    }
}

bool SaveSettings() {
    SettingsClass& settings = CurrentSession().settings();
    settings.SetRecord("VersionMark", ProgramVersion());
    settings.SetRecord("Last Updated", FormatLastUpdated(LocalTimeNow()));

    const std::filesystem::path path = SettingsFilePath({});
    IniFile file;
    if (!file.Load(path)) {
        return false;
    }
    for (const SettingDefault& entry : SettingTable()) {
        file.Write(kMainSettingsSection, entry.key, settings.StoredString(entry.key));
    }
    for (const auto& [upper, stored] : settings.values()) {
        if (!SettingDefaults().contains(upper)) {
            file.Write(kMainSettingsSection, stored.first, stored.second);
        }
    }
    if (!file.Save(path).ok()) {
        return false;
    }
    settings.MarkSaved();
    return true;
}

}  // namespace meridia::startup
