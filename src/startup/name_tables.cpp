#include "startup/name_tables.h"

#include "startup/session.h"

namespace meridia::startup {

namespace {
constexpr const char* kSigns[] = {"Ar|Aries",       "Ta|Taurus",    "Ge|Gemini",   "Cn|Cancer",
                                  "Le|Leo",         "Vi|Virgo",     "Li|Libra",    "Sc|Scorpio",
                                  "Sg|Sagittarius", "Cp|Capricorn", "Aq|Aquarius", "Pi|Pisces"};
constexpr const char* kMonths[] = {"Jan|January",   "Feb|February", "Mar|March",    "Apr|April",
                                   "May|May",       "Jun|June",     "Jul|July",     "Aug|August",
                                   "Sep|September", "Oct|October",  "Nov|November", "Dec|December"};
}  // namespace

NameTables::NameTables() {
    for (int i = 0; i < 12; ++i) {
        entries_[kSignNamesBase + 1 + i] = kSigns[i];
        entries_[kMonthNamesBase + 1 + i] = kMonths[i];
    }
}

const std::string& NameTables::Entry(int number) const {
    static const std::string kEmpty;
    auto it = entries_.find(number);
    return it == entries_.end() ? kEmpty : it->second;
}

std::string NameTables::Form(int number, int form) const {
    const std::string& entry = Entry(number);
    std::string last;
    std::size_t start = 0;
    for (int i = 0;; ++i) {
        const std::size_t bar = entry.find('|', start);
        std::string part =
            entry.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (i == form) {
            return part.empty() && !last.empty() ? last : part;
        }
        if (!part.empty()) {
            last = part;
        }
        if (bar == std::string::npos) {
            return last;
        }
        start = bar + 1;
    }
}

void NameTables::SetEntry(int number, std::string text) { entries_[number] = std::move(text); }

std::string NameTables::SignName(int sign, bool abbreviation) const {
    return Form(kSignNamesBase + sign, abbreviation ? 0 : 1);
}

std::string NameTables::MonthName(int month, bool abbreviation) const {
    return Form(kMonthNamesBase + month, abbreviation ? 0 : 1);
}

std::string NameTables::PointName(int point, int form) const {
    return Form(kPointNamesBase + point, form);
}

NameTables& Names() { return CurrentSession().Get<NameTables>(); }

}  // namespace meridia::startup
