// Helpers shared by the derived-chart calculations (not part of the public interface):
// calculating a record at an exact universal-time moment, filling a record's local date and
// time from a Julian day, and finishing a chart whose longitudes were transformed.
// Julian days in universal time; zone hours added to local time give universal time.
#pragma once

#include <string>

#include "astro/chart_calc.h"
#include "astro/chart_record.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"

namespace meridia::astro::derived {

// Sets the record's local date and time (rounded to the second) for the moment jd_ut in the
// given zone, and the zone itself.
void SetRecordMoment(ChartRecord& record, double jd_ut, float zone_hours,
                     const std::string& zone_mnemonic);

// Copies the record into the slot and calculates it fully for the exact moment jd_ut at the
// record's place, house system, zodiac and coordinate system (the record's own date and time
// fields are kept as they are).
CalcStatus CalcRecordAt(const ChartRecord& record, double jd_ut, int slot);

// After the longitudes of a slot were changed in place: equatorial coordinates, house cusps
// from the slot's RAMC, obliquity and latitude (Equal and whole-sign systems from the new
// Ascendant), house numbers and the sorted point list.
void FinishTransformedChart(ChartSlot& slot);
// The same with the angles and houses taken with another obliquity than the slot's own (the
// base chart's, for progressed angles); equatorial coordinates keep the slot's obliquity.
void FinishTransformedChart(ChartSlot& slot, double house_obliquity);

// Longitude of the Moon and the Sun-Moon elongation from the ephemeris at jd_ut (tropical,
// apparent), with their daily motions. False when the ephemeris fails.
struct BodyMotion {
    double longitude = 0.0;
    double speed = 0.0;
};
bool MoonAt(double jd_ut, BodyMotion& moon);
bool ElongationAt(double jd_ut, BodyMotion& elongation);

// Progressed and directed charts (derived_progressions.cpp).
SubsidiaryStatus CalcProgressedChart(const SubsidiaryRequest& request, int target_slot);
SubsidiaryStatus CalcDirectedChart(const SubsidiaryRequest& request, int target_slot);
SubsidiaryStatus CalcLunarPhaseChart(const SubsidiaryRequest& request, int target_slot);
// Harmonic, antiscia, Vedic, locality (derived_transforms.cpp).
SubsidiaryStatus CalcTransformedChart(const SubsidiaryRequest& request, int target_slot);
SubsidiaryStatus CalcVedicChart(const SubsidiaryRequest& request, int target_slot);
SubsidiaryStatus CalcLocalityChart(const SubsidiaryRequest& request, int target_slot);

// Maps a calculation status to a subsidiary status, showing the out-of-range message.
SubsidiaryStatus FromCalcStatus(CalcStatus status);

// The record of a derived chart: the base record with the request's class and kind, the base
// chart's data in the second data block and the request parameters in the four bytes.
ChartRecord DerivedRecord(const SubsidiaryRequest& request, const ChartRecord& base);

}  // namespace meridia::astro::derived
