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
