#include "reports/report_writer.h"

#include <fmt/format.h>

#include <cmath>

#include "startup/name_tables.h"
#include "textformats/angle_text.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::reports {

char ChartLetter(int chart_index) { return static_cast<char>('A' + chart_index % 26); }

std::string ChartLetterHeading(int chart_index) {
    return std::string("CHART ") + ChartLetter(chart_index);
}

void ReportWriter::InitializeReport(std::string_view title) {
    Clear();
    title_ = std::string(title);
    lines_.push_back({title_, kHeadingFontSize, 0});
}

void ReportWriter::CompleteReport() {
    if (completed_) {
        return;
    }
    lines_.push_back({std::string(kEndReport), kNormalFontSize, 0});
    completed_ = true;
}

void ReportWriter::Clear() {
    title_.clear();
    lines_.clear();
    values_.clear();
    indent_ = 0;
    completed_ = false;
}

void ReportWriter::Header(std::string_view text) {
    lines_.push_back({std::string(text), kHeadingFontSize, indent_});
}

void ReportWriter::Brief(std::string_view text) {
    lines_.push_back({std::string(text), kNormalFontSize, indent_});
}

void ReportWriter::NL() { lines_.push_back({std::string(), kNormalFontSize, 0}); }

void ReportWriter::Append(std::string_view text) {
    if (lines_.empty()) {
        Brief(text);
        return;
    }
    lines_.back().text += text;
}

std::string ReportWriter::TimeZoneText(double zone_hours, const std::string& mnemonic) {
    std::string text = textformats::FormatTimeZone(zone_hours);
    if (!mnemonic.empty()) {
        text += " (" + mnemonic + ")";
    }
    return text;
}

std::vector<std::string> ReportWriter::DescribeChartDetails(const astro::ChartSlot& slot) {
    const astro::ChartRecord& record = slot.record;
    const auto& dt = record.data.date_time;
    const auto& names = startup::Names();
    const auto calendar = static_cast<textformats::CalendarMode>(record.data.calendar);
    std::vector<std::string> lines;
    lines.push_back(record.data.name);
    lines.push_back(fmt::format("{}  {}  Zone {}",
                                textformats::FormatDate(dt.day, dt.month, dt.year, calendar),
                                textformats::FormatTime(dt.hour, dt.minute, dt.second, {true}),
                                TimeZoneText(record.data.zone.hours, record.data.zone.mnemonic)));
    std::string place = record.data.place.place_name;
    if (!record.data.place.country.empty()) {
        place += (place.empty() ? "" : ", ") + record.data.place.country;
    }
    lines.push_back(fmt::format("{}{}{}  {}", place, place.empty() ? "" : "  ",
                                textformats::FormatLatitude(record.data.place.latitude),
                                textformats::FormatLongitude(record.data.place.longitude)));
    lines.push_back(fmt::format("{}  {}  {}",
                                names.Form(startup::kHouseSystemNamesBase + record.house_system, 1),
                                names.Form(startup::kZodiacNamesBase + record.zodiac, 1),
                                names.Form(startup::kCoordSystemNamesBase + record.coords, 0)));
    if (record.chart_class != 1) {
        lines.push_back(names.ChartClassName(record.chart_class) + " " +
                        names.ChartKindName(record.chart_kind));
    }
    return lines;
}

void ReportWriter::AddRadixChart(const astro::ChartSlot& slot, int chart_index) {
    Header(ChartLetterHeading(chart_index));
    for (const std::string& line : DescribeChartDetails(slot)) {
        Brief(line);
    }
}

void ReportWriter::AddDynamicChart(const astro::ChartSlot& slot, int chart_index) {
    AddRadixChart(slot, chart_index);
    const textformats::DateWithFraction ut = textformats::DateFromJulianDay(
        slot.julian_day_ut, textformats::IsGregorianDate(slot.record.data.date_time.year,
                                                         slot.record.data.date_time.month,
                                                         slot.record.data.date_time.day));
    const double hours = (ut.day - std::floor(ut.day)) * 24.0;
    const long seconds = std::lround(hours * 3600.0);
    Brief(
        fmt::format("{:02}:{:02}:{:02} UT", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60));
}

void ReportWriter::AddAspectRec(const AspectRec& rec) {
    const auto& names = startup::Names();
    const std::string b = (rec.chart_b ? "B " : "") + names.PointName(rec.point_b, 1);
    Brief(fmt::format("{:<14} {:<16} {:<16} {:>6}  {}", names.PointName(rec.point_a, 1),
                      rec.aspect_name, b, FormatOrb(rec.orb), rec.applying ? "A" : "S"));
}

std::string ReportWriter::Text() const {
    std::string text;
    for (const ReportLine& line : lines_) {
        text.append(static_cast<std::size_t>(line.indent), ' ');
        text += line.text;
        text += '\n';
    }
    return text;
}

std::string FormatOrb(double orb) {
    const long minutes = std::lround(std::fabs(orb) * 60.0);
    return fmt::format("{}{}°{:02}'", orb < 0.0 ? "-" : "", minutes / 60, minutes % 60);
}

}  // namespace meridia::reports
