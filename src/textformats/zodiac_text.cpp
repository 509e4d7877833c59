#include "textformats/zodiac_text.h"

#include <cmath>
#include <cstdio>

#include "startup/name_tables.h"

namespace meridia::textformats {

namespace {

constexpr long kSecondsPerSign = 30L * 3600L;
constexpr long kSecondsPerCircle = 12L * kSecondsPerSign;

}  // namespace

ZodiacPosition SplitZodiacPosition(double longitude) {
    const long total = std::lround(longitude * 3600.0) % kSecondsPerCircle;
    const long within = total % kSecondsPerSign;
    ZodiacPosition position;
    position.sign = static_cast<int>(total / kSecondsPerSign) + 1;
    position.degrees = static_cast<int>(within / 3600);
    position.minutes = static_cast<int>((within / 60) % 60);
    position.seconds = static_cast<int>(within % 60);
    return position;
}

std::string FormatZodiacPosition(double longitude) {
    if (longitude < 0.0) {
        return "  (not available)";
    }
    const ZodiacPosition p = SplitZodiacPosition(longitude);
    char text[64];
    std::snprintf(text, sizeof text, "%2d %s %02d'%02d\"", p.degrees,
                  startup::Names().SignName(p.sign, true).c_str(), p.minutes, p.seconds);
    return text;
}

std::string FormatSignedDegreesMinutes(double degrees) {
    const long total = std::lround(std::fabs(degrees) * 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%c%ld%s%02ld'", degrees < 0.0 ? '-' : '+', total / 60,
                  "\xC2\xB0", total % 60);
    return text;
}

}  // namespace meridia::textformats
