#include "places/iana_zones.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace meridia::places {

namespace {

// Days probed past a change for the next one when the database gives none directly.
constexpr int kProbeDays = 400;
// The database writes out changes up to about 2037; later ones come from the zone's rule.
constexpr int kRuleYears = 2030;

QTimeZone ZoneOf(std::string_view zone_id) {
    return QTimeZone(QByteArray(zone_id.data(), static_cast<qsizetype>(zone_id.size())));
}

// The local minute at or after a local instant given in seconds since 1970 (local clock).
LocalMoment MinuteAtOrAfter(std::int64_t local_seconds) {
    const std::int64_t minutes = local_seconds / 60 + (local_seconds % 60 > 0 ? 1 : 0);
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(minutes * 60, Qt::UTC);
    return {dt.date().year(), dt.date().month(), dt.date().day(), dt.time().hour(),
            dt.time().minute()};
}

bool MomentLessOrEqual(const LocalMoment& a, const LocalMoment& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute) <=
           std::tie(b.year, b.month, b.day, b.hour, b.minute);
}

}  // namespace

bool IanaZoneKnown(std::string_view zone_id) {
    return !zone_id.empty() && ZoneOf(zone_id).isValid();
}

IanaZoneChanges ListIanaZoneChanges(std::string_view zone_id, int first_year, int end_year) {
    IanaZoneChanges result;
    const QTimeZone tz = ZoneOf(zone_id);
    if (!tz.isValid()) {
        return result;
    }
    const QDateTime from(QDate(first_year, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(end_year, 1, 1), QTime(0, 0), Qt::UTC);
    int previous_offset = tz.offsetFromUtc(from);
    QString previous_abbreviation = tz.abbreviation(from);
    if (previous_abbreviation != QStringLiteral("LMT")) {
        // A zone whose standard time began before the first year starts the list with it.
        IanaZoneChange change;
        change.utc_seconds = from.toSecsSinceEpoch();
        change.offset_seconds = previous_offset;
        change.abbreviation = previous_abbreviation.toStdString();
        change.daylight = tz.isDaylightTime(from);
        change.local_start = {first_year, 1, 1, 0, 0};
        result.changes.push_back(std::move(change));
    }
    // Stepping with nextTransition reaches the changes that the rule of the zone generates
    // beyond the dates written out in the database.
    QDateTime cursor = from.addSecs(-1);
    while (true) {
        QTimeZone::OffsetData next = tz.nextTransition(cursor);
        // Where the written-out dates of the database end and its rule takes over, the next
        // change is not always found from the last written one: probe a day at a time.
        const bool rule_years = cursor.date().year() >= kRuleYears;
        for (int day = 1;
             rule_years && day <= kProbeDays && (!next.atUtc.isValid() || next.atUtc <= cursor);
             ++day) {
            next = tz.nextTransition(cursor.addSecs(86400LL * day));
        }
        if (!next.atUtc.isValid() || next.atUtc <= cursor) {
            break;
        }
        if (next.atUtc >= to) {
            result.continues = true;
            break;
        }
        cursor = next.atUtc;
        if (next.offsetFromUtc == previous_offset && next.abbreviation == previous_abbreviation) {
            continue;
        }
        IanaZoneChange change;
        change.utc_seconds = next.atUtc.toSecsSinceEpoch();
        change.offset_seconds = next.offsetFromUtc;
        change.abbreviation = next.abbreviation.toStdString();
        change.daylight = next.daylightTimeOffset != 0;
        // Read on the later of the two clocks, so that a local time that exists twice (the
        // repeated hour after clocks go back) takes its first occurrence, and one that does
        // not exist (the hour skipped when clocks go forward) keeps the offset before.
        change.local_start =
            MinuteAtOrAfter(change.utc_seconds + std::max(previous_offset, next.offsetFromUtc));
        // A change whose local start does not come after the one before it (two changes
        // within the span of a clock shift) replaces that one.
        while (!result.changes.empty() &&
               MomentLessOrEqual(change.local_start, result.changes.back().local_start)) {
            result.changes.pop_back();
        }
        result.changes.push_back(std::move(change));
        previous_offset = next.offsetFromUtc;
        previous_abbreviation = next.abbreviation;
    }
    return result;
}

IanaOffset IanaOffsetAt(std::string_view zone_id, std::int64_t utc_seconds) {
    const QTimeZone tz = ZoneOf(zone_id);
    const QDateTime at = QDateTime::fromSecsSinceEpoch(utc_seconds, Qt::UTC);
    return {tz.offsetFromUtc(at), tz.abbreviation(at).toStdString()};
}

std::int16_t ZoneUnitsFromOffset(int offset_seconds) {
    return static_cast<std::int16_t>(std::lround(-offset_seconds / 4.0));
}

}  // namespace meridia::places
