#include "textformats/angle_text.h"

#include <cmath>
#include <vector>

#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/text_tools.h"
#include "textformats/text_scan.h"

namespace meridia::textformats {

namespace {

using detail::BlankAll;

// Typed quote and accent marks that stand for degree, minute and second marks (UTF-8):
// left and right single quotes, diaeresis, degree sign, acute accent.
constexpr std::string_view kTypedAngleMarks[] = {"\xE2\x80\x98", "\xE2\x80\x99", "\xC2\xA8",
                                                 "\xC2\xB0", "\xC2\xB4"};
constexpr std::string_view kDegreeSign = "\xC2\xB0";

void BlankMarks(std::string& text, const AngleMarks& marks) {
    BlankAll(text, marks.degree);
    BlankAll(text, marks.minute);
    BlankAll(text, marks.second);
}

void ShowAngleError() {
    startup::ShowMessage(
        startup::JoinLines({"The format of the angle is not recognised.",
                            "Examples of valid angles are 10 11'59\"; 16Ar25; 27 PISCES; etc... "
                            "Please re-enter the angle."}),
        startup::kCritical, "Error in Angle");
}

// Sign offset in degrees for the letters of an angle text, or empty when they name no sign.
std::optional<double> SignOffset(std::string_view span) {
    const auto& names = startup::Names();
    for (int sign = 1; sign <= 12; ++sign) {
        std::string candidate;
        if (span.size() == 2) {
            candidate = startup::UpperAscii(names.SignName(sign, true));
        } else {
            candidate = startup::UpperAscii(names.SignName(sign, false));
            if (candidate.size() < span.size()) {
                continue;
            }
            candidate.resize(span.size());
        }
        if (candidate == span) {
            return (sign - 1) * 30.0;
        }
    }
    return std::nullopt;
}

// What distinguishes latitude from longitude in the shared coordinate parser.
struct CoordinateKind {
    double limit;           // 90 or 180 degrees
    char positive_letter;   // N or W
    char negative_letter;   // S or E
    std::string_view noun;  // "latitude" / "longitude"
    std::string_view title;
    std::string_view hemisphere_hint;  // "Specify N ..." / "Specify E ..."
    std::string_view other_hint;       // "or S ..." / "or W ..."

    std::string_view range_hint;
    std::string_view example_hint;
};

constexpr CoordinateKind kLatitude{90.0,
                                   'N',
                                   'S',
                                   "latitude",
                                   "Error in Latitude",
                                   "Specify N for northern hemisphere latitudes",
                                   "or S for southern hemisphere latitudes.",
                                   "Degrees must be in the range 0 to 90.",
                                   "Please use a valid format e.g. 35S55"};

constexpr CoordinateKind kLongitude{180.0,
                                    'W',
                                    'E',
                                    "longitude",
                                    "Error in Longitude",
                                    "Specify E for eastern hemisphere longitudes",
                                    "or W for western hemisphere longitudes.",
                                    "Degrees must be in the range 0 to 180.",
                                    "Please use a valid format e.g. 138E34"};

std::string FirstLine(const CoordinateKind& kind, std::string_view text) {
    return "The format of the " + std::string(kind.noun) +
           " is not recognised: " + std::string(text);
}

void ShowHemisphereError(const CoordinateKind& kind, std::string_view text) {
    const std::string first = FirstLine(kind, text);
    startup::ShowMessage(
        startup::JoinLines({first, kind.hemisphere_hint, kind.other_hint, kind.example_hint}),
        startup::kCritical, kind.title);
}

void ShowRangeError(const CoordinateKind& kind, std::string_view text) {
    const std::string first = FirstLine(kind, text);
    startup::ShowMessage(
        startup::JoinLines({first, kind.range_hint,
                            "Minutes or seconds must be in the range 0 to 59.", kind.example_hint}),
        startup::kCritical, kind.title);
}

// A whole text that is a plain decimal number with an optional sign ("-35.5", "+45", "45").
// Exponents are not numbers here, so "1E5" never reads as 100000.
std::optional<double> SignedDecimal(std::string_view text) {
    double sign = 1.0;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        sign = text.front() == '-' ? -1.0 : 1.0;
        text.remove_prefix(1);
    }
    const auto value = detail::DecimalValue(text);
    if (!value) {
        return std::nullopt;
    }
    return sign * *value;
}

std::optional<double> ParseCoordinate(std::string_view text, const CoordinateKind& kind) {
    std::string work = startup::UpperAscii(startup::Trim(text));

    if (const auto decimal = SignedDecimal(work)) {
        if (std::fabs(*decimal) > kind.limit) {
            ShowRangeError(kind, text);
            return std::nullopt;
        }
        return *decimal;
    }

    const std::size_t positive_at = work.find(kind.positive_letter);
    const std::size_t negative_at = work.find(kind.negative_letter);
    if ((positive_at == std::string::npos) == (negative_at == std::string::npos)) {
        ShowHemisphereError(kind, text);
        return std::nullopt;
    }
    const bool negative = negative_at != std::string::npos;
    work[negative ? negative_at : positive_at] = ' ';

    BlankMarks(work, CurrentAngleMarks());
    BlankAll(work, kDegreeSign);
    for (char& c : work) {
        switch (c) {
            case '.':
            case '/':
            case ',':
            case ';':
            case ':':
            case '\'':
            case '-':
            case '"':
                c = ' ';
                break;
            default:
                break;
        }
    }

    const std::vector<std::string> runs = detail::SplitBlanks(work);
    if (runs.empty() || runs.size() > 3) {
        ShowHemisphereError(kind, text);
        return std::nullopt;
    }
    long parts[3] = {0, 0, 0};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (!detail::IsDigits(runs[i])) {
            ShowHemisphereError(kind, text);
            return std::nullopt;
        }
        const auto value = detail::DigitsValue(runs[i]);
        if (!value) {
            ShowRangeError(kind, text);
            return std::nullopt;
        }
        parts[i] = *value;
    }
    const double degrees = static_cast<double>(parts[0]);
    const bool at_limit = degrees == kind.limit;
    if (degrees > kind.limit || parts[1] > 59 || parts[2] > 59 ||
        (at_limit && (parts[1] != 0 || parts[2] != 0))) {
        ShowRangeError(kind, text);
        return std::nullopt;
    }
    const double value =
        degrees + static_cast<double>(parts[1]) / 60.0 + static_cast<double>(parts[2]) / 3600.0;
    return negative ? -value : value;
}

std::string FormatCoordinate(double value, char positive_letter, char negative_letter,
                             int degree_width, const AngleMarks& marks) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    const char hemisphere = value < 0.0 ? negative_letter : positive_letter;
    // Adding 0.0001 degree (0.36") keeps values that are whole seconds from showing one
    // second less through rounding error.
    const double magnitude = std::fmin(std::fabs(value), 1.0e6) + 0.0001;
    const double degrees = std::floor(magnitude);
    const double minutes_exact = (magnitude - degrees) * 60.0;
    const double minutes = std::floor(minutes_exact);
    const double seconds = std::floor((minutes_exact - minutes) * 60.0);

    std::string out = detail::Padded(static_cast<long>(degrees), degree_width);
    out += marks.degree;
    out += hemisphere;
    out += detail::Padded(static_cast<long>(minutes), 2);
    out += marks.minute;
    if (seconds != 0.0) {
        out += detail::Padded(static_cast<long>(seconds), 2);
        out += marks.second;
    }
    return out;
}

}  // namespace

AngleMarks& CurrentAngleMarks() { return startup::CurrentSession().Get<AngleMarks>(); }

std::optional<double> ParseAngle(std::string_view text) {
    std::string work = startup::UpperAscii(startup::Trim(text));

    bool negative = false;
    std::size_t first_letter = std::string::npos;
    std::size_t last_letter = std::string::npos;
    const std::string letters_source = work;
    for (std::size_t i = 0; i < work.size(); ++i) {
        const char c = work[i];
        if (c >= 'A' && c <= 'Z') {
            if (first_letter == std::string::npos) {
                first_letter = i;
            }
            last_letter = i;
            work[i] = ' ';
        } else if (c == '-') {
            negative = true;
            work[i] = ' ';
        }
    }

    double offset = 0.0;
    if (first_letter != std::string::npos) {
        const std::size_t span_length = last_letter - first_letter + 1;
        if (span_length < 2) {
            ShowAngleError();
            return std::nullopt;
        }
        const auto sign_offset =
            SignOffset(std::string_view(letters_source).substr(first_letter, span_length));
        if (!sign_offset) {
            ShowAngleError();
            return std::nullopt;
        }
        offset = *sign_offset;
    }

    for (std::string_view mark : kTypedAngleMarks) {
        BlankAll(work, mark);
    }
    BlankMarks(work, CurrentAngleMarks());
    for (char& c : work) {
        if (c == '\'' || c == '"' || c == '`') {
            c = ' ';
        }
    }

    const std::vector<std::string> pieces = detail::SplitBlanks(work);
    if (pieces.empty() && first_letter == std::string::npos) {
        ShowAngleError();
        return std::nullopt;
    }
    double parts[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto value = detail::DecimalValue(pieces[i]);
        if (!value) {
            ShowAngleError();
            return std::nullopt;
        }
        if (i < 3) {
            parts[i] = *value;
        }
    }
    if (parts[1] >= 60.0 || parts[2] >= 60.0) {
        ShowAngleError();
        return std::nullopt;
    }
    const double value = offset + parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
    return negative ? -value : value;
}

std::optional<double> ParseLatitude(std::string_view text) {
    return ParseCoordinate(text, kLatitude);
}

std::optional<double> ParseLongitude(std::string_view text) {
    return ParseCoordinate(text, kLongitude);
}

std::string FormatLatitude(double latitude, const AngleMarks& marks) {
    return FormatCoordinate(latitude, 'N', 'S', 2, marks);
}

std::string FormatLatitude(double latitude) {
    return FormatLatitude(latitude, CurrentAngleMarks());
}

std::string FormatLongitude(double longitude, const AngleMarks& marks) {
    return FormatCoordinate(longitude, 'W', 'E', 3, marks);
}

std::string FormatLongitude(double longitude) {
    return FormatLongitude(longitude, CurrentAngleMarks());
}

}  // namespace meridia::textformats
