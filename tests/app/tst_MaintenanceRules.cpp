#include "core/base/Error.h"
#include "core/hdb/MaintenanceRules.h"
#include "core/settings/ConnectionRules.h"

#include <QtTest>

using namespace rp;

// The pure rules of the connection dialog and the database maintenance.
class tst_MaintenanceRules : public QObject {
    Q_OBJECT
private slots:
    void kilobytes_data();
    void kilobytes();
    void names_data();
    void names();
    void databasePath_data();
    void databasePath();
    void fragmentationReport_data();
    void fragmentationReport();
    void connectionForFile_data();
    void connectionForFile();
};

void tst_MaintenanceRules::kilobytes_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("one and a half rounds to even 2") << qint64(1536) << "2";
    QTest::newRow("two and a half rounds to even 2") << qint64(2560) << "2";
    QTest::newRow("three and a half rounds to even 4") << qint64(3584) << "4";
    QTest::newRow("a half rounds to even 0") << qint64(512) << "0";
    QTest::newRow("just over a half") << qint64(513) << "1";
    QTest::newRow("just under one and a half") << qint64(1535) << "1";
    QTest::newRow("empty") << qint64(0) << "0";
    QTest::newRow("thousands separator") << qint64(1048576) << "1,024";
    QTest::newRow("millions") << qint64(1234567890123) << "1,205,632,705";
    QTest::newRow("999 kilobytes has no separator") << qint64(999 * 1024) << "999";
}

void tst_MaintenanceRules::kilobytes() {
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(kilobytesText(bytes), text);
}

void tst_MaintenanceRules::names_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("sqlite");
    QTest::addColumn<int>("marker");
    QTest::addColumn<QString>("backup");
    QTest::addColumn<QString>("fresh");
    QTest::newRow("access file") << "C:\\hdb\\hdb.mdb" << false << 11 << "C:\\hdb\\hdb_backup.mdb"
                                 << "C:\\hdb\\hdb_new.mdb";
    QTest::newRow(".M in a folder name comes first")
        << "C:\\x.Maps\\hdb.mdb" << false << 5 << "C:\\x_backup.Maps\\hdb.mdb"
        << "C:\\x_new.Maps\\hdb.mdb";
    QTest::newRow("lower-case .m counts") << "/d/hdb.mdb" << false << 7 << "/d/hdb_backup.mdb"
                                          << "/d/hdb_new.mdb";
    QTest::newRow("sqlite file: before the extension")
        << "/data/hdb.sqlite" << true << 0 << "/data/hdb_backup.sqlite"
        << "/data/hdb_new.sqlite";
    QTest::newRow("sqlite file in a folder with .M")
        << "/x.Maps/hdb.sqlite" << true << 3 << "/x.Maps/hdb_backup.sqlite"
        << "/x.Maps/hdb_new.sqlite";
    QTest::newRow("sqlite file without extension, dotted folder")
        << "/data.d/hdb" << true << 0 << "/data.d/hdb_backup"
        << "/data.d/hdb_new";
    QTest::newRow("sqlite file with two dots")
        << "/d/my.hdb.db" << true << 0 << "/d/my.hdb_backup.db"
        << "/d/my.hdb_new.db";
}

void tst_MaintenanceRules::names() {
    QFETCH(QString, path);
    QFETCH(bool, sqlite);
    QFETCH(int, marker);
    QFETCH(QString, backup);
    QFETCH(QString, fresh);
    QCOMPARE(accessMarkerPosition(path), marker);
    const MaintenanceNames names = maintenanceNames(path, sqlite);
    QCOMPARE(names.backup, backup);
    QCOMPARE(names.fresh, fresh);
}

void tst_MaintenanceRules::databasePath_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("path"); // "!" when the string names no path
    QTest::newRow("access") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\hdb\\hdb.mdb"
                            << "C:\\hdb\\hdb.mdb";
    QTest::newRow("spaces around the path")
        << "Provider=SQLite;  Data Source =  /d/hdb.sqlite  ;Mode=x"
        << "/d/hdb.sqlite";
    QTest::newRow("excel") << "Driver={Microsoft Excel Driver (*.xls)};DBQ=/d/hdb.xls;ReadOnly=0"
                           << "/d/hdb.xls";
    QTest::newRow("quoted path, as a conversion writes it")
        << "Provider=SQLite;Data Source=\"/d/my hdb.sqlite\""
        << "/d/my hdb.sqlite";
    QTest::newRow("only the first = splits") << "a=b;Data Source=/d/x=y.db"
                                             << "/d/x=y.db";
    QTest::newRow("second piece without =") << "x;/d/hdb.mdb"
                                            << "/d/hdb.mdb";
    QTest::newRow("empty second piece") << "Provider=SQLite;"
                                        << "";
    QTest::newRow("no second piece") << "Data Source=/d/hdb.sqlite"
                                     << "!";
    QTest::newRow("empty") << ""
                           << "!";
}

void tst_MaintenanceRules::databasePath() {
    QFETCH(QString, connection);
    QFETCH(QString, path);
    if (path == QLatin1String("!")) {
        QVERIFY_THROWS_EXCEPTION(Error, connectionDatabasePath(connection));
        return;
    }
    QCOMPARE(connectionDatabasePath(connection), path);
}

void tst_MaintenanceRules::fragmentationReport_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("fragmented");
    QTest::addColumn<QString>("fragments");
    QTest::newRow("fragmented") << "Processing:\r\n/d/hdb.sqlite is in 25 fragments\r\n"
                                << true << "/d/hdb.sqlite is in 25 fragments" << true
                                << "25 fragments";
    QTest::newRow("defragmented") << "/d/hdb.sqlite is defragmented\n"
                                  << true << "/d/hdb.sqlite is defragmented" << false
                                  << "b.sqlite is defragmented";
    QTest::newRow("first matching line only")
        << "a is in 3 fragments\nb is in 9 fragments\n"
        << true << "a is in 3 fragments" << true << "3 fragments";
    QTest::newRow("a path holding the words")
        << "/this input/h.db is in 4 fragments\n"
        << true << "/this input/h.db is in 4 fragments" << true << "4 fragments";
    QTest::newRow("case matters") << "FRAGMENTS everywhere\n" << false << "" << false << "";
    QTest::newRow("tool missing") << "" << false << "" << false << "";
}

void tst_MaintenanceRules::fragmentationReport() {
    QFETCH(QString, text);
    const FragmentationReport report = readFragmentationReport(text);
    QTEST(report.found, "found");
    QTEST(report.line, "line");
    QTEST(report.fragmented, "fragmented");
    QTEST(report.fragments, "fragments");
}

void tst_MaintenanceRules::connectionForFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("connection"); // "!" for a refused file
    QTest::newRow("sqlite") << "/d/hdb.sqlite"
                            << "Provider=SQLite;Data Source=/d/hdb.sqlite";
    QTest::newRow("db, upper case") << "/d/HDB.DB"
                                    << "Provider=SQLite;Data Source=/d/HDB.DB";
    QTest::newRow("access") << "/d/hdb.mdb"
                            << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/hdb.mdb";
    QTest::newRow("access 2007") << "/d/hdb.accdb"
                                 << "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/d/hdb.accdb";
    QTest::newRow("workbook") << "/d/hdb.xlsx"
                              << "Driver={Microsoft Excel Driver (*.xls)};DBQ=/d/hdb.xlsx;"
                                 "ReadOnly=False";
    QTest::newRow("text file") << "/d/notes.txt"
                               << "!";
}

void tst_MaintenanceRules::connectionForFile() {
    QFETCH(QString, file);
    QFETCH(QString, connection);
    if (connection == QLatin1String("!")) {
        QVERIFY_THROWS_EXCEPTION(Error, connectionStringForFile(file));
        return;
    }
    QCOMPARE(connectionStringForFile(file), connection);
    // The string leads back to the file.
    QCOMPARE(connectionDatabasePath(connection), file);
}

QTEST_GUILESS_MAIN(tst_MaintenanceRules)
#include "tst_MaintenanceRules.moc"
