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
#include "astro/extra_points.h"
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
    // The header's days come from the file: subtract them as doubles so that any pair of
    // values gives a number, never an overflow.
    const double spacing = std::max(
        1.0, (static_cast<double>(header.last_day) - static_cast<double>(header.first_day)) /
                 header.count);
    const double target = 0.5 * (jd1 + jd2);
    double offset = target - header.first_day;
    int n = 1;
    double best_distance = kInitialBestDistance;
    double best_jd = 0.0;
    for (int step = 0; step < kMaxLookupSteps; ++step) {
        int next = n;
        if (std::fabs(offset) >= 2.0 * spacing) {
            // Summed and clamped as doubles before the conversion: a hostile header may put
            // the target far away.
            next = static_cast<int>(std::clamp(n + std::floor(offset / spacing), 1.0,
                                               static_cast<double>(catalogue->count())));
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

std::optional<EclipseEntry> PriorEclipse(double jd_ut) {
    const auto solar = PreviousEclipse(EclipseKind::kSolar, jd_ut);
    const auto lunar = PreviousEclipse(EclipseKind::kLunar, jd_ut);
    if (!solar || (lunar && lunar->ec_jd > solar->ec_jd)) {
        return lunar;
    }
    return solar;
}

void InstallPriorEclipseFinder() {
    astro::SetPriorEclipseFinder([](double jd_ut) -> std::optional<astro::PriorEclipse> {
        const auto entry = PriorEclipse(jd_ut);
        if (!entry) {
            return std::nullopt;
        }
        return astro::PriorEclipse{entry->ec_jd, entry->data.longitude};
    });
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
    const std::string& aspect_set_name, const std::string& point_set_name, EclipseTimeNote note) {
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
    lines.emplace_back(note == EclipseTimeNote::kMaximum ? kMaximumNote : kLunarPhaseNote);
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
        (entry.kind() == EclipseKind::kSolar ? std::string(" Solar Eclipse") + kSolarChartMark
                                             : std::string(" Lunar Eclipse") + kLunarChartMark);
    return record;
}

bool EclipseSet::Selected(int index) const { return Valid(index) && selected_[Index(index)]; }

void EclipseSet::SetSelected(int index, bool selected) {
    if (Valid(index)) {
        selected_[Index(index)] = selected;
    }
}

void EclipseSet::ClearSelection() { selected_.assign(entries_.size(), false); }

int EclipseSet::NumberSelected() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

int EclipseSet::SelectedEclipse() const {
    const auto it = std::find(selected_.begin(), selected_.end(), true);
    return it == selected_.end() ? -1 : static_cast<int>(it - selected_.begin());
}

void EclipseSet::ClearHide() {
    for (EclipseEntry& e : entries_) {
        e.show = true;
    }
}

bool EclipseSet::Hide(int index) const { return Valid(index) && !entries_[Index(index)].show; }

void EclipseSet::SetHide(int index, bool hide) {
    if (Valid(index)) {
        entries_[Index(index)].show = !hide;
    }
}

void EclipseSet::Clear() {
    entries_.clear();
    selected_.clear();
}

std::vector<EclipseEntry> EclipseSet::GetSelectedEclipses() const {
    std::vector<EclipseEntry> chosen;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (selected_[i]) {
            chosen.push_back(entries_[i]);
        }
    }
    return chosen;
}

void EclipseSet::AddSolarEclipse(const EclipseEntry& entry) {
    entries_.push_back(entry);
    entries_.back().ec_type = 1;
    entries_.back().show = true;
    selected_.push_back(false);
}

void EclipseSet::AddLunarEclipse(const EclipseEntry& entry) {
    entries_.push_back(entry);
    entries_.back().ec_type = 2;
    entries_.back().show = true;
    selected_.push_back(false);
}

namespace {

// The value an entry sorts by for a key; date order breaks ties.
double SortValue(const EclipseEntry& e, int sort_key) {
    const EclipseRecord& r = e.data;
    switch (sort_key) {
        case 1:
            return e.ec_type;
        case 2:
            return r.type;
        case 5:
            return e.position;
        case 6:
            return r.saros_vdb;
        case 7:
            return r.saros_jb;
        case 8:
            return r.gamma;
        case 9:
            return r.magnitude;
        case 10:
            return r.penumbral_magnitude;
        case 11:
            return r.duration_seconds;
        case 12:
            return r.semi_duration_total_minutes;
        case 13:
            return r.semi_duration_partial_minutes;
        default:
            return e.ec_jd;
    }
}

bool SortsBefore(const EclipseEntry& a, const EclipseEntry& b, int sort_key) {
    const double va = SortValue(a, sort_key);
    const double vb = SortValue(b, sort_key);
    if (va != vb) {
        return va < vb;
    }
    return a.ec_jd < b.ec_jd;
}

}  // namespace

void SortEclipses(std::vector<EclipseEntry>& entries, int sort_key) {
    std::stable_sort(entries.begin(), entries.end(),
                     [sort_key](const EclipseEntry& a, const EclipseEntry& b) {
                         return SortsBefore(a, b, sort_key);
                     });
}

void EclipseSet::SortBy(int sort_key) {
    // Sorts the indexes, so that each selection flag moves with its eclipse.
    std::vector<std::size_t> order(entries_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return SortsBefore(entries_[a], entries_[b], sort_key);
    });
    std::vector<EclipseEntry> entries;
    std::vector<bool> selected;
    entries.reserve(order.size());
    for (const std::size_t i : order) {
        entries.push_back(entries_[i]);
        selected.push_back(selected_[i]);
    }
    entries_ = std::move(entries);
    selected_ = std::move(selected);
}

int EclipseSortFromSettings() {
    const int key = startup::CurrentSession().settings().GetInt("EclSort");
    return key >= 0 && key <= kLastEclipseSortKey ? key : 0;
}

}  // namespace meridia::returns
