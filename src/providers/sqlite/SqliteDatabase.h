#pragma once

#include "core/db/Database.h"
#include "core/db/RowChangeSql.h"
#include "jet/JetSqlTextColumns.h"
#include "providers/sqlite/SqliteProgress.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

struct sqlite3;

namespace rp {

// An HDB in an SQLite file. Statements are translated from Jet and run with the SQLite C API on
// the Qt connection's own handle, which also carries the Jet functions. Record sets opened for
// editing save through this connection, so they keep it alive; open it through a shared_ptr
// (openDatabase) to edit.
class SqliteDatabase : public Database {
public:
    enum class OpenMode {
        Existing, // the file must exist; it is never created
        CreateNew // the file is created when missing
    };

    explicit SqliteDatabase(const QString& path, OpenMode mode = OpenMode::Existing);
    ~SqliteDatabase() override;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    QString backendName() const override { return QStringLiteral("SQLite"); }
    const SqlDialect& dialect() const override;
    QString location() const override { return m_path; }

    std::unique_ptr<RecordSet> open(const QString& jetSql, LockType lock) override;
    qint64 execute(const QString& jetSql) override;
    void executeNative(const QString& sql) override;
    QStringList tables() override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;

    void insertRow(const QString& table, const QStringList& columns,
                   const QVariantList& values) override;
    void updateRow(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues, const QStringList& columns,
                   const QVariantList& values) override;
    void deleteRow(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues) override;
    qint64 appendRows(const QString& table, const QStringList& columns,
                      const std::function<bool(QVariantList& row)>& next) override;

    sqlite3* handle() const { return m_handle; }
    void setProgress(Progress progress) override;

private:
    // Which columns of a table hold text (dates kept as text do not), while the schema stays.
    ColumnKinds columnKinds(const QString& table);
    // The table as the schema names it, when the name is a table; empty otherwise.
    QString tableNamed(const QString& name);
    // The one table every column of a prepared query comes from, unchanged; empty otherwise.
    QString editableTable(const QString& sourceTable, void* statement);
    // Runs a change that must touch exactly one row; undone when it touches another number.
    void changeOneRow(const QString& sql, const QVariantList& bindings);
    // The statements that save a record-set row, with "?" parameters.
    RowChangeSql rowSql() const;

    QString m_path;
    QString m_connectionName;
    QSqlDatabase m_db;
    sqlite3* m_handle = nullptr;
    std::unique_ptr<SqlDialect> m_dialect;
    SqliteProgress m_progress;
    QHash<QString, ColumnKinds> m_columnKinds;
    qint64 m_columnKindsSchema = -1;
};

} // namespace rp
