// rivelpost-cli series, dump and acre-feet on the small browsing HDB.
#include "BrowsingHdb.h"

#include <QProcess>
#include <QtTest>

using namespace rp::test;

class tst_SeriesCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<BrowsingHdb>(); }
    void series();
    void refused_data();
    void refused();

private:
    int cli(const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.start(QStringLiteral(RIVELPOST_CLI), args);
        p.waitForFinished(60000);
        if (err)
            *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::unique_ptr<BrowsingHdb> hdb;
    QTemporaryDir dir;
};

void tst_SeriesCommands::series() {
    const QString out = dir.filePath("s.txt");
    QCOMPARE(cli({"series", hdb->connectionString, "--dsid", "1001", "--step", "day", "--from",
                  "29-Jan-2010", "--to", "3-Feb-2010", "--out", out}),
             0);
    QCOMPARE(read(out), QByteArray("2 1001 Kern River near Bakersfield\r\n"
                                   "DAILY DISCHARGE, CFS\r\n"
                                   "29 JAN 2010 129\r\n30 JAN 2010 130\r\n31 JAN 2010 131\r\n"));
    QCOMPARE(cli({"acre-feet", out}), 0);
    QVERIFY(read(out).contains("DAILY DISCHARGE, ACRE-FEET\r\n29 JAN 2010 256\r\n"));
    QCOMPARE(cli({"acre-feet", out}), 1);

    QCOMPARE(cli({"series", hdb->connectionString, "--dsid", "1001", "--step", "unitshift",
                  "--from", "1/30/2010", "--to", "31-Jan-2010", "--out", out}),
             0);
    QCOMPARE(read(out), QByteArray("7 1001 Kern River near Bakersfield\r\n"
                                   "UNIT SHIFT DISCHARGE, \r\n"
                                   "30 Jan 2010 00:00 30\r\n31 Jan 2010 00:00 31\r\n"));

    const QString dump = dir.filePath("TMP.out");
    QCOMPARE(cli({"dump", hdb->connectionString,
                  "SELECT datatype_site_id, unit_name FROM rsite WHERE site_id=2", "--out", dump}),
             0);
    QCOMPARE(read(dump), QByteArray("datatype_site_id\tunit_name\t\r\n2001\tacre-feet\t\r\n"));
}

void tst_SeriesCommands::refused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString c = QStringLiteral("Provider=SQLite;Data Source=") + "%DB%";
    QTest::newRow("unknown step") << QStringList{"series", c,           "--dsid", "1001",
                                                 "--step", "week",      "--from", "1-Jan-2010",
                                                 "--to",   "2-Jan-2010"}
                                  << 2 << "--step";
    QTest::newRow("missing --to") << QStringList{"series", c,     "--dsid", "1001",
                                                 "--step", "day", "--from", "1-Jan-2010"}
                                  << 2 << "--to";
    QTest::newRow("key that is no number")
        << QStringList{"series", c,        "--dsid",     "1001 OR 1=1", "--step",
                       "day",    "--from", "1-Jan-2010", "--to",        "2-Jan-2010"}
        << 1 << "not a number";
    QTest::newRow("unknown parameter")
        << QStringList{"series", c,        "--dsid",     "9",    "--step",
                       "day",    "--from", "1-Jan-2010", "--to", "2-Jan-2010"}
        << 1 << "no parameter 9";
    QTest::newRow("no rows in the span")
        << QStringList{"series", c,        "--dsid",     "1001", "--step",
                       "day",    "--from", "1-Jan-1990", "--to", "2-Jan-1990"}
        << 1 << "no records";
    QTest::newRow("acre-feet of a missing file")
        << QStringList{"acre-feet", "/nonexistent/x.txt"} << 1 << "cannot be read";
}

void tst_SeriesCommands::refused() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    args.replaceInStrings("%DB%", hdb->path);
    QString err;
    QCOMPARE(cli(args, &err), status);
    QVERIFY2(err.contains(message, Qt::CaseInsensitive), qPrintable(err));
    QCOMPARE(err.count('\n'), 1);
}

QTEST_GUILESS_MAIN(tst_SeriesCommands)
#include "tst_SeriesCommands.moc"
