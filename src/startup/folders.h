// The folders of the program: the per-user configuration folder (the per-account settings
// files and "registry.ini", which holds what the program keeps in the registry), the
// Documents folder, the program folder of factory files, and the user-files folder with its
// subfolders. Factory files that the user may edit lie in the program folder under the same
// subfolder names as in the user-files folder and are copied in when missing or older.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "startup/activity_log.h"

namespace meridia::startup {

inline constexpr std::string_view kUserFolderName = "Meridia User Files";
inline constexpr std::array<std::string_view, 10> kUserSubfolders = {
    "Charts", "Aspects",         "Points & Colors", "Wheels & Dials", "Almutens & Dignities",
    "Tasks",  "Interpretations", "Places",          "Maps",           "Settings"};

inline constexpr std::string_view kRegistryFile = "registry.ini";
inline constexpr std::string_view kInstallFile = "MeridiaInstall.ini";
inline constexpr std::string_view kUserFolderFile = "MeridiaMDUF.ini";
// Where the user-files location is kept in "registry.ini".
inline constexpr std::string_view kRegistrySection = "UserFiles";
inline constexpr std::string_view kRegistryFolderKey = "Folder";
inline constexpr std::string_view kRegistryNextFolderKey = "NextFolder";
// Relocation type written when "MeridiaMDUF.ini" is recreated.
inline constexpr int kDefaultRelocationType = -3;
// Prefix of the copy kept when a settings file is replaced by a newer factory copy.
inline constexpr std::string_view kOldCopyPrefix = "Old_";

// $XDG_CONFIG_HOME/Meridia, else ~/.config/Meridia.
std::filesystem::path DefaultConfigFolder();
// $XDG_DOCUMENTS_DIR, else ~/Documents.
std::filesystem::path DocumentsFolder();
// ../share/meridia beside the executable's folder.
std::filesystem::path ProgramFolderFor(const std::filesystem::path& executable);
// The standard user-files folder under a Documents folder.
std::filesystem::path StandardUserFolder(const std::filesystem::path& documents);

// A user-files folder candidate is valid when its path is absolute (it begins at the root),
// it exists and it is a folder. Drive kinds have no counterpart here, so every relocation
// type accepts every mounted file system.
bool IsValidUserFolder(const std::filesystem::path& folder, int relocation_type);

// Finds the user-files folder: the folder stored in "registry.ini", the next folder stored
// there, `UserFolder` of "MeridiaMDUF.ini", the standard folder under Documents; the first
// valid one is saved back to "registry.ini" (when it differs from what is stored there). When none
// is valid the standard folder is created. "MeridiaMDUF.ini" is recreated (relocation type -3) when
// missing. std::nullopt when no folder could be found or created (logged).
std::optional<std::filesystem::path> LocateUserFolder(const std::filesystem::path& config,
                                                      const std::filesystem::path& documents,
                                                      ActivityLog& log);

// Creates the missing subfolders of the user-files folder (and the folder itself). Returns
// false when one could not be created (logged as "Could not create user folder (...).").
bool CreateUserSubfolders(const std::filesystem::path& user_files, ActivityLog& log);

// Copies every file under the program folder's user subfolders into the same place of the
// user-files folder when it is missing there or older than the factory copy (the copy keeps
// the factory file's time). A replaced file of the "Settings" folder is first kept as
// "Old_" + its name. Returns the number of files copied.
int RefreshFactoryFiles(const std::filesystem::path& program,
                        const std::filesystem::path& user_files, ActivityLog& log);

}  // namespace meridia::startup
