// Return charts in the window: the return dialog (`Returns`, "Advanced Return Selections"),
// which gathers the returning point, the target, the harmonic, which returns and how many, the
// special options and the search start for the current chart and runs the core's return job
// behind the progress window; and the list of found returns (`ReturnSelect`, "Return
// Selection") from which the charts to show are chosen.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "astro/chart_record.h"
#include "returns/returns_jobs.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;

namespace meridia::ui {

class Returns : public QDialog {
    Q_OBJECT
public:
    explicit Returns(const astro::ChartRecord& base, QWidget* parent = nullptr);

    returns::ReturnJob Job() const;
    // Runs the job behind the progress window (Cancel keeps the returns found so far). The
    // result, or nothing when the core refused the request (its message has been shown).
    // The return charts stay calculated in their slots; the caller shows or frees them.
    std::optional<returns::ReturnJobResult> Run();

    // The result of the run that OK accepted (OK runs the job; the dialog stays open when the
    // core refuses it).
    const std::optional<returns::ReturnJobResult>& result() const { return result_; }
    void accept() override;

    QComboBox* point() const { return point_; }
    QLineEdit* position() const { return position_; }
    QRadioButton* user_position() const { return user_position_; }
    QSpinBox* count() const { return count_; }
    QLineEdit* start_date() const { return start_date_; }

private:
    astro::ChartRecord base_;
    QComboBox* point_ = nullptr;
    QRadioButton* natal_position_ = nullptr;
    QRadioButton* user_position_ = nullptr;
    QLineEdit* position_ = nullptr;
    QDoubleSpinBox* harmonic_ = nullptr;
    QRadioButton* current_ = nullptr;
    QRadioButton* next_ = nullptr;
    QRadioButton* nearest_ = nullptr;
    QSpinBox* count_ = nullptr;
    QCheckBox* precessed_ = nullptr;
    QCheckBox* converse_ = nullptr;
    QLineEdit* start_date_ = nullptr;
    QLineEdit* start_time_ = nullptr;
    std::optional<returns::ReturnJobResult> result_;
};

class ReturnSelect : public QDialog {
    Q_OBJECT
public:
    // Lists the found returns of a job (one not found is listed, and cannot be chosen).
    explicit ReturnSelect(const returns::ReturnJobResult& result, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // The slots of the chosen returns' charts.
    std::vector<int> ChosenSlots() const;

private:
    QListWidget* list_ = nullptr;
};

}  // namespace meridia::ui
