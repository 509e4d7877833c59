// The life-events editor of the chart entry form: rows read by the entry form's parsers with
// their messages, events at the chart's place and zone in date order, and the events saved with
// the chart and read back from its file.
#include <gtest/gtest.h>

#include <QTableWidget>

#include "charts/chart_entry.h"
#include "charts/chart_file_jobs.h"
#include "charts/chart_files.h"
#include "ui/chart_files_panel.h"
#include "ui/life_events_dialog.h"
#include "ui/main_window.h"
#include "ui_fixture.h"

namespace meridia::testing {
namespace {

void FillRow(ui::LifeEvents& editor, const char* description, const char* date, const char* time) {
    editor.AddRow();
    const int row = editor.table()->rowCount() - 1;
    editor.table()->item(row, 0)->setText(Q(description));
    editor.table()->item(row, 1)->setText(Q(date));
    editor.table()->item(row, 2)->setText(Q(time));
}

using LifeEventsTest = UiTest;

TEST_F(LifeEventsTest, RowsBecomeEventsAtTheChartsPlaceInDateOrder) {
    ASSERT_TRUE(started_);
    const astro::ChartRecord chart = SampleRecord();
    ui::LifeEvents editor(chart.data, {});
    FillRow(editor, "Nobel prize", "9 Nov 1922", "12:00");
    FillRow(editor, "Marriage", "6 Jan 1903", "10:15:30");
    editor.AddRow();  // left empty: no event
    ASSERT_TRUE(editor.ReadRows()) << LastMessage().text;
    ASSERT_EQ(editor.events().size(), 2u);
    const charts::ChartEvent& first = editor.events()[0];
    EXPECT_EQ(first.data.name, "Marriage");
    EXPECT_EQ(first.data.date_time.year, 1903);
    EXPECT_EQ(first.data.date_time.month, 1);
    EXPECT_EQ(first.data.date_time.day, 6);
    EXPECT_EQ(first.data.date_time.hour, 10);
    EXPECT_EQ(first.data.date_time.minute, 15);
    EXPECT_EQ(first.data.date_time.second, 30);
    EXPECT_EQ(first.data.place.place_name, "Ulm");
    EXPECT_EQ(first.data.zone.hours, chart.data.zone.hours);
    EXPECT_EQ(editor.events()[1].data.name, "Nobel prize");
}

TEST_F(LifeEventsTest, RefusedRowGivesTheParsersMessageAndKeepsTheEvents) {
    ASSERT_TRUE(started_);
    ui::LifeEvents editor(SampleRecord().data, {});
    FillRow(editor, "Move", "31 Foo 1900", "");
    sink().Clear();
    EXPECT_FALSE(editor.ReadRows());
    EXPECT_EQ(LastMessage().title, "Error in Date");
    EXPECT_TRUE(editor.events().empty());
    EXPECT_EQ(editor.table()->currentRow(), 0);

    editor.table()->item(0, 1)->setText(Q("30 Feb 1900"));
    sink().Clear();
    EXPECT_FALSE(editor.ReadRows());
    EXPECT_EQ(LastMessage().text, "This date is not a valid calendar date.");
    EXPECT_EQ(LastMessage().title, "Error in Date");
}

TEST_F(LifeEventsTest, EventsAreSavedWithTheChartAndReadBack) {
    ASSERT_TRUE(started_);
    const astro::ChartRecord chart = SampleRecord();
    ui::LifeEvents editor(chart.data, {});
    FillRow(editor, "Marriage", "6 Jan 1903", "10:15");
    ASSERT_TRUE(editor.ReadRows());

    ui::MainWindow window;
    ASSERT_GT(window.OpenChart(chart, {}, 0, "A comment", editor.events()), 0);
    const auto file = charts::CreateNewChartFile(charts::ChartsFolder() / "events.MDcht",
                                                 charts::kVersionCurrent, "Events");
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(window.files_panel()->OpenFile(*file));
    window.SaveChart(false);
    const auto stored = charts::LoadChartByNumber(*file, 1);
    ASSERT_TRUE(stored.ok());
    ASSERT_EQ(stored->events.size(), 1u);
    EXPECT_EQ(stored->events[0].data.name, "Marriage");
    EXPECT_EQ(stored->events[0].data.date_time.year, 1903);
    EXPECT_EQ(stored->comment, "A comment");

    // Reopened in the editor, the rows show the stored events.
    ui::LifeEvents again(chart.data, stored->events);
    ASSERT_EQ(again.table()->rowCount(), 1);
    EXPECT_EQ(again.table()->item(0, 0)->text(), Q("Marriage"));
    ASSERT_TRUE(again.ReadRows());
    EXPECT_EQ(again.events()[0].data.date_time.minute, 15);
}

}  // namespace
}  // namespace meridia::testing
