#include "ui/dynamic_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "astro/derived_charts.h"
#include "dynamic/event_text.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "textformats/date_text.h"
#include "ui/form_fields.h"
#include "ui/job_runner.h"

namespace meridia::ui {

namespace {

QString ToQ(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct MethodChoice {
    const char* caption;
    int method;
};
constexpr MethodChoice kMethods[] = {
    {"Transits", dynamic::kMethodTransits},
    {"Progressions", dynamic::kMethodProgressions},
    {"Directions", dynamic::kMethodDirections},
    {"Transits to Progressions", dynamic::kMethodTransitsToProgressions},
    {"Transits to Directions", dynamic::kMethodTransitsToDirections},
};

// The check boxes of the event families, in the order of dynamic::kEventFamilyWords.
constexpr const char* kFamilyCaptions[] = {
    "&Transits to Radix",      "Transits to Transits", "Transits to Progs",
    "Transits to Directions",  "&Progs to Radix",      "Progs to Progs",
    "&Directions to Radix",    "Sign Ingress",         "Ho&use Ingress",
    "Stationary Points",       "Parallels of Decl.",   "Parallels of Latitude",
    "Solar && Lunar Eclipses", "Lunar Phases",         "Void of Course Moon",
};
static_assert(std::size(kFamilyCaptions) == dynamic::kEventFamilyWords.size());

struct MultiplierChoice {
    const char* caption;
    double value;
};
constexpr MultiplierChoice kMultipliers[] = {
    {"x1 (Normal)", 1.0},
    {"x2 (Double Arc)", 2.0},
    {"x0.5 (Half Arc)", 0.5},
    {"x-1 (Negative Arc)", -1.0},
    {"x-2 (Negative Double Arc)", -2.0},
    {"x-0.5 (Negative Half Arc)", -0.5},
};

// The progression kinds the dialog offers, in the order of the lists.
constexpr int kProgressionKinds[] = {dynamic::kKindSecondary,
                                     dynamic::kKindMeanTertiary,
                                     dynamic::kKindTrueTertiary,
                                     dynamic::kKindMinor,
                                     dynamic::kKindUser,
                                     dynamic::kKindAgeHarmonic,
                                     dynamic::kKindAgePlusOneHarmonic};

// The colours of the event families (`TrType` 1..9) when colours are on.
QColor FamilyColour(int type) {
    static const QColor kColours[] = {QColor(0, 0, 0),     QColor(0, 0, 0),   QColor(0, 0, 255),
                                      QColor(0, 255, 255), QColor(0, 255, 0), QColor(128, 0, 0),
                                      QColor(255, 0, 255), QColor(0, 128, 0), QColor(0, 0, 255),
                                      QColor(255, 0, 255)};
    return type >= 1 && type <= 9 ? kColours[type] : kColours[0];
}

}  // namespace

DynamicEntry::DynamicEntry(const astro::ChartRecord& radix, QWidget* parent)
    : QDialog(parent), radix_(radix) {
    setObjectName(QStringLiteral("DynamicEntry"));
    setWindowTitle(QStringLiteral("Dynamic Report - ") + ToQ(radix.data.name));

    auto* form = new QFormLayout;
    method_ = new QComboBox;
    for (const MethodChoice& m : kMethods) {
        method_->addItem(QString::fromUtf8(m.caption), ToQ(dynamic::DynamicMethodWordOf(m.method)));
    }
    form->addRow(QStringLiteral("&Method"), method_);
    progression_ = new QComboBox;
    for (const int kind : kProgressionKinds) {
        progression_->addItem(ToQ(dynamic::ProgressionKindName(kind)), kind);
    }
    form->addRow(QStringLiteral("Progression &type"), progression_);
    direction_ = new QComboBox;
    for (int type = 1; type <= dynamic::kDirectionTypeCount; ++type) {
        direction_->addItem(ToQ(dynamic::DirectionTypeName(type)), type);
    }
    form->addRow(QStringLiteral("Di&rection type"), direction_);
    multiplier_ = new QComboBox;
    for (const MultiplierChoice& m : kMultipliers) {
        multiplier_->addItem(QString::fromUtf8(m.caption), m.value);
    }
    form->addRow(QStringLiteral("M&ultiplier"), multiplier_);

    form->addRow(QStringLiteral("&Start date"), DateTimeRow(start_date_, start_time_));
    period_ = new QSpinBox;
    period_->setRange(1, 9999);
    period_->setValue(1);
    unit_ = new QComboBox;
    unit_->addItem(QStringLiteral("Days"), QStringLiteral("days"));
    unit_->addItem(QStringLiteral("Months"), QStringLiteral("months"));
    unit_->addItem(QStringLiteral("Years"), QStringLiteral("years"));
    unit_->setCurrentIndex(2);
    auto* length = new QHBoxLayout;
    length->addWidget(period_, 1);
    length->addWidget(unit_, 1);
    form->addRow(QStringLiteral("&Period"), length);
    moving_ = new QLineEdit;
    moving_->setPlaceholderText(QStringLiteral("Moon, Sun, Mercury to Pluto"));
    form->addRow(QStringLiteral("Mo&ving points"), moving_);
    targets_ = new QLineEdit;
    targets_->setPlaceholderText(QStringLiteral("the same, with Ascendant and Midheaven"));
    form->addRow(QStringLiteral("Tar&get points"), targets_);
    aspect_set_ = new QLineEdit;
    aspect_set_->setPlaceholderText(QStringLiteral("the chart aspect set"));
    form->addRow(QStringLiteral("&Aspect set"), aspect_set_);
    zone_ = new QLineEdit;
    zone_->setPlaceholderText(QStringLiteral("the radix chart's zone"));
    form->addRow(QStringLiteral("Report &zone"), zone_);

    auto* events = new QGroupBox(QStringLiteral("Event Selection"));
    auto* grid = new QGridLayout(events);
    for (std::size_t i = 0; i < families_.size(); ++i) {
        families_[i] = new QCheckBox(QString::fromUtf8(kFamilyCaptions[i]));
        grid->addWidget(families_[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    enter_leave_ = new QCheckBox(QStringLiteral("Entering/Leaving"));
    grid->addWidget(enter_leave_, static_cast<int>(families_.size() / 2),
                    static_cast<int>(families_.size() % 2));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &DynamicEntry::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DynamicEntry::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(events);
    layout->addWidget(buttons);

    // A report needs one event family at least: OK waits for one.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    for (QCheckBox* box : families_) {
        connect(box, &QCheckBox::toggled, this, [this, ok] {
            ok->setEnabled(std::any_of(families_.begin(), families_.end(),
                                       [](const QCheckBox* b) { return b->isChecked(); }));
        });
    }
    connect(method_, &QComboBox::currentIndexChanged, this, [this] { MethodChanged(); });
    MethodChanged();
}

void DynamicEntry::MethodChanged() {
    const int method =
        kMethods[static_cast<std::size_t>(std::max(0, method_->currentIndex()))].method;
    const dynamic::EventFamilies defaults = dynamic::DefaultFamilies(method);
    for (std::size_t i = 0; i < families_.size(); ++i) {
        families_[i]->setChecked(defaults.*(dynamic::kEventFamilyWords[i].member));
    }
    const bool progressions =
        method == dynamic::kMethodProgressions || method == dynamic::kMethodTransitsToProgressions;
    const bool directions =
        method == dynamic::kMethodDirections || method == dynamic::kMethodTransitsToDirections;
    progression_->setEnabled(progressions);
    direction_->setEnabled(directions);
    multiplier_->setEnabled(progressions || directions);
}

dynamic::DynamicJob DynamicEntry::Job() const {
    dynamic::DynamicJob job;
    job.radix.record = radix_;
    job.radix.field_prefix = "";
    job.radix.refusal_title = "Dynamic Report";
    job.from_date = start_date_->text().trimmed().toStdString();
    job.from_time = start_time_->text().trimmed().toStdString();
    job.period = period_->value();
    job.unit = unit_->currentData().toString().toStdString();
    job.method = method_->currentData().toString().toStdString();
    job.progression_kind = progression_->currentData().toInt();
    job.direction_type = direction_->currentData().toInt();
    job.multiplier = multiplier_->currentData().toDouble();
    job.moving = moving_->text().trimmed().toStdString();
    job.targets = targets_->text().trimmed().toStdString();
    job.aspect_set = aspect_set_->text().trimmed().toStdString();
    job.report_zone = zone_->text().trimmed().toStdString();
    job.enter_leave = enter_leave_->isChecked();
    dynamic::EventFamilies families;
    for (std::size_t i = 0; i < families_.size(); ++i) {
        families.*(dynamic::kEventFamilyWords[i].member) = families_[i]->isChecked();
    }
    job.events = dynamic::FamilyListText(families);
    return job;
}

std::optional<dynamic::DynamicJobResult> DynamicEntry::Run() {
    JobSlots slots;
    return RunCoreJob<dynamic::DynamicJobResult>(
        this, QStringLiteral("Dynamic Report"), OnCancel::kKeepResult,
        [job = Job()](JobProgress& progress) mutable {
            job.progress = [&progress](std::string_view text, int percent) {
                return progress.Report(text, percent);
            };
            return dynamic::RunDynamicJob(job);
        });
}

void DynamicEntry::accept() {
    result_ = Run();
    if (result_) {
        QDialog::accept();
    }
}

DynamicView::DynamicView(dynamic::DynamicJobResult result, QWidget* parent)
    : QWidget(parent), result_(std::move(result)) {
    setObjectName(QStringLiteral("DynamicView"));
    const auto& settings = startup::CurrentSession().settings();
    header_ = new QPlainTextEdit;
    header_->setReadOnly(true);
    header_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    header_->setMaximumHeight(130);
    QStringList lines;
    for (const std::string& line : result_.header) {
        lines << ToQ(line);
    }
    if (!result_.run.stopped_text.empty()) {
        lines << ToQ(result_.run.stopped_text);
    }
    header_->setPlainText(lines.join('\n'));

    sort_ = new QComboBox;
    for (int key = 0; key < 9; ++key) {
        sort_->addItem(ToQ(dynamic::SortKeyName(static_cast<dynamic::DynamicSortKey>(key))));
    }
    const int sort = settings.GetInt("DynSort");
    sort_->setCurrentIndex(sort >= 0 && sort < 9 ? sort : 0);
    colours_ = new QCheckBox(QStringLiteral("Use C&olors"));
    colours_->setChecked(settings.GetBool("DynColorsOn"));
    auto* again = new QPushButton(QStringLiteral("&New Report"));
    connect(again, &QPushButton::clicked, this, [this] { Q_EMIT NewReportRequested(); });
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Sort by")));
    bar->addWidget(sort_);
    bar->addWidget(colours_);
    bar->addStretch(1);
    bar->addWidget(again);

    table_ = new QTableWidget;
    table_->setColumnCount(9);
    QStringList headings;
    for (int key = 0; key < 9; ++key) {
        headings << ToQ(dynamic::SortKeyName(static_cast<dynamic::DynamicSortKey>(key)));
    }
    table_->setHorizontalHeaderLabels(headings);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_);
    layout->addLayout(bar);
    layout->addWidget(table_, 1);

    connect(sort_, &QComboBox::currentIndexChanged, this, [this](int key) {
        startup::CurrentSession().settings().SetInt("DynSort", key);
        SortBy(key);
    });
    connect(colours_, &QCheckBox::toggled, this, [this](bool on) {
        startup::CurrentSession().settings().SetBool("DynColorsOn", on);
        Fill();
    });
    SortBy(sort_->currentIndex());
}

QString DynamicView::Title() const {
    return QStringLiteral("Dynamic Report: ") + ToQ(result_.radix_name);
}

void DynamicView::SortBy(int key) {
    result_.run.table.Sort(static_cast<dynamic::DynamicSortKey>(key));
    Fill();
}

void DynamicView::Fill() {
    const bool colours = colours_->isChecked();
    const auto& events = result_.run.table.Events();
    table_->setRowCount(0);
    int row = 0;
    for (const dynamic::DynamicEvent& e : events) {
        if (e.filtered) {
            continue;
        }
        table_->insertRow(row);
        const dynamic::EventCells texts = dynamic::EventRowCells(result_.request, e);
        for (int column = 0; column < 9; ++column) {
            auto* item = new QTableWidgetItem(ToQ(texts[static_cast<std::size_t>(column)]));
            if (colours) {
                item->setForeground(FamilyColour(e.type));
            }
            table_->setItem(row, column, item);
        }
        ++row;
    }
    table_->resizeColumnsToContents();
}

QString DynamicView::Text() const {
    QString text = header_->toPlainText() + QStringLiteral("\n\n");
    for (const dynamic::DynamicEvent& e : result_.run.table.Events()) {
        if (e.filtered) {
            continue;
        }
        text += ToQ(dynamic::EventListingLine(dynamic::EventRowCells(result_.request, e))) + '\n';
    }
    return text;
}

}  // namespace meridia::ui
