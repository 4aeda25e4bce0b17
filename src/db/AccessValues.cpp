#include "AccessValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <mdbtools.h>

namespace rp {

namespace {

// Proleptic Gregorian date of a count of days since 1970-01-01.
void civilFromDays(qint64 z, int& year, int& month, int& day) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr qint64 msecsPerDay = 86400000;
// 30-Dec-1899 counted from 1-Jan-1970.
constexpr qint64 jetEpochDays = -25569;
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
    int year, month, day;
    civilFromDays(dayNumber + jetEpochDays, year, month, day);
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
