// meridia-cli wheel: one to five charts drawn as a wheel, a dial or an aspect grid into a PNG,
// JPEG, BMP, SVG or PDF file, with the layout drawn as JSON. meridia-cli style: a wheel style
// file as its readable text description, and back.
#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "charts/chart_entry.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "drawing/wheel_picture.h"
#include "drawing/wheel_style.h"

namespace meridia::cli {

namespace {

struct WheelOptions {
    std::array<charts::ChartEntry, 5> charts;
    bool with = false;
    std::string kind = "wheel";
    std::string style;
    std::string aspect_set;
    std::string points;
    int size = 1000;
    std::string background = "#FFFFFF";
    bool no_color = false;
    bool info = false;
    std::optional<double> zero;
    std::string out;
};

// Drawing text needs a GUI application; the command line draws off-screen, without a display.
void EnsureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "meridia-cli";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static QGuiApplication app(argc, argv);
}

const char* KindName(drawing::DrawKind kind) {
    switch (kind) {
        case drawing::DrawKind::kDial:
            return "dial";
        case drawing::DrawKind::kGrid:
            return "grid";
        default:
            return "wheel";
    }
}

void WriteJson(std::ostream& out, const drawing::WheelLayout& layout) {
    nlohmann::json doc;
    doc["kind"] = KindName(layout.kind);
    doc["style"] = layout.style;
    doc["modulus"] = layout.modulus;
    doc["zero_longitude"] = layout.zero_longitude;
    doc["rings"] = layout.rings;
    nlohmann::json charts = nlohmann::json::array();
    for (const drawing::LayoutChart& c : layout.charts) {
        nlohmann::json points = nlohmann::json::array();
        for (const drawing::LayoutPoint& p : c.points) {
            points.push_back({{"number", p.number},
                              {"longitude", p.longitude},
                              {"display_angle", p.display_angle},
                              {"label", p.label}});
        }
        charts.push_back({{"points", points}});
    }
    doc["charts"] = charts;
    nlohmann::json aspects = nlohmann::json::array();
    for (const drawing::LayoutAspect& a : layout.aspects) {
        aspects.push_back({{"chart_a", a.chart_a},
                           {"point_a", a.point_a},
                           {"chart_b", a.chart_b},
                           {"point_b", a.point_b},
                           {"aspect", a.aspect}});
    }
    doc["aspects"] = aspects;
    out << doc.dump() << '\n';
}

void WriteListing(std::ostream& out, const drawing::WheelLayout& layout, const std::string& path) {
    out << "Drawn: " << path << " (" << KindName(layout.kind) << ", style " << layout.style
        << ")\n";
    for (std::size_t c = 0; c < layout.charts.size(); ++c) {
        out << "Chart " << c + 1 << ": " << layout.charts[c].points.size() << " points\n";
    }
    out << layout.aspects.size() << " aspect lines\n";
}

int RunWheel(CliContext& ctx, WheelOptions& o) {
    drawing::WheelRequest request;
    if (o.kind == "dial") {
        request.kind = drawing::DrawKind::kDial;
    } else if (o.kind == "grid") {
        request.kind = drawing::DrawKind::kGrid;
    }
    const auto background = drawing::ReadBackgroundColour(o.background);
    if (!background.ok()) {
        return ExitFor(background.status());
    }
    request.background = *background;
    request.color = !o.no_color;
    request.chart_info = o.info;
    request.zero_longitude = o.zero;
    request.style = o.style;
    request.aspect_set = o.aspect_set;
    request.points = o.points;
    request.extra_points = !o.charts[0].extra.empty();
    const std::filesystem::path out_path(o.out);
    // Charts A to E into slots 1 to 5; B and later when their fields were given.
    for (std::size_t i = 0; i < o.charts.size(); ++i) {
        if (i > 0 && !o.charts[i].Given() && !(i == 1 && o.with)) {
            break;
        }
        const int slot = static_cast<int>(i) + 1;
        if (startup::Status s = charts::CalculateChartEntry(o.charts[i], slot); !s.ok()) {
            return ExitForJob(s);
        }
        request.chart_slots.push_back(slot);
    }
    EnsureGuiApplication();
    const auto layout = drawing::SaveChartPicture(out_path, o.size, request);
    if (!layout.ok()) {
        return ExitForJob(layout.status());
    }
    if (ctx.json) {
        WriteJson(*ctx.out, *layout);
    } else {
        WriteListing(*ctx.out, *layout, o.out);
    }
    return kExitOk;
}

int RunStyleExport(CliContext& ctx, const std::string& path) {
    const auto style = drawing::ReadWheelStyleFile(path);
    if (!style.ok()) {
        return ExitFor(style.status());
    }
    *ctx.out << drawing::StyleToText(*style);
    return kExitOk;
}

int RunStyleImport(const std::string& source, const std::string& out) {
    return ExitFor(drawing::ImportWheelStyleText(source, out));
}

}  // namespace

void AddWheelCommands(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("wheel", "Draw charts as a wheel, a dial or an aspect grid");
    auto o = std::make_shared<WheelOptions>();
    static const std::array<const char*, 5> kPrefixes = {"--", "--b-", "--c-", "--d-", "--e-"};
    for (std::size_t i = 0; i < kPrefixes.size(); ++i) {
        AddChartOptions(*cmd, o->charts[i], kPrefixes[i]);
    }
    AddExtraOption(*cmd, o->charts[0]);
    cmd->add_flag("--with", o->with, "A second chart follows (--b- fields); changes nothing");
    cmd->add_option("--kind", o->kind, "wheel (default), dial or grid")
        ->check(CLI::IsMember({"wheel", "dial", "grid"}));
    cmd->add_option("--style", o->style,
                    "Wheel style name or path (default: the settings' style of the chart count; "
                    "the extension .wh1-.wh5 or .di1-.di5 is added to a name)");
    cmd->add_option("--aspect-set", o->aspect_set, "Aspect set name or path");
    cmd->add_option("--points", o->points,
                    "Displayed points: a selection name or path, or a list such as 3,5-12,22");
    cmd->add_option("--size", o->size,
                    "Picture size in pixels (raster: square; SVG and PDF: at "
                    "96 pixels per inch), default 1000")
        ->check(CLI::Range(16, 20000));
    cmd->add_option("--background", o->background, "Background colour #RRGGBB (default white)");
    cmd->add_flag("--no-color", o->no_color, "Black and white");
    cmd->add_flag("--info", o->info, "Chart information block in the corners (printed wheels)");
    cmd->add_option("--zero", o->zero,
                    "Longitude drawn at nine o'clock (default: the first chart's Ascendant; "
                    "a dial puts 0 Aries at twelve o'clock)");
    cmd->add_option("--out", o->out, "Picture file: .png, .jpg, .bmp, .svg or .pdf")->required();
    cmd->callback([&ctx, o] { ctx.action = [&ctx, o] { return RunWheel(ctx, *o); }; });

    auto* style = app.add_subcommand("style", "Wheel style files as text descriptions");
    style->require_subcommand(1);
    auto* exp = style->add_subcommand("export", "Print a style file as its text description");
    auto export_path = std::make_shared<std::string>();
    exp->add_option("FILE", *export_path, "Wheel style file (.wh1-.wh5, .di1-.di5)")->required();
    exp->callback([&ctx, export_path] {
        ctx.action = [&ctx, export_path] { return RunStyleExport(ctx, *export_path); };
    });
    auto* imp = style->add_subcommand("import", "Write a style file from a text description");
    auto import_paths = std::make_shared<std::pair<std::string, std::string>>();
    imp->add_option("TEXT", import_paths->first, "Text description")->required();
    imp->add_option("--out", import_paths->second, "Style file to write")->required();
    imp->callback([&ctx, import_paths] {
        ctx.action = [import_paths] {
            return RunStyleImport(import_paths->first, import_paths->second);
        };
    });
}

}  // namespace meridia::cli
