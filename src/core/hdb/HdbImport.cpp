#include "core/hdb/HdbImport.h"

#include "core/base/Error.h"
#include "core/db/ConnectionString.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"
#include "core/hdb/TableCopy.h"

namespace rp {

namespace {

const QStringList siteColumns{QStringLiteral("site_id"),       QStringLiteral("station_id"),
                              QStringLiteral("site_name"),     QStringLiteral("state"),
                              QStringLiteral("reach_id"),      QStringLiteral("datatype_site_id"),
                              QStringLiteral("datatype_name"), QStringLiteral("unit_name"),
                              QStringLiteral("datatype_id")};

// Appends every row of a record set to a table, the set's fields in the given order.
qint64 appendSet(Database& destination, const QString& table, const QStringList& columns,
                 RecordSet& set) {
    std::vector<int> fields;
    for (const QString& c : columns)
        fields.push_back(set.fieldIndex(c));
    qsizetype row = 0;
    return destination.appendRows(table, columns, [&](QVariantList& values) {
        if (row == set.recordCount())
            return false;
        for (int f : fields)
            values.append(f < 0 ? QVariant() : set.value(row, f));
        ++row;
        return true;
    });
}

bool hasTable(const QStringList& tables, const QString& name) {
    return tables.contains(name, Qt::CaseInsensitive);
}

} // namespace

qint64 copyHdb(Database& source, Database& destination, const ImportProgress& progress) {
    const QStringList tables = source.tables();
    if (!hasTable(tables, QStringLiteral("rsite")))
        throw Error(
            QStringLiteral("%1 has no table rsite; it is not an HDB.").arg(source.location()));
    qint64 total = 0;
    {
        const auto sites = source.open(QStringLiteral("SELECT * FROM rsite"), LockType::ReadOnly);
        QStringList present;
        for (const QString& c : siteColumns)
            if (sites->fieldIndex(c) >= 0)
                present.append(c);
        const qint64 n = appendSet(destination, QStringLiteral("rsite"), present, *sites);
        total += n;
        if (progress)
            progress(QStringLiteral("rsite"), n);
    }
    for (const QString& table : hdbValueTables()) {
        if (!hasTable(tables, table))
            continue;
        // One series per batch: a series fits in memory where a whole table may not.
        const auto series = source.open(
            QStringLiteral("SELECT DISTINCT datatype_site_id FROM %1 ORDER BY datatype_site_id")
                .arg(table),
            LockType::ReadOnly);
        qint64 copied = 0;
        for (qsizetype i = 0; i < series->recordCount(); ++i) {
            const QVariant id = series->value(i, 0);
            const QString where =
                id.isNull() ? QStringLiteral("datatype_site_id IS NULL")
                            : QStringLiteral("datatype_site_id = %1").arg(id.toLongLong());
            const auto rows = source.open(
                QStringLiteral("SELECT datatype_site_id, date_time, value, source FROM %1 WHERE "
                               "%2 ORDER BY date_time")
                    .arg(table, where),
                LockType::ReadOnly);
            copied += appendSet(destination, table, hdbValueColumns(), *rows);
            if (progress)
                progress(table, copied);
        }
        total += copied;
    }
    return total;
}

qint64 importHdb(const QString& source, const QString& destination,
                 const ImportProgress& progress) {
    // An Access file is converted whole, all its tables; its reading can take a while too.
    const ConnectionString cs = ConnectionString::parse(source);
    const bool access = cs.backendKind() == BackendKind::Access;
    OpenOptions options;
    if (access)
        options.reading = [&](const QString& table, qint64 rows) {
            if (progress)
                progress(QStringLiteral("reading ") + table, rows);
        };
    const std::shared_ptr<Database> from = openDatabase(cs, options);
    qint64 copied = 0;
    fillEmptyOrNewHdb(destination, [&](Database& to) {
        copied = access ? copyEveryTable(*from, to, progress) : copyHdb(*from, to, progress);
    });
    return copied;
}

QString connectionForArgument(const QString& argument) {
    if (argument.contains(QLatin1Char('=')))
        return argument;
    const QString lower = argument.toLower();
    if (lower.endsWith(QLatin1String(".mdb")) || lower.endsWith(QLatin1String(".accdb")) ||
        lower.endsWith(QLatin1String(".xls")) || lower.endsWith(QLatin1String(".xlsx")))
        return QStringLiteral("Data Source=\"%1\"").arg(argument);
    return QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(argument);
}

} // namespace rp
