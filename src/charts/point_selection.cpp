#include "charts/point_selection.h"

#include <algorithm>

#include "astro/chart_table.h"
#include "charts/chart_record_io.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::charts {

using startup::ByteReader;
using startup::ByteWriter;

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kInlineMarker = "~|";

// Points without meaning in a heliocentric chart: Moon, the nodes, Part of Fortune, Black
// Moon and Selena.
bool NeverHeliocentric(int point) {
    return point == 1 || point == 20 || point == 21 || point == 26 || point == 36 || point == 48;
}

int ClampPoints(int points_in_use) { return std::clamp(points_in_use, 0, kSelectionPoints); }

}  // namespace

void SelectPoint(PointSelection& table, int point) {
    if (!table.geocentric[static_cast<std::size_t>(point)]) {
        table.geocentric[static_cast<std::size_t>(point)] = true;
        ++table.geocentric_count;
    }
    if (NeverHeliocentric(point)) {
        return;
    }
    // The Sun of a geocentric chart stands for the Earth of a heliocentric one.
    const int helio = point == 3 ? 2 : point;
    if (!table.heliocentric[static_cast<std::size_t>(helio)]) {
        table.heliocentric[static_cast<std::size_t>(helio)] = true;
        ++table.heliocentric_count;
    }
}

std::string_view SelectionExtension(SelectionKind kind) {
    switch (kind) {
        case SelectionKind::kDisplayed:
            return ".pts";
        case SelectionKind::kTransiting:
            return ".trp";
        case SelectionKind::kAspected:
            return ".adp";
        case SelectionKind::kProgressing:
            return ".prp";
        case SelectionKind::kExtraTransiting:
            return ".etp";
        case SelectionKind::kExtraProgressing:
            return ".epp";
        case SelectionKind::kExtraRadix:
            return ".erp";
    }
    return ".pts";
}

std::string_view SelectionTitle(SelectionKind kind) {
    switch (kind) {
        case SelectionKind::kDisplayed:
            return "Displayed Points";
        case SelectionKind::kTransiting:
            return "Transiting Points";
        case SelectionKind::kAspected:
            return "Aspected Points";
        case SelectionKind::kProgressing:
            return "Progressing Points";
        case SelectionKind::kExtraTransiting:
            return "Extra Transiting Points";
        case SelectionKind::kExtraProgressing:
            return "Extra Progressing Points";
        case SelectionKind::kExtraRadix:
            return "Extra Radix Points";
    }
    return "Displayed Points";
}

fs::path SelectionPath(std::string_view name, SelectionKind kind) {
    fs::path path{std::string(name)};
    if (!path.has_extension()) {
        path += std::string(SelectionExtension(kind));
    }
    if (!path.has_parent_path()) {
        path = startup::CurrentSession().folders().user_files / "Points & Colors" / path;
    }
    return path;
}

SelectionLoadResult LoadPointSelection(std::string_view name, SelectionKind kind,
                                       PointSelection& table, int points_in_use) {
    const int points = ClampPoints(points_in_use);
    SelectionLoadResult result;
    if (const auto marker = name.find(kInlineMarker); marker != std::string_view::npos) {
        PointSelection fresh;
        std::string_view digits = name.substr(marker + kInlineMarker.size());
        for (; digits.size() >= 2; digits.remove_prefix(2)) {
            if (digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9') {
                continue;
            }
            const int point = (digits[0] - '0') * 10 + (digits[1] - '0');
            if (point >= 1 && point <= points) {
                SelectPoint(fresh, point);
            }
        }
        table = fresh;
        result.loaded = true;
        result.geocentric_count = table.geocentric_count;
        result.heliocentric_count = table.heliocentric_count;
        return result;
    }
    const fs::path path = SelectionPath(name, kind);
    const auto bytes = startup::ReadFileHead(path, kMaxSelectionFileBytes);
    if (!bytes.ok()) {
        result.status = startup::Status(bytes.status().code(),
                                        "Point file " + path.string() + " could not be read.",
                                        std::string(SelectionTitle(kind)), path);
        return result;
    }
    if (bytes->size() < kSelectionRecordSize) {
        result.status = startup::Status(startup::StatusCode::kDamaged,
                                        "Point file " + std::string(name) +
                                            " is empty. Your previous point selection will "
                                            "remain in effect until you edit this file or "
                                            "select another file which is not empty.",
                                        "Empty File", path);
        result.status.Show(startup::kExclamation);
        result.empty_file = true;
        return result;
    }
    PointSelection fresh;
    const std::size_t records = bytes->size() / kSelectionRecordSize;
    for (int point = 1; point <= points && static_cast<std::size_t>(point) <= records; ++point) {
        ByteReader r(std::string_view(*bytes).substr(
            static_cast<std::size_t>(point - 1) * kSelectionRecordSize, kSelectionRecordSize));
        r.Skip(20);
        if (r.I16() == -1) {
            SelectPoint(fresh, point);
        }
    }
    table = fresh;
    result.loaded = true;
    result.geocentric_count = table.geocentric_count;
    result.heliocentric_count = table.heliocentric_count;
    return result;
}

bool SavePointSelection(const fs::path& file_name, const PointSelection& table, int points_in_use) {
    ByteWriter w;
    for (int point = 1; point <= ClampPoints(points_in_use); ++point) {
        w.Text(startup::Names().PointName(point, 1), 20);
        w.I16(table.geocentric[static_cast<std::size_t>(point)] ? -1 : 0);
    }
    return startup::WriteFileSafely(file_name, w.bytes()).ok();
}

StandardSelections& CurrentSelections() {
    return startup::CurrentSession().Get<StandardSelections>();
}

void LoadStandardSelections() { LoadStandardSelections(astro::PointsInUse()); }

void LoadStandardSelections(int points_in_use) {
    const auto& settings = startup::CurrentSession().settings();
    StandardSelections& selections = CurrentSelections();
    LoadPointSelection(settings.GetString("PointFileName"), SelectionKind::kDisplayed,
                       selections.displayed, points_in_use);
    LoadPointSelection(settings.GetString("AspPntFileName"), SelectionKind::kAspected,
                       selections.aspected, points_in_use);
    LoadPointSelection(settings.GetString("WheelTransitFileName"), SelectionKind::kTransiting,
                       selections.transiting, points_in_use);
}

}  // namespace meridia::charts
