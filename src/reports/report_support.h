// What the report writers share: the text forms of positions, arcs and times, the points of a
// report, its aspect set and aspects, and the entry points of every report kind.
#pragma once

#include <string>
#include <vector>

#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "reports/report_writer.h"
#include "reports/reports.h"

namespace meridia::reports::detail {

// "14 Sg 30'12\"" (the listings' zodiac position).
std::string Pos(double longitude);
// "14 Sg 30'" (to the minute).
std::string ShortPos(double longitude);
// "23°26'21\"" and "+48°14'32\"".
std::string Dms(double angle);
std::string SignedDms(double angle);
// "18:41:50" of hours reduced to [0, 24).
std::string Hms(double hours);
// A moment in the chart's zone: "21 Dec 1990 12:00" (local clock of the chart's zone value).
std::string ChartDateText(const astro::ChartSlot& slot, double jd_ut);
// Point name (form 1) and abbreviation (form 0).
std::string PName(int point);
std::string PAbbr(int point);

// The points of the request for a chart: the selection's column of the chart's coordinate
// system, points with a position only.
std::vector<int> ReportPoints(const ReportRequest& request, const astro::ChartSlot& slot);
const aspects::AspectSet& SetOf(const ReportRequest& request);
// The aspects of the request, as `meridia-cli aspects` finds them.
std::vector<aspects::ChartAspect> ReportAspects(const ReportRequest& request);
bool IsHeliocentric(const astro::ChartSlot& slot);
// The Sun and the Ascendant have positions and houses were calculated.
bool HasHorizon(const astro::ChartSlot& slot);
// Weekday 0 (Sunday)..6 of a chart: Int(JD - z / 24 + 1.5) mod 7.
int ChartWeekday(double jd_ut, double zone_hours);
// A longitude of the chart in the sidereal zodiac of Lahiri, or as it stands when the chart's
// zodiac is sidereal already.
double LahiriLongitude(const astro::ChartSlot& slot, double longitude);
// The chart's Moon in that sidereal zodiac.
double SiderealMoon(const astro::ChartSlot& slot);

// The report kinds; each writes the body of its report (title and closing line are the
// dispatcher's).
void WriteAnalysis(const ReportRequest& r, ReportWriter& w);
void WriteAspectList(const ReportRequest& r, ReportWriter& w);
void WriteAspectAnalysis(const ReportRequest& r, ReportWriter& w);
void WritePointSort(const ReportRequest& r, ReportWriter& w);
void WriteMidpoints(const ReportRequest& r, ReportWriter& w);
void WriteMidpointModal(const ReportRequest& r, ReportWriter& w);
void WriteDifferences(const ReportRequest& r, ReportWriter& w);
void WriteMidpointAxes(const ReportRequest& r, ReportWriter& w);
void WriteMidpointTrees(const ReportRequest& r, ReportWriter& w);
void WriteSensitivePoints(const ReportRequest& r, ReportWriter& w);
void WriteMidpointWeighting(const ReportRequest& r, ReportWriter& w);
void WriteNodes(const ReportRequest& r, ReportWriter& w);
void WriteRulerships(const ReportRequest& r, ReportWriter& w);
void WriteDignities(const ReportRequest& r, ReportWriter& w);
void WriteAlmutenScores(const ReportRequest& r, ReportWriter& w);
void WritePlanetaryHours(const ReportRequest& r, ReportWriter& w);
void WriteMutualReceptions(const ReportRequest& r, ReportWriter& w);
void WritePlanetarySect(const ReportRequest& r, ReportWriter& w);
void WriteHyleg(const ReportRequest& r, ReportWriter& w);
void WriteConsiderations(const ReportRequest& r, ReportWriter& w);
void WriteChineseYear(const ReportRequest& r, ReportWriter& w);
void WriteElements(const ReportRequest& r, ReportWriter& w);
void WriteModes(const ReportRequest& r, ReportWriter& w);
void WriteNakshatras(const ReportRequest& r, ReportWriter& w);
void WriteChineseMansions(const ReportRequest& r, ReportWriter& w);
void WriteLunarMansions(const ReportRequest& r, ReportWriter& w);
void WriteTemperaments(const ReportRequest& r, ReportWriter& w);
void WriteAstrodynes(const ReportRequest& r, ReportWriter& w);  // astrodynes.cpp
void WriteRays(const ReportRequest& r, ReportWriter& w);
// The Ashtkoot compatibility (ashtkoot.cpp).
void WriteAshtkootSummary(const ReportRequest& r, ReportWriter& w);
void WriteAshtkootDetailed(const ReportRequest& r, ReportWriter& w);
void WriteNearestLunarPhases(const ReportRequest& r, ReportWriter& w);
void WriteNearestEclipses(const ReportRequest& r, ReportWriter& w);
void WriteNotAvailable(const ReportRequest& r, ReportWriter& w);
// The extra-point reports and blocks (extra_reports.cpp).
void WriteArabicParts(const ReportRequest& r, ReportWriter& w);
void WriteFixedStarAspects(const ReportRequest& r, ReportWriter& w);
void WriteFixedStarParans(const ReportRequest& r, ReportWriter& w);
void WriteExtraRingPoints(const ReportRequest& r, ReportWriter& w);
void WriteExtraBodies(const ReportRequest& r, ReportWriter& w);
void WriteAsteroids(const ReportRequest& r, ReportWriter& w);
void WriteExtraRingBlock(const ReportRequest& r, ReportWriter& w);
void WriteUserPointsBlock(const ReportRequest& r, ReportWriter& w);

}  // namespace meridia::reports::detail
