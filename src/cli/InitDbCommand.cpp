#include "InitDbCommand.h"

#include "db/Database.h"
#include "db/HdbSchema.h"

namespace rp::cli {

QString InitDbCommand::summary() const {
    return QStringLiteral("create an empty HDB in a new SQLite file");
}

QString InitDbCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli init-db CONNECTION\n"
        "Creates an empty HDB (the table rsite and the eight value tables) in a new SQLite file.\n"
        "CONNECTION names the file, for example \"Provider=SQLite;Data Source=/path/hdb.sqlite\".\n"
        "An existing file is never touched.\n");
}

void InitDbCommand::run(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 1)
        throw UsageError(QStringLiteral("init-db takes one argument, the connection string"));
    const auto database = createHdb(arguments.first());
    out << "Created an empty HDB in " << database->location() << '\n';
}

} // namespace rp::cli
