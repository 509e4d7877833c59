// Display names of the chart classes and chart kinds of derived charts, installed into the
// session's name tables where the start-up table has left an entry empty.
#include <array>
#include <string>

#include "astro/derived_charts.h"
#include "startup/name_tables.h"

namespace meridia::astro {

namespace {

constexpr std::array<const char*, startup::kChartClassCount> kClassNames = {
    "Natal",      "Sec.Prog.", "Directed",          "Return",    "Combined",   "Harmonic",
    "Antiscia",   "Pre-Natal", "Rise/Set",          "Lun.Phase", "Tert.Prog.", "Minor Prog.",
    "User Prog.", "Locality",  "Tert.Prog. (True)", "Vedic",     "Transits",   "van Dam"};

constexpr std::array<const char*, startup::kChartKindCount> kKindNames = {
    "Natal/Event",                // 1
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
    "Age+1 Harmonic"};            // 80

void SetIfEmpty(startup::NameTables& names, int number, const char* text) {
    if (names.Entry(number).empty()) {
        names.SetEntry(number, text);
    }
}

}  // namespace

void InstallDerivedChartNames() {
    startup::NameTables& names = startup::Names();
    SetIfEmpty(names, startup::kChartClassNamesBase,
               std::to_string(startup::kChartClassCount).c_str());
    for (std::size_t c = 0; c < kClassNames.size(); ++c) {
        SetIfEmpty(names, startup::kChartClassNamesBase + static_cast<int>(c) + 1, kClassNames[c]);
    }
    SetIfEmpty(names, startup::kChartKindNamesBase,
               std::to_string(startup::kChartKindCount).c_str());
    for (std::size_t k = 0; k < kKindNames.size(); ++k) {
        SetIfEmpty(names, startup::kChartKindNamesBase + static_cast<int>(k) + 1, kKindNames[k]);
    }
}

}  // namespace meridia::astro
