#include "startup/startup.h"

#include <system_error>

#include "startup/session.h"

namespace meridia::startup {

std::string ProgramVersion() { return MERIDIA_VERSION; }

bool StartSession(const StartupOptions& options) {
    Session& session = CurrentSession();
    Folders& folders = session.folders();
    if (!options.program_dir.empty()) {
        folders.program = options.program_dir;
    } else if (!options.executable.empty()) {
        folders.program = options.executable.parent_path() / ".." / "share" / "meridia";
    }
    if (!options.user_dir.empty()) {
        folders.user_files = options.user_dir;
    }
    std::error_code ec;
    std::filesystem::create_directories(folders.user_files, ec);
    return true;
}

}  // namespace meridia::startup
