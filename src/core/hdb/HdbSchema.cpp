#include "core/hdb/HdbSchema.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "core/base/TimeStep.h"
#include "core/db/ConnectionString.h"
#include "core/db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rp {

const QStringList& hdbValueColumns() {
    static const QStringList columns{QStringLiteral("datatype_site_id"),
                                     QStringLiteral("date_time"), QStringLiteral("value"),
                                     QStringLiteral("source")};
    return columns;
}

QStringList hdbValueTables() {
    QStringList tables;
    for (const TimeStepInfo& info : timeSteps())
        tables.append(QString::fromLatin1(info.table));
    return tables;
}

QStringList hdbTables() {
    return QStringList{QStringLiteral("rsite")} + hdbValueTables();
}

namespace {

QStringList schemaStatements(const Database& database) {
    if (database.backendName() == QLatin1String("PostgreSQL")) {
        // date_time as a timestamp; the primary key of each value table also serves the search
        // for the parameters with data in a date range (index-only scans per series).
        QStringList statements{
            QStringLiteral("CREATE TABLE rsite (site_id integer, station_id text, site_name text, "
                           "state text, reach_id integer, datatype_site_id integer PRIMARY KEY, "
                           "datatype_name text, unit_name text, datatype_id integer)"),
            QStringLiteral("CREATE INDEX rsite_site_id ON rsite (site_id, datatype_site_id)")};
        for (const QString& table : hdbValueTables())
            statements.append(QStringLiteral("CREATE TABLE %1 (datatype_site_id integer NOT NULL, "
                                             "date_time timestamp NOT NULL, value double "
                                             "precision, source integer, PRIMARY KEY "
                                             "(datatype_site_id, date_time))")
                                  .arg(table));
        if (const QString script = database.hdbSupportScript(); !script.isEmpty())
            statements.append(script);
        return statements;
    }
    // SQLite keeps value rows in key order, so a series for a date range is one range scan.
    QStringList statements{
        QStringLiteral("CREATE TABLE rsite (site_id INTEGER, station_id TEXT, site_name TEXT, "
                       "state TEXT, reach_id INTEGER, datatype_site_id INTEGER PRIMARY KEY, "
                       "datatype_name TEXT, unit_name TEXT, datatype_id INTEGER)"),
        QStringLiteral("CREATE INDEX rsite_site_id ON rsite (site_id)")};
    for (const QString& table : hdbValueTables())
        statements.append(QStringLiteral("CREATE TABLE %1 (datatype_site_id INTEGER NOT NULL, "
                                         "date_time TEXT NOT NULL, value REAL, source INTEGER, "
                                         "PRIMARY KEY (datatype_site_id, date_time)) WITHOUT ROWID")
                              .arg(table));
    return statements;
}

void createTables(Database& database) {
    for (const QString& sql : schemaStatements(database))
        database.executeNative(sql);
}

} // namespace

void createHdbSchema(Database& database) {
    database.beginTransaction();
    try {
        createTables(database);
        database.commit();
    } catch (const Error&) {
        database.rollback();
        throw;
    }
}

void buildNewHdbFile(const QString& path, const std::function<void(Database&)>& fill) {
    if (path.trimmed().isEmpty() || path == QLatin1String(":memory:"))
        throw Error(QStringLiteral("No database file was named; write Data Source=FILE."));
    const QFileInfo target(path);
    if (target.exists())
        throw Error(QStringLiteral("The file %1 already exists; choose a new name.")
                        .arg(QDir::toNativeSeparators(path)));
    if (!target.absoluteDir().exists())
        throw Error(QStringLiteral("The folder %1 does not exist.")
                        .arg(QDir::toNativeSeparators(target.absolutePath())));

    // The half-built file goes away whatever happens, unless it became the HDB.
    SaveFile file(target.absoluteFilePath());
    file.device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                 QFileDevice::ReadGroup | QFileDevice::ReadOther);
    {
        const auto database =
            openDatabase(ConnectionString::forFile(BackendKind::Sqlite, file.temporaryPath()));
        createHdbSchema(*database);
        if (fill)
            fill(*database);
    }
    // A file made meanwhile under the same name is left alone.
    file.commit(SaveFile::Replace::Never);
}

void buildNewHdb(const QString& connectionString, const std::function<void(Database&)>& fill) {
    const ConnectionString cs = ConnectionString::parse(connectionString);
    if (cs.backendKind() == BackendKind::Sqlite) {
        buildNewHdbFile(cs.databasePath(), fill);
        return;
    }
    if (cs.backendKind() != BackendKind::PostgreSql)
        throw Error(QStringLiteral("A new HDB is created as an SQLite file or in a PostgreSQL "
                                   "database; write Provider=SQLite;Data Source=FILE or "
                                   "Provider=PostgreSQL;Host=HOST;Database=NAME."));
    const auto database = openDatabase(connectionString);
    const QStringList existing = database->tables();
    for (const QString& table : hdbTables())
        if (existing.contains(table, Qt::CaseInsensitive))
            throw Error(QStringLiteral("The database %1 already has a table %2; an HDB is "
                                       "created only where there is none.")
                            .arg(database->location(), table));
    // Tables, functions and rows in one transaction: the HDB is there whole or not at all.
    database->beginTransaction();
    try {
        createTables(*database);
        if (fill)
            fill(*database);
        database->commit();
    } catch (...) {
        database->rollback();
        throw;
    }
    database->executeNative(QStringLiteral("ANALYZE"));
}

namespace {

// True when every HDB table exists; throws when one of them holds a row.
bool isEmptyHdb(Database& database) {
    const QStringList existing = database.tables();
    for (const QString& table : hdbTables())
        if (!existing.contains(table, Qt::CaseInsensitive))
            return false;
    for (const QString& table : hdbTables())
        if (database.open(QStringLiteral("SELECT TOP 1 * FROM %1").arg(table), LockType::ReadOnly)
                ->recordCount() > 0)
            throw Error(
                QStringLiteral("The database %1 already exists and holds rows in %2; an HDB is "
                               "copied only into a new one or one whose tables are empty.")
                    .arg(database.location(), table));
    return true;
}

} // namespace

void fillEmptyOrNewHdb(const QString& connectionString,
                       const std::function<void(Database&)>& fill) {
    const ConnectionString cs = ConnectionString::parse(connectionString);
    const bool sqliteFile =
        cs.backendKind() == BackendKind::Sqlite && QFileInfo::exists(cs.databasePath());
    if (!sqliteFile && cs.backendKind() != BackendKind::PostgreSql) {
        buildNewHdb(connectionString, fill);
        return;
    }
    const auto alreadyExists = [&] {
        return Error(QStringLiteral("The file %1 already exists; choose a new name.")
                         .arg(QDir::toNativeSeparators(cs.databasePath())));
    };
    std::shared_ptr<Database> database;
    bool empty = false;
    try {
        database = openDatabase(connectionString);
        // The check and the rows in one transaction: rows another writer adds meanwhile are seen.
        database->beginTransaction();
        if (database->backendName() == QLatin1String("PostgreSQL")) {
            QStringList present = hdbTables();
            const QStringList existing = database->tables();
            present.removeIf(
                [&](const QString& t) { return !existing.contains(t, Qt::CaseInsensitive); });
            if (!present.isEmpty())
                database->executeNative(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE")
                                            .arg(present.join(QStringLiteral(", "))));
        } else {
            database->tables(); // a file that is no database at all fails here
        }
    } catch (const Error&) {
        if (database)
            database->rollback();
        // A file that is no HDB at all is simply taken.
        if (sqliteFile)
            throw alreadyExists();
        throw;
    }
    try {
        empty = isEmptyHdb(*database);
        if (empty) {
            if (fill)
                fill(*database);
            database->commit();
        }
    } catch (const Error&) {
        database->rollback();
        throw;
    }
    if (empty)
        return;
    database->rollback();
    if (sqliteFile)
        throw alreadyExists();
    buildNewHdb(connectionString, fill);
}

std::shared_ptr<Database> createHdb(const QString& connectionString) {
    const ConnectionString cs = ConnectionString::parse(connectionString);
    if (cs.backendKind() == BackendKind::Sqlite) {
        const QString path = QFileInfo(cs.databasePath()).absoluteFilePath();
        buildNewHdbFile(cs.databasePath(), {});
        return openDatabase(ConnectionString::forFile(BackendKind::Sqlite, path));
    }
    buildNewHdb(connectionString, {});
    return openDatabase(connectionString);
}

} // namespace rp
