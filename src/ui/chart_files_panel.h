// The chart-file panel: one chart file of the user-files folder tree at a time, its charts
// listed by number, name, date, time, place and type, sortable and narrowed by a search box;
// charts are opened, edited (replaced), deleted, and the file described, created, merged,
// imported and exported through the chart-file jobs of the core.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <optional>

#include "charts/chart_files.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace meridia::ui {

class ChartFilesPanel : public QWidget {
    Q_OBJECT
public:
    explicit ChartFilesPanel(QWidget* parent = nullptr);

    // Opens a chart file (an older format is offered for conversion first) and selects chart
    // `select` (1..N; 0 none). False when the file could not be read (its message was shown).
    bool OpenFile(const std::filesystem::path& path, int select = 0);
    // Reads the open file again (after a save into it).
    void Reload(int select = 0);

    const std::filesystem::path& path() const { return path_; }
    bool HasFile() const { return image_.has_value(); }
    int ChartCountShown() const;
    // The chart numbers (1..N) of the selected rows, in file order.
    std::vector<int> SelectedNumbers() const;
    void SelectChart(int number);
    QLineEdit* search_box() const { return search_; }
    QTableWidget* table() const { return table_; }

    // The jobs of the panel's buttons (the main window's menu calls them too).
    void NewFile();
    void ChooseFile();
    void OpenSelected();
    void DeleteSelected();
    void DescribeFile();

Q_SIGNALS:
    // A chart of the file to open in a chart view.
    void ChartChosen(const charts::StoredChart& chart, const QString& path, int number);
    // A chart to edit in the entry form; saving it replaces chart `number`.
    void EditRequested(const charts::StoredChart& chart, const QString& path, int number);
    void FileOpened(const QString& path);

private:
    void Fill(int select);
    void Filter(const QString& text);

    std::filesystem::path path_;
    std::optional<charts::ChartFileImage> image_;
    QLabel* caption_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace meridia::ui
