#include "reports/reports.h"

#include <exception>
#include <filesystem>

#include "aspects/aspect_manager.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "reports/report_support.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/name_tables.h"

namespace meridia::reports {

namespace {

using startup::Status;
using startup::StatusCode;
using Writer = void (*)(const ReportRequest&, ReportWriter&);

struct KindEntry {
    ReportKind kind;
    std::string synastry_title;  // "" when the report has no synastry variant
    Writer write;
};

// The kinds: the reports of the report menu, then the page text blocks under their headings.
const std::vector<KindEntry>& Entries() {
    using namespace detail;
    static const std::vector<KindEntry> kEntries = {
        {{"analysis", "*** CHART ANALYSIS REPORT ***"}, "", WriteAnalysis},
        {{"rulerships", "*** TRADITIONAL RULERSHIPS REPORT ***"}, "", WriteRulerships},
        {{"aspects", "*** ASPECTS LIST REPORT ***"},
         "*** SYNASTRY ASPECTS LIST REPORT ***",
         WriteAspectList},
        {{"aspects-analysis", "*** ASPECTS ANALYSIS REPORT ***"},
         "*** SYNASTRY ASPECTS ANALYSIS REPORT ***",
         WriteAspectAnalysis},
        {{"point-sort", "*** CHART POINT SORT ***"},
         "*** SYNASTRY CHART POINT SORT ***",
         WritePointSort},
        {{"midpoints", "*** MIDPOINT LISTING ***"},
         "*** SYNASTRY MIDPOINT LISTING ***",
         WriteMidpoints},
        {{"midpoint-modal", "*** MIDPOINT MODAL SORT ***"},
         "*** SYNASTRY MIDPOINT MODAL SORT ***",
         WriteMidpointModal},
        {{"differences", "*** DIFFERENCE LISTING ***"},
         "*** SYNASTRY DIFFERENCE LISTING ***",
         WriteDifferences},
        {{"arabic-parts", "*** ARABIC PARTS - TRADITIONAL RULERSHIPS ***"},
         "*** SYNASTRY ARABIC PARTS - TRADITIONAL RULERSHIPS ***",
         WriteArabicParts},
        {{"nodes", "*** PLANETARY NODES ***"}, "*** SYNASTRY PLANETARY NODES ***", WriteNodes},
        {{"dignities", "*** ESSENTIAL DIGNITIES REPORT ***"}, "", WriteDignities},
        {{"extra-points", "*** EXTRA RING POINTS ***"}, "", WriteExtraRingPoints},
        {{"extra-bodies", "*** EXTRA BODIES ***"}, "", WriteExtraBodies},
        {{"asteroids", "*** ASTEROIDS ***"}, "", WriteAsteroids},
        {{"midpoint-axes", "*** MIDPOINT AXES ***"}, "", WriteMidpointAxes},
        {{"midpoint-trees", "*** MIDPOINT TREES ***"}, "", WriteMidpointTrees},
        {{"sensitive-points", "*** SENSITIVE POINTS LISTING ***"},
         "*** SYNASTRY SENSITIVE POINTS LISTING ***",
         WriteSensitivePoints},
        {{"fixed-stars", "*** Aspects TO FIXED STARS ***"}, "", WriteFixedStarAspects},
        {{"fixed-star-parans", "*** Parans TO FIXED STARS ***"}, "", WriteFixedStarParans},
        {{"midpoint-weighting", "*** MUNKASEY MIDPOINT WEIGHTING ANALYSIS ***"},
         "",
         WriteMidpointWeighting},
        {{"compatibility", "*** Ashtkoot Summary Report ***"}, "", WriteAshtkootSummary},
        {{"compatibility-detailed", "*** Ashtkoot Detailed Report ***"}, "", WriteAshtkootDetailed},
        {{"almutens", "DIGNITY/ALMUTEN SCORES"}, "", WriteAlmutenScores},
        {{"mutual-receptions", "MUT. RECEPTIONS"}, "", WriteMutualReceptions},
        {{"planetary-sect", "PLANETARY SECT"}, "", WritePlanetarySect},
        {{"hyleg", "HYLEG"}, "", WriteHyleg},
        {{"chinese-year", "CHINESE YEAR"}, "", WriteChineseYear},
        {{"elements", "ELEMENTS"}, "", WriteElements},
        {{"modes", "MODES"}, "", WriteModes},
        {{"rays", "RAYS"}, "", WriteRays},
        {{"considerations", "CONSIDERATIONS"}, "", WriteConsiderations},
        {{"planetary-hours", "PLANET HOURS"}, "", WritePlanetaryHours},
        {{"nearest-eclipses", "NEAREST ECLIPSES"}, "", WriteNearestEclipses},
        {{"nearest-lunar-phases", "NEAREST LUNAR PHASES"}, "", WriteNearestLunarPhases},
        {{"extra-chart-ring-points", "EXTRA CHART RING POINTS"}, "", WriteExtraRingBlock},
        {{"user-defined-points", "USER-DEFINED POINTS"}, "", WriteUserPointsBlock},
        {{"nakshatras", "NAKSHATRAS"}, "", WriteNakshatras},
        {{"chinese-lunar-mansions", "CHINESE LUNAR MANSIONS"}, "", WriteChineseMansions},
        {{"lunar-mansions", "LUNAR MANSIONS - "}, "", WriteLunarMansions},
        {{"temperaments", "Temperaments"}, "", WriteTemperaments},
        {{"astrodynes", "Astrodynes"}, "", WriteAstrodynes},
    };
    return kEntries;
}

const KindEntry* FindEntry(std::string_view name) {
    for (const KindEntry& e : Entries()) {
        if (e.kind.name == name) {
            return &e;
        }
    }
    return nullptr;
}

}  // namespace

const std::vector<ReportKind>& ReportKinds() {
    static const std::vector<ReportKind> kinds = [] {
        std::vector<ReportKind> list;
        for (const KindEntry& e : Entries()) {
            list.push_back(e.kind);
        }
        return list;
    }();
    return kinds;
}

const ReportKind* FindReportKind(std::string_view name) {
    const KindEntry* e = FindEntry(name);
    return e == nullptr ? nullptr : &e->kind;
}

Status RunReport(std::string_view kind, const ReportRequest& request, ReportWriter& writer) {
    const KindEntry* entry = FindEntry(kind);
    if (entry == nullptr) {
        return {StatusCode::kRefused, "Unknown report kind: " + std::string(kind)};
    }
    const bool synastry = request.slot_b != 0 && !entry->synastry_title.empty();
    std::string title = synastry ? entry->synastry_title : entry->kind.title;
    if (title.size() >= 2 && title.compare(title.size() - 2, 2, "- ") == 0) {
        // "LUNAR MANSIONS - " names the chart's zodiac.
        title += startup::Names().ZodiacName(astro::Slot(request.slot_a).record.zodiac);
    }
    writer.InitializeReport(title);
    writer.ApplyHeader(astro::Slot(request.slot_a).record.data.name);
    try {
        entry->write(request, writer);
    } catch (const std::exception&) {
        startup::ShowMessage(kReportErrorText, 0, kReportErrorTitle);
        writer.Brief(kReportErrorText);
    }
    writer.CompleteReport();
    return {};
}

startup::StatusOr<ReportWriter> RunReportJob(const ReportJob& job) {
    if (job.kind.empty()) {
        return Status(StatusCode::kRefused, "A report kind is needed (--list names them).");
    }
    if (FindEntry(job.kind) == nullptr) {
        return Status(StatusCode::kRefused, "Unknown report kind: " + job.kind);
    }
    if (!(job.modulus > 0.0 && job.modulus <= 360.0)) {
        return Status(StatusCode::kRefused, "The modulus must lie between 0 and 360.");
    }
    if (!job.out.empty()) {
        const std::filesystem::path folder = std::filesystem::absolute(job.out).parent_path();
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            return Status(StatusCode::kRefused,
                          "The folder of the output file does not exist: " + folder.string());
        }
    }
    aspects::AspectManager& manager = aspects::Aspects();
    manager.ReadIni();
    if (!job.aspect_set.empty()) {
        if (Status status = manager.SetTempAspects(job.aspect_set, false); !status.ok()) {
            return status;
        }
    }
    if (Status status = charts::CalculateChartEntry(job.first, kReportSlotA); !status.ok()) {
        return status;
    }
    if (job.second) {
        if (Status status = charts::CalculateChartEntry(*job.second, kReportSlotB); !status.ok()) {
            return status;
        }
    }
    auto selection = aspects::AspectedSelection(job.points, astro::PointsInUse());
    if (!selection.ok()) {
        return selection.status();
    }
    if (!job.first.extra.empty() && job.points.empty()) {
        // The extra points asked for take part besides the selection in force.
        for (int p = astro::kFixedPointCount + 1; p <= astro::PointsInUse(); ++p) {
            selection->geocentric[static_cast<std::size_t>(p)] = true;
            selection->heliocentric[static_cast<std::size_t>(p)] = true;
        }
    }
    ReportRequest request;
    request.slot_a = kReportSlotA;
    request.slot_b = job.second ? kReportSlotB : 0;
    request.selection = *selection;
    request.partile = aspects::PartileRuleFromSettings();
    request.modulus = job.modulus;
    request.weighting = job.weighting;
    ReportWriter writer;
    if (Status status = RunReport(job.kind, request, writer); !status.ok()) {
        return status;
    }
    if (!job.out.empty()) {
        if (Status written = startup::WriteFileSafely(job.out, writer.Text()); !written.ok()) {
            return written;
        }
    }
    return writer;
}

}  // namespace meridia::reports
