#include "providers/access/AccessDatabase.h"

#include "core/base/Error.h"
#include "jet/JetSql.h"
#include "providers/sqlite/SqliteStatement.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <sqlite3.h>

namespace rp {

namespace {

// Copies a whole SQLite file into a connection's main database.
void copyInto(sqlite3* destination, const QString& sourcePath) {
    sqlite3* source = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(sourcePath).constData(), &source, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        const QString message = sqliteErrorText(source);
        sqlite3_close(source);
        throw Error(message);
    }
    sqlite3_backup* backup = sqlite3_backup_init(destination, "main", source, "main");
    if (!backup) {
        sqlite3_close(source);
        throw Error(sqliteErrorText(destination));
    }
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    sqlite3_close(source);
    if (rc != SQLITE_DONE)
        throw Error(sqliteErrorText(destination));
}

} // namespace

AccessDatabase::AccessDatabase(const QString& path, const AccessReadProgress& progress)
    : SqliteDatabase(QStringLiteral(":memory:")), m_file(path) {
    QTemporaryFile copy(QDir::temp().filePath(QStringLiteral("rivelpost-access-XXXXXX.sqlite")));
    if (!copy.open())
        throw Error(QStringLiteral("%1 cannot be read: no room for its copy (%2).")
                        .arg(QDir::toNativeSeparators(path), copy.errorString()));
    copy.close();
    readAccessFile(path, copy.fileName(), progress);
    copyInto(handle(), copy.fileName());
}

QString AccessDatabase::readOnlyReason() const {
    return QStringLiteral("%1 is an Access database, which this program reads but does not "
                          "change. To edit it, convert it to an SQLite HDB: choose Connection, "
                          "press Cancel and answer Yes to \"Convert to SQLite...\" (or run "
                          "rivelpost-cli import FILE.mdb NEW.sqlite), then connect to the new "
                          "file.")
        .arg(QDir::toNativeSeparators(m_file));
}

void AccessDatabase::refuse() const {
    throw Error(readOnlyReason());
}

void AccessDatabase::requireReading(const QString& sqliteSql) const {
    const QByteArray text = sqliteSql.toUtf8();
    const char* next = text.constData();
    while (next && *next) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(handle(), next, -1, &statement, &tail) != SQLITE_OK)
            throw Error(sqliteErrorText(handle()));
        const bool writes = statement && !sqlite3_stmt_readonly(statement);
        sqlite3_finalize(statement);
        if (writes)
            refuse();
        next = tail;
    }
}

std::unique_ptr<RecordSet> AccessDatabase::open(const QString& jetSql, LockType lock) {
    try {
        requireReading(JetSql::translate(jetSql, dialect()).sql);
    } catch (const Error&) {
        // SELECT … INTO makes a table: the refusal says more than the syntax error would.
        static const QRegularExpression into(QStringLiteral(R"(\bINTO\b)"),
                                             QRegularExpression::CaseInsensitiveOption);
        if (jetSql.contains(into))
            refuse();
        throw;
    }
    // Record sets opened for editing keep this connection, which refuses their saved edits.
    return SqliteDatabase::open(jetSql, lock);
}

qint64 AccessDatabase::execute(const QString& jetSql) {
    requireReading(JetSql::translate(jetSql, dialect()).sql);
    return SqliteDatabase::execute(jetSql);
}

void AccessDatabase::executeNative(const QString& sql) {
    requireReading(sql);
    SqliteDatabase::executeNative(sql);
}

void AccessDatabase::beginTransaction() {
    refuse();
}

void AccessDatabase::commit() {
    refuse();
}

void AccessDatabase::insertRow(const QString&, const QStringList&, const QVariantList&) {
    refuse();
}

void AccessDatabase::updateRow(const QString&, const QStringList&, const QVariantList&,
                               const QStringList&, const QVariantList&) {
    refuse();
}

void AccessDatabase::deleteRow(const QString&, const QStringList&, const QVariantList&) {
    refuse();
}

qint64 AccessDatabase::appendRows(const QString&, const QStringList&,
                                  const std::function<bool(QVariantList&)>&) {
    refuse();
}

} // namespace rp
