// Saved dynamic selections: named sets of the dynamic dialog's choices kept in "dynsetup.fil"
// (dynamic report) and "ephsetup.fil" (ephemeris) in the user's "Settings" folder, as fixed
// records of 870 bytes (a 16-bit integer, a 40-character blank-padded description, then the
// selections). Listed in file order, saved with overwrite confirmation, deleted through a
// temporary copy named "x" + the file name without its last character.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dynamic/dynamic_engine.h"
#include "startup/status.h"

namespace meridia::dynamic {

inline constexpr std::size_t kSetupRecordBytes = 870;
inline constexpr std::size_t kSetupDescriptionBytes = 40;
inline constexpr std::string_view kDynamicSetupFile = "dynsetup.fil";
inline constexpr std::string_view kEphemerisSetupFile = "ephsetup.fil";

inline constexpr const char* kSaveSetupTitle = "Save Dynamic Selections";
inline constexpr const char* kSaveSetupPrompt =
    "Enter a descriptive name under which to save the current dynamic selections.";
inline constexpr const char* kConfirmOverwriteText =
    "Do you wish to overwrite the existing entry with this description?";
inline constexpr const char* kConfirmOverwriteTitle = "Confirm Overwrite";
inline constexpr const char* kConfirmDeletionText =
    "Are you sure that you want to delete the current dynamic selection?";
inline constexpr const char* kConfirmDeletionTitle = "Confirm Deletion";
inline constexpr const char* kSaveErrorText = "Unable to save this dynamic setup.";
inline constexpr const char* kSaveErrorTitle = "Save Error";

// The selections one record keeps.
struct DynamicSelections {
    int method = kMethodTransits;
    int progression_kind = kKindSecondary;
    int direction_type = kDirectionSolarArc;
    double user_arc_rate = 0.0;
    double multiplier = 1.0;
    std::vector<int> moving;
    std::vector<int> targets;
    std::string aspect_set;  // name or path, at most 255 bytes
    EventFamilies families;
    bool enter_leave = false;
    int period = 1;
    int period_unit = kPeriodYears;
    bool use_natal = true;
    bool operator==(const DynamicSelections&) const = default;
};

// One saved record: its number (1-based, file order), description and selections.
struct SetupEntry {
    int record = 0;
    std::string description;  // trimmed
    DynamicSelections selections;
};

// The path of a setup file in the Settings folder of the user-files folder.
std::filesystem::path SetupFilePath(std::string_view file_name);

// Encodes and decodes one 870-byte record.
std::string EncodeSetupRecord(std::string_view description, const DynamicSelections& selections);
// False when the bytes are not a record (wrong length, counts out of range).
bool DecodeSetupRecord(std::string_view bytes, SetupEntry& entry);

// Every whole record of the file, in file order (file length / 870 records). A file that
// cannot be opened gives kNotFound or kUnreadable (the list stays empty).
startup::StatusOr<std::vector<SetupEntry>> LoadSetupList(const std::filesystem::path& path);

// Saves the selections under the description: a record with that description (trimmed,
// exact) is overwritten when "Do you wish to overwrite ..." ("Confirm Overwrite") is answered
// Yes (kCancelled otherwise), else the record is appended. A failed write shows "Unable to save
// this dynamic setup." ("Save Error") and returns kWriteFailed; the file is as it was.
startup::Status SaveSetup(const std::filesystem::path& path, std::string_view description,
                          const DynamicSelections& selections);

// Deletes record n (1-based) after "Are you sure ..." ("Confirm Deletion") is answered Yes:
// the other records are copied to the temporary file, the old file deleted and the copy
// renamed. kRefused for a record number outside the file, kCancelled for No.
startup::Status DeleteSetup(const std::filesystem::path& path, int record);

}  // namespace meridia::dynamic
