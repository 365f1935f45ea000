// The names an extraction gives the open player's tracks under the current
// preferences' patterns, for the extraction and the lists that name its
// copies.
#pragma once

#include "core/track_name_plan.h"

class MainWindowServices;

// The plan of every track of the open player (none without a player).
TrackNamePlan PlayerNamePlan(const MainWindowServices& window);
