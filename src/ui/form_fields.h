// Small pieces the window's dialogs share: today's date as the date parser reads it, and a row
// of a date field beside a time field.
#pragma once

#include <QString>

class QHBoxLayout;
class QLineEdit;

namespace meridia::ui {

// Today's date on the machine's clock, written as the program writes dates.
QString TodayText();

// A date field holding today's date beside an empty time field (midnight when left empty).
QHBoxLayout* DateTimeRow(QLineEdit*& date, QLineEdit*& time);

}  // namespace meridia::ui
