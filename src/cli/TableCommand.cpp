#include "cli/TableCommand.h"

#include "cli/CommandLinePasswords.h"
#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "core/writeback/AggregateRows.h"
#include "core/writeback/DatabaseAggregateSink.h"
#include "core/reports/ReportOptions.h"
#include "core/reports/TableReport.h"

#include <QDate>
#include <QFile>
#include <cstdio>

namespace rp {

namespace {

const char* const help =
    "usage: rivelpost-cli table SERIESFILE [--out FILE] [--excel] [--station ID]\n"
    "                           [--date MM-DD-YYYY] [--water-year]\n"
    "                           [--connection C --dsid K [--write-monthly] [--write-yearly]]\n"
    "\n"
    "Writes the table report of a series file: the monthly table for yearly and monthly\n"
    "series, the daily table for daily (and daily maximum and minimum) series, the hourly\n"
    "table for hourly series. Unit values have no table.\n"
    "\n"
    "While it writes the daily table of a daily series it can store the monthly and yearly\n"
    "values it computes in rmonth and ryear (source 5), replacing rows of the same date, all\n"
    "in one transaction once the report is written. It refuses (writing nothing) a series\n"
    "whose key differs from --dsid or is not in rsite, whose dates are not ascending or whose\n"
    "values are not all finite numbers; a month or year the series covers only in part does\n"
    "not replace a stored value.\n"
    "\n"
    "  --out FILE         the report file (default: lasttable.txt in the current folder)\n"
    "  --excel            lay the report out for import into a spreadsheet\n"
    "  --station ID       the station identifier printed in the daily title\n"
    "  --date MM-DD-YYYY  the date printed in the daily title (default: today)\n"
    "  --water-year       page the daily table by water year (October to September)\n"
    "  --connection C     the database to write to\n"
    "  --dsid K           the datatype_site_id of the series\n"
    "  --write-monthly    write the monthly values (needs --connection and --dsid)\n"
    "  --write-yearly     write the yearly values (needs --connection and --dsid)\n"
    "  --help             show this help\n";

int fail(int status, const QString& message) {
    std::fprintf(stderr, "rivelpost-cli table: %s\n", qPrintable(message));
    return status;
}

} // namespace

int runTableCommand(const QStringList& args) {
    ReportOptions options;
    QString seriesPath;
    QString outPath = QStringLiteral("lasttable.txt");
    QString connection;
    QString dsid;
    bool writeMonthly = false;
    bool writeYearly = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&]() -> const QString* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (a == u"--help" || a == u"-h") {
            std::fputs(help, stdout);
            std::fputs(qPrintable(cli::passwordHelp()), stdout);
            return 0;
        } else if (a == u"--excel") {
            options.excel = true;
        } else if (a == u"--water-year") {
            options.waterYear = true;
        } else if (a == u"--write-monthly") {
            writeMonthly = true;
        } else if (a == u"--write-yearly") {
            writeYearly = true;
        } else if (a == u"--out" || a == u"--station" || a == u"--date" || a == u"--connection" ||
                   a == u"--dsid") {
            const QString* v = value();
            if (!v)
                return fail(2, QStringLiteral("%1 needs a value").arg(a));
            if (a == u"--out") {
                outPath = *v;
            } else if (a == u"--connection") {
                connection = *v;
            } else if (a == u"--dsid") {
                dsid = *v;
            } else if (a == u"--station") {
                options.stationId = *v;
            } else {
                options.today = QDate::fromString(*v, QStringLiteral("MM-dd-yyyy"));
                if (!options.today.isValid())
                    return fail(
                        2, QStringLiteral("--date wants a date MM-DD-YYYY, not \"%1\"").arg(*v));
            }
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return fail(2, QStringLiteral("unknown option %1 (see --help)").arg(a));
        } else if (seriesPath.isEmpty()) {
            seriesPath = a;
        } else {
            return fail(2, QStringLiteral("one series file only (see --help)"));
        }
    }
    if (seriesPath.isEmpty())
        return fail(2, QStringLiteral("no series file given (see --help)"));
    const bool writeBack = writeMonthly || writeYearly;
    if (writeBack && (connection.isEmpty() || dsid.isEmpty()))
        return fail(2, QStringLiteral("--write-monthly and --write-yearly need --connection and "
                                      "--dsid (see --help)"));
    if (writeBack) {
        try {
            aggregateParameter(dsid);
        } catch (const Error& e) {
            return fail(2, QStringLiteral("--dsid: %1").arg(e.message()));
        }
    }

    QFile series(seriesPath);
    if (!series.open(QIODevice::ReadOnly))
        return fail(1, QStringLiteral("cannot read %1: %2").arg(seriesPath, series.errorString()));
    if (writeBack && !series.peek(1).startsWith('2'))
        return fail(1, QStringLiteral("monthly and yearly values are written from a daily series "
                                      "(time-step code 2) only; %1 is not one")
                           .arg(seriesPath));
    std::unique_ptr<DatabaseAggregateSink> sink;
    try {
        // Written beside the previous report, which a failure leaves as it was.
        SaveFile report(outPath);
        if (writeBack) {
            sink = std::make_unique<DatabaseAggregateSink>(
                connection, dsid,
                WriteBackChoice{[=] { return writeMonthly; }, [=] { return writeYearly; }});
            options.sink = sink.get();
        }
        writeTableReport(series, report.device(), options);
        report.commit();
    } catch (const Error& e) {
        return fail(1, e.message());
    }
    if (sink) {
        // Only a report written whole lets the monthly and yearly values reach the database.
        try {
            if (const QString note = sink->finish(); !note.isEmpty())
                std::fprintf(stdout, "%s\n", qPrintable(note));
        } catch (const Error& e) {
            return fail(1, e.message());
        }
    }
    return 0;
}

} // namespace rp
