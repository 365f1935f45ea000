#include "app/utc_clock.h"

CivilTime CivilOf(const SYSTEMTIME& time) {
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

std::optional<CivilTime> UtcClock::FromLocal(const CivilTime& local) {
    SYSTEMTIME localTime{};
    localTime.wYear = static_cast<WORD>(local.Year);
    localTime.wMonth = static_cast<WORD>(local.Month);
    localTime.wDay = static_cast<WORD>(local.Day);
    localTime.wHour = static_cast<WORD>(local.Hour);
    localTime.wMinute = static_cast<WORD>(local.Minute);
    localTime.wSecond = static_cast<WORD>(local.Second);
    const auto [rules, added] = years_.try_emplace(localTime.wYear);
    if (added && !GetTimeZoneInformationForYear(localTime.wYear, nullptr, &rules->second)) {
        years_.erase(rules);
        return std::nullopt;
    }
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(&rules->second, &localTime, &utc)) {
        return std::nullopt;
    }
    return CivilOf(utc);
}
