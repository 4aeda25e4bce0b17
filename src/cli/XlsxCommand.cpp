#include "cli/XlsxCommand.h"

#include "core/export/ExportSession.h"
#include "core/export/SeriesSheet.h"
#include "core/export/SpreadsheetExport.h"

#include <QFileInfo>

namespace rp::cli {

QString XlsxCommand::summary() const {
    return QStringLiteral("export a series file (with its chart) or a report to a workbook");
}

QString XlsxCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli xlsx INPUT --out BOOK.xlsx [--table] [--per-day N]\n"
        "       rivelpost-cli xlsx SERIESFILE --update --connection C --out DBedit.xlsx\n"
        "Writes the spreadsheet export of SAVE with Excel into a new workbook, on Sheet1:\n"
        "a series file as header lines, dates and values with a line chart, or with --table a\n"
        "report file (lasttable.txt) one token per cell.\n"
        "With --update it writes the update workbook as UPDATE database with Excel does: the\n"
        "series on Sheet1 of BOOK.xlsx (made when missing, other cells kept), F2 the\n"
        "connection string without its password, the values as exported kept on a hidden\n"
        "sheet for apply-update; the workbook is readable by its owner only.\n"
        "  --per-day     label spacing of a unit series (default: its values on the first day)\n"
        "  --update      write the update workbook\n"
        "  --connection  the database the update workbook names (with --update)\n");
}

void XlsxCommand::run(const QStringList& arguments, QTextStream& out) {
    QString input;
    QString output;
    bool table = false;
    bool update = false;
    QString connection;
    int perDay = -1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--out" || a == u"--per-day" || a == u"--connection") {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(a));
            const QString& value = arguments[++i];
            if (a == u"--out") {
                output = value;
            } else if (a == u"--connection") {
                connection = value;
            } else {
                bool ok = false;
                perDay = value.toInt(&ok);
                if (!ok || perDay < 0)
                    throw UsageError(
                        QStringLiteral("--per-day wants a count, not \"%1\"").arg(value));
            }
        } else if (a == u"--table") {
            table = true;
        } else if (a == u"--update") {
            update = true;
        } else if (a.startsWith(u"--")) {
            throw UsageError(QStringLiteral("unknown option %1").arg(a));
        } else if (input.isEmpty()) {
            input = a;
        } else {
            throw UsageError(QStringLiteral("one input file only"));
        }
    }
    if (input.isEmpty())
        throw UsageError(QStringLiteral("no input file given"));
    if (output.isEmpty())
        throw UsageError(QStringLiteral("--out is missing"));
    if (update) {
        if (table)
            throw UsageError(QStringLiteral("--update writes a series, not a --table"));
        if (connection.isEmpty())
            throw UsageError(QStringLiteral("--update needs --connection"));
        // The dialog's own export session, so the workbook is the one UPDATE makes.
        const QFileInfo book(output);
        ExportSession session(book.absolutePath(), {});
        session.setUpdateWorkbookName(book.fileName());
        session.exportUpdate(input, perDay < 0 ? valuesPerDayOfSeriesFile(input) : perDay,
                             connection);
    } else {
        if (!connection.isEmpty())
            throw UsageError(QStringLiteral("--connection goes with --update"));
        writeExportWorkbook(input, table, perDay, output);
    }
    out << "Wrote " << output << '\n';
}

} // namespace rp::cli
