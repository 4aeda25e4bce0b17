#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace rp {

// A worksheet as a table of the in-memory database behind a workbook: row 1 names the columns,
// every further non-empty row is a record.
struct WorkbookTable {
    QString name;
    QStringList columns;
    // SQLite declared types, one per column, chosen from the cells: "DATETIME" when any cell is a
    // date, "INTEGER" for whole numbers in a key column (a name ending in "id"), "REAL" for other
    // numbers, "BOOLEAN", "TEXT", or "" (mixed numbers and texts: each cell keeps its own type).
    QStringList types;
    QList<QVariantList> rows; // each as long as columns; numbers in INTEGER columns as qlonglong
    // Record i stands in sheet row i + 2: no empty row lies between the header and a record.
    bool packed = true;
};

// Makes the table of a sheet. Header cells that are empty become F1, F2 … (by position) as the
// Excel driver names them, a repeated name gets a suffix (_2, _3 …), and cells beyond the header
// get a column of their own, so that no cell of the sheet is lost. Rows with no value at all are
// left out.
WorkbookTable workbookTable(const QString& name, const QList<QVariantList>& sheetRows);

// True when the values of a column with this declared type and name are date-times (the rule by
// which the embedded database's results read dates).
bool isDateColumn(const QString& declaredType, const QString& name);

} // namespace rp
