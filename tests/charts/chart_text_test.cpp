// How the chart file list names a chart's type.
#include "charts/chart_text.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/test_session.h"

namespace meridia::charts {
namespace {

class ChartTextTest : public testing::SessionTest {};

TEST_F(ChartTextTest, ChartTypeIsTheKindElseTheClass) {
    struct Row {
        int chart_class;
        int chart_kind;
        const char* name;
    };
    const Row rows[] = {
        {1, 1, "Natal/Event"}, {1, 43, "Horary"},  {8, 16, "Epoch (Bailey)"},
        {2, 4, "- Solar Arc"}, {6, 0, "Harmonic"}, {4, 250, "Return"},
    };
    for (const Row& row : rows) {
        astro::ChartRecord record;
        record.chart_class = static_cast<std::uint8_t>(row.chart_class);
        record.chart_kind = static_cast<std::uint8_t>(row.chart_kind);
        EXPECT_EQ(ChartTypeName(record), row.name) << row.chart_class << "/" << row.chart_kind;
    }
}

}  // namespace
}  // namespace meridia::charts
