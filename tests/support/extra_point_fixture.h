// Test support for the extra chart points: chart values from their fields, and a session
// fixture that puts an extra-point list in use and calculates charts into slots.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/extra_points.h"
#include "support/test_session.h"

namespace meridia::testing {

// Longitude positive west, latitude positive north, degrees; ut_hours after 0h UT of the date.
inline astro::ChartValues ChartValuesOf(int year, int month, int day, double ut_hours,
                                        double latitude, double longitude, int zodiac = 1,
                                        int house_system = 5) {
    astro::ChartValues v;
    v.year = year;
    v.month = month;
    v.day = day;
    v.ut_hours = ut_hours;
    v.latitude = latitude;
    v.longitude = longitude;
    v.zodiac = zodiac;
    v.house_system = house_system;
    return v;
}

class ExtraPointTest : public SessionTest {
protected:
    void Use(const std::string& list) {
        const startup::Status status = astro::UseExtraPoints(list);
        ASSERT_TRUE(status.ok()) << status.message();
    }
    astro::ChartSlot& Calc(const astro::ChartValues& values, int slot = 1) {
        EXPECT_EQ(astro::CalcChartFromValues(values, slot, 0, 0, true, true),
                  astro::CalcStatus::kOk);
        return astro::Slot(slot);
    }
};

}  // namespace meridia::testing
