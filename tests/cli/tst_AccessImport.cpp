// rivelpost-cli import from Access files: every table of the real sample files arrives in the
// new SQLite HDB with its name, its rows and its dates; a damaged file leaves nothing behind.

#include "TestSupport.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using rp::test::runTool;

namespace {

QString cli() {
    return QStringLiteral(RIVELPOST_CLI);
}

// Runs a statement on an Access (.mdb, .accdb) or SQLite file.
QString sql(const QString& file, const QString& statement) {
    const QString connection =
        file.endsWith(QLatin1String(".sqlite"))
            ? QStringLiteral("Provider=SQLite;Data Source=%1").arg(file)
            : QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(file);
    const auto r = runTool(cli(), {QStringLiteral("sql"), connection, statement});
    return r.status == 0 ? r.out : QStringLiteral("<failed: %1>").arg(r.err);
}

} // namespace

class tst_AccessImport : public QObject {
    Q_OBJECT

private slots:
    void everyTableArrives_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("Jet 3") << "mdb/nwind.mdb"
                               << QStringList{"Orders",    "[Order Details]", "Umsätze",
                                              "Products",  "Customers",       "Employees",
                                              "Categories"};
        QTest::newRow("Jet 4") << "mdb/DateTestDatabase.mdb" << QStringList{"DateTest"};
        QTest::newRow("ACE") << "mdb/ASampleDatabase.accdb" << QStringList{"[Asset Items]"};
    }
    void everyTableArrives() {
        QFETCH(QString, file);
        QFETCH(QStringList, tables);
        RP_REQUIRE_SHARED_DATA(source, file);
        QTemporaryDir dir;
        const QString dest = dir.filePath(QStringLiteral("converted.sqlite"));
        const auto r = runTool(cli(), {QStringLiteral("import"), source, dest});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.out.startsWith(QLatin1String("Copied ")));
        QVERIFY2(r.err.contains(QLatin1String("reading ")), qPrintable(r.err));
        for (const QString& table : tables) {
            // The same rows, seen through the same statement on both.
            const QString statement =
                QStringLiteral("SELECT count(*) & ' ' & max(%2) FROM %1")
                    .arg(table, table == QLatin1String("DateTest") ? QStringLiteral("DateTimeCol")
                                                                   : QStringLiteral("1"));
            const QString before = sql(source, statement);
            QVERIFY2(!before.startsWith(QLatin1String("<failed")), qPrintable(before));
            QCOMPARE(sql(dest, statement), before);
        }
        // The converted file is an HDB the program can browse.
        QCOMPARE(sql(dest, QStringLiteral("SELECT count(*) FROM rsite")).split('\n').value(1),
                 QStringLiteral("0"));
    }

    void datesAndTypesStay() {
        RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/DateTestDatabase.mdb"));
        QTemporaryDir dir;
        const QString dest = dir.filePath(QStringLiteral("dates.sqlite"));
        QCOMPARE(runTool(cli(), {QStringLiteral("import"), source, dest}).status, 0);
        // Year(…) only works on a date: the year 9999 value is still one.
        QCOMPARE(sql(dest, QStringLiteral("SELECT Year(DateTimeCol) FROM DateTest WHERE IDCol = 2"))
                     .split('\n')
                     .value(1),
                 QStringLiteral("9999"));
        QCOMPARE(sql(dest, QStringLiteral("SELECT Year(DateTimeCol) FROM DateTest WHERE IDCol = 4"))
                     .split('\n')
                     .value(1),
                 QStringLiteral("632"));
    }

    // Damaged copies of the samples: cut at a page boundary (the length alone looks whole) or a
    // byte of a table definition changed. Each is refused as damaged and leaves nothing behind.
    void damagedFilesAreRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("length"); // bytes kept, -1 for all
        QTest::addColumn<qint64>("flipAt"); // byte inverted, -1 for none
        QTest::addColumn<QString>("message");
        const qint64 jet3 = 2048, jet4 = 4096;
        QTest::newRow("Jet 3 cut at 800 pages, in a table's pages")
            << "mdb/nwind.mdb" << 800 * jet3 << qint64(-1) << "Umsätze has its rows on page";
        QTest::newRow("Jet 3 cut at 20 pages, in the catalogue")
            << "mdb/nwind.mdb" << 20 * jet3 << qint64(-1) << "catalogue (MSysObjects)";
        QTest::newRow("Jet 4 cut in its one table's pages")
            << "mdb/DateTestDatabase.mdb" << 20 * jet4 << qint64(-1) << "DateTest has its rows";
        QTest::newRow("Jet 4 cut in the catalogue")
            << "mdb/DateTestDatabase.mdb" << 10 * jet4 << qint64(-1) << "catalogue";
        QTest::newRow("ACE cut in the catalogue")
            << "mdb/ASampleDatabase.accdb" << 45 * jet4 << qint64(-1) << "page 99, but";
        // The row count of Orders (its definition on page 449) raised far beyond its rows.
        QTest::newRow("Jet 3 row count changed")
            << "mdb/nwind.mdb" << qint64(-1) << 449 * jet3 + 12 + 2 << "gave 830 of the";
    }
    void damagedFilesAreRefused() {
        QFETCH(QString, file);
        QFETCH(qint64, length);
        QFETCH(qint64, flipAt);
        QFETCH(QString, message);
        RP_REQUIRE_SHARED_DATA(source, file);
        QTemporaryDir dir;
        QFile in(source);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = length < 0 ? in.readAll() : in.read(length);
        if (flipAt >= 0)
            bytes[flipAt] = char(~bytes.at(flipAt));
        const QString damaged = dir.filePath(QStringLiteral("damaged.mdb"));
        QFile out(damaged);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        const QString dest = dir.filePath(QStringLiteral("never.sqlite"));
        const auto r = runTool(cli(), {QStringLiteral("import"), damaged, dest});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("damaged.mdb is damaged")), qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("damaged.mdb")});
    }

    void damagedFileLeavesNothing() {
        RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/nwind.mdb"));
        QTemporaryDir dir;
        QFile in(source);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QString cut = dir.filePath(QStringLiteral("cut.mdb"));
        QFile out(cut);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(in.read(400 * 2048));
        out.close();
        const QString dest = dir.filePath(QStringLiteral("never.sqlite"));
        const auto r = runTool(cli(), {QStringLiteral("import"), cut, dest});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("cut.mdb")), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("cut.mdb")});
    }
};

QTEST_GUILESS_MAIN(tst_AccessImport)
#include "tst_AccessImport.moc"
