#pragma once

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/RowChangeSql.h"
#include "jet/JetSqlTextColumns.h"
#include "providers/postgres/PostgresResult.h"
#include "providers/postgres/PostgresSettings.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>

struct pg_conn;

namespace rp {

// An HDB on a PostgreSQL server. The connection is opened through Qt's QPSQL driver; statements
// run with libpq on the driver's own connection, so results keep their types and date-times
// stay naive. Record sets opened for editing save through this connection (open it through a
// shared_ptr, as openDatabase does). A saved edit is refused when the row no longer holds what
// was read: someone else changed or deleted it meanwhile.
class PostgresDatabase : public Database {
public:
    explicit PostgresDatabase(const PostgresSettings& settings);
    ~PostgresDatabase() override;
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    QString backendName() const override { return QStringLiteral("PostgreSQL"); }
    QString hdbSupportScript() const override;
    const SqlDialect& dialect() const override;
    QString location() const override { return m_location; }

    std::unique_ptr<RecordSet> open(const QString& jetSql, LockType lock) override;
    qint64 execute(const QString& jetSql) override;
    void executeNative(const QString& sql) override;
    QStringList tables() override;
    // While a statement waits on the server the callback hears of it every few hundredths of a
    // second; a false answer cancels the statement on the server.
    void setProgress(Progress progress) override { m_progress = std::move(progress); }

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    // An advisory lock of the transaction, by the name's hash.
    void lockUntilTransactionEnds(const QString& name) override;

    void insertRow(const QString& table, const QStringList& columns,
                   const QVariantList& values) override;
    void updateRow(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues, const QStringList& columns,
                   const QVariantList& values) override;
    void deleteRow(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues) override;
    // Rows go to the server with COPY, in one transaction.
    qint64 appendRows(const QString& table, const QStringList& columns,
                      const std::function<bool(QVariantList& row)>& next) override;

    // Runs a statement in the server's dialect with $1, $2 … parameters.
    PgResult run(const QString& sql, const QVariantList& parameters = {});

private:
    void refreshJetFunctions();
    // Which columns of a table hold text; remembered until a statement may change the schema.
    ColumnKinds columnKinds(const QString& table);
    // The table every column of a result comes from under its own name, when that is the table
    // the statement reads; empty otherwise.
    QString editableTable(const QString& sourceTable, pg_result* result);
    // Runs a change that must touch exactly one row; undone when it touches another number.
    void changeOneRow(const QString& sql, const QVariantList& parameters);
    // The statements that save a record-set row, with $1, $2 … parameters.
    RowChangeSql rowSql() const;
    Error serverError(const QString& what) const;
    // The result of a statement sent without waiting, reporting progress meanwhile.
    PgResult awaitResult();
    // Cancels the running statement and reads what is left of it.
    void cancelRunning();
    // Runs a statement that takes changes back, without progress or Cancel.
    void takeBack(const QString& sql);

    QString m_location;
    QString m_password; // kept only to be struck out of server messages
    QString m_connectionName;
    QSqlDatabase m_db;
    pg_conn* m_conn = nullptr;
    std::unique_ptr<SqlDialect> m_dialect;
    Progress m_progress;
    QHash<QString, ColumnKinds> m_columnKinds;
};

} // namespace rp
