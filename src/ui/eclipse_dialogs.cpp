#include "ui/eclipse_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <utility>

#include "astro/derived_charts.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "textformats/date_text.h"
#include "textformats/zodiac_text.h"
#include "ui/form_fields.h"
#include "ui/job_runner.h"

namespace meridia::ui {

namespace {

namespace tf = meridia::textformats;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

// The search window's headings and the eclipse columns each shows (the duration of a solar
// eclipse is its total duration, of a lunar one its total semi-duration).
struct Heading {
    const char* text;
    int solar_column;
    int lunar_column;
};
constexpr Heading kHeadings[] = {
    {"Date/Time", 3, 3},   {"Solar/Lunar", 1, 1}, {"Eclipse Type", 2, 2}, {"Position", 5, 5},
    {"Saros (vbB)", 6, 6}, {"Saros (J/B)", 7, 7}, {"Gamma", 8, 8},        {"Magnitude", 9, 9},
    {"Penum Mag", 10, 10}, {"Duration", 11, 12},
};
constexpr int kTimeColumn = 4;

// A search without progress of its own: the window says what it does.
constexpr const char* kSearchingText = "Searching...";

std::string UtText(double jd_ut) {
    const astro::CompactDateTime d = astro::LocalDateTime(jd_ut, 0.0F);
    char text[64];
    std::snprintf(text, sizeof text, "%2d %s %5d  %2d:%02d:%02d UT", d.day,
                  startup::Names().MonthName(d.month, true).c_str(), d.year, d.hour, d.minute,
                  d.second);
    return text;
}

}  // namespace

EclFind::EclFind(const astro::ChartRecord& place,
                 std::function<void(const astro::ChartRecord&)> open_chart, QWidget* parent)
    : QDialog(parent), place_(place), open_chart_(std::move(open_chart)) {
    setObjectName(QStringLiteral("EclFind"));
    setWindowTitle(QStringLiteral("Eclipse Search"));

    from_ = new QLineEdit(TodayText());
    to_ = new QLineEdit;
    to_->setPlaceholderText(QStringLiteral("e.g. 31 Dec 2030"));
    auto* span = new QHBoxLayout;
    span->addWidget(from_);
    span->addWidget(to_);

    auto* types = new QGroupBox(QStringLiteral("Eclipse Types"));
    auto* grid = new QGridLayout(types);
    all_solar_ = new QCheckBox(QStringLiteral("All Solar"));
    all_solar_->setChecked(true);
    grid->addWidget(all_solar_, 0, 0);
    for (std::size_t i = 0; i < solar_.size(); ++i) {
        solar_[i] = new QCheckBox(
            ToQ(returns::EclipseTypeText(returns::EclipseKind::kSolar, static_cast<int>(i))));
        grid->addWidget(solar_[i], 0, static_cast<int>(i) + 1);
        connect(all_solar_, &QCheckBox::toggled, solar_[i], &QCheckBox::setDisabled);
        solar_[i]->setEnabled(false);
    }
    all_lunar_ = new QCheckBox(QStringLiteral("All Lunar"));
    all_lunar_->setChecked(true);
    grid->addWidget(all_lunar_, 1, 0);
    for (std::size_t i = 0; i < lunar_.size(); ++i) {
        lunar_[i] = new QCheckBox(
            ToQ(returns::EclipseTypeText(returns::EclipseKind::kLunar, static_cast<int>(i))));
        grid->addWidget(lunar_[i], 1, static_cast<int>(i) + 1);
        connect(all_lunar_, &QCheckBox::toggled, lunar_[i], &QCheckBox::setDisabled);
        lunar_[i]->setEnabled(false);
    }
    all_saros_ = new QCheckBox(QStringLiteral("All Saros Numbers"));
    all_saros_->setChecked(true);
    saros_ = new QSpinBox;
    saros_->setRange(1, 999);
    saros_->setValue(100);
    saros_->setEnabled(false);
    connect(all_saros_, &QCheckBox::toggled, saros_, &QSpinBox::setDisabled);
    grid->addWidget(all_saros_, 2, 0, 1, 2);
    grid->addWidget(saros_, 2, 2);

    auto* filter = new QGroupBox(QStringLiteral("Eclipse Aspects"));
    no_aspects_ = new QRadioButton(QStringLiteral("No aspect filter"));
    use_fixed_ = new QRadioButton(QStringLiteral("Aspects to fixed position"));
    use_radix_ =
        new QRadioButton(QStringLiteral("Aspects to radix chart: ") + ToQ(place.data.name));
    fixed_ = new QLineEdit(QStringLiteral("00°Ar00'00''"));
    no_aspects_->setChecked(true);
    auto* filter_layout = new QGridLayout(filter);
    filter_layout->addWidget(no_aspects_, 0, 0);
    filter_layout->addWidget(use_fixed_, 1, 0);
    filter_layout->addWidget(fixed_, 1, 1);
    filter_layout->addWidget(use_radix_, 2, 0, 1, 2);

    table_ = new QTableWidget;
    table_->setColumnCount(static_cast<int>(std::size(kHeadings)));
    QStringList headings;
    for (const Heading& h : kHeadings) {
        headings << QString::fromUtf8(h.text);
    }
    table_->setHorizontalHeaderLabels(headings);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { CreateCharts(); });

    auto* search = new QPushButton(QStringLiteral("&Search"));
    search->setDefault(true);
    connect(search, &QPushButton::clicked, this, [this] { Search(); });
    auto* charts = new QPushButton(QStringLiteral("C&reate Charts"));
    connect(charts, &QPushButton::clicked, this, [this] { CreateCharts(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(search, QDialogButtonBox::ActionRole);
    buttons->addButton(charts, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &EclFind::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Search Date Range: From / To"), span);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(types);
    layout->addWidget(filter);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    resize(900, 640);
}

returns::EclipseJob EclFind::Job() const {
    returns::EclipseJob job;
    job.place.refusal_title = "Eclipse Search";
    job.span.from = from_->text().trimmed().toStdString();
    job.span.to = to_->text().trimmed().toStdString();
    const auto types = [](const QCheckBox* all,
                          const std::vector<std::pair<const QCheckBox*, const char*>>& boxes) {
        if (all->isChecked()) {
            return std::string("all");
        }
        std::string list;
        for (const auto& [box, word] : boxes) {
            if (box->isChecked()) {
                list += (list.empty() ? "" : ",") + std::string(word);
            }
        }
        return list.empty() ? std::string("none") : list;
    };
    job.solar = types(all_solar_, {{solar_[0], "partial"},
                                   {solar_[1], "annular"},
                                   {solar_[2], "total"},
                                   {solar_[3], "hybrid"}});
    job.lunar =
        types(all_lunar_, {{lunar_[0], "appulse"}, {lunar_[1], "partial"}, {lunar_[2], "total"}});
    if (!all_saros_->isChecked()) {
        job.saros = saros_->value();
    }
    if (use_fixed_->isChecked()) {
        job.fixed = fixed_->text().trimmed().toStdString();
    } else if (use_radix_->isChecked()) {
        charts::ChartEntry radix;
        radix.record = place_;
        radix.field_prefix = "";
        radix.refusal_title = "Eclipse Search";
        job.radix = radix;
    }
    return job;
}

bool EclFind::Search() {
    JobSlots slots;
    const auto found = RunCoreJob<returns::EclipseJobResult>(
        this, QStringLiteral("Eclipse Search"), OnCancel::kDiscard,
        [job = Job()](JobProgress& progress) {
            progress.Report(kSearchingText, -1);
            return returns::RunEclipseJob(job);
        });
    if (!found) {
        return false;
    }
    eclipses_ = found->eclipses;
    Fill();
    if (eclipses_.empty()) {
        startup::ShowMessage(returns::kNoEclipsesText, startup::kInformation,
                             returns::kEclipseReportTitle);
    }
    return true;
}

void EclFind::Fill() {
    table_->setRowCount(static_cast<int>(eclipses_.size()));
    for (std::size_t row = 0; row < eclipses_.size(); ++row) {
        const returns::EclipseEntry& e = eclipses_[row];
        const bool lunar = e.ec_type == 2;
        for (std::size_t column = 0; column < std::size(kHeadings); ++column) {
            const int type =
                lunar ? kHeadings[column].lunar_column : kHeadings[column].solar_column;
            std::string text = returns::TextDataIn(e, type);
            if (type == 3) {
                text += "  " + returns::TextDataIn(e, kTimeColumn) + " (UT)";
            }
            table_->setItem(static_cast<int>(row), static_cast<int>(column),
                            new QTableWidgetItem(ToQ(text)));
        }
    }
    table_->resizeColumnsToContents();
}

void EclFind::CreateCharts() {
    const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
    for (const QTableWidgetSelectionRange& range : ranges) {
        for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
            const auto index = static_cast<std::size_t>(row);
            if (index < eclipses_.size() && open_chart_) {
                open_chart_(returns::EclipseChartRecord(eclipses_[index], place_));
            }
        }
    }
}

MoonReportEntry::MoonReportEntry(Kind kind, const astro::ChartRecord& chart, QWidget* parent,
                                 bool with_chart)
    : QDialog(parent), kind_(kind), chart_(chart), with_chart_(with_chart) {
    const bool phases = kind == Kind::kLunarPhases;
    setObjectName(phases ? QStringLiteral("LunarPhases") : QStringLiteral("VoidOfCourse"));
    setWindowTitle(phases ? QStringLiteral("Lunar Phases") : QStringLiteral("Void of Course Moon"));
    auto* form = new QFormLayout;
    length_ = new QSpinBox;
    length_->setRange(1, 1000);
    if (phases) {
        from_ = new QLineEdit(TodayText());
        form->addRow(QStringLiteral("&From date"), from_);
        unit_ = new QComboBox;
        unit_->addItem(QStringLiteral("Days"), QStringLiteral("days"));
        unit_->addItem(QStringLiteral("Months"), QStringLiteral("months"));
        unit_->addItem(QStringLiteral("Years"), QStringLiteral("years"));
        unit_->setCurrentIndex(1);
        length_->setValue(1);
        auto* row = new QHBoxLayout;
        row->addWidget(length_);
        row->addWidget(unit_);
        auto* period_label = new QLabel(QStringLiteral("&Period"));
        period_label->setBuddy(length_);
        form->addRow(period_label, row);
        chart_kind_ = new QComboBox;
        chart_kind_->addItem(QStringLiteral("Phases of the period (report)"), 0);
        if (with_chart) {
            int number = 0;
            for (const std::string_view name : returns::kLunarPhaseChartKinds) {
                chart_kind_->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())),
                                     ++number);
            }
        }
        form->addRow(QStringLiteral("Lunar Phases && Eclipses"), chart_kind_);
        around_ = new QLineEdit(TodayText());
        form->addRow(QStringLiteral("Search for Phases Around:"), around_);
        // The period serves the report of phases; the date to search around serves the kinds
        // that create charts.
        const auto enable = [this] {
            const bool report = chart_kind_->currentData().toInt() == 0;
            from_->setEnabled(report);
            length_->setEnabled(report);
            unit_->setEnabled(report);
            around_->setEnabled(!report);
        };
        connect(chart_kind_, &QComboBox::currentIndexChanged, this, enable);
        enable();
    } else {
        length_->setValue(10);
        form->addRow(QStringLiteral("Number of &periods"), length_);
        type_ = new QComboBox;
        type_->addItem(QStringLiteral("Sun, Mercury to Pluto"), returns::kVoidAllPlanets);
        type_->addItem(QStringLiteral("Sun, Mercury to Saturn"), returns::kVoidTraditionalPlanets);
        type_->addItem(QStringLiteral("Sun, Mercury to Saturn; never void in Taurus, Cancer, "
                                      "Sagittarius, Pisces"),
                       returns::kVoidTraditionalWithSigns);
        type_->setCurrentIndex(returns::VoidOfCourseTypeFromSettings());
        form->addRow(QStringLiteral("&Planets"), type_);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &MoonReportEntry::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MoonReportEntry::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::optional<std::pair<QString, QString>> MoonReportEntry::Run() {
    QString text;
    if (kind_ == Kind::kLunarPhases && chart_kind_->currentData().toInt() != 0) {
        return RunChartKind();
    }
    if (kind_ == Kind::kLunarPhases) {
        returns::LunarPhaseJob job;
        job.place.refusal_title = "Lunar Phases";
        job.span.from = from_->text().trimmed().toStdString();
        job.span.period = length_->value();
        job.span.unit = unit_->currentData().toString().toStdString();
        const auto found = RunCoreJob<returns::LunarPhaseJobResult>(
            this, windowTitle(), OnCancel::kDiscard, [&job](JobProgress& progress) {
                progress.Report(kSearchingText, -1);
                return returns::RunLunarPhaseJob(job);
            });
        if (!found) {
            return std::nullopt;
        }
        for (const returns::LunarPhaseEvent& e : found->phases) {
            char line[160];
            std::snprintf(line, sizeof line, "%-14s %s   Moon %s   Sun %s\n",
                          std::string(returns::LunarPhaseTitle(e.phase)).c_str(),
                          UtText(e.jd_ut).c_str(),
                          tf::FormatZodiacPosition(e.moon_longitude).c_str(),
                          tf::FormatZodiacPosition(e.sun_longitude).c_str());
            text += QString::fromStdString(line);
        }
        return std::make_pair(QStringLiteral("Lunar Phases"), text);
    }
    returns::VoidJob job;
    job.chart.record = chart_;
    job.chart.field_prefix = "";
    job.chart.refusal_title = "Void of Course Moon";
    job.type = type_->currentData().toInt();
    job.count = length_->value();
    JobSlots slots;
    const auto found = RunCoreJob<returns::VoidJobResult>(this, windowTitle(), OnCancel::kDiscard,
                                                          [&job](JobProgress& progress) {
                                                              progress.Report(kSearchingText, -1);
                                                              return returns::RunVoidJob(job);
                                                          });
    if (!found) {
        return std::nullopt;
    }
    const returns::VoidJobResult& result = *found;
    text +=
        ToQ(chart_.data.name) +
        (result.is_void ? QStringLiteral(": the Moon is void of course at the chart's moment.\n\n")
                        : QStringLiteral(": the Moon is not void of course at the chart's "
                                         "moment.\n\n"));
    for (const returns::VoidOfCoursePeriod& p : result.periods) {
        text += ToQ(returns::VoidPeriodLine(p, UtText)) + QLatin1Char('\n');
    }
    return std::make_pair(QStringLiteral("Void of Course Moon - ") + ToQ(chart_.data.name), text);
}

std::optional<std::pair<QString, QString>> MoonReportEntry::RunChartKind() {
    created_.clear();
    returns::LunarPhaseJob job;
    job.chart_kind = static_cast<returns::LunarPhaseChartKind>(chart_kind_->currentData().toInt());
    job.place.record = chart_;
    job.place.field_prefix = "";
    job.place.refusal_title = "Lunar Phases";
    job.around = around_->text().trimmed().toStdString();
    // The core opens the charts into slots; the window opens the records itself.
    JobSlots slots;
    const auto found = RunCoreJob<returns::LunarPhaseJobResult>(
        this, windowTitle(), OnCancel::kDiscard, [&job](JobProgress& progress) {
            progress.Report(kSearchingText, -1);
            return returns::RunLunarPhaseJob(job);
        });
    if (!found) {
        return std::nullopt;
    }
    QString text = chart_kind_->currentText() + QStringLiteral(" - ") + ToQ(chart_.data.name) +
                   QStringLiteral("\n\n");
    for (const returns::LunarPhaseChart& c : found->charts) {
        text += ToQ(returns::LunarPhaseChartLine(c, UtText(c.jd_ut))) + QLatin1Char('\n');
        created_.push_back(c.record);
    }
    return std::make_pair(QStringLiteral("Lunar Phases"), text);
}

}  // namespace meridia::ui
