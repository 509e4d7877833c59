// The chart entry form (`ChartEntry`): name, date, time, zone, place and country, latitude and
// longitude, calendar, house system, zodiac, coordinates, chart type, event type, source rating
// and source, and comments. Every typed field is read by the core's parser when the user leaves
// it; a text the parser refuses gets the parser's message and the field goes back to its
// previous value. The place lookup fills the coordinates and the zone in force at the chart's
// date; OK builds the chart record through the same rules as the command line.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <optional>
#include <string>

#include "astro/chart_record.h"
#include "charts/chart_files.h"
#include "places/place_files.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QLabel;
class QPushButton;

namespace meridia::ui {

class ChartEntry : public QDialog {
    Q_OBJECT
public:
    // The typed fields, in the order of the form.
    enum class Field {
        kName,
        kDate,
        kTime,
        kZone,
        kPlace,
        kCountry,
        kLatitude,
        kLongitude,
        kSource
    };

    explicit ChartEntry(QWidget* parent = nullptr);

    // Fills the form from a stored chart (editing an open or saved chart).
    void SetRecord(const astro::ChartRecord& record, const std::string& comment);

    QLineEdit* field(Field which) const;
    // The text a field holds after the last accepted entry.
    QString AcceptedText(Field which) const;

    // Reads a typed field as leaving it does: true when the text was accepted (or unchanged);
    // otherwise the parser's message was shown and the previous text is back.
    bool CommitField(Field which);

    // Looks the place and country up (place files, then the atlas; a list to choose from when
    // several places of that name match) and fills place, country, latitude, longitude and the
    // zone in force at the typed date and time. False when nothing was found.
    bool LookUpPlace();

    // What OK does: reads every field and builds the chart record; false (the form stays open)
    // when a field or the record was refused.
    bool BuildRecord();

    const astro::ChartRecord& record() const { return record_; }
    std::string comment() const;

    // The chart's life events ("Life &Events..." edits them at the chart's place and zone).
    void SetEvents(std::vector<charts::ChartEvent> events);
    const std::vector<charts::ChartEvent>& events() const { return events_; }
    // What "Life &Events..." does: builds the chart from the fields (their messages when they
    // cannot be read) and edits its events; false when the chart or the edit was not
    // accepted.
    bool EditEvents();

    // The candidate list shown when several places match: replaced in tests, which cannot click
    // in a modal list. Returns the chosen index or -1.
    using PlaceChooser = int (*)(QWidget* parent, const QStringList& items);
    void SetPlaceChooser(PlaceChooser chooser) { chooser_ = chooser; }

    void accept() override;

private:
    QLineEdit* MakeField(Field which, const QString& placeholder);
    void FieldEdited(Field which);
    void FillZoneFromPlace();
    std::optional<places::LocalMoment> TypedMoment() const;

    std::array<QLineEdit*, 9> fields_{};
    std::array<QString, 9> accepted_{};
    QComboBox* calendar_ = nullptr;
    QComboBox* house_ = nullptr;
    QComboBox* zodiac_ = nullptr;
    QComboBox* coords_ = nullptr;
    QComboBox* chart_type_ = nullptr;
    QComboBox* event_type_ = nullptr;
    QComboBox* rating_ = nullptr;
    QPlainTextEdit* comment_ = nullptr;
    QLabel* zone_note_ = nullptr;
    bool checking_ = false;
    // The place of the last lookup, while place and country are unchanged; its zone is looked
    // up again when the date or time changes.
    std::optional<places::PlaceRecord> looked_up_;
    std::string zone_mnemonic_;  // mnemonic of the looked-up zone, while the zone is unchanged
    astro::ChartRecord record_;
    std::vector<charts::ChartEvent> events_;
    QPushButton* events_button_ = nullptr;
    PlaceChooser chooser_ = nullptr;
};

}  // namespace meridia::ui
