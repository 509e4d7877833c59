#include "ui/chart_files_panel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "charts/chart_file_jobs.h"
#include "charts/chart_text.h"
#include "startup/messages.h"
#include "textformats/angle_text.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::ui {

namespace {

namespace tf = meridia::textformats;

enum Column { kNumber, kName, kDate, kTime, kPlace, kType, kColumnCount };

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

// A table item that sorts by a number or a key rather than by its text.
class KeyedItem : public QTableWidgetItem {
public:
    KeyedItem(const QString& text, double key) : QTableWidgetItem(text), key_(key) {}
    bool operator<(const QTableWidgetItem& other) const override {
        const auto* keyed = dynamic_cast<const KeyedItem*>(&other);
        return keyed != nullptr ? key_ < keyed->key_ : QTableWidgetItem::operator<(other);
    }

private:
    double key_;
};

QString FileFilter() {
    return QStringLiteral("Chart files (*.MDcht *.mdcht *.cht *.ch6 *.tsl);;All files (*)");
}

}  // namespace

ChartFilesPanel::ChartFilesPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ChartFiles"));
    caption_ = new QLabel(QStringLiteral("No chart file open"));
    caption_->setWordWrap(true);
    search_ = new QLineEdit;
    search_->setPlaceholderText(QStringLiteral("Search names, places, dates"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, this, &ChartFilesPanel::Filter);

    table_ = new QTableWidget(0, kColumnCount);
    table_->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Name"),
                                       QStringLiteral("Date"), QStringLiteral("Time"),
                                       QStringLiteral("Place"), QStringLiteral("Type")});
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSortingEnabled(true);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setAlternatingRowColors(true);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { OpenSelected(); });

    const auto button = [this](const QString& text, void (ChartFilesPanel::*job)()) {
        auto* b = new QPushButton(text);
        connect(b, &QPushButton::clicked, this, job);
        return b;
    };
    auto* row1 = new QHBoxLayout;
    row1->addWidget(button(QStringLiteral("Open file..."), &ChartFilesPanel::ChooseFile));
    row1->addWidget(button(QStringLiteral("New file..."), &ChartFilesPanel::NewFile));
    row1->addWidget(button(QStringLiteral("Describe..."), &ChartFilesPanel::DescribeFile));
    auto* row2 = new QHBoxLayout;
    row2->addWidget(button(QStringLiteral("Open chart"), &ChartFilesPanel::OpenSelected));
    auto* edit = new QPushButton(QStringLiteral("Edit..."));
    connect(edit, &QPushButton::clicked, this, [this] {
        const std::vector<int> numbers = SelectedNumbers();
        if (image_ && !numbers.empty()) {
            const int n = numbers.front();
            Q_EMIT EditRequested(image_->charts[static_cast<std::size_t>(n - 1)],
                                 ToQ(path_.string()), n);
        }
    });
    row2->addWidget(edit);
    row2->addWidget(button(QStringLiteral("Delete"), &ChartFilesPanel::DeleteSelected));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addLayout(row1);
    layout->addWidget(search_);
    layout->addWidget(table_, 1);
    layout->addLayout(row2);
}

bool ChartFilesPanel::OpenFile(const std::filesystem::path& chosen, int select) {
    std::filesystem::path path = chosen;
    const auto version = charts::DetectChartFileVersion(path);
    if (version && *version != charts::kVersionCurrent && *version != charts::kVersionTessel) {
        if (auto converted = charts::OfferChartFileConversion(path, *version)) {
            path = *converted;
        }
    }
    auto image = charts::ReadChartFileForJob(path);
    if (!image.ok()) {
        image.status().Show(startup::kExclamation);
        return false;
    }
    path_ = path;
    image_ = std::move(*image);
    Fill(select);
    Q_EMIT FileOpened(ToQ(path_.string()));
    return true;
}

void ChartFilesPanel::Reload(int select) {
    if (!path_.empty()) {
        auto image = charts::ReadChartFileForJob(path_);
        if (image.ok()) {
            image_ = std::move(*image);
            Fill(select);
        }
    }
}

void ChartFilesPanel::Fill(int select) {
    table_->setSortingEnabled(false);
    table_->setRowCount(0);
    if (!image_) {
        return;
    }
    caption_->setText(QStringLiteral("<b>%1</b><br>%2 (%3, %4 charts)")
                          .arg(ToQ(path_.filename().string()).toHtmlEscaped(),
                               ToQ(image_->description).toHtmlEscaped(),
                               ToQ(charts::ChartFileFormatName(image_->version)))
                          .arg(image_->charts.size()));
    table_->setRowCount(static_cast<int>(image_->charts.size()));
    int row = 0;
    for (const charts::StoredChart& chart : image_->charts) {
        const astro::ChartData& stored = chart.record.data;
        const auto& dt = stored.date_time;
        const double moment = dt.year * 100000000.0 + dt.month * 1000000.0 + dt.day * 10000.0 +
                              dt.hour * 100.0 + dt.minute;
        table_->setItem(row, kNumber, new KeyedItem(QString::number(row + 1), row + 1));
        table_->setItem(row, kName, new QTableWidgetItem(ToQ(stored.name)));
        table_->setItem(
            row, kDate,
            new KeyedItem(ToQ(tf::FormatDate(dt.day, dt.month, dt.year,
                                             static_cast<tf::CalendarMode>(stored.calendar))),
                          moment));
        table_->setItem(row, kTime,
                        new KeyedItem(ToQ(tf::FormatTime(dt.hour, dt.minute, dt.second)),
                                      dt.hour * 3600.0 + dt.minute * 60.0 + dt.second));
        QString place = ToQ(stored.place.place_name);
        if (!stored.place.country.empty()) {
            place += ", " + ToQ(stored.place.country);
        }
        table_->setItem(row, kPlace, new QTableWidgetItem(place));
        table_->setItem(row, kType, new QTableWidgetItem(ToQ(charts::ChartTypeName(chart.record))));
        ++row;
    }
    table_->setSortingEnabled(true);
    table_->sortByColumn(kNumber, Qt::AscendingOrder);
    table_->resizeColumnsToContents();
    Filter(search_->text());
    if (select > 0) {
        SelectChart(select);
    }
}

void ChartFilesPanel::Filter(const QString& text) {
    const QString wanted = text.trimmed();
    for (int row = 0; row < table_->rowCount(); ++row) {
        bool match = wanted.isEmpty();
        for (int column = kName; column < kColumnCount && !match; ++column) {
            const QTableWidgetItem* item = table_->item(row, column);
            match = item != nullptr && item->text().contains(wanted, Qt::CaseInsensitive);
        }
        table_->setRowHidden(row, !match);
    }
}

int ChartFilesPanel::ChartCountShown() const {
    int shown = 0;
    for (int row = 0; row < table_->rowCount(); ++row) {
        shown += table_->isRowHidden(row) ? 0 : 1;
    }
    return shown;
}

std::vector<int> ChartFilesPanel::SelectedNumbers() const {
    std::vector<int> numbers;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows(kNumber)) {
        numbers.push_back(table_->item(index.row(), kNumber)->text().toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void ChartFilesPanel::SelectChart(int number) {
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (table_->item(row, kNumber)->text().toInt() == number) {
            table_->selectRow(row);
            table_->scrollToItem(table_->item(row, kNumber));
            return;
        }
    }
}

void ChartFilesPanel::ChooseFile() {
    const QString start =
        path_.empty() ? ToQ(charts::ChartsFolder().string()) : ToQ(path_.parent_path().string());
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open Chart File"), start, FileFilter());
    if (!chosen.isEmpty()) {
        OpenFile(chosen.toStdString());
    }
}

void ChartFilesPanel::NewFile() {
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("New Chart File"),
                                                        ToQ(charts::ChartsFolder().string()),
                                                        QStringLiteral("Chart files (*.MDcht)"));
    if (chosen.isEmpty()) {
        return;
    }
    bool ok = false;
    const QString description = QInputDialog::getText(this, QStringLiteral("New Chart File"),
                                                      QStringLiteral("Description of the file:"),
                                                      QLineEdit::Normal, QString(), &ok);
    if (!ok) {
        return;
    }
    const auto created = charts::CreateNewChartFile(chosen.toStdString(), charts::kVersionCurrent,
                                                    description.left(80).toStdString());
    if (!created.ok()) {
        created.status().Show(startup::kExclamation);
        return;
    }
    OpenFile(*created);
}

void ChartFilesPanel::OpenSelected() {
    if (!image_) {
        return;
    }
    for (const int n : SelectedNumbers()) {
        Q_EMIT ChartChosen(image_->charts[static_cast<std::size_t>(n - 1)], ToQ(path_.string()), n);
    }
}

void ChartFilesPanel::DeleteSelected() {
    const std::vector<int> numbers = SelectedNumbers();
    if (!image_ || numbers.empty()) {
        return;
    }
    const int answer =
        startup::ShowMessage(startup::JoinLines({"Do you wish to delete the selected charts (" +
                                                     std::to_string(numbers.size()) + ") from",
                                                 path_.filename().string() + "?"}),
                             startup::kQuestion | startup::kYesNo, "Delete Charts");
    if (answer != startup::kAnswerYes) {
        return;
    }
    const startup::Status status = charts::DeleteChartsFromFile(path_, numbers);
    if (!status.ok()) {
        status.Show(startup::kExclamation);
    }
    Reload();
}

void ChartFilesPanel::DescribeFile() {
    if (!image_) {
        return;
    }
    bool ok = false;
    const QString description = QInputDialog::getText(
        this, QStringLiteral("Describe Chart File"), QStringLiteral("Description of the file:"),
        QLineEdit::Normal, ToQ(image_->description), &ok);
    if (!ok) {
        return;
    }
    const startup::Status status =
        charts::DescribeChartFile(path_, description.left(80).toStdString());
    if (!status.ok()) {
        status.Show(startup::kExclamation);
    }
    Reload();
}

}  // namespace meridia::ui
