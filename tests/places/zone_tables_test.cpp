#include "places/zone_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/test_session.h"
#include "support/write_failure.h"
#include "test_bytes.h"

namespace meridia::places {
namespace {

using test::Le;
using test::Padded;
using test::ReadLe;

struct Entry {
    std::int32_t code;
    int year;
    int month_day;
    int hour_minute;
};

struct Table {
    std::int32_t number;
    std::int32_t next;
    std::string name;
    std::vector<Entry> entries;
};

// Writes "tztable.lst", ".ndx" and ".bin" byte by byte: positions in the index are 1-based.
class ZoneFiles {
public:
    explicit ZoneFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void List(const std::vector<std::tuple<std::int32_t, int, std::string>>& list) {
        std::string lst;
        Le(lst, static_cast<std::int64_t>(list.size()), 4);
        for (const auto& [code, units, mnemonic] : list) {
            Le(lst, code, 4);
            Le(lst, units, 2);
            Padded(lst, mnemonic, 5);
        }
        testing::WriteFile(folder_ / "tztable.lst", lst);
    }

    void Tables(const std::vector<Table>& tables) {
        std::string ndx;
        std::string bin;
        Le(ndx, static_cast<std::int64_t>(tables.size()), 4);
        for (const Table& table : tables) {
            Le(ndx, table.number, 4);
            Le(ndx, static_cast<std::int64_t>(bin.size() + 1), 4);
            Le(bin, table.number, 4);
            Le(bin, table.next, 4);
            Le(bin, static_cast<std::int64_t>(table.entries.size()), 4);
            Padded(bin, table.name, 40);
            for (const Entry& e : table.entries) {
                Le(bin, e.code, 4);
                Le(bin, e.year, 2);
                Le(bin, e.month_day, 2);
                Le(bin, e.hour_minute, 2);
            }
        }
        testing::WriteFile(folder_ / "tztable.ndx", ndx);
        testing::WriteFile(folder_ / "tztable.bin", bin);
    }

private:
    std::filesystem::path folder_;
};

constexpr std::int32_t kAest = 1;
constexpr std::int32_t kAedt = 2;

class ZoneTablesTest : public testing::SessionTest {
protected:
    ZoneTablesTest() : folder_(temp() / "Places"), files_(folder_) {
        files_.List({{kAest, -9000, "AEST"}, {kAedt, -9900, "AEDT"}, {3, 4500, "EST"}});
        files_.Tables({
            {1,
             0,
             "Sydney",
             {{kAest, 1895, 201, 0}, {kAedt, 1971, 1031, 200}, {kAest, 1972, 227, 300}}},
            {2, -1, "Continuing", {{kAest, 1895, 201, 0}, {kAedt, 1971, 1031, 200}}},
            {3, 4, "Chain head", {{kAest, 1900, 101, 0}, {kAedt, 1950, 101, 0}}},
            {4, 0, "Chain tail", {{kAest, 1960, 101, 0}}},
            {5, 0, "Fixed zero", {{-21600, 1900, 101, 0}}},
            {6, 0, "Fixed five", {{-17100, 1900, 101, 0}}},
            {7, 0, "Unknown code", {{99, 1900, 101, 0}}},
            {8, 9, "Loop A", {{kAest, 1900, 101, 0}}},
            {9, 8, "Loop B", {{kAedt, 1901, 101, 0}}},
        });
    }

    ZoneResult Lookup(int table, LocalMoment moment, double longitude = 0.0,
                      ZoneLookupStatus expected = ZoneLookupStatus::kFound) {
        ZoneResult zone;
        EXPECT_EQ(LookupZone(folder_, table, moment, longitude, zone), expected);
        return zone;
    }

    std::filesystem::path folder_;
    ZoneFiles files_;
};

struct LookupCase {
    const char* what;
    int table;
    LocalMoment moment;
    double hours;
    const char* mnemonic;
    bool uncertain;
};

TEST_F(ZoneTablesTest, LookupWalksEntriesChainsAndEnds) {
    const LookupCase cases[] = {
        {"at the first entry's start", 1, {1895, 2, 1, 0, 0}, -10.0, "AEST", false},
        {"a minute before the change", 1, {1971, 10, 31, 1, 59}, -10.0, "AEST", false},
        {"at the change", 1, {1971, 10, 31, 2, 0}, -11.0, "AEDT", false},
        {"last entry, table ends", 1, {2020, 1, 1, 12, 0}, -10.0, "AEST", false},
        {"before the last entry of a continuing table",
         2,
         {1950, 6, 1, 0, 0},
         -10.0,
         "AEST",
         false},
        {"past a continuing table", 2, {1990, 6, 1, 0, 0}, -11.0, "AEDT", true},
        {"inside the chain head", 3, {1920, 1, 1, 0, 0}, -10.0, "AEST", false},
        {"between head and tail", 3, {1955, 1, 1, 0, 0}, -11.0, "AEDT", false},
        {"in the chain tail", 3, {1965, 1, 1, 0, 0}, -10.0, "AEST", false},
        {"fixed code -21600", 5, {2000, 1, 1, 0, 0}, 0.0, "", false},
        {"fixed code -17100", 6, {2000, 1, 1, 0, 0}, 5.0, "", false},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ZoneResult zone = Lookup(c.table, c.moment);
        EXPECT_DOUBLE_EQ(zone.hours, c.hours);
        EXPECT_EQ(zone.mnemonic, c.mnemonic);
        EXPECT_EQ(zone.uncertain, c.uncertain);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ZoneTablesTest, LocalMeanTimeBeforeTheFirstEntry) {
    // Longitude 2.35 west: 141 units of 4 seconds, 0.15667 hours.
    ZoneResult zone = Lookup(1, {1895, 1, 31, 23, 59}, 2.35);
    EXPECT_EQ(zone.mnemonic, "LMT");
    EXPECT_NEAR(zone.hours, 141.0 / 900.0, 1e-12);
    EXPECT_NEAR(zone.hours, 0.15667, 1e-5);
    EXPECT_FALSE(zone.uncertain);
    zone = Lookup(1, {1800, 1, 1, 0, 0}, -151.2);
    EXPECT_NEAR(zone.hours, -9072.0 / 900.0, 1e-12);
}

TEST_F(ZoneTablesTest, NoResultLeavesTheZoneAsItWas) {
    ZoneResult zone{3.5, "OLD", false};
    EXPECT_EQ(LookupZone(folder_, 42, {2000, 1, 1, 0, 0}, 0.0, zone),
              ZoneLookupStatus::kNotInIndex);
    EXPECT_DOUBLE_EQ(zone.hours, 3.5);
    EXPECT_EQ(zone.mnemonic, "OLD");
    EXPECT_EQ(LookupZone(folder_, 7, {2000, 1, 1, 0, 0}, 0.0, zone),
              ZoneLookupStatus::kUnknownCode);
    EXPECT_DOUBLE_EQ(zone.hours, 3.5);
    EXPECT_EQ(zone.mnemonic, "OLD");

    ZoneResult missing{3.5, "OLD", false};
    EXPECT_EQ(LookupZone(temp() / "nowhere", 1, {2000, 1, 1, 0, 0}, 0.0, missing),
              ZoneLookupStatus::kNoFiles);
    EXPECT_TRUE(missing.uncertain);
    EXPECT_DOUBLE_EQ(missing.hours, 3.5);
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ZoneTablesTest, ChainIntoATableNotInTheIndexGivesNoResult) {
    files_.Tables({{1, 42, "Chain into nothing", {{kAest, 1900, 101, 0}}}});
    ZoneResult zone{3.5, "OLD", false};
    EXPECT_EQ(LookupZone(folder_, 1, {2000, 1, 1, 0, 0}, 0.0, zone), ZoneLookupStatus::kNotInIndex);
    EXPECT_DOUBLE_EQ(zone.hours, 3.5);
    EXPECT_EQ(zone.mnemonic, "OLD");
    EXPECT_FALSE(zone.uncertain);
    EXPECT_TRUE(sink().messages().empty());
    // Before the chain is reached the table answers as usual.
    zone = Lookup(1, {1850, 1, 1, 0, 0}, 15.0);
    EXPECT_EQ(zone.mnemonic, "LMT");
    EXPECT_DOUBLE_EQ(zone.hours, 1.0);
}

TEST_F(ZoneTablesTest, DamagedFilesGiveTheLookupMessage) {
    struct Damage {
        const char* what;
        std::string ndx;
        std::string bin;
    };
    std::string huge_count;
    Le(huge_count, 0x7FFFFFFF, 4);
    Le(huge_count, 1, 4);
    Le(huge_count, 1, 4);
    std::string position_zero;
    Le(position_zero, 1, 4);
    Le(position_zero, 1, 4);
    Le(position_zero, 0, 4);
    std::string one_entry;
    Le(one_entry, 1, 4);
    Le(one_entry, 1, 4);
    Le(one_entry, 1, 4);
    std::string short_table;
    Le(short_table, 1, 4);
    Le(short_table, 0, 4);
    Le(short_table, 1000, 4);  // claims 1000 entries
    Padded(short_table, "Short", 40);
    Le(short_table, kAest, 4);
    std::string beyond;
    Le(beyond, 1, 4);
    Le(beyond, 1, 4);
    Le(beyond, 5000, 4);
    const Damage damages[] = {
        {"index count beyond the file", huge_count, short_table},
        {"table position 0", position_zero, short_table},
        {"entries beyond the end", one_entry, short_table},
        {"position beyond the end", beyond, short_table},
        {"truncated index", std::string("\x01\x00", 2), short_table},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        sink().Clear();
        testing::WriteFile(folder_ / "tztable.ndx", d.ndx);
        testing::WriteFile(folder_ / "tztable.bin", d.bin);
        const ZoneResult zone = Lookup(1, {2000, 1, 1, 0, 0}, 0.0, ZoneLookupStatus::kReadError);
        EXPECT_TRUE(zone.uncertain);
        ASSERT_EQ(sink().messages().size(), 1u);
        EXPECT_EQ(LastMessage().title, "Error");
        EXPECT_NE(LastMessage().text.find("\nError encountered during time zone lookup."),
                  std::string::npos);
    }
}

TEST_F(ZoneTablesTest, ChainLoopEndsWithTheMessage) {
    const ZoneResult zone = Lookup(8, {2000, 1, 1, 0, 0}, 0.0, ZoneLookupStatus::kReadError);
    EXPECT_TRUE(zone.uncertain);
    ASSERT_EQ(sink().messages().size(), 1u);
}

TEST_F(ZoneTablesTest, ListAndReadTables) {
    const auto listed = ListZoneTables(folder_);
    ASSERT_TRUE(listed.ok());
    const std::vector<ZoneTableListItem>& items = *listed;
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0].text, "Sydney - #1");
    EXPECT_EQ(items[0].table_number, 1);
    EXPECT_EQ(items[3].text, "Chain tail - #4");

    const auto table = ReadZoneTable(folder_, 3);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->header.name, "Chain head");
    EXPECT_EQ(table->header.next_table, 4);
    ASSERT_EQ(table->entries.size(), 2u);
    EXPECT_EQ(table->entries[1].zone_code, kAedt);
    EXPECT_EQ(table->entries[1].year, 1950);
    EXPECT_FALSE(ReadZoneTable(folder_, 10).has_value());

    const auto list = ReadZoneList(folder_);
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[1].mnemonic, "AEDT");
    EXPECT_EQ((*list)[1].units, -9900);
}

// The index as (number, position) pairs, read straight from the bytes.
std::vector<std::pair<std::int64_t, std::int64_t>> IndexOf(const std::filesystem::path& folder) {
    const std::string ndx = testing::ReadFile(folder / "tztable.ndx");
    std::vector<std::pair<std::int64_t, std::int64_t>> index;
    const auto count = ReadLe(ndx, 0, 4);
    EXPECT_EQ(ndx.size(), 4u + 8u * static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const auto at = 4 + 8 * static_cast<std::size_t>(i);
        index.emplace_back(ReadLe(ndx, at, 4), ReadLe(ndx, at + 4, 4));
    }
    return index;
}

TEST_F(ZoneTablesTest, SaveKeepsTheIndexSortedAndPositionsRight) {
    const auto names = testing::NamesIn(folder_);
    ZoneTable edited;
    edited.header = {5, 0, "Five again"};
    edited.entries = {{kAedt, 1990, 101, 0}, {kAest, 1991, 101, 0}};
    ASSERT_EQ(SaveZoneTable(folder_, edited), 5);

    ZoneTable inserted;
    inserted.header = {20, 0, "Twenty"};
    inserted.entries = {{-21600, 1900, 101, 0}};
    ASSERT_EQ(SaveZoneTable(folder_, inserted), 20);

    ZoneTable fresh;
    fresh.header = {0, -1, "New Table"};
    fresh.entries = {{kAest, 2000, 101, 0}};
    ASSERT_EQ(SaveZoneTable(folder_, fresh), 21);

    const auto index = IndexOf(folder_);
    ASSERT_EQ(index.size(), 11u);
    const std::string bin = testing::ReadFile(folder_ / "tztable.bin");
    std::int64_t expected_position = 1;
    for (std::size_t i = 0; i < index.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(index[i - 1].first, index[i].first);
        }
        // Tables follow each other without gaps, in index order.
        EXPECT_EQ(index[i].second, expected_position);
        const auto at = static_cast<std::size_t>(index[i].second - 1);
        EXPECT_EQ(ReadLe(bin, at, 4), index[i].first);
        expected_position += 52 + 10 * ReadLe(bin, at + 8, 4);
    }
    EXPECT_EQ(static_cast<std::size_t>(expected_position - 1), bin.size());

    const auto five = ReadZoneTable(folder_, 5);
    ASSERT_TRUE(five.has_value());
    EXPECT_EQ(five->header.name, "Five again");
    ASSERT_EQ(five->entries.size(), 2u);
    EXPECT_EQ(five->entries[0].zone_code, kAedt);
    const auto twenty_one = ReadZoneTable(folder_, 21);
    ASSERT_TRUE(twenty_one.has_value());
    EXPECT_EQ(twenty_one->header.next_table, -1);
    // Unchanged tables still answer as before.
    EXPECT_EQ(Lookup(1, {1971, 10, 31, 2, 0}).mnemonic, "AEDT");
    EXPECT_EQ(testing::NamesIn(folder_), names);
}

TEST_F(ZoneTablesTest, SaveOverAnIndexOutOfOrderKeepsEveryTableReadable) {
    files_.Tables({
        {1, 0, "One", {{kAest, 1900, 101, 0}}},
        {5, 0, "Five", {{kAedt, 1900, 101, 0}}},
        {3, 0, "Three", {{kAest, 1900, 101, 0}, {kAedt, 1950, 101, 0}}},
    });
    ZoneTable edited;
    edited.header = {3, 0, "Three again"};
    edited.entries = {{kAedt, 1990, 101, 0}};
    ASSERT_EQ(SaveZoneTable(folder_, edited), 3);
    const auto listed = ListZoneTables(folder_);
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(listed->size(), 3u);
    const auto three = ReadZoneTable(folder_, 3);
    ASSERT_TRUE(three.has_value());
    EXPECT_EQ(three->header.name, "Three again");
    EXPECT_EQ(three->entries.size(), 1u);
    EXPECT_TRUE(ReadZoneTable(folder_, 1).has_value());
    EXPECT_TRUE(ReadZoneTable(folder_, 5).has_value());

    ZoneTable emptied;
    emptied.header = {3, 0, "Three again"};
    ASSERT_EQ(SaveZoneTable(folder_, emptied), 0);
    const auto after_removal = ListZoneTables(folder_);
    ASSERT_TRUE(after_removal.ok());
    EXPECT_EQ(after_removal->size(), 2u);
    EXPECT_FALSE(ReadZoneTable(folder_, 3).has_value());
    EXPECT_TRUE(ReadZoneTable(folder_, 5).has_value());
}

TEST_F(ZoneTablesTest, SavingAnEmptyTableDeletesIt) {
    ZoneTable emptied;
    emptied.header = {4, 0, "Chain tail"};
    ASSERT_EQ(SaveZoneTable(folder_, emptied), 0);
    const auto index = IndexOf(folder_);
    ASSERT_EQ(index.size(), 8u);
    for (const auto& [number, position] : index) {
        EXPECT_NE(number, 4);
    }
    EXPECT_FALSE(ReadZoneTable(folder_, 4).has_value());
    ZoneResult zone;
    EXPECT_EQ(LookupZone(folder_, 4, {2000, 1, 1, 0, 0}, 0.0, zone), ZoneLookupStatus::kNotInIndex);
}

TEST_F(ZoneTablesTest, RoundTripInAnEmptyFolder) {
    const auto folder = temp() / "Empty";
    std::filesystem::create_directories(folder);
    ZoneTable table;
    table.header = {0, 0, "Only"};
    table.entries = {{-21600 + 900, 1950, 615, 1230}};
    ASSERT_EQ(SaveZoneTable(folder, table), 1);
    const auto back = ReadZoneTable(folder, 1);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->header.name, "Only");
    EXPECT_EQ(back->entries[0].month_day, 615);
    EXPECT_EQ(back->entries[0].hour_minute, 1230);
    ZoneResult zone;
    ASSERT_EQ(LookupZone(folder, 1, {1950, 6, 15, 12, 30}, 0.0, zone), ZoneLookupStatus::kFound);
    EXPECT_DOUBLE_EQ(zone.hours, 1.0);
}

TEST_F(ZoneTablesTest, FailedSaveLeavesTheOldFiles) {
    const std::string old_ndx = testing::ReadFile(folder_ / "tztable.ndx");
    const std::string old_bin = testing::ReadFile(folder_ / "tztable.bin");
    const auto names = testing::NamesIn(folder_);
    ZoneTable edited;
    edited.header = {1, 0, "Changed"};
    edited.entries = {{kAest, 1900, 101, 0}};
    {
        // No file may grow beyond 4 bytes, as on a full disk: the new files cannot be written.
        const testing::FileSizeLimit limit(4);
        EXPECT_FALSE(SaveZoneTable(folder_, edited).has_value());
    }
    EXPECT_EQ(LastMessage().text, "Unable to save changes to time zone table.");
    EXPECT_EQ(testing::ReadFile(folder_ / "tztable.ndx"), old_ndx);
    EXPECT_EQ(testing::ReadFile(folder_ / "tztable.bin"), old_bin);
    EXPECT_EQ(testing::NamesIn(folder_), names);
}

TEST_F(ZoneTablesTest, IndexThatCannotBeReplacedKeepsTheOldTables) {
    const std::string old_bin = testing::ReadFile(folder_ / "tztable.bin");
    // A folder in the place of the index: the tables are written, the index cannot be.
    std::filesystem::remove(folder_ / "tztable.ndx");
    std::filesystem::create_directories(folder_ / "tztable.ndx" / "busy");
    const auto names = testing::NamesIn(folder_);
    ZoneTable edited;
    edited.header = {1, 0, "Changed"};
    edited.entries = {{kAest, 1900, 101, 0}};
    EXPECT_FALSE(SaveZoneTable(folder_, edited).has_value());
    EXPECT_EQ(LastMessage().text, "Unable to save changes to time zone table.");
    EXPECT_EQ(testing::ReadFile(folder_ / "tztable.bin"), old_bin);
    EXPECT_EQ(testing::NamesIn(folder_), names);
}

TEST_F(ZoneTablesTest, DumpWritesOneLinePerTableAndEntry) {
    files_.Tables({{1, 0, "Sydney ", {{kAest, 1895, 201, 0}, {-21600 + 450, 1971, 1031, 200}}},
                   {2, -1, "Cont", {{kAedt, 1972, 227, 300}}}});
    const auto path = DumpZoneTables(folder_);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(sink().messages().front().title, "Dump Tables?");
    EXPECT_EQ(sink().messages().front().text, "Dump entire set of zone tables to ascii file?");
    EXPECT_EQ(*path, folder_ / "tztable.asc");
    EXPECT_EQ(testing::ReadFile(*path),
              "\"Sydney\",1,0\r\n"
              "\"AEST\",1895,201,0\r\n"
              "450,1971,1031,200\r\n"
              "\"END\"\r\n"
              "\"Cont\",2,-1\r\n"
              "\"AEDT\",1972,227,300\r\n"
              "\"CONT\"\r\n");
}

TEST_F(ZoneTablesTest, DumpShowsAnExtremeCodeOfADamagedTableWithoutOverflow) {
    // A positive code that names no zone-list entry is written as a value with the fixed-zone
    // bias added, which must not overflow at the 32-bit limit.
    files_.Tables({{1, 0, "Damaged", {{2147483647, 1900, 101, 0}}}});
    const auto path = DumpZoneTables(folder_);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(testing::ReadFile(*path),
              "\"Damaged\",1,0\r\n"
              "2147505247,1900,101,0\r\n"
              "\"END\"\r\n");
}

TEST_F(ZoneTablesTest, MutatedFilesNeverCrash) {
    const std::string good_ndx = testing::ReadFile(folder_ / "tztable.ndx");
    const std::string good_bin = testing::ReadFile(folder_ / "tztable.bin");
    const std::string good_lst = testing::ReadFile(folder_ / "tztable.lst");
    std::mt19937 random(20261205u);
    const auto mutate = [&random](std::string bytes) {
        if (bytes.empty()) {
            return bytes;
        }
        std::uniform_int_distribution<std::size_t> where(0, bytes.size() - 1);
        const auto kind = random() % 3;
        if (kind == 0) {
            bytes.resize(where(random));
        } else {
            for (int i = 0; i < 4; ++i) {
                bytes[where(random)] = static_cast<char>(random() & 0xFF);
            }
        }
        return bytes;
    };
    for (int round = 0; round < 300; ++round) {
        testing::WriteFile(folder_ / "tztable.ndx", round % 3 == 0 ? mutate(good_ndx) : good_ndx);
        testing::WriteFile(folder_ / "tztable.bin", round % 3 == 1 ? mutate(good_bin) : good_bin);
        testing::WriteFile(folder_ / "tztable.lst", round % 3 == 2 ? mutate(good_lst) : good_lst);
        sink().Clear();
        ZoneResult zone;
        const int table = static_cast<int>(round % 10);
        const ZoneLookupStatus status =
            LookupZone(folder_, table, {1971, 10, 31, 2, 0}, 10.0, zone);
        if (status == ZoneLookupStatus::kReadError) {
            EXPECT_TRUE(zone.uncertain);
            EXPECT_EQ(sink().messages().size(), 1u);
        } else {
            EXPECT_TRUE(sink().messages().empty());
        }
        ListZoneTables(folder_);
        ReadZoneTable(folder_, table);
        ReadZoneList(folder_);
        DumpZoneTables(folder_);
    }
}

TEST_F(ZoneTablesTest, DumpDeclinedWritesNothing) {
    sink().QueueAnswer(startup::kAnswerNo);
    EXPECT_FALSE(DumpZoneTables(folder_).has_value());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "tztable.asc"));
}

}  // namespace
}  // namespace meridia::places

namespace meridia::places {
namespace {

// Zones beyond 24 hours (a zone-list value above 21600 units, a fixed code below -43200) and
// damaged files are refused with a status whose message names the file; a lookup shows the
// same reason and file before its own line.
TEST_F(ZoneTablesTest, ZonesBeyondADayAreRefusedAndTheMessageNamesTheFile) {
    const std::filesystem::path lst = folder_ / "tztable.lst";
    const std::filesystem::path bin = folder_ / "tztable.bin";
    files_.List({{kAest, 21601, "FAR"}});
    auto list = ReadZoneList(folder_);
    EXPECT_EQ(list.status().code(), startup::StatusCode::kDamaged);
    EXPECT_EQ(list.status().message(), "The time zone list file is damaged.\n" + lst.string());
    EXPECT_EQ(list.status().title(), "Error");
    files_.List({{kAest, -21600, "EDGE"}});
    list = ReadZoneList(folder_);
    ASSERT_TRUE(list.ok());
    EXPECT_EQ((*list)[0].units, -21600);

    files_.Tables({{1, 0, "Too far west", {{-43201, 1900, 101, 0}}},
                   {2, 0, "Far west", {{-43200, 1900, 101, 0}}}});
    const auto refused = ReadZoneTable(folder_, 1);
    EXPECT_EQ(refused.status().code(), startup::StatusCode::kDamaged);
    EXPECT_EQ(refused.status().message(), "The time zone tables file is damaged.\n" + bin.string());
    EXPECT_EQ(refused.status().path(), bin);
    EXPECT_TRUE(ReadZoneTable(folder_, 2).ok());
    EXPECT_EQ(ReadZoneTable(folder_, 3).status().code(), startup::StatusCode::kNotFound);
    EXPECT_EQ(ListZoneTables(folder_).status().code(), startup::StatusCode::kDamaged);

    ZoneResult zone{5.0, "KEEP", false};
    sink().Clear();
    EXPECT_EQ(LookupZone(folder_, 1, {2000, 1, 1, 0, 0}, 0.0, zone), ZoneLookupStatus::kReadError);
    ASSERT_EQ(sink().messages().size(), 1U);
    EXPECT_EQ(LastMessage().text, "The time zone tables file is damaged.\n" + bin.string() +
                                      "\nError encountered during time zone lookup.");
    EXPECT_EQ(zone.hours, 5.0);
    EXPECT_EQ(zone.mnemonic, "KEEP");
    EXPECT_TRUE(zone.uncertain);

    std::filesystem::remove(bin);
    EXPECT_EQ(ReadZoneTable(folder_, 2).status().code(), startup::StatusCode::kNotFound);
}

}  // namespace
}  // namespace meridia::places
