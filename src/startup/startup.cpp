#include "startup/startup.h"

#include <system_error>

#include "startup/activity_log.h"
#include "startup/clock_text.h"
#include "startup/folders.h"
#include "startup/ini_file.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/settings_store.h"

namespace meridia::startup {

namespace {

constexpr std::string_view kStartupTitle = "Meridia";

std::filesystem::path Absolute(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal();
}

void ResolveProgramAndConfig(const StartupOptions& options, Folders& folders) {
    if (!options.program_dir.empty()) {
        folders.program = Absolute(options.program_dir);
    } else if (folders.program.empty()) {
        std::error_code ec;
        std::filesystem::path executable = options.executable;
        if (executable.empty()) {
            executable = std::filesystem::read_symlink("/proc/self/exe", ec);
        }
        if (!executable.empty()) {
            folders.program = ProgramFolderFor(executable);
        }
    }
    if (!options.config_dir.empty()) {
        folders.config = Absolute(options.config_dir);
    } else if (folders.config.empty()) {
        folders.config = DefaultConfigFolder();
    }
}

// The user's [Meridia] section is repaired on a first run: every key of the factory copy that
// the user's file lacks is added. The folder of the program's data files is recorded. The file
// is written only when one of them changed it. Returns false when the file could not be read
// or is not there afterwards; otherwise `user` holds the file as it now is.
bool RepairMainSettings(const Folders& folders, ActivityLog& log, IniFile& user) {
    const std::filesystem::path path = SettingsFilePath({});
    if (!user.Load(path)) {
        log.Add("Could not read " + path.string());
        return false;
    }
    const bool first_run = NumericValueOf(user.Read(kMainSettingsSection, "FirstRun", "0")) != 0;
    const bool bypass =
        NumericValueOf(user.Read(kMainSettingsSection, "BypassINIRepair", "0")) != 0;
    bool changed = false;
    if (first_run && !bypass) {
        IniFile factory;
        factory.Load(folders.program / kSettingsFolder / kMainSettingsFile);
        int added = 0;
        for (const auto& [key, value] : factory.Entries(kMainSettingsSection)) {
            if (!user.Value(kMainSettingsSection, key)) {
                user.Write(kMainSettingsSection, key, value);
                ++added;
            }
        }
        user.Write(kMainSettingsSection, "FirstRun", "0");
        changed = true;
        log.Add("Settings repaired from the factory copy, keys added: " + std::to_string(added));
    }
    const std::string data_path = folders.program.string();
    if (user.Value(kMainSettingsSection, "SystemDataPath") != data_path) {
        user.Write(kMainSettingsSection, "SystemDataPath", data_path);
        changed = true;
    }
    if (changed && !user.Save(path).ok()) {
        log.Add("Could not write " + path.string());
    }
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool FinishWithFailure(StartupState& state, const ActivityLog& log) {
    state.log_lines = log.lines();
    log.WriteIfLogging();
    return false;
}

}  // namespace

std::string ProgramVersion() { return MERIDIA_VERSION; }

bool StartSession(const StartupOptions& options) {
    Session& session = CurrentSession();
    Folders& folders = session.folders();
    StartupState& state = session.Get<StartupState>();
    state = StartupState{};
    ActivityLog log(kStartupLogName);
    log.Section("Meridia " + ProgramVersion() + " start-up");

    // 1. Program and configuration folders; the program's "Updates" folder is per user here.
    ResolveProgramAndConfig(options, folders);
    log.Add("Program folder: " + folders.program.string());
    log.Add("Configuration folder: " + folders.config.string());
    std::error_code ec;
    std::filesystem::create_directories(folders.config / "Updates", ec);
    if (ec) {
        log.Add("Could not create " + (folders.config / "Updates").string());
    }

    // 2. Installation status.
    log.Section("Installation status");
    state.install = CheckInstallStatus(folders.config, log);

    // 3. User-files folder, its subfolders and the factory files.
    log.Section("User files folder");
    if (!options.user_dir.empty()) {
        folders.user_files = Absolute(options.user_dir);
        state.user_folder_forced = true;
    } else if (!folders.user_files.empty()) {
        state.user_folder_forced = true;
    } else {
        const std::filesystem::path documents =
            options.documents_dir.empty() ? DocumentsFolder() : options.documents_dir;
        const auto located = LocateUserFolder(folders.config, documents, log);
        if (!located) {
            const std::string folder = StandardUserFolder(documents).string();
            ShowMessage("Could not create user folder (" + folder + ").", kCritical, kStartupTitle);
            return FinishWithFailure(state, log);
        }
        folders.user_files = *located;
    }
    log.Add("User files folder: " + folders.user_files.string());
    if (!CreateUserSubfolders(folders.user_files, log) &&
        !std::filesystem::is_directory(folders.user_files, ec)) {
        ShowMessage("Could not create user folder (" + folders.user_files.string() + ").",
                    kCritical, kStartupTitle);
        return FinishWithFailure(state, log);
    }
    state.factory_files_copied = RefreshFactoryFiles(folders.program, folders.user_files, log);

    // 4. Main settings: repair on a first run, then load.
    log.Section("Settings");
    // The file is read once: the repaired content is what the settings are loaded from.
    IniFile main_settings;
    if (RepairMainSettings(folders, log, main_settings)) {
        LoadSettingsFrom(main_settings);
    } else if (!LoadSettings()) {
        log.Add("Settings file missing, defaults in use: " + SettingsFilePath({}).string());
    }

    // 5. Ephemeris path (the ephemeris module's hook).
    if (options.set_ephemeris_path && !options.set_ephemeris_path()) {
        log.Add("Ephemeris files missing: start stopped");
        return FinishWithFailure(state, log);
    }

    // 6. Name tables and the data files of the higher subsystems. The zone mnemonics are read
    // on their first use (ZoneMnemonics()), so a run that reads no zone never opens the file.
    log.Section("Data files");
    Names();
    if (options.load_data_files) {
        options.load_data_files();
    }

    // 8. Command line.
    state.command_line = ParseCommandLine(options.command_line);
    if (!state.command_line.load_file.empty()) {
        log.Add("Command line: LOAD " + state.command_line.load_file + " chart " +
                std::to_string(state.command_line.chart_number));
    }

    // 9. Session begin.
    session.settings().SetRecord("LastSessionBegin", FormatLastUpdated(LocalTimeNow()));
    if (!state.install.first_run_done && !MarkFirstRunDone(folders.config)) {
        log.Add("Could not record the first run in " + (folders.config / kInstallFile).string());
    }
    log.Add("Start-up complete");
    state.started = true;
    state.log_lines = log.lines();
    if (!log.WriteIfLogging()) {
        state.log_lines.push_back("Could not write the start-up log in " + LogFolder().string());
    }
    return true;
}

bool EndSession() {
    SettingsClass& settings = CurrentSession().settings();
    settings.SetRecord("LastSessionEnd", FormatLastUpdated(LocalTimeNow()));
    if (!settings.changed() || !settings.GetBool("SaveOnExit")) {
        return true;
    }
    return SaveSettings();
}

}  // namespace meridia::startup
