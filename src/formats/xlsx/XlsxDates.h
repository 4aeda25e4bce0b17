#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace rp {

// How workbooks hold dates: numbers (days since an epoch) shown through a number format.

// True when a cell with this number format shows its number as a date or time: the built-in date
// formats 14-22 and 45-47, or a custom format code with a d, m, y, h or s outside quoted text,
// [brackets] and escaped characters.
bool isDateNumberFormat(int numFmtId, const QString& formatCode);

// The naive date-time (Qt::UTC) a serial stands for, rounded to the millisecond. In the 1900
// system serial 1 is 1-Jan-1900 and the phantom 29-Feb-1900 (60) reads as 28-Feb-1900; serials
// below 1 are times of day on 30-Dec-1899. Nothing for serials outside 1-Jan-100 .. 31-Dec-9999
// or not finite.
std::optional<QDateTime> dateTimeFromSerial(double serial, bool date1904 = false);

// The serial of a naive date-time in the 1900 system (the inverse of dateTimeFromSerial).
double serialFromDateTime(const QDateTime& dateTime);

} // namespace rp
