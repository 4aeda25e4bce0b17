#include "core/db/RowChangeSql.h"

#include "core/base/Error.h"
#include "jet/SqlDialect.h"

namespace rp {

namespace {

void checkPairs(qsizetype values, qsizetype columns, bool noneAllowed) {
    if (values != columns || (columns == 0 && !noneAllowed))
        throw Error(
            QStringLiteral("%1 values were given for %2 columns.").arg(values).arg(columns));
}

} // namespace

QString rowChangeRefusal(qint64 changed) {
    if (changed == 0)
        return QStringLiteral("The record was changed or deleted by someone else since it was "
                              "read; nothing was saved. Retrieve it again.");
    return QStringLiteral("%1 records in the database match this one, so it cannot be told apart "
                          "from them; nothing was changed.")
        .arg(changed);
}

bool nextRowToAppend(const std::function<bool(QVariantList& row)>& next, QVariantList& row,
                     const QString& table, qsizetype columns, qint64 appended) {
    row.clear();
    if (!next(row))
        return false;
    if (row.size() != columns)
        throw Error(QStringLiteral("Row %1 for %2 has %3 values where %4 were expected.")
                        .arg(appended + 1)
                        .arg(table)
                        .arg(row.size())
                        .arg(columns));
    return true;
}

QString RowChangeSql::columnList(const QStringList& columns) const {
    QStringList names;
    for (const QString& c : columns)
        names.append(dialect.quoteIdentifier(c));
    return names.join(QStringLiteral(", "));
}

QString RowChangeSql::insert(const QString& table, const QStringList& columns,
                             qsizetype valueCount) const {
    checkPairs(valueCount, columns.size(), true);
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO ") + dialect.quoteIdentifier(table) +
               QStringLiteral(" DEFAULT VALUES");
    return insertRows(table, columns, 1);
}

QString RowChangeSql::insertRows(const QString& table, const QStringList& columns,
                                 qsizetype rowCount) const {
    checkPairs(columns.size(), columns.size(), false);
    QStringList rows;
    for (qsizetype row = 0; row < rowCount; ++row) {
        QStringList marks;
        for (qsizetype i = 1; i <= columns.size(); ++i)
            marks.append(mark(row * columns.size() + i));
        rows.append(u'(' + marks.join(QStringLiteral(", ")) + u')');
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(dialect.quoteIdentifier(table), columnList(columns), rows.join(QStringLiteral(", ")));
}

QString RowChangeSql::update(const QString& table, const QStringList& keyColumns,
                             const QVariantList& keyValues, const QStringList& columns,
                             QVariantList& parameters) const {
    checkPairs(parameters.size(), columns.size(), false);
    QStringList sets;
    for (qsizetype i = 0; i < columns.size(); ++i)
        sets.append(dialect.quoteIdentifier(columns[i]) + QStringLiteral(" = ") + mark(i + 1));
    const QString where = whereKey(keyColumns, keyValues, parameters);
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(dialect.quoteIdentifier(table), sets.join(QStringLiteral(", ")), where);
}

QString RowChangeSql::remove(const QString& table, const QStringList& keyColumns,
                             const QVariantList& keyValues, QVariantList& parameters) const {
    const QString where = whereKey(keyColumns, keyValues, parameters);
    return QStringLiteral("DELETE FROM %1 WHERE %2").arg(dialect.quoteIdentifier(table), where);
}

QString RowChangeSql::whereKey(const QStringList& keyColumns, const QVariantList& keyValues,
                               QVariantList& parameters) const {
    if (keyColumns.isEmpty() || keyColumns.size() != keyValues.size())
        throw Error(QStringLiteral("A record cannot be found without its key values."));
    QStringList terms;
    for (qsizetype i = 0; i < keyColumns.size(); ++i) {
        const QString column = dialect.quoteIdentifier(keyColumns[i]);
        const QVariant& v = keyValues[i];
        if (!v.isValid() || v.isNull()) {
            terms.append(column + QStringLiteral(" IS NULL"));
            continue;
        }
        if (keyTerm)
            if (QString own = keyTerm(column, v, parameters); !own.isEmpty()) {
                terms.append(own);
                continue;
            }
        parameters.append(v);
        terms.append(column + QStringLiteral(" = ") + mark(parameters.size()));
    }
    return terms.join(QStringLiteral(" AND "));
}

} // namespace rp
