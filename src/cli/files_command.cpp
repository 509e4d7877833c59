// meridia-cli files: lists, shows, creates, edits, converts, merges, imports and exports
// chart files through the chart-file layer.
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "charts/chart_file_jobs.h"
#include "charts/chart_files.h"
#include "charts/chart_text.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/name_tables.h"
#include "startup/text_encoding.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::cli {

namespace {

using charts::ChartEvent;
using charts::StoredChart;

struct FilesArgs {
    std::string path;
    std::string second_path;
    std::string description;
    int version = charts::kVersionCurrent;
    std::vector<int> charts;
    std::optional<std::string> comment;
    std::optional<int> replace;
    charts::ChartEntry chart;
};

nlohmann::json DateJson(const astro::ChartData& data) {
    const auto& dt = data.date_time;
    return {{"year", dt.year},          {"month", dt.month},   {"day", dt.day},
            {"hour", dt.hour},          {"minute", dt.minute}, {"second", dt.second},
            {"calendar", data.calendar}};
}

void AddDataJson(nlohmann::json& doc, const astro::ChartData& data) {
    doc["name"] = data.name;
    doc["date"] = DateJson(data);
    doc["zone_hours"] = static_cast<double>(data.zone.hours);
    doc["zone_mnemonic"] = data.zone.mnemonic;
    doc["zone"] = charts::ZoneText(data.zone);
    doc["place"] = data.place.place_name;
    doc["country"] = data.place.country;
    doc["longitude"] = static_cast<double>(data.place.longitude);
    doc["latitude"] = static_cast<double>(data.place.latitude);
}

nlohmann::json ChartJson(int number, const StoredChart& chart) {
    const astro::ChartRecord& r = chart.record;
    nlohmann::json doc;
    doc["number"] = number;
    AddDataJson(doc, r.data);
    doc["class"] = r.chart_class;
    doc["kind"] = r.chart_kind;
    doc["event_type"] = r.event_type;
    doc["rating"] = r.rating;
    doc["source"] = r.source;
    doc["house_system"] = r.house_system;
    doc["zodiac"] = r.zodiac;
    doc["coords"] = r.coords;
    doc["user_svp"] = static_cast<double>(r.user_svp);
    // Characters as stored in the file (one byte each on disk).
    doc["comment_length"] = startup::Utf8ToWindows1252(chart.comment).size();
    doc["event_count"] = chart.events.size();
    return doc;
}

std::string DateTimeText(const astro::ChartData& data) {
    const auto& dt = data.date_time;
    return textformats::FormatDate(dt.day, dt.month, dt.year,
                                   static_cast<textformats::CalendarMode>(data.calendar)) +
           "  " + textformats::FormatTime(dt.hour, dt.minute, dt.second);
}

std::string PlaceText(const astro::ChartData& data) {
    return data.place.place_name + ", " + data.place.country + "  lon " +
           std::to_string(data.place.longitude) + "  lat " + std::to_string(data.place.latitude);
}

int List(CliContext& ctx, const FilesArgs& args) {
    const auto image = charts::ReadChartFileForJob(args.path);
    if (!image.ok()) {
        return ExitFor(image.status());
    }
    std::ostream& out = *ctx.out;
    if (ctx.json) {
        nlohmann::json doc;
        doc["format"] = charts::ChartFileFormatName(image->version);
        doc["version"] = image->version;
        doc["description"] = image->description;
        doc["charts"] = nlohmann::json::array();
        for (std::size_t i = 0; i < image->charts.size(); ++i) {
            doc["charts"].push_back(ChartJson(static_cast<int>(i + 1), image->charts[i]));
        }
        out << doc.dump(2) << '\n';
        return kExitOk;
    }
    out << "Format: " << charts::ChartFileFormatName(image->version) << '\n'
        << "Description: " << image->description << '\n'
        << "Charts: " << image->charts.size() << '\n';
    for (std::size_t i = 0; i < image->charts.size(); ++i) {
        const StoredChart& chart = image->charts[i];
        const astro::ChartRecord& r = chart.record;
        out << (i + 1) << ". " << r.data.name << "  " << DateTimeText(r.data) << "  "
            << charts::ZoneText(r.data.zone) << "  " << PlaceText(r.data) << "  type "
            << int{r.chart_class} << '/' << int{r.chart_kind} << "  "
            << startup::Names().EventTypeName(r.event_type) << "  rating " << r.rating
            << "  source " << r.source << "  house " << int{r.house_system} << "  zodiac "
            << int{r.zodiac} << "  coords " << int{r.coords} << "  comment "
            << startup::Utf8ToWindows1252(chart.comment).size() << "  events "
            << chart.events.size() << '\n';
    }
    return kExitOk;
}

int Show(CliContext& ctx, const FilesArgs& args) {
    const int n = args.charts.empty() ? 0 : args.charts.front();
    const auto image = charts::ReadChartFileForJob(args.path);
    if (!image.ok()) {
        return ExitFor(image.status());
    }
    const auto stored = charts::ChartOfImage(*image, n, args.path);
    if (!stored.ok()) {
        return ExitFor(stored.status());
    }
    const StoredChart& chart = *stored;
    std::ostream& out = *ctx.out;
    if (ctx.json) {
        nlohmann::json doc = ChartJson(n, chart);
        doc["comment"] = chart.comment;
        doc["events"] = nlohmann::json::array();
        for (const ChartEvent& event : chart.events) {
            nlohmann::json e;
            AddDataJson(e, event.data);
            e["comment"] = event.comment;
            doc["events"].push_back(e);
        }
        out << doc.dump(2) << '\n';
        return kExitOk;
    }
    const astro::ChartRecord& r = chart.record;
    out << n << ". " << r.data.name << '\n'
        << "  " << DateTimeText(r.data) << "  " << charts::ZoneText(r.data.zone) << '\n'
        << "  " << PlaceText(r.data) << '\n'
        << "  type " << int{r.chart_class} << '/' << int{r.chart_kind} << "  "
        << startup::Names().EventTypeName(r.event_type) << "  rating " << r.rating << "  source "
        << r.source << '\n'
        << "Comment:\n"
        << chart.comment << '\n'
        << "Events: " << chart.events.size() << '\n';
    for (const ChartEvent& event : chart.events) {
        out << "  " << event.data.name << "  " << DateTimeText(event.data) << "  "
            << charts::ZoneText(event.data.zone) << "  " << PlaceText(event.data) << '\n';
        if (!event.comment.empty()) {
            out << "    " << event.comment << '\n';
        }
    }
    return kExitOk;
}

int Create(CliContext& ctx, const FilesArgs& args) {
    const auto created = charts::CreateNewChartFile(args.path, args.version, args.description);
    if (!created.ok()) {
        return ExitFor(created.status());
    }
    *ctx.out << created->string() << '\n';
    return kExitOk;
}

int Add(CliContext& ctx, const FilesArgs& args) {
    const auto number = charts::AddChartToFile(args.path, args.chart, args.comment, args.replace);
    if (!number.ok()) {
        return ExitFor(number.status());
    }
    *ctx.out << *number << '\n';
    return kExitOk;
}

int Delete(const FilesArgs& args) {
    return ExitFor(charts::DeleteChartsFromFile(args.path, args.charts));
}

int Describe(const FilesArgs& args) {
    return ExitFor(charts::DescribeChartFile(args.path, args.description));
}

int Convert(CliContext& ctx, const FilesArgs& args) {
    const auto converted = charts::ConvertOlderChartFile(args.path);
    if (!converted.ok()) {
        return ExitFor(converted.status());
    }
    *ctx.out << converted->string() << '\n';
    return kExitOk;
}

int Merge(CliContext& ctx, const FilesArgs& args) {
    const auto totals = charts::MergeChartFolders(args.path, args.second_path);
    if (!totals.ok()) {
        return ExitFor(totals.status());
    }
    *ctx.out << "Merge finished. " << totals->files << " files were merged into "
             << args.second_path << ", bringing in " << totals->charts << " merged charts.\n";
    return kExitOk;
}

// Import and export: every chart of one file copied into another.
int Transfer(CliContext& ctx, const std::string& from, const std::string& to) {
    const auto count = charts::TransferCharts(from, to);
    if (!count.ok()) {
        return ExitFor(count.status());
    }
    *ctx.out << *count << '\n';
    return kExitOk;
}

}  // namespace

void AddFilesCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("files", "Chart files: list, show, create, add, delete, ...");
    cmd->require_subcommand(1);
    auto args = std::make_shared<FilesArgs>();

    auto* list = cmd->add_subcommand("list", "List the charts of a chart file");
    list->add_option("PATH", args->path, "Chart file")->required();
    list->callback([&ctx, args] { ctx.action = [&ctx, args] { return List(ctx, *args); }; });

    auto* show = cmd->add_subcommand("show", "One chart with its comment and events");
    show->add_option("PATH", args->path, "Chart file")->required();
    show->add_option("--chart", args->charts, "Chart number")->required()->expected(1);
    show->callback([&ctx, args] { ctx.action = [&ctx, args] { return Show(ctx, *args); }; });

    auto* create = cmd->add_subcommand("create", "A new empty chart file");
    create->add_option("PATH", args->path, "Chart file")->required();
    create->add_option("--description", args->description, "File description")->required();
    create->add_option("--version", args->version, "0, 1, 2 or 3 (current format, default)")
        ->check(CLI::Range(0, 3));
    create->callback([&ctx, args] { ctx.action = [&ctx, args] { return Create(ctx, *args); }; });

    auto* add = cmd->add_subcommand("add", "Append a chart (or replace chart N)");
    add->add_option("PATH", args->path, "Chart file")->required();
    AddChartOptions(*add, args->chart, "--");
    add->add_option("--comment", args->comment, "Comment text");
    add->add_option("--replace", args->replace, "Replace chart N")->check(CLI::PositiveNumber);
    add->callback([&ctx, args] { ctx.action = [&ctx, args] { return Add(ctx, *args); }; });

    auto* del = cmd->add_subcommand("delete", "Remove charts; later ones move up");
    del->add_option("PATH", args->path, "Chart file")->required();
    del->add_option("--chart", args->charts, "Chart numbers")->required();
    del->callback([&ctx, args] { ctx.action = [&ctx, args] { return Delete(*args); }; });

    auto* describe = cmd->add_subcommand("describe", "Set the file description");
    describe->add_option("PATH", args->path, "Chart file")->required();
    describe->add_option("--description", args->description, "File description")->required();
    describe->callback([&ctx, args] { ctx.action = [&ctx, args] { return Describe(*args); }; });

    auto* convert = cmd->add_subcommand("convert", "Convert an older file to the current format");
    convert->add_option("PATH", args->path, "Chart file")->required();
    convert->callback([&ctx, args] { ctx.action = [&ctx, args] { return Convert(ctx, *args); }; });

    auto* merge = cmd->add_subcommand("merge", "Merge the chart files of one folder into another");
    merge->add_option("SRC_FOLDER", args->path, "Source folder")->required();
    merge->add_option("DST_FOLDER", args->second_path, "Destination folder")->required();
    merge->callback([&ctx, args] { ctx.action = [&ctx, args] { return Merge(ctx, *args); }; });

    // "import" would read as a module import to some tools, hence the longer names.
    auto* import_cmd = cmd->add_subcommand("import", "Import a block-format (.tsl) file");
    import_cmd->add_option("PATH", args->path, "Block-format file")->required();
    import_cmd->add_option("--to", args->second_path, "Destination chart file")->required();
    import_cmd->callback([&ctx, args] {
        ctx.action = [&ctx, args] { return Transfer(ctx, args->path, args->second_path); };
    });

    auto* export_cmd =
        cmd->add_subcommand("export", "Export a chart file to the block format (.tsl)");
    export_cmd->add_option("DST_TSL", args->second_path, "Block-format file to write")->required();
    export_cmd->add_option("--from", args->path, "Chart file")->required();
    export_cmd->callback([&ctx, args] {
        ctx.action = [&ctx, args] { return Transfer(ctx, args->path, args->second_path); };
    });
}

}  // namespace meridia::cli
