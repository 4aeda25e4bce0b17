#include "HdbSchema.h"

#include "ConnectionString.h"
#include "Database.h"
#include "Error.h"
#include "SqliteDatabase.h"
#include "TimeStep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace rp {

QStringList hdbValueTables() {
    QStringList tables;
    for (const TimeStepInfo& info : timeSteps())
        tables.append(QString::fromLatin1(info.table));
    return tables;
}

void createHdbSchema(Database& database) {
    // SQLite keeps value rows in key order, so a series for a date range is one range scan.
    const QString clustered = database.backendName() == QLatin1String("SQLite")
                                  ? QStringLiteral(" WITHOUT ROWID")
                                  : QString();
    QStringList statements{
        QStringLiteral("CREATE TABLE rsite (site_id INTEGER, station_id TEXT, site_name TEXT, "
                       "state TEXT, reach_id INTEGER, datatype_site_id INTEGER PRIMARY KEY, "
                       "datatype_name TEXT, unit_name TEXT, datatype_id INTEGER)"),
        QStringLiteral("CREATE INDEX rsite_site_id ON rsite (site_id)")};
    for (const QString& table : hdbValueTables())
        statements.append(QStringLiteral("CREATE TABLE %1 (datatype_site_id INTEGER NOT NULL, "
                                         "date_time TEXT NOT NULL, value REAL, source INTEGER, "
                                         "PRIMARY KEY (datatype_site_id, date_time))%2")
                              .arg(table, clustered));
    database.beginTransaction();
    try {
        for (const QString& sql : statements)
            database.executeNative(sql);
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

    QString tempPath;
    {
        QTemporaryFile temp(target.absoluteDir().filePath(
            QStringLiteral(".%1.XXXXXX.part").arg(target.fileName())));
        if (!temp.open())
            throw Error(QStringLiteral("The file %1 cannot be created: %2")
                            .arg(QDir::toNativeSeparators(path), temp.errorString()));
        temp.setAutoRemove(false);
        tempPath = temp.fileName();
    }
    // The half-built file goes away whatever happens, unless it became the HDB.
    struct Cleanup {
        QString path;
        ~Cleanup() {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    } cleanup{tempPath};
    {
        const auto database = std::make_shared<SqliteDatabase>(tempPath);
        createHdbSchema(*database);
        if (fill)
            fill(*database);
    }
    QFile file(tempPath);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                        QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // rename() never replaces an existing file, so a file made meanwhile is left alone.
    if (!file.rename(target.absoluteFilePath()))
        throw Error(QStringLiteral("The file %1 cannot be created: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    cleanup.path.clear();
}

std::shared_ptr<Database> createHdb(const QString& connectionString) {
    const ConnectionString cs = ConnectionString::parse(connectionString);
    if (cs.backendKind() != BackendKind::Sqlite)
        throw Error(QStringLiteral("A new HDB is created as an SQLite file; write "
                                   "Provider=SQLite;Data Source=FILE."));
    const QString path = QFileInfo(cs.databasePath()).absoluteFilePath();
    buildNewHdbFile(cs.databasePath(), {});
    return std::make_shared<SqliteDatabase>(path);
}

} // namespace rp
