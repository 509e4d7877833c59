// Fuzz target: the eclipse column layout "EclCols.ini" (the view size and the lists of column
// types, shown flags and widths).
// Input: the file.
// Properties: reading never crashes, leaks or runs away; whatever the file, the layout holds
// each of the 13 column types once with widths in range; a layout read without complaint is
// written and read back unchanged; the table text has its two heading lines.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

#include "fuzz_session.h"
#include "returns/eclipse_columns.h"
#include "support/test_session.h"

using namespace meridia;

namespace {

bool SameLayout(const returns::EclipseColumnSet& a, const returns::EclipseColumnSet& b) {
    if (a.view_width != b.view_width || a.view_height != b.view_height ||
        a.columns.size() != b.columns.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.columns.size(); ++i) {
        if (a.columns[i].column_type != b.columns[i].column_type ||
            a.columns[i].show != b.columns[i].show ||
            a.columns[i].column_width != b.columns[i].column_width) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::filesystem::path file = session.user_files() / "Settings" / "EclCols.ini";
    meridia::testing::WriteFile(file, fuzz::AsBytes(data, size));

    returns::EclipseColumnSet set;
    const startup::Status status = returns::ReadEclipseColumns(file, set);
    std::set<int> types;
    for (const returns::EclipseColumn& c : set.columns) {
        types.insert(c.column_type);
        fuzz::Require(c.column_width >= 0 && c.column_width <= returns::kMaxEclipseColumnWidth,
                      "a column width is out of range");
    }
    fuzz::Require(set.columns.size() == returns::kEclipseColumnCount &&
                      types.size() == returns::kEclipseColumnCount && *types.begin() == 1 &&
                      *types.rbegin() == returns::kEclipseColumnCount,
                  "the layout does not hold each column type once");
    fuzz::Require(set.view_width >= 0 && set.view_width <= returns::kMaxEclipseViewSize &&
                      set.view_height >= 0 && set.view_height <= returns::kMaxEclipseViewSize,
                  "the view size is out of range");
    fuzz::Require(returns::EclipseTableLines(set, {}).size() == 2,
                  "the table has not two heading lines");
    if (status.ok()) {
        fuzz::Require(returns::WriteEclipseColumns(file, set).ok(), "the layout was not written");
        returns::EclipseColumnSet read;
        fuzz::Require(returns::ReadEclipseColumns(file, read).ok() && SameLayout(set, read),
                      "a layout written does not read back");
    }
    return 0;
}
