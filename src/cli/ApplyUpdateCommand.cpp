#include "cli/ApplyUpdateCommand.h"

#include "core/db/ConnectionPassword.h"
#include "core/db/Database.h"
#include "core/export/ApplyUpdate.h"
#include "core/settings/AppPaths.h"
#include "core/settings/SettingsFile.h"

namespace {

// The settings file's connection string, whose password a workbook's may borrow; empty when
// there is none.
QString settingsConnection() {
    if (!rp::AppPaths::settingsFileExists())
        return {};
    try {
        return rp::SettingsFile::read(rp::AppPaths::settingsFilePath()).connectionString;
    } catch (const rp::Error&) {
        // Unreadable settings lend no password; libpq may still find one.
        return {};
    }
}

} // namespace

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
        "them in one transaction with source 5. A row someone else changed since the workbook\n"
        "was made is a conflict: it is listed, not written, and the command fails.\n"
        "F2 holds no password: it comes from the settings file's connection string when the\n"
        "rest is the same, else libpq finds it (PGPASSWORD, ~/.pgpass, passfile=).\n"
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
    const auto database = openDatabase(connectionWithKnownPassword(
        connection.isEmpty() ? sheet.connection : connection, settingsConnection()));
    const UpdatePlan plan = planUpdate(*database, sheet);
    for (const QString& line : updatePlanLines(plan))
        out << line << '\n';
    out << updatePlanSummary(plan) << '\n';
    if (!dryRun && !plan.changes.empty()) {
        applyUpdatePlan(*database, plan);
        out << "Written\n";
    }
    out.flush();
    if (!plan.conflicts.empty())
        throw Error(QStringLiteral("%1 of the rows changed in the workbook were changed in the "
                                   "database since the workbook was made; they were not written.")
                        .arg(plan.conflicts.size()));
}

} // namespace rp::cli
