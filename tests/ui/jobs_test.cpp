// The window's long jobs: the runner (a worker thread behind a modal progress window whose
// Cancel stops the core's search, the ephemeris set up on the worker as on the window's
// thread, the core's messages shown by the window's thread), the chart slots kept through a
// job, and the dialogs that drive the returns, eclipse, lunar-phase, void-of-course, dynamic
// and text-report jobs with good and bad values.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cmath>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "charts/chart_entry.h"
#include "directions/dynamic_source.h"
#include "returns/dynamic_events.h"
#include "returns/returns.h"
#include "startup/messages.h"
#include "ui/chart_view.h"
#include "ui/dynamic_dialogs.h"
#include "ui/eclipse_dialogs.h"
#include "ui/job_runner.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/report_view.h"
#include "ui/returns_dialogs.h"
#include "ui_fixture.h"

namespace meridia::testing {
namespace {

// The Sun's apparent geocentric longitude from the library itself, in degrees.
double SunLongitude(double jd_ut) {
    double xx[6] = {};
    char error[256] = {};
    swe_calc_ut(jd_ut, SE_SUN, SEFLG_SWIEPH | SEFLG_SPEED, xx, error);
    return xx[0];
}

double ArcSeconds(double a, double b) { return std::abs(std::remainder(a - b, 360.0)) * 3600.0; }

// Presses Cancel in the progress window the first time it shows a text.
class CancelOnFirstProgress {
public:
    CancelOnFirstProgress() {
        ui::JobRunner::SetObserver([](QProgressDialog& dialog) {
            auto* button = dialog.findChild<QPushButton*>();
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), Q("Cancel"));
            QTest::mouseClick(button, Qt::LeftButton);
        });
    }
    ~CancelOnFirstProgress() { ui::JobRunner::SetObserver({}); }
};

class JobsTest : public UiTest {
protected:
    JobsTest() {
        returns::RegisterDynamicExtraEvents();
        returns::RegisterReturnCharts();
        directions::RegisterPrimaryDirections();
    }
};

TEST_F(JobsTest, CancelStopsTheJobAndRunSaysSo) {
    CancelOnFirstProgress cancel;
    int reports = 0;
    const bool finished = ui::JobRunner::Run(nullptr, Q("Test"), [&reports](ui::JobProgress& p) {
        // A search that goes on until its progress callback says stop.
        while (p.Report("Calculating for step " + std::to_string(reports), reports % 100)) {
            ++reports;
            QThread::msleep(2);
        }
    });
    EXPECT_FALSE(finished);
    EXPECT_GT(reports, 0);
    EXPECT_FALSE(ui::JobRunner::Running());
}

TEST_F(JobsTest, JobRunsOnAWorkerWithTheSessionsEphemeris) {
    ASSERT_TRUE(started_);
    const astro::ChartRecord record = SampleRecord();
    ASSERT_TRUE(charts::CalculateChartRecord(record, 3).ok());
    const double here = astro::Slot(3).longitude[3];
    Qt::HANDLE worker_thread = nullptr;
    double there = -1.0;
    bool running_inside = false;
    ASSERT_TRUE(ui::JobRunner::Run(nullptr, Q("Test"), [&](ui::JobProgress&) {
        worker_thread = QThread::currentThreadId();
        running_inside = ui::JobRunner::Running();
        if (charts::CalculateChartRecord(record, 4).ok()) {
            there = astro::Slot(4).longitude[3];
        }
    }));
    EXPECT_NE(worker_thread, QThread::currentThreadId());
    EXPECT_TRUE(running_inside);
    // The same data files on both threads give the same Sun to the last digit.
    EXPECT_EQ(there, here);
    EXPECT_LT(ArcSeconds(here, SunLongitude(astro::Slot(3).julian_day_ut)), 0.001);
}

TEST_F(JobsTest, MessageOfAWorkerIsShownByTheWindowsThread) {
    Qt::HANDLE box_thread = nullptr;
    QString box_text;
    QTimer press;
    press.setInterval(10);
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        box_thread = QThread::currentThreadId();
        box_text = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    press.start();
    int answer = 0;
    ui::JobRunner::Run(nullptr, Q("Test"), [&answer](ui::JobProgress&) {
        ui::MessageBoxSink sink;
        answer = sink.Show({"From the worker", startup::kYesNo | startup::kQuestion, "Worker"});
    });
    press.stop();
    EXPECT_EQ(answer, startup::kAnswerYes);
    EXPECT_EQ(box_text, Q("From the worker"));
    EXPECT_EQ(box_thread, QThread::currentThreadId());
}

TEST_F(JobsTest, JobSlotsPutTheJobSlotsBackAndFreeWhatTheJobOpened) {
    ASSERT_TRUE(started_);
    const astro::ChartRecord record = SampleRecord();
    // A chart the window shows, in slot 1.
    ASSERT_EQ(astro::OpenChartIntoSlot(record, "", 0), 1);
    const double first_jd = astro::Slot(1).julian_day;
    int opened = -1;
    int kept = -1;
    {
        ui::JobSlots slots;
        astro::ChartRecord other = record;
        other.data.date_time.year = 1950;
        ASSERT_TRUE(charts::CalculateChartRecord(other, 1).ok());
        opened = astro::OpenChartIntoSlot(other, "", 0);
        kept = astro::OpenChartIntoSlot(other, "", 0);
        ASSERT_GT(opened, 1);
        ASSERT_GT(kept, 2);
        slots.Keep(kept);
    }
    EXPECT_EQ(astro::Slot(1).julian_day, first_jd);
    EXPECT_EQ(astro::Slot(opened).chart_serial, 0);
    EXPECT_NE(astro::Slot(kept).chart_serial, 0);
}

TEST_F(JobsTest, ReturnsFindsTheSolarReturnAndListsIt) {
    ASSERT_TRUE(started_);
    const astro::ChartRecord record = SampleRecord();
    ASSERT_TRUE(charts::CalculateChartRecord(record, 5).ok());
    const double natal_sun = SunLongitude(astro::Slot(5).julian_day_ut);

    ui::JobSlots slots;
    ui::Returns dialog(record);
    dialog.start_date()->setText(Q("1 Jan 2000"));
    dialog.count()->setValue(2);
    const auto result = dialog.Run();
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->returns.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(result->returns[i].found);
        const double jd = result->returns[i].jd_ut;
        EXPECT_LT(ArcSeconds(SunLongitude(jd), natal_sun), 1.0);
        // The returns of 2000 and 2001, in March.
        const double year = 2000.0 + (jd - 2451544.5) / 365.25;
        EXPECT_NEAR(year, 2000.2 + static_cast<double>(i), 0.05);
    }
    ui::ReturnSelect select(*result);
    EXPECT_EQ(select.windowTitle(), Q("Return Selection"));
    ASSERT_EQ(select.list()->count(), 2);
    select.list()->item(1)->setSelected(true);
    EXPECT_EQ(select.ChosenSlots(), result->slots);
}

TEST_F(JobsTest, ReturnsRefusesAnUnreadablePositionAndStaysOpen) {
    ASSERT_TRUE(started_);
    ui::Returns dialog(SampleRecord());
    dialog.user_position()->setChecked(true);
    dialog.position()->setText(Q("45Ar00"));
    sink().Clear();
    dialog.accept();
    EXPECT_FALSE(dialog.result().has_value());
    EXPECT_EQ(LastMessage().text, "The position \"45Ar00\" cannot be read.");

    sink().Clear();
    dialog.position()->clear();
    dialog.start_date()->setText(Q("31 Foo 2000"));
    dialog.accept();
    EXPECT_FALSE(dialog.result().has_value());
    EXPECT_EQ(LastMessage().title, "Error in Date");
}

TEST_F(JobsTest, CancelledReturnSearchKeepsTheReturnsFoundSoFar) {
    ASSERT_TRUE(started_);
    CancelOnFirstProgress cancel;
    ui::JobSlots slots;
    ui::Returns dialog(SampleRecord());
    dialog.start_date()->setText(Q("1 Jan 2000"));
    dialog.count()->setValue(90);
    const auto result = dialog.Run();
    // The returns found before Cancel reached the search are kept (how many depends on the
    // machine's speed), in order and each with its chart.
    ASSERT_TRUE(result.has_value()) << LastMessage().text;
    ASSERT_LE(result->returns.size(), 90u);
    ASSERT_EQ(result->slots.size(), result->returns.size());
    for (std::size_t i = 0; i < result->returns.size(); ++i) {
        EXPECT_EQ(result->returns[i].number, static_cast<int>(i) + 1);
        EXPECT_TRUE(result->returns[i].found);
    }
}

TEST_F(JobsTest, EclipseSearchListsTheEclipsesOf2024) {
    ASSERT_TRUE(started_);
    std::vector<astro::ChartRecord> charts;
    ui::EclFind find(SampleRecord(),
                     [&charts](const astro::ChartRecord& record) { charts.push_back(record); });
    find.from()->setText(Q("1 Jan 2024"));
    find.to()->setText(Q("31 Dec 2024"));
    ASSERT_TRUE(find.Search());
    // NASA's eclipse canon (Espenak): 25 Mar penumbral lunar, 8 Apr total solar, 18 Sep
    // partial lunar, 2 Oct annular solar.
    ASSERT_EQ(find.table()->rowCount(), 4);
    const char* const kinds[] = {"Lunar", "Solar", "Lunar", "Solar"};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(find.table()->item(row, 1)->text(), Q(kinds[row]));
    }
    EXPECT_EQ(find.table()->item(1, 2)->text(), Q("Total"));
    EXPECT_EQ(find.table()->item(3, 2)->text(), Q("Annular"));

    find.table()->selectRow(1);
    find.CreateCharts();
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_EQ(charts[0].data.name.substr(charts[0].data.name.size() - 5), " (NM)");
}

TEST_F(JobsTest, EclipseSearchSaysNoEclipsesAndRefusesABadPosition) {
    ASSERT_TRUE(started_);
    ui::EclFind find(SampleRecord(), {});
    find.from()->setText(Q("1 Jan 2024"));
    find.to()->setText(Q("2 Jan 2024"));
    sink().Clear();
    ASSERT_TRUE(find.Search());
    EXPECT_EQ(find.table()->rowCount(), 0);
    EXPECT_EQ(LastMessage().text, "No Eclipses");

    find.to()->setText(Q("31 Dec 2024"));
    find.use_fixed()->setChecked(true);
    find.fixed_position()->setText(Q("31Ar00"));
    sink().Clear();
    EXPECT_FALSE(find.Search());
    EXPECT_EQ(LastMessage().text, "The fixed position \"31Ar00\" cannot be read.");
}

TEST_F(JobsTest, LunarPhasesOfAMonth) {
    ASSERT_TRUE(started_);
    ui::MoonReportEntry entry(ui::MoonReportEntry::Kind::kLunarPhases, SampleRecord());
    entry.from()->setText(Q("1 Apr 2024"));
    entry.length()->setValue(1);  // one month
    const auto report = entry.Run();
    ASSERT_TRUE(report.has_value());
    // NASA's phase tables: last quarter 2 Apr 03:15, new Moon 8 Apr 18:21, first quarter
    // 15 Apr 19:13, full Moon 23 Apr 23:49 (UT).
    EXPECT_TRUE(report->second.contains(Q(" 8 Apr  2024  18:2"))) << report->second.toStdString();
    EXPECT_TRUE(report->second.contains(Q("23 Apr  2024  23:4"))) << report->second.toStdString();
    EXPECT_EQ(report->second.count('\n'), 4);

    entry.from()->setText(Q("31 Foo 2024"));
    sink().Clear();
    EXPECT_FALSE(entry.Run().has_value());
    EXPECT_EQ(LastMessage().title, "Error in Date");
}

TEST_F(JobsTest, LunarPhaseFamilyChartsAroundADate) {
    ASSERT_TRUE(started_);
    ui::MoonReportEntry entry(ui::MoonReportEntry::Kind::kLunarPhases, SampleRecord());
    ASSERT_EQ(entry.chart_kind()->count(), 10);
    entry.chart_kind()->setCurrentIndex(entry.chart_kind()->findText(Q("Phase Family (New)")));
    entry.around()->setText(Q("1 Apr 2024"));
    const auto report = entry.Run();
    ASSERT_TRUE(report.has_value());
    // The lunation that begins with the New Moon of 8 Apr 2024 (18:21 UT).
    ASSERT_EQ(entry.created_charts().size(), 8U);
    EXPECT_EQ(entry.created_charts()[0].data.name, "Lunar Phase Family - New Moon");
    EXPECT_EQ(entry.created_charts()[7].data.name, "Lunar Phase Family - Balsamic");
    EXPECT_TRUE(report->second.contains(Q(" 8 Apr  2024  18:2"))) << report->second.toStdString();
}

TEST_F(JobsTest, VoidOfCoursePeriodsFromTheChartsMoment) {
    ASSERT_TRUE(started_);
    ui::MoonReportEntry entry(ui::MoonReportEntry::Kind::kVoidOfCourse, SampleRecord());
    entry.length()->setValue(3);
    const auto report = entry.Run();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->first, Q("Void of Course Moon - Sample chart"));
    EXPECT_EQ(report->second.count(Q("Void of Course Moon from")) +
                  report->second.count(Q("No void period")),
              3);
}

TEST_F(JobsTest, DynamicReportOfTransitsAndItsRefusals) {
    ASSERT_TRUE(started_);
    ui::DynamicEntry entry(SampleRecord());
    entry.start_date()->setText(Q("1 Jan 2000"));
    entry.period()->setValue(1);
    const auto result = entry.Run();
    ASSERT_TRUE(result.has_value());
    ASSERT_GT(result->run.table.TranEvents(), 0);
    ui::DynamicView view(*result);
    EXPECT_EQ(view.table()->columnCount(), 9);
    EXPECT_EQ(view.table()->horizontalHeaderItem(1)->text(), Q("E/X/L Event"));
    EXPECT_GT(view.table()->rowCount(), 0);
    view.SortBy(0);
    // Sorted by date: the first row's date is the earliest.
    EXPECT_TRUE(view.table()->item(0, 0)->text().contains(Q("2000")));

    entry.start_date()->setText(Q("31 Foo 2000"));
    sink().Clear();
    EXPECT_FALSE(entry.Run().has_value());
    EXPECT_EQ(LastMessage().title, "Error in Date");
}

TEST_F(JobsTest, CancelledDynamicReportSaysWhereItStopped) {
    ASSERT_TRUE(started_);
    CancelOnFirstProgress cancel;
    ui::DynamicEntry entry(SampleRecord());
    entry.start_date()->setText(Q("1 Jan 2000"));
    entry.period()->setValue(50);
    const auto result = entry.Run();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->run.stopped_text.rfind("Report was stopped at ", 0), 0u);
}

TEST_F(JobsTest, ReportMenuShowsTheReportOfTheCurrentChart) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    const int slot = window.OpenChart(SampleRecord());
    ASSERT_GT(slot, 0);
    const double jd = astro::Slot(slot).julian_day;
    window.TextReport("considerations");
    auto* report = qobject_cast<ui::ReportView*>(window.tabs()->currentWidget());
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->text().contains(Q("*** END REPORT ***")));
    // The chart the window shows is untouched by the job's own calculation.
    EXPECT_EQ(astro::Slot(slot).julian_day, jd);
    EXPECT_EQ(astro::Slot(slot).record.data.name, "Sample chart");
}

}  // namespace
}  // namespace meridia::testing
