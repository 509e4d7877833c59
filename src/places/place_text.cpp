#include "places/place_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"
#include "textformats/time_text.h"

namespace meridia::places {

namespace {

std::string CoordinateText(double value, char positive, char negative, int degree_digits) {
    const double magnitude = std::fabs(value) + 0.5 / 3600.0;
    const int total_seconds = static_cast<int>(magnitude * 3600.0);
    const int degrees = total_seconds / 3600;
    const int minutes = (total_seconds / 60) % 60;
    const int seconds = total_seconds % 60;
    char buffer[32];
    if (seconds != 0) {
        std::snprintf(buffer, sizeof buffer, "%0*d%c%02d:%02d", degree_digits, degrees,
                      value < 0 ? negative : positive, minutes, seconds);
    } else {
        std::snprintf(buffer, sizeof buffer, "%0*d%c%02d", degree_digits, degrees,
                      value < 0 ? negative : positive, minutes);
    }
    return buffer;
}

}  // namespace

std::optional<double> ReadLatitudeText(std::string_view text) {
    return textformats::ParseLatitude(startup::Trim(text));
}

std::optional<double> ReadLongitudeText(std::string_view text) {
    return textformats::ParseLongitude(startup::Trim(text));
}

std::optional<ZoneText> ReadZoneText(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    for (const char ch : std::string(startup::Trim(text)) + ' ') {
        if (ch == ' ') {
            if (!token.empty()) {
                tokens.push_back(token);
            }
            token.clear();
        } else {
            token.push_back(ch);
        }
    }
    ZoneText zone;
    if (tokens.empty()) {
        // A record without a zone text relies on its zone table.
        return zone;
    }
    if (tokens.size() > 2) {
        return std::nullopt;
    }
    // "ACST -9:30": a mnemonic and the value; a single token is either.
    const std::string& value_text = tokens.back();
    if (tokens.size() == 2) {
        zone.mnemonic = startup::UpperText(tokens.front()).substr(0, 5);
    } else if (!value_text.empty() && !std::isdigit(static_cast<unsigned char>(value_text[0])) &&
               value_text[0] != '+' && value_text[0] != '-') {
        zone.mnemonic = startup::UpperText(value_text).substr(0, 5);
    }
    const auto hours = textformats::ParseTimeZone(value_text);
    if (!hours) {
        return std::nullopt;
    }
    zone.hours = *hours;
    return zone;
}

std::string LatitudeText(double latitude) { return CoordinateText(latitude, 'N', 'S', 2); }

std::string LongitudeText(double longitude) { return CoordinateText(longitude, 'W', 'E', 3); }

std::string ZoneValueText(double hours) { return textformats::FormatTimeZone(hours); }

}  // namespace meridia::places
