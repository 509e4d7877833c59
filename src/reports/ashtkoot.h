// Ashtkoot (eight-koota) compatibility of two charts from their Moons: Varna, Vashya, Tara,
// Yoni, Graha Maitri, Gana, Bhakoot and Nadi, 36 points in all. The Moon's longitude is
// sidereal (the chart's own zodiac when it is sidereal, else Lahiri's), degrees in [0, 360).
// Pure functions; the report writers are in report_support.h.
#pragma once

#include <array>
#include <string>

namespace meridia::reports {

inline constexpr double kAshtkootMaximum = 36.0;
inline constexpr double kNakshatraSpan = 360.0 / 27.0;

// Where a sidereal Moon stands: sign 1 (Aries) .. 12, nakshatra 1 (Ashwini) .. 27, pada 1..4
// and the degree within the sign [0, 30).
struct MoonPlacement {
    int sign = 1;
    int nakshatra = 1;
    int pada = 1;
    double degree_in_sign = 0.0;
};
MoonPlacement PlaceMoon(double sidereal_longitude);

// The 27 nakshatra names, Ashwini first.
const std::array<const char*, 27>& NakshatraNames();

struct KootaScore {
    std::string name;  // "Varna" ... "Nadi"
    double maximum = 0.0;
    double points = 0.0;
    std::string boy;  // what the koota compares, for each partner: "Brahmin", "Horse"...
    std::string girl;
};

struct AshtkootResult {
    std::array<KootaScore, 8> kootas;  // Varna first, Nadi last
    double Total() const;
};

// The eight kootas of a couple (the boy's Moon and the girl's), by the published tables
// named beside each in the implementation.
AshtkootResult ScoreAshtkoot(const MoonPlacement& boy, const MoonPlacement& girl);

// The usual reading of a total: below 18 "Not recommended", 18 to 24 "Average", 24.5 to 32
// "Good", above 32 "Excellent".
std::string AshtkootVerdict(double total);

}  // namespace meridia::reports
