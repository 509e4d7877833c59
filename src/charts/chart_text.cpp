#include "charts/chart_text.h"

#include "startup/name_tables.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"
#include "textformats/time_text.h"

namespace meridia::charts {

using startup::Trim;

std::string ZoneText(const astro::ZoneBlock& zone) {
    const std::string text = textformats::FormatTimeZone(static_cast<double>(zone.hours)) + " " +
                             std::string(Trim(zone.mnemonic));
    return std::string(Trim(text));
}

std::string ZoneMnemonicText(const astro::ZoneBlock& zone) {
    const std::string_view mnemonic = Trim(zone.mnemonic);
    if (mnemonic.empty()) {
        return textformats::FormatTimeZone(static_cast<double>(zone.hours));
    }
    return std::string(mnemonic);
}

std::string SourceRatingLine(std::string_view entry) {
    const auto bar = entry.find('|');
    if (bar == std::string_view::npos) {
        return std::string(entry);
    }
    return std::string(entry.substr(0, bar)) + " - " + std::string(entry.substr(bar + 1));
}

std::string RatingCode(std::string_view text) {
    const std::string ansi = startup::Utf8ToWindows1252(text);
    return startup::Windows1252ToUtf8(std::string_view(ansi).substr(0, 2));
}

std::string ChartTypeName(const astro::ChartRecord& record) {
    const auto& names = startup::Names();
    if (record.chart_class == 1 && record.chart_kind == 1) {
        return "Natal/Event";
    }
    const std::string kind = names.ChartKindName(record.chart_kind);
    return kind.empty() ? names.ChartClassName(record.chart_class) : kind;
}

}  // namespace meridia::charts
