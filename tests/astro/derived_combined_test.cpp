// Combined charts: the composite longitude rule and the composite cusps on hand-worked
// values, the Davison chart's moment and place against Julian days from the ephemeris
// library's calendar routine and its positions, and the midpoint composite chart against the
// shorter-arc midpoints of its base charts.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/ephemeris.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::astro {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

ChartRecord Record(const char* name, int year, int month, int day, int hour, int minute, float zone,
                   float latitude, float longitude) {
    return testing::MakeRecord({.name = name,
                                .year = year,
                                .month = month,
                                .day = day,
                                .hour = hour,
                                .minute = minute,
                                .zone = zone,
                                .latitude = latitude,
                                .longitude = longitude,
                                .house_system = 5});
}

double LibraryLongitude(int body, double jd_ut) {
    std::array<double, 6> xx{};
    std::array<char, 256> error{};
    swe_calc_ut(jd_ut, body, EphemerisModeFlags() | SEFLG_SPEED, xx.data(), error.data());
    return xx[0];
}

// The shorter-arc midpoint, worked out here: halfway along the arc of less than 180 degrees.
double ShorterArcMidpoint(double a, double b) {
    const double d = Norm180(b - a);
    return Norm360(a + d / 2.0);
}

class DerivedCombinedTest : public testing::SessionTest {
protected:
    static constexpr int kTarget = 40;
};

TEST_F(DerivedCombinedTest, CompositeLongitudeOfHandWorkedSets) {
    struct Row {
        std::vector<double> longitudes;
        double expected;
    };
    const Row rows[] = {
        {{10.0, 20.0}, 15.0},
        {{350.0, 10.0}, 0.0},
        {{200.0, 20.0}, 110.0},  // half circle: on equal gaps the later gap, from 20
        {{0.0, 120.0, 240.0}, 120.0},
        {{10.0, 100.0, 200.0}, 10.0 + (0.0 + 90.0 + 190.0) / 3.0},  // largest gap 200..10
        {{355.0, 5.0, 15.0, 345.0}, 0.0},
        {{42.5}, 42.5},
    };
    for (const Row& row : rows) {
        EXPECT_NEAR(CompositeLongitude(row.longitudes), row.expected, 1e-12);
    }
}

TEST_F(DerivedCombinedTest, CompositeCuspsFollowEachOtherInOrder) {
    std::array<double, 13> a{};
    std::array<double, 13> b{};
    for (int h = 1; h <= 12; ++h) {
        a[static_cast<std::size_t>(h)] = 30.0 * (h - 1);
        // Cusp 1 of the second chart 175 degrees ahead, the others 185: their shorter-arc
        // midpoints fall on the far side of the circle from cusp 1's.
        b[static_cast<std::size_t>(h)] = Norm360(30.0 * (h - 1) + (h == 1 ? 175.0 : 185.0));
    }
    const std::array<double, 13> from_first = CompositeCusps(a, b, 1);
    EXPECT_NEAR(from_first[1], 87.5, 1e-12);
    for (int h = 2; h <= 12; ++h) {
        EXPECT_NEAR(from_first[static_cast<std::size_t>(h)], Norm360(30.0 * (h - 1) + 92.5), 1e-12)
            << "cusp " << h;
    }
    const std::array<double, 13> from_tenth = CompositeCusps(a, b, 10);
    EXPECT_NEAR(from_tenth[1], 267.5, 1e-12);
    for (int h = 2; h <= 12; ++h) {
        EXPECT_NEAR(from_tenth[static_cast<std::size_t>(h)], Norm360(30.0 * (h - 1) - 87.5), 1e-12)
            << "cusp " << h;
    }
}

TEST_F(DerivedCombinedTest, DavisonLongitudeIsTheNearerMidpoint) {
    const struct {
        double a;
        double b;
        double expected;
    } rows[] = {{170.0, -170.0, 180.0}, {-170.0, 170.0, 180.0}, {10.0, 20.0, 15.0},
                {-10.0, 20.0, 5.0},     {-179.0, -1.0, -90.0},  {100.0, -100.0, 180.0},
                {80.0, -80.0, 0.0}};
    for (const auto& row : rows) {
        EXPECT_NEAR(DavisonLongitude(row.a, row.b), row.expected, 1e-12) << row.a << " " << row.b;
    }
}

TEST_F(DerivedCombinedTest, DavisonChartIsTheMeanMomentAtTheMeanPlace) {
    // 170 E (stored -170) and 170 W (stored +170): the Davison place is at 180.
    const int a =
        OpenChartIntoSlot(Record("Ann", 1970, 3, 1, 10, 30, -10.0F, -36.8F, -170.0F), "", 0);
    const int b =
        OpenChartIntoSlot(Record("Bob", 1975, 9, 20, 22, 15, 10.0F, 20.4F, 170.0F), "", 0);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    SubsidiaryRequest request;
    request.record.chart_class = kClassCombined;
    request.record.chart_kind = kKindDavison;
    request.base_slot = a;
    request.other_slots = {b};
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);

    const double jd_a = swe_julday(1970, 3, 1, 0.5, SE_GREG_CAL);    // 10:30 - 10 h
    const double jd_b = swe_julday(1975, 9, 21, 8.25, SE_GREG_CAL);  // 22:15 + 10 h
    const double mean = (jd_a + jd_b) / 2.0;
    const ChartSlot& slot = Slot(kTarget);
    EXPECT_NEAR(slot.julian_day_ut, mean, 0.01 * kSecond);
    EXPECT_EQ(slot.record.data.place.place_name, "Midpoint");
    EXPECT_EQ(slot.record.data.place.country, "in Space");
    EXPECT_EQ(slot.record.data.zone.mnemonic, "GMT");
    EXPECT_FLOAT_EQ(slot.record.data.zone.hours, 0.0F);
    EXPECT_FLOAT_EQ(slot.record.data.place.longitude, 180.0F);
    EXPECT_NEAR(slot.record.data.place.latitude, (-36.8 + 20.4) / 2.0, 1e-5);
    EXPECT_EQ(slot.record.chart_class, kClassCombined);
    EXPECT_EQ(slot.record.chart_kind, kKindDavison);
    EXPECT_EQ(slot.record.data.name, "Ann & Bob");

    // The record's date and time are the mean moment in universal time, to the second.
    int year = 0;
    int month = 0;
    int day = 0;
    double hours = 0.0;
    swe_revjul(mean, SE_GREG_CAL, &year, &month, &day, &hours);
    const auto& dt = slot.record.data.date_time;
    EXPECT_EQ(dt.year, year);
    EXPECT_EQ(dt.month, month);
    EXPECT_EQ(dt.day, day);
    EXPECT_NEAR(dt.hour + dt.minute / 60.0 + dt.second / 3600.0, hours, 0.5 / 3600.0 + 1e-9);

    for (const auto& [point, body] :
         {std::pair{kSun, SE_SUN}, std::pair{kMoon, SE_MOON}, std::pair{kMars, SE_MARS}}) {
        EXPECT_NEAR(Norm180(slot.longitude[point] - LibraryLongitude(body, mean)), 0.0, 1e-6);
    }
    // The houses are those of the mean place: RAMC = sidereal time - 180 (west positive).
    EXPECT_NEAR(Norm180(slot.ramc - (slot.sidereal_time * 15.0 - 180.0)), 0.0, 1e-9);
}

TEST_F(DerivedCombinedTest, MidpointCompositeOfTwoCharts) {
    const int a = OpenChartIntoSlot(Record("Ann", 1982, 4, 10, 6, 0, 0.0F, 51.5F, 0.1F), "", 0);
    const int b = OpenChartIntoSlot(Record("Bob", 1979, 11, 2, 19, 45, 5.0F, 40.7F, 74.0F), "", 0);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    for (const int start : {1, 10}) {
        SubsidiaryRequest request;
        request.record.chart_class = kClassCombined;
        request.record.chart_kind = kKindMidpoints;
        request.base_slot = a;
        request.other_slots = {b};
        request.composite_start_cusp = start;
        ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
        const ChartSlot& slot = Slot(kTarget);
        const ChartSlot& sa = Slot(a);
        const ChartSlot& sb = Slot(b);
        for (int p = 1; p <= kFixedPointCount; ++p) {
            if (sa.longitude[p] < 0.0 || sb.longitude[p] < 0.0) {
                EXPECT_DOUBLE_EQ(slot.longitude[p], -1.0) << "point " << p;
                continue;
            }
            if (std::fabs(std::fabs(Norm180(sa.longitude[p] - sb.longitude[p])) - 180.0) < 1e-9) {
                continue;  // exactly opposite: no shorter arc
            }
            EXPECT_NEAR(slot.longitude[p], ShorterArcMidpoint(sa.longitude[p], sb.longitude[p]),
                        1e-9)
                << "point " << p;
            EXPECT_NEAR(slot.latitude[p], (sa.latitude[p] + sb.latitude[p]) / 2.0, 1e-12);
            EXPECT_NEAR(slot.declination[p], (sa.declination[p] + sb.declination[p]) / 2.0, 1e-12);
            EXPECT_NEAR(slot.right_ascension[p],
                        ShorterArcMidpoint(sa.right_ascension[p], sb.right_ascension[p]), 1e-9);
        }
        // The start cusp is the shorter-arc midpoint; the cusps then run in zodiacal order.
        EXPECT_NEAR(slot.cusps[static_cast<std::size_t>(start)],
                    ShorterArcMidpoint(sa.cusps[static_cast<std::size_t>(start)],
                                       sb.cusps[static_cast<std::size_t>(start)]),
                    1e-9);
        for (int k = 1; k < 12; ++k) {
            const auto h = static_cast<std::size_t>((start - 1 + k) % 12 + 1);
            const auto prev = static_cast<std::size_t>((start - 2 + k) % 12 + 1);
            EXPECT_LT(Norm360(slot.cusps[h] - slot.cusps[prev]), 180.0);
            const double midpoint = ShorterArcMidpoint(sa.cusps[h], sb.cusps[h]);
            EXPECT_NEAR(std::fabs(Norm180(slot.cusps[h] - midpoint)) < 90.0
                            ? slot.cusps[h]
                            : Norm360(slot.cusps[h] + 180.0),
                        midpoint, 1e-9);
        }
        EXPECT_EQ(slot.record.data.name, "Ann & Bob");
    }
}

TEST_F(DerivedCombinedTest, GroupCompositeLiesOnTheOccupiedSide) {
    const int a = OpenChartIntoSlot(Record("A", 1960, 1, 5, 12, 0, 0.0F, 10.0F, 0.0F), "", 0);
    const int b = OpenChartIntoSlot(Record("B", 1960, 5, 5, 12, 0, 0.0F, 20.0F, 0.0F), "", 0);
    const int c = OpenChartIntoSlot(Record("C", 1960, 8, 5, 12, 0, 0.0F, 30.0F, 0.0F), "", 0);
    SubsidiaryRequest request;
    request.record.chart_class = kClassCombined;
    request.record.chart_kind = kKindMidpoints;
    request.base_slot = a;
    request.other_slots = {b, c};
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    // Suns near 284, 44 and 132 degrees: the largest gap runs from 132 to 284, so the
    // composite starts at 284 and lies 1/3 of (0 + 120 + 208) degrees further on.
    const double s1 = Slot(a).longitude[kSun];
    const double s2 = Slot(b).longitude[kSun];
    const double s3 = Slot(c).longitude[kSun];
    ASSERT_GT(s1, 270.0);
    ASSERT_LT(s2, 60.0);
    ASSERT_GT(s3, 120.0);
    ASSERT_LT(s3, 150.0);
    const double expected = Norm360(s1 + (0.0 + Norm360(s2 - s1) + Norm360(s3 - s1)) / 3.0);
    EXPECT_NEAR(Slot(kTarget).longitude[kSun], expected, 1e-9);
    EXPECT_NEAR(Slot(kTarget).latitude[kMoon],
                (Slot(a).latitude[kMoon] + Slot(b).latitude[kMoon] + Slot(c).latitude[kMoon]) / 3.0,
                1e-12);
    EXPECT_EQ(Slot(kTarget).record.data.name, "A & B & C");
}

}  // namespace
}  // namespace meridia::astro
