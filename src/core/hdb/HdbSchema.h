#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace rp {

class Database;

// The value tables of an HDB, one per time step, in time-step order.
QStringList hdbValueTables();
// The columns every value table has, in the order rows are written.
const QStringList& hdbValueColumns();
// Every table of an HDB: rsite, then the value tables.
QStringList hdbTables();

// Creates the HDB tables in an empty database: rsite, its index on site_id, and the eight value
// tables keyed by datatype_site_id and date_time (on PostgreSQL also the Jet functions). All or
// nothing.
void createHdbSchema(Database& database);

// Creates a new SQLite HDB file at path: the schema, then whatever fill adds. Refuses a file that
// already exists. The file appears complete or not at all: it is built under a temporary name in
// the same folder and renamed when fill has returned; if anything fails, nothing is left behind.
void buildNewHdbFile(const QString& path, const std::function<void(Database&)>& fill);

// Creates a new HDB where a connection string points: a new SQLite file (as buildNewHdbFile), or
// the tables and the Jet functions in a PostgreSQL database that has no HDB tables yet, then
// whatever fill adds, all in one transaction. Refuses an existing file or HDB; nothing is left
// behind when anything fails.
void buildNewHdb(const QString& connectionString, const std::function<void(Database&)>& fill);

// Fills the HDB at connectionString: when its HDB tables all exist and hold no rows (as a new,
// empty HDB has them), fill adds to them in one transaction; otherwise as buildNewHdb. Refuses an
// HDB holding rows.
void fillEmptyOrNewHdb(const QString& connectionString, const std::function<void(Database&)>& fill);

// Creates a new, empty HDB as buildNewHdb does and returns it opened.
std::shared_ptr<Database> createHdb(const QString& connectionString);

} // namespace rp
