#include "SmallHdb.h"

#include "core/base/Error.h"
#include "core/base/IsoDateTime.h"
#include "core/base/JetDate.h"
#include "core/base/TimeStep.h"
#include "providers/sqlite/SqliteDatabase.h"
#include "providers/sqlite/SqliteResult.h"
#include "providers/sqlite/SqliteStatement.h"

#include <QFile>
#include <QTest>

using namespace rp;
using rp::test::scalar;
using rp::test::SmallHdb;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi));
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestSqliteDatabase : public QObject {
    Q_OBJECT
private slots:
    // The stored text of a date-time is worked out by hand for speed; Qt's own formatting is the
    // reference, across centuries, before 1970, leap days and with milliseconds.
    void dateTimeTextAsQtWritesIt() {
        const auto reference = [](const QDateTime& t) {
            return t.toString(t.time().msec() ? u"yyyy-MM-dd HH:mm:ss.zzz"_qs
                                              : u"yyyy-MM-dd HH:mm:ss"_qs);
        };
        const QDateTime from(QDate(1000, 1, 1), QTime(0, 0), Qt::UTC);
        for (qint64 ms = 0; from.addMSecs(ms).date().year() <= 9999; ms += 7'919'993'777LL) {
            for (const auto zone : {Qt::UTC, Qt::LocalTime}) {
                const QDateTime utc = from.addMSecs(ms);
                const QDateTime t(utc.date(), utc.time(), zone);
                QCOMPARE(rp::sqliteDateTimeText(t), reference(t));
            }
        }
        for (const char* text :
             {"2000-02-29T23:59:59.999", "1900-03-01T00:00:00", "1969-12-31T23:59:59",
              "1970-01-01T00:00:00.001", "1600-02-29T12:00:00", "9999-12-31T23:59:59"}) {
            const QDateTime t = QDateTime::fromString(QLatin1String(text), Qt::ISODateWithMs);
            const QDateTime utc(t.date(), t.time(), Qt::UTC);
            QCOMPARE(rp::sqliteDateTimeText(utc), reference(utc));
        }
    }
    void badConnectionsAreClearErrors_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "empty";
        QTest::newRow("blank") << "   "
                               << "empty";
        QTest::newRow("no key") << "garbage"
                                << "\"garbage\" has no '='";
        QTest::newRow("unknown provider") << "Provider=Foo;Data Source=x"
                                          << "\"Foo\"";
        QTest::newRow("no database") << "Provider=SQLite"
                                     << "no database file";
        QTest::newRow("missing file") << "Provider=SQLite;Data Source=@DIR@/none.sqlite"
                                      << "none.sqlite does not exist";
        QTest::newRow("missing by suffix") << "Data Source=@DIR@/none.hdb"
                                           << "none.hdb";
        QTest::newRow("not a database") << "Provider=SQLite;Data Source=@DIR@/notes.txt"
                                        << "not a usable SQLite database";
        QTest::newRow("folder") << "Provider=SQLite;Data Source=@DIR@"
                                << "is a folder";
        QTest::newRow("postgres without a database") << "Provider=PostgreSQL;Host=localhost"
                                                     << "names no PostgreSQL database";
        QTest::newRow("missing workbook")
            << "Driver={Microsoft Excel Driver (*.xls)};DBQ=@DIR@/x.xls"
            << "x.xls\" does not exist";
        QTest::newRow("missing Access file")
            << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=@DIR@/x.mdb"
            << "x.mdb does not exist";
    }
    void badConnectionsAreClearErrors() {
        QFETCH(QString, connection);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile notes(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray(4096, 'x'));
        notes.close();
        connection.replace(QStringLiteral("@DIR@"), dir.path());
        const QString error = errorOf([&] { openDatabase(connection); });
        QVERIFY2(error.contains(message), qPrintable(error));
        // Opening never creates a file.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.sqlite"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.hdb"))));
        QCOMPARE(QFileInfo(notes.fileName()).size(), 4096);
    }

    void tableListThroughMSysObjects() {
        SmallHdb hdb;
        auto db = openDatabase(hdb.connection());
        auto rs =
            db->open(QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;"),
                     LockType::ReadOnly);
        QStringList names;
        for (qsizetype r = 0; r < rs->recordCount(); ++r)
            names.append(rs->displayText(r, 0));
        names.sort();
        QStringList expected = hdbValueTables() << QStringLiteral("rsite");
        expected.sort();
        QCOMPARE(names, expected);
        QCOMPARE(db->tables(), expected);
    }

    void retrievalOfEveryTimeStep_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("fields");
        // Range 05-Mar-1999 .. 07-Mar-1999. Year, Month, Day stop at midnight of the end day;
        // the others reach midnight after it.
        QTest::newRow("year") << 0 << 3 << 4;
        QTest::newRow("month") << 1 << 3 << 4;
        QTest::newRow("day") << 2 << 3 << 4;
        QTest::newRow("hour") << 3 << 5 << 4;
        QTest::newRow("unit") << 4 << 5 << 4;
        QTest::newRow("daymax") << 5 << 5 << 4;
        QTest::newRow("daymin") << 6 << 5 << 4;
        QTest::newRow("unitshift") << 7 << 5 << 4;
    }
    void retrievalOfEveryTimeStep() {
        QFETCH(int, step);
        QFETCH(int, rows);
        QFETCH(int, fields);
        SmallHdb hdb;
        const TimeStep ts = timeStepFromIndex(step);
        const QString sql =
            retrievalStatement(ts, QStringLiteral("1001"), QStringLiteral("05-Mar-1999"),
                               retrievalUpperBound(ts, QStringLiteral("07-Mar-1999")));
        auto rs = hdb.db()->open(sql, LockType::ReadOnly);
        QCOMPARE(rs->recordCount(), rows);
        QCOMPARE(rs->fieldCount(), fields);
        QCOMPARE(rs->fieldNames(),
                 QStringList({"datatype_site_id", "date_time", "value", "source"}));
        QCOMPARE(rs->fieldType(1), FieldType::DateTime);
        QCOMPARE(rs->value(0, 1), QVariant(at(1999, 3, 5)));
        QCOMPARE(rs->value(0, 0), QVariant(qlonglong(1001)));
        QCOMPARE(rs->value(1, 2), QVariant(3.5));
        QCOMPARE(rs->displayText(rows - 1, 1),
                 rows == 3 ? QStringLiteral("3/7/1999") : QStringLiteral("3/8/1999"));
        for (qsizetype r = 1; r < rs->recordCount(); ++r)
            QVERIFY(rs->value(r - 1, 1).toDateTime() < rs->value(r, 1).toDateTime());
    }

    void monthFirstDateLiteral() {
        SmallHdb hdb;
        auto rs = hdb.db()->open(
            QStringLiteral("SELECT * FROM rday WHERE date_time BETWEEN #3/6/1999# AND #3/6/1999 "
                           "23:59# ORDER BY datatype_site_id, date_time;"),
            LockType::ReadOnly);
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(rs->value(0, 0).toLongLong(), 1001);
        QCOMPARE(rs->value(1, 0).toLongLong(), 2001);
    }

    void selectThroughJetFunctions() {
        SmallHdb hdb;
        auto rs = hdb.db()->open(
            QStringLiteral("SELECT Year(date_time) AS y, Month(date_time) AS m, "
                           "IIf(value > 3, 'high', 'low') AS lvl, UCase(\"kern\") & '!' AS k "
                           "FROM rday WHERE datatype_site_id=1001 ORDER BY date_time;"),
            LockType::ReadOnly);
        QCOMPARE(rs->recordCount(), 7);
        QCOMPARE(rs->displayText(0, 0), QStringLiteral("1999"));
        QCOMPARE(rs->displayText(0, 1), QStringLiteral("3"));
        QCOMPARE(rs->displayText(0, 2), QStringLiteral("low"));
        QCOMPARE(rs->displayText(6, 2), QStringLiteral("high"));
        QCOMPARE(rs->displayText(0, 3), QStringLiteral("KERN!"));
    }

    void actionStatementsGiveNoFields() {
        SmallHdb hdb;
        auto& db = *hdb.db();
        auto rs =
            db.open(QStringLiteral("Delete * from rday where value=1.5;"), LockType::Optimistic);
        QCOMPARE(rs->fieldCount(), 0);
        QCOMPARE(rs->recordCount(), 0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM rday")), QStringLiteral("7"));
        QCOMPARE(db.execute(QStringLiteral("UPDATE rday SET source=5 WHERE datatype_site_id=1001")),
                 6);
        QCOMPARE(db.execute(QStringLiteral("SELECT * FROM rday")), 0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM rday WHERE source=5")),
                 QStringLiteral("6"));
        // The database's own message reaches the caller.
        QVERIFY(errorOf([&] {
                    db.execute(QStringLiteral("UPDATE nosuch SET x=1"));
                }).contains(QStringLiteral("no such table: nosuch")));
        QVERIFY(errorOf([&] {
                    db.execute(QStringLiteral("SELECT 1; SELECT 2"));
                }).contains(QStringLiteral("after end")));
    }

    void appendRowsIsAllOrNothing_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("badRow"); // 0: none
        QTest::addColumn<QString>("fault");
        QTest::newRow("all good") << 4 << 0 << "";
        QTest::newRow("duplicate key") << 4 << 3 << "duplicate";
        QTest::newRow("short row") << 4 << 2 << "short";
        QTest::newRow("producer fails") << 4 << 3 << "throw";
        // Many rows go in several to a statement; a fault in any of them undoes all.
        QTest::newRow("many, all good") << 523 << 0 << "";
        QTest::newRow("many, duplicate in a later statement") << 523 << 350 << "duplicate";
        QTest::newRow("many, duplicate among the last") << 523 << 522 << "duplicate";
        QTest::newRow("many, short row") << 523 << 201 << "short";
        QTest::newRow("many, producer fails") << 523 << 519 << "throw";
    }
    void appendRowsIsAllOrNothing() {
        QFETCH(int, rows);
        QFETCH(int, badRow);
        QFETCH(QString, fault);
        SmallHdb hdb;
        auto& db = *hdb.db();
        const QString before = scalar(db, QStringLiteral("SELECT count(*) FROM rhour"));
        int n = 0;
        auto next = [&](QVariantList& row) {
            ++n;
            if (n > rows)
                return false;
            QDateTime t = at(2000, 1, 1).addSecs(3600 * n);
            if (n == badRow && fault == QLatin1String("duplicate"))
                t = at(2000, 1, 1, 1);
            if (n == badRow && fault == QLatin1String("throw"))
                throw Error(QStringLiteral("the source ran dry"));
            row << 3001 << t << 0.5 * n;
            if (!(n == badRow && fault == QLatin1String("short")))
                row << 1;
            return true;
        };
        const QStringList columns{"datatype_site_id", "date_time", "value", "source"};
        if (badRow == 0) {
            QCOMPARE(db.appendRows(QStringLiteral("rhour"), columns, next), rows);
            // Stored as ISO text (a computed date alone would be shown as a date).
            QCOMPARE(scalar(db, QStringLiteral("SELECT '[' & max(date_time) & ']' AS raw FROM "
                                               "rhour WHERE datatype_site_id=3001")),
                     QLatin1Char('[') +
                         at(2000, 1, 1).addSecs(3600 * rows).toString("yyyy-MM-dd HH:mm:ss") +
                         QLatin1Char(']'));
            // Each row's value beside its own date: 0.5 for each hour after midnight.
            QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM rhour WHERE "
                                               "datatype_site_id=3001 AND value * 2 = "
                                               "round((julianday(date_time) - "
                                               "julianday('2000-01-01')) * 24)")),
                     QString::number(rows));
        } else {
            QVERIFY_THROWS_EXCEPTION(Error, db.appendRows(QStringLiteral("rhour"), columns, next));
            QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM rhour")), before);
        }
        // The connection is usable afterwards, outside any transaction.
        db.executeNative(QStringLiteral("INSERT INTO rhour VALUES (4001, '2001-01-01', 1, 1)"));
        auto again = openDatabase(hdb.connection());
        QCOMPARE(scalar(*again, QStringLiteral("SELECT count(*) FROM rhour WHERE "
                                               "datatype_site_id=4001")),
                 QStringLiteral("1"));
    }

    void createHdbRefusesAnExistingFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.sqlite"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
        file.close();
        const QString error =
            errorOf([&] { createHdb(QStringLiteral("Provider=SQLite;Data Source=") + path); });
        QVERIFY2(error.contains(QStringLiteral("already exists")), qPrintable(error));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious"));
        QVERIFY(errorOf([&] {
                    createHdb(QStringLiteral("Provider=SQLite;Data Source=") +
                              dir.filePath(QStringLiteral("no/such/folder.sqlite")));
                }).contains(QStringLiteral("does not exist")));
        // Nothing is left behind but the one file.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void newHdbFileAppearsWholeOrNotAtAll() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("filled.sqlite"));
        const QString error = errorOf([&] {
            buildNewHdbFile(path, [](Database& db) {
                db.executeNative(QStringLiteral("INSERT INTO rsite (site_id) VALUES (1)"));
                throw Error(QStringLiteral("generator failed"));
            });
        });
        QCOMPARE(error, QStringLiteral("generator failed"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        buildNewHdbFile(path, [](Database& db) {
            db.executeNative(QStringLiteral("INSERT INTO rsite (site_id) VALUES (1)"));
        });
        auto db = openDatabase(QStringLiteral("Data Source=") + path);
        QCOMPARE(scalar(*db, QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("1"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("filled.sqlite")});
    }

    void createdHdbHasTheSchemaAndNoLeftovers() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new.hdb"));
        auto db = createHdb(QStringLiteral("Data Source=") + path);
        QCOMPARE(db->tables().size(), 9);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("new.hdb")});
        db->executeNative(
            QStringLiteral("INSERT INTO rday VALUES (1, '1999-01-01 00:00:00', 1, 1)"));
        QVERIFY(errorOf([&] {
                    db->executeNative(
                        QStringLiteral("INSERT INTO rday VALUES (1, '1999-01-01 00:00:00', 2, 1)"));
                }).contains(QStringLiteral("UNIQUE")));
        QVERIFY(errorOf([&] {
                    db->executeNative(QStringLiteral("INSERT INTO rday VALUES (1, NULL, 2, 1)"));
                }).contains(QStringLiteral("NOT NULL")));
        auto cols = db->open(QStringLiteral("SELECT * FROM rsite"), LockType::ReadOnly);
        QCOMPARE(cols->fieldNames(),
                 QStringList({"site_id", "station_id", "site_name", "state", "reach_id",
                              "datatype_site_id", "datatype_name", "unit_name", "datatype_id"}));
    }

    void dateDetection_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: stays text
        QTest::newRow("date only") << "date_time"
                                   << "1999-03-05" << at(1999, 3, 5);
        QTest::newRow("minutes") << "date_time"
                                 << "1999-03-05 07:15" << at(1999, 3, 5, 7, 15);
        QTest::newRow("seconds") << "date_time"
                                 << "1999-03-05 07:15:30"
                                 << naiveDateTime(QDate(1999, 3, 5), QTime(7, 15, 30));
        QTest::newRow("fraction") << "date_time"
                                  << "1999-03-05 07:15:30.25"
                                  << naiveDateTime(QDate(1999, 3, 5), QTime(7, 15, 30, 250));
        QTest::newRow("leap day") << "date_time"
                                  << "2000-02-29 00:00:00" << at(2000, 2, 29);
        QTest::newRow("not a leap day") << "date_time"
                                        << "1900-02-29" << QDateTime();
        QTest::newRow("hour 24") << "date_time"
                                 << "1999-03-05 24:00" << QDateTime();
        QTest::newRow("jet text") << "date_time"
                                  << "05-Mar-1999" << QDateTime();
        QTest::newRow("t separator") << "date_time"
                                     << "1999-03-05T07:15" << QDateTime();
        QTest::newRow("trailing text") << "date_time"
                                       << "1999-03-05 xx" << QDateTime();
        QTest::newRow("declared datetime") << "stamp"
                                           << "1999-03-05 07:15" << at(1999, 3, 5, 7, 15);
        QTest::newRow("name with date") << "Last_Date"
                                        << "1999-03-05" << at(1999, 3, 5);
        QTest::newRow("plain text column") << "note"
                                           << "1999-03-05" << QDateTime();
        QTest::newRow("before 1970") << "date_time"
                                     << "1901-12-31 23:45" << at(1901, 12, 31, 23, 45);
    }
    void dateDetection() {
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        auto db = std::make_shared<SqliteDatabase>(QStringLiteral(":memory:"));
        db->executeNative(QStringLiteral("CREATE TABLE t (date_time TEXT, stamp DATETIME, "
                                         "Last_Date TEXT, note TEXT)"));
        db->executeNative(QStringLiteral("INSERT INTO t (%1) VALUES ('%2')").arg(column, text));
        auto rs = db->open(QStringLiteral("SELECT %1 FROM t").arg(column), LockType::ReadOnly);
        if (expected.isValid()) {
            QCOMPARE(rs->type(0, 0), FieldType::DateTime);
            QCOMPARE(rs->value(0, 0).toDateTime(), expected);
            QCOMPARE(isoDateTimeMSecs(text.toUtf8()),
                     std::optional<qint64>(expected.toMSecsSinceEpoch()));
        } else {
            QCOMPARE(rs->type(0, 0), FieldType::Text);
            QCOMPARE(rs->value(0, 0).toString(), text);
        }
    }

    void datesOfALongSeriesAreReadRowByRow() {
        auto db = std::make_shared<SqliteDatabase>(QStringLiteral(":memory:"));
        db->executeNative(QStringLiteral("CREATE TABLE t (n INTEGER, date_time TEXT)"));
        const QDateTime start = at(1999, 12, 31, 22);
        QStringList texts;
        for (int i = 0; i < 300; ++i)
            texts.append(start.addSecs(i * 900).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        texts[150] = texts[149].left(11) + QStringLiteral("24:00:00"); // same day, bad time
        texts[151] = QStringLiteral("2000-01-01");
        for (int i = 0; i < texts.size(); ++i)
            db->executeNative(
                QStringLiteral("INSERT INTO t VALUES (%1, '%2')").arg(i).arg(texts[i]));
        auto rs = db->open(QStringLiteral("SELECT * FROM t ORDER BY n"), LockType::ReadOnly);
        QCOMPARE(rs->recordCount(), 300);
        for (int i = 0; i < 300; ++i) {
            const auto expected = parseIsoDateTime(texts[i]);
            if (i == 150) {
                QCOMPARE(rs->value(i, 1).toString(), texts[i]);
                continue;
            }
            QVERIFY(expected);
            QCOMPARE(rs->value(i, 1).toDateTime(), *expected);
        }
    }

    void editsNeedOneTableUnchanged_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("updatable");
        QTest::newRow("whole table") << "SELECT * FROM rsite order by site_id;" << true;
        QTest::newRow("retrieval") << "SELECT datatype_site_id, date_time, value, source FROM "
                                      "rdaymax WHERE datatype_site_id=1001;"
                                   << true;
        QTest::newRow("alias") << "SELECT value AS v FROM rday;" << false;
        QTest::newRow("expression") << "SELECT value * 2 FROM rday;" << false;
        QTest::newRow("join") << "SELECT a.site_id FROM rsite a, rday b WHERE "
                                 "a.datatype_site_id=b.datatype_site_id;"
                              << false;
        QTest::newRow("distinct") << "SELECT DISTINCT site_id FROM rsite;" << false;
        QTest::newRow("table list")
            << "SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;" << false;
    }
    void editsNeedOneTableUnchanged() {
        QFETCH(QString, sql);
        QFETCH(bool, updatable);
        SmallHdb hdb;
        QCOMPARE(hdb.db()->open(sql, LockType::Optimistic)->isUpdatable(), updatable);
        QVERIFY(!hdb.db()->open(sql, LockType::ReadOnly)->isUpdatable());
    }
};

QTEST_GUILESS_MAIN(TestSqliteDatabase)
#include "tst_SqliteDatabase.moc"
