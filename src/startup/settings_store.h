// The settings files: profile reads and writes on the INI files of the user's "Settings"
// folder, and the loading and saving of the [Meridia] section of "Meridia9.ini" into the
// current session's settings. Booleans are stored as -1 (true) and 0 (false); a numeric
// setting whose text is not a number reads as 0.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

#include "startup/ini_file.h"
#include "startup/settings.h"

namespace meridia::startup {

inline constexpr std::string_view kMainSettingsFile = "Meridia9.ini";
inline constexpr std::string_view kMainSettingsSection = "Meridia";
inline constexpr std::string_view kSettingsFolder = "Settings";

// A typed setting value: Integer (16-bit range), Long (32-bit range), Double, String, Boolean.
using SettingValue = std::variant<int, long, double, std::string, bool>;

// The file a settings call works on: an empty name means "Meridia9.ini"; a relative name lies
// in the "Settings" folder of the current user-files folder; an absolute path is used as is.
std::filesystem::path SettingsFilePath(const std::filesystem::path& file);

// The text of section/key in the file, or default_text.
std::string ReadSetting(std::string_view section, std::string_view key,
                        std::string_view default_text, const std::filesystem::path& file = {});

// The value of section/key converted to the type: the default is the profile default in its
// text form, and the text read back is converted by its numeric value (Integer and Long are
// rounded and held to their range; Boolean is true for any non-zero number).
SettingValue ReadTypedSetting(std::string_view section, std::string_view key, SettingType type,
                              const SettingValue& default_value,
                              const std::filesystem::path& file = {});

// Writes section/key (the whole file is rewritten). False when the file cannot be written.
bool WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                  const std::filesystem::path& file = {});
bool WriteTypedSetting(std::string_view section, std::string_view key, const SettingValue& value,
                       const std::filesystem::path& file = {});

// A value in its stored text form ("-1"/"0" for booleans, shortest round-trip for doubles).
std::string SettingText(const SettingValue& value);
// Converts stored text to a type as the typed read does.
SettingValue ConvertSettingText(std::string_view text, SettingType type);

// Reads [Meridia] of "Meridia9.ini" into CurrentSession().settings(), replacing what was
// there; keys not in the file read their defaults. The loaded values count as unchanged. A fifth
// wheel file whose extension is not "wh5" is reset to "quin1.wh5". False when the file is missing
// or unreadable (the settings then hold the defaults).
bool LoadSettings();
// The same from the bytes of "Meridia9.ini" already read (start-up has just read the file).
void LoadSettingsFrom(const IniFile& file);

// Writes every key of the settings table (its value, else its default) and every other stored
// key into [Meridia] of "Meridia9.ini", with `VersionMark` (the program version) and
// `Last Updated` (now) set first. Other sections of the file are kept; values set for this run
// only are not written. The settings then count as unchanged. False on a write error.
bool SaveSettings();

}  // namespace meridia::startup
