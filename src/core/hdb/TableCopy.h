#pragma once

#include "core/hdb/HdbImport.h"

#include <QStringList>

namespace rp {

class Database;

// Copies whole tables from one database to another. A table the destination lacks is created
// with the source's column names and types (integer, real, text, date-time, binary); one it
// has already receives the columns both have. Returns the number of rows copied.
qint64 copyTables(Database& source, Database& destination, const QStringList& tables,
                  const ImportProgress& progress = {});

// Copies everything a database holds into a new HDB: its HDB tables as copyHdb copies them when
// it has rsite, and every other table whole (copyTables). A database that is no HDB gives its
// tables to an HDB that stays empty otherwise.
qint64 copyEveryTable(Database& source, Database& destination, const ImportProgress& progress = {});

} // namespace rp
