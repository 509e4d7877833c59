// Point selections: which chart points (1..100) take part in a display, a report or a
// search. A selection comes from a file of 22-byte records in the "Points & Colors" folder
// (record i: point name, 20 characters; selected flag, 16-bit, -1 = selected) or from an
// inline text "...~|010305" that lists two-digit point numbers. Each selection has a
// geocentric and a heliocentric column.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "startup/status.h"

namespace meridia::charts {

inline constexpr int kSelectionPoints = 100;
inline constexpr std::size_t kSelectionRecordSize = 22;
// The largest selection file: one record per point. Readers never read past it.
inline constexpr std::size_t kMaxSelectionFileBytes = kSelectionPoints * kSelectionRecordSize;

enum class SelectionKind {
    kDisplayed,         // ".pts"
    kTransiting,        // ".trp"
    kAspected,          // ".adp"
    kProgressing,       // ".prp"
    kExtraTransiting,   // ".etp"
    kExtraProgressing,  // ".epp"
    kExtraRadix,        // ".erp"
};

// The file extension of a kind (".pts"...) and its dialog title ("Displayed Points"...).
std::string_view SelectionExtension(SelectionKind kind);
std::string_view SelectionTitle(SelectionKind kind);

struct PointSelection {
    // geocentric[i], heliocentric[i]: point i selected (index 0 unused).
    std::array<bool, kSelectionPoints + 1> geocentric{};
    std::array<bool, kSelectionPoints + 1> heliocentric{};
    int geocentric_count = 0;
    int heliocentric_count = 0;
};

// Selects a point (1..100) in both columns: the heliocentric column takes the Earth for the
// Sun and leaves out the points without meaning there (Moon, nodes, Part of Fortune, Black
// Moon, Selena).
void SelectPoint(PointSelection& table, int point);

struct SelectionLoadResult {
    bool loaded = false;      // the table was replaced
    bool empty_file = false;  // the file was empty (the message was shown)
    int geocentric_count = 0;
    int heliocentric_count = 0;
    // Why the table was not replaced: kNotFound (no such file), kUnreadable, or kDamaged for
    // an empty file (its "Empty File" message was shown).
    startup::Status status;
};

// The file a selection name stands for: a name without a folder is looked up in the
// "Points & Colors" folder of the user-files folder, and gets the kind's extension when it
// has none.
std::filesystem::path SelectionPath(std::string_view name, SelectionKind kind);

// Loads a selection from a file (or from an inline "~|" text) for points 1..points_in_use.
// A missing file or an empty file leaves the table as it was. Records missing at the end of
// a short file read as not selected; bytes beyond the 100th record are never read.
SelectionLoadResult LoadPointSelection(std::string_view name, SelectionKind kind,
                                       PointSelection& table, int points_in_use);
// Writes one record per point in use (name from the name tables, flag -1 or 0).
bool SavePointSelection(const std::filesystem::path& file_name, const PointSelection& table,
                        int points_in_use);

// The displayed, aspected and transiting selections in force (session state).
struct StandardSelections {
    PointSelection displayed;
    PointSelection aspected;
    PointSelection transiting;
};
StandardSelections& CurrentSelections();
// Loads the three from the settings PointFileName (".pts"), AspPntFileName (".adp") and
// WheelTransitFileName (".trp"), for the points in use of the calculated-chart table or the
// given number of points.
void LoadStandardSelections();
void LoadStandardSelections(int points_in_use);

}  // namespace meridia::charts
