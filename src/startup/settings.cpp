#include "startup/settings.h"

#include <cmath>

#include "startup/text_tools.h"

namespace meridia::startup {

namespace {

using T = SettingType;

// The [Meridia] keys with their types and defaults (booleans as -1 / 0).
constexpr SettingDefault kDefaults[] = {
    {"ChartDataPath", T::kString, ""},
    {"SavedImagePath", T::kString, ""},
    {"ChartFileName", T::kString, "Main2"},
    {"ChartFileExt", T::kString, ".MDcht"},
    {"PlaceFileName", T::kString, "australi"},
    {"PointFileName", T::kString, "plan&ch"},
    {"WheelTransitFileName", T::kString, "allpoint"},
    {"PatternPointsFileName", T::kString, "plan&ch"},
    {"AspPntFileName", T::kString, "all"},
    {"ColSgnFileName", T::kString, "elements"},
    {"ColSgnFillFileName", T::kString, "elements"},
    {"ColNakFileName", T::kString, "Nakshatra"},
    {"ColNakFillFileName", T::kString, "Rainbow"},
    {"ColPntFileName", T::kString, "tradit"},
    {"ColAspFileName", T::kString, "standard"},
    {"AstFileName", T::kString, "standard"},
    {"ElemFileName", T::kString, "extras"},
    {"ExtraFileName", T::kString, "standard"},
    {"UDPFileName", T::kString, "none"},
    {"StarFileName", T::kString, "brady"},
    {"PartsFileName", T::kString, "allparts"},
    {"1WheelFile", T::kString, "uni2.wh1"},
    {"2WheelFile", T::kString, "bi2.wh2"},
    {"3WheelFile", T::kString, "tri2.wh3"},
    {"4WheelFile", T::kString, "quad1.wh4"},
    {"5WheelFile", T::kString, "quin1.wh5"},
    {"1DialFile", T::kString, "dial90b.di1"},
    {"2DialFile", T::kString, "dial90.di2"},
    {"3DialFile", T::kString, "dial90.di3"},
    {"4DialFile", T::kString, "dial90.di4"},
    {"5DialFile", T::kString, "dial90.di5"},
    {"progressInterpFile", T::kString, "progress"},
    {"SolReturnInterpFile", T::kString, "SolReturn"},
    {"transitsInterpFile", T::kString, "transits"},
    {"synastryInterpFile", T::kString, "synastry"},
    {"calendarInterpFile", T::kString, "calendar"},
    {"firdariaInterpFile", T::kString, "firdaria"},
    {"midpointsInterpFile", T::kString, "midpoints"},
    {"HouseSystem", T::kInteger, "4"},
    {"HouseSystemSid", T::kInteger, "25"},
    {"Coords", T::kInteger, "1"},
    {"Ayanamsa", T::kInteger, "1"},
    {"SidAyanamsa", T::kInteger, "3"},
    {"UserSVP", T::kDouble, "0"},
    {"ProgAngles", T::kInteger, "1"},
    {"PrimRateMethod", T::kLong, "1"},
    {"PrimRateConverse", T::kLong, "1"},
    {"ProgDay", T::kLong, "0"},
    {"TrueNode", T::kBoolean, "-1"},
    {"TrueBlackMoon", T::kBoolean, "0"},
    {"Parallax", T::kBoolean, "0"},
    {"DeltaT", T::kBoolean, "-1"},
    {"Geocentric", T::kBoolean, "0"},
    {"VulcanCalc", T::kInteger, "1"},
    {"UseTrueObliquity", T::kBoolean, "0"},
    {"ACSEmbedded", T::kBoolean, "-1"},
    {"AutoTimezone", T::kBoolean, "-1"},
    {"SaveOnExit", T::kBoolean, "-1"},
    {"AutoSave", T::kBoolean, "0"},
    {"Sound", T::kBoolean, "-1"},
    {"Rounding", T::kBoolean, "0"},
    {"ParanFlag", T::kInteger, "15"},
    {"DynSelection", T::kInteger, "14"},
    {"EphSelection", T::kInteger, "7"},
    {"DynSort", T::kLong, "0"},
    {"DynGlyphsOn", T::kBoolean, "-1"},
    {"DynColorsOn", T::kBoolean, "-1"},
    {"DynBoldOn", T::kBoolean, "-1"},
    {"DynFullAccuracyOn", T::kBoolean, "0"},
    {"DynFullHeaderOn", T::kBoolean, "0"},
    {"RepGlyphsOn", T::kBoolean, "-1"},
    {"RepColorsOn", T::kBoolean, "-1"},
    {"RepBoldOn", T::kBoolean, "-1"},
    {"RepHeaderOn", T::kBoolean, "0"},
    {"RTFOn", T::kBoolean, "-1"},
    {"UseDefaultWP", T::kBoolean, "-1"},
    {"TextCats", T::kInteger, "255"},
    {"BaseMPHouse", T::kInteger, "10"},
    {"DefCentury", T::kInteger, "1930"},
    {"MainBackGraphicFile", T::kString, "MD9Back.jpg"},
    {"TileMainBackGraphic", T::kInteger, "0"},
    {"TileBackGraphic", T::kInteger, "-1"},
    {"MainBackColor", T::kLong, "16777215"},
    {"ColSchemeScreen", T::kString, "Light Background"},
    {"CaptionDateFormat", T::kString, "D MMM Y, W"},
    {"PhaseReturnsToFind", T::kInteger, "14"},
    {"ProgPhaseReturnsToFind", T::kInteger, "5"},
    {"TranPhaseReturnsToFind", T::kInteger, "5"},
    {"EclipsesToFind", T::kInteger, "5"},
    {"RulershipLevel", T::kInteger, "1"},
    {"VoidOfCourseType", T::kLong, "0"},
    {"RADecMPMethod", T::kLong, "0"},
    {"StationMethod", T::kLong, "0"},
    {"HighlightOOBPoints", T::kBoolean, "-1"},
    {"HighlightOOBColor", T::kLong, "16711935"},
    {"AngleInDMS", T::kBoolean, "-1"},
    {"AngleBaseTo180", T::kBoolean, "-1"},
    {"MCAlwaysAbove", T::kBoolean, "-1"},
    {"ShowInWheels", T::kBoolean, "-1"},
    {"EclipsePhaseTimes", T::kBoolean, "-1"},
    {"ViewChartAutoRedraw", T::kBoolean, "-1"},
    {"UseTranOrbsForTranCharts", T::kBoolean, "-1"},
    {"VedicWarnTropical", T::kBoolean, "-1"},
    {"DoCompliments", T::kBoolean, "-1"},
    {"AlwaysShowAsc", T::kBoolean, "0"},
    {"AlwaysShowMC", T::kBoolean, "0"},
    {"ShowAnglesInGrid", T::kBoolean, "0"},
    {"DayPartOnly", T::kBoolean, "0"},
    {"NowButtonGiveSecs", T::kBoolean, "0"},
    {"UseRaysBaker", T::kBoolean, "0"},
    {"ParansAsLST", T::kBoolean, "0"},
    {"ParansLSTAsTime", T::kBoolean, "0"},
    {"OverrideHouses", T::kBoolean, "0"},
    {"OverrideZodiac", T::kBoolean, "0"},
    {"OverrideCoords", T::kBoolean, "0"},
    {"LastPageAsDefault", T::kBoolean, "0"},
    {"RelocateLatOnly", T::kBoolean, "0"},
    {"OmitEmptyDynText", T::kBoolean, "0"},
    {"OmitEmptyDynEntry", T::kBoolean, "0"},
    {"FirdariaVariant", T::kBoolean, "0"},
    {"InterpFontBold", T::kBoolean, "0"},
    {"InterpFontItalic", T::kBoolean, "0"},
    {"InterpAutoSpeak", T::kBoolean, "0"},
    {"AllowOwnTreeMPs", T::kBoolean, "0"},
    {"TreeMPOrderUseSign", T::kBoolean, "0"},
    {"MFMonochrome", T::kBoolean, "0"},
    {"IsTeacher", T::kBoolean, "0"},
    {"MFCaptions", T::kBoolean, "-1"},
    {"JPEGQuality", T::kInteger, "100"},
    {"CopyDest", T::kInteger, "2"},
    {"Palette", T::kInteger, "0"},
    {"ChineseMansions", T::kString, "ChLunMan.fst"},
    {"BirthdayCharts", T::kString, "Birthday.MDCht"},
    {"Cazimi", T::kDouble, "0.2833"},
    {"Combust", T::kDouble, "8.5"},
    {"UnderSunsBeams", T::kDouble, "17"},
    {"PartileOrb", T::kDouble, "1"},
    {"StationTimeOrbDays", T::kDouble, "2"},
    {"StationAngleOrbDegs", T::kDouble, "1"},
    {"StationMinAbsDailyRate", T::kDouble, "0.01"},
    {"StationRatioOfAvgSpeed", T::kDouble, "0.1"},
    {"PreviewCaptionFontSize", T::kDouble, "10"},
    {"ConversionStatus", T::kLong, "1"},
    {"VersionMark", T::kString, ""},
    {"Last Updated", T::kString, ""},
    {"DateOrderMDY", T::kBoolean, "0"},
    {"Clock12Hour", T::kBoolean, "0"},
    {"CalendarMarkFrom", T::kInteger, "1582"},
    {"CalendarMarkTo", T::kInteger, "1752"},
    {"ShowStatedCalendar", T::kBoolean, "0"},
    {"SwissEphemPath", T::kString, ""},
    {"SystemDataPath", T::kString, ""},
    {"FirstRun", T::kBoolean, "0"},
    {"BypassINIRepair", T::kBoolean, "0"},
    {"Language", T::kString, ""},
    {"ViewMenu", T::kString, ""},
    {"ScreenFont", T::kString, ""},
    {"ScreenFontStrategy", T::kString, "TrueType Everywhere"},
    {"PreventFontSmoothing", T::kBoolean, "0"},
    {"AxForceTrueType", T::kBoolean, "0"},
    {"AspectLines", T::kBoolean, "-1"},
    {"AspectGlyphs", T::kBoolean, "-1"},
    {"NonPropHouses", T::kBoolean, "0"},
    {"WheelFills", T::kBoolean, "-1"},
    {"GeometricPens", T::kBoolean, "-1"},
    {"PrinterFont", T::kString, ""},
    {"WordProcessor", T::kString, ""},
    {"PlanetOrder", T::kString, ""},
    {"AspectOrder", T::kString, ""},
    {"Logging", T::kBoolean, "0"},
    {"LogFolders", T::kString, ""},
    {"LastSessionBegin", T::kString, ""},
    {"LastSessionEnd", T::kString, ""},
    {"LastFile", T::kString, ""},
    {"AutoFile", T::kBoolean, "0"},
    {"PlaceName", T::kString, "Adelaide"},
    {"PlaceCountry", T::kString, "Australia"},
    {"PlaceZone", T::kString, "ACST -9:30"},
    {"AspectFileName", T::kString, "standard"},
    {"AspectStarName", T::kString, "stars"},
    {"AspectAstName", T::kString, "asteroid"},
    {"AspectPartName", T::kString, "parts"},
    {"UserProgRate", T::kDouble, "0.002737909"},
    {"UserDirRate", T::kDouble, "1"},
    {"IllinoisWarning", T::kBoolean, "-1"},
    {"InterpPath", T::kString, ""},
    {"DynViewWidth", T::kLong, "0"},
    {"PartileMode", T::kInteger, "0"},
    {"RiseSetHorizon", T::kString, "Visual"},
    {"EclSort", T::kLong, "0"},
};

}  // namespace

const std::map<std::string, SettingDefault, std::less<>>& SettingDefaults() {
    static const auto* table = [] {
        auto* map = new std::map<std::string, SettingDefault, std::less<>>();
        for (const SettingDefault& entry : kDefaults) {
            map->emplace(UpperAscii(entry.key), entry);
        }
        return map;
    }();
    return *table;
}

std::span<const SettingDefault> SettingTable() { return kDefaults; }

double NumericValueOf(std::string_view text) { return ParseLeadingDouble(text).value_or(0.0); }

std::string SettingsClass::GetString(std::string_view key) const {
    if (!run_values_.empty()) {
        if (auto it = run_values_.find(UpperAscii(key)); it != run_values_.end()) {
            return it->second;
        }
    }
    return StoredString(key);
}

std::string SettingsClass::StoredString(std::string_view key) const {
    const std::string upper = UpperAscii(key);
    if (auto it = values_.find(upper); it != values_.end()) {
        return it->second.second;
    }
    const auto& defaults = SettingDefaults();
    if (auto it = defaults.find(upper); it != defaults.end()) {
        return std::string(it->second.default_text);
    }
    return {};
}

bool SettingsClass::GetBool(std::string_view key) const {
    return NumericValueOf(GetString(key)) != 0.0;
}

int SettingsClass::GetInt(std::string_view key) const {
    const double v = NumericValueOf(GetString(key));
    if (v >= 32767.0) {
        return 32767;
    }
    if (v <= -32768.0) {
        return -32768;
    }
    return static_cast<int>(std::lround(v));
}

long SettingsClass::GetLong(std::string_view key) const {
    const double v = NumericValueOf(GetString(key));
    if (v >= 2147483647.0) {
        return 2147483647L;
    }
    if (v <= -2147483648.0) {
        return -2147483647L - 1;
    }
    return std::lround(v);
}

double SettingsClass::GetDouble(std::string_view key) const {
    return NumericValueOf(GetString(key));
}

bool SettingsClass::Has(std::string_view key) const {
    const std::string upper = UpperAscii(key);
    return values_.contains(upper) || run_values_.contains(upper);
}

bool SettingsClass::Store(std::string_view key, std::string_view value) {
    const std::string upper = UpperAscii(key);
    auto it = values_.find(upper);
    if (it == values_.end()) {
        values_.emplace(upper, std::make_pair(std::string(key), std::string(value)));
        return true;
    }
    if (it->second.second == value) {
        return false;
    }
    it->second.second = std::string(value);
    return true;
}

void SettingsClass::SetString(std::string_view key, std::string_view value) {
    if (Store(key, value)) {
        changed_ = true;
    }
}

void SettingsClass::SetRecord(std::string_view key, std::string_view value) { Store(key, value); }

void SettingsClass::SetForRun(std::string_view key, std::string_view value) {
    run_values_.insert_or_assign(UpperAscii(key), std::string(value));
}

void SettingsClass::Clear() {
    values_.clear();
    run_values_.clear();
    changed_ = false;
}

void SettingsClass::SetBool(std::string_view key, bool value) {
    SetString(key, value ? "-1" : "0");
}

void SettingsClass::SetInt(std::string_view key, long value) {
    SetString(key, std::to_string(value));
}

void SettingsClass::SetDouble(std::string_view key, double value) {
    SetString(key, FormatDouble(value));
}

void SettingsClass::Erase(std::string_view key) {
    if (values_.erase(UpperAscii(key)) != 0) {
        changed_ = true;
    }
}

}  // namespace meridia::startup
