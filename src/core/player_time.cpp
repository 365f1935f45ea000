#include "player_time.h"

CivilTime CivilOfPlayerTime(uint32_t seconds) {
    // The civil date of a day count from 0000-03-01 (so that a leap day ends
    // its year), in the proleptic Gregorian calendar.
    constexpr int64_t kDaysFrom0000To1904 = 695361;
    const int64_t days = seconds / 86400 + kDaysFrom0000To1904;
    const int64_t era = days / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
    const auto day = static_cast<int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const auto month =
        static_cast<int32_t>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const auto year = static_cast<int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    const auto secondOfDay = static_cast<int32_t>(seconds % 86400);
    return {year, month, day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60};
}

int64_t UnixSeconds(const CivilTime& utc) {
    // The day count of the date from 1970-01-01, in the proleptic Gregorian
    // calendar, counting years from March so that a leap day ends its year.
    const int64_t year = utc.Year - (utc.Month <= 2 ? 1 : 0);
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t shiftedMonth = utc.Month > 2 ? utc.Month - 3 : utc.Month + 9;
    const int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + utc.Day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + utc.Hour * 3600 + utc.Minute * 60 + utc.Second;
}
