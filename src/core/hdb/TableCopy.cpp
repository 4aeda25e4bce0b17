#include "core/hdb/TableCopy.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

namespace rp {

namespace {

QString columnType(FieldType type, bool postgres) {
    switch (type) {
    case FieldType::Integer:
        return postgres ? QStringLiteral("bigint") : QStringLiteral("INTEGER");
    case FieldType::Real:
        return postgres ? QStringLiteral("double precision") : QStringLiteral("REAL");
    case FieldType::Text:
        return postgres ? QStringLiteral("text") : QStringLiteral("TEXT");
    case FieldType::DateTime:
        // The SQLite backend reads a column declared with DATE as date-times.
        return postgres ? QStringLiteral("timestamp") : QStringLiteral("DATETIME");
    case FieldType::Blob:
        return postgres ? QStringLiteral("bytea") : QStringLiteral("BLOB");
    case FieldType::Null:
        break;
    }
    return postgres ? QStringLiteral("text") : QString();
}

QString findTable(const QStringList& tables, const QString& name) {
    for (const QString& t : tables)
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    return {};
}

QString bracketed(const QString& name) {
    return QLatin1Char('[') + name + QLatin1Char(']');
}

} // namespace

qint64 copyTables(Database& source, Database& destination, const QStringList& tables,
                  const ImportProgress& progress) {
    const SqlDialect& dialect = destination.dialect();
    const bool postgres = destination.backendName() == QLatin1String("PostgreSQL");
    QStringList present = destination.tables(); // asked once, kept up to date below
    qint64 total = 0;
    for (const QString& table : tables) {
        const auto rows = source.open(QStringLiteral("SELECT * FROM %1").arg(bracketed(table)),
                                      LockType::ReadOnly);
        std::vector<int> fields;
        QStringList columns;
        const QString existing = findTable(present, table);
        if (existing.isEmpty()) {
            QStringList definitions;
            for (int f = 0; f < rows->fieldCount(); ++f) {
                fields.push_back(f);
                columns.append(rows->fieldName(f));
                definitions.append((dialect.quoteIdentifier(rows->fieldName(f)) + QLatin1Char(' ') +
                                    columnType(rows->fieldType(f), postgres))
                                       .trimmed());
            }
            destination.executeNative(
                QStringLiteral("CREATE TABLE %1 (%2)")
                    .arg(dialect.quoteIdentifier(table), definitions.join(QStringLiteral(", "))));
            present.append(table);
        } else {
            const auto target = destination.open(
                QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(bracketed(existing)),
                LockType::ReadOnly);
            for (int f = 0; f < rows->fieldCount(); ++f) {
                if (target->fieldIndex(rows->fieldName(f)) < 0)
                    continue;
                fields.push_back(f);
                columns.append(target->fieldName(target->fieldIndex(rows->fieldName(f))));
            }
        }
        qint64 copied = 0;
        if (!columns.isEmpty()) {
            qsizetype row = 0;
            copied = destination.appendRows(existing.isEmpty() ? table : existing, columns,
                                            [&](QVariantList& values) {
                                                if (row == rows->recordCount())
                                                    return false;
                                                for (int f : fields)
                                                    values.append(rows->value(row, f));
                                                ++row;
                                                return true;
                                            });
        }
        total += copied;
        if (progress)
            progress(table, copied);
    }
    return total;
}

namespace {

// copyEveryTable without its savepoint.
qint64 copyEveryTableIn(Database& source, Database& destination, const ImportProgress& progress) {
    const QStringList tables = source.tables();
    qint64 total = 0;
    QStringList others = tables;
    if (!findTable(tables, QStringLiteral("rsite")).isEmpty()) {
        total += copyHdb(source, destination, progress);
        // copyHdb has taken the HDB's own tables.
        const QStringList taken = hdbTables();
        others.removeIf([&](const QString& t) { return taken.contains(t, Qt::CaseInsensitive); });
    }
    return total + copyTables(source, destination, others, progress);
}

} // namespace

qint64 copyEveryTable(Database& source, Database& destination, const ImportProgress& progress) {
    // One savepoint around it all: a new SQLite file then commits (and syncs) once, not once
    // per table; inside a server's transaction it nests.
    destination.executeNative(QStringLiteral("SAVEPOINT rp_copy_every_table"));
    try {
        const qint64 copied = copyEveryTableIn(source, destination, progress);
        destination.executeNative(QStringLiteral("RELEASE rp_copy_every_table"));
        return copied;
    } catch (const Error&) {
        destination.executeNative(
            QStringLiteral("ROLLBACK TO rp_copy_every_table; RELEASE rp_copy_every_table"));
        throw;
    }
}

} // namespace rp
