// The main window: menus, a toolbar and a status line; chart views and report views in tabs;
// the chart-file panel docked at the side. Every job calls the core functions the command
// line calls (chart entry, chart files, derived charts); the window only gathers the input
// and shows the results.
#pragma once

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "astro/chart_record.h"
#include "charts/chart_files.h"
#include "startup/command_line.h"

class QAction;
class QDockWidget;
class QLabel;
class QTabWidget;

namespace meridia::ui {

class ChartFilesPanel;
class ChartView;
class ReportView;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Applies the program's command line: LOAD opens the chart file with the chart selected
    // (and shows that chart), LIST shows the chart-file list, /V the start-up log.
    void ApplyCommandLine(const startup::CommandLine& command_line);

    // Calculates a record into a new slot and shows it in a new chart view; the slot, or -1
    // when it could not be calculated (the message has been shown).
    int OpenChart(const astro::ChartRecord& record, const std::string& file_path = {},
                  int number = 0, const std::string& comment = {},
                  std::vector<charts::ChartEvent> events = {});
    // Shows calculated slots (the radix first) in a new chart view.
    ChartView* ShowCharts(const std::vector<int>& slots);
    // Shows a text in a new report view.
    ReportView* ShowReport(const QString& title, const QString& text);

    ChartView* CurrentChartView() const;
    ChartFilesPanel* files_panel() const { return files_; }
    QTabWidget* tabs() const { return tabs_; }

    // The jobs of the menus.
    void NewChart();
    void EditChart();
    void SaveChart(bool choose_file);
    void TransitWheel();
    void SynastryWheel();
    void ShowListing();
    void ExportPicture();
    void PrintCurrent(bool preview);
    void ShowPreferences();
    void MergeFolder();
    void ImportCharts();
    void ExportCharts();
    // What a derived chart needs beside the current chart.
    enum class Needs { kNothing, kTarget, kSecond, kHarmonic };
    // Derives a chart of the class and kind from the current view's chart through the core's
    // derived-chart routing and shows it in its own view.
    void DeriveChart(int chart_class, int kind, Needs needs);
    // The long jobs, each behind the progress window: the dynamic report, returns, the
    // eclipse search, lunar phases, the void-of-course Moon, and a text report of the current
    // chart(s) by its kind name.
    void DynamicReport();
    void ReturnCharts();
    void EclipseSearch();
    void LunarPhases();
    void VoidOfCourse();
    void TextReport(const std::string& kind);
    // Chooses the current view's wheel style (0), aspect set (1) or point selection (2) among
    // the user's files.
    void ChooseViewFile(int which);

    // The window's placement in "MDDesktop.ini" (section "Form Main": State, Left, Top, Width,
    // Height): read when the window is made, written when it closes.
    void RestorePlacement();
    void SavePlacement() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void CloseTab(int index);
    void UpdateActions();
    void UseSlot(int slot);
    void ReleaseSlot(int slot);

    QTabWidget* tabs_ = nullptr;
    ChartFilesPanel* files_ = nullptr;
    QDockWidget* files_dock_ = nullptr;
    QLabel* status_label_ = nullptr;
    QAction* wheel_action_ = nullptr;
    QAction* dial_action_ = nullptr;
    QAction* grid_action_ = nullptr;
    std::vector<QAction*> chart_actions_;
    std::vector<QAction*> derived_actions_;  // enabled while a chart view is current
    std::map<int, int> slot_users_;          // views showing each calculated slot
    std::map<int, std::string> comments_;    // comments of the open charts, by slot
    std::map<int, std::vector<charts::ChartEvent>> events_;  // their life events, by slot
};

}  // namespace meridia::ui
