#include "returns/returns_jobs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "aspects/aspect_manager.h"
#include "aspects/chart_aspects.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "charts/chart_file_jobs.h"
#include "charts/point_list.h"
#include "charts/point_selection.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::returns {

namespace {

constexpr const char* kRefusalTitle = charts::kCommandLineTitle;

startup::Status Refused(const std::string& text) {
    return {startup::StatusCode::kRefused, text, kRefusalTitle};
}

// The Julian day of a typed date and time read in the zone; kRefused (message shown by the
// parser) when either cannot be read.
startup::StatusOr<double> ReadMoment(const std::string& date_text, const std::string& time_text,
                                     double zone_hours, textformats::DateValue* date_out) {
    const auto date = textformats::ParseDate(date_text);
    if (!date) {
        return startup::Status(startup::StatusCode::kRefused, "");
    }
    double hours = 0.0;
    if (!time_text.empty()) {
        const auto time = textformats::ParseTime(time_text);
        if (!time) {
            return startup::Status(startup::StatusCode::kRefused, "");
        }
        hours = textformats::DecimalHours(*time);
    }
    if (date_out != nullptr) {
        *date_out = *date;
    }
    const bool swap = textformats::CalendarSwap(date->calendar, date->year, date->month, date->day);
    return textformats::JulianDayWithCalendar(date->day + (hours + zone_hours) / 24.0, date->month,
                                              date->year, swap);
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + ",") {
        if (c == ',') {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else if (c != ' ') {
            word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    return words;
}

// Reads "all", "none" or a list of type names into the all flag and the type flags.
template <std::size_t N>
bool ReadTypes(const std::string& text, EclipseKind kind, bool& all, std::array<bool, N>& types) {
    types.fill(false);
    all = false;
    const auto words = SplitWords(text);
    if (words.size() == 1 && words[0] == "all") {
        all = true;
        return true;
    }
    if (words.size() == 1 && words[0] == "none") {
        return true;
    }
    for (const std::string& word : words) {
        bool known = false;
        for (std::size_t t = 0; t < N; ++t) {
            std::string name = EclipseTypeText(kind, static_cast<int>(t));
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (word == name || (kind == EclipseKind::kLunar && t == 0 && word == "penumbral")) {
                types[t] = true;
                known = true;
            }
        }
        if (!known) {
            return false;
        }
    }
    return !words.empty();
}

// The record of the place a created chart is cast for: the place fields read with the
// moment's UT date and time where they leave them out, and 0N00 0E00 in UT without a place.
startup::StatusOr<astro::ChartRecord> PlaceRecord(const charts::ChartEntry& place, double jd_ut) {
    charts::ChartEntry entry = place;
    if (!entry.Given()) {
        entry.lat = "0N00";
        entry.lon = "0E00";
        entry.zone = "0";
    }
    if (entry.file.empty() && entry.date.empty()) {
        const astro::CompactDateTime moment = astro::LocalDateTime(jd_ut, 0.0F);
        entry.date = textformats::FormatDate(moment.day, moment.month, moment.year,
                                             textformats::CalendarMode::kAutomatic);
        entry.time = std::to_string(moment.hour) + ":" + std::to_string(moment.minute) + ":" +
                     std::to_string(moment.second);
    }
    return charts::BuildChartRecord(entry);
}

// Opens a created chart into a free slot and, when a chart file is named, appends it there
// (its number in the file goes into `saved`). The jobs check with CheckFreeSlots beforehand
// that every chart they create finds a slot.
startup::StatusOr<int> OpenCreatedChart(const astro::ChartRecord& record,
                                        const std::string& save_to, std::vector<int>& saved) {
    const auto slot = charts::OpenChartRecord(record, "", 0, kRefusalTitle);
    if (!slot.ok()) {
        return slot.status();
    }
    if (!save_to.empty()) {
        const auto number = charts::AddRecordToFile(save_to, record, std::nullopt, std::nullopt);
        if (!number.ok()) {
            return number.status();
        }
        saved.push_back(*number);
    }
    return *slot;
}

// Whether the charts a job is asked to create all find a free slot.
startup::Status CreatedChartsFit(const std::vector<int>& create_charts) {
    return charts::CheckFreeSlots(static_cast<int>(create_charts.size()), kRefusalTitle);
}

// Refuses a chart number outside 1..count.
startup::Status CheckChartNumbers(const std::vector<int>& numbers, std::size_t count,
                                  const std::string& what) {
    for (const int n : numbers) {
        if (n < 1 || static_cast<std::size_t>(n) > count) {
            return Refused("There is no " + what + " " + std::to_string(n) + " in the list (" +
                           std::to_string(count) + " listed).");
        }
    }
    return {};
}

}  // namespace

startup::StatusOr<std::pair<double, double>> ReadSpan(const SpanText& span, double zone_hours) {
    textformats::DateValue from_date;
    const auto from = ReadMoment(span.from, span.from_time, zone_hours, &from_date);
    if (!from.ok()) {
        return from.status();
    }
    if (!span.to.empty()) {
        textformats::DateValue to_date;
        const auto to = ReadMoment(span.to, "", zone_hours, &to_date);
        if (!to.ok()) {
            return to.status();
        }
        if (*to + 1.0 <= *from) {
            return Refused("The end of the span is before its start.");
        }
        return std::make_pair(*from, *to + 1.0);
    }
    if (!span.period || *span.period < 1) {
        return Refused("The span needs --to DATE or --period N (N at least 1).");
    }
    const int n = *span.period;
    if (span.unit == "days") {
        return std::make_pair(*from, *from + n);
    }
    int year = from_date.year;
    int month = from_date.month;
    if (span.unit == "months") {
        const int months = month - 1 + n;
        year += months / 12;
        month = months % 12 + 1;
    } else if (span.unit == "years") {
        year += n;
    } else {
        return Refused("--unit is days, months or years.");
    }
    const int day = std::min(from_date.day, textformats::DaysInMonth(month, year, year > 1582));
    const double end =
        textformats::JulianDay(day, month, year, 0.0) + (*from - std::floor(*from - 0.5) - 0.5);
    return std::make_pair(*from, end);
}

std::optional<double> ParseZodiacPosition(const std::string& text) {
    std::string t;
    for (const char c : text) {
        if (c != ' ') {
            t.push_back(c);
        }
    }
    if (t.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double decimal = std::strtod(t.c_str(), &end);
    if (end != nullptr && *end == '\0') {
        return decimal >= 0.0 && decimal < 360.0 ? std::optional<double>(decimal) : std::nullopt;
    }
    // Degrees, then the sign's two-letter abbreviation, then minutes and seconds, with or
    // without the marks °, ' and ''.
    std::size_t i = 0;
    const auto number = [&](int& value) {
        const std::size_t start = i;
        value = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])) != 0 &&
               i - start < 3) {
            value = value * 10 + (t[i] - '0');
            ++i;
        }
        return i > start;
    };
    const auto skip_marks = [&] {
        while (i < t.size() && (t[i] == '\'' || t[i] == '"' || t[i] == ':' ||
                                static_cast<unsigned char>(t[i]) >= 0x80)) {
            ++i;
        }
    };
    int degrees = 0;
    int minutes = 0;
    int seconds = 0;
    if (!number(degrees)) {
        return std::nullopt;
    }
    skip_marks();
    if (i + 2 > t.size()) {
        return std::nullopt;
    }
    const std::string abbreviation = t.substr(i, 2);
    i += 2;
    int sign = 0;
    for (int s = 1; s <= 12; ++s) {
        const std::string name = startup::Names().SignName(s, true);
        if (name.size() == 2 &&
            std::tolower(static_cast<unsigned char>(name[0])) ==
                std::tolower(static_cast<unsigned char>(abbreviation[0])) &&
            std::tolower(static_cast<unsigned char>(name[1])) ==
                std::tolower(static_cast<unsigned char>(abbreviation[1]))) {
            sign = s;
        }
    }
    if (sign == 0) {
        return std::nullopt;
    }
    if (i < t.size() && !number(minutes)) {
        return std::nullopt;
    }
    skip_marks();
    if (i < t.size() && !number(seconds)) {
        return std::nullopt;
    }
    skip_marks();
    if (i != t.size() || degrees > 29 || minutes > 59 || seconds > 59) {
        return std::nullopt;
    }
    return (sign - 1) * 30.0 + degrees + minutes / 60.0 + seconds / 3600.0;
}

namespace {

startup::StatusOr<EclipseJobResult> EclipseJobOf(const EclipseJob& job) {
    EclipseJobResult result;
    EclipseSearch& search = result.search;
    double zone = 0.0;
    int radix_slot = -1;
    if (job.radix) {
        const auto slot = charts::OpenChartEntry(*job.radix);
        if (!slot.ok()) {
            return slot.status();
        }
        radix_slot = *slot;
        zone = astro::Slot(radix_slot).record.data.zone.hours;
    }
    const auto span = ReadSpan(job.span, zone);
    if (!span.ok()) {
        return span.status();
    }
    search.from_jd_ut = span->first;
    search.to_jd_ut = span->second;
    if (job.nearest) {
        result.nearest = FindNearestEclipse(search.from_jd_ut, search.to_jd_ut);
        return result;
    }
    if (!ReadTypes(job.solar, EclipseKind::kSolar, search.all_solar, search.solar_types)) {
        return Refused("--solar is all, none or a list of partial, annular, total, hybrid.");
    }
    if (!ReadTypes(job.lunar, EclipseKind::kLunar, search.all_lunar, search.lunar_types)) {
        return Refused("--lunar is all, none or a list of appulse, partial, total.");
    }
    if (job.saros) {
        search.all_saros = false;
        search.saros = *job.saros;
    }
    std::string position_text;
    std::string aspect_set_name;
    std::string point_set_name;
    if (!job.fixed.empty() || job.radix) {
        if (!job.fixed.empty() && job.radix) {
            return Refused("Give --fixed or --radix, not both.");
        }
        aspects::AspectManager& manager = aspects::Aspects();
        manager.ReadIni(false);
        if (!job.aspect_set.empty()) {
            const startup::Status status = manager.SetTempAspects(job.aspect_set, false);
            if (!status.ok()) {
                return startup::Status(startup::StatusCode::kRefused, status.message(),
                                       status.title(), status.path());
            }
        }
        search.aspect_set = manager.ChartSet();
        aspect_set_name = job.aspect_set.empty() ? manager.AspectFile() : job.aspect_set;
        manager.ResetAspectFile();
    }
    if (!job.fixed.empty()) {
        const auto position = ParseZodiacPosition(job.fixed);
        if (!position) {
            return Refused("The fixed position \"" + job.fixed + "\" cannot be read.");
        }
        search.aspect_mode = EclipseAspectMode::kFixedPosition;
        search.fixed_position = *position;
        position_text = job.fixed;
    } else if (job.radix) {
        search.aspect_mode = EclipseAspectMode::kRadixChart;
        search.radix_slot = radix_slot;
        const int in_use = astro::PointsInUse();
        charts::PointSelection selection;
        if (!job.points.empty()) {
            auto read =
                charts::ReadPointsOption(job.points, charts::SelectionKind::kAspected, in_use);
            if (!read.ok()) {
                return read.status();
            }
            selection = *read;
            point_set_name = job.points;
        } else {
            point_set_name = startup::CurrentSession().settings().GetString("AspPntFileName");
            if (!charts::LoadPointSelection(point_set_name, charts::SelectionKind::kAspected,
                                            selection, in_use)
                     .loaded) {
                auto every = charts::ParsePointList("1-" + std::to_string(in_use), in_use);
                selection = every.ok() ? *every : selection;
            }
        }
        search.points =
            aspects::SelectedPoints(selection, astro::Slot(radix_slot).record.coords, in_use);
    }
    if (job.sort && (*job.sort < 0 || *job.sort > kLastEclipseSortKey)) {
        return Refused("--sort is a column number 0 to 13.");
    }
    result.eclipses = SearchEclipses(search);
    SortEclipses(result.eclipses, job.sort ? *job.sort : EclipseSortFromSettings());
    const startup::Status checked =
        CheckChartNumbers(job.create_charts, result.eclipses.size(), "eclipse");
    if (!checked.ok()) {
        return checked;
    }
    result.columns_status = ReadEclipseColumns(EclipseColumnsPath(), result.columns);
    if (const startup::Status free = CreatedChartsFit(job.create_charts); !free.ok()) {
        return free;
    }
    for (const int n : job.create_charts) {
        const EclipseEntry& entry = result.eclipses[static_cast<std::size_t>(n - 1)];
        astro::ChartRecord place;
        if (job.radix) {
            place = astro::Slot(radix_slot).record;
        } else {
            auto read = PlaceRecord(job.place, entry.ec_jd);
            if (!read.ok()) {
                return read.status();
            }
            place = *read;
        }
        const auto slot =
            OpenCreatedChart(EclipseChartRecord(entry, place), job.save_to, result.saved_numbers);
        if (!slot.ok()) {
            return slot.status();
        }
        result.chart_slots.push_back(*slot);
    }
    const auto date_text = [](double jd) {
        const auto date = textformats::DateFromJulianDay(jd, false);
        return textformats::FormatDate(static_cast<int>(std::floor(date.day)), date.month,
                                       date.year, textformats::CalendarMode::kAutomatic);
    };
    result.header = EclipseReportHeader(
        search, date_text(search.from_jd_ut + zone / 24.0),
        date_text(search.to_jd_ut + zone / 24.0 - 1e-6), position_text,
        job.radix ? astro::Slot(radix_slot).record.data.name : "", aspect_set_name, point_set_name);
    return result;
}

// The phase returns of the base chart given by the job's place fields.
startup::StatusOr<LunarPhaseJobResult> RunPhaseReturns(const LunarPhaseJob& job) {
    const int count =
        job.count ? *job.count : startup::CurrentSession().settings().GetInt("PhaseReturnsToFind");
    if (count < 1 || count > 1000) {
        return Refused("--count is 1 to 1000.");
    }
    if (!job.place.Given()) {
        return Refused("Phase returns need a base chart: give its chart fields.");
    }
    const auto start = ReadMoment(job.span.from, job.span.from_time, 0.0, nullptr);
    if (!start.ok()) {
        return start.status();
    }
    const auto base = charts::OpenChartEntry(job.place);
    if (!base.ok()) {
        return base.status();
    }
    const astro::ChartSlot& chart = astro::Slot(*base);
    LunarPhaseJobResult result;
    result.base_elongation =
        astro::Norm360(chart.longitude[astro::kMoon] - chart.longitude[astro::kSun]);
    auto phases = FindPhaseReturns(*start, result.base_elongation, count);
    if (!phases.ok()) {
        return phases.status();
    }
    result.phases = std::move(*phases);
    const startup::Status checked =
        CheckChartNumbers(job.create_charts, result.phases.size(), "phase return");
    if (!checked.ok()) {
        return checked;
    }
    if (const startup::Status free = CreatedChartsFit(job.create_charts); !free.ok()) {
        return free;
    }
    // Kinds 70..77: the 45-degree sector of the elongation, counted from the New Moon.
    const int kind = astro::kKindFirstLunarPhase + static_cast<int>(result.base_elongation / 45.0);
    for (const int n : job.create_charts) {
        astro::ChartRecord record =
            LunarPhaseChartRecord(result.phases[static_cast<std::size_t>(n - 1)], chart.record);
        record.chart_kind = static_cast<std::uint8_t>(std::min(kind, astro::kKindLastLunarPhase));
        record.data.name = std::string(kLunarPhaseReturnsName) + " " + std::to_string(n);
        const auto slot = OpenCreatedChart(record, job.save_to, result.saved_numbers);
        if (!slot.ok()) {
            return slot.status();
        }
        result.chart_slots.push_back(*slot);
    }
    return result;
}

// The charts of one lunar-phase chart kind around a moment, all opened or none.
startup::StatusOr<LunarPhaseJobResult> RunLunarPhaseCharts(const LunarPhaseJob& job) {
    if (!job.place.Given()) {
        return Refused("Lunar-phase charts need a base chart: give its chart fields.");
    }
    if (job.around.empty()) {
        return Refused("Give the date to search for phases around (--around DATE).");
    }
    if (job.count && (*job.count < 1 || *job.count > 1000)) {
        return Refused("--count is 1 to 1000.");
    }
    const auto base = charts::OpenChartEntry(job.place);
    if (!base.ok()) {
        return base.status();
    }
    LunarPhaseJobResult result;
    result.base_slot = *base;
    // On any failure nothing stays in the table: neither the base chart opened here nor any
    // chart of the list.
    const auto fail = [&result](const startup::Status& status) {
        for (const int opened : result.chart_slots) {
            astro::Slot(opened).chart_serial = 0;
        }
        astro::Slot(result.base_slot).chart_serial = 0;
        return status;
    };
    const auto around =
        ReadMoment(job.around, job.around_time, astro::Slot(*base).record.data.zone.hours, nullptr);
    if (!around.ok()) {
        return fail(around.status());
    }
    LunarPhaseChartRequest request;
    request.kind = *job.chart_kind;
    request.base_slot = *base;
    request.around_jd_ut = *around;
    request.count = job.count;
    request.catalogue_folder = job.catalogue_folder;
    auto found = LunarPhaseCharts(request);
    if (!found.ok()) {
        return fail(found.status());
    }
    result.charts = std::move(*found);
    for (const LunarPhaseChart& chart : result.charts) {
        const auto slot = charts::OpenChartRecord(chart.record, "", 0, kRefusalTitle);
        if (!slot.ok()) {
            return fail(slot.status());
        }
        result.chart_slots.push_back(*slot);
    }
    if (!job.save_to.empty()) {
        for (const LunarPhaseChart& chart : result.charts) {
            const auto number =
                charts::AddRecordToFile(job.save_to, chart.record, std::nullopt, std::nullopt);
            if (!number.ok()) {
                return fail(number.status());
            }
            result.saved_numbers.push_back(*number);
        }
    }
    return result;
}

startup::StatusOr<LunarPhaseJobResult> LunarPhaseJobOf(const LunarPhaseJob& job) {
    if (job.chart_kind) {
        return RunLunarPhaseCharts(job);
    }
    if (job.phase_returns) {
        return RunPhaseReturns(job);
    }
    const auto span = ReadSpan(job.span, 0.0);
    if (!span.ok()) {
        return span.status();
    }
    auto phases = FindLunarPhases(span->first, span->second);
    if (!phases.ok()) {
        return phases.status();
    }
    LunarPhaseJobResult result;
    result.phases = std::move(*phases);
    const startup::Status checked =
        CheckChartNumbers(job.create_charts, result.phases.size(), "lunar phase");
    if (!checked.ok()) {
        return checked;
    }
    if (const startup::Status free = CreatedChartsFit(job.create_charts); !free.ok()) {
        return free;
    }
    for (const int n : job.create_charts) {
        const LunarPhaseEvent& phase = result.phases[static_cast<std::size_t>(n - 1)];
        const auto place = PlaceRecord(job.place, phase.jd_ut);
        if (!place.ok()) {
            return place.status();
        }
        const auto slot = OpenCreatedChart(LunarPhaseChartRecord(phase, *place), job.save_to,
                                           result.saved_numbers);
        if (!slot.ok()) {
            return slot.status();
        }
        result.chart_slots.push_back(*slot);
    }
    return result;
}

startup::StatusOr<VoidJobResult> VoidJobOf(const VoidJob& job) {
    if (job.type && (*job.type < 0 || *job.type > 2)) {
        return Refused("--type is 0, 1 or 2.");
    }
    if (job.count < 1 || job.count > 1000) {
        return Refused("--count is 1 to 1000.");
    }
    const auto slot = charts::OpenChartEntry(job.chart);
    if (!slot.ok()) {
        return slot.status();
    }
    const int type = job.type ? *job.type : VoidOfCourseTypeFromSettings();
    VoidJobResult result;
    result.slot = *slot;
    const astro::ChartSlot& chart = astro::Slot(*slot);
    result.is_void = IsMoonVoid(*slot, type);
    auto periods = VoidOfCoursePeriods(chart.julian_day_ut, chart.record.zodiac, type, job.count);
    if (!periods.ok()) {
        return periods.status();
    }
    result.periods = *periods;
    return result;
}

startup::StatusOr<ReturnJobResult> ReturnJobOf(const ReturnJob& job) {
    ReturnJobResult result;
    ReturnRequest& r = result.request;
    if (job.which == "current") {
        r.which = WhichReturn::kCurrent;
    } else if (job.which == "next") {
        r.which = WhichReturn::kNext;
    } else if (job.which == "nearest") {
        r.which = WhichReturn::kNearest;
    } else {
        return Refused("--which is current, next or nearest.");
    }
    if (!job.position.empty()) {
        const auto position = ParseZodiacPosition(job.position);
        if (!position) {
            return Refused("The position \"" + job.position + "\" cannot be read.");
        }
        r.user_position = true;
        r.position = *position;
    }
    if (!(job.accuracy_arcsec >= 0.0)) {
        return Refused("--accuracy is a number of arc seconds, 0 or more.");
    }
    const auto slot = charts::OpenChartEntry(job.base);
    if (!slot.ok()) {
        return slot.status();
    }
    std::string message;
    if (!astro::CheckBaseChart(*slot, astro::kClassReturn, 1, message)) {
        return Refused(message);
    }
    const auto start =
        ReadMoment(job.from, job.from_time, astro::Slot(*slot).record.data.zone.hours, nullptr);
    if (!start.ok()) {
        return start.status();
    }
    r.base_slot = *slot;
    r.point = job.point;
    r.harmonic = job.harmonic;
    r.count = job.count;
    r.converse = job.converse;
    r.precession_correction = job.precessed;
    r.start_jd_ut = *start;
    r.accuracy_arcsec = job.accuracy_arcsec;
    auto found = FindReturns(r, job.progress);
    if (!found.ok()) {
        return found.status();
    }
    result.returns = *found;
    const auto found_count = std::count_if(result.returns.begin(), result.returns.end(),
                                           [](const FoundReturn& f) { return f.found; });
    if (const startup::Status free =
            charts::CheckFreeSlots(static_cast<int>(found_count), kRefusalTitle);
        !free.ok()) {
        return free;
    }
    for (const FoundReturn& f : result.returns) {
        if (!f.found) {
            result.slots.push_back(-1);
            continue;
        }
        const auto chart = OpenReturnChart(r, f);
        if (!chart.ok()) {
            return chart.status();
        }
        result.slots.push_back(*chart);
    }
    return result;
}

// The public jobs: their refusals carry the title of the form they were typed into.
template <class T>
startup::StatusOr<T> UnderTitle(startup::StatusOr<T> result, const charts::ChartEntry& entry) {
    if (result.ok()) {
        return result;
    }
    return charts::UnderEntryTitle(result.status(), entry);
}

}  // namespace

startup::StatusOr<EclipseJobResult> RunEclipseJob(const EclipseJob& job) {
    return UnderTitle(EclipseJobOf(job), job.radix ? *job.radix : job.place);
}

startup::StatusOr<LunarPhaseJobResult> RunLunarPhaseJob(const LunarPhaseJob& job) {
    return UnderTitle(LunarPhaseJobOf(job), job.place);
}

startup::StatusOr<VoidJobResult> RunVoidJob(const VoidJob& job) {
    return UnderTitle(VoidJobOf(job), job.chart);
}

startup::StatusOr<ReturnJobResult> RunReturnJob(const ReturnJob& job) {
    return UnderTitle(ReturnJobOf(job), job.base);
}

}  // namespace meridia::returns
