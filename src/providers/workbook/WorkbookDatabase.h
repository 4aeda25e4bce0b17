#pragma once

#include "providers/sqlite/SqliteDatabase.h"
#include "providers/workbook/WorkbookFile.h"
#include "providers/workbook/WorkbookRows.h"

#include <QHash>
#include <QStringList>

namespace rp {

// An HDB in an Excel workbook: each worksheet is a table (row 1 the column names) of an
// in-memory SQLite database, where the program's SQL runs as on any SQLite HDB ([rday$] names the
// sheet rday). Every change that reaches the database (an action statement, a saved edit, a bulk
// load, a committed transaction) writes the whole workbook back at once (WorkbookFile); when that
// fails the change is taken back in memory too, so memory and file always agree and the user can
// try again. A workbook written since it was read (by another connection, say the one an own
// action statement runs on, or by another program) is read again before the next statement or
// change, so nothing is shown stale and no one's change is overwritten. A legacy .xls workbook is
// read-only: changes are refused with readOnlyReason().
class WorkbookDatabase : public SqliteDatabase {
public:
    // Throws rp::Error when the file is missing, damaged or holds a sheet that cannot be a table.
    explicit WorkbookDatabase(const QString& path);

    QString backendName() const override { return QStringLiteral("Excel workbook"); }
    QString location() const override { return m_file.path(); }
    QString readOnlyReason() const override;

    std::unique_ptr<RecordSet> open(const QString& jetSql, LockType lock) override;
    qint64 execute(const QString& jetSql) override;
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

private:
    struct Mark {
        qint64 changes = 0;
        qint64 schema = 0;
        bool operator==(const Mark&) const = default;
    };
    Mark mark();
    // Runs a call that may change data; outside a transaction, writes the workbook when it did,
    // and takes the change back when that fails.
    template <class F> auto guarded(F&& call);
    void load(const QString& path);
    // Reads the workbook again when it was written since (outside a transaction).
    void refresh();
    // Writes the workbook (or refuses on a read-only one) after a change.
    void save();
    void writeTo(const QString& newFile);
    // True when every table is a sheet read with these very columns: only cells change then.
    bool sameTablesAsRead();
    // Writes the records into the sheets of the workbook as it is, keeping all else; only the
    // rows of changed records when m_changes knows them.
    void writeInPlace(const QString& newFile);

    WorkbookFile m_file;
    bool m_legacy = false;
    QStringList m_sheets;                      // in workbook order, the tables written first
    QStringList m_emptySheets;                 // sheets without a header row: kept as they are
    QHash<QString, QStringList> m_readColumns; // lower-cased table name -> columns as read
    std::unique_ptr<WorkbookChanges> m_changes;
    bool m_inTransaction = false;
    Mark m_transactionMark;
};

} // namespace rp
