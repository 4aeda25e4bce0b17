#pragma once

#include <QByteArray>
#include <QString>

namespace rp {

// Turns a series of flows in cubic feet per second into the volume in acre-feet that flows in each
// time slot: 1.9835 acre-feet per CFS-day (per hour for hourly and unit values, times the days of
// the month for monthly values). Line 2's "CFS" becomes "ACRE-FEET". Values are written by size:
// below 0.95 with two decimals, below 9.5 with one, otherwise whole.

// Converts the text of a series file. Returns false (and leaves `out` empty) when line 2 holds no
// "CFS". Throws rp::Error naming the line for input it cannot read: a missing header line, a
// line too short for its date field, a value that is not a number.
bool convertToAcreFeet(const QByteArray& in, QByteArray& out);

// Converts a series file in place: the converted text goes to a temporary file beside it, which
// then replaces it whole, so a failure leaves the file as it was. Returns false when the file is
// not in CFS (it is then left untouched).
bool convertFileToAcreFeet(const QString& path);

// The days of a month as the conversion counts them: February has 29 days in every year divisible
// by 4. 0 for a month number outside 1..12.
int acreFeetMonthDays(int month, int year);

} // namespace rp
