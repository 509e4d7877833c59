#include "cli/cli_app.h"

#include <iostream>
#include <ostream>
#include <string_view>

#include "cli/cli_context.h"
#include "directions/dynamic_source.h"
#include "returns/dynamic_events.h"
#include "returns/eclipses.h"
#include "returns/returns.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/settings_store.h"
#include "startup/startup.h"

namespace meridia::cli {

namespace {

// Writes every message to the CLI's error stream: "[TITLE]" then the lines.
class StreamMessageSink : public startup::MessageSink {
public:
    explicit StreamMessageSink(std::ostream& err) : err_(err) {}
    int Show(const startup::Message& message) override {
        if (!message.title.empty()) {
            err_ << '[' << message.title << "]\n";
        }
        err_ << message.text << '\n';
        err_.flush();
        return startup::DefaultAnswer(message.style);
    }

private:
    std::ostream& err_;
};

// The subcommands, grouped as they register themselves (a group names one or two).
struct CommandGroup {
    std::string_view first;
    std::string_view second;
    void (*add)(CLI::App&, CliContext&);
};

// The subcommand word of the arguments: the first word that is neither an option nor the value
// of a common option taking one. Empty when there is none.
std::string_view SubcommandWord(const std::vector<std::string>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view word = args[i];
        if (word == "--user-dir" || word == "--set") {
            ++i;
            continue;
        }
        if (!word.empty() && word.front() == '-') {
            continue;
        }
        return word;
    }
    return {};
}

// Registers the subcommands. When the arguments name one, only its group is registered: the
// options of the others (a few hundred) would only cost start-up time.
void AddCommands(CLI::App& app, CliContext& ctx, const std::vector<std::string>& args) {
    const CommandGroup groups[] = {{"chart", {}, AddChartCommand},
                                   {"files", {}, AddFilesCommand},
                                   {"aspects", {}, AddAspectsCommand},
                                   {"stars", {}, AddStarsCommand},
                                   {"place", "zone", AddPlaceCommands},
                                   {"derive", "riseset", AddDeriveCommands},
                                   {"wheel", "style", AddWheelCommands},
                                   {"dynamic", {}, AddDynamicCommand},
                                   {"speculum", {}, AddSpeculumCommand},
                                   {"return", "voc", AddReturnCommands},
                                   {"eclipses", "lunar-phases", AddEclipseCommands},
                                   {"report", {}, AddReportCommand}};
    const std::string_view word = SubcommandWord(args);
    for (const CommandGroup& group : groups) {
        if (!word.empty() && (word == group.first || word == group.second)) {
            group.add(app, ctx);
            return;
        }
    }
    for (const CommandGroup& group : groups) {
        group.add(app, ctx);
    }
}

}  // namespace

int ExitFor(const startup::Status& status) {
    status.Show(startup::kExclamation);
    switch (status.code()) {
        case startup::StatusCode::kOk:
            return kExitOk;
        case startup::StatusCode::kRefused:
        case startup::StatusCode::kOutOfRange:
            return kExitRefused;
        default:
            return kExitFailure;
    }
}

int ExitForJob(const startup::Status& status) {
    const int exit_status = ExitFor(status);
    return status.code() == startup::StatusCode::kFailed ? exit_status : kExitRefused;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // The extra events of the dynamic report (eclipses, lunar phases, void of course).
    returns::RegisterDynamicExtraEvents();
    // Return charts (class 4) of the derived-chart routing.
    returns::RegisterReturnCharts();
    // The prior eclipse of the "prenatal-eclipse" extra point, from the eclipse catalogues.
    returns::InstallPriorEclipseFinder();
    CliContext ctx;
    ctx.out = &out;
    ctx.err = &err;
    ctx.executable = args.empty() ? std::string() : args.front();

    CLI::App app{"meridia-cli: Meridia's calculations from the command line", "meridia-cli"};
    app.set_version_flag("--version", "Meridia " + startup::ProgramVersion());
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--user-dir", ctx.user_dir, "User-files folder for this run");
    app.add_option("--set", ctx.settings, "KEY=VALUE of the [Meridia] settings, this run only")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--json", ctx.json, "Machine output (one JSON document on stdout)");

    AddCommands(app, ctx, args);

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) {
        reversed.pop_back();  // the program name
    }
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp& e) {
        out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << e.what() << '\n';
        return kExitRefused;
    }

    // The dynamic search finds the primary-direction types through their registered source.
    directions::RegisterPrimaryDirections();
    StreamMessageSink sink(err);
    startup::CurrentSession().SetMessageSink(&sink);
    startup::StartupOptions options;
    options.executable = ctx.executable;
    options.user_dir = ctx.user_dir;
    int status = kExitFailure;
    if (startup::StartSession(options)) {
        auto& settings = startup::CurrentSession().settings();
        bool settings_ok = true;
        for (const std::string& pair : ctx.settings) {
            const auto eq = pair.find('=');
            if (eq == std::string::npos || eq == 0) {
                err << "--set expects KEY=VALUE: " << pair << '\n';
                settings_ok = false;
                break;
            }
            settings.SetForRun(pair.substr(0, eq), pair.substr(eq + 1));
        }
        if (!settings_ok) {
            status = kExitRefused;
        } else if (ctx.action) {
            status = ctx.action();
        }
        // Saves the settings only when the job changed one (--set values are never saved).
        if (!startup::EndSession()) {
            err << "The settings could not be saved in " << startup::SettingsFilePath({}).string()
                << '\n';
            status = status == kExitOk ? kExitFailure : status;
        }
    }
    startup::CurrentSession().SetMessageSink(nullptr);
    return status;
}

}  // namespace meridia::cli
