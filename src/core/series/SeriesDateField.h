#pragma once

#include <QByteArray>
#include <QDate>

namespace rp {

// The date fields that begin the data lines of a series file, English month names whatever the
// locale.

// "05 MAR 1999 " (12 characters).
void appendDayField(QByteArray& out, QDate date);
// "05 MAR 1999 07:00 " (18 characters).
void appendHourField(QByteArray& out, QDate date, int hour);
// "05 Mar 1999 07:15 " (18 characters; the month is not in capitals) from naive milliseconds
// since 1970-01-01.
void appendUnitDateField(QByteArray& out, qint64 msecs);

} // namespace rp
