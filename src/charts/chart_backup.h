// Backup and restore of the chart folder: the chart files (and ".chm" comment files) are
// copied to or from a folder the user chose, with the confirmation and overwrite questions
// shown through the message box.
#pragma once

#include <filesystem>

namespace meridia::charts {

// Copies every "*ch?" file of the chart folder (current-format, ".cht" and ".chm" files) to
// the target folder after the "Do you wish to proceed?" question. Returns the number of
// files copied, or -1 when the user declined or the copy failed.
int BackupChartFiles(const std::filesystem::path& chart_folder,
                     const std::filesystem::path& target_folder);

// Copies every "*cht" file of the backup folder into the chart folder, asking before each
// existing file is overwritten (Yes overwrites, No skips, Cancel stops); a ".chm" comment
// file travels with its chart file. Returns the number of chart files restored, or -1 when
// the user declined at the start.
int RestoreChartFiles(const std::filesystem::path& backup_folder,
                      const std::filesystem::path& chart_folder);

}  // namespace meridia::charts
