#pragma once

#include "providers/sqlite/SqliteStatement.h"

#include <sqlite3.h>

#include <QHash>
#include <QSet>
#include <QStringList>
#include <optional>
#include <vector>

namespace rp {

// The rows of a table as the workbook holds them: dates as date-times, booleans as booleans.
class WorkbookTableRows {
public:
    WorkbookTableRows(sqlite3* db, const QString& select);
    const QStringList& columns() const { return m_columns; }
    bool next(QVariantList& row);
    // The record of this rowid, for a select that binds it as its one parameter.
    bool at(qint64 rowid, QVariantList& row);

private:
    SqliteStatement m_select;
    QStringList m_columns;
    std::vector<bool> m_dates, m_bools;
};

// The sheet rows a save must compare with the records: the listed ones and every row from
// everyRowFrom on (when above 0).
struct WorkbookRowsToWrite {
    QList<int> rows;
    int everyRowFrom = 0;
};

// Which records of the tables changed since the workbook file last matched the database (read or
// written), from SQLite's update hook, so that a save reads and writes only their rows.
class WorkbookChanges {
public:
    explicit WorkbookChanges(sqlite3* db);
    ~WorkbookChanges();
    WorkbookChanges(const WorkbookChanges&) = delete;
    WorkbookChanges& operator=(const WorkbookChanges&) = delete;

    // The file now holds the database's records: those of every table in rowid order from sheet
    // row 2. `packed` names the tables (lower-cased) with no empty row among their records.
    void matched(const QSet<QString>& packed);
    // The rows of the table's sheet that can differ from its records; none when every row must
    // be compared (the table is not packed, the schema changed, or its rowids no longer run
    // 1, 2 … without a gap).
    std::optional<WorkbookRowsToWrite> rowsToWrite(const QString& table);

private:
    static void noteChange(void* self, int operation, const char* database, const char* table,
                           sqlite3_int64 rowid);
    qint64 schemaVersion() const;

    sqlite3* m_db;
    qint64 m_schema = -1;
    QHash<QString, qint64> m_records;       // lower-cased packed table -> records in the file
    QHash<QString, QSet<qint64>> m_changed; // lower-cased table -> rowids changed since
};

} // namespace rp
