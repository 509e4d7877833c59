// The program settings: the [Meridia] section of "Meridia9.ini" held in memory as text
// values keyed case-insensitively, with typed reads that fall back to each key's default.
// Booleans are stored as -1 (true) and 0 (false); a numeric key holding non-numeric text
// reads as 0. The store knows whether a setting changed since it was loaded or saved, so that
// a run that changes nothing writes no file; values set for one run only (the CLI's --set)
// are read like the others but never saved. Not thread-safe: one session, one thread.
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

    // Text value of a key: the value set for this run, else the stored one, else the key's
    // default (empty when unknown).
    std::string GetString(std::string_view key) const;
    bool GetBool(std::string_view key) const;
    int GetInt(std::string_view key) const;
    long GetLong(std::string_view key) const;
    double GetDouble(std::string_view key) const;
    // True when the key holds a stored value or a value for this run (not just its default).
    bool Has(std::string_view key) const;
    // Text value of a key as it is saved: the stored one, else the key's default (a value set
    // for this run left out).
    std::string StoredString(std::string_view key) const;

    // Setters of stored values: a value that differs from the stored one marks the settings
    // changed. A value set for this run keeps winning over the stored one.
    void SetString(std::string_view key, std::string_view value);
    void SetBool(std::string_view key, bool value);
    void SetInt(std::string_view key, long value);
    void SetDouble(std::string_view key, double value);
    void Erase(std::string_view key);
    // Stores a value of the session's own bookkeeping (`LastSessionBegin`, `VersionMark`...):
    // it is saved with the others but does not by itself mark the settings changed.
    void SetRecord(std::string_view key, std::string_view value);
    // Sets a value for this run only: read like a stored value, never saved, never marks the
    // settings changed.
    void SetForRun(std::string_view key, std::string_view value);
    // Forgets every stored value and every value for this run (all keys read their defaults
    // again); the settings count as unchanged.
    void Clear();

    // True when a stored value changed since the settings were loaded or last saved.
    bool changed() const { return changed_; }
    // Records that the stored values are those of the file (after a load or a save).
    void MarkSaved() { changed_ = false; }

    // The stored values, keys in their first-seen spelling (values for this run left out).
    const std::map<std::string, std::pair<std::string, std::string>, std::less<>>& values() const {
        return values_;
    }

private:
    // upper-cased key -> (key as spelled, value text)
    std::map<std::string, std::pair<std::string, std::string>, std::less<>> values_;
    // upper-cased key -> value text set for this run only
    std::map<std::string, std::string, std::less<>> run_values_;
    bool changed_ = false;

    // Stores a value; true when it differs from what was stored.
    bool Store(std::string_view key, std::string_view value);
};

// Numeric value of a settings text the way the profile reads do it: leading blanks skipped,
// the longest numeric prefix taken, 0 when there is none.
double NumericValueOf(std::string_view text);

}  // namespace meridia::startup
