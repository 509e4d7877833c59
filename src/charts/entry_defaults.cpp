#include "charts/entry_defaults.h"

#include "startup/session.h"

namespace meridia::charts {

int DefaultHouseSystem() { return startup::CurrentSession().settings().GetInt("HouseSystem"); }

int DefaultZodiac() { return startup::CurrentSession().settings().GetInt("Ayanamsa"); }

}  // namespace meridia::charts
