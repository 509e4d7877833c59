// The life events of a chart (`LifeEvents`): a list of events, each a description, a date and
// a time at the chart's place and in its zone, added, changed and removed in a table. OK reads
// every row by the entry form's parsers; a row they refuse gets their message and the dialog
// stays open with that row selected.
#pragma once

#include <QDialog>
#include <vector>

#include "astro/chart_record.h"
#include "charts/chart_files.h"

class QTableWidget;

namespace meridia::ui {

class LifeEvents : public QDialog {
    Q_OBJECT
public:
    // `chart`: the chart's data (place and zone of its events).
    LifeEvents(const astro::ChartData& chart, const std::vector<charts::ChartEvent>& events,
               QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    // Adds an empty row and starts editing its description.
    void AddRow();
    void RemoveSelected();
    // Reads every row: true when all were accepted (the events are then in events()).
    bool ReadRows();
    const std::vector<charts::ChartEvent>& events() const { return events_; }

    void accept() override;

private:
    astro::ChartData chart_;
    QTableWidget* table_ = nullptr;
    std::vector<charts::ChartEvent> events_;
};

}  // namespace meridia::ui
