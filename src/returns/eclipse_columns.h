// The columns of the eclipse table (types 1..13: kind, type, date, time, position, the two
// Saros numbers, gamma, magnitudes and durations), their layout file "EclCols.ini" in the
// "Settings" folder of the user files, and the text table of the eclipse report built from the
// shown columns. Widths: text widths in characters, column widths in pixels of the list view.
// Not thread-safe (the layout file is the session's).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "returns/eclipses.h"
#include "startup/status.h"

namespace meridia::returns {

inline constexpr std::string_view kEclipseColumnsFile = "EclCols.ini";
inline constexpr std::string_view kEclipseColumnsSection = "EclCols";
inline constexpr int kEclipseColumnCount = 13;
inline constexpr int kDefaultEclipseViewWidth = 800;
inline constexpr int kDefaultEclipseViewHeight = 450;
// Widest column and largest view the layout file may hold, in pixels.
inline constexpr int kMaxEclipseColumnWidth = 2000;
inline constexpr int kMaxEclipseViewSize = 20000;

enum class ColumnAlignment { kLeft = 0, kRight = 1, kCenter = 2 };

struct EclipseColumn {
    int column_type = 0;
    bool lunar_only = false;
    bool solar_only = false;
    std::string short_description1;
    std::string short_description2;
    std::string long_description;
    int text_width = 0;    // characters of the text table
    int column_width = 0;  // pixels of the list view
    ColumnAlignment alignment = ColumnAlignment::kLeft;
    bool show = true;
};

// The column layout: the view's size and the columns in display order (every type once).
struct EclipseColumnSet {
    int view_width = kDefaultEclipseViewWidth;
    int view_height = kDefaultEclipseViewHeight;
    std::vector<EclipseColumn> columns;

    // The standard set: types 1..13 in order, all shown, standard widths.
    void InitializeStandardSet();
    // The column of a type; nullptr for a type outside 1..13.
    const EclipseColumn* Find(int column_type) const;
};

// The standard column of a type 1..13 (type 0 for any other).
EclipseColumn StandardEclipseColumn(int column_type);

// "EclCols.ini" of the current user files.
std::filesystem::path EclipseColumnsPath();

// Reads the layout (section [EclCols]): `EclViewWidth`, `EclViewHeight`, and three comma lists
// of equal length, `Columns` (column types in display order), `ColShow` (-1 shown, 0 hidden)
// and `ColWidth` (pixels). Types missing from the lists follow in standard order, shown. A
// missing file, section or key gives the standard value. A list that cannot be read (unknown or
// repeated type, lists of different lengths, a width outside 0..kMaxEclipseColumnWidth) gives
// the standard columns and kDamaged with the message to show; the file is left as it is, and
// `set` always holds a usable layout.
startup::Status ReadEclipseColumns(const std::filesystem::path& path, EclipseColumnSet& set);
// Writes the layout into the file (other sections and keys are kept), whole, through a
// temporary file; on failure the old file is as it was.
startup::Status WriteEclipseColumns(const std::filesystem::path& path, const EclipseColumnSet& set);

// The text of one column for an entry (empty where the column does not apply).
std::string TextDataIn(const EclipseEntry& entry, int column_type);

// The eclipse table as text: two heading lines (the short descriptions, or the long
// description where a column has none) and one line per entry, the shown columns in order,
// each padded to its text width and aligned, two spaces apart, trailing blanks removed.
std::vector<std::string> EclipseTableLines(const EclipseColumnSet& set,
                                           const std::vector<EclipseEntry>& entries);

// The eclipse report as printed and listed: the title "Eclipse Report", the header lines
// (EclipseReportHeader), a blank line, the table, and "Times are shown (UT)".
std::vector<std::string> EclipseReportLines(const std::vector<std::string>& header,
                                            const EclipseColumnSet& set,
                                            const std::vector<EclipseEntry>& entries);

// The text the search window copies: the selected eclipses that are not hidden (every eclipse
// not hidden when none is selected), one line each, the shown columns separated by tabs, after
// a line of their long descriptions; lines end with CR LF. kNotFound with "No Eclipse Data to
// Copy" when no eclipse is left.
startup::StatusOr<std::string> EclipseCopyText(const EclipseSet& eclipses,
                                               const EclipseColumnSet& set);

}  // namespace meridia::returns
