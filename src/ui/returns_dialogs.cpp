#include "ui/returns_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "astro/chart_table.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"
#include "textformats/zodiac_text.h"
#include "ui/form_fields.h"
#include "ui/job_runner.h"

namespace meridia::ui {

namespace {

namespace tf = meridia::textformats;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

// The points that can return: the Sun, the Moon and the planets.
constexpr int kReturningPoints[] = {3, 1, 5, 6, 7, 8, 9, 10, 11, 12};

}  // namespace

Returns::Returns(const astro::ChartRecord& base, QWidget* parent) : QDialog(parent), base_(base) {
    setObjectName(QStringLiteral("Returns"));
    setWindowTitle(QStringLiteral("Advanced Return Selections"));
    const auto& names = startup::Names();

    point_ = new QComboBox;
    point_->setObjectName(QStringLiteral("Planet1List"));
    for (const int point : kReturningPoints) {
        point_->addItem(ToQ(names.PointName(point, 1)), point);
    }

    auto* target = new QGroupBox(QStringLiteral("Return To"));
    natal_position_ = new QRadioButton(QStringLiteral("Natal Position"));
    natal_position_->setObjectName(QStringLiteral("OptionNatalPosition"));
    user_position_ = new QRadioButton(QStringLiteral("Position or Ingress"));
    user_position_->setObjectName(QStringLiteral("OptionUserPosition"));
    position_ = new QLineEdit;
    position_->setObjectName(QStringLiteral("Positions"));
    position_->setPlaceholderText(QStringLiteral("e.g. 00Ar00"));
    natal_position_->setChecked(true);
    position_->setEnabled(false);
    connect(user_position_, &QRadioButton::toggled, position_, &QLineEdit::setEnabled);
    auto* target_layout = new QVBoxLayout(target);
    target_layout->addWidget(natal_position_);
    auto* user_row = new QHBoxLayout;
    user_row->addWidget(user_position_);
    user_row->addWidget(position_);
    target_layout->addLayout(user_row);

    harmonic_ = new QDoubleSpinBox;
    harmonic_->setObjectName(QStringLiteral("Harmonic"));
    harmonic_->setRange(1.0, 360.0);
    harmonic_->setDecimals(2);
    harmonic_->setValue(1.0);

    auto* which = new QGroupBox(QStringLiteral("Which Return/s"));
    current_ = new QRadioButton(QStringLiteral("C&urrent Return"));
    current_->setObjectName(QStringLiteral("OptionCurrent"));
    next_ = new QRadioButton(QStringLiteral("Ne&xt Return"));
    next_->setObjectName(QStringLiteral("OptionNext"));
    nearest_ = new QRadioButton(QStringLiteral("&Nearest Return"));
    nearest_->setObjectName(QStringLiteral("OptionNearest"));
    next_->setChecked(true);
    auto* which_layout = new QVBoxLayout(which);
    which_layout->addWidget(current_);
    which_layout->addWidget(next_);
    which_layout->addWidget(nearest_);

    count_ = new QSpinBox;
    count_->setObjectName(QStringLiteral("NumReturns"));
    count_->setRange(1, returns::kMaxReturnCount);
    count_->setValue(1);

    auto* special = new QGroupBox(QStringLiteral("Special Options"));
    precessed_ = new QCheckBox(QStringLiteral("Pr&ec. Corr."));
    precessed_->setObjectName(QStringLiteral("CheckPrecessed"));
    converse_ = new QCheckBox(QStringLiteral("Con&verse"));
    converse_->setObjectName(QStringLiteral("CheckConverse"));
    auto* special_layout = new QHBoxLayout(special);
    special_layout->addWidget(precessed_);
    special_layout->addWidget(converse_);

    QHBoxLayout* start = DateTimeRow(start_date_, start_time_);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Returning &point"), point_);
    form->addRow(target);
    form->addRow(QStringLiteral("&Harmonic"), harmonic_);
    form->addRow(which);
    form->addRow(QStringLiteral("Number of &Returns"), count_);
    form->addRow(special);
    form->addRow(QStringLiteral("Return Search Start Date:"), start);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &Returns::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &Returns::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // A return to a typed position waits for the position.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    const auto update_ok = [this, ok] {
        ok->setEnabled(!user_position_->isChecked() || !position_->text().trimmed().isEmpty());
    };
    connect(user_position_, &QRadioButton::toggled, this, update_ok);
    connect(position_, &QLineEdit::textChanged, this, update_ok);
}

returns::ReturnJob Returns::Job() const {
    returns::ReturnJob job;
    job.base.record = base_;
    job.base.field_prefix = "";
    job.base.refusal_title = "Returns";
    job.point = point_->currentData().toInt();
    job.harmonic = harmonic_->value();
    if (user_position_->isChecked()) {
        job.position = position_->text().trimmed().toStdString();
    }
    job.which = current_->isChecked() ? "current" : nearest_->isChecked() ? "nearest" : "next";
    job.count = count_->value();
    job.converse = converse_->isChecked();
    job.precessed = precessed_->isChecked();
    job.from = start_date_->text().trimmed().toStdString();
    job.from_time = start_time_->text().trimmed().toStdString();
    return job;
}

std::optional<returns::ReturnJobResult> Returns::Run() {
    return RunCoreJob<returns::ReturnJobResult>(
        this, QStringLiteral("Returns"), OnCancel::kKeepResult,
        [job = Job()](JobProgress& progress) mutable {
            job.progress = [&progress](int n, int total) {
                return progress.Report(returns::ReturnProgressText(n, total),
                                       100 * (n - 1) / total);
            };
            return returns::RunReturnJob(job);
        });
}

void Returns::accept() {
    result_ = Run();
    if (result_) {
        QDialog::accept();
    }
}

ReturnSelect::ReturnSelect(const returns::ReturnJobResult& result, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ReturnSelect"));
    setWindowTitle(QStringLiteral("Return Selection"));
    list_ = new QListWidget;
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (std::size_t i = 0; i < result.returns.size(); ++i) {
        const returns::FoundReturn& found = result.returns[i];
        const int slot = i < result.slots.size() ? result.slots[i] : -1;
        QString text = QStringLiteral("%1. ").arg(found.number);
        auto* item = new QListWidgetItem;
        if (!found.found || slot < 0) {
            text += QStringLiteral("not found");
            item->setFlags(Qt::NoItemFlags);
        } else {
            const astro::ChartRecord& r = astro::Slot(slot).record;
            const astro::CompactDateTime& d = r.data.date_time;
            text += ToQ(tf::FormatDate(d.day, d.month, d.year, tf::CalendarMode::kAutomatic) +
                        "  " + tf::FormatTime(d.hour, d.minute, d.second) + "  " +
                        tf::FormatTimeZone(r.data.zone.hours) + "  " +
                        tf::FormatZodiacPosition(found.target));
            item->setData(Qt::UserRole, slot);
        }
        item->setText(text);
        list_->addItem(item);
    }
    if (list_->count() > 0 && (list_->item(0)->flags() & Qt::ItemIsSelectable) != 0) {
        list_->item(0)->setSelected(true);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReturnSelect::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReturnSelect::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select which chart/s to calculate")));
    layout->addWidget(list_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Ctrl + Mouse for multiple selections")));
    layout->addWidget(buttons);
}

std::vector<int> ReturnSelect::ChosenSlots() const {
    std::vector<int> chosen;
    for (int i = 0; i < list_->count(); ++i) {
        const QListWidgetItem* item = list_->item(i);
        if (item->isSelected()) {
            chosen.push_back(item->data(Qt::UserRole).toInt());
        }
    }
    return chosen;
}

}  // namespace meridia::ui
