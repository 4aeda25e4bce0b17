#include "cli/InitDbCommand.h"

#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

namespace rp::cli {

QString InitDbCommand::summary() const {
    return QStringLiteral("create an empty HDB in a new SQLite file or a PostgreSQL database");
}

QString InitDbCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli init-db CONNECTION\n"
        "Creates an empty HDB (the table rsite and the eight value tables) in a new SQLite file\n"
        "or in a PostgreSQL database, for example \"Provider=SQLite;Data "
        "Source=/path/hdb.sqlite\"\n"
        "or \"Provider=PostgreSQL;Host=db;Port=5432;Database=hdb;User ID=me;Password=...\".\n"
        "On PostgreSQL it also creates the Jet functions (Year, DateAdd, Format ...) that own SQL\n"
        "may call. An existing file, or a database that has HDB tables, is never touched.\n");
}

void InitDbCommand::run(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 1)
        throw UsageError(QStringLiteral("init-db takes one argument, the connection string"));
    const auto database = createHdb(arguments.first());
    out << "Created an empty HDB in " << database->location() << '\n';
}

} // namespace rp::cli
