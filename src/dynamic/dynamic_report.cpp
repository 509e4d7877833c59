#include "dynamic/dynamic_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

namespace meridia::dynamic {

namespace {

constexpr std::array<std::string_view, 9> kSortNames = {"Date/Time", "E/X/L Event", "Point 1",
                                                        "Point 2",   "Weighting",   "Event Type",
                                                        "Aspect",    "Position 1",  "Position 2"};
constexpr std::array<std::string_view, 9> kSortWords = {
    "date", "event", "point1", "point2", "weight", "type", "aspect", "position1", "position2"};

// Rank of a point in the point order (its number when no order is set).
double RankOf(const std::vector<double>& ranks, int point) {
    if (point >= 0 && static_cast<std::size_t>(point) < ranks.size()) {
        return ranks[static_cast<std::size_t>(point)];
    }
    return point;
}

}  // namespace

std::string_view SortKeyName(DynamicSortKey key) {
    return kSortNames[static_cast<std::size_t>(key)];
}

bool SortKeyFromWord(std::string_view word, DynamicSortKey& key) {
    for (std::size_t i = 0; i < kSortWords.size(); ++i) {
        if (kSortWords[i] == word) {
            key = static_cast<DynamicSortKey>(i);
            return true;
        }
    }
    return false;
}

bool DynamicReportClass::AddEvent(int tran_point, int aspect, int ra_point, char symbol,
                                  double tran_pos, bool tran_retro, bool tran_show_sign,
                                  double ra_pos, bool ra_retro, bool radix_show_sign,
                                  int tran_house, int ra_house, double jul_day, int type) {
    DynamicEvent e;
    e.tran_point = tran_point;
    e.aspect = aspect;
    e.ra_point = ra_point;
    e.symbol = symbol;
    e.tran_pos = tran_pos;
    e.tran_retro = tran_retro;
    e.tran_show_sign = tran_show_sign;
    e.ra_pos = ra_pos;
    e.ra_retro = ra_retro;
    e.radix_show_sign = radix_show_sign;
    e.tran_house = tran_house;
    e.ra_house = ra_house;
    e.jul_day = jul_day;
    e.type = type;
    e.jd_ut = jul_day - JulDayTrOffSet();
    return AddEvent(e);
}

bool DynamicReportClass::AddEvent(DynamicEvent event) {
    if (TranEvents() >= kMaxDynamicEvents) {
        truncated_ = true;
        return false;
    }
    event.index = TranEvents() + 1;
    event.settings_id = settings_id_;
    event.deleted = false;
    event.filtered = false;
    event.time = write_time_;
    event.weight = WeightOf(event);
    events_.push_back(event);
    SetTranUsed(event.tran_point);
    return true;
}

double DynamicReportClass::ReportTime(double jd_ut) const {
    const double zone = zone_lookup_ ? zone_lookup_(jd_ut) : zone_hours_;
    return jd_ut - zone / 24.0;
}

void DynamicReportClass::SetFixedZone(double zone_hours) {
    zone_hours_ = zone_hours;
    zone_lookup_ = nullptr;
}

void DynamicReportClass::SetZoneLookup(std::function<double(double)> lookup) {
    zone_lookup_ = std::move(lookup);
}

void DynamicReportClass::SetPeriod(double jd_start_ut, double jd_end_ut) {
    jul_day_start_ = jd_start_ut;
    jul_day_end_ = jd_end_ut;
}

void DynamicReportClass::SetCharts(int radix_dyn_chart, int radix_pos_chart) {
    radix_dyn_chart_ = radix_dyn_chart;
    radix_pos_chart_ = radix_pos_chart;
}

void DynamicReportClass::SetWeighting(std::vector<double> point_ranks,
                                      std::vector<double> aspect_weights) {
    point_ranks_ = std::move(point_ranks);
    aspect_weights_ = std::move(aspect_weights);
}

float DynamicReportClass::WeightOf(const DynamicEvent& event) const {
    if (event.symbol == kSymRetrograde || event.symbol == kSymDirect) {
        return 1.0F;
    }
    double a = 0.0;
    if (event.aspect > 0 && static_cast<std::size_t>(event.aspect) < aspect_weights_.size()) {
        a = 1.01 * aspect_weights_[static_cast<std::size_t>(event.aspect)];
    }
    const double moving = RankOf(point_ranks_, event.tran_point);
    const double target = event.ra_point > 0 ? RankOf(point_ranks_, event.ra_point) : 0.0;
    const double denominator = std::pow(std::max(a, 0.0), 0.01) + 1100.0 * moving - target;
    return denominator == 0.0 ? 0.0F : static_cast<float>(1.0 / denominator);
}

void DynamicReportClass::SetTranUsed(int point) {
    if (point < 0) {
        return;
    }
    if (static_cast<std::size_t>(point) >= tran_used_.size()) {
        tran_used_.resize(static_cast<std::size_t>(point) + 1, false);
    }
    tran_used_[static_cast<std::size_t>(point)] = true;
}

bool DynamicReportClass::TranUsed(int point) const {
    return point >= 0 && static_cast<std::size_t>(point) < tran_used_.size() &&
           tran_used_[static_cast<std::size_t>(point)];
}

void DynamicReportClass::Sort(DynamicSortKey key) {
    const auto by_date = [](const DynamicEvent& a, const DynamicEvent& b) {
        if (a.jd_ut != b.jd_ut) {
            return a.jd_ut < b.jd_ut;
        }
        return a.index < b.index;
    };
    const auto primary = [key](const DynamicEvent& e) -> double {
        switch (key) {
            case DynamicSortKey::kDate:
                return 0.0;
            case DynamicSortKey::kEvent:
                return static_cast<unsigned char>(e.symbol);
            case DynamicSortKey::kPoint1:
                return e.tran_point;
            case DynamicSortKey::kPoint2:
                return e.ra_point;
            case DynamicSortKey::kWeight:
                return -e.weight;  // heaviest first
            case DynamicSortKey::kType:
                return e.type;
            case DynamicSortKey::kAspect:
                return e.aspect;
            case DynamicSortKey::kPosition1:
                return e.tran_pos;
            case DynamicSortKey::kPosition2:
                return e.ra_pos;
        }
        return 0.0;
    };
    std::stable_sort(events_.begin(), events_.end(),
                     [&](const DynamicEvent& a, const DynamicEvent& b) {
                         const double ka = primary(a);
                         const double kb = primary(b);
                         if (ka != kb) {
                             return ka < kb;
                         }
                         return by_date(a, b);
                     });
}

void DynamicReportClass::FilterDynamicRep() {
    for (DynamicEvent& e : events_) {
        e.filtered = e.deleted || e.jd_ut < jul_day_start_ || e.jd_ut > jul_day_end_;
    }
}

void DynamicReportClass::DeleteLine(int n) {
    if (n >= 1 && n <= TranEvents()) {
        events_[static_cast<std::size_t>(n - 1)].deleted = true;
    }
}

void DynamicReportClass::Clear() {
    events_.clear();
    truncated_ = false;
    tran_used_.clear();
}

std::string DynamicReportClass::DebugPrintReport() const {
    std::ostringstream out;
    out.precision(12);
    for (const DynamicEvent& e : events_) {
        out << e.index << ' ' << e.tran_point << ' ' << e.symbol << ' ' << e.aspect << ' '
            << e.ra_point << ' ' << e.tran_pos << ' ' << e.tran_retro << ' ' << e.tran_show_sign
            << ' ' << e.ra_pos << ' ' << e.ra_retro << ' ' << e.radix_show_sign << ' ' << e.jul_day
            << ' ' << e.tran_house << ' ' << e.ra_house << ' ' << e.type << ' ' << e.time << ' '
            << e.settings_id << ' ' << e.deleted << ' ' << e.filtered << ' ' << e.weight << ' '
            << e.hit_no << ' ' << e.jd_ut << ' ' << e.converged << '\n';
    }
    out << "TranUsed:";
    for (std::size_t p = 0; p < tran_used_.size(); ++p) {
        if (tran_used_[p]) {
            out << ' ' << p;
        }
    }
    out << '\n';
    return out.str();
}

}  // namespace meridia::dynamic
