// Merging chart files: the current-format chart files of a source folder are brought into a
// destination folder. A file missing there is copied; a file present in both has each
// incoming chart compared with the destination's charts of the same name by a similarity
// score (0..100) and added unless an identical chart is already there.
#pragma once

#include <filesystem>
#include <string_view>

#include "astro/chart_record.h"
#include "charts/chart_record_io.h"

namespace meridia::charts {

// Similarity of two charts with equal names, 0..100 (100 = identical): moment and place
// terms of up to 25 points each, 4 points for each equal field of eleven, 3 for the source
// text again and 3 for the user SVP. The reserved fields of the stored records are among the
// eleven.
int ChartSimilarity(const astro::ChartRecord& a, const astro::ChartRecord& b,
                    const ReservedFields& reserved_a = {}, const ReservedFields& reserved_b = {});

struct MergeTotals {
    int files = 0;   // files merged or copied
    int charts = 0;  // charts brought in by merging
};

class FileMerger {
public:
    // Merges every "*.MDcht" file of the source folder and reports "Merge finished.".
    MergeTotals MergeChartFiles(const std::filesystem::path& source_folder,
                                const std::filesystem::path& destination_folder);
    // The folder walk for one file pattern ("*.MDcht", "*.cht"); a ".cht" file that is
    // copied takes its ".chm" comment file along.
    MergeTotals MergeCharts(const std::filesystem::path& source_folder,
                            const std::filesystem::path& destination_folder,
                            std::string_view pattern);
    // Brings the charts of one file into another; returns the number of charts brought in,
    // or -1 when a file could not be opened or the destination could not be written.
    int MergeChartFile(const std::filesystem::path& source_file,
                       const std::filesystem::path& destination_file);
};

}  // namespace meridia::charts
