#pragma once

#include <QtGlobal>

namespace rp {

// Calendar arithmetic for naive date-times held as milliseconds or days since 1970-01-01, on the
// proleptic Gregorian calendar; quicker than a QDate round trip in loops over many rows.

inline constexpr qint64 msecsPerDay = 86400000;

// The day a moment falls on, also before 1970 (the division rounds down).
constexpr qint64 floorDays(qint64 msecs) {
    return msecs >= 0 ? msecs / msecsPerDay : (msecs - msecsPerDay + 1) / msecsPerDay;
}

// The day number of a date; month 1..12, day 1..31.
constexpr qint64 daysFromCivil(int year, unsigned month, unsigned day) {
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + qint64(dayOfEra) - 719468;
}

struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};

// The date of a day number.
constexpr CivilDate civilFromDays(qint64 days) {
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 m = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = int(dayOfYear - (153 * m + 2) / 5 + 1);
    date.month = int(m < 10 ? m + 3 : m - 9);
    date.year = int(yearOfEra + era * 400 + (date.month <= 2));
    return date;
}

static_assert(daysFromCivil(1970, 1, 1) == 0);
static_assert(daysFromCivil(1899, 12, 30) == -25569);
static_assert(civilFromDays(-25569).year == 1899 && civilFromDays(-25569).day == 30);
static_assert(civilFromDays(daysFromCivil(2000, 2, 29)).month == 2);
static_assert(floorDays(-1) == -1 && floorDays(msecsPerDay) == 1);

} // namespace rp
