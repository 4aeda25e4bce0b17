#include "formats/xlsx/XlsxDates.h"

#include "core/base/CivilDays.h"
#include "core/base/JetDate.h"

#include <cmath>

namespace rp {

namespace {

QDate epoch1900() {
    return QDate(1899, 12, 30);
}

} // namespace

bool isDateNumberFormat(int numFmtId, const QString& formatCode) {
    if ((numFmtId >= 14 && numFmtId <= 22) || (numFmtId >= 45 && numFmtId <= 47))
        return true;
    bool inQuotes = false;
    int bracketDepth = 0;
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar c = formatCode.at(i);
        if (inQuotes) {
            inQuotes = c != u'"';
            continue;
        }
        if (c == u'"') {
            inQuotes = true;
        } else if (c == u'[') {
            ++bracketDepth;
        } else if (c == u']') {
            bracketDepth = qMax(0, bracketDepth - 1);
        } else if (bracketDepth > 0) {
            continue;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // the next character is literal, padding or fill
        } else {
            switch (c.toLower().unicode()) {
            case 'd':
            case 'm':
            case 'y':
            case 'h':
            case 's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

std::optional<QDateTime> dateTimeFromSerial(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < -700000.0 || serial > 3000000.0)
        return std::nullopt;
    if (date1904)
        serial += 1462.0; // days from 30-Dec-1899 to 1-Jan-1904
    else if (serial >= 1.0 && serial < 61.0)
        serial += serial < 60.0 ? 1.0 : 0.0; // the 1900 system counts a 29-Feb-1900
    const qint64 msecs = std::llround(serial * double(msecsPerDay));
    const qint64 days = floorDays(msecs);
    const qint64 rest = msecs - days * msecsPerDay;
    const QDate date = epoch1900().addDays(days);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    return naiveDateTime(date, QTime::fromMSecsSinceStartOfDay(int(rest)));
}

double serialFromDateTime(const QDateTime& dateTime) {
    const qint64 days = epoch1900().daysTo(dateTime.date());
    const double time = double(dateTime.time().msecsSinceStartOfDay()) / msecsPerDay;
    // 1-Jan-1900 .. 28-Feb-1900 sit one day lower: the 1900 system counts a 29-Feb-1900.
    return double(days >= 2 && days <= 60 ? days - 1 : days) + time;
}

} // namespace rp
