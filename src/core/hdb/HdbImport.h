#pragma once

#include <QString>
#include <functional>

namespace rp {

class Database;

// Progress of a copy: the table being copied and the rows copied from it so far.
using ImportProgress = std::function<void(const QString& table, qint64 rows)>;

// Copies an HDB's rsite and its eight value tables into another, empty HDB, one series at a time
// so that no table has to fit in memory. Tables the source lacks are skipped. Returns the number
// of rows copied. Throws rp::Error; the caller's transaction decides what is kept.
qint64 copyHdb(Database& source, Database& destination, const ImportProgress& progress = {});

// Copies the HDB at source (a connection string or a database file) into a new HDB at
// destination: a new HDB created as buildNewHdb creates it, or an HDB whose tables are all empty
// (fillEmptyOrNewHdb). Whole or not at all.
qint64 importHdb(const QString& source, const QString& destination,
                 const ImportProgress& progress = {});

// A connection string for a command-line argument: the argument itself when it holds '=',
// else the database file it names (SQLite unless its suffix says otherwise).
QString connectionForArgument(const QString& argument);

} // namespace rp
