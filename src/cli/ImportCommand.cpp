#include "cli/ImportCommand.h"

#include "core/hdb/HdbImport.h"

#include <QElapsedTimer>
#include <cstdio>

namespace rp::cli {

QString ImportCommand::summary() const {
    return QStringLiteral("copy an HDB into a new SQLite file or PostgreSQL database");
}

QString ImportCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli import SOURCE DEST\n"
        "Copies the HDB at SOURCE (rsite and the eight value tables) into a new HDB at DEST,\n"
        "one series at a time, with progress on standard error. SOURCE and DEST are connection\n"
        "strings, for example \"Provider=PostgreSQL;Host=db;Port=5432;Database=hdb;User ID=me;\n"
        "Password=...\", or database file names. DEST must be a new file, a PostgreSQL database\n"
        "without HDB tables, or an HDB whose tables are all empty (as init-db leaves them); it\n"
        "is written whole or not at all. An Access file (.mdb, .accdb)\n"
        "is converted whole: every table keeps its name, columns, types and dates.\n");
}

void ImportCommand::run(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 2)
        throw UsageError(QStringLiteral("import takes two arguments, SOURCE and DEST"));
    QTextStream err(stderr);
    QElapsedTimer shown;
    shown.start();
    QString lastTable;
    const qint64 copied =
        importHdb(connectionForArgument(arguments[0]), connectionForArgument(arguments[1]),
                  [&](const QString& table, qint64 rows) {
                      // A line per table, and one at most every second within a long one.
                      if (table != lastTable || shown.elapsed() >= 1000) {
                          err << table << ": " << rows << " rows\n";
                          err.flush();
                          lastTable = table;
                          shown.restart();
                      }
                  });
    out << "Copied " << copied << " rows\n";
}

} // namespace rp::cli
