#include "SmallHdb.h"

#include "core/base/Error.h"
#include "core/hdb/ExecuteStatement.h"

#include <QFile>
#include <QTest>

using namespace rp;
using rp::test::scalar;
using rp::test::SmallHdb;

class TestExecuteStatement : public QObject {
    Q_OBJECT
private slots:
    void runsAsTypedAndReportsInCapitals_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quoted value keeps its case")
            << "UPDATE rsite SET site_name='Kern River' WHERE datatype_site_id=1001"
            << "SELECT site_name FROM rsite WHERE datatype_site_id=1001"
            << "Kern River";
        QTest::newRow("delete") << "DELETE FROM rday WHERE value=1.5"
                                << "SELECT count(*) FROM rday"
                                << "7";
        QTest::newRow("jet delete with date")
            << "Delete * from rhour where date_time < #05-Mar-1999#"
            << "SELECT '[' & min(date_time) & ']' AS raw FROM rhour"
            << "[1999-03-05 00:00:00]";
        QTest::newRow("jet string") << "UPDATE rsite SET state=\"Or\" WHERE site_id=9"
                                    << "SELECT state FROM rsite WHERE site_id=9"
                                    << "Or";
    }
    void runsAsTypedAndReportsInCapitals() {
        QFETCH(QString, statement);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        SmallHdb hdb;
        QCOMPARE(executeStatement(hdb.connection(), statement),
                 QStringLiteral("FINISHED: ") + statement.toUpper());
        QCOMPARE(scalar(*hdb.db(), check), expected);
    }

    void failingStatementWritesNothing_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such table") << "UPDATE rsitex SET site_name='x'"
                                       << "no such table";
        QTest::newRow("no such column") << "UPDATE rsite SET nope=1"
                                        << "no such column";
        // The first rows would succeed before the key clash: the statement is undone whole.
        QTest::newRow("clash midway") << "UPDATE rday SET date_time='2000-01-01 00:00:00' WHERE "
                                         "datatype_site_id=1001"
                                      << "UNIQUE";
        QTest::newRow("bad date") << "DELETE FROM rday WHERE date_time < #31-Feb-2012#"
                                  << "31-Feb-2012";
        QTest::newRow("two statements") << "DELETE FROM rday; DELETE FROM rsite"
                                        << "after end";
    }
    void failingStatementWritesNothing() {
        QFETCH(QString, statement);
        QFETCH(QString, message);
        SmallHdb hdb;
        const QString before = scalar(*hdb.db(), QStringLiteral("SELECT group_concat(date_time "
                                                                "|| value) FROM rday"));
        try {
            executeStatement(hdb.connection(), statement);
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(scalar(*hdb.db(), QStringLiteral("SELECT group_concat(date_time || value) FROM "
                                                  "rday")),
                 before);
        QCOMPARE(scalar(*hdb.db(), QStringLiteral("SELECT count(*) FROM rsite")),
                 QStringLiteral("3"));
    }

    void missingDatabaseIsNotCreated() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gone.sqlite"));
        QVERIFY_THROWS_EXCEPTION(
            Error, executeStatement(QStringLiteral("Provider=SQLite;Data Source=") + path,
                                    QStringLiteral("DELETE FROM rday")));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestExecuteStatement)
#include "tst_ExecuteStatement.moc"
