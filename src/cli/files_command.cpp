// meridia-cli files: lists, shows, creates, edits, converts, merges, imports and exports
// chart files through the chart-file layer.
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "charts/ansi_text.h"
#include "charts/chart_files.h"
#include "charts/chart_merge.h"
#include "charts/chart_save.h"
#include "charts/chart_text.h"
#include "charts/file_io.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/messages.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::cli {

namespace {

namespace fs = std::filesystem;
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
    ChartOptions chart;
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
    doc["comment_length"] = charts::Utf8ToAnsi(chart.comment).size();
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

// A file that exists but cannot be read has had its message from the chart-file layer
// already; only a missing file is reported here.
void CannotOpen(CliContext& ctx, const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        *ctx.err << "Cannot open chart file: " << path << '\n';
    }
}

int List(CliContext& ctx, const FilesArgs& args) {
    const auto image = charts::ReadChartFileImage(args.path);
    if (!image) {
        CannotOpen(ctx, args.path);
        return kExitFailure;
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
            << charts::EventTypeName(r.event_type) << "  rating " << r.rating << "  source "
            << r.source << "  house " << int{r.house_system} << "  zodiac " << int{r.zodiac}
            << "  coords " << int{r.coords} << "  comment "
            << charts::Utf8ToAnsi(chart.comment).size() << "  events " << chart.events.size()
            << '\n';
    }
    return kExitOk;
}

int Show(CliContext& ctx, const FilesArgs& args) {
    const int n = args.charts.empty() ? 0 : args.charts.front();
    const auto image = charts::ReadChartFileImage(args.path);
    if (!image) {
        CannotOpen(ctx, args.path);
        return kExitFailure;
    }
    if (n < 1 || static_cast<std::size_t>(n) > image->charts.size()) {
        *ctx.err << "No chart " << n << " in " << args.path << '\n';
        return kExitRefused;
    }
    const StoredChart& chart = image->charts[static_cast<std::size_t>(n - 1)];
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
        << charts::EventTypeName(r.event_type) << "  rating " << r.rating << "  source " << r.source
        << '\n'
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
    std::error_code ec;
    if (fs::exists(args.path, ec)) {
        *ctx.err << "The file exists already: " << args.path << '\n';
        return kExitRefused;
    }
    const fs::path created = args.version == charts::kVersionCurrent
                                 ? charts::CurrentFormatName(args.path)
                                 : fs::path(args.path);
    if (created != fs::path(args.path) && fs::exists(created, ec)) {
        *ctx.err << "The file exists already: " << created.string() << '\n';
        return kExitRefused;
    }
    if (!charts::CreateChartFile(args.path, args.version, args.description)) {
        *ctx.err << "Cannot create chart file: " << args.path << '\n';
        return kExitFailure;
    }
    *ctx.out << created.string() << '\n';
    return kExitOk;
}

int Add(CliContext& ctx, const FilesArgs& args) {
    std::error_code ec;
    if (!fs::exists(args.path, ec)) {
        CannotOpen(ctx, args.path);
        return kExitFailure;
    }
    const auto record = BuildChartRecord(args.chart, DefaultChartLoader());
    if (!record) {
        return kExitRefused;
    }
    charts::SaveChartRequest request;
    request.file = args.path;
    request.comment = args.comment;
    if (args.replace) {
        request.replace = true;
        request.replace_number = *args.replace;
    }
    const charts::SaveChartResult result = charts::SaveChartToFile(*record, request);
    switch (result.status) {
        case charts::SaveStatus::kSaved:
            *ctx.out << result.number << '\n';
            return kExitOk;
        case charts::SaveStatus::kRefused:
            if (args.replace) {
                *ctx.err << "No chart " << *args.replace << " to replace in " << args.path << '\n';
            }
            return kExitRefused;
        default:
            *ctx.err << "Cannot save the chart into " << args.path << '\n';
            return kExitFailure;
    }
}

int Delete(CliContext& ctx, const FilesArgs& args) {
    const auto image = charts::ReadChartFileImage(args.path);
    if (!image) {
        CannotOpen(ctx, args.path);
        return kExitFailure;
    }
    if (image->version == charts::kVersion0 || image->version == charts::kVersionTessel) {
        *ctx.err << "Charts cannot be deleted from a "
                 << charts::ChartFileFormatName(image->version) << " chart file.\n";
        return kExitRefused;
    }
    for (const int n : args.charts) {
        if (n < 1 || static_cast<std::size_t>(n) > image->charts.size()) {
            *ctx.err << "No chart " << n << " in " << args.path << '\n';
            return kExitRefused;
        }
    }
    if (!charts::DeleteCharts(args.path, args.charts)) {
        *ctx.err << "Cannot rewrite chart file: " << args.path << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

int Describe(CliContext& ctx, const FilesArgs& args) {
    const charts::OpenedChartFile file = charts::OpenChartFile(args.path);
    if (file.handle < 1) {
        CannotOpen(ctx, args.path);
        return kExitFailure;
    }
    if (file.version == charts::kVersion0) {
        charts::CloseChartFile(file.version, file.handle);
        *ctx.err << "A " << charts::ChartFileFormatName(file.version)
                 << " chart file has no description.\n";
        return kExitRefused;
    }
    bool ok = charts::SetChartFileDescription(file.version, file.handle, args.description);
    ok = charts::CloseChartFile(file.version, file.handle) && ok;
    if (!ok) {
        *ctx.err << "Cannot rewrite chart file: " << args.path << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

int Convert(CliContext& ctx, const FilesArgs& args) {
    const auto version = charts::DetectChartFileVersion(args.path);
    if (!version) {
        CannotOpen(ctx, args.path);
        return kExitFailure;
    }
    if (*version == charts::kVersionCurrent || *version == charts::kVersionTessel) {
        *ctx.err << "Not an older-format chart file: " << args.path << '\n';
        return kExitRefused;
    }
    const charts::ConvertResult result =
        charts::ConvertChartFile(args.path, *version, charts::kVersionCurrent);
    if (result.status != 0) {
        startup::ShowMessage(
            "The selected chart file could not be converted to the required format.",
            startup::kExclamation, "Meridia");
        return kExitFailure;
    }
    *ctx.out << result.new_name.string() << '\n';
    return kExitOk;
}

int Merge(CliContext& ctx, const FilesArgs& args) {
    std::error_code ec;
    if (!fs::is_directory(args.path, ec) || !fs::is_directory(args.second_path, ec)) {
        *ctx.err << "Both folders must exist: " << args.path << ", " << args.second_path << '\n';
        return kExitRefused;
    }
    charts::FileMerger merger;
    const charts::MergeTotals totals = merger.MergeChartFiles(args.path, args.second_path);
    *ctx.out << "Merge finished. " << totals.files << " files were merged into " << args.second_path
             << ", bringing in " << totals.charts << " merged charts.\n";
    return kExitOk;
}

// Copies every chart of one file into another (created when missing, in the target's
// format: the block format for ".tsl", else the current format).
int Transfer(CliContext& ctx, const std::string& from, const std::string& to) {
    const auto image = charts::ReadChartFileImage(from);
    if (!image) {
        CannotOpen(ctx, from);
        return kExitFailure;
    }
    std::error_code ec;
    fs::path target = to;
    bool created = false;
    if (!fs::exists(target, ec)) {
        // A new file is made in the block format for ".tsl" (any case), else in the current
        // format under its current-format name.
        const int version =
            charts::HasExtension(target, ".tsl") ? charts::kVersionTessel : charts::kVersionCurrent;
        if (version == charts::kVersionCurrent) {
            target = charts::CurrentFormatName(target);
        }
        if (fs::exists(target, ec)) {
            *ctx.err << "The file exists already: " << target.string() << '\n';
            return kExitRefused;
        }
        if (!charts::CreateChartFile(target, version, image->description)) {
            *ctx.err << "Cannot create chart file: " << target.string() << '\n';
            return kExitFailure;
        }
        created = true;
    }
    const charts::OpenedChartFile file = charts::OpenChartFile(target);
    if (file.handle < 1) {
        // A file made here is not left behind when it cannot be opened.
        if (created) {
            fs::remove(target, ec);
        }
        CannotOpen(ctx, target.string());
        return kExitFailure;
    }
    if (file.version == charts::kVersion0) {
        charts::CloseChartFile(file.version, file.handle);
        *ctx.err << "Charts cannot be written into a " << charts::ChartFileFormatName(file.version)
                 << " chart file.\n";
        return kExitRefused;
    }
    bool ok = true;
    for (const StoredChart& chart : image->charts) {
        const int n = charts::ChartCount(file.version, file.handle) + 1;
        astro::ChartRecord record = chart.record;
        record.comment_link = 0;
        ok = ok && charts::WriteChartRecord(file.version, file.handle, n, record);
        if (ok && !chart.comment.empty() && file.version != charts::kVersionTessel) {
            ok = charts::WriteChartComments(file.version, file.handle, n, chart.comment);
        }
        if (ok) {
            ok = charts::WriteChartEvents(file.version, file.handle, n, chart.events);
        }
    }
    ok = charts::CloseChartFile(file.version, file.handle) && ok;
    if (!ok) {
        *ctx.err << "Cannot write chart file: " << target.string() << '\n';
        return kExitFailure;
    }
    *ctx.out << image->charts.size() << '\n';
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
    del->callback([&ctx, args] { ctx.action = [&ctx, args] { return Delete(ctx, *args); }; });

    auto* describe = cmd->add_subcommand("describe", "Set the file description");
    describe->add_option("PATH", args->path, "Chart file")->required();
    describe->add_option("--description", args->description, "File description")->required();
    describe->callback(
        [&ctx, args] { ctx.action = [&ctx, args] { return Describe(ctx, *args); }; });

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
