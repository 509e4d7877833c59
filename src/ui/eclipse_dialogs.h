// Eclipses, lunar phases and the void-of-course Moon in the window. The eclipse search window
// (`EclFind`) gathers the span, the types, the Saros number and the aspect filter (to a fixed
// position or to the current chart), runs the core's eclipse job, lists the eclipses found and
// makes charts of the chosen ones at the current chart's place. The lunar-phase and
// void-of-course dialogs run their core job and give a text report.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "astro/chart_record.h"
#include "returns/returns_jobs.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace meridia::ui {

class EclFind : public QDialog {
    Q_OBJECT
public:
    // `place`: the current chart, whose place the eclipse charts take and which the radix
    // filter uses; `open_chart` shows a chart record in the window.
    EclFind(const astro::ChartRecord& place,
            std::function<void(const astro::ChartRecord&)> open_chart, QWidget* parent = nullptr);

    returns::EclipseJob Job() const;
    // Runs the search and lists what it found; "No Eclipses" when nothing passes the filters.
    // False when the core refused the request (its message has been shown).
    bool Search();
    // Makes a chart of each selected eclipse ("C&reate Charts").
    void CreateCharts();

    QLineEdit* from() const { return from_; }
    QLineEdit* to() const { return to_; }
    QLineEdit* fixed_position() const { return fixed_; }
    QRadioButton* use_fixed() const { return use_fixed_; }
    QCheckBox* all_saros() const { return all_saros_; }
    QSpinBox* saros() const { return saros_; }
    QTableWidget* table() const { return table_; }
    const std::vector<returns::EclipseEntry>& eclipses() const { return eclipses_; }

private:
    void Fill();

    astro::ChartRecord place_;
    std::function<void(const astro::ChartRecord&)> open_chart_;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QCheckBox* all_solar_ = nullptr;
    std::array<QCheckBox*, 4> solar_{};
    QCheckBox* all_lunar_ = nullptr;
    std::array<QCheckBox*, 3> lunar_{};
    QCheckBox* all_saros_ = nullptr;
    QSpinBox* saros_ = nullptr;
    QRadioButton* no_aspects_ = nullptr;
    QRadioButton* use_fixed_ = nullptr;
    QRadioButton* use_radix_ = nullptr;
    QLineEdit* fixed_ = nullptr;
    QTableWidget* table_ = nullptr;
    std::vector<returns::EclipseEntry> eclipses_;
};

// The span of a lunar-phase or void-of-course report as typed: a start date and a length.
class MoonReportEntry : public QDialog {
    Q_OBJECT
public:
    enum class Kind { kLunarPhases, kVoidOfCourse };
    // The void-of-course report starts at the chart's moment and lists `count` periods. The
    // lunar-phase dialog also offers the chart kinds under "Lunar Phases & Eclipses" with the
    // chart as base chart (when `with_chart`).
    MoonReportEntry(Kind kind, const astro::ChartRecord& chart, QWidget* parent = nullptr,
                    bool with_chart = true);

    // Runs the core's job: the report's title and text, or nothing when the core refused the
    // request (its message has been shown).
    std::optional<std::pair<QString, QString>> Run();

    QLineEdit* from() const { return from_; }
    QSpinBox* length() const { return length_; }
    // "Lunar Phases & Eclipses": 0 the phases of the period, else the chart kind 1..9.
    QComboBox* chart_kind() const { return chart_kind_; }
    QLineEdit* around() const { return around_; }
    // The charts of the last run of a chart kind, to be shown in the window.
    const std::vector<astro::ChartRecord>& created_charts() const { return created_; }

private:
    std::optional<std::pair<QString, QString>> RunChartKind();

    Kind kind_;
    astro::ChartRecord chart_;
    bool with_chart_ = true;
    QComboBox* chart_kind_ = nullptr;
    QLineEdit* around_ = nullptr;
    std::vector<astro::ChartRecord> created_;
    QLineEdit* from_ = nullptr;
    QSpinBox* length_ = nullptr;
    QComboBox* unit_ = nullptr;
    QComboBox* type_ = nullptr;
};

}  // namespace meridia::ui
