#include "providers/postgres/PostgresDatabase.h"

#include "core/db/ConnectionString.h"
#include "core/db/RecordSetBuilder.h"
#include "jet/JetSql.h"
#include "providers/postgres/PostgresDialect.h"
#include "providers/postgres/PostgresJetFunctions.h"

#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <atomic>
#include <cerrno>
#include <libpq-fe.h>
#include <poll.h>
#include <utility>
#include <vector>

namespace rp {

namespace {

std::atomic<int> connectionCounter{0};

QString withoutPassword(const QString& text, const QString& password) {
    return ConnectionString::withoutPasswords(text, {password}).trimmed();
}

} // namespace

PostgresDatabase::PostgresDatabase(const PostgresSettings& settings)
    : m_location(settings.location()), m_password(settings.password),
      m_dialect(std::make_unique<PostgresDialect>()) {
    m_connectionName = QStringLiteral("rivelpost-pgsql-%1").arg(++connectionCounter);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    try {
        if (!m_db.isValid())
            throw Error(QStringLiteral("The PostgreSQL driver of Qt is missing (install "
                                       "libqt6sql6-psql)."));
        m_db.setHostName(settings.host);
        m_db.setPort(settings.port);
        m_db.setDatabaseName(settings.database);
        m_db.setUserName(settings.user);
        m_db.setPassword(settings.password);
        m_db.setConnectOptions(settings.connectOptions());
        if (!m_db.open())
            throw Error(QStringLiteral("The PostgreSQL database %1 cannot be reached: %2")
                            .arg(m_location, withoutPassword(m_db.lastError().text(), m_password)));
        const QVariant handle = m_db.driver()->handle();
        if (!handle.isValid() ||
            (qstrcmp(handle.typeName(), "pg_conn*") != 0 &&
             qstrcmp(handle.typeName(), "PGconn*") != 0) ||
            !*static_cast<pg_conn* const*>(handle.constData()))
            throw Error(
                QStringLiteral("The PostgreSQL connection to %1 has no handle.").arg(m_location));
        m_conn = *static_cast<pg_conn* const*>(handle.constData());
        // Dates as ISO text and floats written exactly, whatever the server's defaults.
        executeNative(QStringLiteral("SET client_encoding = 'UTF8'; SET datestyle = 'ISO, YMD'; "
                                     "SET extra_float_digits = 1; SET client_min_messages = "
                                     "warning"));
        if (!settings.schema.isEmpty()) {
            const QString schema = m_dialect->quoteIdentifier(settings.schema);
            executeNative(QStringLiteral("SET search_path TO %1").arg(schema));
            PgResult r = run(QStringLiteral("SELECT current_schema()"));
            if (PQgetisnull(r.get(), 0, 0))
                throw Error(QStringLiteral("The schema %1 does not exist in the PostgreSQL "
                                           "database %2.")
                                .arg(settings.schema, m_location));
        }
        refreshJetFunctions();
    } catch (const Error&) {
        m_conn = nullptr;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

// An HDB made by an earlier version has the Jet functions of that version: the newer ones are
// added once, by the first connection that finds them missing. A database whose functions we never
// installed is left alone.
void PostgresDatabase::refreshJetFunctions() {
    const auto current = [this] {
        PgResult r = run(QStringLiteral(
            "SELECT to_regprocedure('jet_year(timestamp)') IS NOT NULL, CASE WHEN "
            "to_regprocedure('jet_functions_version()') IS NOT NULL THEN 1 ELSE 0 END"));
        if (QByteArray(PQgetvalue(r.get(), 0, 0)) != "t")
            return true;
        if (QByteArray(PQgetvalue(r.get(), 0, 1)) != "1")
            return false;
        PgResult v = run(QStringLiteral("SELECT jet_functions_version()"));
        return QString::fromUtf8(PQgetvalue(v.get(), 0, 0)) == postgresJetFunctionsVersion();
    };
    if (current())
        return;
    executeNative(QStringLiteral("BEGIN; SELECT pg_advisory_xact_lock(hashtext('rivelpost jet "
                                 "functions'))"));
    try {
        if (!current())
            installPostgresJetFunctions(*this);
        executeNative(QStringLiteral("COMMIT"));
    } catch (const Error&) {
        // A user without the right to create functions still works with the ones there are;
        // a query that needs a missing one names it when it runs.
        executeNative(QStringLiteral("ROLLBACK"));
    }
}

PostgresDatabase::~PostgresDatabase() {
    m_conn = nullptr;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

const SqlDialect& PostgresDatabase::dialect() const {
    return *m_dialect;
}

Error PostgresDatabase::serverError(const QString& what) const {
    QString message = withoutPassword(what, m_password);
    if (PQstatus(m_conn) != CONNECTION_OK)
        message = QStringLiteral("The connection to the PostgreSQL database %1 was lost: %2")
                      .arg(m_location, message);
    return Error(message);
}

ColumnKinds PostgresDatabase::columnKinds(const QString& table) {
    const QString key = table.toLower();
    if (auto known = m_columnKinds.constFind(key); known != m_columnKinds.cend())
        return *known;
    // The string category: text, varchar, char and the like.
    const PgResult result =
        run(QStringLiteral("SELECT a.attname, t.typcategory = 'S' FROM pg_attribute a JOIN "
                           "pg_type t ON t.oid = a.atttypid WHERE a.attrelid = to_regclass($1) "
                           "AND a.attnum > 0 AND NOT a.attisdropped"),
            {dialect().quoteIdentifier(table)});
    ColumnKinds kinds;
    for (int r = 0; r < PQntuples(result.get()); ++r)
        kinds.insert(QString::fromUtf8(PQgetvalue(result.get(), r, 0)).toLower(),
                     PQgetvalue(result.get(), r, 1)[0] == 't');
    m_columnKinds.insert(key, kinds);
    return kinds;
}

PgResult PostgresDatabase::run(const QString& sql, const QVariantList& parameters) {
    const QByteArray text = sql.toUtf8();
    std::vector<std::optional<QByteArray>> values;
    std::vector<const char*> pointers;
    values.reserve(size_t(parameters.size()));
    for (const QVariant& p : parameters)
        values.push_back(postgresText(p));
    for (const auto& v : values)
        pointers.push_back(v ? v->constData() : nullptr);
    PgResult result;
    if (!m_progress) {
        result.reset(PQexecParams(m_conn, text.constData(), int(pointers.size()), nullptr,
                                  pointers.data(), nullptr, nullptr, 0));
    } else {
        if (!PQsendQueryParams(m_conn, text.constData(), int(pointers.size()), nullptr,
                               pointers.data(), nullptr, nullptr, 0))
            throw serverError(QString::fromUtf8(PQerrorMessage(m_conn)));
        result = awaitResult();
    }
    if (!result)
        throw serverError(QString::fromUtf8(PQerrorMessage(m_conn)));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw serverError(QString::fromUtf8(PQresultErrorMessage(result.get())));
    return result;
}

std::unique_ptr<RecordSet> PostgresDatabase::open(const QString& jetSql, LockType lock) {
    const JetSql::Translation translation =
        JetSql::translate(jetSql, dialect(), [this](const QString& t) { return columnKinds(t); });
    PgResult result = run(translation.sql);
    RecordSet::Builder builder;
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQnfields(result.get()) == 0) {
        m_columnKinds.clear();
        return builder.build(); // an action statement
    }
    builder.setLockType(lock);
    if (lock == LockType::Optimistic) {
        builder.setBaseTable(editableTable(translation.sourceTable, result.get()));
        builder.setDatabase(weak_from_this().lock());
    }
    return readPostgresResult(result.get(), builder);
}

qint64 PostgresDatabase::execute(const QString& jetSql) {
    m_columnKinds.clear();
    const JetSql::Translation translation =
        JetSql::translate(jetSql, dialect(), [this](const QString& t) { return columnKinds(t); });
    PgResult result = run(translation.sql);
    return QByteArray(PQcmdTuples(result.get())).toLongLong();
}

void PostgresDatabase::executeNative(const QString& sql) {
    m_columnKinds.clear();
    // PQexec, unlike a parameterised run, takes several statements at once (schema scripts).
    PgResult result;
    if (!m_progress) {
        result.reset(PQexec(m_conn, sql.toUtf8().constData()));
    } else {
        if (!PQsendQuery(m_conn, sql.toUtf8().constData()))
            throw serverError(QString::fromUtf8(PQerrorMessage(m_conn)));
        result = awaitResult();
    }
    if (!result)
        throw serverError(QString::fromUtf8(PQerrorMessage(m_conn)));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
        throw serverError(QString::fromUtf8(PQresultErrorMessage(result.get())));
}

PgResult PostgresDatabase::awaitResult() {
    const int socket = PQsocket(m_conn);
    qint64 reports = 0;
    while (PQisBusy(m_conn)) {
        pollfd wait{socket, POLLIN, 0};
        // A short wait keeps Cancel prompt; the server's answer ends it at once.
        if (::poll(&wait, 1, 40) < 0 && errno != EINTR)
            break;
        if (!PQconsumeInput(m_conn))
            break;
        if (PQisBusy(m_conn) && !m_progress(++reports, 0)) {
            cancelRunning();
            throw Error(QStringLiteral("The statement was cancelled; nothing of it was kept."));
        }
    }
    // As PQexec does: the last result, or the first that failed.
    PgResult kept;
    bool failed = false;
    while (PgResult next{PQgetResult(m_conn)}) {
        if (failed)
            continue;
        const ExecStatusType status = PQresultStatus(next.get());
        failed = status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE;
        kept = std::move(next);
    }
    return kept;
}

void PostgresDatabase::cancelRunning() {
    if (PGcancel* cancel = PQgetCancel(m_conn)) {
        char reason[256];
        PQcancel(cancel, reason, sizeof reason);
        PQfreeCancel(cancel);
    }
    // The server answers the cancelled statement with an error, which is read and dropped so the
    // connection is ready for the next one.
    while (PgResult(PQgetResult(m_conn))) {
    }
}

QStringList PostgresDatabase::tables() {
    PgResult result = run(QStringLiteral(
        "SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema() "
        "AND table_type = 'BASE TABLE' ORDER BY lower(table_name), table_name"));
    QStringList names;
    for (int r = 0; r < PQntuples(result.get()); ++r)
        names.append(QString::fromUtf8(PQgetvalue(result.get(), r, 0)));
    return names;
}

void PostgresDatabase::beginTransaction() {
    executeNative(QStringLiteral("BEGIN"));
}
void PostgresDatabase::commit() {
    executeNative(QStringLiteral("COMMIT"));
}
void PostgresDatabase::rollback() {
    takeBack(QStringLiteral("ROLLBACK"));
}

void PostgresDatabase::lockUntilTransactionEnds(const QString& name) {
    run(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext($1))"), {name});
}

void PostgresDatabase::takeBack(const QString& sql) {
    // Never cancelled: a Cancel that stopped the work must not also stop its undoing.
    Progress progress = std::exchange(m_progress, {});
    const auto restore = qScopeGuard([&] { m_progress = std::move(progress); });
    executeNative(sql);
}

QString PostgresDatabase::editableTable(const QString& sourceTable, pg_result* result) {
    if (sourceTable.isEmpty())
        return {};
    const Oid table = PQftable(result, 0);
    if (table == InvalidOid)
        return {};
    // Every field must be a column of that table under its own name (no alias, no expression),
    // or saved edits would name columns the table does not have.
    PgResult columns = run(QStringLiteral("SELECT c.relname, a.attnum, a.attname FROM pg_class c "
                                          "JOIN pg_attribute a ON a.attrelid = c.oid WHERE c.oid "
                                          "= $1 AND a.attnum > 0 AND NOT a.attisdropped"),
                           {QVariant(qulonglong(table))});
    if (PQntuples(columns.get()) == 0)
        return {};
    const QString name = QString::fromUtf8(PQgetvalue(columns.get(), 0, 0));
    if (m_dialect->quoteIdentifier(sourceTable) != m_dialect->quoteIdentifier(name))
        return {};
    for (int f = 0; f < PQnfields(result); ++f) {
        if (PQftable(result, f) != table)
            return {};
        const QByteArray attnum = QByteArray::number(PQftablecol(result, f));
        bool found = false;
        for (int r = 0; r < PQntuples(columns.get()) && !found; ++r)
            found = attnum == PQgetvalue(columns.get(), r, 1) &&
                    qstrcmp(PQgetvalue(columns.get(), r, 2), PQfname(result, f)) == 0;
        if (!found)
            return {};
    }
    return name;
}

RowChangeSql PostgresDatabase::rowSql() const {
    RowChangeSql sql{*m_dialect, [](qsizetype n) { return QStringLiteral("$%1").arg(n); }};
    // A date-time was read to the millisecond: the stored value matches at that precision, so
    // microseconds the server keeps do not make every save fail. The range around it, which the
    // truncation implies, lets the key's index find the row instead of a scan of the series.
    sql.keyTerm = [](const QString& column, const QVariant& value, QVariantList& parameters) {
        if (value.typeId() != QMetaType::QDateTime)
            return QString();
        parameters.append(value);
        return QStringLiteral("date_trunc('milliseconds', %1) = $%2 AND %1 >= $%2 AND %1 < $%2 + "
                              "interval '1 millisecond'")
            .arg(column)
            .arg(parameters.size());
    };
    return sql;
}

void PostgresDatabase::changeOneRow(const QString& sql, const QVariantList& parameters) {
    // Outside a transaction the change gets one of its own; inside, a savepoint, so a refused
    // change leaves the caller's transaction usable.
    const bool own = PQtransactionStatus(m_conn) == PQTRANS_IDLE;
    executeNative(own ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT rp_one_row"));
    auto undo = [&] {
        takeBack(own ? QStringLiteral("ROLLBACK")
                     : QStringLiteral("ROLLBACK TO SAVEPOINT rp_one_row; RELEASE "
                                      "SAVEPOINT rp_one_row"));
    };
    qint64 changed = 0;
    try {
        PgResult result = run(sql, parameters);
        changed = QByteArray(PQcmdTuples(result.get())).toLongLong();
    } catch (const Error&) {
        undo();
        throw;
    }
    if (changed != 1) {
        undo();
        throw Error(rowChangeRefusal(changed));
    }
    executeNative(own ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT rp_one_row"));
}

void PostgresDatabase::insertRow(const QString& table, const QStringList& columns,
                                 const QVariantList& values) {
    changeOneRow(rowSql().insert(table, columns, values.size()), values);
}

void PostgresDatabase::updateRow(const QString& table, const QStringList& keyColumns,
                                 const QVariantList& keyValues, const QStringList& columns,
                                 const QVariantList& values) {
    QVariantList parameters = values;
    const QString sql = rowSql().update(table, keyColumns, keyValues, columns, parameters);
    changeOneRow(sql, parameters);
}

void PostgresDatabase::deleteRow(const QString& table, const QStringList& keyColumns,
                                 const QVariantList& keyValues) {
    QVariantList parameters;
    const QString sql = rowSql().remove(table, keyColumns, keyValues, parameters);
    changeOneRow(sql, parameters);
}

} // namespace rp
