// The dynamic report in the window: the selection dialog (`DynamicEntry`), which gathers the
// method, its kind, the period, the event families, the points, the aspect set and the report
// zone for the current chart and runs the core's dynamic job behind the progress window; and
// the report window (`DynamicView`), which shows the event table in the nine report columns,
// sorted by the chosen key, with the event families' colours.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <optional>

#include "astro/chart_record.h"
#include "dynamic/dynamic_job.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;

namespace meridia::ui {

class DynamicEntry : public QDialog {
    Q_OBJECT
public:
    // The radix is the chart the window shows.
    explicit DynamicEntry(const astro::ChartRecord& radix, QWidget* parent = nullptr);

    // The job the dialog's fields describe.
    dynamic::DynamicJob Job() const;
    // Runs the job behind the progress window: the result, or nothing when the core refused
    // it (its message has been shown) or the user cancelled before anything was found.
    std::optional<dynamic::DynamicJobResult> Run();

    QLineEdit* start_date() const { return start_date_; }
    QSpinBox* period() const { return period_; }
    QComboBox* method() const { return method_; }
    QLineEdit* report_zone() const { return zone_; }

    // The result of the last run that OK accepted.
    std::optional<dynamic::DynamicJobResult>& result() { return result_; }

    void accept() override;

private:
    void MethodChanged();

    astro::ChartRecord radix_;
    QComboBox* method_ = nullptr;
    QComboBox* progression_ = nullptr;
    QComboBox* direction_ = nullptr;
    QComboBox* multiplier_ = nullptr;
    QLineEdit* start_date_ = nullptr;
    QLineEdit* start_time_ = nullptr;
    QSpinBox* period_ = nullptr;
    QComboBox* unit_ = nullptr;
    QLineEdit* moving_ = nullptr;
    QLineEdit* targets_ = nullptr;
    QLineEdit* aspect_set_ = nullptr;
    QLineEdit* zone_ = nullptr;
    QCheckBox* enter_leave_ = nullptr;
    std::array<QCheckBox*, 15> families_{};
    std::optional<dynamic::DynamicJobResult> result_;
};

class DynamicView : public QWidget {
    Q_OBJECT
public:
    explicit DynamicView(dynamic::DynamicJobResult result, QWidget* parent = nullptr);

    QString Title() const;
    QTableWidget* table() const { return table_; }
    // Sorts by a report key (the position in the sort list) and shows the table again.
    void SortBy(int key);
    // The report as fixed-width text: the header lines, one line per event.
    QString Text() const;

Q_SIGNALS:
    void NewReportRequested();

private:
    void Fill();

    dynamic::DynamicJobResult result_;
    QPlainTextEdit* header_ = nullptr;
    QComboBox* sort_ = nullptr;
    QCheckBox* colours_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace meridia::ui
