// Records read from the in-memory tables, and which of them a save must write.
#include "providers/workbook/WorkbookRows.h"

#include "core/base/JetDate.h"
#include "providers/workbook/WorkbookTables.h"

#include <algorithm>

namespace rp {

namespace {

QString quoted(const QString& table) {
    return u'"' + QString(table).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

WorkbookTableRows::WorkbookTableRows(sqlite3* db, const QString& select) : m_select(db, select) {
    sqlite3_stmt* stmt = m_select.get();
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        m_columns.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
        const QString decl = QString::fromUtf8(sqlite3_column_decltype(stmt, c));
        // A table made by CREATE TABLE … AS SELECT declares its dates as NUM: the name tells.
        m_dates.push_back(isDateColumn(decl, m_columns.last()) ||
                          m_columns.last().contains(QLatin1String("date"), Qt::CaseInsensitive));
        m_bools.push_back(decl.contains(QLatin1String("BOOL"), Qt::CaseInsensitive));
    }
}

bool WorkbookTableRows::next(QVariantList& row) {
    if (!m_select.step())
        return false;
    sqlite3_stmt* stmt = m_select.get();
    row.clear();
    for (int c = 0; c < int(m_columns.size()); ++c) {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_column_int64(stmt, c);
            row.append(m_bools[size_t(c)] ? QVariant(v != 0) : QVariant(qlonglong(v)));
            break;
        }
        case SQLITE_FLOAT:
            row.append(sqlite3_column_double(stmt, c));
            break;
        case SQLITE_NULL:
            row.append(QVariant());
            break;
        default: {
            const QString text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                  sqlite3_column_bytes(stmt, c));
            const auto date = m_dates[size_t(c)] ? parseIsoDateTime(text) : std::nullopt;
            row.append(date ? QVariant(*date) : QVariant(text));
        }
        }
    }
    return true;
}

bool WorkbookTableRows::at(qint64 rowid, QVariantList& row) {
    m_select.reset();
    m_select.bind(1, rowid);
    return next(row);
}

WorkbookChanges::WorkbookChanges(sqlite3* db) : m_db(db) {
    sqlite3_update_hook(m_db, &WorkbookChanges::noteChange, this);
}

WorkbookChanges::~WorkbookChanges() {
    sqlite3_update_hook(m_db, nullptr, nullptr);
}

void WorkbookChanges::noteChange(void* self, int, const char* database, const char* table,
                                 sqlite3_int64 rowid) {
    if (qstrcmp(database, "main") == 0)
        static_cast<WorkbookChanges*>(self)->m_changed[QString::fromUtf8(table).toLower()].insert(
            rowid);
}

qint64 WorkbookChanges::schemaVersion() const {
    SqliteStatement schema(m_db, QStringLiteral("PRAGMA schema_version"));
    schema.step();
    return sqlite3_column_int64(schema.get(), 0);
}

void WorkbookChanges::matched(const QSet<QString>& packed) {
    m_changed.clear();
    m_records.clear();
    for (const QString& table : packed) {
        SqliteStatement count(m_db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(table)));
        count.step();
        m_records.insert(table, sqlite3_column_int64(count.get(), 0));
    }
    m_schema = schemaVersion();
}

std::optional<WorkbookRowsToWrite> WorkbookChanges::rowsToWrite(const QString& table) {
    const QString key = table.toLower();
    const auto inFile = m_records.constFind(key);
    if (inFile == m_records.constEnd() || schemaVersion() != m_schema)
        return std::nullopt;
    const QString name = quoted(table);
    SqliteStatement extent(m_db, QStringLiteral("SELECT COUNT(*), (SELECT MIN(rowid) FROM %1), "
                                                "(SELECT MAX(rowid) FROM %1) FROM %1")
                                     .arg(name));
    extent.step();
    const qint64 count = sqlite3_column_int64(extent.get(), 0);
    // Record i at sheet row i + 1 only while the rowids are 1 … count.
    if (count > 0 && (sqlite3_column_int64(extent.get(), 1) != 1 ||
                      sqlite3_column_int64(extent.get(), 2) != count))
        return std::nullopt;
    WorkbookRowsToWrite write;
    for (const qint64 rowid : m_changed.value(key))
        if (rowid >= 1 && rowid <= count)
            write.rows.append(int(rowid + 1));
    std::sort(write.rows.begin(), write.rows.end());
    // Deleted records' rows, which the hook may not have seen (DELETE without WHERE).
    if (count < *inFile)
        write.everyRowFrom = int(count + 2);
    return write;
}

} // namespace rp
