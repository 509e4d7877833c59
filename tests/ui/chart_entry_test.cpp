// The chart entry form driven as a user drives it: typing into the fields, leaving them, the
// place lookup and OK. Messages are the parsers' own, and a refused text gives the field back
// its previous value.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "startup/messages.h"
#include "ui/chart_entry_dialog.h"
#include "ui_fixture.h"

namespace meridia::testing {
namespace {

using ui::ChartEntry;
using Field = ChartEntry::Field;

class ChartEntryTest : public UiTest {
protected:
    ChartEntryTest() {
        form_.show();
        form_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form_));
    }

    // Types the text into the field and leaves it for the next field, as Tab does.
    void Type(Field which, const QString& text) {
        QLineEdit* edit = form_.field(which);
        edit->setFocus(Qt::TabFocusReason);
        edit->clear();
        QTest::keyClicks(edit, text);
        QLineEdit* next = form_.field(which == Field::kName ? Field::kDate : Field::kName);
        next->setFocus(Qt::TabFocusReason);
        ASSERT_FALSE(edit->hasFocus());
    }

    QString Text(Field which) const { return form_.field(which)->text(); }

    ChartEntry form_;
};

struct RefusedRow {
    Field field;
    const char* good;
    const char* bad;
    const char* title;
    const char* message;
};

TEST_F(ChartEntryTest, RefusedTextGivesTheParsersMessageAndKeepsThePreviousValue) {
    const RefusedRow rows[] = {
        {Field::kDate, "31 Dec 1992", "31 Foo 1992", "Error in Date",
         "The format of the date is not recognised.\nPlease re-enter a valid date e.g.\n"
         "31 Dec 1992  or  31/12/2009"},
        {Field::kTime, "9:05 pm", "24:00", "Error in Time",
         "The format of the time is not recognised.\nHours must be in the range 0 to 23.\n"
         "Please use a valid format e.g. 23:59:59"},
        {Field::kZone, "-10:30", "14:00", "Error in Time Zone",
         "The format of the Time Zone is not recognised.\n"
         "Please use a valid mnemonic (e.g. GMT) or a time.\n"
         "This may be selected from a list by clicking on the Zone button.\n"
         "If entering time, please use hours minutes and seconds separated by colons e.g. "
         "-10:30"},
        {Field::kLatitude, "35S55", "90N30", "Error in Latitude",
         "The format of the latitude is not recognised: 90N30\n"
         "Degrees must be in the range 0 to 90.\n"
         "Minutes or seconds must be in the range 0 to 59.\n"
         "Please use a valid format e.g. 35S55"},
        {Field::kLongitude, "138E34", "138E34W", "Error in Longitude",
         "The format of the longitude is not recognised: 138E34W\n"
         "Specify E for eastern hemisphere longitudes\n"
         "or W for western hemisphere longitudes.\n"
         "Please use a valid format e.g. 138E34"},
    };
    for (const RefusedRow& row : rows) {
        SCOPED_TRACE(row.bad);
        sink().Clear();
        Type(row.field, Q(row.good));
        EXPECT_TRUE(sink().messages().empty());
        EXPECT_EQ(form_.AcceptedText(row.field), Q(row.good));

        Type(row.field, Q(row.bad));
        ASSERT_EQ(sink().messages().size(), 1u);
        EXPECT_EQ(LastMessage().title, row.title);
        EXPECT_EQ(LastMessage().text, row.message);
        EXPECT_EQ(LastMessage().style & 0x70, startup::kCritical);
        EXPECT_EQ(Text(row.field), Q(row.good));
        EXPECT_EQ(form_.AcceptedText(row.field), Q(row.good));
    }
}

TEST_F(ChartEntryTest, OkBuildsTheRecordOfTheTypedFields) {
    Type(Field::kName, Q("Test Person"));
    Type(Field::kDate, Q("31st Dec 1992"));
    Type(Field::kTime, Q("9:05 pm"));
    Type(Field::kZone, Q("5:00"));
    Type(Field::kLatitude, Q("40N43"));
    Type(Field::kLongitude, Q("74W00"));
    ASSERT_TRUE(form_.BuildRecord());
    EXPECT_TRUE(sink().messages().empty());
    const astro::ChartRecord& record = form_.record();
    EXPECT_EQ(record.data.name, "Test Person");
    EXPECT_EQ(record.data.date_time.year, 1992);
    EXPECT_EQ(record.data.date_time.month, 12);
    EXPECT_EQ(record.data.date_time.day, 31);
    EXPECT_EQ(record.data.date_time.hour, 21);
    EXPECT_EQ(record.data.date_time.minute, 5);
    EXPECT_FLOAT_EQ(record.data.zone.hours, 5.0F);
    EXPECT_NEAR(record.data.place.latitude, 40.0 + 43.0 / 60.0, 1e-5);
    EXPECT_NEAR(record.data.place.longitude, 74.0, 1e-5);
    EXPECT_EQ(record.chart_class, 1);
    EXPECT_EQ(record.chart_kind, 1);
}

TEST_F(ChartEntryTest, OkWithoutPlaceOrCoordinatesAsksForThePlace) {
    Type(Field::kDate, Q("1 Jan 2000"));
    EXPECT_FALSE(form_.BuildRecord());
    ASSERT_EQ(sink().messages().size(), 1u);
    EXPECT_EQ(LastMessage().title, "Place Lookup Warning");
    EXPECT_EQ(LastMessage().text,
              "You need to enter a Place and a Country before clicking on the OK button.");
}

TEST_F(ChartEntryTest, LeavingTheCountryLooksThePlaceUpForTheTypedDate) {
    Type(Field::kDate, Q("14 Mar 1879"));
    Type(Field::kTime, Q("11:30"));
    Type(Field::kPlace, Q("Ulm"));
    Type(Field::kCountry, Q("Germany"));
    EXPECT_TRUE(sink().messages().empty());
    // Ulm lies at 48 deg 24' N, 9 deg 59' E; before the first zone change it kept local mean
    // time, about 40 minutes ahead of Greenwich.
    EXPECT_TRUE(Text(Field::kLatitude).startsWith(Q("48°N2")))
        << Text(Field::kLatitude).toStdString();
    EXPECT_TRUE(Text(Field::kLongitude).startsWith(Q("009°E59")))
        << Text(Field::kLongitude).toStdString();
    EXPECT_TRUE(Text(Field::kZone).startsWith(Q("-0:39"))) << Text(Field::kZone).toStdString();
    EXPECT_EQ(form_.findChild<QLabel*>(Q("zoneNote"))->text(), Q("LMT"));

    // A summer date in 2000 gets Central European Summer Time.
    Type(Field::kDate, Q("1 Jul 2000"));
    EXPECT_EQ(Text(Field::kZone), Q("-2:00"));
    EXPECT_EQ(form_.findChild<QLabel*>(Q("zoneNote"))->text(), Q("CEST"));
    ASSERT_TRUE(form_.BuildRecord());
    EXPECT_EQ(form_.record().data.zone.mnemonic, "CEST");
    EXPECT_FLOAT_EQ(form_.record().data.zone.hours, -2.0F);
}

QStringList g_offered;
int ChooseSecond(QWidget* /*parent*/, const QStringList& items) {
    g_offered = items;
    return 1;
}

TEST_F(ChartEntryTest, SeveralMatchingPlacesAreOfferedInAList) {
    g_offered.clear();
    form_.SetPlaceChooser(&ChooseSecond);
    Type(Field::kDate, Q("1 Jul 2000"));
    Type(Field::kPlace, Q("Springfield"));
    Type(Field::kCountry, Q("United States"));
    ASSERT_GT(g_offered.size(), 1);
    // The second item was chosen: its coordinates are in the fields.
    EXPECT_TRUE(g_offered[1].contains(Text(Field::kLatitude))) << g_offered[1].toStdString();
    EXPECT_TRUE(g_offered[1].contains(Text(Field::kLongitude)));
    EXPECT_EQ(Text(Field::kPlace), Q("Springfield"));
}

TEST_F(ChartEntryTest, UnknownPlaceSaysSoAndKeepsTheFields) {
    Type(Field::kLatitude, Q("35S55"));
    Type(Field::kPlace, Q("Nowhereville Xq"));
    Type(Field::kCountry, Q("Germany"));
    ASSERT_FALSE(sink().messages().empty());
    EXPECT_EQ(LastMessage().title, "Place Not Found");
    EXPECT_EQ(Text(Field::kLatitude), Q("35S55"));
}

}  // namespace
}  // namespace meridia::testing
