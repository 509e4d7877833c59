// The aspect set manager: the four aspect sets in force (chart points, fixed stars, asteroids,
// Arabic parts), their file names kept in the settings, and the temporary set that may replace
// the chart set for one drawing or report. One object per session (Aspects()).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "aspects/aspect_find.h"
#include "aspects/aspect_set.h"

namespace meridia::aspects {

enum class AspectFileType { kChart = 0, kStar = 1, kAsteroid = 2, kPart = 3 };

// Settings keys of the four file names and their defaults.
inline constexpr std::string_view kAspectFileKey = "AspectFileName";
inline constexpr std::string_view kAspectStarKey = "AspectStarName";
inline constexpr std::string_view kAspectAsteroidKey = "AspectAstName";
inline constexpr std::string_view kAspectPartKey = "AspectPartName";
inline constexpr std::string_view kAspectsFolder = "Aspects";
inline constexpr std::string_view kAspectExtension = ".asp";

// The path of an aspect set named by the user: a name without folder is looked up in the
// "Aspects" folder of the user-files folder (then of the program folder), ".asp" added when
// the name has no extension. A name with a folder is taken as it stands.
std::filesystem::path AspectFilePath(std::string_view name);

class AspectManager {
public:
    AspectManager();

    // File names in force.
    const std::string& AspectFile() const { return aspect_file_; }
    const std::string& BaseAspectFile() const { return base_aspect_file_; }
    const std::string& StarFile() const { return star_file_; }
    const std::string& PartFile() const { return part_file_; }
    const std::string& AsteroidFile() const { return asteroid_file_; }
    // The file of the type being edited (set by SetCurrentFileType).
    const std::string& EditFile() const { return edit_file_; }
    AspectFileType CurrentType() const { return current_type_; }

    const AspectSet& Set(AspectFileType type) const;
    const AspectSet& ChartSet() const { return Set(AspectFileType::kChart); }

    // Reads the four names from the settings and loads the sets (a set that fails to load
    // stays the standard set or the previous one).
    void ReadIni(bool show_messages = true);
    // Writes the four names to the settings (the chart name is the base one, not a temporary).
    void SaveIni() const;
    // Loads `name` as the set of `type` and makes it the file in force. Returns the status of
    // LoadAspectSet; on a failure nothing changes.
    startup::Status SetAspectFile(std::string_view name,
                                  AspectFileType type = AspectFileType::kChart,
                                  bool show_messages = true);
    // Replaces the chart set by `name` until ResetAspectFile. Returns the status of
    // LoadAspectSet; on a failure nothing changes.
    startup::Status SetTempAspects(std::string_view name, bool show_messages = true);
    // Replaces the chart set by an aspect set held in memory until ResetAspectFile.
    void SetTempAspects(const AspectSet& set, std::string_view name);
    // Restores the chart set and name in force before SetTempAspects.
    void ResetAspectFile();
    void SetCurrentFileType(AspectFileType type);

private:
    std::string& NameOf(AspectFileType type);
    AspectSet& SetOf(AspectFileType type);

    AspectSet sets_[4];
    AspectSet base_set_;
    bool temp_active_ = false;
    std::string aspect_file_;
    std::string base_aspect_file_;
    std::string star_file_;
    std::string asteroid_file_;
    std::string part_file_;
    std::string edit_file_;
    AspectFileType current_type_ = AspectFileType::kChart;
};

// The session's aspect manager.
AspectManager& Aspects();

// The partile rule of the settings: PartileMode (0 same whole degree, 1 within the orb) and
// PartileOrb (degrees).
PartileRule PartileRuleFromSettings();

}  // namespace meridia::aspects
