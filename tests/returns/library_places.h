// Positions straight from the ephemeris library for the returns tests: the expected values
// are measured here without the code under test.
#pragma once

#include <swephexp.h>

#include <array>
#include <cmath>

#include "astro/angles.h"
#include "astro/ephemeris.h"

namespace meridia::returns::testing {

// Geocentric apparent tropical longitude of a library body at a Julian day (UT).
inline double LibraryLongitude(double jd_ut, int body) {
    astro::EnsureEphemeris();
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd_ut, body, astro::EphemerisModeFlags(), x.data(), serr);
    return x[0];
}

inline double Gap(double a, double b) { return std::fabs(astro::Norm180(a - b)); }

// Point number (3, 5..12) to library body.
inline int BodyOfPlanet(int planet) { return planet == 3 ? SE_SUN : planet - 3; }

}  // namespace meridia::returns::testing
