#include "returns/eclipse_columns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "startup/ini_file.h"
#include "startup/settings_store.h"
#include "startup/text_tools.h"
#include "textformats/date_text.h"
#include "textformats/zodiac_text.h"

namespace meridia::returns {

namespace {

constexpr int kPixelsPerCharacter = 8;
constexpr int kColumnPadding = 12;  // pixels beside the text in a list-view column
constexpr std::string_view kColumnGap = "  ";

// The standard columns by type; text widths hold the widest text of the column.
struct StandardColumn {
    bool lunar_only;
    bool solar_only;
    std::string_view short1;
    std::string_view short2;
    std::string_view long_description;
    int text_width;
    ColumnAlignment alignment;
};
constexpr std::array<StandardColumn, kEclipseColumnCount> kStandardColumns = {{
    {false, false, "S/L", "", "Solar/Lunar", 5, ColumnAlignment::kLeft},
    {false, false, "", "", "Type", 7, ColumnAlignment::kLeft},
    {false, false, "", "", "Date", 11, ColumnAlignment::kRight},
    {false, false, "UT", "Time", "Time (UT)", 8, ColumnAlignment::kRight},
    {false, false, "", "", "Position", 12, ColumnAlignment::kLeft},
    {false, false, "vdB", "Saros #", "Saros No (van den Bergh)", 7, ColumnAlignment::kRight},
    {false, false, "J/B", "", "Saros No (Jansky/Brady)", 4, ColumnAlignment::kRight},
    {false, false, "", "", "Gamma", 7, ColumnAlignment::kRight},
    {false, false, "Umbral", "Magnitude", "Magnitude / Umbral Magnitude", 9,
     ColumnAlignment::kRight},
    {true, false, "Penumb", "", "Penumbral Magnitude", 6, ColumnAlignment::kRight},
    {false, true, "Min:Sec", "Duration", "Duration Total (Minutes:Seconds)", 8,
     ColumnAlignment::kRight},
    {true, false, "Hr:Min", "SD Total", "SemiDuration Total (Hours:Minutes)", 8,
     ColumnAlignment::kRight},
    {true, false, "SD Partial", "", "SemiDuration Partial (Hours:Minutes)", 10,
     ColumnAlignment::kRight},
}};

std::string Aligned(std::string_view text, int width, ColumnAlignment alignment) {
    const auto size = static_cast<int>(text.size());
    if (size >= width) {
        return std::string(text);
    }
    const int space = width - size;
    int before = 0;
    if (alignment == ColumnAlignment::kRight) {
        before = space;
    } else if (alignment == ColumnAlignment::kCenter) {
        before = space / 2;
    }
    return std::string(static_cast<std::size_t>(before), ' ') + std::string(text) +
           std::string(static_cast<std::size_t>(space - before), ' ');
}

std::string TrimmedRight(std::string line) {
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

// The integers of a comma list; nothing when an item is not an integer.
std::optional<std::vector<long long>> IntegerList(std::string_view text) {
    std::vector<long long> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto value = startup::ParseInteger(startup::Trim(text.substr(start, comma - start)));
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
        start = comma + 1;
    }
    return values;
}

std::string JoinedList(const std::vector<long long>& values) {
    std::string text;
    for (const long long v : values) {
        text += (text.empty() ? "" : ",") + std::to_string(v);
    }
    return text;
}

int ReadSize(const startup::IniFile& ini, std::string_view key, int default_value) {
    const auto value = startup::ParseInteger(ini.Read(kEclipseColumnsSection, key, ""));
    if (!value || *value < 0 || *value > kMaxEclipseViewSize) {
        return default_value;
    }
    return static_cast<int>(*value);
}

}  // namespace

EclipseColumn StandardEclipseColumn(int column_type) {
    EclipseColumn column;
    if (column_type < 1 || column_type > kEclipseColumnCount) {
        return column;
    }
    const StandardColumn& s = kStandardColumns[static_cast<std::size_t>(column_type - 1)];
    column.column_type = column_type;
    column.lunar_only = s.lunar_only;
    column.solar_only = s.solar_only;
    column.short_description1 = s.short1;
    column.short_description2 = s.short2;
    column.long_description = s.long_description;
    column.text_width = std::max<int>(
        {s.text_width, static_cast<int>(s.short1.size()), static_cast<int>(s.short2.size()),
         s.short1.empty() && s.short2.empty() ? static_cast<int>(s.long_description.size()) : 0});
    column.column_width = column.text_width * kPixelsPerCharacter + kColumnPadding;
    column.alignment = s.alignment;
    column.show = true;
    return column;
}

void EclipseColumnSet::InitializeStandardSet() {
    view_width = kDefaultEclipseViewWidth;
    view_height = kDefaultEclipseViewHeight;
    columns.clear();
    for (int t = 1; t <= kEclipseColumnCount; ++t) {
        columns.push_back(StandardEclipseColumn(t));
    }
}

const EclipseColumn* EclipseColumnSet::Find(int column_type) const {
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const EclipseColumn& c) {
        return c.column_type == column_type;
    });
    return it == columns.end() ? nullptr : &*it;
}

std::filesystem::path EclipseColumnsPath() {
    return startup::SettingsFilePath(std::filesystem::path(kEclipseColumnsFile));
}

startup::Status ReadEclipseColumns(const std::filesystem::path& path, EclipseColumnSet& set) {
    set.InitializeStandardSet();
    startup::IniFile ini;
    if (!ini.Load(path)) {
        return {startup::StatusCode::kUnreadable,
                "The eclipse column layout cannot be read; the standard columns are used.", "",
                path};
    }
    set.view_width = ReadSize(ini, "EclViewWidth", kDefaultEclipseViewWidth);
    set.view_height = ReadSize(ini, "EclViewHeight", kDefaultEclipseViewHeight);
    const auto order_text = ini.Value(kEclipseColumnsSection, "Columns");
    if (!order_text) {
        return {};
    }
    const auto damaged = [&path] {
        return startup::Status(
            startup::StatusCode::kDamaged,
            "The eclipse column layout is damaged; the standard columns are used.", "", path);
    };
    const auto order = IntegerList(*order_text);
    const auto shows = IntegerList(ini.Read(kEclipseColumnsSection, "ColShow", ""));
    const auto widths = IntegerList(ini.Read(kEclipseColumnsSection, "ColWidth", ""));
    if (!order || !shows || !widths || order->size() != shows->size() ||
        order->size() != widths->size() || order->size() > kEclipseColumnCount) {
        return damaged();
    }
    std::vector<EclipseColumn> columns;
    std::array<bool, kEclipseColumnCount + 1> seen{};
    for (std::size_t i = 0; i < order->size(); ++i) {
        const long long type = (*order)[i];
        const long long width = (*widths)[i];
        if (type < 1 || type > kEclipseColumnCount || seen[static_cast<std::size_t>(type)] ||
            width < 0 || width > kMaxEclipseColumnWidth) {
            return damaged();
        }
        seen[static_cast<std::size_t>(type)] = true;
        EclipseColumn column = StandardEclipseColumn(static_cast<int>(type));
        column.show = (*shows)[i] != 0;
        column.column_width = static_cast<int>(width);
        columns.push_back(column);
    }
    for (int t = 1; t <= kEclipseColumnCount; ++t) {
        if (!seen[static_cast<std::size_t>(t)]) {
            columns.push_back(StandardEclipseColumn(t));
        }
    }
    set.columns = std::move(columns);
    return {};
}

startup::Status WriteEclipseColumns(const std::filesystem::path& path,
                                    const EclipseColumnSet& set) {
    startup::IniFile ini;
    if (!ini.Load(path)) {
        ini = startup::IniFile();
    }
    std::vector<long long> types;
    std::vector<long long> shows;
    std::vector<long long> widths;
    for (const EclipseColumn& c : set.columns) {
        types.push_back(c.column_type);
        shows.push_back(c.show ? -1 : 0);
        widths.push_back(c.column_width);
    }
    ini.Write(kEclipseColumnsSection, "EclViewWidth", std::to_string(set.view_width));
    ini.Write(kEclipseColumnsSection, "EclViewHeight", std::to_string(set.view_height));
    ini.Write(kEclipseColumnsSection, "Columns", JoinedList(types));
    ini.Write(kEclipseColumnsSection, "ColShow", JoinedList(shows));
    ini.Write(kEclipseColumnsSection, "ColWidth", JoinedList(widths));
    return ini.Save(path);
}

std::string TextDataIn(const EclipseEntry& entry, int column_type) {
    const EclipseRecord& r = entry.data;
    const bool solar = entry.kind() == EclipseKind::kSolar;
    std::array<char, 64> text{};
    switch (column_type) {
        case 1:
            return solar ? "Solar" : "Lunar";
        case 2:
            return EclipseTypeText(entry.kind(), r.type);
        case 3:
            return textformats::FormatDate(r.day, r.month, r.year,
                                           textformats::CalendarMode::kAutomatic);
        case 4:
            std::snprintf(text.data(), text.size(), "%2d:%02d:%02d", r.hour, r.minute, r.second);
            return text.data();
        case 5:
            return textformats::FormatZodiacPosition(entry.position);
        case 6:
            return std::to_string(r.saros_vdb);
        case 7:
            return std::to_string(r.saros_jb);
        case 8:
            return startup::FormatFixed(r.gamma, 4);
        case 9:
            return startup::FormatFixed(r.magnitude, 4);
        case 10:
            return solar ? std::string() : startup::FormatFixed(r.penumbral_magnitude, 4);
        case 11: {
            if (!solar) {
                return {};
            }
            const long seconds = std::lround(r.duration_seconds);
            std::snprintf(text.data(), text.size(), "%ld:%02ld", seconds / 60, seconds % 60);
            return text.data();
        }
        case 12:
        case 13: {
            if (solar) {
                return {};
            }
            const double minutes =
                column_type == 12 ? r.semi_duration_total_minutes : r.semi_duration_partial_minutes;
            const long whole = std::lround(minutes);
            std::snprintf(text.data(), text.size(), "%ld:%02ld", whole / 60, whole % 60);
            return text.data();
        }
        default:
            return {};
    }
}

std::vector<std::string> EclipseTableLines(const EclipseColumnSet& set,
                                           const std::vector<EclipseEntry>& entries) {
    std::string heading1;
    std::string heading2;
    std::vector<std::string> rows(entries.size());
    bool first = true;
    for (const EclipseColumn& c : set.columns) {
        if (!c.show) {
            continue;
        }
        const std::string_view gap = first ? std::string_view() : kColumnGap;
        first = false;
        const bool has_short = !c.short_description1.empty() || !c.short_description2.empty();
        heading1 +=
            std::string(gap) + Aligned(has_short ? c.short_description1 : c.long_description,
                                       c.text_width, c.alignment);
        heading2 += std::string(gap) +
                    Aligned(has_short ? c.short_description2 : "", c.text_width, c.alignment);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            rows[i] += std::string(gap) +
                       Aligned(TextDataIn(entries[i], c.column_type), c.text_width, c.alignment);
        }
    }
    std::vector<std::string> lines;
    lines.push_back(TrimmedRight(heading1));
    lines.push_back(TrimmedRight(heading2));
    for (std::string& row : rows) {
        lines.push_back(TrimmedRight(std::move(row)));
    }
    return lines;
}

std::vector<std::string> EclipseReportLines(const std::vector<std::string>& header,
                                            const EclipseColumnSet& set,
                                            const std::vector<EclipseEntry>& entries) {
    std::vector<std::string> lines = {kEclipseReportTitle};
    lines.insert(lines.end(), header.begin(), header.end());
    lines.emplace_back();
    const std::vector<std::string> table = EclipseTableLines(set, entries);
    lines.insert(lines.end(), table.begin(), table.end());
    lines.push_back(std::string("Times are shown") + kUniversalTimeMark);
    return lines;
}

startup::StatusOr<std::string> EclipseCopyText(const EclipseSet& eclipses,
                                               const EclipseColumnSet& set) {
    const bool selected_only = eclipses.NumberSelected() > 0;
    std::string text;
    const auto add_line = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            text += (i == 0 ? "" : "\t") + cells[i];
        }
        text += "\r\n";
    };
    std::vector<std::string> headings;
    for (const EclipseColumn& c : set.columns) {
        if (c.show) {
            headings.push_back(c.long_description);
        }
    }
    add_line(headings);
    int copied = 0;
    for (int i = 0; i < eclipses.Count(); ++i) {
        if (eclipses.Hide(i) || (selected_only && !eclipses.Selected(i))) {
            continue;
        }
        std::vector<std::string> cells;
        for (const EclipseColumn& c : set.columns) {
            if (c.show) {
                cells.push_back(TextDataIn(eclipses.Eclipse(i), c.column_type));
            }
        }
        add_line(cells);
        ++copied;
    }
    if (copied == 0) {
        return startup::Status(startup::StatusCode::kNotFound, kNoEclipseDataText);
    }
    return text;
}

}  // namespace meridia::returns
