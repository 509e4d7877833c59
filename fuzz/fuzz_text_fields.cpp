// Fuzz target: the parsers of typed fields (date, clock time, zone, angle, latitude,
// longitude, whole and decimal numbers, setting values) and the coordinate and zone texts of
// place records. Input: one byte of options (bit 0: month-first dates, bit 1: the 12-hour
// clock, bit 2: stated calendars shown), then the text.
// Properties: no parser crashes, leaks or runs away; every value accepted lies in the range
// the field allows, and a formatted coordinate or zone reads back.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fuzz_session.h"
#include "places/place_text.h"
#include "startup/session.h"
#include "startup/settings.h"
#include "startup/settings_store.h"
#include "textformats/text_scan.h"
#include "textformats/textformats.h"

using namespace meridia;

namespace {

// A formatted coordinate shows whole seconds, rounded down after adding 0.0001 degree.
constexpr double kCoordinateSlack = 1.0 / 3600.0 + 0.0001 + 1e-9;

bool Within(double value, double limit) {
    return std::isfinite(value) && std::fabs(value) <= limit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    fuzz::FuzzSession session;
    startup::SettingsClass& settings = startup::CurrentSession().settings();
    settings.SetBool("DateOrderMDY", (data[0] & 1) != 0);
    settings.SetBool("Clock12Hour", (data[0] & 2) != 0);
    settings.SetBool("ShowStatedCalendar", (data[0] & 4) != 0);
    textformats::FixCurrentYear(2000);
    const std::string_view text = fuzz::AsBytes(data + 1, size - 1);

    if (const auto date = textformats::ParseDate(text)) {
        fuzz::Require(date->month >= 1 && date->month <= 12 && date->day >= 1 && date->day <= 31,
                      "a date out of range was accepted");
        textformats::FormatDate(*date);
    }
    textformats::ParseDate(text, false);
    if (const auto time = textformats::ParseTime(text)) {
        fuzz::Require(time->hour >= 0 && time->hour <= 23 && time->minute >= 0 &&
                          time->minute <= 59 && time->second >= 0 && time->second <= 59,
                      "a clock time out of range was accepted");
        textformats::FormatTime(*time);
    }
    if (const auto zone = textformats::ParseTimeZone(text)) {
        fuzz::Require(Within(*zone, 24.0), "a zone out of range was accepted");
        const auto again = textformats::ParseTimeZone(textformats::FormatTimeZone(*zone));
        fuzz::Require(again.has_value() && std::fabs(*again - *zone) < 1.0 / 3600.0,
                      "a formatted zone does not read back");
    }
    if (const auto angle = textformats::ParseAngle(text)) {
        fuzz::Require(std::isfinite(*angle), "a non-finite angle was accepted");
    }
    if (const auto latitude = textformats::ParseLatitude(text)) {
        fuzz::Require(Within(*latitude, 90.0), "a latitude out of range was accepted");
        const auto again = textformats::ParseLatitude(textformats::FormatLatitude(*latitude));
        fuzz::Require(again.has_value() && std::fabs(*again - *latitude) < kCoordinateSlack,
                      "a formatted latitude does not read back");
    }
    if (const auto longitude = textformats::ParseLongitude(text)) {
        fuzz::Require(Within(*longitude, 180.0), "a longitude out of range was accepted");
        const auto again = textformats::ParseLongitude(textformats::FormatLongitude(*longitude));
        fuzz::Require(again.has_value() && std::fabs(*again - *longitude) < kCoordinateSlack,
                      "a formatted longitude does not read back");
    }
    textformats::detail::DigitsValue(text);
    textformats::detail::DecimalValue(text);
    startup::NumericValueOf(text);
    for (const auto type : {startup::SettingType::kInteger, startup::SettingType::kLong,
                            startup::SettingType::kDouble, startup::SettingType::kString,
                            startup::SettingType::kBoolean}) {
        startup::ConvertSettingText(text, type);
    }
    if (const auto latitude = places::ReadLatitudeText(text)) {
        fuzz::Require(Within(*latitude, 90.0), "a stored latitude out of range was accepted");
    }
    if (const auto longitude = places::ReadLongitudeText(text)) {
        fuzz::Require(Within(*longitude, 180.0), "a stored longitude out of range was accepted");
    }
    if (const auto zone = places::ReadZoneText(text)) {
        fuzz::Require(Within(zone->hours, 24.0), "a stored zone out of range was accepted");
    }
    return 0;
}
