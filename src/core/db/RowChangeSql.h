#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace rp {

class SqlDialect;

// The statements that save one record-set row by its key, for a backend that marks its
// parameters by position. Each throws rp::Error when the columns and values do not pair up.
struct RowChangeSql {
    const SqlDialect& dialect;
    // The placeholder of the n-th parameter, counted from 1: "?" or "$n".
    std::function<QString(qsizetype n)> mark;
    // A key test the backend writes its own way (a term, its parameters appended); an empty
    // answer leaves "column = mark".
    std::function<QString(const QString& quotedColumn, const QVariant& value,
                          QVariantList& parameters)>
        keyTerm = {};

    // INSERT of `valueCount` values into the columns (DEFAULT VALUES for none).
    QString insert(const QString& table, const QStringList& columns, qsizetype valueCount) const;
    // One INSERT of `rowCount` rows of values into the (not empty) columns, the parameters row
    // after row.
    QString insertRows(const QString& table, const QStringList& columns, qsizetype rowCount) const;
    // UPDATE of the columns to `parameters` (the new values; the key's are appended).
    QString update(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues, const QStringList& columns,
                   QVariantList& parameters) const;
    // DELETE of the row with the key; its parameters are appended.
    QString remove(const QString& table, const QStringList& keyColumns,
                   const QVariantList& keyValues, QVariantList& parameters) const;
    // The WHERE terms that find the row with the key (a null key value as IS NULL).
    QString whereKey(const QStringList& keyColumns, const QVariantList& keyValues,
                     QVariantList& parameters) const;
    // The quoted column names, joined with commas.
    QString columnList(const QStringList& columns) const;
};

// Why a change meant for one row is refused when it touched `changed` rows: none (someone else
// changed or deleted the row since it was read) or several (the key does not tell it apart).
QString rowChangeRefusal(qint64 changed);

// The next row `next` gives to append to `table`, checked to hold one value per column; false
// when there are no more. `appended` counts the rows before it (for the message).
bool nextRowToAppend(const std::function<bool(QVariantList& row)>& next, QVariantList& row,
                     const QString& table, qsizetype columns, qint64 appended);

} // namespace rp
