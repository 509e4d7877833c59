#include "ui/life_events_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "charts/chart_entry.h"
#include "startup/messages.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::ui {

namespace {

namespace tf = meridia::textformats;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

enum Column { kDescription = 0, kDate = 1, kTime = 2 };
// Item data of the description cell: the event's comment, kept through the edit.
constexpr int kCommentRole = Qt::UserRole;

}  // namespace

LifeEvents::LifeEvents(const astro::ChartData& chart, const std::vector<charts::ChartEvent>& events,
                       QWidget* parent)
    : QDialog(parent), chart_(chart), events_(events) {
    setObjectName(QStringLiteral("LifeEvents"));
    setWindowTitle(QStringLiteral("Life Events - ") + ToQ(chart.name));
    table_ = new QTableWidget(0, 3);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Description"), QStringLiteral("Date"), QStringLiteral("Time")});
    table_->horizontalHeader()->setSectionResizeMode(kDescription, QHeaderView::Stretch);
    table_->verticalHeader()->setVisible(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const charts::ChartEvent& event : events) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        const astro::CompactDateTime& d = event.data.date_time;
        auto* description = new QTableWidgetItem(ToQ(event.data.name));
        description->setData(kCommentRole, ToQ(event.comment));
        table_->setItem(row, kDescription, description);
        table_->setItem(
            row, kDate,
            new QTableWidgetItem(ToQ(tf::FormatDate(
                d.day, d.month, d.year, static_cast<tf::CalendarMode>(event.data.calendar)))));
        table_->setItem(row, kTime,
                        new QTableWidgetItem(ToQ(tf::FormatTime(d.hour, d.minute, d.second))));
    }

    auto* add = new QPushButton(QStringLiteral("&Add"));
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, [this] { AddRow(); });
    auto* remove = new QPushButton(QStringLiteral("&Remove"));
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->addButton(add, QDialogButtonBox::ActionRole);
    buttons->addButton(remove, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &LifeEvents::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LifeEvents::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    resize(560, 360);
}

void LifeEvents::AddRow() {
    const int row = table_->rowCount();
    table_->insertRow(row);
    for (int column = 0; column < 3; ++column) {
        table_->setItem(row, column, new QTableWidgetItem);
    }
    table_->setCurrentCell(row, kDescription);
    table_->editItem(table_->item(row, kDescription));
}

void LifeEvents::RemoveSelected() {
    std::vector<int> rows;
    for (const QTableWidgetSelectionRange& range : table_->selectedRanges()) {
        for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
            rows.push_back(row);
        }
    }
    std::sort(rows.rbegin(), rows.rend());
    for (const int row : rows) {
        table_->removeRow(row);
    }
}

bool LifeEvents::ReadRows() {
    std::vector<charts::ChartEvent> read;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const auto text = [this, row](int column) {
            const QTableWidgetItem* item = table_->item(row, column);
            return item != nullptr ? item->text().trimmed().toStdString() : std::string();
        };
        charts::ChartEntry typed;
        typed.name = text(kDescription);
        typed.date = text(kDate);
        typed.time = text(kTime);
        typed.field_prefix = "";
        typed.refusal_title = "Life Events";
        if (typed.name.empty() && typed.date.empty() && typed.time.empty()) {
            continue;  // an empty row is no event
        }
        const auto built = charts::BuildEventData(chart_, typed);
        if (!built.ok()) {
            built.status().Show(startup::kExclamation);
            table_->setCurrentCell(row, kDate);
            return false;
        }
        charts::ChartEvent event;
        event.data = *built;
        const QTableWidgetItem* description = table_->item(row, kDescription);
        if (description != nullptr) {
            event.comment = description->data(kCommentRole).toString().toStdString();
        }
        read.push_back(std::move(event));
    }
    charts::SortChartEvents(read);
    events_ = std::move(read);
    return true;
}

void LifeEvents::accept() {
    if (ReadRows()) {
        QDialog::accept();
    }
}

}  // namespace meridia::ui
