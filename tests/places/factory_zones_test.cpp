// The factory place files and zone tables against the system's IANA database: for many
// places and moments (daylight-saving edges included) the zone a place lookup gives equals the
// database's offset, through the place files and through the atlas.
#include <geonames/geonames.h>
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "places/atlas.h"
#include "places/factory_places.h"
#include "places/place_files.h"
#include "places/zone_tables.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"
#include "support/test_session.h"

namespace meridia::places {
namespace {

constexpr std::size_t kCitiesChecked = 36;

struct City {
    std::string name;
    std::string country;
    std::string zone_id;
    double longitude_west = 0.0;
};

struct Moment {
    LocalMoment local;
    int offset_seconds = 0;  // the database's offset, east positive
    bool lmt = false;
};

// Cities of the atlas whose name fits the record and names one city of its country, spread
// over the whole list.
std::vector<City> CitiesToCheck() {
    std::vector<City> all;
    std::map<std::pair<std::string, std::string>, int> count;
    const int n = geonames_get_n_cities();
    for (int i = 0; i < n; ++i) {
        GeonamesCity* raw = geonames_get_city(i);
        City city{geonames_city_get_name(raw), AtlasCountryName(geonames_city_get_country(raw)),
                  geonames_city_get_timezone(raw), -geonames_city_get_longitude(raw)};
        geonames_city_free(raw);
        ++count[{startup::UpperText(city.name), city.country}];
        all.push_back(std::move(city));
    }
    std::vector<City> usable;
    for (const City& city : all) {
        const bool fits =
            startup::Utf8ToWindows1252(city.name).size() <= 20 &&
            startup::Windows1252ToUtf8(startup::Utf8ToWindows1252(city.name)) == city.name &&
            city.name.find(' ') == std::string::npos;
        if (fits && count[{startup::UpperText(city.name), city.country}] == 1 &&
            QTimeZone(QByteArray::fromStdString(city.zone_id)).isValid()) {
            usable.push_back(city);
        }
    }
    std::vector<City> chosen;
    const std::size_t stride = std::max<std::size_t>(1, usable.size() / kCitiesChecked);
    for (std::size_t i = stride / 2; i < usable.size() && chosen.size() < kCitiesChecked;
         i += stride) {
        chosen.push_back(usable[i]);
    }
    for (const char* name : {"Sydney", "Adelaide", "London", "Chicago", "Kolkata"}) {
        for (const City& city : usable) {
            if (city.name == name) {
                chosen.push_back(city);
            }
        }
    }
    return chosen;
}

// The database's offset at a local clock time, when the time names exactly one instant.
std::optional<Moment> MomentAt(const QTimeZone& tz, const QDate& date, const QTime& time) {
    const qint64 local = QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
    std::set<int> candidates;
    for (const qint64 probe : {-172800LL, -86400LL, 0LL, 86400LL, 172800LL}) {
        candidates.insert(tz.offsetFromUtc(QDateTime::fromSecsSinceEpoch(local + probe, Qt::UTC)));
    }
    std::vector<int> valid;
    for (const int offset : candidates) {
        if (tz.offsetFromUtc(QDateTime::fromSecsSinceEpoch(local - offset, Qt::UTC)) == offset) {
            valid.push_back(offset);
        }
    }
    if (valid.size() != 1) {
        return std::nullopt;
    }
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(local - valid.front(), Qt::UTC);
    Moment moment;
    moment.local = {date.year(), date.month(), date.day(), time.hour(), time.minute()};
    moment.offset_seconds = valid.front();
    moment.lmt = tz.abbreviation(utc) == QStringLiteral("LMT");
    return moment;
}

// Fixed moments across the centuries, and moments around the zone's changes: a minute
// before, at, and an hour and a minute after each (UT), read on the local clock.
std::vector<Moment> MomentsFor(const std::string& zone_id) {
    const QTimeZone tz(QByteArray::fromStdString(zone_id));
    std::vector<Moment> moments;
    const auto add = [&](const QDate& date, const QTime& time) {
        if (auto m = MomentAt(tz, date, time)) {
            moments.push_back(*m);
        }
    };
    for (const auto& [y, mo, d, h, mi] :
         {std::tuple{1890, 6, 15, 12, 0}, std::tuple{1920, 1, 15, 12, 0},
          std::tuple{1943, 7, 1, 12, 0}, std::tuple{1975, 7, 15, 6, 30},
          std::tuple{1999, 12, 31, 23, 59}, std::tuple{2024, 1, 15, 8, 0},
          std::tuple{2060, 7, 1, 12, 0}}) {
        add(QDate(y, mo, d), QTime(h, mi));
    }
    std::vector<QDateTime> changes;
    QDateTime cursor(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime end(QDate(2080, 1, 1), QTime(0, 0), Qt::UTC);
    while (true) {
        const auto next = tz.nextTransition(cursor);
        if (!next.atUtc.isValid() || next.atUtc <= cursor || next.atUtc >= end) {
            break;
        }
        changes.push_back(next.atUtc);
        cursor = next.atUtc;
    }
    const std::size_t step = std::max<std::size_t>(1, changes.size() / 4);
    for (std::size_t i = 0; i < changes.size(); i += step) {
        for (const qint64 shift : {-60LL, 0LL, 3660LL}) {
            const QDateTime utc = changes[i].addSecs(shift);
            if (utc.toSecsSinceEpoch() % 60 != 0) {
                continue;
            }
            const QDateTime local = utc.addSecs(tz.offsetFromUtc(utc));
            add(local.date(), local.time());
        }
    }
    return moments;
}

class FactoryZonesTest : public testing::SessionTest {
protected:
    // The files are made once for the suite, in a folder of its own.
    static void SetUpTestSuite() {
        folder_ = std::make_unique<testing::TempDir>();
        summary_ = GenerateFactoryPlaces(folder_->path(), "USA=United States\n");
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static const std::filesystem::path& Folder() { return folder_->path(); }

    void CheckAll(bool use_atlas) {
        int checked = 0;
        for (const City& city : CitiesToCheck()) {
            for (const Moment& moment : MomentsFor(city.zone_id)) {
                const FindPlaceResult result =
                    FindPlace(Folder(), city.name, city.country, moment.local, use_atlas);
                const auto& m = moment.local;
                SCOPED_TRACE(city.name + ", " + city.country + " " + city.zone_id + " " +
                             std::to_string(m.year) + "-" + std::to_string(m.month) + "-" +
                             std::to_string(m.day) + " " + std::to_string(m.hour) + ":" +
                             std::to_string(m.minute));
                ASSERT_TRUE(result.found);
                EXPECT_FALSE(result.uncertain);
                if (moment.lmt) {
                    // Before standard time: the place's own mean time, or the mean time the
                    // database records for the zone where it lists one after an earlier one.
                    EXPECT_EQ(result.place.zone_mnemonic, "LMT");
                    const double database = -moment.offset_seconds / 3600.0;
                    const double own = city.longitude_west / 15.0;
                    EXPECT_TRUE(std::fabs(result.place.zone_hours - own) < 4.0 / 3600.0 ||
                                std::fabs(result.place.zone_hours - database) < 2.0 / 3600.0)
                        << result.place.zone_hours;
                } else {
                    EXPECT_NEAR(result.place.zone_hours, -moment.offset_seconds / 3600.0,
                                2.0 / 3600.0 + 1e-9);
                }
                ++checked;
            }
        }
        EXPECT_GT(checked, 500);
        EXPECT_TRUE(sink().messages().empty());
    }

    static std::unique_ptr<testing::TempDir> folder_;
    static FactoryPlacesSummary summary_;
};

std::unique_ptr<testing::TempDir> FactoryZonesTest::folder_;
FactoryPlacesSummary FactoryZonesTest::summary_;

TEST_F(FactoryZonesTest, GeneratorWritesEveryFile) {
    ASSERT_TRUE(summary_.ok);
    EXPECT_EQ(summary_.places, geonames_get_n_cities());
    for (const std::string& name : FactoryPlaceFileNames()) {
        EXPECT_TRUE(std::filesystem::exists(Folder() / (name + ".plc"))) << name;
    }
    for (const char* name :
         {"tztable.lst", "tztable.ndx", "tztable.bin", "Country.INI", "State.INI"}) {
        EXPECT_TRUE(std::filesystem::exists(Folder() / name)) << name;
    }
    // The default place file holds Australia's cities and nothing else.
    const auto australia = ReadPlaceFile(Folder() / "australi.plc");
    ASSERT_TRUE(australia.has_value());
    EXPECT_GT(australia->size(), 50u);
    for (const PlaceFileRecord& record : *australia) {
        EXPECT_EQ(record.country, "Australia");
        EXPECT_GT(record.table_number, 0);
    }
}

TEST_F(FactoryZonesTest, ZoneListHoldsStandardAndDaylightMnemonics) {
    const auto list = ReadZoneList(Folder());
    ASSERT_TRUE(list.has_value());
    std::map<std::string, int> units;
    for (const ZoneListEntry& entry : *list) {
        units[entry.mnemonic] = entry.units;
    }
    EXPECT_EQ(units["AEST"], -9000);
    EXPECT_EQ(units["AEDT"], -9900);
    EXPECT_EQ(units["ACST"], -8550);
    EXPECT_EQ(units["BST"], -900);
    EXPECT_EQ(units["EST"], 4500);
    EXPECT_EQ(units["EDT"], 3600);
}

TEST_F(FactoryZonesTest, SydneyTableGoesOnBeyondItsLastEntry) {
    const auto sydney = FindPlace(Folder(), "Sydney", "NSW", {2024, 1, 15, 12, 0}, false);
    ASSERT_TRUE(sydney.found);
    EXPECT_EQ(sydney.place.zone_mnemonic, "AEDT");
    EXPECT_DOUBLE_EQ(sydney.place.zone_hours, -11.0);
    const auto table = ReadZoneTable(Folder(), sydney.place.table_number);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->header.name, "Australia/Sydney");
    EXPECT_EQ(table->header.next_table, kTableContinues);
    const auto later = FindPlace(Folder(), "Sydney", "Australia", {2150, 1, 15, 12, 0}, false);
    EXPECT_TRUE(later.uncertain);
    EXPECT_EQ(LastMessage().title, "Time Zone Uncertain");
}

// Around clock changes: an hour that the clocks repeat takes its first occurrence (daylight
// time still), an hour that they skip keeps the time before the change. Change times from
// the laws: United States Energy Policy Act of 2005 (second Sunday of March 2:00 standard,
// first Sunday of November 2:00 daylight), the United Kingdom's Summer Time Order (last
// Sundays of March and October, 1:00 UT), New South Wales' Daylight Saving Act (first Sunday
// of April 3:00 daylight).
TEST_F(FactoryZonesTest, ClockChangeHoursFollowTheChangeRules) {
    struct Case {
        const char* place;
        const char* country;
        LocalMoment moment;
        double hours;
        const char* mnemonic;
    };
    const Case kCases[] = {
        {"Chicago", "United States", {2021, 11, 7, 0, 59}, 5.0, "CDT"},
        {"Chicago", "United States", {2021, 11, 7, 1, 0}, 5.0, "CDT"},
        {"Chicago", "United States", {2021, 11, 7, 1, 59}, 5.0, "CDT"},
        {"Chicago", "United States", {2021, 11, 7, 2, 0}, 6.0, "CST"},
        {"Chicago", "United States", {2021, 3, 14, 1, 59}, 6.0, "CST"},
        {"Chicago", "United States", {2021, 3, 14, 2, 30}, 6.0, "CST"},
        {"Chicago", "United States", {2021, 3, 14, 3, 0}, 5.0, "CDT"},
        {"London", "United Kingdom", {2021, 10, 31, 1, 30}, -1.0, "BST"},
        {"London", "United Kingdom", {2021, 10, 31, 2, 0}, 0.0, "GMT"},
        {"London", "United Kingdom", {2021, 3, 28, 1, 30}, 0.0, "GMT"},
        {"London", "United Kingdom", {2021, 3, 28, 2, 0}, -1.0, "BST"},
        {"Sydney", "Australia", {2021, 4, 4, 2, 0}, -11.0, "AEDT"},
        {"Sydney", "Australia", {2021, 4, 4, 2, 59}, -11.0, "AEDT"},
        {"Sydney", "Australia", {2021, 4, 4, 3, 0}, -10.0, "AEST"},
    };
    for (const bool use_atlas : {false, true}) {
        for (const Case& c : kCases) {
            SCOPED_TRACE(std::string(c.place) + (use_atlas ? " atlas " : " files ") +
                         std::to_string(c.moment.month) + "/" + std::to_string(c.moment.day) + " " +
                         std::to_string(c.moment.hour) + ":" + std::to_string(c.moment.minute));
            const FindPlaceResult result =
                FindPlace(Folder(), c.place, c.country, c.moment, use_atlas);
            ASSERT_TRUE(result.found);
            EXPECT_DOUBLE_EQ(result.place.zone_hours, c.hours);
            EXPECT_EQ(result.place.zone_mnemonic, c.mnemonic);
        }
    }
}

TEST_F(FactoryZonesTest, PlaceFilesGiveTheDatabaseOffset) { CheckAll(false); }

TEST_F(FactoryZonesTest, AtlasGivesTheDatabaseOffset) { CheckAll(true); }

TEST_F(FactoryZonesTest, AtlasTriesTheAlternateCountryNames) {
    const auto chicago = FindPlace(Folder(), "Chicago", "USA", {1990, 7, 1, 12, 0}, true);
    ASSERT_TRUE(chicago.found);
    EXPECT_EQ(chicago.place.zone_type, ZoneType::kAtlas);
    EXPECT_EQ(chicago.place.country, "United States");
    EXPECT_EQ(chicago.place.zone_mnemonic, "CDT");
    EXPECT_DOUBLE_EQ(chicago.place.zone_hours, 5.0);
}

TEST_F(FactoryZonesTest, AtlasFindsCitiesAndTheirChanges) {
    ASSERT_TRUE(AtlasSetup());
    const auto cities = AtlasFindCity("london", "United Kingdom");
    ASSERT_FALSE(cities.empty());
    EXPECT_EQ(cities.front().name, "London");
    EXPECT_EQ(cities.front().zone_id, "Europe/London");
    EXPECT_EQ(AtlasZoneForKeys(cities.front().keys), "Europe/London");
    const auto changes = AtlasZoneChanges(cities.front().keys);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front().mnemonic, "GMT");
    EXPECT_EQ(changes.front().start.year, 1847);
    const AtlasZone summer = AtlasZoneAt(cities.front().keys, 0.1, {1990, 7, 1, 12, 0});
    EXPECT_EQ(summer.mnemonic, "BST");
    EXPECT_DOUBLE_EQ(summer.hours, -1.0);
    EXPECT_EQ(AtlasZoneAt({0, 0}, 0.0, {1990, 7, 1, 12, 0}).status, AtlasZoneStatus::kUnknownZone);
}

}  // namespace
}  // namespace meridia::places
