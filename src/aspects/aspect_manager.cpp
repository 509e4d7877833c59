#include "aspects/aspect_manager.h"

#include <system_error>

#include "startup/session.h"

namespace meridia::aspects {

namespace {

struct NameKey {
    AspectFileType type;
    std::string_view key;
    std::string_view default_name;
};

constexpr NameKey kNameKeys[] = {
    {AspectFileType::kChart, kAspectFileKey, "standard"},
    {AspectFileType::kStar, kAspectStarKey, "stars"},
    {AspectFileType::kAsteroid, kAspectAsteroidKey, "asteroid"},
    {AspectFileType::kPart, kAspectPartKey, "parts"},
};

std::string SettingOrDefault(std::string_view key, std::string_view default_name) {
    const auto& settings = startup::CurrentSession().settings();
    std::string value = settings.GetString(key);
    return value.empty() ? std::string(default_name) : value;
}

}  // namespace

std::filesystem::path AspectFilePath(std::string_view name) {
    std::filesystem::path path{std::string(name)};
    if (path.has_parent_path()) {
        return path;
    }
    if (!path.has_extension()) {
        path += std::string(kAspectExtension);
    }
    const auto& folders = startup::CurrentSession().folders();
    std::filesystem::path user = folders.user_files / std::string(kAspectsFolder) / path;
    std::error_code ec;
    if (std::filesystem::exists(user, ec) || folders.program.empty()) {
        return user;
    }
    const std::filesystem::path factory = folders.program / std::string(kAspectsFolder) / path;
    return std::filesystem::exists(factory, ec) ? factory : user;
}

AspectManager::AspectManager() {
    for (AspectSet& set : sets_) {
        set = StandardAspectSet();
    }
    base_set_ = sets_[0];
    for (const NameKey& entry : kNameKeys) {
        NameOf(entry.type) = std::string(entry.default_name);
    }
    base_aspect_file_ = aspect_file_;
    edit_file_ = aspect_file_;
}

std::string& AspectManager::NameOf(AspectFileType type) {
    switch (type) {
        case AspectFileType::kStar:
            return star_file_;
        case AspectFileType::kAsteroid:
            return asteroid_file_;
        case AspectFileType::kPart:
            return part_file_;
        case AspectFileType::kChart:
            break;
    }
    return aspect_file_;
}

AspectSet& AspectManager::SetOf(AspectFileType type) { return sets_[static_cast<int>(type)]; }

const AspectSet& AspectManager::Set(AspectFileType type) const {
    return sets_[static_cast<int>(type)];
}

void AspectManager::ReadIni(bool show_messages) {
    ResetAspectFile();
    for (const NameKey& entry : kNameKeys) {
        SetAspectFile(SettingOrDefault(entry.key, entry.default_name), entry.type, show_messages);
    }
}

void AspectManager::SaveIni() const {
    auto& settings = startup::CurrentSession().settings();
    settings.SetString(kAspectFileKey, base_aspect_file_);
    settings.SetString(kAspectStarKey, star_file_);
    settings.SetString(kAspectAsteroidKey, asteroid_file_);
    settings.SetString(kAspectPartKey, part_file_);
}

startup::Status AspectManager::SetAspectFile(std::string_view name, AspectFileType type,
                                             bool show_messages) {
    AspectSet& target = type == AspectFileType::kChart && temp_active_ ? base_set_ : SetOf(type);
    if (startup::Status status = LoadAspectSet(AspectFilePath(name), show_messages, target);
        !status.ok()) {
        return status;
    }
    if (type == AspectFileType::kChart) {
        base_aspect_file_ = std::string(name);
        if (!temp_active_) {
            aspect_file_ = base_aspect_file_;
        }
    } else {
        NameOf(type) = std::string(name);
    }
    if (type == current_type_) {
        edit_file_ = std::string(name);
    }
    return startup::Status::Ok();
}

startup::Status AspectManager::SetTempAspects(std::string_view name, bool show_messages) {
    AspectSet loaded = SetOf(AspectFileType::kChart);
    if (startup::Status status = LoadAspectSet(AspectFilePath(name), show_messages, loaded);
        !status.ok()) {
        return status;
    }
    SetTempAspects(loaded, name);
    return startup::Status::Ok();
}

void AspectManager::SetTempAspects(const AspectSet& set, std::string_view name) {
    if (!temp_active_) {
        base_set_ = SetOf(AspectFileType::kChart);
        base_aspect_file_ = aspect_file_;
        temp_active_ = true;
    }
    SetOf(AspectFileType::kChart) = set;
    BuildActiveAspects(SetOf(AspectFileType::kChart));
    aspect_file_ = std::string(name);
}

void AspectManager::ResetAspectFile() {
    if (!temp_active_) {
        return;
    }
    SetOf(AspectFileType::kChart) = base_set_;
    aspect_file_ = base_aspect_file_;
    temp_active_ = false;
}

void AspectManager::SetCurrentFileType(AspectFileType type) {
    current_type_ = type;
    edit_file_ = type == AspectFileType::kChart ? base_aspect_file_ : NameOf(type);
}

AspectManager& Aspects() { return startup::CurrentSession().Get<AspectManager>(); }

PartileRule PartileRuleFromSettings() {
    const auto& settings = startup::CurrentSession().settings();
    PartileRule rule;
    rule.mode = settings.GetInt("PartileMode") == 1 ? PartileRule::Mode::kWithinOrb
                                                    : PartileRule::Mode::kSameDegree;
    rule.orb = settings.GetDouble("PartileOrb");
    return rule;
}

}  // namespace meridia::aspects
