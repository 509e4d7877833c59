// Fuzz target: chart files of every stored version (the current format and the three older
// fixed-record formats, told apart by their first bytes) with the comment file of the older
// ones. Input: the chart file, then kPartMarker and the ".chm" comment file.
// Properties: reading never crashes, leaks or runs away; a file that was read whole can be
// converted or saved and then read back with the same number of charts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/chart_files.h"
#include "fuzz_session.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const auto parts = fuzz::SplitParts(fuzz::AsBytes(data, size), 2);
    const std::filesystem::path folder = session.user_files() / "Charts";
    const std::filesystem::path file = folder / "fuzz.cht";
    meridia::testing::WriteFile(file, parts[0]);
    if (!parts[1].empty()) {
        meridia::testing::WriteFile(charts::CommentFileName(file), parts[1]);
    }

    const auto version = charts::DetectChartFileVersion(file);
    const auto image = charts::ReadChartFileImage(file);
    if (!image) {
        return 0;
    }
    const std::size_t count = image->charts.size();
    if (count > 0) {
        charts::LoadChartByNumber(file, 1);
        charts::LoadChartByNumber(file, static_cast<int>(count));
    }

    // What was read can be written in the current format and read back.
    const std::filesystem::path copy = folder / "copy.MDcht";
    charts::ChartFileImage current = *image;
    current.version = charts::kVersionCurrent;
    fuzz::Require(charts::SaveChartFileImage(copy, current), "the image could not be saved");
    const auto reread = charts::LoadChartFileImage(copy);
    fuzz::Require(reread.has_value() && reread->charts.size() == count,
                  "a saved image does not read back");

    // A comment stored in an older file reads back as written, whatever the comment file
    // held before.
    const charts::OpenedChartFile opened = charts::OpenChartFile(file);
    if (opened.handle >= 1 && opened.count > 0 &&
        (opened.version == charts::kVersion1 || opened.version == charts::kVersion2)) {
        const std::string text = "A comment written over whatever was there";
        if (charts::WriteChartComments(opened.version, opened.handle, 1, text)) {
            fuzz::Require(charts::ReadChartComments(opened.version, opened.handle, 1) == text,
                          "a stored comment does not read back");
        }
    }
    if (opened.handle >= 1) {
        charts::CloseChartFile(opened.version, opened.handle);
    }

    // The older formats convert to the current one with every chart.
    if (version && *version >= charts::kVersion0 && *version <= charts::kVersion2) {
        const auto converted = charts::ConvertChartFile(file, *version, charts::kVersionCurrent);
        if (converted.status == 0) {
            const auto after = charts::ReadChartFileImage(converted.new_name);
            fuzz::Require(after.has_value() && after->charts.size() == count,
                          "a converted file does not read back");
        }
    }
    return 0;
}
