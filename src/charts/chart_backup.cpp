#include "charts/chart_backup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "charts/chart_files.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/text_tools.h"

namespace meridia::charts {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProductName = "Meridia";

// Files of a folder whose names end like the pattern: "ch" and any one character for
// backups ("*ch?"), "cht" for restores ("*cht"). Compared without case.
std::vector<fs::path> MatchingFiles(const fs::path& folder, bool any_last_character) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        if (!item.is_regular_file(ec)) {
            continue;
        }
        const std::string name = startup::LowerAscii(item.path().filename().string());
        if (name.size() < 3) {
            continue;
        }
        const std::string_view tail = std::string_view(name).substr(name.size() - 3);
        if (tail.substr(0, 2) == "ch" && (any_last_character || tail[2] == 't')) {
            files.push_back(item.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int BackupChartFiles(const fs::path& chart_folder, const fs::path& target_folder) {
    const std::vector<fs::path> files = MatchingFiles(chart_folder, true);
    const int answer = startup::ShowMessage(
        startup::JoinLines({std::to_string(files.size()) + " files in:", chart_folder.string(),
                            "will be copied to:", target_folder.string(), "",
                            "Do you wish to proceed?"}),
        startup::kYesNo | startup::kQuestion, kProductName);
    if (answer != startup::kAnswerYes) {
        return -1;
    }
    int copied = 0;
    int failure = 0;
    std::error_code ec;
    fs::create_directories(target_folder, ec);
    for (const fs::path& file : files) {
        if (startup::CopyFileSafely(file, target_folder / file.filename()).ok()) {
            ++copied;
        } else {
            failure = copied + 1;
            break;
        }
    }
    if (failure != 0) {
        startup::ShowMessage(
            "Unable to back up files to this location. ShellFileCopy Return Code: " +
                std::to_string(failure),
            startup::kExclamation, kProductName);
        return -1;
    }
    startup::ShowMessage("Files were successfully backed up.", startup::kInformation, kProductName);
    return copied;
}

int RestoreChartFiles(const fs::path& backup_folder, const fs::path& chart_folder) {
    const std::vector<fs::path> files = MatchingFiles(backup_folder, false);
    constexpr const char* kOverwriteWarning =
        "WARNING - If you have any existing chart files of the same name as those being "
        "restored, they will be overwritten.";
    const int answer = startup::ShowMessage(
        startup::JoinLines({std::to_string(files.size()) + " chart files will be copied from " +
                                backup_folder.string() + " to " + chart_folder.string(),
                            "", kOverwriteWarning, "", "Do you wish to proceed?"}),
        startup::kYesNo | startup::kQuestion, kProductName);
    if (answer != startup::kAnswerYes) {
        return -1;
    }
    std::error_code ec;
    fs::create_directories(chart_folder, ec);
    int restored = 0;
    for (const fs::path& file : files) {
        const fs::path target = chart_folder / file.filename();
        if (fs::exists(target, ec)) {
            const int choice = startup::ShowMessage(
                startup::JoinLines({"Do you wish to overwrite the existing file", target.string(),
                                    "with the following file from your backup location",
                                    file.string(), "", "Choose YES to overwrite it.",
                                    "Choose NO to skip this file.",
                                    "Choose CANCEL to quit the copying process altogether."}),
                startup::kYesNoCancel | startup::kQuestion, "Overwrite Existing Chart File?");
            if (choice == startup::kAnswerCancel) {
                break;
            }
            if (choice != startup::kAnswerYes) {
                continue;
            }
        }
        if (!startup::CopyFileSafely(file, target).ok()) {
            continue;
        }
        const fs::path comments = CommentFileName(file);
        if (fs::exists(comments, ec)) {
            startup::CopyFileSafely(comments, CommentFileName(target));
        }
        ++restored;
    }
    startup::ShowMessage(std::to_string(restored) + " chart files were restored.",
                         startup::kInformation, kProductName);
    return restored;
}

}  // namespace meridia::charts
