// The text formats of typed values in one include: angles and coordinates, dates, clock
// times and zones, ordinals and duration suffixes, and the calendar arithmetic they use.
#pragma once

#include "textformats/angle_text.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/number_text.h"
#include "textformats/time_text.h"
