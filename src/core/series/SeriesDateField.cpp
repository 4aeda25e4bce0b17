#include "core/series/SeriesDateField.h"

#include "core/base/CivilDays.h"

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
    const qint64 days = floorDays(msecs);
    const qint64 ms = msecs - days * msecsPerDay;
    const CivilDate date = civilFromDays(days);
    appendDate(out, date.year, date.month, date.day, false);
    appendTwo(out, int(ms / 3600000));
    out += ':';
    appendTwo(out, int(ms / 60000 % 60));
    out += ' ';
}

} // namespace rp
