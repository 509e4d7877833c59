// The harmonic weighting table "MWA.INI": the factory table, a round trip, damaged and hostile
// texts built here, and the midpoint weighting report over a damaged or missing table.
#include "reports/midpoint_weights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "charts/point_selection.h"
#include "reports/dignity_tables.h"
#include "reports/reports.h"
#include "startup/file_io.h"
#include "support/test_session.h"

namespace meridia::reports {
namespace {

constexpr const char* kHeader = "[Midpoint Weighting]\n; comment\nHarm Weight Orb\n";

TEST(ParseMidpointWeights, ReadsTheRowsAfterTheHeader) {
    const auto table = ParseMidpointWeights(
        std::string(kHeader) + "1 4 2.0\n\n; a comment\n2\t3\t1.5\r\n8 -1 0.25\n", "MWA.INI");
    ASSERT_TRUE(table.ok()) << table.status().message();
    ASSERT_EQ(table->size(), 3U);
    EXPECT_EQ((*table)[1].harmonic, 2);
    EXPECT_EQ((*table)[1].weight, 3.0);
    EXPECT_EQ((*table)[1].orb, 1.5);
    EXPECT_EQ((*table)[2].weight, -1.0);
    // "Harmonic" spelled out serves as well.
    EXPECT_TRUE(ParseMidpointWeights("Harmonic  Weight  Orb\n4 2 1\n", "MWA.INI").ok());
}

TEST(ParseMidpointWeights, FormattedTableReadsBack) {
    const std::vector<HarmonicWeight> rows = {{1, 4.0, 2.0}, {3, 0.5, 0.75}, {360, 1.25, 0.1}};
    const auto back = ParseMidpointWeights(FormatMidpointWeights(rows), "MWA.INI");
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back->size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ((*back)[i].harmonic, rows[i].harmonic);
        EXPECT_EQ((*back)[i].weight, rows[i].weight);
        EXPECT_EQ((*back)[i].orb, rows[i].orb);
    }
}

TEST(ParseMidpointWeights, DamagedTablesAreRefusedWithTheirName) {
    std::string many = kHeader;
    for (int i = 0; i <= 64; ++i) {
        many += "1 1 1\n";
    }
    const std::string texts[] = {
        "",
        "1 4 2.0\n",                         // no header
        kHeader,                             // no rows
        std::string(kHeader) + "1 x 2\n",    // not a number
        std::string(kHeader) + "1 4 2 7\n",  // a fourth column
        std::string(kHeader) + "1 4\n",      // a missing column
        std::string(kHeader) + "0 4 2\n",    // harmonic 0
        std::string(kHeader) + "361 4 2\n",  // harmonic above 360
        std::string(kHeader) + "2 4 90\n",   // orb of a quadrant
        std::string(kHeader) + "2 4 -1\n",   // negative orb
        std::string(kHeader) + "2 nan 1\n",  // weight not finite
        std::string(kHeader) + "2 inf 1\n",
        std::string(kHeader) + "99999999999999999999 1 1\n",
        many,                                            // more rows than the table holds
        std::string(kHeader) + std::string(70000, '1'),  // larger than any table
        std::string(kHeader) + std::string("2 4 1\0junk", 10) + "\n",
    };
    for (const std::string& text : texts) {
        const auto table = ParseMidpointWeights(text, "MWA.INI");
        ASSERT_FALSE(table.ok()) << text.substr(0, 60);
        EXPECT_EQ(table.status().code(), startup::StatusCode::kDamaged);
        EXPECT_EQ(table.status().message(), "MWA.INI is damaged.");
    }
}

TEST(ParseMidpointWeights, FactoryTableHoldsTheHardAngleHarmonics) {
    const auto bytes = startup::ReadFileLimited(
        testing::FactoryDir() / kDignityFolder / kMidpointWeightsFile, kMaxMidpointWeightsBytes);
    ASSERT_TRUE(bytes.ok());
    const auto table = ParseMidpointWeights(*bytes, "MWA.INI");
    ASSERT_TRUE(table.ok());
    ASSERT_EQ(table->size(), 4U);
    const int harmonics[] = {1, 2, 4, 8};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ((*table)[i].harmonic, harmonics[i]);
        EXPECT_GT((*table)[i].weight, 0.0);
    }
}

class MidpointWeightingReportTest : public testing::SessionTest {
protected:
    int slot_ = 0;

    ReportWriter RunWith(const std::string* table_text,
                         std::optional<charts::PointSelection> selection = std::nullopt) {
        const std::filesystem::path folder = session().folders().user_files / kDignityFolder;
        std::filesystem::create_directories(folder);
        std::filesystem::remove(folder / kMidpointWeightsFile);
        if (table_text != nullptr) {
            EXPECT_TRUE(startup::WriteFileSafely(folder / kMidpointWeightsFile, *table_text).ok());
        }
        astro::ChartRecord r;
        r.data.date_time = {1990, 12, 21, 12, 0, 0};
        r.data.place.latitude = 48.4F;
        r.data.place.longitude = -10.0F;
        slot_ = astro::OpenChartIntoSlot(r, "", 0);
        ReportRequest request;
        request.slot_a = slot_;
        request.selection = selection;
        ReportWriter w;
        EXPECT_TRUE(RunReport("midpoint-weighting", request, w).ok());
        return w;
    }

    static bool Has(const ReportWriter& w, const std::string& text) {
        for (const ReportLine& line : w.Lines()) {
            if (line.text == text) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(MidpointWeightingReportTest, DamagedOrMissingTableIsNamedInTheReport) {
    const std::string damaged = std::string(kHeader) + "2 four 1\n";
    ReportWriter w = RunWith(&damaged);
    EXPECT_TRUE(Has(w, "MWA.INI is damaged."));
    EXPECT_EQ(w.Lines().back().text, kEndReport);
    EXPECT_EQ(w.Values().count("total_hits"), 0U);

    w = RunWith(nullptr);
    EXPECT_TRUE(Has(w, "Unable to open MWA.INI."));
    EXPECT_EQ(w.Lines().back().text, kEndReport);
}

// With the conjunction harmonic alone and an orb of 89.9 degrees, every point lies on the axis
// of every pair of the others (unless it stands within 0.1 degree of square to the midpoint,
// which the chart below does not have): 5 points give 10 midpoints, each hit by the 3 others.
TEST_F(MidpointWeightingReportTest, WideOrbCountsEveryPointOnEveryAxis) {
    const std::string table = std::string(kHeader) + "1 1 89.9\n";
    charts::PointSelection selection;
    const int points[] = {astro::kSun, astro::kMoon, astro::kMercury, astro::kVenus, astro::kMars};
    for (const int p : points) {
        charts::SelectPoint(selection, p);
    }
    const ReportWriter w = RunWith(&table, selection);
    const astro::ChartSlot& slot = astro::Slot(slot_);
    for (const int a : points) {
        for (const int b : points) {
            for (const int c : points) {
                if (a < b && c != a && c != b) {
                    const double mid =
                        astro::ArcMidpoint(slot.longitude[static_cast<std::size_t>(a)],
                                           slot.longitude[static_cast<std::size_t>(b)]);
                    const double off = std::fabs(
                        std::remainder(slot.longitude[static_cast<std::size_t>(c)] - mid, 180.0));
                    ASSERT_LT(off, 89.9) << a << "/" << b << " " << c;
                }
            }
        }
    }
    ASSERT_EQ(w.Values().count("total_hits"), 1U);
    EXPECT_EQ(std::get<double>(w.Values().at("total_hits")), 30.0);
    EXPECT_TRUE(Has(w, "Total Hits: 30"));
}

}  // namespace
}  // namespace meridia::reports
