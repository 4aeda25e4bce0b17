#pragma once

#include "providers/access/AccessFileReader.h"
#include "providers/sqlite/SqliteDatabase.h"

namespace rp {

// An Access file (.mdb, .accdb), read-only: on connecting, every user table is copied into an
// in-memory SQLite database (AccessFileReader), where the program's SQL runs as on any SQLite
// HDB. Anything that would change data (an action statement, a saved edit, a bulk load, a
// transaction) is refused with readOnlyReason(), which offers conversion to SQLite.
class AccessDatabase : public SqliteDatabase {
public:
    explicit AccessDatabase(const QString& path, const AccessReadProgress& progress = {});

    QString backendName() const override { return QStringLiteral("Access"); }
    QString location() const override { return m_file; }
    QString readOnlyReason() const override;

    std::unique_ptr<RecordSet> open(const QString& jetSql, LockType lock) override;
    qint64 execute(const QString& jetSql) override;
    void executeNative(const QString& sql) override;

    void beginTransaction() override;
    void commit() override;
    // Nothing can have been written, so there is nothing to take back.
    void rollback() override {}

    void insertRow(const QString& table, const QStringList& columns,
                   const QVariantList& values) override;
    void updateRow(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues, const QStringList& columns,
                   const QVariantList& values) override;
    void deleteRow(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues) override;
    qint64 appendRows(const QString& table, const QStringList& columns,
                      const std::function<bool(QVariantList& row)>& next) override;

private:
    [[noreturn]] void refuse() const;
    // Refuses SQL (in SQLite's dialect) holding any statement that would write.
    void requireReading(const QString& sqliteSql) const;

    QString m_file;
};

} // namespace rp
