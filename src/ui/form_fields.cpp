#include "ui/form_fields.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLineEdit>

#include "textformats/date_text.h"

namespace meridia::ui {

QString TodayText() {
    const QDate d = QDate::currentDate();
    return QString::fromStdString(textformats::FormatDate(d.day(), d.month(), d.year(),
                                                          textformats::CalendarMode::kAutomatic));
}

QHBoxLayout* DateTimeRow(QLineEdit*& date, QLineEdit*& time) {
    date = new QLineEdit(TodayText());
    time = new QLineEdit;
    time->setPlaceholderText(QStringLiteral("00:00"));
    auto* row = new QHBoxLayout;
    row->addWidget(date, 2);
    row->addWidget(time, 1);
    return row;
}

}  // namespace meridia::ui
