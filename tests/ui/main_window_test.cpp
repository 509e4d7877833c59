// The main window's daily path: a chart opened, saved into a chart file, found in the file's
// list and opened again; its wheel rendered and exported; the window's own options; the
// message box and the report view's clipboard questions; the preferences saved.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "charts/chart_entry.h"
#include "charts/chart_file_jobs.h"
#include "charts/chart_files.h"
#include "startup/command_line.h"
#include "startup/messages.h"
#include "startup/settings_store.h"
#include "support/chart_table_fill.h"
#include "ui/chart_files_panel.h"
#include "ui/chart_view.h"
#include "ui/message_box.h"
#include "ui/preferences_dialog.h"
#include "ui/report_view.h"
#include "ui/windowed_app.h"
#include "ui_fixture.h"

namespace meridia::testing {
namespace {

// Pixels that are not the white background.
int InkPixels(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    return ink;
}

using MainWindowTest = UiTest;

TEST_F(MainWindowTest, SavedChartIsListedAndOpensAgain) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    const int slot = window.OpenChart(SampleRecord());
    ASSERT_GT(slot, 0);
    ASSERT_NE(window.CurrentChartView(), nullptr);

    const auto file = charts::CreateNewChartFile(charts::ChartsFolder() / "family.MDcht",
                                                 charts::kVersionCurrent, "Family");
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(window.files_panel()->OpenFile(*file));
    window.SaveChart(false);
    EXPECT_TRUE(sink().messages().empty()) << LastMessage().text;

    // The file holds the chart, read back by the chart-file layer.
    const auto stored = charts::LoadChartByNumber(*file, 1);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->record.data.name, "Sample chart");
    EXPECT_EQ(stored->record.data.date_time.year, 1879);
    EXPECT_EQ(stored->record.data.place.place_name, "Ulm");

    // The list shows it; the search box narrows the list; opening it adds a second view.
    ui::ChartFilesPanel* panel = window.files_panel();
    EXPECT_EQ(panel->table()->rowCount(), 1);
    QTest::keyClicks(panel->search_box(), Q("nobody"));
    EXPECT_EQ(panel->ChartCountShown(), 0);
    panel->search_box()->clear();
    QTest::keyClicks(panel->search_box(), Q("ulm"));
    EXPECT_EQ(panel->ChartCountShown(), 1);
    panel->SelectChart(1);
    panel->OpenSelected();
    EXPECT_EQ(window.tabs()->count(), 2);
    const int reopened = window.CurrentChartView()->chart_slots().front();
    EXPECT_NE(reopened, slot);
    EXPECT_DOUBLE_EQ(astro::Slot(reopened).julian_day_ut, astro::Slot(slot).julian_day_ut);

    // Saving the saved chart again asks whether to save another copy.
    sink().QueueAnswer(startup::kAnswerCancel);
    window.SaveChart(false);
    ASSERT_EQ(sink().messages().size(), 1u);
    EXPECT_EQ(LastMessage().title, "Save Chart To Disk");
    EXPECT_EQ(charts::ReadChartFileForJob(*file)->charts.size(), 1u);
}

// With every slot of the chart table taken, opening a chart says so under the program's
// name, and no view is added.
TEST_F(MainWindowTest, OpeningIntoAFullTableSaysSo) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    TakeSlotsLeaving(0);
    const int tabs = window.tabs()->count();
    sink().Clear();
    EXPECT_EQ(window.OpenChart(SampleRecord()), -1);
    EXPECT_EQ(LastMessage().text, "There is no free chart slot.");
    EXPECT_EQ(LastMessage().title, "");
    EXPECT_EQ(sink().messages().size(), 1U);
    EXPECT_EQ(window.tabs()->count(), tabs);
}

TEST_F(MainWindowTest, CommandLineLoadOpensTheFileWithTheChartSelected) {
    ASSERT_TRUE(started_);
    const auto file = charts::CreateNewChartFile(charts::ChartsFolder() / "two.MDcht",
                                                 charts::kVersionCurrent, "Two");
    ASSERT_TRUE(file.ok());
    charts::ChartEntry entry;
    entry.date = "1 Jan 2000";
    entry.lat = "0N00";
    entry.lon = "0E00";
    entry.zone = "0";
    for (const char* name : {"First", "Second"}) {
        entry.name = name;
        ASSERT_TRUE(charts::AddChartToFile(*file, entry, std::nullopt, std::nullopt).ok());
    }
    ui::MainWindow window;
    window.ApplyCommandLine(startup::ParseCommandLine("LOAD \"" + file->string() + "\" 2"));
    EXPECT_EQ(window.files_panel()->SelectedNumbers(), std::vector<int>{2});
    ASSERT_NE(window.CurrentChartView(), nullptr);
    EXPECT_EQ(window.CurrentChartView()->Title(), Q("Second"));
}

TEST_F(MainWindowTest, ChartViewRendersAndExportsThePicture) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    const int slot = window.OpenChart(SampleRecord());
    ASSERT_GT(slot, 0);
    ui::ChartView* view = window.CurrentChartView();
    const QImage image = view->RenderImage(QSize(400, 300));
    EXPECT_EQ(image.size(), QSize(400, 300));
    EXPECT_GT(InkPixels(image), 400 * 300 / 20);

    const std::filesystem::path folder = temp() / "pictures";
    std::filesystem::create_directories(folder);
    struct Export {
        const char* name;
        std::string_view head;
    };
    for (const Export& e : {Export{"wheel.png", "\x89PNG"}, Export{"wheel.pdf", "%PDF"},
                            Export{"wheel.svg", "<?xml"}}) {
        SCOPED_TRACE(e.name);
        const auto path = folder / e.name;
        ASSERT_TRUE(view->ExportPicture(QString::fromStdString(path.string()), 300).ok());
        EXPECT_EQ(ReadFile(path).substr(0, e.head.size()), e.head);
    }
    // A folder that does not exist gets the write message and no file.
    const auto missing = folder / "no" / "wheel.png";
    const startup::Status status =
        view->ExportPicture(QString::fromStdString(missing.string()), 100);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(MainWindowTest, TransitAndListingViews) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    const int slot = window.OpenChart(SampleRecord());
    ASSERT_GT(slot, 0);
    window.ShowListing();
    auto* report = qobject_cast<ui::ReportView*>(window.tabs()->currentWidget());
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->text().startsWith(Q("*** Sample chart ***")));
    EXPECT_TRUE(report->text().contains(Q("Ascendant")));
}

TEST(WindowOptions, ReadsItsOwnOptionsAndPassesTheCommandWords) {
    const ui::WindowOptions options = ui::ParseWindowOptions(
        {"--user-dir", "/tmp/u", "--screenshot", "shot.png", "LOAD", "my charts.MDcht", "3"});
    EXPECT_EQ(options.user_dir, "/tmp/u");
    EXPECT_EQ(options.screenshot, "shot.png");
    const startup::CommandLine words = startup::ParseCommandLine(options.command_line);
    EXPECT_EQ(words.load_file, "my charts.MDcht");
    EXPECT_EQ(words.chart_number, 3);
    EXPECT_FALSE(ui::ParseWindowOptions({"--screenshot"}).error.empty());
    EXPECT_TRUE(ui::ParseWindowOptions({"LIST", "/V"}).command_line == "LIST /V");
}

// Presses a key in the message box that the sink shows, and returns what the sink answered.
int AnswerBox(int style, Qt::Key key, QString* title) {
    QTimer::singleShot(0, [key, title] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *title = box->windowTitle();
        QTest::keyClick(box, key);
    });
    ui::MessageBoxSink sink;
    return sink.Show({"Text", style, "Box Title"});
}

TEST(MessageBoxSink, ButtonsDefaultAndEscapeFollowTheStyle) {
    QString title;
    EXPECT_EQ(AnswerBox(startup::kYesNo | startup::kQuestion, Qt::Key_Return, &title),
              startup::kAnswerYes);
    EXPECT_EQ(title, Q("Box Title"));
    EXPECT_EQ(AnswerBox(startup::kYesNoCancel | startup::kExclamation, Qt::Key_Escape, &title),
              startup::kAnswerCancel);
    EXPECT_EQ(AnswerBox(startup::kOkOnly | startup::kCritical, Qt::Key_Return, &title),
              startup::kAnswerOk);
}

TEST_F(MainWindowTest, ReportCopyAsksAndAppendsOnNo) {
    ui::ReportView report(Q("Listing"), Q("REPORT LINE\n"));
    QGuiApplication::clipboard()->setText(Q("old text"));
    sink().QueueAnswer(startup::kAnswerYes);
    sink().QueueAnswer(startup::kAnswerNo);
    ASSERT_TRUE(report.CopyToClipboard());
    ASSERT_EQ(sink().messages().size(), 2u);
    EXPECT_EQ(sink().messages()[0].text, "Send Report to Clipboard?");
    EXPECT_EQ(sink().messages()[1].text,
              "Clear ClipBoard before copying the report?\nChoose YES to clear the Clipboard "
              "first, NO to append the report to the existing data in the Clipboard, or CANCEL "
              "to quit.");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Q("old text\nREPORT LINE\n"));

    sink().QueueAnswer(startup::kAnswerNo);
    EXPECT_FALSE(report.CopyToClipboard());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Q("old text\nREPORT LINE\n"));
}

TEST_F(MainWindowTest, PreferencesAreSavedInTheSettingsFile) {
    ASSERT_TRUE(started_);
    ui::frmPrefs prefs;
    auto* house = prefs.findChildren<QComboBox*>().front();
    house->setCurrentIndex(house->findData(6));
    ASSERT_TRUE(prefs.Apply());
    EXPECT_EQ(session().settings().GetInt("HouseSystem"), 6);
    EXPECT_NE(ReadFile(startup::SettingsFilePath({})).find("HouseSystem=6"), std::string::npos);
}

}  // namespace
}  // namespace meridia::testing

namespace meridia::testing {
namespace {

TEST_F(MainWindowTest, HarmonicChartOpensInItsOwnView) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    const int slot = window.OpenChart(SampleRecord());
    ASSERT_GT(slot, 0);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::keyClick(dialog, Qt::Key_Return);  // the offered harmonic, 5
    });
    window.DeriveChart(astro::kClassHarmonic, astro::kKindNatal, ui::MainWindow::Needs::kHarmonic);
    EXPECT_TRUE(sink().messages().empty()) << LastMessage().text;
    ASSERT_EQ(window.tabs()->count(), 2);
    const int derived = window.CurrentChartView()->chart_slots().front();
    EXPECT_NE(derived, slot);
    // The fifth harmonic multiplies the Sun's longitude by five (modulo 360).
    const double sun = astro::Slot(slot).longitude[astro::kSun];
    EXPECT_NEAR(astro::Slot(derived).longitude[astro::kSun], std::fmod(sun * 5.0, 360.0), 1e-6);
}

}  // namespace
}  // namespace meridia::testing

namespace meridia::testing {
namespace {

TEST_F(MainWindowTest, TransitBiWheelInTwoStepsAndPrintedToPdf) {
    ASSERT_TRUE(started_);
    ui::MainWindow window;
    const int slot = window.OpenChart(SampleRecord());
    ASSERT_GT(slot, 0);
    QTimer::singleShot(0, [] {
        QWidget* form = QApplication::activeModalWidget();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->objectName(), Q("ChartEntry"));
        QTest::keyClick(form, Qt::Key_Return);  // OK on the offered moment
    });
    window.TransitWheel();
    EXPECT_TRUE(sink().messages().empty()) << LastMessage().text;
    ui::ChartView* view = window.CurrentChartView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->chart_slots().size(), 2u);
    EXPECT_EQ(view->chart_slots().front(), slot);
    // The transits are calculated at the radix place.
    const astro::ChartSlot& transits = astro::Slot(view->chart_slots()[1]);
    EXPECT_EQ(transits.record.data.name, "Transits");
    EXPECT_FLOAT_EQ(transits.record.data.place.latitude,
                    astro::Slot(slot).record.data.place.latitude);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const auto pdf = temp() / "printed.pdf";
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    view->PrintTo(printer);
    EXPECT_EQ(ReadFile(pdf).substr(0, 4), "%PDF");
}

}  // namespace
}  // namespace meridia::testing

namespace meridia::testing {
namespace {

TEST_F(MainWindowTest, PlacementIsSavedInTheDesktopFileAndRestored) {
    ASSERT_TRUE(started_);
    {
        ui::MainWindow window;
        window.move(40, 50);
        window.resize(900, 700);
        window.SavePlacement();
    }
    EXPECT_EQ(startup::ReadSetting("Form Main", "Width", "", "MDDesktop.ini"), "900");
    EXPECT_EQ(startup::ReadSetting("Form Main", "Height", "", "MDDesktop.ini"), "700");
    EXPECT_EQ(startup::ReadSetting("Form Main", "State", "", "MDDesktop.ini"), "0");
    ui::MainWindow again;
    EXPECT_EQ(again.size(), QSize(900, 700));
    EXPECT_EQ(again.pos(), QPoint(40, 50));

    // A damaged value is ignored: the window keeps its own size.
    startup::WriteSetting("Form Main", "Width", "wide", "MDDesktop.ini");
    startup::WriteSetting("Form Main", "Height", "-5", "MDDesktop.ini");
    ui::MainWindow damaged;
    EXPECT_EQ(damaged.size(), QSize(1280, 860));
}

}  // namespace
}  // namespace meridia::testing
