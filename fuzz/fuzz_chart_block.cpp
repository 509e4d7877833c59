// Fuzz target: the foreign block format (".tsl": a 128-byte header block, then three 128-byte
// blocks per chart) as import reads it. Input: the file.
// Properties: reading never crashes, leaks or runs away; the charts read can be exported to
// the block format again and read back with the same count.
#include <cstddef>
#include <cstdint>

#include "charts/chart_files.h"
#include "fuzz_session.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::filesystem::path folder = session.user_files() / "Charts";
    const std::filesystem::path file = folder / "fuzz.tsl";
    meridia::testing::WriteFile(file, fuzz::AsBytes(data, size));

    const auto image = charts::ReadChartFileImage(file);
    if (!image) {
        return 0;
    }
    const std::filesystem::path copy = folder / "copy.tsl";
    fuzz::Require(charts::CreateChartFile(copy, charts::kVersionTessel, image->description),
                  "an export file could not be made");
    const charts::OpenedChartFile opened = charts::OpenChartFile(copy);
    fuzz::Require(opened.handle >= 1, "a new export file does not open");
    int n = 0;
    for (const charts::StoredChart& chart : image->charts) {
        ++n;
        fuzz::Require(charts::WriteChartRecord(opened.version, opened.handle, n, chart.record),
                      "a chart could not be exported");
    }
    charts::CloseChartFile(opened.version, opened.handle);
    const auto reread = charts::ReadChartFileImage(copy);
    fuzz::Require(reread.has_value() && reread->charts.size() == image->charts.size(),
                  "an exported file does not read back");
    return 0;
}
