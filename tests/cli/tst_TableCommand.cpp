#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_TableCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void writesReport_data();
    void writesReport();
    void defaultOutputInCurrentFolder();
    void failures_data();
    void failures();
    void help();

private:
    struct Result {
        int status;
        QByteArray out;
        QByteArray err;
    };
    Result run(const QStringList& args);
    QString golden(const QString& name) {
        return QFINDTESTDATA("../reports/golden") + QLatin1Char('/') + name;
    }
    QString write(const QString& name, const QByteArray& bytes);
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_TableCommand::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

tst_TableCommand::Result tst_TableCommand::run(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(QStringLiteral(RIVELPOST_CLI), QStringList{QStringLiteral("table")} + args);
    if (!p.waitForFinished(60000))
        qFatal("rivelpost-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString tst_TableCommand::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_TableCommand::writesReport_data() {
    QTest::addColumn<QString>("caseName");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("daily") << "daily-cfs" << QStringList{"--station", "2", "--date", "01-05-2026"};
    QTest::newRow("spreadsheet layout")
        << "daily-watertemp-excel"
        << QStringList{"--excel", "--station", "1", "--date", "01-05-2026"};
    QTest::newRow("water year") << "daily-water-year"
                                << QStringList{"--water-year", "--station", "2", "--date",
                                               "12-31-2025"};
    QTest::newRow("hourly") << "hourly-flow" << QStringList{};
    QTest::newRow("monthly") << "monthly-cfs" << QStringList{};
}

void tst_TableCommand::writesReport() {
    QFETCH(QString, caseName);
    QFETCH(QStringList, options);
    const QString out = m_dir->filePath(QStringLiteral("report.txt"));
    const Result r = run(
        QStringList{golden(caseName + QStringLiteral("/input.txt")), QStringLiteral("--out"), out} +
        options);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QCOMPARE(read(out), read(golden(caseName + QStringLiteral("/expected.txt"))));
}

void tst_TableCommand::defaultOutputInCurrentFolder() {
    const Result r =
        run({golden(QStringLiteral("daily-cfs/input.txt")), QStringLiteral("--date"),
             QStringLiteral("01-05-2026"), QStringLiteral("--station"), QStringLiteral("2")});
    QCOMPARE(r.status, 0);
    QCOMPARE(read(m_dir->filePath(QStringLiteral("lasttable.txt"))),
             read(golden(QStringLiteral("daily-cfs/expected.txt"))));
}

void tst_TableCommand::failures_data() {
    QTest::addColumn<QByteArray>("series");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QByteArray daily = "2 1 SITE\r\nDAILY FLOW, CFS\r\n01 JAN 1999 5\r\n";
    QTest::newRow("unit values") << QByteArray("4 1 SITE\r\nUNIT VALUES FLOW, CFS\r\n")
                                 << QStringList{} << 1 << "unit values";
    QTest::newRow("unit shift") << QByteArray("7 1 SITE\r\nUNIT SHIFT FLOW, \r\n") << QStringList{}
                                << 1 << "unit values";
    QTest::newRow("malformed line after pages were written")
        << daily + "01 JAN 2000 5\r\n01 XXX 2000 1\r\n"
        << QStringList{} << 1 << "Line 5";
    QTest::newRow("bad date") << daily << QStringList{"--date", "2026-01-05"} << 2 << "--date";
    QTest::newRow("unknown option") << daily << QStringList{"--pdf"} << 2 << "--pdf";
    QTest::newRow("missing value") << daily << QStringList{"--station"} << 2 << "--station";
}

void tst_TableCommand::failures() {
    QFETCH(QByteArray, series);
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    const QString input = write(QStringLiteral("series.txt"), series);
    // A failed run leaves the previous report as it was, and nothing beside it.
    const QByteArray previous = "the previous report\r\n";
    const QString out = write(QStringLiteral("report.txt"), previous);
    const Result r = run(QStringList{input, QStringLiteral("--out"), out, QStringLiteral("--date"),
                                     QStringLiteral("01-05-2026")} +
                         options);
    QTEST(r.status, "status");
    QVERIFY2(r.err.contains(message.toLatin1()), r.err.constData());
    QCOMPARE(r.err.count('\n'), 1);
    QCOMPARE(read(out), previous);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"report.txt", "series.txt"}));
}

void tst_TableCommand::help() {
    const Result r = run({QStringLiteral("--help")});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.startsWith("usage: rivelpost-cli table SERIESFILE"));

    const Result missing = run({});
    QCOMPARE(missing.status, 2);
    const Result absent = run({m_dir->filePath(QStringLiteral("absent.txt"))});
    QCOMPARE(absent.status, 1);
    QVERIFY(absent.err.contains("absent.txt"));
}

QTEST_GUILESS_MAIN(tst_TableCommand)
#include "tst_TableCommand.moc"
