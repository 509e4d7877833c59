// A star's place from the ephemeris library's own star function, the oracle of the star tests:
// ecliptic and equatorial of date, with speeds.
#pragma once

#include <swephexp.h>

#include <array>
#include <string>

namespace meridia::testing {

struct LibraryStar {
    bool ok = false;
    std::array<double, 6> ecliptic{};
    std::array<double, 6> equatorial{};
};

inline LibraryStar StarFromLibrary(const std::string& key, double jd_et) {
    LibraryStar star;
    char serr[AS_MAXCH] = {0};
    // The function writes the star's full name back into the buffer.
    std::array<char, 600> name{};
    key.copy(name.data(), key.size());
    star.ok = swe_fixstar2(name.data(), jd_et, SEFLG_SWIEPH | SEFLG_SPEED, star.ecliptic.data(),
                           serr) >= 0;
    name.fill('\0');
    key.copy(name.data(), key.size());
    star.ok =
        star.ok && swe_fixstar2(name.data(), jd_et, SEFLG_SWIEPH | SEFLG_SPEED | SEFLG_EQUATORIAL,
                                star.equatorial.data(), serr) >= 0;
    return star;
}

}  // namespace meridia::testing
