#include "providers/access/AccessValues.h"

#include "core/base/CivilDays.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <mdbtools.h>

namespace rp {

namespace {

// 30-Dec-1899 counted from 1-Jan-1970.
constexpr qint64 jetEpochDays = daysFromCivil(1899, 12, 30);
// Jet's own bounds: 1-Jan-100 and the last millisecond of 31-Dec-9999.
constexpr double firstJetDay = -657434.0;
constexpr double lastJetDay = 2958466.0;

} // namespace

const char* accessColumnSqlType(int mdbType) {
    switch (mdbType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return "INTEGER";
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return "REAL";
    case MDB_DATETIME:
        return "DATETIME";
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return "TEXT";
    case MDB_BINARY:
        return "BLOB";
    default:
        return "";
    }
}

std::string jetDateTimeText(double days) {
    if (!std::isfinite(days) || days < firstJetDay || days >= lastJetDay)
        return {};
    // Before the epoch the whole part counts back but the time still counts forward:
    // -1.25 is 29-Dec-1899 06:00.
    const double whole = std::trunc(days);
    const double fraction = std::fabs(days - whole);
    qint64 dayNumber = qint64(whole);
    qint64 ms = std::llround(fraction * double(msecsPerDay));
    if (ms >= msecsPerDay) {
        // Rounded up to the next midnight; the time counts forward on either side of the epoch.
        ms -= msecsPerDay;
        ++dayNumber;
    }
    const auto [year, month, day] = civilFromDays(dayNumber + jetEpochDays);
    if (year < 100 || year > 9999)
        return {};
    const int h = int(ms / 3600000), mi = int(ms / 60000 % 60), s = int(ms / 1000 % 60),
              milli = int(ms % 1000);
    char text[32];
    if (milli == 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, h, mi,
                      s);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", year, month, day, h,
                      mi, s, milli);
    return text;
}

double jetSingleValue(float value) {
    if (!std::isfinite(value))
        return double(value);
    // The shortest text that reads back as the same single, read as a double (never through
    // the locale, which may want a decimal comma).
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double result = double(value);
    std::from_chars(text, written.ptr, result);
    return result;
}

double jetCurrencyValue(qint64 tenThousandths) {
    return double(tenThousandths) / 10000.0;
}

} // namespace rp
