// The checks a series file passes before its aggregates may replace stored ones.
#include "core/writeback/WriteBackSeries.h"

#include "core/base/Error.h"
#include "core/reports/SeriesReader.h"

#include <QIODevice>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace rp {

namespace {

[[noreturn]] void refuse(const QString& why) {
    throw Error(why);
}

// An empty text or hyphens stand for a missing value, as in the report.
bool isMissing(const QString& value) {
    return value.isEmpty() || value.count(QLatin1Char('-')) == value.size();
}

bool endsWithLineEnd(QIODevice& series) {
    const qint64 size = series.size();
    if (size <= 0 || !series.seek(size - 1))
        return false;
    char last = 0;
    return series.getChar(&last) && last == '\n';
}

void scan(QIODevice& series, WriteBackSeries& found) {
    SeriesReader in(series);
    QString line;
    if (!in.readLine(line))
        refuse(QStringLiteral("The series file is empty."));
    static const QRegularExpression header(QStringLiteral("^\\d +(\\d{1,18})(\\s|$)"));
    const QRegularExpressionMatch match = header.match(line);
    if (!match.hasMatch())
        refuse(QStringLiteral("Line 1 of the series file names no datatype_site_id."));
    found.key = match.captured(1).toLongLong();
    if (!in.readLine(line))
        refuse(QStringLiteral("The series file has no second header line."));
    while (in.readDataLine(line)) {
        const SeriesDate d = in.date(line);
        const QDate date(d.year, d.month, d.day);
        if (found.last.isValid() && date <= found.last)
            refuse(QStringLiteral("Line %1 of the series file: %2 does not follow %3; the dates "
                                  "are not in ascending order.")
                       .arg(in.lineNumber())
                       .arg(line.left(11), found.last.toString(QStringLiteral("dd MMM yyyy"))));
        const QString value = line.mid(12).trimmed();
        bool ok = true;
        const double number = isMissing(value) ? 0 : QLocale::c().toDouble(value, &ok);
        if (!ok || !std::isfinite(number))
            refuse(QStringLiteral("Line %1 of the series file: \"%2\" is not a finite number.")
                       .arg(in.lineNumber())
                       .arg(value.left(40)));
        if (!found.first.isValid())
            found.first = date;
        found.last = date;
    }
    if (!found.first.isValid())
        refuse(QStringLiteral("The series file holds no data line."));
}

} // namespace

bool WriteBackSeries::coversMonth(int year, int month) const {
    const QDate start(year, month, 1);
    return first <= start && last >= start.addMonths(1).addDays(-1);
}

bool WriteBackSeries::coversYear(int year) const {
    return first <= QDate(year, 1, 1) && last >= QDate(year, 12, 31);
}

WriteBackSeries checkWriteBackSeries(QIODevice& series) {
    if (series.isSequential())
        refuse(QStringLiteral("The series cannot be read twice to be checked."));
    const qint64 start = series.pos();
    WriteBackSeries found;
    try {
        scan(series, found);
        if (!endsWithLineEnd(series))
            refuse(QStringLiteral("The series file ends inside a line; it may be cut short."));
    } catch (const Error& e) {
        series.seek(start);
        throw Error(e.message() + QStringLiteral(" No monthly or yearly value was written."));
    }
    if (!series.seek(start))
        throw Error(
            QStringLiteral("The series file cannot be read again: %1").arg(series.errorString()));
    return found;
}

} // namespace rp
