#include "ui/windowed_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <iostream>

#include "astro/chart_calc.h"
#include "charts/chart_entry.h"
#include "directions/dynamic_source.h"
#include "returns/dynamic_events.h"
#include "returns/eclipses.h"
#include "returns/returns.h"
#include "startup/session.h"
#include "startup/startup.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

namespace meridia::ui {

charts::ChartEntry SampleEntry() {
    charts::ChartEntry entry;
    entry.name = "Sample chart";
    entry.date = "14 Mar 1879";
    entry.time = "11:30";
    entry.zone = "-0:40";
    entry.place = "Ulm";
    entry.country = "Germany";
    entry.lat = "48N24";
    entry.lon = "10E00";
    return entry;
}

WindowOptions ParseWindowOptions(const std::vector<std::string>& args) {
    WindowOptions options;
    std::string words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool has_value = i + 1 < args.size();
        if (word == "--user-dir" || word == "--screenshot") {
            if (!has_value) {
                options.error = word + " needs a value";
                return options;
            }
            (word == "--user-dir" ? options.user_dir : options.screenshot) = args[++i];
        } else if (word == "--sample") {
            options.sample = true;
        } else if (word == "--help" || word == "-h") {
            options.help = true;
        } else {
            // A word holding a blank keeps its quotes, so the command line reads it whole.
            const bool quote = word.find(' ') != std::string::npos;
            words += (words.empty() ? "" : " ") + (quote ? '"' + word + '"' : word);
        }
    }
    options.command_line = words;
    return options;
}

std::string WindowUsage() {
    return "Usage: meridia [--user-dir DIR] [--screenshot FILE.png] [--sample]\n"
           "               [LOAD CHART_FILE N | LIST | /V]\n"
           "\n"
           "Opens Meridia's main window.\n"
           "  --user-dir DIR       user-files folder for this run (created and filled like a\n"
           "                       first start)\n"
           "  --screenshot FILE    open what the other arguments say, save the main window as\n"
           "                       a PNG picture and exit (messages go to standard error)\n"
           "  --sample             open the sample chart (Ulm, 14 Mar 1879, 11:30)\n"
           "  LOAD CHART_FILE N    open the chart file with chart N selected and show that chart\n"
           "  LIST                 show the chart-file list\n"
           "  /V                   verbose: show the start-up log\n"
           "  --help               this text\n";
}

int RunWindowedProgram(int argc, char** argv) {
    // The core's pluggable parts, as the command line has them: the extra events of the
    // dynamic report, return charts in the derived-chart routing, primary directions, and the
    // prior eclipse of the "prenatal-eclipse" extra point from the eclipse catalogues.
    returns::RegisterDynamicExtraEvents();
    returns::RegisterReturnCharts();
    directions::RegisterPrimaryDirections();
    returns::InstallPriorEclipseFinder();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Meridia"));
    QApplication::setOrganizationName(QStringLiteral("Meridia"));
    std::vector<std::string> args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        args.push_back(arguments[i].toStdString());
    }
    const WindowOptions options = ParseWindowOptions(args);
    if (!options.error.empty()) {
        std::cerr << options.error << '\n' << WindowUsage();
        return 2;
    }
    if (options.help) {
        std::cout << WindowUsage();
        return 0;
    }

    // With --screenshot nothing may wait for a click: messages go to standard error.
    MessageBoxSink box_sink;
    const bool screenshot = !options.screenshot.empty();
    if (!screenshot) {
        startup::CurrentSession().SetMessageSink(&box_sink);
    }
    startup::StartupOptions start;
    start.executable = arguments.isEmpty() ? std::string() : arguments.front().toStdString();
    start.user_dir = options.user_dir;
    start.command_line = options.command_line;
    if (!startup::StartSession(start)) {
        startup::CurrentSession().SetMessageSink(nullptr);
        return 1;
    }

    int status = 0;
    {
        MainWindow window;
        SetMessageParent(&window);
        window.show();
        window.ApplyCommandLine(
            startup::CurrentSession().Get<startup::StartupState>().command_line);
        if (options.sample) {
            const auto record = charts::BuildChartRecord(SampleEntry());
            if (record.ok()) {
                window.OpenChart(*record);
            }
        }
        if (screenshot) {
            QApplication::processEvents();
            const QPixmap picture = window.grab();
            if (picture.isNull() || !picture.save(QString::fromStdString(options.screenshot))) {
                std::cerr << "The picture could not be written: " << options.screenshot << '\n';
                status = 1;
            } else {
                std::cout << "Main window saved as "
                          << QFileInfo(QString::fromStdString(options.screenshot))
                                 .absoluteFilePath()
                                 .toStdString()
                          << '\n';
            }
        } else {
            status = QApplication::exec();
        }
        SetMessageParent(nullptr);
    }
    if (!startup::EndSession()) {
        std::cerr << "The settings could not be saved.\n";
        status = status == 0 ? 1 : status;
    }
    startup::CurrentSession().SetMessageSink(nullptr);
    return status;
}

}  // namespace meridia::ui
