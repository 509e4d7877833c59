// The program settings: the [Meridia] section of "Meridia9.ini" held in memory as text
// values keyed case-insensitively, with typed reads that fall back to each key's default.
// Booleans are stored as -1 (true) and 0 (false); a numeric key holding non-numeric text
// reads as 0. Not thread-safe: one session, one thread.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace meridia::startup {

enum class SettingType { kInteger, kLong, kDouble, kString, kBoolean };

struct SettingDefault {
    std::string_view key;
    SettingType type;
    std::string_view default_text;  // the default in its stored text form
};

// Every key of the [Meridia] section with its type and default, keyed by the upper-cased key.
const std::map<std::string, SettingDefault, std::less<>>& SettingDefaults();
// The same keys in table order (the order in which the settings file is written).
std::span<const SettingDefault> SettingTable();

class SettingsClass {
public:
    SettingsClass() = default;

    // Text value of a key: the stored one, else the key's default (empty when unknown).
    std::string GetString(std::string_view key) const;
    bool GetBool(std::string_view key) const;
    int GetInt(std::string_view key) const;
    long GetLong(std::string_view key) const;
    double GetDouble(std::string_view key) const;
    // True when the key holds a stored value (not just its default).
    bool Has(std::string_view key) const;

    void SetString(std::string_view key, std::string_view value);
    void SetBool(std::string_view key, bool value);
    void SetInt(std::string_view key, long value);
    void SetDouble(std::string_view key, double value);
    void Erase(std::string_view key);
    // Forgets every stored value (all keys read their defaults again).
    void Clear() { values_.clear(); }

    // The stored values, keys in their first-seen spelling.
    const std::map<std::string, std::pair<std::string, std::string>, std::less<>>& values() const {
        return values_;
    }

private:
    // upper-cased key -> (key as spelled, value text)
    std::map<std::string, std::pair<std::string, std::string>, std::less<>> values_;
};

// Numeric value of a settings text the way the profile reads do it: leading blanks skipped,
// the longest numeric prefix taken, 0 when there is none.
double NumericValueOf(std::string_view text);

}  // namespace meridia::startup
