#include "returns/eclipses.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <system_error>

#include "aspects/aspect_find.h"
#include "aspects/chart_aspects.h"
#include "astro/angles.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/time_scales.h"
#include "returns/longitude_solver.h"
#include "startup/file_io.h"
#include "startup/session.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/zodiac_text.h"

namespace meridia::returns {

namespace {

constexpr double kInitialBestDistance = 99999999999.0;
constexpr int kMaxLookupSteps = 200;
constexpr int kTransitOrbs = 3;
constexpr int kChunkBlocks = 128;

std::optional<std::string> ReadBlock(const std::filesystem::path& path, EclipseKind kind, int n) {
    const std::size_t size = BlockSize(kind);
    return startup::ReadFileRange(path, static_cast<std::uintmax_t>(n) * size, size);
}

}  // namespace

std::string EclipseTypeText(EclipseKind kind, int type) {
    static constexpr std::array<const char*, 4> kSolar = {"Partial", "Annular", "Total", "Hybrid"};
    static constexpr std::array<const char*, 3> kLunar = {"Appulse", "Partial", "Total"};
    if (type < 0) {
        return {};
    }
    const auto index = static_cast<std::size_t>(type);
    if (kind == EclipseKind::kSolar) {
        return index < kSolar.size() ? kSolar[index] : "";
    }
    return index < kLunar.size() ? kLunar[index] : "";
}

double EclipseJulianDay(const EclipseRecord& r) {
    return textformats::JulianDay(r.day, r.month, r.year,
                                  r.hour + r.minute / 60.0 + r.second / 3600.0);
}

std::filesystem::path EclipseCatalogueClass::DefaultPath(EclipseKind kind) {
    return startup::CurrentSession().folders().program /
           (kind == EclipseKind::kSolar ? kSolarCatalogueName : kLunarCatalogueName);
}

startup::StatusOr<EclipseCatalogueClass> EclipseCatalogueClass::Open(
    const std::filesystem::path& path, EclipseKind kind) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return startup::Status(startup::StatusCode::kNotFound, "", "", path);
    }
    const auto head = startup::ReadFileRange(path, 0, kCatalogueHeaderSize);
    const auto header = head ? DecodeCatalogueHeader(*head) : std::nullopt;
    const std::uintmax_t block = BlockSize(kind);
    if (!header || header->count < 0 || header->first_day > header->last_day ||
        (static_cast<std::uintmax_t>(header->count) + 1) * block > size) {
        return startup::Status(startup::StatusCode::kDamaged, "", "", path);
    }
    EclipseCatalogueClass catalogue;
    catalogue.path_ = path;
    catalogue.kind_ = kind;
    catalogue.header_ = *header;
    return catalogue;
}

std::optional<EclipseEntry> EclipseCatalogueClass::Read(int n) const {
    if (n < 1 || n > header_.count) {
        return std::nullopt;
    }
    const auto block = ReadBlock(path_, kind_, n);
    return block ? Decode(*block, n) : std::nullopt;
}

std::vector<EclipseEntry> EclipseCatalogueClass::ReadMany(int first, int count) const {
    std::vector<EclipseEntry> entries;
    first = std::max(first, 1);
    count = std::min(count, header_.count - first + 1);
    if (count <= 0) {
        return entries;
    }
    const std::size_t size = BlockSize(kind_);
    const auto bytes = startup::ReadFileRange(path_, static_cast<std::uintmax_t>(first) * size,
                                              static_cast<std::size_t>(count) * size);
    if (!bytes) {
        return entries;
    }
    const std::string_view view(*bytes);
    for (int i = 0; i < count; ++i) {
        auto entry = Decode(view.substr(static_cast<std::size_t>(i) * size, size), first + i);
        if (!entry) {
            break;  // a damaged block ends the list
        }
        entries.push_back(*entry);
    }
    return entries;
}

std::optional<EclipseEntry> EclipseCatalogueClass::Decode(std::string_view block, int n) const {
    const auto record = DecodeEclipseRecord(block, kind_);
    if (!record) {
        return std::nullopt;
    }
    EclipseEntry entry;
    entry.ec_type = kind_ == EclipseKind::kSolar ? 1 : 2;
    entry.record = n;
    entry.data = *record;
    entry.ec_jd = EclipseJulianDay(*record);
    entry.position = record->longitude;
    return entry;
}

int EclipseCatalogueClass::FirstAtOrAfter(double jd_ut) const {
    int lo = 1;
    int hi = header_.count + 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const auto entry = Read(mid);
        if (!entry) {
            return header_.count + 1;
        }
        if (entry->ec_jd < jd_ut) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

NearestEclipse NearestEclipseIn(const std::filesystem::path& path, EclipseKind kind, double jd1,
                                double jd2) {
    NearestEclipse result;
    const auto catalogue = EclipseCatalogueClass::Open(path, kind);
    if (!catalogue.ok() || catalogue->count() < 1) {
        return result;
    }
    const CatalogueHeader& header = catalogue->header();
    const double spacing =
        std::max(1.0, static_cast<double>(header.last_day - header.first_day) / header.count);
    const double target = 0.5 * (jd1 + jd2);
    double offset = target - header.first_day;
    int n = 1;
    double best_distance = kInitialBestDistance;
    double best_jd = 0.0;
    for (int step = 0; step < kMaxLookupSteps; ++step) {
        int next = n;
        if (std::fabs(offset) >= 2.0 * spacing) {
            next += static_cast<int>(std::floor(offset / spacing));
        } else {
            next += offset < 0.0 ? -1 : 1;
        }
        next = std::clamp(next, 1, catalogue->count());
        const auto entry = catalogue->Read(next);
        if (!entry) {
            return result;  // a damaged block ends the lookup with no eclipse
        }
        offset = target - entry->ec_jd;
        if (std::fabs(offset) >= best_distance) {
            break;
        }
        best_distance = std::fabs(offset);
        best_jd = entry->ec_jd;
        n = next;
    }
    if (best_distance < kInitialBestDistance && best_jd >= jd1 && best_jd <= jd2) {
        result.found = true;
        result.kind = kind == EclipseKind::kSolar ? 1 : 2;
        result.jd_ut = best_jd;
    }
    return result;
}

NearestEclipse FindNearestEclipse(double jd1, double jd2) {
    const NearestEclipse solar = NearestEclipseIn(
        EclipseCatalogueClass::DefaultPath(EclipseKind::kSolar), EclipseKind::kSolar, jd1, jd2);
    const NearestEclipse lunar = NearestEclipseIn(
        EclipseCatalogueClass::DefaultPath(EclipseKind::kLunar), EclipseKind::kLunar, jd1, jd2);
    if (!lunar.found) {
        return solar;
    }
    if (!solar.found) {
        return lunar;
    }
    const double target = 0.5 * (jd1 + jd2);
    return std::fabs(lunar.jd_ut - target) < std::fabs(solar.jd_ut - target) ? lunar : solar;
}

std::optional<EclipseEntry> NextEclipse(EclipseKind kind, double jd_ut) {
    const auto catalogue =
        EclipseCatalogueClass::Open(EclipseCatalogueClass::DefaultPath(kind), kind);
    if (!catalogue.ok()) {
        return std::nullopt;
    }
    int n = catalogue->FirstAtOrAfter(jd_ut);
    auto entry = catalogue->Read(n);
    if (entry && entry->ec_jd <= jd_ut) {
        entry = catalogue->Read(++n);
    }
    return entry;
}

std::optional<EclipseEntry> PreviousEclipse(EclipseKind kind, double jd_ut) {
    const auto catalogue =
        EclipseCatalogueClass::Open(EclipseCatalogueClass::DefaultPath(kind), kind);
    if (!catalogue.ok()) {
        return std::nullopt;
    }
    return catalogue->Read(catalogue->FirstAtOrAfter(jd_ut) - 1);
}

namespace {

bool PassesType(const EclipseSearch& search, const EclipseEntry& entry) {
    const int type = entry.data.type;
    if (entry.kind() == EclipseKind::kSolar) {
        return search.all_solar ||
               (type >= 0 && type < 4 && search.solar_types[static_cast<std::size_t>(type)]);
    }
    return search.all_lunar ||
           (type >= 0 && type < 3 && search.lunar_types[static_cast<std::size_t>(type)]);
}

// The aspect filter: the eclipse's place (the Sun of a solar, the Moon of a lunar eclipse, in
// the radix chart's zodiac or the default zodiac) against the fixed position or the radix
// points, with the transit orbs of the set. The first aspect found goes into the entry.
bool PassesAspects(const EclipseSearch& search, EclipseEntry& entry) {
    if (search.aspect_mode == EclipseAspectMode::kNone) {
        return true;
    }
    const bool radix = search.aspect_mode == EclipseAspectMode::kRadixChart;
    if (radix && !astro::IsValidSlot(search.radix_slot)) {
        return false;
    }
    const int zodiac = radix ? astro::Slot(search.radix_slot).record.zodiac : 0;
    const double jd_et = entry.ec_jd + astro::DeltaT(entry.ec_jd);
    entry.position =
        astro::Norm360(entry.data.longitude + FrameOffset(FrameFromSettings(zodiac), jd_et));
    aspects::AspectPoint eclipse;
    eclipse.chart = -1;
    eclipse.point = entry.kind() == EclipseKind::kSolar ? astro::kSun : astro::kMoon;
    eclipse.longitude = entry.position;
    entry.aspect_count = 0;
    const auto consider = [&](const aspects::AspectPoint& other) {
        const aspects::AspectResult result =
            aspects::FindAspect(search.aspect_set, eclipse, other, kTransitOrbs, false);
        if (!result.found()) {
            return;
        }
        if (entry.aspect_count == 0) {
            entry.aspect = result.aspect;
            entry.aspect_point = other.point;
            entry.aspect_orb = result.deviation;
        }
        ++entry.aspect_count;
    };
    if (radix) {
        const astro::ChartSlot& slot = astro::Slot(search.radix_slot);
        for (const int point : search.points) {
            if (point < 1 || point > astro::kMaxPoints ||
                slot.longitude[static_cast<std::size_t>(point)] < 0.0) {
                continue;
            }
            consider(aspects::AspectPointOf(slot, search.radix_slot, point));
        }
    } else {
        aspects::AspectPoint fixed;
        fixed.chart = -2;
        fixed.point = eclipse.point;
        fixed.longitude = search.fixed_position;
        consider(fixed);
    }
    return entry.aspect_count > 0;
}

}  // namespace

std::vector<EclipseEntry> SearchEclipses(const EclipseSearch& search) {
    std::vector<EclipseEntry> found;
    const auto path_of = [&](EclipseKind kind) {
        return search.folder.empty()
                   ? EclipseCatalogueClass::DefaultPath(kind)
                   : search.folder /
                         (kind == EclipseKind::kSolar ? kSolarCatalogueName : kLunarCatalogueName);
    };
    const bool want_solar = search.all_solar || search.solar_types[0] || search.solar_types[1] ||
                            search.solar_types[2] || search.solar_types[3];
    const bool want_lunar =
        search.all_lunar || search.lunar_types[0] || search.lunar_types[1] || search.lunar_types[2];
    // The eclipses of one file from the start on, read a chunk of blocks at a time.
    struct Cursor {
        std::optional<EclipseCatalogueClass> catalogue;
        int n = 0;  // the block after the buffered ones
        std::deque<EclipseEntry> buffered;
        bool ended = false;
        void Fill() {
            if (buffered.empty() && !ended && catalogue) {
                const auto chunk = catalogue->ReadMany(n, kChunkBlocks);
                buffered.assign(chunk.begin(), chunk.end());
                n += kChunkBlocks;
                ended = static_cast<int>(chunk.size()) < kChunkBlocks;
            }
        }
        double Day() {
            Fill();
            return buffered.empty() ? kNoMoreEclipses : buffered.front().ec_jd;
        }
    };
    const auto open = [&](EclipseKind kind, bool wanted) {
        Cursor cursor;
        if (!wanted) {
            return cursor;
        }
        auto catalogue = EclipseCatalogueClass::Open(path_of(kind), kind);
        if (catalogue.ok()) {
            cursor.catalogue = *catalogue;
            cursor.n = cursor.catalogue->FirstAtOrAfter(search.from_jd_ut);
        }
        return cursor;
    };
    Cursor solar = open(EclipseKind::kSolar, want_solar);
    Cursor lunar = open(EclipseKind::kLunar, want_lunar);
    while (true) {
        Cursor& next = solar.Day() <= lunar.Day() ? solar : lunar;
        if (next.Day() >= kNoMoreEclipses || next.Day() > search.to_jd_ut) {
            break;
        }
        EclipseEntry entry = next.buffered.front();
        next.buffered.pop_front();
        if (!PassesType(search, entry) ||
            (!search.all_saros && entry.data.saros_vdb != search.saros) ||
            !PassesAspects(search, entry)) {
            continue;
        }
        found.push_back(entry);
    }
    return found;
}

std::vector<std::string> EclipseReportHeader(
    const EclipseSearch& search, const std::string& from_text, const std::string& to_text,
    const std::string& position_text, const std::string& radix_name,
    const std::string& aspect_set_name, const std::string& point_set_name) {
    std::vector<std::string> lines;
    lines.push_back("Search Date Range: From " + from_text + " To " + to_text);
    // The selected type names joined with ", " and "and ".
    const auto joined = [](const std::vector<std::string>& names) {
        std::string text;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i > 0) {
                text += i + 1 == names.size() ? (names.size() > 2 ? ", and " : " and ") : ", ";
            }
            text += names[i];
        }
        return text;
    };
    std::vector<std::string> parts;
    if (search.all_solar) {
        parts.emplace_back("All Solar Eclipses");
    } else {
        std::vector<std::string> names;
        for (int t = 0; t < 4; ++t) {
            if (search.solar_types[static_cast<std::size_t>(t)]) {
                names.push_back(EclipseTypeText(EclipseKind::kSolar, t));
            }
        }
        if (!names.empty()) {
            parts.push_back(joined(names) + " Solar Eclipses");
        }
    }
    if (search.all_lunar) {
        parts.emplace_back("All Lunar Eclipses");
    } else {
        std::vector<std::string> names;
        for (int t = 0; t < 3; ++t) {
            if (search.lunar_types[static_cast<std::size_t>(t)]) {
                names.push_back(EclipseTypeText(EclipseKind::kLunar, t));
            }
        }
        if (!names.empty()) {
            parts.push_back(joined(names) + " Lunar Eclipses");
        }
    }
    std::string types;
    for (const std::string& part : parts) {
        types += (types.empty() ? "" : ", ") + part;
    }
    lines.push_back("Eclipse Types: " + types);
    lines.push_back(search.all_saros ? std::string("Saros Number: All Saros Numbers")
                                     : "Saros Number: " + std::to_string(search.saros));
    if (search.aspect_mode == EclipseAspectMode::kFixedPosition) {
        lines.push_back("Eclipse Aspects: Find only eclipses with aspects to fixed position: " +
                        position_text + "  Aspect Set: " + aspect_set_name);
    } else if (search.aspect_mode == EclipseAspectMode::kRadixChart) {
        lines.push_back(
            "Eclipse Aspects: Find only eclipses with aspects to radix chart: " + radix_name +
            "  Aspect Set: " + aspect_set_name + ", Point Set: " + point_set_name);
    }
    lines.emplace_back(kMaximumNote);
    return lines;
}

astro::ChartRecord EclipseChartRecord(const EclipseEntry& entry, const astro::ChartRecord& place) {
    astro::ChartRecord record = place;
    record.chart_class = 1;
    record.chart_kind = 1;
    record.event_type = 3;
    record.data.calendar = 0;
    record.data.date_time = astro::LocalDateTime(entry.ec_jd, place.data.zone.hours);
    record.data.name =
        EclipseTypeText(entry.kind(), entry.data.type) +
        (entry.kind() == EclipseKind::kSolar ? " Solar Eclipse (NM)" : " Lunar Eclipse (FM)");
    return record;
}

std::vector<EclipseColumn> StandardEclipseColumns() {
    return {
        {1, false, false, "S/L", "", "Solar/Lunar", true},
        {2, false, false, "", "", "Type", true},
        {3, false, false, "", "", "Date", true},
        {4, false, false, "UT", "Time", "Time (UT)", true},
        {5, false, false, "", "", "Position", true},
        {6, false, false, "vdB", "Saros #", "Saros No (van den Bergh)", true},
        {7, false, false, "J/B", "", "Saros No (Jansky/Brady)", true},
        {8, false, false, "", "", "Gamma", true},
        {9, false, false, "Umbral", "Magnitude", "Magnitude / Umbral Magnitude", true},
        {10, true, false, "Penumb", "", "Penumbral Magnitude", true},
        {11, false, true, "Min:Sec", "Duration", "Duration Total (Minutes:Seconds)", true},
        {12, true, false, "Hr:Min", "SD Total", "SemiDuration Total (Hours:Minutes)", true},
        {13, true, false, "SD Partial", "", "SemiDuration Partial (Hours:Minutes)", true},
    };
}

std::string TextDataIn(const EclipseEntry& entry, int column_type) {
    const EclipseRecord& r = entry.data;
    const bool solar = entry.kind() == EclipseKind::kSolar;
    char text[64] = {0};
    switch (column_type) {
        case 1:
            return solar ? "Solar" : "Lunar";
        case 2:
            return EclipseTypeText(entry.kind(), r.type);
        case 3:
            return textformats::FormatDate(r.day, r.month, r.year,
                                           textformats::CalendarMode::kAutomatic);
        case 4:
            std::snprintf(text, sizeof text, "%2d:%02d:%02d", r.hour, r.minute, r.second);
            return text;
        case 5:
            return textformats::FormatZodiacPosition(entry.position);
        case 6:
            return std::to_string(r.saros_vdb);
        case 7:
            return std::to_string(r.saros_jb);
        case 8:
            std::snprintf(text, sizeof text, "%.4f", r.gamma);
            return text;
        case 9:
            std::snprintf(text, sizeof text, "%.4f", r.magnitude);
            return text;
        case 10:
            if (solar) {
                return {};
            }
            std::snprintf(text, sizeof text, "%.4f", r.penumbral_magnitude);
            return text;
        case 11: {
            if (!solar) {
                return {};
            }
            const long seconds = std::lround(r.duration_seconds);
            std::snprintf(text, sizeof text, "%ld:%02ld", seconds / 60, seconds % 60);
            return text;
        }
        case 12:
        case 13: {
            if (solar) {
                return {};
            }
            const double minutes =
                column_type == 12 ? r.semi_duration_total_minutes : r.semi_duration_partial_minutes;
            const long whole = std::lround(minutes);
            std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
            return text;
        }
        default:
            return {};
    }
}

}  // namespace meridia::returns
