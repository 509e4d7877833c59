#include "reports/dignity_tables.h"

#include <algorithm>
#include <cmath>

#include "astro/angles.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/session.h"

namespace meridia::reports {

namespace {

using startup::Status;
using startup::StatusCode;

constexpr std::size_t kSchemeNameBytes = 30;
constexpr std::size_t kWeightingNameBytes = 60;
constexpr int kLastPointCode = 100;
// The largest dignity file the program reads: a thousand rulership or weighting records.
constexpr std::size_t kMaxDignityFileBytes = 1000 * kWeightingRecordBytes;

Status Damaged(const std::string& file) {
    return {StatusCode::kDamaged, file + " is damaged.", "Error", file};
}

bool ValidCode(std::uint8_t code) { return code <= kLastPointCode; }

// Sign 1..12 of a longitude.
int SignOfLongitude(double longitude) {
    return static_cast<int>(astro::ModFloor(longitude, 360.0) / 30.0) % 12 + 1;
}

struct DignityTablesCache {
    bool loaded = false;
    DignityTables tables;
};

startup::StatusOr<std::string> ReadDignityFile(std::string_view name) {
    const std::filesystem::path path = DignityFilePath(name);
    auto bytes = startup::ReadFileLimited(path, kMaxDignityFileBytes);
    if (!bytes.ok()) {
        const std::string file(name);
        if (bytes.status().code() == StatusCode::kNotFound) {
            return Status(StatusCode::kNotFound, "Unable to open " + file + ".", "Error", path);
        }
        return Damaged(file);
    }
    return bytes;
}

}  // namespace

std::string EncodeRulershipScheme(const RulershipScheme& scheme) {
    startup::ByteWriter w;
    w.Text(scheme.name, kSchemeNameBytes);
    w.U8(static_cast<std::uint8_t>(scheme.number));
    for (int s = 1; s <= 12; ++s) {
        const SignRulers& r = scheme.signs[static_cast<std::size_t>(s)];
        w.U8(r.ruler);
        w.U8(r.co_ruler);
        w.U8(r.exaltation);
        w.U8(r.exaltation_degree);
    }
    w.Zeros(kRulershipRecordBytes - w.size());
    return w.Take();
}

std::string EncodeTriplicities(const TriplicityTable& table) {
    startup::ByteWriter w;
    for (const auto& element : table) {
        for (const TriplicityRulers& r : element) {
            w.U8(r.day);
            w.U8(r.night);
            w.U8(r.participating);
        }
    }
    return w.Take();
}

std::string EncodeDegrees(const DegreeTable& table) {
    startup::ByteWriter w;
    for (const DegreeRulers& d : table) {
        for (const std::uint8_t t : d.terms) {
            w.U8(t);
        }
        w.U8(d.face);
        w.U8(d.spare);
    }
    return w.Take();
}

std::string EncodeWeighting(const AlmutenWeighting& weighting) {
    startup::ByteWriter w;
    for (const int s : weighting.special) {
        w.I16(static_cast<std::int16_t>(s));
    }
    for (const int v : {weighting.ruler, weighting.exaltation, weighting.triplicity, weighting.term,
                        weighting.face}) {
        w.I16(static_cast<std::int16_t>(v));
    }
    w.U8(static_cast<std::uint8_t>(weighting.triplicity_scheme));
    w.U8(static_cast<std::uint8_t>(weighting.term_system));
    for (const bool f : weighting.scored) {
        w.I16(f ? -1 : 0);
    }
    w.I16(weighting.skip_unpositioned ? -1 : 0);
    w.I16(static_cast<std::int16_t>(weighting.rulership_scheme));
    w.I16(static_cast<std::int16_t>(weighting.degree_offset));
    w.I16(static_cast<std::int16_t>(weighting.final_option));
    w.Text(weighting.name, kWeightingNameBytes);
    w.Zeros(kWeightingRecordBytes - w.size());
    return w.Take();
}

startup::StatusOr<std::vector<RulershipScheme>> DecodeRulerships(std::string_view bytes,
                                                                 const std::string& file) {
    if (bytes.empty() || bytes.size() % kRulershipRecordBytes != 0) {
        return Damaged(file);
    }
    std::vector<RulershipScheme> schemes;
    for (std::size_t at = 0; at < bytes.size(); at += kRulershipRecordBytes) {
        startup::ByteReader r(bytes.substr(at, kRulershipRecordBytes));
        RulershipScheme scheme;
        scheme.name = r.Text(kSchemeNameBytes);
        scheme.number = r.U8();
        for (int s = 1; s <= 12; ++s) {
            SignRulers& sr = scheme.signs[static_cast<std::size_t>(s)];
            sr.ruler = r.U8();
            sr.co_ruler = r.U8();
            sr.exaltation = r.U8();
            sr.exaltation_degree = r.U8();
            if (!ValidCode(sr.ruler) || !ValidCode(sr.co_ruler) || !ValidCode(sr.exaltation) ||
                sr.exaltation_degree > 30) {
                return Damaged(file);
            }
        }
        if (!r.ok()) {
            return Damaged(file);
        }
        schemes.push_back(std::move(scheme));
    }
    return schemes;
}

startup::StatusOr<TriplicityTable> DecodeTriplicities(std::string_view bytes,
                                                      const std::string& file) {
    if (bytes.size() != 4 * kTriplicityRecordBytes) {
        return Damaged(file);
    }
    startup::ByteReader r(bytes);
    TriplicityTable table{};
    for (auto& element : table) {
        for (TriplicityRulers& t : element) {
            t.day = r.U8();
            t.night = r.U8();
            t.participating = r.U8();
            if (!ValidCode(t.day) || !ValidCode(t.night) || !ValidCode(t.participating)) {
                return Damaged(file);
            }
        }
    }
    return table;
}

startup::StatusOr<DegreeTable> DecodeDegrees(std::string_view bytes, const std::string& file) {
    if (bytes.size() != 360 * kDegreeRecordBytes) {
        return Damaged(file);
    }
    startup::ByteReader r(bytes);
    DegreeTable table{};
    for (DegreeRulers& d : table) {
        for (std::uint8_t& t : d.terms) {
            t = r.U8();
            if (!ValidCode(t)) {
                return Damaged(file);
            }
        }
        d.face = r.U8();
        d.spare = r.U8();
        if (!ValidCode(d.face)) {
            return Damaged(file);
        }
    }
    return table;
}

startup::StatusOr<AlmutenWeighting> DecodeWeighting(std::string_view bytes,
                                                    const std::string& file) {
    if (bytes.size() < kWeightingRecordBytes) {
        return Damaged(file);
    }
    startup::ByteReader r(bytes.substr(0, kWeightingRecordBytes));
    AlmutenWeighting w;
    for (int& s : w.special) {
        s = r.I16();
    }
    w.ruler = r.I16();
    w.exaltation = r.I16();
    w.triplicity = r.I16();
    w.term = r.I16();
    w.face = r.I16();
    w.triplicity_scheme = r.U8();
    w.term_system = r.U8();
    for (bool& f : w.scored) {
        f = r.I16() != 0;
    }
    w.skip_unpositioned = r.I16() != 0;
    w.rulership_scheme = r.I16();
    w.degree_offset = r.I16();
    w.final_option = r.I16();
    w.name = r.Text(kWeightingNameBytes);
    if (!r.ok() || w.triplicity_scheme >= kTriplicitySchemes || w.term_system >= kTermSystems ||
        (w.degree_offset != 0 && w.degree_offset != 1)) {
        return Damaged(file);
    }
    return w;
}

const RulershipScheme& DignityTables::Scheme(int number) const {
    for (const RulershipScheme& s : rulerships) {
        if (s.number == number) {
            return s;
        }
    }
    return rulerships.front();
}

std::filesystem::path DignityFilePath(std::string_view name) {
    return startup::CurrentSession().folders().user_files / kDignityFolder / name;
}

startup::StatusOr<const DignityTables*> LoadDignityTables() {
    DignityTablesCache& cache = startup::CurrentSession().Get<DignityTablesCache>();
    if (cache.loaded) {
        return &cache.tables;
    }
    auto rulers = ReadDignityFile(kRulersFile);
    if (!rulers.ok()) {
        return rulers.status();
    }
    auto schemes = DecodeRulerships(*rulers, std::string(kRulersFile));
    if (!schemes.ok()) {
        return schemes.status();
    }
    auto trip = ReadDignityFile(kTriplicityFile);
    if (!trip.ok()) {
        return trip.status();
    }
    auto triplicities = DecodeTriplicities(*trip, std::string(kTriplicityFile));
    if (!triplicities.ok()) {
        return triplicities.status();
    }
    auto deg = ReadDignityFile(kDegreeFile);
    if (!deg.ok()) {
        return deg.status();
    }
    auto degrees = DecodeDegrees(*deg, std::string(kDegreeFile));
    if (!degrees.ok()) {
        return degrees.status();
    }
    cache.tables.rulerships = std::move(*schemes);
    cache.tables.triplicities = *triplicities;
    cache.tables.degrees = *degrees;
    cache.loaded = true;
    return &cache.tables;
}

startup::StatusOr<AlmutenWeighting> LoadWeighting(std::string_view name) {
    auto bytes = ReadDignityFile(name);
    if (!bytes.ok()) {
        return bytes.status();
    }
    return DecodeWeighting(*bytes, std::string(name));
}

bool IsDayChart(double sun_longitude, double ascendant_longitude) {
    return astro::ModFloor(sun_longitude - ascendant_longitude, 360.0) > 180.0;
}

namespace {

// The holders of the dignities at a longitude under a weighting.
struct DegreeHolders {
    const SignRulers* sign = nullptr;
    const SignRulers* opposite = nullptr;
    std::array<int, 2> triplicity{};  // the ruler by sect and the participating ruler
    int term = 0;
    int face = 0;
};

DegreeHolders HoldersAt(double longitude, bool day_chart, const DignityTables& tables,
                        const AlmutenWeighting& w) {
    const double o = w.degree_offset;
    const double shifted = astro::ModFloor(longitude - o, 360.0);
    const int s = SignOfLongitude(shifted);
    const int e = (s - 1) % 4;
    const int d = static_cast<int>(std::fmod(shifted, 30.0) / 10.0) % 3 + 1;
    int degree = static_cast<int>(astro::ModFloor(longitude, 360.0)) % 360 + 1;
    if (w.degree_offset == 1 && (degree - 1) % 30 == 0) {
        degree = (degree + 358) % 360 + 1;
    }
    const RulershipScheme& scheme = tables.Scheme(w.rulership_scheme);
    DegreeHolders h;
    h.sign = &scheme.signs[static_cast<std::size_t>(s)];
    h.opposite = &scheme.signs[static_cast<std::size_t>((s + 5) % 12 + 1)];
    const TriplicityRulers& t = tables.triplicities[static_cast<std::size_t>(
        e)][static_cast<std::size_t>(std::clamp(w.triplicity_scheme, 0, kTriplicitySchemes - 1))];
    // The triplicity ruler of the chart's sect and the participating ruler share the
    // triplicity (Dorothean practice; a scheme without a participating ruler gives only the
    // ruler by sect, as Lilly's table).
    h.triplicity = {day_chart ? t.day : t.night, t.participating};
    h.term = tables.degrees[static_cast<std::size_t>(degree - 1)]
                 .terms[static_cast<std::size_t>(std::clamp(w.term_system, 0, kTermSystems - 1))];
    h.face = tables
                 .degrees[(static_cast<std::size_t>(s) - 1) * 30 +
                          (static_cast<std::size_t>(d) - 1) * 10]
                 .face;
    return h;
}

}  // namespace

DignityScore ScoreDignities(int planet, double longitude, bool day_chart,
                            const DignityTables& tables, const AlmutenWeighting& w) {
    DignityScore score;
    if (planet <= 0 || longitude < 0.0) {
        return score;
    }
    const DegreeHolders h = HoldersAt(longitude, day_chart, tables, w);
    if (w.scored[0] && (h.sign->ruler == planet || h.sign->co_ruler == planet)) {
        score.ruler = w.ruler;
    }
    if (w.scored[1] && h.sign->exaltation == planet) {
        score.exaltation = w.exaltation;
    }
    if (w.scored[2] && (h.triplicity[0] == planet || h.triplicity[1] == planet)) {
        score.triplicity = w.triplicity;
    }
    if (w.scored[3] && h.term == planet) {
        score.term = w.term;
    }
    if (w.scored[4] && h.face == planet) {
        score.face = w.face;
    }
    if (w.scored[0] && (h.opposite->ruler == planet || h.opposite->co_ruler == planet)) {
        score.detriment = -w.ruler;
    }
    if (w.scored[1] && h.opposite->exaltation == planet) {
        score.fall = -w.exaltation;
    }
    return score;
}

std::vector<AlmutenCandidate> AlmutenOfDegree(double longitude, bool day_chart,
                                              const DignityTables& tables,
                                              const AlmutenWeighting& w,
                                              std::vector<AlmutenCandidate>* all) {
    const DegreeHolders h = HoldersAt(longitude, day_chart, tables, w);
    std::array<int, kLastPointCode + 1> totals{};
    std::array<bool, kLastPointCode + 1> candidate{};
    auto add = [&](int planet, int weight, bool scored) {
        if (planet <= 0 || planet > kLastPointCode) {
            return;
        }
        candidate[static_cast<std::size_t>(planet)] = true;
        if (scored) {
            totals[static_cast<std::size_t>(planet)] += weight;
        }
    };
    add(h.sign->ruler, w.ruler, w.scored[0]);
    add(h.sign->co_ruler, w.ruler, w.scored[0]);
    add(h.sign->exaltation, w.exaltation, w.scored[1]);
    add(h.triplicity[0], w.triplicity, w.scored[2]);
    if (h.triplicity[1] != h.triplicity[0]) {
        add(h.triplicity[1], w.triplicity, w.scored[2]);
    }
    add(h.term, w.term, w.scored[3]);
    add(h.face, w.face, w.scored[4]);
    std::vector<AlmutenCandidate> candidates;
    for (int p = 1; p <= kLastPointCode; ++p) {
        if (candidate[static_cast<std::size_t>(p)]) {
            candidates.push_back({p, totals[static_cast<std::size_t>(p)]});
        }
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const AlmutenCandidate& a, const AlmutenCandidate& b) { return a.total > b.total; });
    std::vector<AlmutenCandidate> best;
    for (const AlmutenCandidate& c : candidates) {
        if (c.total == candidates.front().total) {
            best.push_back(c);
        }
    }
    if (all != nullptr) {
        *all = std::move(candidates);
    }
    return best;
}

}  // namespace meridia::reports
