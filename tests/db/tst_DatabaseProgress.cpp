#include "BackendHdb.h"
#include "core/base/Error.h"
#include "core/db/RecordSet.h"
#include "providers/sqlite/SqliteCompactor.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

namespace {

// A database whose table is big enough that reading or copying it takes many steps.
QString makeDatabase(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("big.sqlite"));
    SqliteDatabase db(path, SqliteDatabase::OpenMode::CreateNew);
    db.executeNative(QStringLiteral(
        "CREATE TABLE t AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
        "WHERE x < 50000) SELECT x, 'row ' || x AS label FROM c"));
    return path;
}

// Counts the reports of a statement, which numbers them from 1 with no total, and asks it to stop
// after `stopAfter` of them (never when below 0).
Progress countingProgress(int& reports, int stopAfter) {
    return [&reports, stopAfter](qint64 done, qint64 total) {
        ++reports;
        if (done != reports || total != 0)
            return false;
        return stopAfter < 0 || reports <= stopAfter;
    };
}

} // namespace

// Long statements report their progress and stop when asked, losing nothing.
class tst_DatabaseProgress : public QObject {
    Q_OBJECT
private slots:
    void queryReportsAndStops_data();
    void queryReportsAndStops();
    void compactionStopsLeavingTheDatabase();
    void serverStatementReportsAndCancels_data();
    void serverStatementReportsAndCancels();
};

void tst_DatabaseProgress::queryReportsAndStops_data() {
    QTest::addColumn<int>("stopAfter"); // reports answered true before the stop; -1 never stops
    QTest::newRow("runs to the end") << -1;
    QTest::newRow("stopped at once") << 0;
    QTest::newRow("stopped on the way") << 3;
}

void tst_DatabaseProgress::queryReportsAndStops() {
    QFETCH(int, stopAfter);
    QTemporaryDir dir;
    SqliteDatabase db(makeDatabase(dir));
    int reports = 0;
    db.setProgress(countingProgress(reports, stopAfter));
    const QString sql = QStringLiteral("SELECT * FROM t ORDER BY label DESC");
    if (stopAfter < 0) {
        QCOMPARE(db.open(sql, LockType::ReadOnly)->recordCount(), 50000);
        QVERIFY(reports > 3);
    } else {
        QVERIFY_THROWS_EXCEPTION(Error, db.open(sql, LockType::ReadOnly));
        QCOMPARE(reports, stopAfter + 1);
        // A stopped change leaves the table as it was.
        QVERIFY_THROWS_EXCEPTION(Error, db.execute(QStringLiteral("DELETE FROM t WHERE x > 0")));
    }
    // Without a callback the next statements run whole again.
    db.setProgress({});
    QCOMPARE(db.open(QStringLiteral("SELECT * FROM t"), LockType::ReadOnly)->recordCount(), 50000);
}

void tst_DatabaseProgress::compactionStopsLeavingTheDatabase() {
    QTemporaryDir dir;
    const QString path = makeDatabase(dir);
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    const MaintenanceNames names = maintenanceNames(path, true);

    SqliteCompactor compactor;
    int reports = 0;
    compactor.setProgress([&](qint64, qint64) { return ++reports < 2; });
    try {
        compactor.compact(path, names);
        QFAIL("the compaction was not stopped");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("unchanged")), qPrintable(e.message()));
    }
    QCOMPARE(reports, 2);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), before);
    QVERIFY(!QFile::exists(names.fresh));
    QVERIFY(!QFile::exists(names.backup));

    // Unhindered, it compacts.
    compactor.setProgress([](qint64, qint64) { return true; });
    QVERIFY(compactor.compact(path, names).replaced);
}

void tst_DatabaseProgress::serverStatementReportsAndCancels_data() {
    QTest::addColumn<QString>("sql"); // native; runs for a few tenths of a second, or for long
    QTest::addColumn<int>("stopAfter");
    QTest::addColumn<bool>("viaOpen");
    QTest::newRow("runs to the end") << QStringLiteral("SELECT pg_sleep(0.4)") << -1 << false;
    // A script runs as one transaction: the delete before the cancelled sleep is undone too.
    QTest::newRow("script stopped")
        << QStringLiteral("DELETE FROM t; SELECT pg_sleep(60)") << 2 << false;
    QTest::newRow("query stopped at once")
        << QStringLiteral("SELECT x FROM t, pg_sleep(60)") << 0 << true;
}

void tst_DatabaseProgress::serverStatementReportsAndCancels() {
    QFETCH(QString, sql);
    QFETCH(int, stopAfter);
    QFETCH(bool, viaOpen);
    test::BackendHdb hdb(QStringLiteral("PostgreSQL"));
    if (!hdb.available())
        QSKIP("no PostgreSQL server (RIVELPOST_TEST_PG)");
    Database& db = *hdb.db();
    db.executeNative(QStringLiteral("CREATE TABLE t AS SELECT x FROM generate_series(1, 500) x"));
    int reports = 0;
    db.setProgress(countingProgress(reports, stopAfter));
    QElapsedTimer clock;
    clock.start();
    const auto run = [&] {
        if (viaOpen)
            db.open(sql, LockType::ReadOnly);
        else
            db.executeNative(sql);
    };
    if (stopAfter < 0) {
        run();
        QVERIFY2(reports >= 2, qPrintable(QString::number(reports)));
    } else {
        try {
            run();
            QFAIL("the statement was not cancelled");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("cancelled")), qPrintable(e.message()));
        }
        QCOMPARE(reports, stopAfter + 1);
        // The server stopped the statement rather than running it out.
        QVERIFY(clock.elapsed() < 30000);
    }
    // The connection goes on with whole statements, and nothing of a cancelled one was kept.
    db.setProgress({});
    QCOMPARE(db.open(QStringLiteral("SELECT x FROM t"), LockType::ReadOnly)->recordCount(), 500);
}

QTEST_GUILESS_MAIN(tst_DatabaseProgress)
#include "tst_DatabaseProgress.moc"
