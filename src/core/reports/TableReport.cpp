#include "core/reports/TableReport.h"

#include "core/base/Error.h"
#include "core/reports/AggregateSink.h"
#include "core/reports/DailyTable.h"
#include "core/reports/HourlyTable.h"
#include "core/reports/MonthlyTable.h"
#include "core/reports/ReportKind.h"
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
    switch (reportKindOf(header1)) {
    case ReportKind::Monthly:
        monthlytable(in, report, header1, header2, options);
        return;
    case ReportKind::Daily:
        dailytable(in, report, header1, header2, options);
        return;
    case ReportKind::Hourly:
        hourlytable(in, report, header1, header2, options);
        return;
    }
}

} // namespace rp
