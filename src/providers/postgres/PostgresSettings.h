#pragma once

#include <QString>

namespace rp {

class ConnectionString;

// Where a PostgreSQL HDB lives, read from a connection string:
// Provider=PostgreSQL;Host=…;Port=…;Database=…;User ID=…;Password=…[;Schema=…]. Server= may stand
// for Host=, UID= or User= for User ID=, PWD= for Password=, Initial Catalog= for Database=;
// Passfile=FILE names libpq's password file.
struct PostgresSettings {
    QString host;
    int port = 5432;
    QString database;
    QString user;
    // Empty when the string has none: libpq then looks in PGPASSWORD, the password file
    // (Passfile=, PGPASSFILE or ~/.pgpass) and nothing reaches a command line.
    QString password;
    QString passfile;
    // The schema the HDB tables are in; empty for the server's search path.
    QString schema;

    // Throws rp::Error for a port that is not a number from 1 to 65535 or a string without a
    // database. The message never holds the password.
    static PostgresSettings from(const ConnectionString& connection);

    // The libpq options beyond host, port, database, user and password, as the Qt driver takes
    // them.
    QString connectOptions() const;

    // host:port/database, for messages.
    QString location() const;
};

} // namespace rp
