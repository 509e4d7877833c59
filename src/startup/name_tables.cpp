#include "startup/name_tables.h"

#include <iterator>
#include <utility>

#include "startup/session.h"

namespace meridia::startup {

namespace {
constexpr const char* kSigns[] = {"Ar|Aries",       "Ta|Taurus",    "Ge|Gemini",   "Cn|Cancer",
                                  "Le|Leo",         "Vi|Virgo",     "Li|Libra",    "Sc|Scorpio",
                                  "Sg|Sagittarius", "Cp|Capricorn", "Aq|Aquarius", "Pi|Pisces"};
constexpr const char* kMonths[] = {"Jan|January",   "Feb|February", "Mar|March",    "Apr|April",
                                   "May|May",       "Jun|June",     "Jul|July",     "Aug|August",
                                   "Sep|September", "Oct|October",  "Nov|November", "Dec|December"};
// Points 0..50: abbreviation, name, long name.
constexpr const char* kPoints[] = {"VP|Vernal Pt|",
                                   "Mo|Moon|The Moon",
                                   "Ea|Earth|The Earth",
                                   "Su|Sun|The Sun",
                                   "Vu|Vulcan|Vulcan",
                                   "Me|Mercury|Mercury",
                                   "Ve|Venus|Venus",
                                   "Ma|Mars|Mars",
                                   "Ju|Jupiter|Jupiter",
                                   "Sa|Saturn|Saturn",
                                   "Ur|Uranus|Uranus",
                                   "Ne|Neptune|Neptune",
                                   "Pl|Pluto|Pluto",
                                   "Ch|Chiron|Chiron",
                                   "Vs|Vesta|Vesta",
                                   "Pa|Pallas|Pallas Athene",
                                   "Jn|Juno|Juno",
                                   "Ce|Ceres|Ceres",
                                   "Hy|Hygeia|Hygeia",
                                   "As|Astraea|Astraea",
                                   "NN|North Node|North Node of the Moon",
                                   "SN|South Node|South Node of the Moon",
                                   "Asc|Ascendant|Ascendant",
                                   "MC|Midheaven|Midheaven (Medium Coeli)",
                                   "Vx|Vertex|Vertex",
                                   "EP|Equatorial Ascendant|Equatorial Ascendant (East Point)",
                                   "PF|Part of Fortune|Part of Fortune",
                                   "Cu|Cupido|Cupido",
                                   "Ha|Hades|Hades",
                                   "Ze|Zeus|Zeus",
                                   "Kr|Kronos|Kronos",
                                   "Ap|Apollon|Apollon",
                                   "Ad|Admetos|Admetos",
                                   "Vl|Vulcanus|Vulcanus",
                                   "Po|Poseidon|Poseidon",
                                   "Tp|Transpluto|Transpluto",
                                   "BM|Black Moon|Black Moon Lilith",
                                   "CoA|Co-Ascendant|Co-Ascendant",
                                   "PoA|Polar Ascendant|Polar Ascendant",
                                   "Dsc|Descendant|Descendant",
                                   "IC|Imum Coeli|Imum Coeli",
                                   "AVx|Anti-Vertex|Anti-Vertex",
                                   "WP|Equatorial Descendant|Equatorial Descendant (West Point)",
                                   "CoD|Co-Descendant|Co-Descendant",
                                   "PoD|Polar Descendant|Polar Descendant",
                                   "AP|Aries Point|Aries Point",
                                   "LP|Libra Point|Libra Point",
                                   "VPt|Vernal Point|Vernal Point",
                                   "Se|Selena|Selena (White Moon)",
                                   "Sd|Sedna|Sedna",
                                   "Er|Eris|Eris"};
static_assert(std::size(kPoints) == kFixedPointCount + 1);

constexpr const char* kHouseSystems[] = {"Campanus",
                                         "Koch",
                                         "Meridian",
                                         "Morinus",
                                         "Placidus",
                                         "Porphyry",
                                         "Regiomontanus",
                                         "Topocentric",
                                         "Equal",
                                         "0° Aries",
                                         "Solar Sign",
                                         "Sun on 1st",
                                         "Moon on 1st",
                                         "Mercury on 1st",
                                         "Venus on 1st",
                                         "Mars on 1st",
                                         "Jupiter on 1st",
                                         "Saturn on 1st",
                                         "Uranus on 1st",
                                         "Neptune on 1st",
                                         "Pluto on 1st",
                                         "N Node on 1st",
                                         "Vertex on 7th",
                                         "EP on 1st",
                                         "MC on 10th",
                                         "Whole Signs",
                                         "Hindu Bhava",
                                         "Alcabitius",
                                         "Fortune on 1st",
                                         "Asc in 1st",
                                         "Whole Signs (Fortune)",
                                         "S Node on 1st"};
static_assert(std::size(kHouseSystems) == kHouseSystemCount);

constexpr const char* kZodiacs[] = {
    "Default",     "Tropical",     "Fagan-Allen", "Lahiri",   "DeLuce",        "Raman",
    "Usha-Shashi", "Krishnamurti", "Djwhal Khul", "Draconic", "User-defined",  "Sri Yukteswar",
    "JN Bhasin",   "Larry Ely",    "Takra I",     "Takra II", "Sundara Rajan", "Shill Pond"};
static_assert(std::size(kZodiacs) == kZodiacCount);

constexpr const char* kChartClasses[] = {
    "Natal",      "Sec.Prog.", "Directed",          "Return",    "Combined",   "Harmonic",
    "Antiscia",   "Pre-Natal", "Rise/Set",          "Lun.Phase", "Tert.Prog.", "Minor Prog.",
    "User Prog.", "Locality",  "Tert.Prog. (True)", "Vedic",     "Transits",   "van Dam"};
static_assert(std::size(kChartClasses) == kChartClassCount);

constexpr const char* kChartKinds[] = {"Natal/Event",                // 1
                                       "- Midpoints",                // 2
                                       "- Derived Asc",              // 3
                                       "- Solar Arc",                // 4
                                       "- Asc Arc",                  // 5
                                       "- Vtx Arc",                  // 6
                                       "- User Arc",                 // 7
                                       "- Profection",               // 8
                                       "- Derived MC",               // 9
                                       "- Relocated",                // 10
                                       "- Johndro",                  // 11
                                       "- 0° Cap",                   // 12
                                       "- 0° Ari",                   // 13
                                       "- Derived Asc (Group)",      // 14
                                       "- Davison",                  // 15
                                       "Epoch (Bailey)",             // 16
                                       "Epoch (Bailey, Asc)",        // 17
                                       "Epoch (Bailey, Desc)",       // 18
                                       "Epoch (Bailey, Irregular)",  // 19
                                       "Epoch (Jayne)",              // 20
                                       "Epoch (Jayne, Asc)",         // 21
                                       "Epoch (Jayne, Desc)",        // 22
                                       "Epoch (Jayne, Irregular)",   // 23
                                       "Pre-Natal New Moon",         // 24
                                       "Pre-Natal Full Moon",        // 25
                                       "Pre-Natal Syzygy",           // 26
                                       "Pre-Natal First Quarter",    // 27
                                       "Pre-Natal Last Quarter",     // 28
                                       "Pre-Natal Solar Eclipse",    // 29
                                       "Pre-Natal Lunar Eclipse",    // 30
                                       "Pre-Natal Eclipse",          // 31
                                       "Pre-Natal Sun Return",       // 32
                                       "Pre-Natal Moon Return",      // 33
                                       "Conception (Bailey)",        // 34
                                       "Conception (Jayne)",         // 35
                                       "Quickening",                 // 36
                                       "- Coalescent",               // 37
                                       "Arc Transform",              // 38
                                       "Long Equiv Decl",            // 39
                                       "Z-Analogue (Asc)",           // 40
                                       "Z-Analogue (MC)",            // 41
                                       "- Geodetic",                 // 42
                                       "Horary",                     // 43
                                       "Progressed Return",          // 44
                                       "Converse Return",            // 45
                                       "- Wynn Key",                 // 46
                                       "- Derived MC (Group)",       // 47
                                       "- Relocated Composite",      // 48
                                       "- Progressed Composite",     // 49
                                       "D2 Hora",                    // 50
                                       "D3 Drekkana",                // 51
                                       "D4 Chaturthamsha",           // 52
                                       "D5 Panchamsha",              // 53
                                       "D6 Shashthamsha",            // 54
                                       "D7 Saptamsha",               // 55
                                       "D8 Ashtamsha",               // 56
                                       "D9 Navamsha",                // 57
                                       "D10 Dashamsha",              // 58
                                       "D11 Rudramsha",              // 59
                                       "D11 Iyers",                  // 60
                                       "D12 Dwadashamsha",           // 61
                                       "D16 Shodashamsha",           // 62
                                       "D20 Vimshamsha",             // 63
                                       "D24 Chaturvimshamsha",       // 64
                                       "D27 Bhamsha",                // 65
                                       "D30 Trimshamsha",            // 66
                                       "D40 Khavedamsha",            // 67
                                       "D45 Akshavedamsha",          // 68
                                       "D60 Shashtiamsha",           // 69
                                       "New Moon",                   // 70
                                       "Crescent Moon",              // 71
                                       "First Quarter",              // 72
                                       "Gibbous Moon",               // 73
                                       "Full Moon",                  // 74
                                       "Disseminating Moon",         // 75
                                       "Last Quarter",               // 76
                                       "Balsamic Moon",              // 77
                                       "Z-Analogue (Vertex)",        // 78
                                       "Age Harmonic",               // 79
                                       "Age+1 Harmonic"};
static_assert(std::size(kChartKinds) == kChartKindCount);

constexpr const char* kProgAngleMethods[] = {"SA in Long", "SA in RA", "Naibod in Long",
                                             "Naibod in RA", "Mean Quotidian"};
constexpr const char* kEventTypes[] = {"Unspecified", "Male", "Female", "Event", "Horary"};
constexpr const char* kCoordSystems[] = {"Geocentric", "Heliocentric"};
constexpr const char* kSourceRatings[] = {"AA|From birth record",
                                          "A|From memory/news report",
                                          "B|From biography",
                                          "C|Source unknown/rectified",
                                          "DD|Conflicting/unverified",
                                          "X|Time unknown",
                                          "XX|Undetermined"};
static_assert(std::size(kSourceRatings) == kSourceRatingCount);
constexpr const char* kPrimaryRateKeys[] = {
    "Ptolemy (1 Year per Degree)",     "Naibod (1 Year per 59'08.33'')",
    "Kepler - Natal Solar Rate in RA", "Placidus - True Solar Arc in RA",
    "Cardan (1 year per 59'12\")",     "Rate for User Directions",
    "Natal Solar Rate in Longitude"};
static_assert(std::size(kPrimaryRateKeys) == kPrimaryRateKeyCount);
constexpr const char* kPrimaryDirectionTypes[] = {"Mundane", "Zodiacal"};
constexpr const char* kPrimaryDirectionMethods[] = {"Placidus", "Regiomontanus"};
constexpr const char* kConverseMethods[] = {"Classical Converse", "Modern Converse"};

template <std::size_t N>
void Fill(std::map<int, std::string>& entries, int first, const char* const (&texts)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        entries[first + static_cast<int>(i)] = texts[i];
    }
}

}  // namespace

NameTables::NameTables() {
    Fill(entries_, kSignNamesBase + 1, kSigns);
    Fill(entries_, kMonthNamesBase + 1, kMonths);
    Fill(entries_, kPointNamesBase, kPoints);
    Fill(entries_, kHouseSystemNamesBase + 1, kHouseSystems);
    Fill(entries_, kZodiacNamesBase, kZodiacs);
    entries_[kChartClassNamesBase] = std::to_string(kChartClassCount);
    Fill(entries_, kChartClassNamesBase + 1, kChartClasses);
    entries_[kChartKindNamesBase] = std::to_string(kChartKindCount);
    Fill(entries_, kChartKindNamesBase + 1, kChartKinds);
    Fill(entries_, kProgAngleMethodNamesBase + 1, kProgAngleMethods);
    Fill(entries_, kEventTypeNamesBase, kEventTypes);
    Fill(entries_, kCoordSystemNamesBase + 1, kCoordSystems);
    entries_[kSourceRatingNamesBase] = std::to_string(kSourceRatingCount);
    Fill(entries_, kSourceRatingNamesBase + 1, kSourceRatings);
    entries_[kPrimaryRateKeyNamesBase] = std::to_string(kPrimaryRateKeyCount);
    Fill(entries_, kPrimaryRateKeyNamesBase + 1, kPrimaryRateKeys);
    Fill(entries_, kPrimaryDirectionTypeNamesBase + 1, kPrimaryDirectionTypes);
    Fill(entries_, kPrimaryDirectionMethodNamesBase + 1, kPrimaryDirectionMethods);
    Fill(entries_, kConverseMethodNamesBase + 1, kConverseMethods);
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

std::string NameTables::HouseSystemName(int code) const {
    return code < 1 || code > kHouseSystemCount ? std::string()
                                                : Form(kHouseSystemNamesBase + code, 0);
}

std::string NameTables::ZodiacName(int code) const {
    return code < 0 || code >= kZodiacCount ? std::string() : Form(kZodiacNamesBase + code, 0);
}

std::string NameTables::ChartClassName(int chart_class) const {
    return chart_class < 1 || chart_class > kChartClassCount
               ? std::string()
               : Form(kChartClassNamesBase + chart_class, 0);
}

std::string NameTables::ChartKindName(int kind) const {
    return kind < 1 || kind > kChartKindCount ? std::string() : Form(kChartKindNamesBase + kind, 0);
}

std::string NameTables::EventTypeName(int type) const {
    return type < 0 || type >= static_cast<int>(std::size(kEventTypes))
               ? std::string()
               : Form(kEventTypeNamesBase + type, 0);
}

NameTables& Names() { return CurrentSession().Get<NameTables>(); }

}  // namespace meridia::startup
