#pragma once

#include <QDate>
#include <QString>

namespace rp {

// Creates the demo HDB as a new SQLite file: six sites on the Kern and the Arkansas with flows,
// stage, reservoir storage and elevation, rain, wind direction, temperatures, pressure and
// evapotranspiration, from October 1980 to `until` in every time step. The data are synthetic but
// deterministic: a row's value depends only on its series and time, so the same day gives the
// same value whatever `until` is. The file appears complete or not at all. Throws rp::Error when
// the file exists or cannot be written.
void createDemoDatabase(const QString& path, QDate until = QDate::currentDate());

// The same demo HDB where a connection string points (an SQLite file or a PostgreSQL database
// without HDB tables; see buildNewHdb).
void createDemoHdb(const QString& connectionString, QDate until = QDate::currentDate());

class Database;
// Writes the demo rows into an empty HDB.
void fillDemoDatabase(Database& database, QDate until);

} // namespace rp
