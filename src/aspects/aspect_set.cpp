#include "aspects/aspect_set.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <system_error>

#include "aspects/aspect_manager.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/session.h"

namespace meridia::aspects {

namespace {

struct StandardRow {
    const char* name;
    const char* abbreviation;
    double angle;
    float harmonic;
    int weight;
    bool enabled;
    std::int32_t colour;
    int line_style;
    double natal_orb;
};

// The standard set as the program ships it; angles of the sevenths and elevenths are the
// stored decimal values, not exact fractions of the circle.
constexpr StandardRow kStandardRows[kStandardAspectCount] = {
    {"Conjunction", "Cnj", 0, 1, 100, true, 0xC0C0C0, 0, 9},
    {"Opposition", "Opp", 180, 2, 95, true, 0x0000FF, 0, 9},
    {"Trine", "Tri", 120, 3, 70, true, 0xFF0000, 0, 9},
    {"Square", "Sqr", 90, 4, 90, true, 0x0000FF, 0, 9},
    {"Sextile", "Sxt", 60, 6, 30, true, 0xFF0000, 1, 4},
    {"Semisquare", "SSq", 45, 8, 45, true, 0x0000FF, 2, 2},
    {"Sesquisquare", "Sqq", 135, 8, 41, true, 0x0000FF, 1, 2.5},
    {"Semisextile", "SSx", 30, 12, 15, true, 0xFF0000, 2, 1.5},
    {"Quincunx", "Qnx", 150, 12, 60, true, 0x008000, 3, 2.5},
    {"Quintile", "Qnt", 72, 5, 50, false, 0xFFFF00, 0, 2},
    {"BiQuintile", "BQnl", 144, 5, 49, false, 0xFFFF00, 1, 2},
    {"Decile", "Dec", 36, 10, 25, false, 0xFFFF00, 2, 1.5},
    {"SesquiQuintile", "SqQn", 108, 10, 24, false, 0xFFFF00, 3, 1.5},
    {"Septile", "Spt", 51.4286, 7, 40, false, 0xFF00FF, 0, 1.5},
    {"BiSeptile", "BSpt", 102.8571, 7, 39, false, 0xFF00FF, 1, 1.5},
    {"TriSeptile", "TSpt", 154.2857, 7, 38, false, 0xFF00FF, 3, 1.5},
    {"Novile", "Nov", 40, 9, 20, false, 0x808080, 0, 1.5},
    {"BiNovile", "BNv", 80, 9, 19, false, 0x808080, 1, 1.5},
    {"QuadriNovile", "QNv", 160, 9, 18, false, 0x808080, 3, 1.5},
    {"Undecile", "Und", 32.727, 11, 10, false, 0x808080, 0, 1.5},
    {"BiUndecile", "BiUn", 65.4545, 11, 9, false, 0x808080, 1, 1.5},
    {"TriUndecile", "TrUn", 98.1818, 11, 8, false, 0x808080, 2, 1.5},
    {"QuadriUndecile", "QaUn", 130.909, 11, 7, false, 0x808080, 3, 1.5},
    {"QuinqueUndecile", "QiUn", 163.6363, 11, 6, false, 0x808080, 4, 1.5},
    {"Parallel", "Pll", 0, 1, 99, true, 0xC0C0C0, 0, 1},
    {"ContraParallel", "Cpl", 0, 2, 89, true, 0xC0C0C0, 0, 1},
};

std::int16_t Flag(bool value) { return static_cast<std::int16_t>(value ? -1 : 0); }

void ReadOrbs(startup::ByteReader& reader, AspectRecord& aspect, bool singles) {
    for (auto& group : aspect.orbs) {
        for (double& orb : group) {
            orb = singles ? static_cast<double>(reader.F32()) : reader.F64();
        }
    }
}

AspectRecord ReadRecord(startup::ByteReader& reader) {
    AspectRecord aspect;
    aspect.number = reader.I16();
    aspect.name = reader.Text(20);
    aspect.abbreviation = reader.Text(4);
    aspect.glyph = reader.U8();
    aspect.angle = reader.F64();
    aspect.weight = reader.I16();
    aspect.harmonic = reader.F32();
    aspect.enabled = reader.I16() == -1;
    aspect.colour = reader.I32();
    aspect.line_style = reader.I16();
    ReadOrbs(reader, aspect, false);
    return aspect;
}

void WriteRecord(startup::ByteWriter& writer, const AspectRecord& aspect) {
    writer.I16(static_cast<std::int16_t>(aspect.number));
    writer.Text(aspect.name, 20);
    writer.Text(aspect.abbreviation, 4);
    writer.U8(aspect.glyph);
    writer.F64(aspect.angle);
    writer.I16(static_cast<std::int16_t>(aspect.weight));
    writer.F32(aspect.harmonic);
    writer.I16(Flag(aspect.enabled));
    writer.I32(aspect.colour);
    writer.I16(static_cast<std::int16_t>(aspect.line_style));
    for (const auto& group : aspect.orbs) {
        for (const double orb : group) {
            writer.F64(orb);
        }
    }
}

enum class DecodeStatus { kLoaded, kWrongVersion, kDamaged };

// Decodes a non-empty file's bytes over a copy of the standard set.
DecodeStatus DecodeAspectSet(std::string_view bytes, const std::string& file_name, AspectSet& out) {
    startup::ByteReader reader(bytes);
    const int version = reader.I16();
    if (!reader.ok()) {
        return DecodeStatus::kDamaged;
    }
    AspectSet set = StandardAspectSet();
    if (version > 1) {
        return DecodeStatus::kWrongVersion;
    }
    if (version <= 0) {
        // Older layout: one 50-byte record per standard aspect, an enabled flag and twelve
        // single-precision orbs, read over the standard set for as many records as present.
        set.header.description = "Edit this description in the Aspect Editor - " + file_name;
        startup::ByteReader old_reader(bytes);
        for (auto& aspect : set.aspects) {
            if (old_reader.remaining() < kOldRecordBytes) {
                break;
            }
            aspect.enabled = old_reader.I16() == -1;
            ReadOrbs(old_reader, aspect, true);
        }
        BuildActiveAspects(set);
        out = std::move(set);
        return DecodeStatus::kLoaded;
    }
    set.header.version = version;
    set.header.description = reader.Text(80);
    set.header.orb_method = reader.I16();
    set.header.moieties = reader.I16() == -1;
    set.header.three_d = reader.I16() == -1;
    set.header.unidirectional = reader.I16() == -1;
    const int count = reader.I16();
    if (!reader.ok() || count < 2 ||
        reader.remaining() < static_cast<std::size_t>(count) * kAspectRecordBytes) {
        return DecodeStatus::kDamaged;
    }
    set.aspects.clear();
    set.aspects.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        set.aspects.push_back(ReadRecord(reader));
    }
    for (int p = 1; p <= kMaxRatioPoints && reader.remaining() >= 4; ++p) {
        set.ratios[static_cast<std::size_t>(p)] = reader.F32();
    }
    BuildActiveAspects(set);
    out = std::move(set);
    return DecodeStatus::kLoaded;
}

}  // namespace

double AspectRecord::Orb(OrbGroup group, int orb_kind) const {
    const int kind = std::clamp(orb_kind, kOrbNatal, kOrbTransit);
    return orbs[static_cast<std::size_t>(group)][static_cast<std::size_t>(kind - 1)];
}

AspectSet StandardAspectSet() {
    AspectSet set;
    set.header.version = 1;
    set.header.description = "Standard Aspect Set";
    set.aspects.reserve(kStandardAspectCount);
    int number = 0;
    for (const StandardRow& row : kStandardRows) {
        AspectRecord aspect;
        aspect.number = ++number;
        aspect.name = row.name;
        aspect.abbreviation = row.abbreviation;
        aspect.angle = row.angle;
        aspect.harmonic = row.harmonic;
        aspect.weight = row.weight;
        aspect.enabled = row.enabled;
        aspect.colour = row.colour;
        aspect.line_style = row.line_style;
        for (auto& group : aspect.orbs) {
            group = {row.natal_orb, 1.0, 1.0};
        }
        set.aspects.push_back(aspect);
    }
    set.ratios.fill(1.0F);
    set.ratios[0] = 0.0F;
    BuildActiveAspects(set);
    return set;
}

void BuildActiveAspects(AspectSet& set) {
    ActiveAspects active;
    const int longitude_count = std::max(0, set.LongitudeCount());
    for (int k = 1; k <= longitude_count; ++k) {
        active.sorted.push_back(k);
    }
    auto key = [&set](int k) {
        const AspectRecord& a = set.Aspect(k);
        // A damaged angle (not a number) sorts with the disabled aspects, so the order stays
        // well defined.
        return a.enabled && std::isfinite(a.angle) ? a.angle : 999.0;
    };
    std::stable_sort(active.sorted.begin(), active.sorted.end(),
                     [&key](int a, int b) { return key(a) < key(b); });
    for (std::size_t i = 0; i < set.aspects.size(); ++i) {
        const AspectRecord& aspect = set.aspects[i];
        if (!aspect.enabled) {
            continue;
        }
        if (static_cast<int>(i) < longitude_count && std::isfinite(aspect.angle)) {
            ++active.enabled_count;
        }
        for (std::size_t kind = 0; kind < 3; ++kind) {
            for (const auto& group : aspect.orbs) {
                active.max_orb[kind] = std::max(active.max_orb[kind], group[kind]);
            }
            if (aspect.orbs[0][kind] != aspect.orbs[2][kind] ||
                aspect.orbs[1][kind] != aspect.orbs[3][kind]) {
                active.equal_orbs = false;
            }
        }
    }
    // Keep the records' numbers equal to their positions, as the file layout requires.
    for (std::size_t i = 0; i < set.aspects.size(); ++i) {
        set.aspects[i].number = static_cast<int>(i + 1);
    }
    set.active = std::move(active);
}

startup::Status LoadAspectSet(const std::filesystem::path& file_name, bool show_messages,
                              AspectSet& set) {
    const std::filesystem::path path =
        file_name.empty() ? AspectFilePath(startup::CurrentSession().settings().GetString(
                                std::string(kAspectFileKey)))
                          : file_name;
    const std::string name = path.string();
    const auto refuse = [&](startup::StatusCode code, std::string text, std::string title,
                            int style) {
        startup::Status status(code, std::move(text), std::move(title), path);
        if (show_messages) {
            status.Show(style);
        }
        return status;
    };
    const auto bytes = startup::ReadFileLimited(path, kMaxAspectFileBytes);
    if (!bytes.ok() && bytes.status().code() != startup::StatusCode::kDamaged) {
        // A missing or unopenable file is only reported back.
        return {bytes.status().code(), "Aspect file " + name + " could not be loaded.", {}, path};
    }
    if (bytes.ok() && bytes->empty()) {
        return refuse(startup::StatusCode::kDamaged,
                      "Aspect file " + name +
                          " is empty. Your previous aspect selection will remain in effect "
                          "until you edit this file or select another file which is not empty.",
                      "Empty File", startup::kOkOnly);
    }
    const DecodeStatus decoded = bytes.ok() ? DecodeAspectSet(*bytes, path.filename().string(), set)
                                            : DecodeStatus::kDamaged;  // larger than any aspect set
    switch (decoded) {
        case DecodeStatus::kLoaded:
            return startup::Status::Ok();
        case DecodeStatus::kWrongVersion:
            return refuse(startup::StatusCode::kWrongVersion,
                          "Aspect file " + name +
                              " has an invalid version number. Your previous aspect selection "
                              "will remain in effect until you edit this file or select "
                              "another file.",
                          "Wrong Version", startup::kExclamation);
        case DecodeStatus::kDamaged:
            break;
    }
    // A file too short for its own aspect count, or too long for any aspect set: refused like
    // a wrong version, so the user learns why the set did not change.
    return refuse(startup::StatusCode::kDamaged,
                  "Aspect file " + name +
                      " is damaged. Your previous aspect selection will remain in effect until "
                      "you edit this file or select another file.",
                  "Damaged File", startup::kExclamation);
}

std::string EncodeAspectSet(const AspectSet& set) {
    startup::ByteWriter writer;
    writer.I16(1);
    writer.Text(set.header.description, 80);
    writer.I16(static_cast<std::int16_t>(set.header.orb_method));
    writer.I16(Flag(set.header.moieties));
    writer.I16(Flag(set.header.three_d));
    writer.I16(Flag(set.header.unidirectional));
    writer.I16(static_cast<std::int16_t>(set.aspects.size()));
    for (std::size_t i = 0; i < set.aspects.size(); ++i) {
        AspectRecord record = set.aspects[i];
        record.number = static_cast<int>(i + 1);
        WriteRecord(writer, record);
    }
    for (int p = 1; p <= kMaxRatioPoints; ++p) {
        writer.F32(set.ratios[static_cast<std::size_t>(p)]);
    }
    return writer.bytes();
}

bool SaveAspectSet(const std::filesystem::path& path, const AspectSet& set) {
    if (set.aspects.size() < 2 || set.aspects.size() > 32767) {
        return false;
    }
    return startup::WriteFileSafely(path, EncodeAspectSet(set),
                                    startup::WriteOptions::CreatingFolders())
        .ok();
}

}  // namespace meridia::aspects
