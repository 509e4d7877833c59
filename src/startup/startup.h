// Process start: locates the program folder, the per-user configuration folder and the
// user-files folder, checks the installation-status file, creates the user-files subfolders,
// refreshes factory files, repairs and loads the settings, loads the name tables into the
// current session, and reads the command line. It does only what every job needs: the zone
// mnemonics, places, atlas and ephemeris files are opened on their first use, and no settings
// file is written unless its content changes.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "startup/command_line.h"
#include "startup/install_status.h"

namespace meridia::startup {

struct StartupOptions {
    // The program folder of factory files; empty: the session's, else found from the
    // executable (../share/meridia).
    std::filesystem::path program_dir;
    // A user-files folder forced for this run (the CLI's --user-dir); empty: the session's
    // when set, else located as usual. A forced folder is created and filled like a first
    // start and is not stored as the user's folder.
    std::filesystem::path user_dir;
    // The executable's path, used to find the program folder.
    std::filesystem::path executable;
    // The per-user configuration folder; empty: the session's, else $XDG_CONFIG_HOME/Meridia.
    std::filesystem::path config_dir;
    // The Documents folder that holds the standard user-files folder; empty: the system's.
    std::filesystem::path documents_dir;
    // The program's command line ("LOAD file n", "LIST", "/V").
    std::string command_line;
    // Points the ephemeris library at its data files once the settings are loaded; returns
    // false (after its message) when the start must stop. Not set: nothing is done.
    std::function<bool()> set_ephemeris_path;
    // Loads further data files of the higher subsystems (rulerships...) after the name tables
    // and zone mnemonics.
    std::function<void()> load_data_files;
};

// What start-up found, kept in the session (CurrentSession().Get<StartupState>()).
struct StartupState {
    bool started = false;
    bool user_folder_forced = false;
    InstallStatus install;
    CommandLine command_line;
    int factory_files_copied = 0;
    std::vector<std::string> log_lines;  // the start-up log, also written when `Logging` is on
};

// Runs the start-up sequence on the current session. Returns false when the start must stop
// (the message has been shown).
bool StartSession(const StartupOptions& options);

// Ends the session: records `LastSessionEnd` and, when `SaveOnExit` is set and a setting changed
// in this session, saves the settings; a session that changed none writes no file. Returns
// false when the settings could not be saved.
bool EndSession();

// The version text of the program.
std::string ProgramVersion();

}  // namespace meridia::startup
