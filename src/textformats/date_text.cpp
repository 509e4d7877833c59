#include "textformats/date_text.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/text_tools.h"
#include "textformats/text_scan.h"

namespace meridia::textformats {

namespace {

using detail::IsDigit;
using detail::IsDigits;
using detail::IsLetter;

// Years are held in 16-bit fields.
constexpr long kMinYear = -32767;
constexpr long kMaxYear = 32767;
constexpr int kDefaultPivot = 1930;

struct DateTextState {
    std::optional<int> fixed_year;
};

enum class DateError { kFormat, kEra, kInvalid };

void ShowDateError(DateError error) {
    std::string text;
    if (error == DateError::kInvalid) {
        text = "This date is not a valid calendar date.";
    } else {
        const bool month_first = startup::CurrentSession().settings().GetBool("DateOrderMDY");
        text = startup::JoinLines(
            {"The format of the date is not recognised.", "Please re-enter a valid date e.g.",
             month_first ? "Dec 31 1992  or  12/31/2009" : "31 Dec 1992  or  31/12/2009"});
        if (error == DateError::kEra) {
            text +=
                "\nSpecify BC for years prior to year one, and AD (or nothing) for years one "
                "and after.";
        }
    }
    startup::ShowMessage(text, startup::kCritical, "Error in Date");
}

bool EndsWithMark(const std::string& text, std::string_view mark) {
    if (text.size() < mark.size() || text.compare(text.size() - mark.size(), mark.size(), mark)) {
        return false;
    }
    // A mark is a word of its own: "FEB" does not end with the era mark "B".
    const std::size_t before = text.size() - mark.size();
    return before == 0 || !IsLetter(text[before - 1]);
}

// Blanks the ordinal suffixes ST, ND, RD and TH that follow a digit ("31ST", "2ND"); letters
// of month names ("AUGUST") are left alone.
void BlankOrdinals(std::string& text) {
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (!IsDigit(text[i - 1])) {
            continue;
        }
        const std::string_view pair(text.data() + i, 2);
        if (pair == "ST" || pair == "ND" || pair == "RD" || pair == "TH") {
            text[i] = ' ';
            text[i + 1] = ' ';
        }
    }
}

// Drops an ordinal suffix typed apart from its number ("31 st").
void DropSeparatedOrdinals(std::vector<std::string>& tokens) {
    for (std::size_t i = 1; i < tokens.size();) {
        const std::string& token = tokens[i];
        if (IsDigits(tokens[i - 1]) &&
            (token == "ST" || token == "ND" || token == "RD" || token == "TH")) {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

// Splits at punctuation and blanks and at every change between digits and letters. Empty
// when the text holds a character that is neither (a non-ASCII character).
std::optional<std::vector<std::string>> DateTokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::string current;
    auto flush = [&] {
        if (!current.empty()) {
            tokens.push_back(current);
            current.clear();
        }
    };
    for (char c : text) {
        if (IsDigit(c) || IsLetter(c)) {
            if (!current.empty() && IsDigit(current.back()) != IsDigit(c)) {
                flush();
            }
            current += c;
        } else if (static_cast<unsigned char>(c) < 0x80) {
            flush();
        } else {
            return std::nullopt;
        }
    }
    flush();
    return tokens;
}

// Month of a token: a number (out-of-range numbers are left for the calendar check to
// refuse), or the leading letters (three or more) of a month name.
std::optional<int> MonthOfToken(const std::string& token) {
    constexpr long kNoSuchMonth = 99;
    if (IsDigits(token)) {
        const auto value = detail::DigitsValue(token);
        if (!value || *value > kNoSuchMonth) {
            return static_cast<int>(kNoSuchMonth);
        }
        return static_cast<int>(*value);
    }
    if (token.size() <= 2) {
        return std::nullopt;
    }
    for (int month = 1; month <= 12; ++month) {
        const std::string name = startup::UpperAscii(startup::Names().MonthName(month, false));
        if (name.size() >= token.size() && name.compare(0, token.size(), token) == 0) {
            return month;
        }
    }
    return std::nullopt;
}

// A year written with one or two digits placed in the hundred years from the pivot.
long PivotYear(long written) {
    int pivot = startup::CurrentSession().settings().GetInt("DefCentury");
    if (pivot <= 0) {
        pivot = kDefaultPivot;
    }
    const long century = pivot / 100;
    return written >= pivot % 100 ? century * 100 + written : (century + 1) * 100 + written;
}

// The first `count` characters of a UTF-8 text.
std::string LeadingCharacters(const std::string& text, int count) {
    std::size_t end = 0;
    int seen = 0;
    while (end < text.size()) {
        const auto byte = static_cast<unsigned char>(text[end]);
        if ((byte & 0xC0) != 0x80) {
            if (seen == count) {
                break;
            }
            ++seen;
        }
        ++end;
    }
    return text.substr(0, end);
}

// A date of one number: a year with an era mark ("44 BC", "29 AD") or above 31 ("1992 NS")
// is 1 January of that year, written years taken as they stand.
template <class Fail>
std::optional<DateValue> BareYear(const std::string& token, bool before_christ, bool anno_domini,
                                  CalendarMode calendar, Fail fail) {
    const auto written = detail::DigitsValue(token);
    if (!IsDigits(token)) {
        return fail(DateError::kFormat);
    }
    if (!written || *written > kMaxYear) {
        return fail(DateError::kInvalid);
    }
    if ((before_christ || anno_domini) && *written == 0) {
        return fail(DateError::kEra);
    }
    if (!before_christ && !anno_domini && *written <= 31) {
        return fail(DateError::kFormat);
    }
    const long year = before_christ ? 1 - *written : *written;
    return DateValue{1, 1, static_cast<int>(year), calendar};
}

}  // namespace

int CurrentYear() {
    const auto& state = startup::CurrentSession().Get<DateTextState>();
    if (state.fixed_year) {
        return *state.fixed_year;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

void FixCurrentYear(std::optional<int> year) {
    startup::CurrentSession().Get<DateTextState>().fixed_year = year;
}

std::optional<DateValue> ParseDate(std::string_view text, bool show_errors) {
    auto fail = [show_errors](DateError error) -> std::optional<DateValue> {
        if (show_errors) {
            ShowDateError(error);
        }
        return std::nullopt;
    };

    const std::string_view trimmed = startup::Trim(text);
    if (IsDigits(trimmed)) {
        const auto value = detail::DigitsValue(trimmed);
        if (!value || *value > kMaxYear) {
            return fail(DateError::kInvalid);
        }
        if (*value > 31) {
            return DateValue{1, 1, static_cast<int>(*value), CalendarMode::kAutomatic};
        }
    }

    std::string work = startup::UpperAscii(trimmed);
    BlankOrdinals(work);

    CalendarMode calendar = CalendarMode::kAutomatic;
    const bool old_style = detail::BlankFirst(work, "OS") || detail::BlankFirst(work, "O.S.");
    const bool new_style = detail::BlankFirst(work, "NS") || detail::BlankFirst(work, "N.S.");
    if (old_style && new_style) {
        return fail(DateError::kFormat);
    }
    if (old_style) {
        calendar = CalendarMode::kJulian;
    } else if (new_style) {
        calendar = CalendarMode::kGregorian;
    }

    bool before_christ = false;
    for (std::string_view mark : {"BCE", "B.C.E.", "BC", "B.C."}) {
        if (detail::BlankFirst(work, mark)) {
            before_christ = true;
            break;
        }
    }
    work = std::string(startup::Trim(work));
    if (!before_christ && EndsWithMark(work, "B")) {
        work.pop_back();
        before_christ = true;
    }
    bool anno_domini = false;
    for (std::string_view mark : {"AD", "A.D.", "CE", "C.E."}) {
        if (EndsWithMark(work, mark)) {
            work.resize(work.size() - mark.size());
            anno_domini = true;
            break;
        }
    }
    // Era errors: both eras marked, a BC date without its year, or a written year 0 (1 BC
    // precedes AD 1; astronomical year 0 is typed as 1 BC).
    if (before_christ && anno_domini) {
        return fail(DateError::kEra);
    }

    auto tokens = DateTokens(work);
    if (tokens) {
        DropSeparatedOrdinals(*tokens);
    }
    if (!tokens || tokens->empty() || tokens->size() > 3) {
        return fail(DateError::kFormat);
    }
    if (tokens->size() == 1) {
        return BareYear(tokens->front(), before_christ, anno_domini, calendar, fail);
    }
    const bool month_first = startup::CurrentSession().settings().GetBool("DateOrderMDY");
    const std::string& month_token = (*tokens)[month_first ? 0 : 1];
    const std::string& day_token = (*tokens)[month_first ? 1 : 0];

    const auto month = MonthOfToken(month_token);
    if (!month || !IsDigits(day_token)) {
        return fail(DateError::kFormat);
    }
    const auto day = detail::DigitsValue(day_token);

    long year = 0;
    if (tokens->size() == 2) {
        if (before_christ) {
            return fail(DateError::kEra);
        }
        year = CurrentYear();
    } else {
        const std::string& year_token = (*tokens)[2];
        if (!IsDigits(year_token)) {
            return fail(DateError::kFormat);
        }
        const auto written = detail::DigitsValue(year_token);
        if (!written) {
            return fail(DateError::kInvalid);
        }
        if (before_christ) {
            if (*written == 0) {
                return fail(DateError::kEra);
            }
            year = 1 - *written;
        } else if (year_token.size() < 3) {
            year = PivotYear(*written);
        } else {
            year = *written;
            if (year == 0) {
                return fail(DateError::kEra);
            }
        }
    }

    if (!day || *day > 31 || year < kMinYear || year > kMaxYear ||
        !IsValidCalendarDate(static_cast<int>(*day), *month, static_cast<int>(year), calendar)) {
        return fail(DateError::kInvalid);
    }
    return DateValue{static_cast<int>(*day), *month, static_cast<int>(year), calendar};
}

std::string FormatDate(int day, int month, int year, CalendarMode calendar) {
    const auto& settings = startup::CurrentSession().settings();

    // With ShowStatedCalendar on, a date stated in the calendar its period does not use is
    // shown converted, through its Julian day, into the calendar of its period.
    const bool period_gregorian = IsGregorianDate(year, month, day);
    const bool stated_differs = calendar != CalendarMode::kAutomatic &&
                                (calendar == CalendarMode::kGregorian) != period_gregorian;
    if (settings.GetBool("ShowStatedCalendar") && stated_differs) {
        const double jd = JulianDayWithCalendar(day, month, year, true);
        const DateWithFraction converted = DateFromJulianDay(jd, false);
        day = static_cast<int>(std::lround(std::floor(converted.day)));
        month = converted.month;
        year = converted.year;
        calendar = CalendarMode::kAutomatic;
    }
    const bool gregorian =
        calendar == CalendarMode::kGregorian ||
        (calendar == CalendarMode::kAutomatic && IsGregorianDate(year, month, day));

    const std::string day_text = std::to_string(day);
    const std::string month_text = LeadingCharacters(startup::Names().MonthName(month, false), 3);
    const std::string year_text =
        year < 1 ? std::to_string(1L - year) + " BC" : detail::Padded(year, 4);
    std::string out = settings.GetBool("DateOrderMDY")
                          ? month_text + " " + day_text + " " + year_text
                          : day_text + " " + month_text + " " + year_text;
    if (year >= settings.GetInt("CalendarMarkFrom") && year <= settings.GetInt("CalendarMarkTo")) {
        out += gregorian ? " NS" : " OS";
    }
    return out;
}

std::string FormatDate(const DateValue& date) {
    return FormatDate(date.day, date.month, date.year, date.calendar);
}

}  // namespace meridia::textformats
