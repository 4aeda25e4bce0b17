#include "cli/ApplyUpdateCommand.h"

#include "core/db/Database.h"
#include "core/export/ApplyUpdate.h"

namespace rp::cli {

QString ApplyUpdateCommand::summary() const {
    return QStringLiteral("write the edited update workbook (DBedit.xlsx) to the database");
}

QString ApplyUpdateCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli apply-update BOOK.xlsx [--sheet NAME] [--connection C] [--dry-run]\n"
        "Reads a sheet that UPDATE database with Excel filled and the user edited: the parameter\n"
        "and time step from A1, dates from column A and values from column B (row 11 on), the\n"
        "connection string from F2. Prints the rows it adds, changes and removes, then writes\n"
        "them in one transaction with source 5.\n"
        "  --sheet       the sheet to read (default Sheet1)\n"
        "  --connection  the database to write instead of the one F2 names\n"
        "  --dry-run     print the changes only\n");
}

void ApplyUpdateCommand::run(const QStringList& arguments, QTextStream& out) {
    QString book;
    QString sheetName = QStringLiteral("Sheet1");
    QString connection;
    bool dryRun = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--sheet" || a == u"--connection") {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(a));
            (a == u"--sheet" ? sheetName : connection) = arguments[++i];
        } else if (a == u"--dry-run") {
            dryRun = true;
        } else if (a.startsWith(u"--")) {
            throw UsageError(QStringLiteral("unknown option %1").arg(a));
        } else if (book.isEmpty()) {
            book = a;
        } else {
            throw UsageError(QStringLiteral("one workbook only"));
        }
    }
    if (book.isEmpty())
        throw UsageError(QStringLiteral("no workbook given"));
    const UpdateSheet sheet = readUpdateSheet(book, sheetName);
    const auto database = openDatabase(connection.isEmpty() ? sheet.connection : connection);
    const UpdatePlan plan = planUpdate(*database, sheet);
    for (const QString& line : updatePlanLines(plan))
        out << line << '\n';
    out << updatePlanSummary(plan) << '\n';
    if (dryRun || plan.changes.empty())
        return;
    applyUpdatePlan(*database, plan);
    out << "Written\n";
}

} // namespace rp::cli
