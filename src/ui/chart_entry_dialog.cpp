#include "ui/chart_entry_dialog.h"

#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

#include "charts/chart_entry.h"
#include "charts/chart_text.h"
#include "charts/entry_defaults.h"
#include "places/atlas.h"
#include "places/atlas_choice.h"
#include "places/place_lookup.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"
#include "ui/life_events_dialog.h"

namespace meridia::ui {

namespace {

namespace tf = meridia::textformats;

// The chart type list keeps class and kind together as class x 1000 + kind.
constexpr int kTypeClassFactor = 1000;
constexpr const char* kEntryTitle = "Chart Entry";

std::size_t Index(ChartEntry::Field which) { return static_cast<std::size_t>(which); }

std::string Std(const QString& text) { return text.trimmed().toStdString(); }
QString ToQ(const std::string& text) { return QString::fromStdString(text); }

int ChooseInList(QWidget* parent, const QStringList& items) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        parent, QStringLiteral("Select Place"), QStringLiteral("Several places match; choose one:"),
        items, 0, false, &ok);
    return ok ? static_cast<int>(items.indexOf(chosen)) : -1;
}

void SelectData(QComboBox* box, int data) {
    const int index = box->findData(data);
    if (index >= 0) {
        box->setCurrentIndex(index);
    }
}

}  // namespace

ChartEntry::ChartEntry(QWidget* parent) : QDialog(parent), chooser_(&ChooseInList) {
    setObjectName(QStringLiteral("ChartEntry"));
    setWindowTitle(QStringLiteral("Chart Entry"));
    const auto& names = startup::Names();
    const auto& settings = startup::CurrentSession().settings();

    auto* grid = new QGridLayout;
    int row = 0;
    const auto add = [&](int column, const QString& label, QWidget* widget) {
        auto* caption = new QLabel(label);
        caption->setBuddy(widget);
        grid->addWidget(caption, row, column * 2);
        grid->addWidget(widget, row, column * 2 + 1);
    };

    add(0, QStringLiteral("&Name"), MakeField(Field::kName, QStringLiteral("Untitled")));
    const bool month_first = settings.GetBool("DateOrderMDY");
    add(1, QStringLiteral("&Place"), MakeField(Field::kPlace, QStringLiteral("e.g. Ulm")));
    ++row;
    add(0, QStringLiteral("&Date"),
        MakeField(Field::kDate, month_first ? QStringLiteral("e.g. Dec 31 1992")
                                            : QStringLiteral("e.g. 31 Dec 1992")));
    add(1, QStringLiteral("C&ountry"),
        MakeField(Field::kCountry, QStringLiteral("country or state")));
    ++row;
    add(0, QStringLiteral("&Time"), MakeField(Field::kTime, QStringLiteral("e.g. 9:05 pm")));
    add(1, QStringLiteral("&Latitude"), MakeField(Field::kLatitude, QStringLiteral("e.g. 48N24")));
    ++row;
    auto* zone_box = new QWidget;
    auto* zone_row = new QHBoxLayout(zone_box);
    zone_row->setContentsMargins(0, 0, 0, 0);
    zone_row->addWidget(MakeField(Field::kZone, QStringLiteral("e.g. -1:00 or GMT")));
    zone_note_ = new QLabel;
    zone_note_->setObjectName(QStringLiteral("zoneNote"));
    zone_row->addWidget(zone_note_);
    add(0, QStringLiteral("&Zone"), zone_box);
    add(1, QStringLiteral("Lon&gitude"),
        MakeField(Field::kLongitude, QStringLiteral("e.g. 10E00")));
    ++row;

    calendar_ = new QComboBox;
    calendar_->addItem(QStringLiteral("By date"), 0);
    calendar_->addItem(QStringLiteral("Gregorian (NS)"), 1);
    calendar_->addItem(QStringLiteral("Julian (OS)"), 2);
    add(0, QStringLiteral("Calendar"), calendar_);
    house_ = new QComboBox;
    for (int code = 1; code <= startup::kHouseSystemCount; ++code) {
        house_->addItem(ToQ(names.HouseSystemName(code)), code);
    }
    SelectData(house_, charts::DefaultHouseSystem());
    add(1, QStringLiteral("&House system"), house_);
    ++row;

    chart_type_ = new QComboBox;
    for (const charts::EntryChartType& type : charts::EntryChartTypes()) {
        chart_type_->addItem(ToQ(type.name), type.chart_class * kTypeClassFactor + type.chart_kind);
    }
    add(0, QStringLiteral("Chart t&ype"), chart_type_);
    zodiac_ = new QComboBox;
    for (int code = 0; code < startup::kZodiacCount; ++code) {
        zodiac_->addItem(ToQ(names.ZodiacName(code)), code);
    }
    SelectData(zodiac_, charts::DefaultZodiac());
    add(1, QStringLiteral("Zod&iac"), zodiac_);
    ++row;

    event_type_ = new QComboBox;
    for (int type = 0; type <= 4; ++type) {
        event_type_->addItem(ToQ(names.EventTypeName(type)), type);
    }
    add(0, QStringLiteral("&Event type"), event_type_);
    coords_ = new QComboBox;
    coords_->addItem(ToQ(names.Form(startup::kCoordSystemNamesBase + 1, 0)), 1);
    coords_->addItem(ToQ(names.Form(startup::kCoordSystemNamesBase + 2, 0)), 2);
    add(1, QStringLiteral("Coor&dinates"), coords_);
    ++row;

    rating_ = new QComboBox;
    rating_->setEditable(true);
    rating_->addItem(QString());
    for (int i = 1; i <= startup::kSourceRatingCount; ++i) {
        rating_->addItem(
            ToQ(charts::SourceRatingLine(names.Entry(startup::kSourceRatingNamesBase + i))));
    }
    add(0, QStringLiteral("&Rating"), rating_);
    add(1, QStringLiteral("&Source"), MakeField(Field::kSource, QString()));
    field(Field::kSource)->setMaxLength(30);
    field(Field::kName)->setMaxLength(50);
    field(Field::kPlace)->setMaxLength(20);
    field(Field::kCountry)->setMaxLength(20);
    ++row;

    comment_ = new QPlainTextEdit;
    comment_->setPlaceholderText(QStringLiteral("Comments"));
    comment_->setTabChangesFocus(true);
    comment_->setMaximumHeight(90);

    auto* lookup = new QPushButton(QStringLiteral("Look &up place"));
    lookup->setAutoDefault(false);
    connect(lookup, &QPushButton::clicked, this, [this] { LookUpPlace(); });
    auto* now = new QPushButton(QStringLiteral("No&w"));
    now->setAutoDefault(false);
    connect(now, &QPushButton::clicked, this, [this] {
        const QDateTime current = QDateTime::currentDateTime();
        const QDate d = current.date();
        const QTime t = current.time();
        field(Field::kDate)
            ->setText(
                ToQ(tf::FormatDate(d.day(), d.month(), d.year(), tf::CalendarMode::kAutomatic)));
        field(Field::kTime)->setText(ToQ(tf::FormatTime(t.hour(), t.minute(), t.second())));
        CommitField(Field::kDate);
        CommitField(Field::kTime);
        FillZoneFromPlace();
    });
    events_button_ = new QPushButton(QStringLiteral("Life &Events..."));
    events_button_->setAutoDefault(false);
    connect(events_button_, &QPushButton::clicked, this, [this] { EditEvents(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->addButton(lookup, QDialogButtonBox::ActionRole);
    buttons->addButton(now, QDialogButtonBox::ActionRole);
    buttons->addButton(events_button_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ChartEntry::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChartEntry::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(comment_);
    layout->addWidget(buttons);
    field(Field::kName)->setFocus();
}

QLineEdit* ChartEntry::MakeField(Field which, const QString& placeholder) {
    auto* edit = new QLineEdit;
    edit->setPlaceholderText(placeholder);
    fields_[Index(which)] = edit;
    connect(edit, &QLineEdit::editingFinished, this, [this, which] { FieldEdited(which); });
    return edit;
}

QLineEdit* ChartEntry::field(Field which) const { return fields_[Index(which)]; }

QString ChartEntry::AcceptedText(Field which) const { return accepted_[Index(which)]; }

std::string ChartEntry::comment() const { return comment_->toPlainText().toStdString(); }

void ChartEntry::FieldEdited(Field which) {
    if (checking_) {
        return;
    }
    switch (which) {
        case Field::kDate:
        case Field::kTime: {
            const QString before = AcceptedText(which);
            if (CommitField(which) && AcceptedText(which) != before) {
                FillZoneFromPlace();
            }
            return;
        }
        case Field::kZone:
        case Field::kLatitude:
        case Field::kLongitude:
            CommitField(which);
            return;
        case Field::kPlace:
        case Field::kCountry: {
            const QString text = field(which)->text().trimmed();
            if (text == AcceptedText(which)) {
                return;
            }
            accepted_[Index(which)] = text;
            looked_up_.reset();
            const bool automatic = startup::CurrentSession().settings().GetBool("AutoTimezone");
            const bool both = !field(Field::kPlace)->text().trimmed().isEmpty() &&
                              !field(Field::kCountry)->text().trimmed().isEmpty();
            if (automatic && (both || (which == Field::kCountry &&
                                       !field(Field::kPlace)->text().trimmed().isEmpty()))) {
                LookUpPlace();
            }
            return;
        }
        case Field::kName:
        case Field::kSource:
            accepted_[Index(which)] = field(which)->text();
            return;
    }
}

bool ChartEntry::CommitField(Field which) {
    QLineEdit* edit = field(which);
    const QString text = edit->text().trimmed();
    if (text == AcceptedText(which) || text.isEmpty()) {
        accepted_[Index(which)] = text;
        return true;
    }
    const std::string typed = text.toStdString();
    checking_ = true;
    bool ok = true;
    switch (which) {
        case Field::kDate:
            ok = tf::ParseDate(typed, true).has_value();
            break;
        case Field::kTime:
            ok = tf::ParseTime(typed).has_value();
            break;
        case Field::kZone:
            ok = tf::ParseTimeZone(typed).has_value();
            break;
        case Field::kLatitude:
            ok = tf::ParseLatitude(typed).has_value();
            break;
        case Field::kLongitude:
            ok = tf::ParseLongitude(typed).has_value();
            break;
        default:
            break;
    }
    checking_ = false;
    if (ok) {
        accepted_[Index(which)] = text;
        if (which == Field::kZone) {
            zone_mnemonic_.clear();  // typed by the user: the record takes what was typed
            zone_note_->clear();
        }
        return true;
    }
    edit->setText(AcceptedText(which));
    // Queued, so that the focus goes back after the focus change that ended the field.
    QMetaObject::invokeMethod(edit, "setFocus", Qt::QueuedConnection);
    QMetaObject::invokeMethod(edit, "selectAll", Qt::QueuedConnection);
    return false;
}

std::optional<places::LocalMoment> ChartEntry::TypedMoment() const {
    const auto moment = places::ParseLocalMoment(AcceptedText(Field::kDate).toStdString(),
                                                 AcceptedText(Field::kTime).toStdString());
    if (!moment.ok()) {
        return std::nullopt;
    }
    return *moment;
}

bool ChartEntry::LookUpPlace() {
    const std::string place = Std(field(Field::kPlace)->text());
    const std::string country = Std(field(Field::kCountry)->text());
    if (place.empty() || checking_) {
        return false;
    }
    const auto moment = TypedMoment();
    if (!moment) {
        return false;
    }
    checking_ = true;
    std::optional<places::PlaceRecord> found;
    bool uncertain = false;
    // Several atlas cities of exactly that name: the user chooses one.
    const std::vector<places::AtlasCity> exact = places::AtlasCitiesNamed(place, country);
    if (exact.size() > 1) {
        QStringList items;
        for (const places::AtlasCity& city : exact) {
            items << ToQ(places::AtlasCityChoiceText(city));
        }
        const int chosen = chooser_(this, items);
        if (chosen < 0) {
            checking_ = false;
            return false;
        }
        if (const auto city =
                places::PlaceOfAtlasCity(exact[static_cast<std::size_t>(chosen)], *moment)) {
            found = city->place;
            uncertain = city->uncertain;
        }
    }
    if (!found) {
        const places::FindPlaceResult result = places::FindPlace(place, country, *moment);
        if (result.found) {
            found = result.place;
            uncertain = result.uncertain;
        }
    }
    checking_ = false;
    if (!found) {
        return false;
    }
    const auto set = [this](Field which, const std::string& text) {
        field(which)->setText(ToQ(text));
        accepted_[Index(which)] = field(which)->text().trimmed();
    };
    set(Field::kPlace, found->placename);
    set(Field::kCountry, found->country);
    set(Field::kLatitude, tf::FormatLatitude(found->latitude));
    set(Field::kLongitude, tf::FormatLongitude(found->longitude));
    set(Field::kZone, tf::FormatTimeZone(found->zone_hours));
    zone_mnemonic_ = found->zone_mnemonic;
    zone_note_->setText(ToQ(zone_mnemonic_) + (uncertain ? QStringLiteral(" (uncertain)") : ""));
    looked_up_ = found;
    return true;
}

void ChartEntry::FillZoneFromPlace() {
    if (!looked_up_ || checking_) {
        return;
    }
    const auto moment = TypedMoment();
    if (!moment) {
        return;
    }
    checking_ = true;
    const places::PlaceZone zone = places::GetZoneForPlace(*looked_up_, *moment);
    checking_ = false;
    if (zone.error) {
        return;
    }
    field(Field::kZone)->setText(ToQ(tf::FormatTimeZone(zone.hours)));
    accepted_[Index(Field::kZone)] = field(Field::kZone)->text();
    zone_mnemonic_ = zone.mnemonic;
    zone_note_->setText(ToQ(zone_mnemonic_) +
                        (zone.uncertain ? QStringLiteral(" (uncertain)") : QString()));
}

bool ChartEntry::BuildRecord() {
    for (const Field which :
         {Field::kDate, Field::kTime, Field::kZone, Field::kLatitude, Field::kLongitude}) {
        if (!CommitField(which)) {
            return false;
        }
    }
    const auto text = [this](Field which) { return Std(field(which)->text()); };
    if (text(Field::kDate).empty()) {
        startup::ShowMessage("Please enter the date of the chart.", startup::kExclamation,
                             kEntryTitle);
        field(Field::kDate)->setFocus();
        return false;
    }
    const bool typed_coordinates = !text(Field::kLatitude).empty() &&
                                   !text(Field::kLongitude).empty() && !text(Field::kZone).empty();
    if (text(Field::kPlace).empty()) {
        if (!typed_coordinates) {
            startup::ShowMessage(
                "You need to enter a Place and a Country before clicking on the OK button.",
                startup::kExclamation, "Place Lookup Warning");
            field(Field::kPlace)->setFocus();
            return false;
        }
    } else if (!looked_up_) {
        if (typed_coordinates) {
            const int answer = startup::ShowMessage(
                "A lookup for the Place and Country has not yet been performed so the Timezone, "
                "Latitude and Longitude may not be correct.",
                startup::kExclamation | startup::kOkCancel, "Place Lookup Warning");
            if (answer != startup::kAnswerOk) {
                return false;
            }
        } else if (!LookUpPlace()) {
            return false;
        }
    }

    charts::ChartEntry entry;
    if (!text(Field::kName).empty()) {
        entry.name = text(Field::kName);  // else the entry's default name
    }
    entry.date = text(Field::kDate);
    entry.time = text(Field::kTime);
    entry.zone = text(Field::kZone);
    entry.lat = text(Field::kLatitude);
    entry.lon = text(Field::kLongitude);
    entry.place = text(Field::kPlace);
    entry.country = text(Field::kCountry);
    const int calendar = calendar_->currentData().toInt();
    if (calendar != 0) {
        entry.calendar = calendar;
    }
    entry.house = house_->currentData().toInt();
    entry.zodiac = zodiac_->currentData().toInt();
    entry.coords = coords_->currentData().toInt();
    entry.event_type = event_type_->currentData().toInt();
    entry.rating = charts::RatingCode(rating_->currentText().toStdString());
    entry.source = text(Field::kSource);
    entry.field_prefix = "";
    entry.refusal_title = kEntryTitle;
    auto built = charts::BuildChartRecord(entry);
    if (!built.ok()) {
        built.status().Show(startup::kExclamation);
        return false;
    }
    record_ = std::move(*built);
    const int type = chart_type_->currentData().toInt();
    record_.chart_class = static_cast<std::uint8_t>(type / kTypeClassFactor);
    record_.chart_kind = static_cast<std::uint8_t>(type % kTypeClassFactor);
    if (record_.data.zone.mnemonic.empty() && !zone_mnemonic_.empty()) {
        record_.data.zone.mnemonic = zone_mnemonic_;
    }
    return true;
}

void ChartEntry::SetEvents(std::vector<charts::ChartEvent> events) {
    events_ = std::move(events);
    events_button_->setText(events_.empty()
                                ? QStringLiteral("Life &Events...")
                                : QStringLiteral("Life &Events (%1)...").arg(events_.size()));
}

bool ChartEntry::EditEvents() {
    if (!BuildRecord()) {
        return false;
    }
    LifeEvents editor(record_.data, events_, this);
    if (editor.exec() != QDialog::Accepted) {
        return false;
    }
    SetEvents(editor.events());
    return true;
}

void ChartEntry::accept() {
    if (BuildRecord()) {
        QDialog::accept();
    }
}

void ChartEntry::SetRecord(const astro::ChartRecord& record, const std::string& comment) {
    const astro::ChartData& stored = record.data;
    const auto& dt = stored.date_time;
    const auto set = [this](Field which, const std::string& value) {
        field(which)->setText(ToQ(value));
        accepted_[Index(which)] = field(which)->text().trimmed();
    };
    set(Field::kName, stored.name);
    set(Field::kDate,
        tf::FormatDate(dt.day, dt.month, dt.year, static_cast<tf::CalendarMode>(stored.calendar)));
    set(Field::kTime, tf::FormatTime(dt.hour, dt.minute, dt.second));
    set(Field::kZone, tf::FormatTimeZone(static_cast<double>(stored.zone.hours)));
    set(Field::kPlace, stored.place.place_name);
    set(Field::kCountry, stored.place.country);
    set(Field::kLatitude, tf::FormatLatitude(static_cast<double>(stored.place.latitude)));
    set(Field::kLongitude, tf::FormatLongitude(static_cast<double>(stored.place.longitude)));
    set(Field::kSource, record.source);
    zone_mnemonic_ = stored.zone.mnemonic;
    zone_note_->setText(ToQ(zone_mnemonic_));
    SelectData(calendar_, stored.calendar);
    SelectData(house_, record.house_system);
    SelectData(zodiac_, record.zodiac);
    SelectData(coords_, record.coords);
    SelectData(event_type_, record.event_type);
    SelectData(chart_type_, record.chart_class * kTypeClassFactor + record.chart_kind);
    rating_->setCurrentText(ToQ(record.rating));
    for (int i = 0; i < rating_->count(); ++i) {
        if (!record.rating.empty() && rating_->itemText(i).startsWith(ToQ(record.rating) + " ")) {
            rating_->setCurrentIndex(i);
        }
    }
    comment_->setPlainText(ToQ(comment));
    // A stored chart's place counts as looked up: its coordinates and zone are the ones saved.
    places::PlaceRecord place;
    place.placename = stored.place.place_name;
    place.country = stored.place.country;
    place.latitude = static_cast<double>(stored.place.latitude);
    place.longitude = static_cast<double>(stored.place.longitude);
    place.zone_hours = static_cast<double>(stored.zone.hours);
    place.zone_mnemonic = stored.zone.mnemonic;
    looked_up_ = place;
}

}  // namespace meridia::ui
