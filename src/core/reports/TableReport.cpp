#include "core/reports/TableReport.h"

#include "core/base/Error.h"
#include "core/reports/AggregateSink.h"
#include "core/reports/DailyTable.h"
#include "core/reports/HourlyTable.h"
#include "core/reports/MonthlyTable.h"
#include "core/reports/SeriesReader.h"

namespace rp {

void writeTableReport(QIODevice& series, QIODevice& report, const ReportOptions& options) {
    // A series that cannot be trusted is refused before a line is printed.
    if (options.sink)
        options.sink->checkSeries(series);
    SeriesReader in(series);
    QString header1;
    QString header2;
    if (!in.readLine(header1) || !in.readLine(header2))
        throw Error(QStringLiteral("The series file has no header lines."));
    const QChar code = header1.isEmpty() ? QChar() : header1.front();
    switch (code.unicode()) {
    case u'0':
    case u'1':
        monthlytable(in, report, header1, header2, options);
        return;
    case u'2':
    case u'5':
    case u'6':
        dailytable(in, report, header1, header2, options);
        return;
    case u'3':
        hourlytable(in, report, header1, header2, options);
        return;
    case u'4':
    case u'7':
        throw Error(QStringLiteral("There is no table for unit values."));
    default:
        throw Error(QStringLiteral("Line 1 of the series file does not start with a time-step "
                                   "code (0 to 7)."));
    }
}

} // namespace rp
