#include "startup/folders.h"

#include <cstdlib>
#include <system_error>
#include <vector>

#include "startup/file_io.h"
#include "startup/ini_file.h"
#include "startup/settings.h"

namespace meridia::startup {

namespace {

std::filesystem::path HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::filesystem::path(home)
                                            : std::filesystem::temp_directory_path();
}

std::filesystem::path EnvFolder(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return {};
    }
    std::filesystem::path path(value);
    return path.is_absolute() ? path : std::filesystem::path();
}

// Copies one file safely and gives the copy the source's time.
bool CopyFactoryFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    WriteOptions options = WriteOptions::CreatingFolders();
    if (const auto time = std::filesystem::last_write_time(from, ec); !ec) {
        options.modified = time;
    }
    return CopyFileSafely(from, to, options).ok();
}

}  // namespace

std::filesystem::path DefaultConfigFolder() {
    std::filesystem::path base = EnvFolder("XDG_CONFIG_HOME");
    if (base.empty()) {
        base = HomeFolder() / ".config";
    }
    return base / "Meridia";
}

std::filesystem::path DocumentsFolder() {
    std::filesystem::path documents = EnvFolder("XDG_DOCUMENTS_DIR");
    return documents.empty() ? HomeFolder() / "Documents" : documents;
}

std::filesystem::path ProgramFolderFor(const std::filesystem::path& executable) {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::absolute(executable, ec);
    if (ec) {
        exe = executable;
    }
    return (exe.parent_path().parent_path() / "share" / "meridia").lexically_normal();
}

std::filesystem::path StandardUserFolder(const std::filesystem::path& documents) {
    return documents / kUserFolderName;
}

bool IsValidUserFolder(const std::filesystem::path& folder, int /*relocation_type*/) {
    if (folder.empty() || !folder.is_absolute()) {
        return false;
    }
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec);
}

std::optional<std::filesystem::path> LocateUserFolder(const std::filesystem::path& config,
                                                      const std::filesystem::path& documents,
                                                      ActivityLog& log) {
    const std::filesystem::path registry_path = config / kRegistryFile;
    const std::filesystem::path mduf_path = config / kUserFolderFile;
    IniFile registry;
    registry.Load(registry_path);
    IniFile mduf;
    std::error_code ec;
    const bool mduf_present =
        std::filesystem::is_regular_file(mduf_path, ec) && mduf.Load(mduf_path);
    const int relocation = static_cast<int>(NumericValueOf(
        mduf.Read("UserFolder", "UserFolderRelocation", std::to_string(kDefaultRelocationType))));

    const std::vector<std::pair<std::string, std::filesystem::path>> candidates = {
        {"registry folder", registry.Read(kRegistrySection, kRegistryFolderKey, "")},
        {"registry next folder", registry.Read(kRegistrySection, kRegistryNextFolderKey, "")},
        {std::string(kUserFolderFile), mduf.Read("UserFolder", "UserFolder", "")},
        {"standard folder", StandardUserFolder(documents)},
    };
    std::optional<std::filesystem::path> chosen;
    for (const auto& [what, folder] : candidates) {
        if (folder.empty()) {
            continue;
        }
        if (IsValidUserFolder(folder, relocation)) {
            log.Add("User files folder (" + what + "): " + folder.string());
            chosen = folder;
            break;
        }
        log.Add("Not a valid user files folder (" + what + "): " + folder.string());
    }
    if (!chosen) {
        const std::filesystem::path standard = StandardUserFolder(documents);
        log.Add("Folder doesn't exist so creating it ... " + standard.string());
        std::filesystem::create_directories(standard, ec);
        if (!IsValidUserFolder(standard, relocation)) {
            log.Add("Could not create user folder (" + standard.string() + ").");
            return std::nullopt;
        }
        chosen = standard;
    }
    if (registry.Value(kRegistrySection, kRegistryFolderKey) != chosen->string()) {
        registry.Write(kRegistrySection, kRegistryFolderKey, chosen->string());
        if (!registry.Save(registry_path).ok()) {
            log.Add("Could not save the user files folder in " + registry_path.string());
        }
    }
    if (!mduf_present) {
        IniFile fresh;
        fresh.Write("UserFolder", "UserFolder", chosen->string());
        fresh.Write("UserFolder", "UserFolderRelocation", std::to_string(kDefaultRelocationType));
        if (!fresh.Save(mduf_path).ok()) {
            log.Add("Could not write " + mduf_path.string());
        }
    }
    return chosen;
}

bool CreateUserSubfolders(const std::filesystem::path& user_files, ActivityLog& log) {
    bool ok = true;
    std::error_code ec;
    std::vector<std::filesystem::path> folders = {user_files};
    for (std::string_view name : kUserSubfolders) {
        folders.push_back(user_files / name);
    }
    for (const std::filesystem::path& folder : folders) {
        if (std::filesystem::is_directory(folder, ec)) {
            continue;
        }
        log.Add("Folder doesn't exist so creating it ... " + folder.string());
        std::filesystem::create_directories(folder, ec);
        if (!std::filesystem::is_directory(folder, ec)) {
            log.Add("Could not create user folder (" + folder.string() + ").");
            ok = false;
        }
    }
    return ok;
}

int RefreshFactoryFiles(const std::filesystem::path& program,
                        const std::filesystem::path& user_files, ActivityLog& log) {
    int copied = 0;
    std::error_code ec;
    for (std::string_view name : kUserSubfolders) {
        const std::filesystem::path source_folder = program / name;
        if (!std::filesystem::is_directory(source_folder, ec)) {
            continue;
        }
        std::filesystem::recursive_directory_iterator it(source_folder, ec);
        const std::filesystem::recursive_directory_iterator end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code entry_ec;
            if (!it->is_regular_file(entry_ec)) {
                continue;
            }
            const std::filesystem::path& source = it->path();
            const std::filesystem::path relative = source.lexically_relative(program);
            const std::filesystem::path target = user_files / relative;
            const bool present = std::filesystem::is_regular_file(target, entry_ec);
            if (present) {
                const auto source_time = std::filesystem::last_write_time(source, entry_ec);
                const auto target_time = std::filesystem::last_write_time(target, entry_ec);
                if (entry_ec || target_time >= source_time) {
                    continue;
                }
                log.Add("Factory file is newer so copying: " + relative.string());
                if (name == "Settings") {
                    const std::filesystem::path old_copy =
                        target.parent_path() /
                        (std::string(kOldCopyPrefix) + target.filename().string());
                    if (!CopyFactoryFile(target, old_copy)) {
                        log.Add("Could not keep the old copy " + old_copy.string());
                    }
                }
            } else {
                log.Add("Factory file is missing so copying: " + relative.string());
            }
            if (CopyFactoryFile(source, target)) {
                ++copied;
            } else {
                log.Add("Could not copy factory file: " + relative.string());
            }
        }
    }
    return copied;
}

}  // namespace meridia::startup
