#pragma once

#include "core/base/Progress.h"
#include "core/db/ProviderRegistry.h"
#include "core/db/RecordSet.h"
#include "jet/SqlDialect.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

namespace rp {

class ConnectionString;

// One open connection to an HDB. Statements are written in the Jet dialect the program and its
// users write; each backend translates them (JetSql) into its own.
class Database : public std::enable_shared_from_this<Database> {
public:
    virtual ~Database() = default;

    virtual QString backendName() const = 0;
    virtual const SqlDialect& dialect() const = 0;
    // The file or server the connection reaches, for messages.
    virtual QString location() const = 0;

    // Runs a statement. A row-returning statement gives its rows in a static, scrollable record
    // set, updatable when lock is Optimistic; an action statement is carried out and gives a
    // record set without fields. Throws rp::Error with the database's own message.
    virtual std::unique_ptr<RecordSet> open(const QString& jetSql, LockType lock) = 0;
    // Carries out an action statement and returns the number of rows it touched.
    virtual qint64 execute(const QString& jetSql) = 0;
    // Runs a statement in the backend's own dialect, untranslated (schema work).
    virtual void executeNative(const QString& sql) = 0;

    // SQL that a new HDB on this backend needs besides its tables (the Jet functions where the
    // server keeps them); empty where the connection provides them itself.
    virtual QString hdbSupportScript() const { return {}; }

    // User tables, sorted.
    virtual QStringList tables() = 0;

    // Why nothing can be written through this connection (an Access file, say), in words a user
    // reads; empty when the database takes changes.
    virtual QString readOnlyReason() const { return {}; }

    // Long statements report here while they run (total unknown); a false answer interrupts the
    // statement, which then throws rp::Error. Backends that cannot report ignore it. An empty
    // callback ends the reporting.
    virtual void setProgress(Progress progress) { (void)progress; }

    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // Inside a transaction: until it ends, another connection that asks for the same name waits
    // here. Backends that let one writer in at a time need nothing of it.
    virtual void lockUntilTransactionEnds(const QString& name) { (void)name; }

    // How saved record-set edits reach the database: one row by its key. Each throws rp::Error
    // when the database refuses, or when not exactly one row matched the key.
    virtual void insertRow(const QString& table, const QStringList& columns,
                           const QVariantList& values) = 0;
    virtual void updateRow(const QString& table, const QStringList& keyColumns,
                           const QVariantList& keyValues, const QStringList& columns,
                           const QVariantList& values) = 0;
    virtual void deleteRow(const QString& table, const QStringList& keyColumns,
                           const QVariantList& keyValues) = 0;

    // Bulk load: inserts rows as long as next() fills one and returns true, in one transaction
    // (all or nothing). Returns the number of rows inserted.
    virtual qint64 appendRows(const QString& table, const QStringList& columns,
                              const std::function<bool(QVariantList& row)>& next) = 0;
};

// Runs `work` in one transaction of `database`: committed when it returns, rolled back when it
// throws rp::Error, which then comes back as "FAILURE: its message" (adding the rollback's own
// message when undoing fails too).
void inTransaction(Database& database, const QString& failure, const std::function<void()>& work);

} // namespace rp
