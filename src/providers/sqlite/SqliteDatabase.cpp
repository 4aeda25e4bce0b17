#include "providers/sqlite/SqliteDatabase.h"

#include "core/base/Error.h"
#include "core/db/RecordSetBuilder.h"
#include "jet/JetSql.h"
#include "providers/sqlite/SqliteDialect.h"
#include "providers/sqlite/SqliteJetFunctions.h"
#include "providers/sqlite/SqliteResult.h"
#include "providers/sqlite/SqliteStatement.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <sqlite3.h>

namespace rp {

namespace {

std::atomic<int> connectionCounter{0};

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The texts under which the embedded database may hold a date-time: the full form, and the
// shorter ones the same instant is often written as.
QStringList storedDateTexts(const QDateTime& dt) {
    QStringList texts{sqliteDateTimeText(dt)};
    const QTime t = dt.time();
    if (t.msec() == 0 && t.second() == 0)
        texts.append(dt.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (t.msecsSinceStartOfDay() == 0)
        texts.append(dt.toString(QStringLiteral("yyyy-MM-dd")));
    return texts;
}

} // namespace

SqliteDatabase::SqliteDatabase(const QString& path, OpenMode mode)
    : m_path(path), m_dialect(std::make_unique<SqliteDialect>()) {
    if (path.trimmed().isEmpty())
        throw Error(QStringLiteral("The connection string names no database file; write "
                                   "Data Source=FILE."));
    const bool memory = path == QLatin1String(":memory:");
    QString name = path;
    if (!memory) {
        const QFileInfo info(path);
        if (mode == OpenMode::Existing && !info.exists())
            throw Error(
                QStringLiteral("The database file %1 does not exist.").arg(shownPath(path)));
        if (info.isDir())
            throw Error(
                QStringLiteral("%1 is a folder, not a database file.").arg(shownPath(path)));
        // mode=rw: SQLite itself refuses to create a missing file.
        name = QStringLiteral("file:%1?mode=%2")
                   .arg(QString::fromLatin1(QUrl::toPercentEncoding(info.absoluteFilePath(), "/")),
                        mode == OpenMode::Existing ? QStringLiteral("rw") : QStringLiteral("rwc"));
    }
    m_connectionName = QStringLiteral("rivelpost-sqlite-%1").arg(++connectionCounter);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    try {
        if (!m_db.isValid())
            throw Error(QStringLiteral("The SQLite driver of Qt is missing (install "
                                       "libqt6sql6-sqlite)."));
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        m_db.setDatabaseName(name);
        if (!m_db.open())
            throw Error(QStringLiteral("The database file %1 cannot be opened: %2")
                            .arg(shownPath(path), m_db.lastError().text()));
        const QVariant handle = m_db.driver()->handle();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0 ||
            !*static_cast<sqlite3* const*>(handle.constData()))
            throw Error(
                QStringLiteral("The SQLite connection to %1 has no handle.").arg(shownPath(path)));
        m_handle = *static_cast<sqlite3* const*>(handle.constData());
        sqlite3_busy_timeout(m_handle, 5000);
        // Reading the schema tells a database from any other file.
        try {
            executeNative(QStringLiteral("PRAGMA foreign_keys=ON; SELECT count(*) FROM "
                                         "sqlite_master;"));
        } catch (const Error& e) {
            throw Error(QStringLiteral("%1 is not a usable SQLite database: %2")
                            .arg(shownPath(path), e.message()));
        }
        registerJetFunctions(m_handle);
    } catch (const Error&) {
        m_handle = nullptr;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

SqliteDatabase::~SqliteDatabase() {
    m_progress.attach(m_handle, {});
    m_handle = nullptr;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void SqliteDatabase::setProgress(Progress progress) {
    m_progress.attach(m_handle, std::move(progress));
}

const SqlDialect& SqliteDatabase::dialect() const {
    return *m_dialect;
}

std::unique_ptr<RecordSet> SqliteDatabase::open(const QString& jetSql, LockType lock) {
    const JetSql::Translation translation =
        JetSql::translate(jetSql, dialect(), [this](const QString& t) { return columnKinds(t); });
    SqliteStatement statement(m_handle, translation.sql);
    RecordSet::Builder builder;
    if (statement.columnCount() == 0) {
        statement.run(); // an action statement
        return builder.build();
    }
    builder.setLockType(lock);
    if (lock == LockType::Optimistic) {
        builder.setBaseTable(editableTable(translation.sourceTable, statement.get()));
        // Without shared ownership the set cannot keep the connection; it then refuses edits.
        builder.setDatabase(weak_from_this().lock());
    }
    return readSqliteResult(statement.get(), builder);
}

qint64 SqliteDatabase::execute(const QString& jetSql) {
    const JetSql::Translation translation =
        JetSql::translate(jetSql, dialect(), [this](const QString& t) { return columnKinds(t); });
    SqliteStatement statement(m_handle, translation.sql);
    return statement.run();
}

void SqliteDatabase::executeNative(const QString& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        // The connection's own error text tells a busy database in words a user understands.
        sqlite3_free(message);
        throw Error(sqliteErrorText(m_handle));
    }
}

QStringList SqliteDatabase::tables() {
    SqliteStatement statement(
        m_handle, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                 "NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE"));
    QStringList names;
    while (statement.step())
        names.append(QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0))));
    return names;
}

void SqliteDatabase::beginTransaction() {
    executeNative(QStringLiteral("BEGIN"));
}
void SqliteDatabase::commit() {
    executeNative(QStringLiteral("COMMIT"));
}
void SqliteDatabase::rollback() {
    executeNative(QStringLiteral("ROLLBACK"));
}

ColumnKinds SqliteDatabase::columnKinds(const QString& table) {
    SqliteStatement version(m_handle, QStringLiteral("PRAGMA schema_version"));
    const qint64 schema = version.step() ? sqlite3_column_int64(version.get(), 0) : -1;
    if (schema != m_columnKindsSchema) {
        m_columnKinds.clear();
        m_columnKindsSchema = schema;
    }
    const QString key = table.toLower();
    if (auto known = m_columnKinds.constFind(key); known != m_columnKinds.cend())
        return *known;
    SqliteStatement info(m_handle, QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
    info.bind(1, table);
    ColumnKinds kinds;
    while (info.step()) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
        const QString type =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)))
                .toUpper();
        // SQLite's text affinity; a date kept as text (by its type or name) is a date.
        const bool text =
            !type.contains(QLatin1String("INT")) &&
            (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB")) ||
             type.contains(QLatin1String("TEXT"))) &&
            !type.contains(QLatin1String("DATE")) && !type.contains(QLatin1String("TIME")) &&
            !name.contains(QLatin1String("date"), Qt::CaseInsensitive);
        kinds.insert(name.toLower(), text);
    }
    m_columnKinds.insert(key, kinds);
    return kinds;
}

QString SqliteDatabase::tableNamed(const QString& name) {
    if (name.isEmpty())
        return {};
    SqliteStatement statement(m_handle, QStringLiteral("SELECT name FROM sqlite_master WHERE "
                                                       "type = 'table' AND name = ?1 COLLATE "
                                                       "NOCASE"));
    statement.bind(1, name);
    if (!statement.step())
        return {};
    return QString::fromUtf8(
        reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
}

QString SqliteDatabase::editableTable(const QString& sourceTable, void* handle) {
    const QString table = tableNamed(sourceTable);
    if (table.isEmpty())
        return {};
    auto* stmt = static_cast<sqlite3_stmt*>(handle);
    // Every field must be a column of that table under its own name (no alias, no expression),
    // or saved edits would name columns the table does not have.
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const char* origin = sqlite3_column_table_name(stmt, c);
        const char* column = sqlite3_column_origin_name(stmt, c);
        const char* name = sqlite3_column_name(stmt, c);
        if (!origin || !column || !name ||
            QString::fromUtf8(origin).compare(table, Qt::CaseInsensitive) != 0 ||
            QString::fromUtf8(column).compare(QString::fromUtf8(name), Qt::CaseInsensitive) != 0)
            return {};
    }
    return table;
}

RowChangeSql SqliteDatabase::rowSql() const {
    RowChangeSql sql{*m_dialect, [](qsizetype) { return QStringLiteral("?"); }};
    // A date-time key matches each text form a stored date may take, and a text with digits
    // beyond the milliseconds it was read to.
    sql.keyTerm = [](const QString& column, const QVariant& value, QVariantList& parameters) {
        if (value.typeId() != QMetaType::QDateTime)
            return QString();
        const QDateTime dateTime = value.toDateTime();
        const QStringList texts = storedDateTexts(dateTime);
        QStringList marks;
        for (const QString& t : texts) {
            marks.append(QStringLiteral("?"));
            parameters.append(t);
        }
        parameters.append(texts.first());
        parameters.append(dateTime.addMSecs(1).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
        return QStringLiteral("(%1 IN (%2) OR (%1 >= ? AND %1 < ?))")
            .arg(column, marks.join(QStringLiteral(", ")));
    };
    return sql;
}

void SqliteDatabase::changeOneRow(const QString& sql, const QVariantList& bindings) {
    SqliteStatement statement(m_handle, sql);
    for (qsizetype i = 0; i < bindings.size(); ++i)
        statement.bind(int(i) + 1, bindings[i]);
    executeNative(QStringLiteral("SAVEPOINT rp_one_row"));
    auto undo = [this] {
        executeNative(QStringLiteral("ROLLBACK TO rp_one_row; RELEASE rp_one_row"));
    };
    try {
        statement.run();
    } catch (const Error&) {
        statement.reset();
        undo();
        throw;
    }
    const qint64 changed = sqlite3_changes64(m_handle);
    if (changed != 1) {
        undo();
        throw Error(rowChangeRefusal(changed));
    }
    executeNative(QStringLiteral("RELEASE rp_one_row"));
}

void SqliteDatabase::insertRow(const QString& table, const QStringList& columns,
                               const QVariantList& values) {
    changeOneRow(rowSql().insert(table, columns, values.size()), values);
}

void SqliteDatabase::updateRow(const QString& table, const QStringList& keyColumns,
                               const QVariantList& keyValues, const QStringList& columns,
                               const QVariantList& values) {
    QVariantList bindings = values;
    const QString sql = rowSql().update(table, keyColumns, keyValues, columns, bindings);
    changeOneRow(sql, bindings);
}

void SqliteDatabase::deleteRow(const QString& table, const QStringList& keyColumns,
                               const QVariantList& keyValues) {
    QVariantList bindings;
    const QString sql = rowSql().remove(table, keyColumns, keyValues, bindings);
    changeOneRow(sql, bindings);
}

qint64 SqliteDatabase::appendRows(const QString& table, const QStringList& columns,
                                  const std::function<bool(QVariantList& row)>& next) {
    if (columns.isEmpty())
        throw Error(QStringLiteral("No columns were named to append rows to %1.").arg(table));
    // Rows go in a hundred to a statement: within one statement the table's cursor stays on its
    // last page, which spares SQLite most of the search a statement of its own costs each row.
    const qsizetype width = columns.size();
    const qsizetype batch = std::clamp<qsizetype>(
        sqlite3_limit(m_handle, SQLITE_LIMIT_VARIABLE_NUMBER, -1) / width, 1, 100);
    SqliteStatement full(m_handle, rowSql().insertRows(table, columns, batch));
    std::vector<QVariantList> rows(static_cast<size_t>(batch));
    const auto insert = [&](SqliteStatement& statement, qsizetype count) {
        for (qsizetype r = 0; r < count; ++r)
            for (qsizetype i = 0; i < width; ++i)
                statement.bind(int(r * width + i) + 1, rows[size_t(r)][i]);
        statement.step();
        statement.rewind(); // every value is bound anew for the next rows
    };
    executeNative(QStringLiteral("SAVEPOINT rp_append"));
    qint64 count = 0;
    try {
        qsizetype held = 0;
        while (nextRowToAppend(next, rows[size_t(held)], table, width, count)) {
            ++count;
            if (++held == batch) {
                insert(full, batch);
                held = 0;
            }
        }
        if (held > 0) {
            SqliteStatement rest(m_handle, rowSql().insertRows(table, columns, held));
            insert(rest, held);
        }
    } catch (...) {
        // All or nothing: whatever went wrong, the rows appended so far are taken back.
        full.reset();
        executeNative(QStringLiteral("ROLLBACK TO rp_append; RELEASE rp_append"));
        throw;
    }
    executeNative(QStringLiteral("RELEASE rp_append"));
    return count;
}

} // namespace rp
