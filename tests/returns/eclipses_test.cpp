// Eclipses: the catalogues against the ephemeris library's own eclipse functions called here,
// the lookups against a plain scan of the list, damaged catalogue files built byte by byte,
// and the filters, header lines and chart records of the search.
#include "returns/eclipses.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "aspects/aspect_set.h"
#include "library_places.h"
#include "returns/eclipse_columns.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::returns {
namespace {

using testing::Gap;
using testing::LibraryLongitude;

constexpr double kTwoSeconds = 2.0 / 86400.0;
// The library's Saros number outside its tables.
constexpr int kLibraryUnknownSeries = -99999999;

struct LibraryEclipse {
    double jd_ut = 0.0;
    int type = 0;
    double magnitude = 0.0;
    int saros = 0;
};

// Every eclipse of a kind the library finds between two Julian days.
std::vector<LibraryEclipse> LibraryEclipses(EclipseKind kind, double from, double to) {
    std::vector<LibraryEclipse> list;
    std::array<double, 10> tret{};
    std::array<double, 20> attr{};
    std::array<double, 10> geopos{};
    char serr[AS_MAXCH] = {0};
    const int flags = SEFLG_SWIEPH;
    double jd = from;
    while (true) {
        LibraryEclipse e;
        if (kind == EclipseKind::kSolar) {
            const int found = swe_sol_eclipse_when_glob(jd, flags, 0, tret.data(), 0, serr);
            e.type = (found & SE_ECL_ANNULAR_TOTAL) ? 3
                     : (found & SE_ECL_TOTAL)       ? 2
                     : (found & SE_ECL_ANNULAR)     ? 1
                                                    : 0;
            swe_sol_eclipse_where(tret[0], flags, geopos.data(), attr.data(), serr);
            e.magnitude = attr[8];
        } else {
            const int found = swe_lun_eclipse_when(jd, flags, 0, tret.data(), 0, serr);
            e.type = (found & SE_ECL_TOTAL) ? 2 : (found & SE_ECL_PARTIAL) ? 1 : 0;
            swe_lun_eclipse_how(tret[0], flags, geopos.data(), attr.data(), serr);
            e.magnitude = attr[0];
        }
        if (tret[0] > to) {
            break;
        }
        e.jd_ut = tret[0];
        e.saros = static_cast<int>(attr[9]);
        list.push_back(e);
        jd = tret[0] + 20.0;
    }
    return list;
}

class EclipsesTest : public meridia::testing::SessionTest {
protected:
    static double Jd(int year, int month, int day) {
        return textformats::JulianDay(day, month, year, 0.0);
    }
};

struct SpanCase {
    int from_year;
    int to_year;
};

class EclipseCatalogueTest : public EclipsesTest, public ::testing::WithParamInterface<SpanCase> {};

TEST_P(EclipseCatalogueTest, ListsEveryEclipseTheLibraryFinds) {
    const double from = Jd(GetParam().from_year, 1, 1);
    const double to = Jd(GetParam().to_year, 1, 1);
    EclipseSearch search;
    search.from_jd_ut = from;
    search.to_jd_ut = to;
    const std::vector<EclipseEntry> found = SearchEclipses(search);
    astro::EnsureEphemeris();
    for (const EclipseKind kind : {EclipseKind::kSolar, EclipseKind::kLunar}) {
        const std::vector<LibraryEclipse> expected = LibraryEclipses(kind, from, to);
        std::vector<EclipseEntry> listed;
        for (const EclipseEntry& e : found) {
            if (e.kind() == kind) {
                listed.push_back(e);
            }
        }
        ASSERT_EQ(listed.size(), expected.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const EclipseEntry& e = listed[i];
            EXPECT_NEAR(e.ec_jd, expected[i].jd_ut, kTwoSeconds) << i;
            EXPECT_EQ(e.data.type, expected[i].type) << i;
            EXPECT_NEAR(e.data.magnitude, expected[i].magnitude, 0.01) << i;
            if (expected[i].saros != kLibraryUnknownSeries) {
                EXPECT_EQ(e.data.saros_vdb, expected[i].saros) << i;
            } else {
                // Series beyond the library's tables (0..180) continue the numbering.
                EXPECT_TRUE(e.data.saros_vdb < 1 || e.data.saros_vdb > 179) << i;
            }
            const int body = kind == EclipseKind::kSolar ? SE_SUN : SE_MOON;
            EXPECT_LT(Gap(e.position, LibraryLongitude(expected[i].jd_ut, body)), 0.01) << i;
        }
    }
    for (std::size_t i = 1; i < found.size(); ++i) {
        EXPECT_LE(found[i - 1].ec_jd, found[i].ec_jd);
    }
}

INSTANTIATE_TEST_SUITE_P(Spans, EclipseCatalogueTest,
                         ::testing::Values(SpanCase{2015, 2030}, SpanCase{-2999, -2990},
                                           SpanCase{1100, 1110}, SpanCase{2990, 3001}));

TEST_F(EclipsesTest, SarosNumbersOfTheModernCanons) {
    const auto solar = NextEclipse(EclipseKind::kSolar, Jd(2024, 4, 1));
    ASSERT_TRUE(solar.has_value());
    EXPECT_EQ(solar->data.saros_vdb, 139);
    EXPECT_EQ(EclipseTypeText(EclipseKind::kSolar, solar->data.type), "Total");
    EXPECT_NEAR(solar->data.gamma, 0.3431, 0.001);          // the published gamma of 2024 April 8
    EXPECT_NEAR(solar->data.duration_seconds, 268.0, 2.0);  // 4 min 28 s at greatest eclipse
    const auto lunar = NextEclipse(EclipseKind::kLunar, Jd(2025, 3, 1));
    ASSERT_TRUE(lunar.has_value());
    EXPECT_EQ(lunar->data.saros_vdb, 123);
    EXPECT_EQ(EclipseTypeText(EclipseKind::kLunar, lunar->data.type), "Total");
    EXPECT_NEAR(lunar->data.magnitude, 1.178, 0.005);
}

TEST_F(EclipsesTest, NextAndPreviousAreStrictlyAfterAndBefore) {
    const auto solar = NextEclipse(EclipseKind::kSolar, Jd(2024, 4, 1));
    ASSERT_TRUE(solar.has_value());
    const auto again = NextEclipse(EclipseKind::kSolar, solar->ec_jd);
    ASSERT_TRUE(again.has_value());
    EXPECT_GT(again->ec_jd, solar->ec_jd + 100.0);
    const auto before = PreviousEclipse(EclipseKind::kSolar, again->ec_jd);
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(before->ec_jd, solar->ec_jd);
}

TEST_F(EclipsesTest, NearestLookupAgreesWithAScanOfTheList) {
    EclipseSearch all;
    all.from_jd_ut = Jd(1990, 1, 1);
    all.to_jd_ut = Jd(2031, 1, 1);
    const std::vector<EclipseEntry> list = SearchEclipses(all);
    ASSERT_GT(list.size(), 150U);
    for (double start = Jd(1991, 1, 1); start < Jd(2029, 1, 1); start += 37.3) {
        for (const double width : {3.0, 15.0, 40.0}) {
            const double end = start + width;
            const double middle = 0.5 * (start + end);
            for (const EclipseKind kind : {EclipseKind::kSolar, EclipseKind::kLunar}) {
                const EclipseEntry* nearest = nullptr;
                for (const EclipseEntry& e : list) {
                    if (e.kind() == kind && (!nearest || std::fabs(e.ec_jd - middle) <
                                                             std::fabs(nearest->ec_jd - middle))) {
                        nearest = &e;
                    }
                }
                const bool expected = nearest && nearest->ec_jd >= start && nearest->ec_jd <= end;
                const NearestEclipse got =
                    NearestEclipseIn(EclipseCatalogueClass::DefaultPath(kind), kind, start, end);
                ASSERT_EQ(got.found, expected) << start << " " << width;
                if (expected) {
                    EXPECT_EQ(got.jd_ut, nearest->ec_jd);
                    EXPECT_EQ(got.kind, kind == EclipseKind::kSolar ? 1 : 2);
                }
            }
        }
    }
}

TEST_F(EclipsesTest, ASpanBeyondTheCataloguesIsEmpty) {
    EclipseSearch search;
    search.from_jd_ut = Jd(3100, 1, 1);
    search.to_jd_ut = Jd(3200, 1, 1);
    EXPECT_TRUE(SearchEclipses(search).empty());
    search.from_jd_ut = Jd(-4000, 1, 1);
    search.to_jd_ut = Jd(-3500, 1, 1);
    EXPECT_TRUE(SearchEclipses(search).empty());
    EXPECT_FALSE(FindNearestEclipse(Jd(3100, 1, 1), Jd(3100, 2, 1)).found);
}

TEST_F(EclipsesTest, TwoWeeksApartInDateOrder) {
    EclipseSearch search;
    search.from_jd_ut = Jd(2024, 3, 1);
    search.to_jd_ut = Jd(2024, 4, 30);
    const auto list = SearchEclipses(search);
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].ec_type, 2);  // the penumbral eclipse of 2024 March 25
    EXPECT_EQ(list[0].data.type, 0);
    EXPECT_EQ(list[1].ec_type, 1);
}

TEST_F(EclipsesTest, SarosAndTypeFilters) {
    EclipseSearch search;
    search.from_jd_ut = Jd(1800, 1, 1);
    search.to_jd_ut = Jd(2200, 1, 1);
    search.all_saros = false;
    search.saros = 139;
    search.all_lunar = false;
    const auto list = SearchEclipses(search);
    ASSERT_GE(list.size(), 20U);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].data.saros_vdb, 139);
        EXPECT_EQ(list[i].ec_type, 1);
        if (i > 0) {
            EXPECT_NEAR(list[i].ec_jd - list[i - 1].ec_jd, 6585.32, 0.5);  // one saros
            EXPECT_EQ(list[i].data.saros_jb, list[i - 1].data.saros_jb + 1);
        }
    }
    EclipseSearch totals;
    totals.from_jd_ut = Jd(2000, 1, 1);
    totals.to_jd_ut = Jd(2030, 1, 1);
    totals.all_solar = false;
    totals.solar_types = {false, false, true, false};
    totals.all_lunar = false;
    for (const EclipseEntry& e : SearchEclipses(totals)) {
        EXPECT_EQ(e.ec_type, 1);
        EXPECT_EQ(e.data.type, 2);
    }
}

TEST_F(EclipsesTest, AspectToAFixedPosition) {
    EclipseSearch search;
    search.from_jd_ut = Jd(2020, 1, 1);
    search.to_jd_ut = Jd(2030, 1, 1);
    search.aspect_mode = EclipseAspectMode::kFixedPosition;
    search.fixed_position = 19.4;  // the Sun of 2024 April 8 stood at 19 Aries 24
    search.aspect_set = aspects::StandardAspectSet();
    const auto list = SearchEclipses(search);
    bool april_2024 = false;
    for (const EclipseEntry& e : list) {
        EXPECT_NE(e.aspect, 0);
        if (std::fabs(e.ec_jd - Jd(2024, 4, 8)) < 1.0) {
            april_2024 = true;
            EXPECT_EQ(e.aspect, 1);  // conjunction
            EXPECT_NEAR(e.aspect_orb, 0.0, 0.05);
        }
    }
    EXPECT_TRUE(april_2024);
    EclipseSearch unfiltered;
    unfiltered.from_jd_ut = search.from_jd_ut;
    unfiltered.to_jd_ut = search.to_jd_ut;
    EXPECT_LT(list.size(), SearchEclipses(unfiltered).size());
}

class DamagedCatalogueTest : public EclipsesTest {
protected:
    void WriteSolar(const std::string& bytes) {
        meridia::testing::WriteFile(temp() / "cat" / kSolarCatalogueName, bytes);
    }
    std::vector<EclipseEntry> Search() {
        EclipseSearch search;
        search.from_jd_ut = Jd(2000, 1, 1);
        search.to_jd_ut = Jd(2100, 1, 1);
        search.folder = temp() / "cat";
        return SearchEclipses(search);
    }
    static std::string Header(std::int32_t count, std::int32_t first, std::int32_t last) {
        std::string bytes;
        for (const std::int32_t v : {count, first, last}) {
            for (int i = 0; i < 4; ++i) {
                bytes.push_back(
                    static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
            }
        }
        bytes.append(kSolarBlockSize - kCatalogueHeaderSize, '\0');
        return bytes;
    }
    // 2024 April 8 18:17:20 UT, total, Saros 139 member 30, at 19.398 degrees.
    static std::string Block2024() {
        const unsigned char bytes[kSolarBlockSize] = {
            0xE8, 0x07, 4,    8,    18, 17, 20, 2, 139, 0, 30, 0, 0x67, 0x0D,  // gamma 0.3431
            0x6A, 0xFE, 0x27, 0x01,                                            // 19.398250
            0x4F, 0x29,                                                        // magnitude 1.0575
            0x78, 0x0A, 0,    0,    0,  0,  0};
        return {reinterpret_cast<const char*>(bytes), sizeof bytes};
    }
};

TEST_F(DamagedCatalogueTest, AFileBuiltByteByByteIsRead) {
    WriteSolar(Header(1, 2460408, 2460408) + Block2024());
    const auto list = Search();
    ASSERT_EQ(list.size(), 1U);
    EXPECT_EQ(list[0].data.year, 2024);
    EXPECT_EQ(list[0].data.saros_vdb, 139);
    EXPECT_EQ(list[0].data.saros_jb, 30);
    EXPECT_NEAR(list[0].data.gamma, 0.3431, 1e-9);
    EXPECT_NEAR(list[0].position, 19.39825, 1e-9);
    EXPECT_NEAR(list[0].data.magnitude, 1.0575, 1e-9);
    EXPECT_NEAR(list[0].data.duration_seconds, 268.0, 1e-9);
    EXPECT_EQ(list[0].ec_jd, textformats::JulianDay(8, 4, 2024, 18 + 17 / 60.0 + 20 / 3600.0));
}

TEST_F(DamagedCatalogueTest, MissingShortAndHostileFilesGiveNoEclipse) {
    EXPECT_TRUE(Search().empty());  // no file
    WriteSolar("\x01\x02");
    EXPECT_TRUE(Search().empty());
    WriteSolar(Header(1000000, 2460408, 2460408) + Block2024());  // count beyond the size
    EXPECT_TRUE(Search().empty());
    WriteSolar(Header(-5, 2460408, 2460408) + Block2024());
    EXPECT_TRUE(Search().empty());
    std::string bad = Block2024();
    bad[2] = 13;  // month 13
    WriteSolar(Header(1, 2460408, 2460408) + bad);
    EXPECT_TRUE(Search().empty());
    EXPECT_FALSE(NearestEclipseIn(temp() / "cat" / kSolarCatalogueName, EclipseKind::kSolar,
                                  Jd(2024, 4, 1), Jd(2024, 4, 30))
                     .found);
}

TEST(EclipseRecord, RoundTripOfBothKinds) {
    EclipseRecord lunar;
    lunar.year = -1234;
    lunar.month = 7;
    lunar.day = 30;
    lunar.hour = 23;
    lunar.minute = 59;
    lunar.second = 59;
    lunar.type = 1;
    lunar.saros_vdb = 12;
    lunar.saros_jb = 70;
    lunar.gamma = -0.9791;
    lunar.longitude = 355.782746;
    lunar.magnitude = -0.1234;
    lunar.penumbral_magnitude = 2.1234;
    lunar.semi_duration_total_minutes = 50.5;
    lunar.semi_duration_partial_minutes = 110.25;
    const std::string bytes = EncodeEclipseRecord(lunar, EclipseKind::kLunar);
    ASSERT_EQ(bytes.size(), kLunarBlockSize);
    const auto back = DecodeEclipseRecord(bytes, EclipseKind::kLunar);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->year, -1234);
    EXPECT_EQ(back->second, 59);
    EXPECT_EQ(back->saros_jb, 70);
    EXPECT_DOUBLE_EQ(back->gamma, -0.9791);
    EXPECT_DOUBLE_EQ(back->longitude, 355.782746);
    EXPECT_DOUBLE_EQ(back->magnitude, -0.1234);
    EXPECT_DOUBLE_EQ(back->penumbral_magnitude, 2.1234);
    EXPECT_DOUBLE_EQ(back->semi_duration_total_minutes, 50.5);
    EXPECT_DOUBLE_EQ(back->semi_duration_partial_minutes, 110.25);
    EXPECT_FALSE(DecodeEclipseRecord(bytes.substr(0, 25), EclipseKind::kLunar).has_value());
    EXPECT_EQ(EncodeCatalogueHeader({3, 1, 2}, EclipseKind::kSolar).size(), kSolarBlockSize);
}

TEST_F(EclipsesTest, ReportHeaderLinesAndChartNames) {
    EclipseSearch search;
    search.all_solar = false;
    search.solar_types = {false, true, true, false};
    search.all_saros = false;
    search.saros = 139;
    search.aspect_mode = EclipseAspectMode::kFixedPosition;
    const auto lines = EclipseReportHeader(search, "1 Jan 2020", "31 Dec 2030", "00°Ar00'00''", "",
                                           "Standard", "");
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[0], "Search Date Range: From 1 Jan 2020 To 31 Dec 2030");
    EXPECT_EQ(lines[1], "Eclipse Types: Annular and Total Solar Eclipses, All Lunar Eclipses");
    EXPECT_EQ(lines[2], "Saros Number: 139");
    EXPECT_EQ(lines[3],
              "Eclipse Aspects: Find only eclipses with aspects to fixed position: "
              "00°Ar00'00''  Aspect Set: Standard");
    EXPECT_EQ(lines[4], "Times reported are Eclipse Maximum");

    const auto solar = NextEclipse(EclipseKind::kSolar, Jd(2024, 4, 1));
    ASSERT_TRUE(solar.has_value());
    astro::ChartRecord place;
    place.data.zone.hours = 5.0F;  // 5 hours west of Greenwich
    const astro::ChartRecord chart = EclipseChartRecord(*solar, place);
    EXPECT_EQ(chart.data.name, "Total Solar Eclipse (NM)");
    EXPECT_EQ(chart.data.date_time.hour, 13);
    EXPECT_EQ(chart.data.date_time.minute, 17);
    EXPECT_EQ(TextDataIn(*solar, 1), "Solar");
    EXPECT_EQ(TextDataIn(*solar, 6), "139");
    EXPECT_EQ(TextDataIn(*solar, 11), "4:28");
    EXPECT_EQ(TextDataIn(*solar, 12), "");
    EclipseColumnSet columns;
    columns.InitializeStandardSet();
    EXPECT_EQ(columns.columns.size(), 13U);
}

}  // namespace
}  // namespace meridia::returns
