// meridia-cli report: one text report of one chart (or chart B against chart A), as the report
// view shows it, into stdout or a file; --list names the kinds; --json gives the title, the
// lines and the report's computed figures.
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <variant>

#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "reports/reports.h"

namespace meridia::cli {

namespace {

struct ReportOptions {
    charts::ChartEntry first;
    charts::ChartEntry second;
    bool with = false;
    bool list = false;
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
    options.job.first = options.first;
    if (options.with || options.second.Given()) {
        options.job.second = options.second;
    }
    const auto writer = reports::RunReportJob(options.job);
    if (!writer.ok()) {
        return ExitForJob(writer.status());
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
    } else if (options.job.out.empty()) {
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
    AddExtraOption(*cmd, options->first);
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
    cmd->add_option("--out", options->job.out,
                    "Write the report text to this file (the folder must exist)");
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunReport(ctx, *options); }; });
}

}  // namespace meridia::cli
