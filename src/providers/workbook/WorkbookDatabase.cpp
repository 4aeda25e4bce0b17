#include "providers/workbook/WorkbookDatabase.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "formats/xlsx/XlsReader.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxTableWriter.h"
#include "providers/sqlite/SqliteStatement.h"
#include "providers/workbook/WorkbookTables.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace rp {

namespace {

bool isLegacyWorkbook(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
}

} // namespace

WorkbookDatabase::WorkbookDatabase(const QString& path)
    : SqliteDatabase(QStringLiteral(":memory:"), OpenMode::CreateNew), m_file(path),
      m_legacy(isLegacyWorkbook(path)), m_changes(std::make_unique<WorkbookChanges>(handle())) {
    if (path.trimmed().isEmpty())
        throw Error(QStringLiteral("The connection string names no workbook; write DBQ=FILE."));
    load(path);
}

QString WorkbookDatabase::readOnlyReason() const {
    if (!m_legacy)
        return {};
    return QStringLiteral("The workbook %1 is in the old Excel format (.xls), which is only read. "
                          "To change it, save it as an .xlsx workbook (Excel or LibreOffice: Save "
                          "As, Excel 2007-365) and connect to that file.")
        .arg(QDir::toNativeSeparators(m_file.path()));
}

void WorkbookDatabase::load(const QString& path) {
    QStringList names;
    std::function<QList<QVariantList>(qsizetype)> sheet;
    std::unique_ptr<XlsxReader> xlsx;
    std::unique_ptr<XlsReader> xls;
    if (m_legacy) {
        xls = std::make_unique<XlsReader>(path);
        names = xls->sheetNames();
        sheet = [&](qsizetype i) { return xls->readSheet(i); };
    } else {
        xlsx = std::make_unique<XlsxReader>(path);
        names = xlsx->sheetNames();
        sheet = [&](qsizetype i) { return xlsx->readSheet(i); };
    }
    QSet<QString> packed;
    SqliteDatabase::beginTransaction();
    try {
        for (qsizetype i = 0; i < names.size(); ++i) {
            const WorkbookTable table = workbookTable(names.at(i), sheet(i));
            if (table.packed)
                packed.insert(table.name.toLower());
            m_sheets.append(table.name);
            if (!table.columns.isEmpty())
                m_readColumns.insert(table.name.toLower(), table.columns);
            if (table.columns.isEmpty()) {
                m_emptySheets.append(table.name);
                continue;
            }
            QStringList definitions;
            for (qsizetype c = 0; c < table.columns.size(); ++c)
                definitions.append((dialect().quoteIdentifier(table.columns.at(c)) +
                                    QLatin1Char(' ') + table.types.at(c))
                                       .trimmed());
            try {
                SqliteDatabase::executeNative(QStringLiteral("CREATE TABLE %1 (%2)")
                                                  .arg(dialect().quoteIdentifier(table.name),
                                                       definitions.join(QStringLiteral(", "))));
            } catch (const Error& e) {
                throw Error(QStringLiteral("The worksheet \"%1\" of %2 cannot be used as a table: "
                                           "%3")
                                .arg(table.name, QDir::toNativeSeparators(path), e.message()));
            }
            qsizetype next = 0;
            SqliteDatabase::appendRows(table.name, table.columns, [&](QVariantList& row) {
                if (next >= table.rows.size())
                    return false;
                row = table.rows.at(next++);
                return true;
            });
        }
        SqliteDatabase::commit();
    } catch (const Error&) {
        SqliteDatabase::rollback();
        throw;
    }
    m_changes->matched(packed);
}

WorkbookDatabase::Mark WorkbookDatabase::mark() {
    SqliteStatement schema(handle(), QStringLiteral("PRAGMA schema_version"));
    schema.step();
    return {sqlite3_total_changes64(handle()), sqlite3_column_int64(schema.get(), 0)};
}

void WorkbookDatabase::refresh() {
    if (m_inTransaction || !m_file.changedOnDisk())
        return;
    // Until the new file reads well, every statement meets its message again (nothing is written).
    SqliteDatabase::beginTransaction();
    try {
        for (const QString& table : SqliteDatabase::tables())
            SqliteDatabase::executeNative(
                QStringLiteral("DROP TABLE %1").arg(dialect().quoteIdentifier(table)));
        SqliteDatabase::commit();
    } catch (const Error&) {
        SqliteDatabase::rollback();
        throw;
    }
    m_sheets.clear();
    m_emptySheets.clear();
    m_readColumns.clear();
    m_file.reread([this] { load(m_file.path()); });
}

template <class F> auto WorkbookDatabase::guarded(F&& call) {
    if (m_inTransaction)
        return call(); // written at commit
    refresh();
    SqliteDatabase::executeNative(QStringLiteral("SAVEPOINT rp_workbook"));
    try {
        const Mark before = mark();
        auto result = call();
        if (!(mark() == before))
            save();
        SqliteDatabase::executeNative(QStringLiteral("RELEASE rp_workbook"));
        return result;
    } catch (const Error&) {
        SqliteDatabase::executeNative(
            QStringLiteral("ROLLBACK TO rp_workbook; RELEASE rp_workbook"));
        throw;
    }
}

std::unique_ptr<RecordSet> WorkbookDatabase::open(const QString& jetSql, LockType lock) {
    return guarded([&] { return SqliteDatabase::open(jetSql, lock); });
}

qint64 WorkbookDatabase::execute(const QString& jetSql) {
    return guarded([&] { return SqliteDatabase::execute(jetSql); });
}

QStringList WorkbookDatabase::tables() {
    refresh();
    return SqliteDatabase::tables();
}

void WorkbookDatabase::beginTransaction() {
    refresh();
    SqliteDatabase::beginTransaction();
    m_inTransaction = true;
    m_transactionMark = mark();
}

void WorkbookDatabase::commit() {
    if (!m_inTransaction) {
        SqliteDatabase::commit();
        return;
    }
    try {
        if (!(mark() == m_transactionMark))
            save();
    } catch (const Error&) {
        m_inTransaction = false;
        SqliteDatabase::rollback();
        throw;
    }
    m_inTransaction = false;
    SqliteDatabase::commit();
}

void WorkbookDatabase::rollback() {
    m_inTransaction = false;
    SqliteDatabase::rollback();
}

void WorkbookDatabase::insertRow(const QString& table, const QStringList& columns,
                                 const QVariantList& values) {
    guarded([&] {
        SqliteDatabase::insertRow(table, columns, values);
        return true;
    });
}

void WorkbookDatabase::updateRow(const QString& table, const QStringList& keyColumns,
                                 const QVariantList& keyValues, const QStringList& columns,
                                 const QVariantList& values) {
    guarded([&] {
        SqliteDatabase::updateRow(table, keyColumns, keyValues, columns, values);
        return true;
    });
}

void WorkbookDatabase::deleteRow(const QString& table, const QStringList& keyColumns,
                                 const QVariantList& keyValues) {
    guarded([&] {
        SqliteDatabase::deleteRow(table, keyColumns, keyValues);
        return true;
    });
}

qint64 WorkbookDatabase::appendRows(const QString& table, const QStringList& columns,
                                    const std::function<bool(QVariantList& row)>& next) {
    return guarded([&] { return SqliteDatabase::appendRows(table, columns, next); });
}

void WorkbookDatabase::save() {
    if (m_legacy)
        throw Error(readOnlyReason());
    const bool inPlace = sameTablesAsRead();
    m_file.replace([this, inPlace](const QString& newFile) {
        if (inPlace) {
            try {
                writeInPlace(newFile);
                return;
            } catch (const XlsxPatchRefused&) {
                // A change the workbook's own parts cannot take in place: written whole instead.
            }
        }
        writeTo(newFile);
    });
    // Either way the file now holds the records in order, from row 2 of their sheets.
    QSet<QString> packed;
    for (const QString& table : SqliteDatabase::tables())
        packed.insert(table.toLower());
    m_changes->matched(packed);
}

bool WorkbookDatabase::sameTablesAsRead() {
    const QStringList tables = SqliteDatabase::tables();
    if (tables.size() != m_readColumns.size())
        return false;
    for (const QString& table : tables) {
        const auto read = m_readColumns.constFind(table.toLower());
        if (read == m_readColumns.constEnd())
            return false;
        WorkbookTableRows rows(
            handle(),
            QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(dialect().quoteIdentifier(table)));
        if (rows.columns() != *read)
            return false;
    }
    return true;
}

void WorkbookDatabase::writeInPlace(const QString& newFile) {
    XlsxPatch patch(m_file.path());
    std::vector<std::unique_ptr<WorkbookTableRows>> tables;
    for (const QString& table : SqliteDatabase::tables()) {
        const QString name = dialect().quoteIdentifier(table);
        SqliteStatement count(handle(), QStringLiteral("SELECT COUNT(*) FROM %1").arg(name));
        count.step();
        // Row 1 names the columns, which are as they were read; the records follow in order.
        XlsxCellBlock block;
        block.firstRow = 2;
        block.rowCount = int(sqlite3_column_int64(count.get(), 0));
        block.clearBelow = true;
        block.styleFromRow = 2;
        const std::optional<WorkbookRowsToWrite> listed = m_changes->rowsToWrite(table);
        if (listed) {
            auto& rows = tables.emplace_back(std::make_unique<WorkbookTableRows>(
                handle(), QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(name)));
            block.values = [&rows = *rows](int row, QVariantList& values) {
                rows.at(row - 1, values);
            };
            block.onlyRows = listed->rows;
            block.everyRowFrom = listed->everyRowFrom;
        } else {
            auto& rows = tables.emplace_back(std::make_unique<WorkbookTableRows>(
                handle(), QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(name)));
            block.values = [&rows = *rows](int, QVariantList& values) { rows.next(values); };
        }
        block.columnCount = int(tables.back()->columns().size());
        patch.setCells(table, block);
    }
    patch.write(newFile);
}

void WorkbookDatabase::writeTo(const QString& newFile) {
    const QStringList tables = SqliteDatabase::tables();
    QStringList order;
    for (const QString& sheet : m_sheets)
        if (m_emptySheets.contains(sheet) || tables.contains(sheet, Qt::CaseInsensitive))
            order.append(sheet);
    for (const QString& table : tables)
        if (!order.contains(table, Qt::CaseInsensitive))
            order.append(table); // made by the user's own statements
    if (order.isEmpty())
        throw Error(QStringLiteral("A workbook needs at least one worksheet; the last table cannot "
                                   "be dropped."));

    XlsxTableWriter writer(newFile);
    for (const QString& name : order) {
        if (m_emptySheets.contains(name) && !tables.contains(name, Qt::CaseInsensitive)) {
            writer.addSheet(name, {}, QList<QVariantList>());
            continue;
        }
        WorkbookTableRows rows(
            handle(), QStringLiteral("SELECT * FROM %1").arg(dialect().quoteIdentifier(name)));
        writer.addSheet(name, rows.columns(),
                        [&rows](QVariantList& row) { return rows.next(row); });
    }
    writer.close();
}

} // namespace rp
