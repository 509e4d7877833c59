// Writes an eclipse catalogue ("SEclipse.bin" or "LEclipse.bin", layout in
// returns/eclipse_record.h) from the ephemeris library's own eclipse functions: every solar
// (or lunar) eclipse whose greatest phase falls in the years first..last, in date order.
// Usage: meridia_make_eclipses solar|lunar OUTPUT FIRST_YEAR LAST_YEAR [EPHEMERIS_FOLDER]
// The library reads its planet and Moon files from the folder when they are there and uses
// its analytical ephemeris otherwise.
#include <swephexp.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "returns/eclipse_record.h"

namespace {

using meridia::returns::CatalogueHeader;
using meridia::returns::EclipseKind;
using meridia::returns::EclipseRecord;

constexpr double kEarthRadiusKm = 6378.137;
constexpr double kAstronomicalUnitKm = 149597870.7;
constexpr double kGregorianStart = 2299160.5;   // 1582 October 15, 0h
constexpr double kSynodicMonth = 29.530588853;  // days
constexpr int kSarosMonths = 223;
constexpr int kInexMonths = 358;
constexpr int kUnknownSeries = -99999999;  // what the library gives outside its Saros tables

// One eclipse as found, with the series numbers the library gave (kUnknownSeries outside its
// tables, which cover the series 0 to 180).
struct Found {
    EclipseRecord record;
    double jd_ut = 0.0;
    int library_saros = kUnknownSeries;
    int library_member = kUnknownSeries;
    int steps = 0;  // saros periods from the reference eclipse along its series
};

// Saros series of every eclipse from the saros-inex panorama (van den Bergh): eclipses one
// saros (223 lunations) apart belong to one series, and the next series starts one inex
// (358 lunations) later. With n lunations between an eclipse and a reference eclipse of known
// series s0, n = 358 (s - s0) + 223 k; as 358 and 223 are coprime, s - s0 is fixed modulo 223,
// and the one value near n / 358 (the series in progress at that date lie within some fifty
// numbers of each other) is taken. The library's own numbers, where its tables have them, are
// the reference and agree with this everywhere in its range.
//
// The second column ("Jansky/Brady") holds the eclipse's member number in its series (1 = the
// series' first eclipse): the library's number where it has one; for a series outside its
// tables, counted from the series' first eclipse in the catalogue.
void NumberSeries(std::vector<Found>& found) {
    const Found* reference = nullptr;
    for (const Found& f : found) {
        if (f.library_saros != kUnknownSeries) {
            reference = &f;
            break;
        }
    }
    if (reference == nullptr) {
        return;
    }
    int inverse = 1;  // 358 x inverse = 1 modulo 223
    while ((kInexMonths * inverse) % kSarosMonths != 1) {
        ++inverse;
    }
    const double reference_jd = reference->jd_ut;
    const int reference_saros = reference->library_saros;
    std::map<int, int> member_offset;  // series -> member number minus steps
    std::map<int, int> first_steps;    // series -> steps of its first eclipse in the catalogue
    for (Found& f : found) {
        const long n = std::lround((f.jd_ut - reference_jd) / kSynodicMonth);
        long ds = ((n % kSarosMonths) * inverse) % kSarosMonths;
        if (ds < 0) {
            ds += kSarosMonths;
        }
        const double expected = static_cast<double>(n) / kInexMonths;
        ds += kSarosMonths * std::lround((expected - static_cast<double>(ds)) / kSarosMonths);
        f.record.saros_vdb = reference_saros + static_cast<int>(ds);
        f.steps = static_cast<int>((n - kInexMonths * ds) / kSarosMonths);
        if (f.library_saros != kUnknownSeries && f.library_saros != f.record.saros_vdb) {
            std::fprintf(stderr, "series of %d-%d-%d: %d, the library says %d\n", f.record.year,
                         f.record.month, f.record.day, f.record.saros_vdb, f.library_saros);
        }
        if (f.library_member != kUnknownSeries) {
            member_offset.emplace(f.record.saros_vdb, f.library_member - f.steps);
        }
        first_steps.emplace(f.record.saros_vdb, f.steps);
    }
    for (Found& f : found) {
        const auto known = member_offset.find(f.record.saros_vdb);
        f.record.saros_jb = known != member_offset.end()
                                ? f.steps + known->second
                                : f.steps - first_steps[f.record.saros_vdb] + 1;
    }
}

using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Geocentric apparent equatorial rectangular coordinates of a body, AU.
Vector Equatorial(double jd_ut, int body, int flags) {
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd_ut, body, flags | SEFLG_EQUATORIAL | SEFLG_XYZ, x.data(), serr);
    return {x[0], x[1], x[2]};
}

double Longitude(double jd_ut, int body, int flags) {
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd_ut, body, flags, x.data(), serr);
    return x[0];
}

// Gamma: the least distance of the shadow axis from the Earth's centre (solar), or of the
// Moon's centre from the axis of the Earth's shadow (lunar), in Earth radii, positive when
// the axis (the Moon) passes north of the centre (the shadow axis).
double Gamma(double jd_ut, EclipseKind kind, int flags) {
    const Vector sun = Equatorial(jd_ut, SE_SUN, flags);
    const Vector moon = Equatorial(jd_ut, SE_MOON, flags);
    Vector axis{};
    if (kind == EclipseKind::kSolar) {
        axis = {moon[0] - sun[0], moon[1] - sun[1], moon[2] - sun[2]};
    } else {
        axis = {-sun[0], -sun[1], -sun[2]};
    }
    const double length = std::sqrt(Dot(axis, axis));
    for (double& c : axis) {
        c /= length;
    }
    const double along = Dot(moon, axis);
    const Vector across = {moon[0] - along * axis[0], moon[1] - along * axis[1],
                           moon[2] - along * axis[2]};
    const double distance = std::sqrt(Dot(across, across)) * kAstronomicalUnitKm / kEarthRadiusKm;
    return across[2] < 0.0 ? -distance : distance;
}

// The date and time of a Julian day (UT) rounded to the second, in the calendar of its period.
void SetDateTime(double jd_ut, EclipseRecord& record) {
    double midnight = std::floor(jd_ut + 0.5) - 0.5;
    long seconds = std::lround((jd_ut - midnight) * 86400.0);
    if (seconds >= 86400) {
        midnight += 1.0;
        seconds -= 86400;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    double hours = 0.0;
    swe_revjul(midnight, midnight >= kGregorianStart ? SE_GREG_CAL : SE_JUL_CAL, &year, &month,
               &day, &hours);
    record.year = year;
    record.month = month;
    record.day = day;
    record.hour = static_cast<int>(seconds / 3600);
    record.minute = static_cast<int>(seconds / 60 % 60);
    record.second = static_cast<int>(seconds % 60);
}

int SolarType(int flags) {
    if ((flags & SE_ECL_ANNULAR_TOTAL) != 0) {
        return 3;
    }
    if ((flags & SE_ECL_TOTAL) != 0) {
        return 2;
    }
    if ((flags & SE_ECL_ANNULAR) != 0) {
        return 1;
    }
    return 0;
}

int LunarType(int flags) {
    if ((flags & SE_ECL_TOTAL) != 0) {
        return 2;
    }
    if ((flags & SE_ECL_PARTIAL) != 0) {
        return 1;
    }
    return 0;
}

// The figures only a solar eclipse has: type, magnitude, the place of greatest eclipse and the
// duration of totality or annularity there (second to third contact).
void FillSolar(double greatest, int found, int flags, std::array<double, 20>& attr,
               EclipseRecord& record) {
    std::array<double, 10> geopos{};
    char serr[AS_MAXCH] = {0};
    record.type = SolarType(found);
    swe_sol_eclipse_where(greatest, flags, geopos.data(), attr.data(), serr);
    record.magnitude = attr[8] > 0.0 ? attr[8] : attr[0];
    record.latitude_of_greatest = geopos[1];
    record.longitude_of_greatest = geopos[0];
    if (record.type != 0) {
        std::array<double, 10> local{};
        std::array<double, 20> local_attr{};
        if (swe_sol_eclipse_when_loc(greatest - 0.3, flags, geopos.data(), local.data(),
                                     local_attr.data(), 0, serr) > 0 &&
            local[2] > 0.0 && local[3] > local[2] && std::fabs(local[0] - greatest) < 0.2) {
            record.duration_seconds = (local[3] - local[2]) * 86400.0;
        }
    }
}

// The figures only a lunar eclipse has: type, umbral and penumbral magnitudes and the
// semi-durations of the total and partial phases (tret: the contacts of the library's search).
void FillLunar(double greatest, int found, int flags, const std::array<double, 10>& tret,
               std::array<double, 20>& attr, EclipseRecord& record) {
    std::array<double, 10> geopos{};
    char serr[AS_MAXCH] = {0};
    record.type = LunarType(found);
    swe_lun_eclipse_how(greatest, flags, geopos.data(), attr.data(), serr);
    record.magnitude = attr[0];
    record.penumbral_magnitude = attr[1];
    if (tret[4] > 0.0 && tret[5] > tret[4]) {
        record.semi_duration_total_minutes = (tret[5] - tret[4]) * 720.0;
    }
    if (tret[2] > 0.0 && tret[3] > tret[2]) {
        record.semi_duration_partial_minutes = (tret[3] - tret[2]) * 720.0;
    }
}

// The next eclipse of the kind after jd_ut, which moves on past it; false at the end of the
// ephemeris.
bool NextEclipse(EclipseKind kind, double& jd_ut, int flags, Found& f) {
    const bool solar = kind == EclipseKind::kSolar;
    std::array<double, 10> tret{};
    std::array<double, 20> attr{};
    char serr[AS_MAXCH] = {0};
    const int found = solar ? swe_sol_eclipse_when_glob(jd_ut, flags, 0, tret.data(), 0, serr)
                            : swe_lun_eclipse_when(jd_ut, flags, 0, tret.data(), 0, serr);
    if (found <= 0) {
        return false;
    }
    f.jd_ut = tret[0];
    jd_ut = f.jd_ut + 20.0;
    f.record = EclipseRecord{};
    SetDateTime(f.jd_ut, f.record);
    if (solar) {
        FillSolar(f.jd_ut, found, flags, attr, f.record);
    } else {
        FillLunar(f.jd_ut, found, flags, tret, attr, f.record);
    }
    f.library_saros = static_cast<int>(attr[9]);
    f.library_member = static_cast<int>(attr[10]);
    f.record.gamma = Gamma(f.jd_ut, kind, flags);
    f.record.longitude = Longitude(f.jd_ut, solar ? SE_SUN : SE_MOON, flags);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s solar|lunar OUTPUT FIRST_YEAR LAST_YEAR [EPHEMERIS_FOLDER]\n",
                     argv[0]);
        return 2;
    }
    const std::string kind_text = argv[1];
    const EclipseKind kind = kind_text == "lunar" ? EclipseKind::kLunar : EclipseKind::kSolar;
    const std::filesystem::path output = argv[2];
    const int first_year = std::atoi(argv[3]);
    const int last_year = std::atoi(argv[4]);
    std::string folder = argc > 5 ? argv[5] : "/usr/share/libswe/ephe";
    swe_set_ephe_path(folder.data());
    const int flags = SEFLG_SWIEPH;

    const double start =
        swe_julday(first_year, 1, 1, 0.0, first_year > 1582 ? SE_GREG_CAL : SE_JUL_CAL);
    const double end =
        swe_julday(last_year + 1, 1, 1, 0.0, last_year + 1 > 1582 ? SE_GREG_CAL : SE_JUL_CAL);
    std::vector<Found> found;
    double jd = start;
    while (jd < end) {
        Found f;
        if (!NextEclipse(kind, jd, flags, f) || f.jd_ut >= end) {
            break;
        }
        found.push_back(f);
    }
    swe_close();
    NumberSeries(found);
    CatalogueHeader header;
    std::vector<std::string> blocks;
    blocks.reserve(found.size());
    for (const Found& f : found) {
        blocks.push_back(meridia::returns::EncodeEclipseRecord(f.record, kind));
    }
    if (!found.empty()) {
        header.first_day = static_cast<std::int32_t>(std::floor(found.front().jd_ut));
        header.last_day = static_cast<std::int32_t>(std::floor(found.back().jd_ut));
    }
    header.count = static_cast<std::int32_t>(blocks.size());

    // Written beside the target and renamed over it, so that an interrupted build never
    // leaves half a catalogue.
    std::error_code error;
    std::filesystem::create_directories(output.parent_path(), error);
    const std::filesystem::path temporary = output.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << meridia::returns::EncodeCatalogueHeader(header, kind);
        for (const std::string& block : blocks) {
            out << block;
        }
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    std::filesystem::rename(temporary, output, error);
    if (error) {
        std::fprintf(stderr, "cannot rename %s: %s\n", temporary.c_str(), error.message().c_str());
        return 1;
    }
    std::printf("%s: %d %s eclipses\n", output.c_str(), header.count, kind_text.c_str());
    return 0;
}
