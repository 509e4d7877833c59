// The batch walk over a chart file: every chart in file order, each either calculated or with
// the message that says why not, and the file's own failure when it cannot be read.
#include "charts/chart_batch.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <filesystem>
#include <string>
#include <vector>

#include "astro/chart_calc.h"
#include "charts/chart_files.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;

constexpr int kSlot = 1;

astro::ChartRecord Record(const std::string& name, int year) {
    astro::ChartRecord r;
    r.data.name = name;
    r.data.place = {"London", "England", 0.1F, 51.5F};
    r.data.date_time = {static_cast<std::int16_t>(year), 5, 14, 10, 20, 30};
    r.data.zone = {0.0F, "GMT"};
    return r;
}

struct Seen {
    int number = 0;
    std::string name;  // of the calculated chart, empty when it failed
    double sun = -1.0;
    startup::StatusCode code = startup::StatusCode::kOk;
    std::string message;
    std::string title;
};

class ChartBatchTest : public meridia::testing::SessionTest {
protected:
    fs::path WriteCharts(const std::vector<astro::ChartRecord>& records) {
        ChartFileImage image;
        image.description = "Batch";
        for (const astro::ChartRecord& record : records) {
            StoredChart chart;
            chart.record = record;
            image.charts.push_back(chart);
        }
        const fs::path path = temp() / "batch.MDcht";
        EXPECT_TRUE(SaveChartFileImage(path, image));
        return path;
    }

    startup::Status Walk(const fs::path& path, std::vector<Seen>& seen, int stop_after = 0) {
        return CalculateChartFile(path, kSlot, [&](const BatchChart& chart) {
            Seen s;
            s.number = chart.number;
            if (chart.slot != nullptr) {
                s.name = chart.slot->record.data.name;
                s.sun = chart.slot->longitude[astro::kSun];
            }
            s.code = chart.status.code();
            s.message = chart.status.message();
            s.title = chart.status.title();
            seen.push_back(s);
            return stop_after == 0 || static_cast<int>(seen.size()) < stop_after;
        });
    }
};

// The Sun's tropical longitude from the ephemeris library itself, for 14 May of the year at
// 10:20:30 UT.
double LibrarySun(int year) {
    const double jd_ut = swe_julday(year, 5, 14, 10.0 + 20.0 / 60.0 + 30.0 / 3600.0, SE_GREG_CAL);
    double x[6] = {};
    char error[AS_MAXCH] = {};
    swe_calc_ut(jd_ut, SE_SUN, SEFLG_SWIEPH, x, error);
    return x[0];
}

TEST_F(ChartBatchTest, EveryChartComesInFileOrder) {
    const fs::path path =
        WriteCharts({Record("One", 1950), Record("Two", 1990), Record("Three", 2010)});
    std::vector<Seen> seen;
    ASSERT_TRUE(Walk(path, seen).ok());
    ASSERT_EQ(seen.size(), 3u);
    const char* names[] = {"One", "Two", "Three"};
    const int years[] = {1950, 1990, 2010};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[static_cast<std::size_t>(i)].number, i + 1);
        EXPECT_EQ(seen[static_cast<std::size_t>(i)].name, names[i]);
        EXPECT_EQ(seen[static_cast<std::size_t>(i)].code, startup::StatusCode::kOk);
        EXPECT_NEAR(seen[static_cast<std::size_t>(i)].sun, LibrarySun(years[i]), 1e-6);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ChartBatchTest, AChartThatCannotBeCalculatedSaysWhyAndTheWalkGoesOn) {
    const fs::path path =
        WriteCharts({Record("One", 1950), Record("Far future", 9000), Record("Three", 2010)});
    std::vector<Seen> seen;
    ASSERT_TRUE(Walk(path, seen).ok());
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].name, "One");
    EXPECT_EQ(seen[1].number, 2);
    EXPECT_TRUE(seen[1].name.empty());
    EXPECT_EQ(seen[1].code, startup::StatusCode::kOutOfRange);
    EXPECT_EQ(seen[1].message, "Date for calculation is outside the range of the ephemeris.");
    EXPECT_EQ(seen[1].title, "Cannot Calculate");
    EXPECT_EQ(seen[2].name, "Three");
    // The failed chart's message is in its status, not shown.
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ChartBatchTest, AFileThatIsNotAChartFileIsRefusedWhole) {
    const fs::path path = temp() / "text.MDcht";
    meridia::testing::WriteFile(path, "this is not a chart file at all");
    std::vector<Seen> seen;
    const startup::Status status = Walk(path, seen);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.message(), "Error whilst attempting to read chart file: " + path.string());
    EXPECT_EQ(status.path(), path);
    EXPECT_TRUE(seen.empty());
    // The message is in the status: the caller shows it.
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ChartBatchTest, TheCallbackCanStopTheWalk) {
    const fs::path path = WriteCharts({Record("One", 1950), Record("Two", 1990)});
    std::vector<Seen> seen;
    ASSERT_TRUE(Walk(path, seen, 1).ok());
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(ChartBatchTest, AMissingFileIsNamedInTheStatus) {
    const fs::path path = temp() / "missing.MDcht";
    std::vector<Seen> seen;
    const startup::Status status = Walk(path, seen);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.path(), path);
    EXPECT_NE(status.message().find(path.string()), std::string::npos) << status.message();
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(sink().messages().empty());
}

}  // namespace
}  // namespace meridia::charts
