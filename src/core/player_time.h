// The player's times: seconds since 1904-01-01 00:00 on the clock of the PC
// that synced it, as the player writes them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// A moment as a clock shows it.
struct CivilTime {
    int32_t Year = 0;
    int32_t Month = 0;  // 1 to 12
    int32_t Day = 0;    // 1 to 31
    int32_t Hour = 0;
    int32_t Minute = 0;
    int32_t Second = 0;

    bool operator==(const CivilTime&) const = default;
};

// The player's time as its clock showed it: the local time of the PC that
// synced it.
CivilTime CivilOfPlayerTime(uint32_t seconds);

// A local time of the PC as UTC, by the system's own time zone rules for
// that date; nothing when the system cannot tell.
using LocalToUtc = std::function<std::optional<CivilTime>(const CivilTime& local)>;

// Seconds since 1970-01-01 00:00 of a time in UTC.
int64_t UnixSeconds(const CivilTime& utc);
