#include "directions/dynamic_source.h"

#include <memory>
#include <optional>
#include <vector>

#include "astro/chart_table.h"
#include "directions/van_dam.h"

namespace meridia::directions {

namespace {

class PrimaryDirectionsSource : public dynamic::PrimaryDirectionSource {
public:
    bool Serves(int direction_type) const override {
        return direction_type == dynamic::kDirectionPrimaryMundane ||
               direction_type == dynamic::kDirectionPrimaryVanDam ||
               direction_type == dynamic::kDirectionPrimaryZodiacal;
    }

    startup::Status InitializeRadix(const dynamic::DynamicRunContext& context) override {
        const dynamic::DynamicSearchRequest& request = context.request;
        ConfigureDirections(directions_, request);
        van_dam_.PD_InitializeRadix(request.radix_slot, request.primary.key,
                                    context.data.ZodiacMult());
        return {};
    }

    bool MovesPoints(int direction_type) const override {
        return direction_type == dynamic::kDirectionPrimaryVanDam;
    }

    std::optional<dynamic::DynamicPosition> Position(const dynamic::DynamicRunContext& context,
                                                     int point, double jd_ut) override {
        const astro::ChartSlot& radix = astro::Slot(context.request.radix_slot);
        const VanDamPosition place = van_dam_.Position(point, jd_ut);
        dynamic::DynamicPosition position;
        position.longitude = place.longitude;
        position.speed = place.speed;
        const Equatorial e =
            EclipticToEquatorial(place.longitude - radix.zodiac_offset, 0.0, radix.obliquity);
        position.right_ascension = e.right_ascension;
        position.declination = e.declination;
        return position;
    }

    startup::Status AddDirections(const dynamic::DynamicRunContext& context,
                                  dynamic::DynamicReportClass& table) override {
        const DirectionsRequest request = DirectionsRequestOf(context, table);
        directions_.DRC(&table);
        if (context.request.families.directions_radix) {
            StoreDirectionEvents(GetDirectionsToRadix(directions_, request), *directions_.DRC());
        }
        if (!table.Truncated()) {
            StoreDirectionEvents(GetIngresses(directions_, request), *directions_.DRC());
        }
        directions_.DRC(nullptr);
        return {};
    }

private:
    PrimaryDirectionsClass directions_;
    PrimaryVanDamClass van_dam_;
};

}  // namespace

DirectionsRequest DirectionsRequestOf(const dynamic::DynamicRunContext& context,
                                      const dynamic::DynamicReportClass& table) {
    const dynamic::DynamicSearchRequest& r = context.request;
    DirectionsRequest request;
    request.promissors = r.moving.empty() ? r.targets : r.moving;
    request.significators = r.targets;
    const aspects::AspectSet& set = context.aspect_set;
    for (int i = 0; i < set.active.enabled_count; ++i) {
        const int number = set.active.sorted[static_cast<std::size_t>(i)];
        const aspects::AspectRecord& aspect = set.Aspect(number);
        request.aspects.push_back(
            {number, aspect.angle,
             aspect.Orb(aspects::OrbGroup::kOtherApplying, aspects::kOrbProgressed),
             aspect.Orb(aspects::OrbGroup::kOtherSeparating, aspects::kOrbProgressed)});
    }
    request.jd_start_ut = table.JulDayStart();
    request.jd_end_ut = table.JulDayEnd();
    request.multiplier = context.data.ZodiacMult();
    request.enter_leave = table.EnterLeave();
    request.sign_ingresses = r.families.sign_ingress;
    request.house_ingresses = r.families.house_ingress;
    return request;
}

void ConfigureDirections(PrimaryDirectionsClass& directions,
                         const dynamic::DynamicSearchRequest& request) {
    directions.Chart(request.radix_slot);
    directions.PrimaryRateKey(request.primary.key);
    directions.PrimaryDirectionMethod(request.primary.regiomontanus ? kMethodRegiomontanus
                                                                    : kMethodPlacidus);
    directions.PrimaryDirectionType(request.direction_type == dynamic::kDirectionPrimaryZodiacal
                                        ? kTypeZodiacal
                                        : kTypeMundane);
    directions.Converse(request.primary.converse);
    directions.MakranskyZodiacal(request.primary.makransky);
}

void StoreDirectionEvents(const std::vector<DirectionEvent>& events,
                          dynamic::DynamicReportClass& table) {
    for (const DirectionEvent& e : events) {
        if (e.jd_ut < table.JulDayStart() || e.jd_ut > table.JulDayEnd()) {
            continue;
        }
        const bool ingress =
            e.symbol == dynamic::kSymSignIngress || e.symbol == dynamic::kSymHouseIngress;
        dynamic::DynamicEvent event;
        event.tran_point = e.moving_point;
        event.symbol = e.symbol;
        event.aspect = e.aspect;
        event.ra_point = e.target_point;
        event.tran_pos = e.moving_longitude;
        event.ra_pos = ingress ? dynamic::kNoTargetPosition : e.target_longitude;
        if (!ingress && astro::IsValidSlot(table.RadixPosChart())) {
            event.ra_retro = astro::Slot(table.RadixPosChart())
                                 .retrograde[static_cast<std::size_t>(e.target_point)] != 0;
        }
        event.tran_house = e.moving_house;
        event.ra_house = e.target_house;
        event.jd_ut = e.jd_ut;
        event.jul_day = table.ReportTime(e.jd_ut);
        event.type = ingress ? dynamic::kTypeProgressedNone : dynamic::kTypeDirectedRadix;
        if (!table.AddEvent(event)) {
            return;
        }
        table.SetTranUsed(e.moving_point);
    }
}

void RegisterPrimaryDirections() {
    static const auto kSource = std::make_shared<PrimaryDirectionsSource>();
    dynamic::RegisterPrimaryDirectionSource(kSource);
}

}  // namespace meridia::directions
