#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace rp {

class Database;

// The value tables of an HDB, one per time step, in time-step order.
QStringList hdbValueTables();

// Creates the HDB tables in an empty database: rsite, its index on site_id, and the eight value
// tables keyed by datatype_site_id and date_time. All or nothing.
void createHdbSchema(Database& database);

// Creates a new SQLite HDB file at path: the schema, then whatever fill adds. Refuses a file that
// already exists. The file appears complete or not at all: it is built under a temporary name in
// the same folder and renamed when fill has returned; if anything fails, nothing is left behind.
void buildNewHdbFile(const QString& path, const std::function<void(Database&)>& fill);

// Creates a new SQLite HDB file with the schema and returns it opened. Refuses a file that
// already exists. The file appears complete or not at all: it is built under a temporary name in
// the same folder and then renamed.
std::shared_ptr<Database> createHdb(const QString& connectionString);

} // namespace rp
