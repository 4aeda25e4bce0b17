#include "cli/XlsxCommand.h"

#include "core/export/SpreadsheetExport.h"

namespace rp::cli {

QString XlsxCommand::summary() const {
    return QStringLiteral("export a series file (with its chart) or a report to a workbook");
}

QString XlsxCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli xlsx INPUT --out BOOK.xlsx [--table] [--per-day N]\n"
        "Writes the spreadsheet export of SAVE with Excel into a new workbook, on Sheet1:\n"
        "a series file as header lines, dates and values with a line chart, or with --table a\n"
        "report file (lasttable.txt) one token per cell.\n"
        "  --per-day  label spacing of a unit series (default: its values on the first day)\n");
}

void XlsxCommand::run(const QStringList& arguments, QTextStream& out) {
    QString input;
    QString output;
    bool table = false;
    int perDay = -1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--out" || a == u"--per-day") {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(a));
            const QString& value = arguments[++i];
            if (a == u"--out") {
                output = value;
            } else {
                bool ok = false;
                perDay = value.toInt(&ok);
                if (!ok || perDay < 0)
                    throw UsageError(
                        QStringLiteral("--per-day wants a count, not \"%1\"").arg(value));
            }
        } else if (a == u"--table") {
            table = true;
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
    writeExportWorkbook(input, table, perDay, output);
    out << "Wrote " << output << '\n';
}

} // namespace rp::cli
