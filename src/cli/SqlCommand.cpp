#include "cli/SqlCommand.h"

#include "core/db/Database.h"

namespace rp::cli {

QString SqlCommand::summary() const {
    return QStringLiteral("run one SQL statement and print its rows or its outcome");
}

QString SqlCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli sql CONNECTION STATEMENT\n"
        "Runs STATEMENT, written in the Access (Jet) dialect, on the database CONNECTION names.\n"
        "A statement that returns rows prints the field names, then one line per row, the values\n"
        "separated by tabs and written as the program's grid shows them. An action statement\n"
        "(UPDATE, DELETE, INSERT ...) prints \"FINISHED: \" and the statement in capitals.\n"
        "Example:\n"
        "  rivelpost-cli sql \"Provider=SQLite;Data Source=hdb.sqlite\" \\\n"
        "    \"SELECT * FROM rday WHERE datatype_site_id=1011 AND date_time BETWEEN\n"
        "     #01-Jan-2020# AND #31-Jan-2020# ORDER BY date_time;\"\n");
}

void SqlCommand::run(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 2)
        throw UsageError(QStringLiteral("sql takes two arguments, the connection string and the "
                                        "statement"));
    const QString& statement = arguments[1];
    const auto database = openDatabase(arguments[0]);
    // A statement that returns rows gives a record set with fields; an action statement is
    // carried out by open() and gives one without.
    const auto records = database->open(statement, LockType::ReadOnly);
    if (records->fieldCount() == 0) {
        out << "FINISHED: " << statement.toUpper() << '\n';
        return;
    }
    out << records->fieldNames().join(QLatin1Char('\t')) << '\n';
    QStringList cells;
    for (qsizetype row = 0; row < records->recordCount(); ++row) {
        cells.clear();
        for (int field = 0; field < records->fieldCount(); ++field)
            cells.append(records->displayText(row, field));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
}

} // namespace rp::cli
