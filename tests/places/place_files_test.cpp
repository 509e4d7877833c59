#include "places/place_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "startup/ini_file.h"
#include "support/decimal_comma_locale.h"
#include "support/test_session.h"
#include "test_bytes.h"

namespace meridia::places {
namespace {

using test::Le;
using test::Padded;

struct Place {
    const char* name;
    const char* country;
    const char* zone;
    const char* latitude;
    const char* longitude;
    int table;
};

std::string RecordBytes(const Place& p) {
    std::string bytes;
    Padded(bytes, p.name, 20);
    Padded(bytes, p.country, 20);
    Padded(bytes, p.zone, 14);
    Padded(bytes, p.latitude, 8);
    Padded(bytes, p.longitude, 9);
    Le(bytes, p.table, 2);
    return bytes;
}

std::string FileBytes(const std::vector<Place>& places) {
    std::string bytes;
    for (const Place& p : places) {
        bytes += RecordBytes(p);
    }
    return bytes;
}

// Fixed zone code of a zone in hours: hours * 900 - 21600.
constexpr int FixedCode(double hours) { return static_cast<int>(hours * 900) - 21600; }

class PlaceFilesTest : public testing::SessionTest {
protected:
    PlaceFilesTest() : folder_(PlacesFolder()) {
        testing::WriteFile(
            folder_ / "australi.plc",
            FileBytes({{"Adelaide", "Australia", "ACST -9:30", "34S56", "138E36", 0},
                       {"Perth", "Australia", "AWST -8:00", "31S57", "115E51", 1},
                       {"adelaide hills", "Australia", "-9:30", "35S01", "138E43", 0}}));
        testing::WriteFile(
            folder_ / "other.plc",
            FileBytes({{"Springfield", "United States", "CST 6:00", "39N48", "89W39", 0},
                       {"Perth", "Scotland", "GMT 0:00", "56N24", "3W26", 0}}));
        testing::WriteFile(
            folder_ / "second.plc",
            FileBytes({{"Springfield", "United States", "EST 5:00", "42N06", "72W35", 0}}));
        testing::WriteFile(folder_ / "MAPS.PLC",
                           FileBytes({{"Map Place", "Mapland", "0:00", "0N00", "0W00", 0}}));
        testing::WriteFile(folder_ / "State.INI", "[Alternates]\r\nUSA=Nowhere, United States\r\n");
        // Table 1: AWST from 1895, AWDT for one summer, AWST again; the rules go on.
        std::string ndx;
        std::string bin;
        Le(ndx, 1, 4);
        Le(ndx, 1, 4);
        Le(ndx, 1, 4);
        Le(bin, 1, 4);
        Le(bin, -1, 4);
        Le(bin, 3, 4);
        Padded(bin, "Western Australia", 40);
        for (const auto& [code, year, md, hm] :
             {std::tuple{FixedCode(-8), 1895, 1201, 0}, std::tuple{FixedCode(-9), 2006, 1203, 200},
              std::tuple{FixedCode(-8), 2007, 325, 300}}) {
            Le(bin, code, 4);
            Le(bin, year, 2);
            Le(bin, md, 2);
            Le(bin, hm, 2);
        }
        testing::WriteFile(folder_ / "tztable.ndx", ndx);
        testing::WriteFile(folder_ / "tztable.bin", bin);
    }

    FindPlaceResult Find(const char* name, const char* country,
                         LocalMoment moment = {2000, 1, 1, 12, 0}) {
        return FindPlace(folder_, name, country, moment, false);
    }

    std::filesystem::path folder_;
};

TEST_F(PlaceFilesTest, RecordsReadFieldByField) {
    const auto records = ReadPlaceFile(folder_ / "australi.plc");
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 3u);
    const PlaceFileRecord& perth = (*records)[1];
    EXPECT_EQ(perth.placename, "Perth");
    EXPECT_EQ(perth.country, "Australia");
    EXPECT_EQ(perth.timezone_entry, "AWST -8:00");
    EXPECT_EQ(perth.latitude, "31S57");
    EXPECT_EQ(perth.longitude, "115E51");
    EXPECT_EQ(perth.table_number, 1);
    EXPECT_FALSE(ReadPlaceFile(folder_ / "missing.plc").has_value());
}

TEST_F(PlaceFilesTest, PartialRecordAtTheEndIsIgnored) {
    std::string bytes = RecordBytes({"Alpha", "Beta", "0:00", "1N00", "1W00", 0});
    bytes += "Trunc";
    testing::WriteFile(folder_ / "broken.plc", bytes);
    const auto records = ReadPlaceFile(folder_ / "broken.plc");
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 1u);
    EXPECT_EQ((*records)[0].placename, "Alpha");
}

TEST_F(PlaceFilesTest, SavePlaceRecordReplacesAndAppends) {
    const auto path = folder_ / "australi.plc";
    const PlaceFileRecord darwin{"Darwin", "Australia", "ACST -9:30", "12S28", "130E50", 0};
    EXPECT_EQ(SavePlaceRecord(path, 0, darwin), 4);
    const PlaceFileRecord hobart{"Hobart", "TAS", "AEST -10:00", "42S53", "147E19", 7};
    EXPECT_EQ(SavePlaceRecord(path, 1, hobart), 1);
    const std::string bytes = testing::ReadFile(path);
    ASSERT_EQ(bytes.size(), 4u * kPlaceRecordSize);
    EXPECT_EQ(bytes.substr(0, 73),
              RecordBytes({"Hobart", "TAS", "AEST -10:00", "42S53", "147E19", 7}));
    EXPECT_EQ(bytes.substr(3 * 73, 73),
              RecordBytes({"Darwin", "Australia", "ACST -9:30", "12S28", "130E50", 0}));
}

TEST_F(PlaceFilesTest, PlaceListIsSortedWithRecordNumbers) {
    const auto list = LoadPlaceList(folder_ / "australi.plc");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].text, "Adelaide\tAustralia");
    EXPECT_EQ(list[0].record_number, 1);
    EXPECT_EQ(list[1].text, "adelaide hills\tAustralia");
    EXPECT_EQ(list[1].record_number, 3);
    EXPECT_EQ(list[2].text, "Perth\tAustralia");
}

TEST(NormaliseCountry, AustralianStateCodes) {
    const struct {
        const char* text;
        bool western_australia;
        const char* expected;
    } cases[] = {
        {"NSW", false, "Australia"}, {"ACT", false, "Australia"}, {"QLD", false, "Australia"},
        {"NT", false, "Australia"},  {"SA", false, "Australia"},  {"TAS", false, "Australia"},
        {"VIC", false, "Australia"}, {"WA", false, "WA"},         {"WA", true, "Australia"},
        {"nsw", false, "nsw"},       {"France", true, "France"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseCountry(c.text, c.western_australia), c.expected) << c.text;
    }
}

TEST_F(PlaceFilesTest, CountryIndexListsFilesPerCountry) {
    ASSERT_TRUE(RebuildCountryIndex(folder_));
    startup::IniFile index;
    ASSERT_TRUE(index.Load(folder_ / "Country.INI"));
    EXPECT_EQ(index.Read("Status", "NumFiles", ""), "3");
    EXPECT_EQ(index.Read("Status", "File1", ""), "australi.plc");
    EXPECT_EQ(index.Read("Status", "File2", ""), "other.plc");
    EXPECT_EQ(index.Read("Status", "File3", ""), "second.plc");
    EXPECT_EQ(index.Read("United States", "Files", ""), "2");
    EXPECT_EQ(index.Read("United States", "File1", ""), "other.plc");
    EXPECT_EQ(index.Read("United States", "File2", ""), "second.plc");
    EXPECT_EQ(index.Read("Australia", "Files", ""), "1");
    EXPECT_FALSE(index.HasSection("Mapland"));

    // Unchanged files: the index is left as it is.
    testing::WriteFile(folder_ / "Country.INI",
                       testing::ReadFile(folder_ / "Country.INI") + "[Marker]\r\nKept=1\r\n");
    ASSERT_TRUE(RebuildCountryIndex(folder_));
    ASSERT_TRUE(index.Load(folder_ / "Country.INI"));
    EXPECT_TRUE(index.HasSection("Marker"));
    // ForceRefresh rebuilds it.
    ASSERT_TRUE(
        startup::WriteProfileString(folder_ / "Country.INI", "Status", "ForceRefresh", "1"));
    ASSERT_TRUE(RebuildCountryIndex(folder_));
    ASSERT_TRUE(index.Load(folder_ / "Country.INI"));
    EXPECT_FALSE(index.HasSection("Marker"));
}

TEST_F(PlaceFilesTest, FindsInTheLoadedFileFirst) {
    const FindPlaceResult result = Find("  adelaide ", "Australia");
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.place.placename, "Adelaide");
    EXPECT_NEAR(result.place.latitude, -(34 + 56 / 60.0), 1e-9);
    EXPECT_NEAR(result.place.longitude, -(138 + 36 / 60.0), 1e-9);
    EXPECT_DOUBLE_EQ(result.place.zone_hours, -9.5);
    EXPECT_EQ(result.place.zone_mnemonic, "ACST");
    EXPECT_EQ(result.place.zone_type, ZoneType::kTable);
    EXPECT_EQ(result.place.table_number, 0);
}

TEST_F(PlaceFilesTest, PlaceWithoutTableKeepsItsZoneAndWarns) {
    const FindPlaceResult result = Find("Adelaide", "Australia");
    ASSERT_TRUE(result.found);
    EXPECT_DOUBLE_EQ(result.place.zone_hours, -9.5);
    ASSERT_EQ(sink().messages().size(), 1u);
    EXPECT_EQ(LastMessage().title, "Time Zone Uncertain");
    EXPECT_EQ(LastMessage().style, startup::kOkCancel + startup::kExclamation);
    EXPECT_EQ(LastMessage().text,
              "There is no timezone lookup table for this location.\n"
              "Please verify that the timezone is correct before proceeding!\n"
              "Click OK if you wish to see this message again, or CANCEL to prevent it from "
              "appearing again.");
    // Cancel switches the warning off for the rest of the session.
    sink().QueueAnswer(startup::kAnswerCancel);
    Find("Adelaide", "Australia");
    EXPECT_FALSE(NoTableWarningOn());
    sink().Clear();
    Find("Adelaide", "Australia");
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(PlaceFilesTest, TableGivesTheZoneOfTheMoment) {
    struct Case {
        LocalMoment moment;
        double hours;
        bool uncertain;
    };
    const Case cases[] = {
        {{1895, 11, 30, 23, 59}, -(115 + 51 / 60.0) / 15.0, false},  // LMT of the longitude
        {{2000, 1, 1, 12, 0}, -8.0, false},
        {{2006, 12, 3, 2, 0}, -9.0, false},
        {{2007, 3, 25, 2, 59}, -9.0, false},
        {{2010, 1, 1, 0, 0}, -8.0, true},
    };
    for (const Case& c : cases) {
        sink().Clear();
        const FindPlaceResult result = Find("Perth", "Australia", c.moment);
        ASSERT_TRUE(result.found);
        EXPECT_NEAR(result.place.zone_hours, c.hours, 2.0 / 3600.0) << c.moment.year;
        EXPECT_EQ(result.uncertain, c.uncertain) << c.moment.year;
        if (c.uncertain) {
            ASSERT_EQ(sink().messages().size(), 1u);
            EXPECT_EQ(LastMessage().title, "Time Zone Uncertain");
            EXPECT_EQ(LastMessage().text,
                      "The timezone lookup table does not extend to this date, so daylight "
                      "savings may or may not be in effect for this date.\n"
                      "Please verify that the timezone is correct before proceeding!");
        } else {
            EXPECT_TRUE(sink().messages().empty());
        }
    }
}

TEST_F(PlaceFilesTest, SearchOrderFollowsTheCountryIndexAndAlternates) {
    const struct {
        const char* name;
        const char* country;
        double zone;
        double longitude;
    } cases[] = {
        {"Perth", "Scotland", 0.0, 3 + 26 / 60.0},              // another file
        {"springfield", "united states", 6.0, 89 + 39 / 60.0},  // first listed file
        {"Springfield", "USA", 6.0, 89 + 39 / 60.0},            // through State.INI
        {"Perth", "NSW", -8.0, -(115 + 51 / 60.0)},             // state code: Australia
    };
    for (const auto& c : cases) {
        SetNoTableWarning(false);
        const FindPlaceResult result = Find(c.name, c.country);
        ASSERT_TRUE(result.found) << c.name << ", " << c.country;
        EXPECT_DOUBLE_EQ(result.place.zone_hours, c.zone) << c.country;
        EXPECT_NEAR(result.place.longitude, c.longitude, 1e-9) << c.country;
    }
}

TEST_F(PlaceFilesTest, NotFoundShowsTheMessage) {
    for (const char* country : {"WA", "Mapland", "Nowhere"}) {
        sink().Clear();
        const FindPlaceResult result =
            Find(country == std::string("Mapland") ? "Map Place" : "Perth", country);
        EXPECT_FALSE(result.found) << country;
        EXPECT_EQ(LastMessage().title, "Place Not Found");
    }
    sink().Clear();
    Find("  Atlantis ", "Australia");
    EXPECT_EQ(LastMessage().text, "The place name 'ATLANTIS' was not found in any place file.");
}

TEST_F(PlaceFilesTest, NewPlaceFileIsFoundAtTheNextCheck) {
    SetNoTableWarning(false);
    EXPECT_FALSE(Find("Gotham", "Freedonia").found);
    testing::WriteFile(folder_ / "zzz.plc",
                       FileBytes({{"Gotham", "Freedonia", "-2:00", "10N00", "20E00", 0}}));
    const FindPlaceResult result = Find("Gotham", "Freedonia");
    ASSERT_TRUE(result.found);
    EXPECT_DOUBLE_EQ(result.place.zone_hours, -2.0);
    EXPECT_NEAR(result.place.longitude, -20.0, 1e-12);
}

TEST_F(PlaceFilesTest, DamagedRecordDoesNotCrash) {
    testing::WriteFile(folder_ / "bad.plc",
                       FileBytes({{"Badplace", "Badland", "??", "99X99", "xyz", 0}}));
    EXPECT_FALSE(Find("Badplace", "Badland").found);
    EXPECT_EQ(LastMessage().title, "Place Not Found");
}

TEST_F(PlaceFilesTest, PersonalListRoundTrip) {
    std::vector<PlaceRecord> list(2);
    list[0].placename = "Ulm";
    list[0].country = "Germany";
    list[0].latitude = 48.4;
    list[0].longitude = -10.0;
    list[0].atlas_keys = {12, -7};
    list[1].placename = "Nowhere";
    list[1].country = "Land";
    list[1].latitude = -1.5;
    list[1].longitude = 2.25;
    ASSERT_TRUE(SavePersonalList(folder_, list));
    const auto back = LoadPersonalList(folder_);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].placename, "Ulm");
    EXPECT_DOUBLE_EQ(back[0].latitude, 48.4);
    EXPECT_EQ(back[0].atlas_keys, (AtlasZoneKeys{12, -7}));
    EXPECT_EQ(back[0].zone_type, ZoneType::kAtlas);
    EXPECT_EQ(back[1].zone_type, ZoneType::kFixed);
    EXPECT_DOUBLE_EQ(back[1].longitude, 2.25);
}

TEST_F(PlaceFilesTest, PersonalListIsTheSameUnderADecimalComma) {
    std::vector<PlaceRecord> list(1);
    list[0].placename = "K\xC3\xB6ln";
    list[0].country = "Germany";
    list[0].latitude = 50.937531;
    list[0].longitude = -6.960279;
    list[0].atlas_keys = {3, 4};
    const testing::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active());
    ASSERT_TRUE(SavePersonalList(folder_, list));
    EXPECT_EQ(testing::ReadFile(folder_ / "axpa.dat"),
              "K\xF6ln\tGermany\t50.937531\t-6.960279\t3\t4\r\n");
    const auto back = LoadPersonalList(folder_);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].latitude, 50.937531);
    EXPECT_EQ(back[0].longitude, -6.960279);
}

TEST_F(PlaceFilesTest, PersonalListRefusesCoordinatesThatAreNotNumbers) {
    for (const char* coordinates : {"nan\t1", "1\tinf", "-INF\t1", "\t1"}) {
        testing::WriteFile(
            folder_ / "axpa.dat",
            std::string("Ulm\tGermany\t48.4\t-10\t1\t2\r\nBad\tX\t") + coordinates + "\t0\t0\r\n");
        const auto list = LoadPersonalList(folder_);
        ASSERT_EQ(list.size(), 1u) << coordinates;
        EXPECT_EQ(LastMessage().text, "Error during file read:\naxpa.dat") << coordinates;
    }
}

TEST_F(PlaceFilesTest, PersonalListWritesEveryFieldOfAnyCoordinate) {
    // A coordinate far out of range (from a damaged list) takes hundreds of digits in fixed
    // notation; the line must still hold all six fields.
    std::vector<PlaceRecord> list(1);
    list[0].placename = "Far";
    list[0].country = "Away";
    list[0].latitude = 2.4e201;
    list[0].longitude = -10.0;
    list[0].atlas_keys = {12, 3};
    ASSERT_TRUE(SavePersonalList(folder_, list));
    const std::string text = testing::ReadFile(folder_ / "axpa.dat");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 5);
    EXPECT_NE(text.find("\t-10.000000\t12\t3\r\n"), std::string::npos);
    ASSERT_EQ(text.rfind("Far\tAway\t", 0), 0u);
    const std::size_t latitude_end = text.find('\t', 9);
    ASSERT_NE(latitude_end, std::string::npos);
    EXPECT_GT(latitude_end - 9, 200u);
}

TEST_F(PlaceFilesTest, PersonalListStopsAtABadLine) {
    testing::WriteFile(folder_ / "axpa.dat",
                       "Ulm\tGermany\t48.4\t-10\t1\t2\r\nBroken\tline\r\nLater\tX\t1\t1\t0\t0\r\n");
    const auto list = LoadPersonalList(folder_);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].placename, "Ulm");
    EXPECT_EQ(LastMessage().title, "Error");
    EXPECT_EQ(LastMessage().text, "Error during file read:\naxpa.dat");
}

TEST_F(PlaceFilesTest, MutatedFilesNeverCrash) {
    ASSERT_TRUE(RebuildCountryIndex(folder_));
    const std::vector<std::string> names = {"australi.plc", "other.plc", "Country.INI", "State.INI",
                                            "axpa.dat"};
    testing::WriteFile(folder_ / "axpa.dat", "Ulm\tGermany\t48.4\t-10\t1\t2\r\n");
    std::vector<std::string> good;
    for (const std::string& name : names) {
        good.push_back(testing::ReadFile(folder_ / name));
    }
    std::mt19937 random(73u);
    SetNoTableWarning(false);
    for (int round = 0; round < 100; ++round) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::string bytes = good[i];
            if (!bytes.empty() && random() % 2 == 0) {
                std::uniform_int_distribution<std::size_t> where(0, bytes.size() - 1);
                bytes[where(random)] = static_cast<char>(random() & 0xFF);
                bytes.resize(where(random) + 1);
            }
            testing::WriteFile(folder_ / names[i], bytes);
        }
        Find("Perth", "Australia");
        Find("Springfield", "USA");
        LoadPlaceList(folder_ / "australi.plc");
        LoadPersonalList(folder_);
    }
    // The untouched file still answers.
    for (std::size_t i = 0; i < names.size(); ++i) {
        testing::WriteFile(folder_ / names[i], good[i]);
    }
    EXPECT_TRUE(Find("Perth", "Australia").found);
}

TEST(AXPlaceClass, InitializeSetsTheProperties) {
    AXPlaceClass place;
    place.Initialize("Adelaide", "Australia", -138.6, -34.93);
    EXPECT_EQ(place.Placename(), "Adelaide");
    EXPECT_EQ(place.Country(), "Australia");
    EXPECT_DOUBLE_EQ(place.Longi(), -138.6);
    EXPECT_DOUBLE_EQ(place.Lati(), -34.93);
    place.SetLati(1.0);
    EXPECT_DOUBLE_EQ(place.Lati(), 1.0);
}

}  // namespace
}  // namespace meridia::places
