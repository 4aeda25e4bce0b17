#pragma once

// An empty HDB on each backend the tests can reach: SQLite in a temporary folder always, and
// PostgreSQL when RIVELPOST_TEST_PG holds a connection string to a server (tools/with-postgres
// starts a throw-away one). Each PostgreSQL HDB lives in a schema of its own, dropped afterwards.
//
//   void test_data() { rp::test::addBackendColumn(); QTest::newRow(...) … }
// or simply
//   void test_data() { rp::test::addBackendRows(); }
//   void test() { RP_BACKEND_HDB(hdb); … hdb.db() … }

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace rp::test {

// The first column of a statement's rows as the grid shows them, joined with '|'.
inline QString firstColumn(Database& db, const QString& sql) {
    const auto set = db.open(sql, LockType::ReadOnly);
    QStringList texts;
    for (qsizetype r = 0; r < set->recordCount(); ++r)
        texts.append(set->displayText(r, 0));
    return texts.join(QLatin1Char('|'));
}

inline QString postgresTestConnection() {
    return qEnvironmentVariable("RIVELPOST_TEST_PG");
}

inline void addBackendColumn() {
    QTest::addColumn<QString>("backend");
}

inline void addBackendRows() {
    addBackendColumn();
    QTest::newRow("SQLite") << QStringLiteral("SQLite");
    QTest::newRow("PostgreSQL") << QStringLiteral("PostgreSQL");
}

// The rows of the small test HDB: two parameters of site 7 and one of site 9, values around
// 5-7 March 1999 in every value table.
inline void fillSmallHdb(Database& db) {
    db.beginTransaction();
    db.executeNative(
        QStringLiteral("INSERT INTO rsite VALUES "
                       "(7, '2', 'KERN R NR KERNVILLE', 'CA', 1, 1001, 'discharge', 'cfs', 19),"
                       "(7, '2', 'KERN R NR KERNVILLE', 'CA', 1, 1002, 'storage', 'acre-feet', 17),"
                       "(9, '4', 'SMITH R', 'OR', 2, 2001, 'rainfall', 'inches', 45)"));
    const char* times[] = {"1999-03-04 23:00:00", "1999-03-05 00:00:00", "1999-03-06 12:00:00",
                           "1999-03-07 00:00:00", "1999-03-07 07:15:00", "1999-03-08 00:00:00",
                           "1999-03-08 00:15:00"};
    for (const QString& table : hdbValueTables()) {
        int i = 0;
        for (const char* t : times) {
            db.executeNative(QStringLiteral("INSERT INTO %1 VALUES (1001, '%2', %3, %4)")
                                 .arg(table, QLatin1String(t))
                                 .arg(1.5 + i)
                                 .arg(i == 2 ? 34 : 1));
            ++i;
        }
        db.executeNative(
            QStringLiteral("INSERT INTO %1 VALUES (2001, '1999-03-06 00:00:00', 0.25, 1)")
                .arg(table));
    }
    db.commit();
}

class BackendHdb {
public:
    // Throws rp::Error when the backend cannot give a new HDB. For PostgreSQL without
    // RIVELPOST_TEST_PG, available() is false and nothing else happens.
    explicit BackendHdb(const QString& backend) : m_backend(backend) {
        if (backend == QLatin1String("SQLite")) {
            m_connection = QStringLiteral("Provider=SQLite;Data Source=%1")
                               .arg(m_dir.filePath(QStringLiteral("hdb.sqlite")));
        } else {
            const QString server = postgresTestConnection();
            if (server.isEmpty())
                return;
            m_admin = openDatabase(server);
            m_schema = QStringLiteral("rp_test_%1")
                           .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            m_admin->executeNative(QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
            m_connection = server + QStringLiteral(";Schema=") + m_schema;
        }
        m_db = createHdb(m_connection);
    }
    ~BackendHdb() {
        m_db.reset();
        if (!m_admin)
            return;
        try {
            for (const QString& s : m_extraSchemas + QStringList{m_schema})
                m_admin->executeNative(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(s));
        } catch (const rp::Error& e) {
            qWarning("test schema not dropped: %s", qPrintable(e.message()));
        }
    }
    BackendHdb(const BackendHdb&) = delete;
    BackendHdb& operator=(const BackendHdb&) = delete;

    bool available() const { return bool(m_db); }
    const QString& backend() const { return m_backend; }
    const QString& connection() const { return m_connection; }
    const std::shared_ptr<Database>& db() const { return m_db; }
    // A second, independent connection to the same HDB (another user).
    std::shared_ptr<Database> openAnother() const { return openDatabase(m_connection); }
    // A connection string for another new HDB on the same backend (not yet created).
    QString siblingConnection(const QString& name) {
        if (m_backend == QLatin1String("SQLite"))
            return QStringLiteral("Provider=SQLite;Data Source=%1")
                .arg(m_dir.filePath(name + QStringLiteral(".sqlite")));
        const QString schema = m_schema + QLatin1Char('_') + name;
        m_admin->executeNative(QStringLiteral("CREATE SCHEMA %1").arg(schema));
        m_extraSchemas.append(schema);
        return postgresTestConnection() + QStringLiteral(";Schema=") + schema;
    }

    // The rows of the small test HDB (see fillSmallHdb).
    void fillSmall() { fillSmallHdb(*m_db); }

private:
    QString m_backend;
    QTemporaryDir m_dir;
    QString m_connection;
    QString m_schema;
    QStringList m_extraSchemas;
    std::shared_ptr<Database> m_admin;
    std::shared_ptr<Database> m_db;
};

} // namespace rp::test

// Declares `var`, a new empty HDB on the row's backend; skips visibly when the backend is
// PostgreSQL and no server was named. A server that was named but cannot be reached fails under
// CI (which always starts one) and skips elsewhere.
#define RP_BACKEND_HDB(var)                                                                        \
    QFETCH(QString, backend);                                                                      \
    std::unique_ptr<rp::test::BackendHdb> var##Holder;                                             \
    try {                                                                                          \
        var##Holder = std::make_unique<rp::test::BackendHdb>(backend);                             \
    } catch (const rp::Error& e) {                                                                 \
        if (qEnvironmentVariableIsSet("CI"))                                                       \
            QFAIL(qPrintable(e.message()));                                                        \
        QSKIP(qPrintable(QStringLiteral("PostgreSQL server not reachable: ") + e.message()));      \
    }                                                                                              \
    if (!var##Holder->available())                                                                 \
        QSKIP("PostgreSQL tests skipped: set RIVELPOST_TEST_PG to a connection string (or run "    \
              "them under tools/with-postgres)");                                                  \
    rp::test::BackendHdb& var = *var##Holder
