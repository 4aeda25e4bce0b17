#include "SeriesDateField.h"

namespace rp {

namespace {

constexpr char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

void appendTwo(QByteArray& out, int value) {
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

void appendDate(QByteArray& out, QDate date, bool capitals) {
    appendTwo(out, date.day());
    out += ' ';
    const char* month = months + 3 * (date.month() - 1);
    out += month[0];
    out += capitals ? char(month[1] - 'a' + 'A') : month[1];
    out += capitals ? char(month[2] - 'a' + 'A') : month[2];
    out += ' ';
    const int year = date.year();
    if (year >= 0 && year <= 9999) {
        appendTwo(out, year / 100);
        appendTwo(out, year % 100);
    } else {
        out += QByteArray::number(year);
    }
    out += ' ';
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

void appendUnitDateField(QByteArray& out, const QDateTime& when) {
    appendDate(out, when.date(), false);
    const QTime time = when.time();
    appendTwo(out, time.hour());
    out += ':';
    appendTwo(out, time.minute());
    out += ' ';
}

} // namespace rp
