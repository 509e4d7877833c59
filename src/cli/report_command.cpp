// meridia-cli report: one text report of one chart (or chart B against chart A), as the report
// view shows it, into stdout or a file; --list names the kinds; --json gives the title, the
// lines and the report's computed figures.
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <variant>

#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "reports/reports.h"
#include "startup/file_io.h"
#include "startup/messages.h"

namespace meridia::cli {

namespace {

struct ReportOptions {
    charts::ChartEntry first;
    charts::ChartEntry second;
    bool with = false;
    bool list = false;
    std::string out;
    reports::ReportJob job;
};

nlohmann::json ValuesJson(const reports::ReportWriter& writer) {
    nlohmann::json values = nlohmann::json::object();
    for (const auto& [name, value] : writer.Values()) {
        std::visit([&values, &name = name](const auto& v) { values[name] = v; }, value);
    }
    return values;
}

int RunReport(CliContext& ctx, ReportOptions& options) {
    if (options.list) {
        for (const reports::ReportKind& kind : reports::ReportKinds()) {
            *ctx.out << kind.name << "\t" << kind.title << '\n';
        }
        return kExitOk;
    }
    if (options.job.kind.empty()) {
        startup::ShowMessage("A report kind is needed (meridia-cli report --list names them).", 0,
                             "meridia-cli");
        return kExitRefused;
    }
    if (!options.out.empty()) {
        const std::filesystem::path folder = std::filesystem::absolute(options.out).parent_path();
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            startup::ShowMessage("The folder of the output file does not exist: " + folder.string(),
                                 0, "meridia-cli");
            return kExitRefused;
        }
    }
    options.job.first = options.first;
    if (options.with || options.second.Given()) {
        options.job.second = options.second;
    }
    const auto writer = reports::RunReportJob(options.job);
    if (!writer.ok()) {
        const int status = ExitFor(writer.status());
        return writer.status().code() == startup::StatusCode::kFailed ? status : kExitRefused;
    }
    if (!options.out.empty()) {
        const startup::Status written = startup::WriteFileSafely(options.out, writer->Text());
        if (!written.ok()) {
            return ExitFor(written);
        }
    }
    if (ctx.json) {
        nlohmann::json lines = nlohmann::json::array();
        for (const reports::ReportLine& line : writer->Lines()) {
            lines.push_back(std::string(static_cast<std::size_t>(line.indent), ' ') + line.text);
        }
        nlohmann::json doc;
        doc["title"] = writer->Title();
        doc["lines"] = lines;
        doc["values"] = ValuesJson(*writer);
        *ctx.out << doc.dump() << '\n';
    } else if (options.out.empty()) {
        *ctx.out << writer->Text();
    }
    return kExitOk;
}

}  // namespace

void AddReportCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("report", "Text reports of one chart or of two (synastry)");
    auto options = std::make_shared<ReportOptions>();
    cmd->add_option("kind", options->job.kind, "Report kind (--list names them)");
    AddChartOptions(*cmd, options->first, "--");
    AddChartOptions(*cmd, options->second, "--b-");
    cmd->add_flag("--list", options->list, "List the report kinds and their titles");
    cmd->add_flag("--with", options->with, "A second chart (--b- fields) for synastry reports");
    cmd->add_option("--aspect-set", options->job.aspect_set, "Aspect set name or path");
    cmd->add_option("--points", options->job.points,
                    "Report points: a selection name or path, or a list of point numbers and "
                    "ranges such as 3,5-12,22,23");
    cmd->add_option("--modulus", options->job.modulus,
                    "Modulus of point sorts and midpoint listings in degrees (default 360; the "
                    "midpoint axes, trees, modal sort and weighting use 90 when it is 360)");
    cmd->add_option("--weighting", options->job.weighting,
                    "Almuten weighting file of the dignity reports (default: essdig.alm for "
                    "the dignity table, general.alm for the almuten scores)");
    cmd->add_option("--out", options->out,
                    "Write the report text to this file (the folder must exist)");
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunReport(ctx, *options); }; });
}

}  // namespace meridia::cli
