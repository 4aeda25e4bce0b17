#pragma once

#include <QtGlobal>
#include <string>

namespace rp {

// How the values of an Access file are stored once read: pure conversions from the raw field
// bytes, so no library's date or number formatting (nor the user's locale) can change them.

// The declared column type (in the embedded database) for a libmdb column type; empty for the
// kinds that are not copied (OLE objects, attachments and other complex columns).
const char* accessColumnSqlType(int mdbType);

// A Jet date-time (days since 30-Dec-1899; the fraction, always counted forward, is the time of
// day) as "YYYY-MM-DD HH:MM:SS", with ".zzz" when there are milliseconds. Empty for values
// outside Jet's range, 1-Jan-100 to 31-Dec-9999, or not a number.
std::string jetDateTimeText(double days);

// A single-precision field as the double a user typed into it: 0.1 stays 0.1, not
// 0.100000001490116.
double jetSingleValue(float value);

// A currency field: a 64-bit count of ten-thousandths.
double jetCurrencyValue(qint64 tenThousandths);

} // namespace rp
