// Local times of the PC as UTC, by its own time zone's rules for each
// year, daylight saving included, as the lists the program writes for
// other programs give their times.
#pragma once

#include <windows.h>

#include <optional>
#include <unordered_map>

#include "core/player_time.h"

// A system time as a clock shows it.
CivilTime CivilOf(const SYSTEMTIME& time);

// Each year's rules are asked of the system once.
class UtcClock {
public:
    // Nothing when the system cannot tell.
    std::optional<CivilTime> FromLocal(const CivilTime& local);
    // FromLocal as a LocalToUtc; valid while the clock lives.
    LocalToUtc AsConversion() {
        return [this](const CivilTime& local) { return FromLocal(local); };
    }

private:
    std::unordered_map<WORD, TIME_ZONE_INFORMATION> years_;
};
