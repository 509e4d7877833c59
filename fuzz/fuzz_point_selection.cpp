// Fuzz target: point-selection files (22-byte records: point name, selected flag) and the
// inline selections ("...~|010305") that name points by two-digit numbers. Input: the file's
// bytes, also read as the text of an inline selection.
// Properties: loading never crashes, leaks or runs away; a loaded table selects only points
// in use and counts what it selects; a refused file leaves the table as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/point_selection.h"
#include "fuzz_session.h"
#include "support/test_session.h"

using namespace meridia;

namespace {

void CheckTable(const charts::PointSelection& table, int points_in_use) {
    int geocentric = 0;
    int heliocentric = 0;
    for (int point = 0; point <= charts::kSelectionPoints; ++point) {
        const auto i = static_cast<std::size_t>(point);
        fuzz::Require(!table.geocentric[i] || (point >= 1 && point <= points_in_use),
                      "a point out of use is selected");
        geocentric += table.geocentric[i] ? 1 : 0;
        heliocentric += table.heliocentric[i] ? 1 : 0;
    }
    fuzz::Require(geocentric == table.geocentric_count && heliocentric == table.heliocentric_count,
                  "the counts do not match the table");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::string_view input = fuzz::AsBytes(data, size);
    meridia::testing::WriteFile(charts::SelectionPath("fuzz", charts::SelectionKind::kDisplayed),
                                input);

    for (const int points_in_use : {charts::kSelectionPoints, 37}) {
        charts::PointSelection table;
        table.geocentric[1] = true;
        table.geocentric_count = 1;
        const charts::PointSelection before = table;
        const auto result = charts::LoadPointSelection("fuzz", charts::SelectionKind::kDisplayed,
                                                       table, points_in_use);
        if (result.loaded) {
            CheckTable(table, points_in_use);
        } else {
            fuzz::Require(table.geocentric == before.geocentric &&
                              table.geocentric_count == before.geocentric_count,
                          "a refused file changed the table");
        }

        charts::PointSelection inline_table;
        const std::string inline_text = "fuzz~|" + std::string(input);
        charts::LoadPointSelection(inline_text, charts::SelectionKind::kDisplayed, inline_table,
                                   points_in_use);
        CheckTable(inline_table, points_in_use);
    }
    return 0;
}
