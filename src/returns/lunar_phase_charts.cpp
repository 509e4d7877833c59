#include "returns/lunar_phase_charts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "astro/angles.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "returns/eclipse_record.h"
#include "startup/session.h"
#include "textformats/date_text.h"
#include "textformats/zodiac_text.h"

namespace meridia::returns {

namespace {

constexpr int kMaxCount = 1000;
constexpr int kNewMoonOctant = 0;
constexpr int kFullMoonOctant = 4;

startup::Status NoEclipses() {
    return {startup::StatusCode::kNotFound, kNoEclipsesText, kEclipseReportTitle};
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

// The count of a list: the request's, else the setting of the kind.
startup::StatusOr<int> CountOf(const LunarPhaseChartRequest& request, const char* setting) {
    const int count =
        request.count ? *request.count : startup::CurrentSession().settings().GetInt(setting);
    if (count < 1 || count > kMaxCount) {
        return startup::Status(startup::StatusCode::kRefused,
                               "The number of charts to find is 1 to 1000.");
    }
    return count;
}

// A phase chart: the phase record at the base chart's place, given a name.
LunarPhaseChart PhaseChart(const LunarPhaseEvent& event, const astro::ChartRecord& base,
                           std::string name) {
    LunarPhaseChart chart;
    chart.record = LunarPhaseChartRecord(event, base);
    chart.record.data.name = std::move(name);
    chart.jd_ut = event.jd_ut;
    chart.chart_jd_ut = event.jd_ut;
    chart.octant = event.octant >= 0 ? event.octant : 2 * static_cast<int>(event.phase);
    chart.moon_longitude = event.moon_longitude;
    chart.sun_longitude = event.sun_longitude;
    return chart;
}

// The chart of an eclipse at its maximum at the base chart's place: a lunar-phase chart of the
// New Moon (solar) or Full Moon (lunar) it falls on.
LunarPhaseChart EclipseChart(const EclipseEntry& entry, const astro::ChartRecord& base,
                             std::string name) {
    LunarPhaseChart chart;
    const bool solar = entry.kind() == EclipseKind::kSolar;
    chart.record = EclipseChartRecord(entry, base);
    chart.record.chart_class = astro::kClassLunarPhase;
    chart.octant = solar ? kNewMoonOctant : kFullMoonOctant;
    chart.record.chart_kind = static_cast<std::uint8_t>(astro::kKindFirstLunarPhase + chart.octant);
    chart.record.base = base.data;
    chart.record.data.name = std::move(name);
    chart.jd_ut = entry.ec_jd;
    chart.chart_jd_ut = entry.ec_jd;
    chart.moon_longitude =
        solar ? entry.data.longitude : astro::Norm360(entry.data.longitude + 180.0);
    chart.sun_longitude =
        solar ? entry.data.longitude : astro::Norm360(entry.data.longitude - 180.0);
    chart.eclipse = entry;
    return chart;
}

// "Total Solar Eclipse", "Appulse Lunar Eclipse".
std::string EclipseTitle(const EclipseEntry& entry) {
    return EclipseTypeText(entry.kind(), entry.data.type) +
           (entry.kind() == EclipseKind::kSolar ? " Solar" : " Lunar") +
           std::string(kEclipseNameSuffix);
}

std::filesystem::path CataloguePath(const std::filesystem::path& folder, EclipseKind kind) {
    return folder.empty()
               ? EclipseCatalogueClass::DefaultPath(kind)
               : folder / (kind == EclipseKind::kSolar ? kSolarCatalogueName : kLunarCatalogueName);
}

// The eclipses of a kind on either side of the moment: the last before it and the first at or
// after it (either may be missing).
std::vector<EclipseEntry> EclipsesBeside(const std::filesystem::path& folder, EclipseKind kind,
                                         double jd_ut) {
    std::vector<EclipseEntry> found;
    const auto catalogue = EclipseCatalogueClass::Open(CataloguePath(folder, kind), kind);
    if (!catalogue.ok()) {
        return found;
    }
    const int n = catalogue->FirstAtOrAfter(jd_ut);
    for (const int k : {n - 1, n}) {
        if (k >= 1 && k <= catalogue->count()) {
            if (auto entry = catalogue->Read(k)) {
                found.push_back(*entry);
            }
        }
    }
    return found;
}

startup::StatusOr<std::vector<LunarPhaseChart>> NearestEclipseChart(
    const LunarPhaseChartRequest& request, const astro::ChartRecord& base) {
    std::vector<EclipseEntry> candidates;
    const auto add = [&](EclipseKind kind) {
        const auto beside = EclipsesBeside(request.catalogue_folder, kind, request.around_jd_ut);
        candidates.insert(candidates.end(), beside.begin(), beside.end());
    };
    if (request.kind != LunarPhaseChartKind::kEclipseLunar) {
        add(EclipseKind::kSolar);
    }
    if (request.kind != LunarPhaseChartKind::kEclipseSolar) {
        add(EclipseKind::kLunar);
    }
    if (candidates.empty()) {
        return NoEclipses();
    }
    const auto distance = [&](const EclipseEntry& e) {
        return std::fabs(e.ec_jd - request.around_jd_ut);
    };
    const EclipseEntry* best = &candidates.front();
    for (const EclipseEntry& e : candidates) {
        if (distance(e) < distance(*best) ||
            (distance(e) == distance(*best) && e.ec_jd < best->ec_jd)) {
            best = &e;
        }
    }
    return std::vector<LunarPhaseChart>{EclipseChart(*best, base, EclipseTitle(*best))};
}

startup::StatusOr<std::vector<LunarPhaseChart>> EclipseListCharts(
    const LunarPhaseChartRequest& request, const astro::ChartRecord& base) {
    const auto count = CountOf(request, "EclipsesToFind");
    if (!count.ok()) {
        return count.status();
    }
    // At least four eclipses a year: the span holds the count with room to spare; the search
    // stops at the end of the catalogues.
    EclipseSearch search;
    search.from_jd_ut = request.around_jd_ut;
    search.to_jd_ut = request.around_jd_ut + 366.0 * (std::floor(*count / 4.0) + 2.0);
    search.folder = request.catalogue_folder;
    std::vector<EclipseEntry> eclipses = SearchEclipses(search);
    if (eclipses.size() > static_cast<std::size_t>(*count)) {
        eclipses.resize(static_cast<std::size_t>(*count));
    }
    if (eclipses.empty()) {
        return NoEclipses();
    }
    std::vector<LunarPhaseChart> charts;
    charts.reserve(eclipses.size());
    for (const EclipseEntry& e : eclipses) {
        charts.push_back(EclipseChart(e, base, std::string(kEclipsesNamePrefix) + EclipseTitle(e)));
    }
    return charts;
}

// The real date at which the progressed chart of the base moment reaches each phase, centred on
// the progressed moment of the target.
startup::StatusOr<std::vector<LunarPhaseChart>> ProgressedCharts(
    const LunarPhaseChartRequest& request, const astro::ChartSlot& base) {
    std::string message;
    if (!astro::CheckBaseChart(request.base_slot, astro::kClassSecondary, 1, message)) {
        return startup::Status(startup::StatusCode::kRefused, message);
    }
    const auto count = CountOf(request, "ProgPhaseReturnsToFind");
    if (!count.ok()) {
        return count.status();
    }
    const int day_mode = request.day_mode ? *request.day_mode
                                          : startup::CurrentSession().settings().GetInt("ProgDay");
    const double jd_base = base.julian_day_ut;
    double progressed = 0.0;
    double rate = 0.0;
    const startup::Status mapped =
        astro::ProgressedJulianDay(astro::kClassSecondary, jd_base, request.around_jd_ut,
                                   day_mode == 1 ? 1 : 0, false, progressed, rate);
    if (!mapped.ok()) {
        return mapped;
    }
    if (!(rate > 0.0)) {
        return startup::Status(startup::StatusCode::kFailed, "The progression rate is not usable.");
    }
    auto phases = OctantPhasesAround(progressed, *count);
    if (!phases.ok()) {
        return phases.status();
    }
    std::vector<LunarPhaseChart> charts;
    charts.reserve(phases->size());
    for (const LunarPhaseEvent& phase : *phases) {
        // Secondary progression maps the real moment t to jd_base + (t - jd_base) x rate.
        const double real = jd_base + (phase.jd_ut - jd_base) / rate;
        const astro::CompactDateTime date = astro::LocalDateTime(real, base.record.data.zone.hours);
        const std::string name = std::string(kLunarPhasesNamePrefix) + "Progressed " +
                                 std::string(OctantPhaseTitle(phase.octant)) + " " +
                                 textformats::FormatDate(date.day, date.month, date.year,
                                                         textformats::CalendarMode::kAutomatic);
        LunarPhaseChart chart = PhaseChart(phase, base.record, name);
        chart.jd_ut = real;
        charts.push_back(std::move(chart));
    }
    return charts;
}

startup::StatusOr<std::vector<LunarPhaseChart>> PhaseCharts(
    const std::vector<LunarPhaseEvent>& phases, const astro::ChartRecord& base,
    std::string_view prefix) {
    std::vector<LunarPhaseChart> charts;
    charts.reserve(phases.size());
    for (const LunarPhaseEvent& phase : phases) {
        charts.push_back(PhaseChart(
            phase, base, std::string(prefix) + std::string(OctantPhaseTitle(phase.octant))));
    }
    return charts;
}

}  // namespace

std::optional<LunarPhaseChartKind> LunarPhaseChartKindOf(std::string_view text) {
    const std::string wanted = Lowered(text);
    for (std::size_t i = 0; i < kLunarPhaseChartKinds.size(); ++i) {
        if (wanted == Lowered(kLunarPhaseChartKinds[i]) || wanted == std::to_string(i + 1)) {
            return static_cast<LunarPhaseChartKind>(i + 1);
        }
    }
    return std::nullopt;
}

std::string_view LunarPhaseChartKindName(LunarPhaseChartKind kind) {
    return kLunarPhaseChartKinds[static_cast<std::size_t>(static_cast<int>(kind) - 1)];
}

startup::StatusOr<std::vector<LunarPhaseChart>> LunarPhaseCharts(
    const LunarPhaseChartRequest& request) {
    if (!astro::IsValidSlot(request.base_slot) ||
        astro::Slot(request.base_slot).chart_serial == 0) {
        return startup::Status(startup::StatusCode::kRefused,
                               "The lunar-phase charts need a base chart.");
    }
    const astro::ChartSlot& base = astro::Slot(request.base_slot);
    switch (request.kind) {
        case LunarPhaseChartKind::kProgressed:
            return ProgressedCharts(request, base);
        case LunarPhaseChartKind::kTransiting: {
            const auto count = CountOf(request, "TranPhaseReturnsToFind");
            if (!count.ok()) {
                return count.status();
            }
            const auto phases = OctantPhasesAround(request.around_jd_ut, *count);
            if (!phases.ok()) {
                return phases.status();
            }
            return PhaseCharts(*phases, base.record, kLunarPhasesNamePrefix);
        }
        case LunarPhaseChartKind::kPhaseReturns: {
            const auto count = CountOf(request, "PhaseReturnsToFind");
            if (!count.ok()) {
                return count.status();
            }
            const double elongation =
                astro::Norm360(base.longitude[astro::kMoon] - base.longitude[astro::kSun]);
            const auto phases = FindPhaseReturns(request.around_jd_ut, elongation, *count);
            if (!phases.ok()) {
                return phases.status();
            }
            // The kind is the 45-degree sector of the base chart's elongation.
            const int octant = std::min(static_cast<int>(elongation / 45.0), 7);
            std::vector<LunarPhaseChart> charts;
            charts.reserve(phases->size());
            for (std::size_t i = 0; i < phases->size(); ++i) {
                LunarPhaseEvent phase = (*phases)[i];
                phase.octant = octant;
                charts.push_back(
                    PhaseChart(phase, base.record,
                               std::string(kLunarPhaseReturnsName) + " " + std::to_string(i + 1)));
            }
            return charts;
        }
        case LunarPhaseChartKind::kFamilyNew:
        case LunarPhaseChartKind::kFamilyInProgress: {
            const auto phases = PhaseFamily(request.around_jd_ut,
                                            request.kind == LunarPhaseChartKind::kFamilyInProgress);
            if (!phases.ok()) {
                return phases.status();
            }
            return PhaseCharts(*phases, base.record, std::string(kLunarPhaseFamilyName) + " - ");
        }
        case LunarPhaseChartKind::kEclipseList:
            return EclipseListCharts(request, base.record);
        case LunarPhaseChartKind::kEclipseAny:
        case LunarPhaseChartKind::kEclipseSolar:
        case LunarPhaseChartKind::kEclipseLunar:
            return NearestEclipseChart(request, base.record);
    }
    return startup::Status(startup::StatusCode::kRefused, "Unknown lunar-phase chart kind.");
}

std::string LunarPhaseChartLine(const LunarPhaseChart& chart, const std::string& moment_text) {
    std::array<char, 240> line{};
    std::snprintf(line.data(), line.size(), "%-48s %s  Moon %s", chart.record.data.name.c_str(),
                  moment_text.c_str(),
                  textformats::FormatZodiacPosition(chart.moon_longitude).c_str());
    return line.data();
}

}  // namespace meridia::returns
