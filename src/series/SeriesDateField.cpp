#include "SeriesDateField.h"

namespace rp {

namespace {

constexpr char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

void appendTwo(QByteArray& out, int value) {
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

void appendDate(QByteArray& out, int year, int monthNumber, int day, bool capitals) {
    appendTwo(out, day);
    out += ' ';
    const char* month = months + 3 * (monthNumber - 1);
    out += month[0];
    out += capitals ? char(month[1] - 'a' + 'A') : month[1];
    out += capitals ? char(month[2] - 'a' + 'A') : month[2];
    out += ' ';
    if (year >= 0 && year <= 9999) {
        appendTwo(out, year / 100);
        appendTwo(out, year % 100);
    } else {
        out += QByteArray::number(year);
    }
    out += ' ';
}

void appendDate(QByteArray& out, QDate date, bool capitals) {
    appendDate(out, date.year(), date.month(), date.day(), capitals);
}

// Proleptic Gregorian year, month and day of a day counted from 1970-01-01.
void civilFromDays(qint64 days, int& year, int& month, int& day) {
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 m = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * m + 2) / 5 + 1);
    month = int(m < 10 ? m + 3 : m - 9);
    year = int(yearOfEra + era * 400 + (month <= 2));
}

} // namespace

void appendDayField(QByteArray& out, QDate date) {
    appendDate(out, date, true);
}

void appendHourField(QByteArray& out, QDate date, int hour) {
    appendDate(out, date, true);
    appendTwo(out, hour);
    out += ":00 ";
}

void appendUnitDateField(QByteArray& out, qint64 msecs) {
    constexpr qint64 msPerDay = 86400000;
    const qint64 days = msecs >= 0 ? msecs / msPerDay : (msecs - msPerDay + 1) / msPerDay;
    const qint64 ms = msecs - days * msPerDay;
    int year, month, day;
    civilFromDays(days, year, month, day);
    appendDate(out, year, month, day, false);
    appendTwo(out, int(ms / 3600000));
    out += ':';
    appendTwo(out, int(ms / 60000 % 60));
    out += ' ';
}

} // namespace rp
