#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Runs the real rivelpost-cli binary.
class tst_Cli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void demoHasTheHdbTables();
    void siteList();
    void seriesAsTheGridShowsIt();
    void actionStatementKeepsQuotedText();
    void initDbCreatesAnEmptyHdb();
    void initDbLeavesAnExistingFileAlone();
    void failures_data();
    void failures();
    void help_data();
    void help();
    void helpListsEachCommandApart();

private:
    struct Result {
        int status;
        QByteArray out;
        QByteArray err;
    };
    Result run(const QStringList& args);
    Result sql(const QString& path, const QString& statement) {
        return run({QStringLiteral("sql"), connection(path), statement});
    }
    static QString connection(const QString& path) {
        return QStringLiteral("Provider=SQLite;Data Source=") + path;
    }
    static QByteArray digest(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    QStringList files() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString m_demo;
};

tst_Cli::Result tst_Cli::run(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(RIVELPOST_CLI), args);
    if (!p.waitForFinished(120000))
        qFatal("rivelpost-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

void tst_Cli::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_demo = m_dir.filePath(QStringLiteral("demo.sqlite"));
    const Result r = run({QStringLiteral("demo-db"), m_demo, QStringLiteral("--until"),
                          QStringLiteral("2025-06-15")});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QVERIFY(QFile::exists(m_demo));
}

void tst_Cli::demoHasTheHdbTables() {
    const Result r =
        sql(m_demo, QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;"));
    QCOMPARE(r.status, 0);
    QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.takeFirst(), QStringLiteral("name"));
    QCOMPARE(lines.takeLast(), QString()); // every line ends with '\n'
    lines.sort();
    QCOMPARE(lines, (QStringList{"rday", "rdaymax", "rdaymin", "rhour", "rmonth", "rsite", "runit",
                                 "runitshift", "ryear"}));
}

void tst_Cli::siteList() {
    const Result r = sql(m_demo, QStringLiteral("SELECT DISTINCT site_id, station_id, site_name, "
                                                "state, reach_id FROM rsite ORDER BY site_id;"));
    QCOMPARE(r.status, 0);
    QVERIFY(!r.out.contains('\r'));
    const QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.first(), QByteArray("site_id\tstation_id\tsite_name\tstate\treach_id"));
    QCOMPARE(lines.at(1), QByteArray("101\t2\tSOUTH FORK KERN RIVER NR ONYX CA\tCA\t18030002"));
    QCOMPARE(lines.size(), 1 + 6 + 1);
}

void tst_Cli::seriesAsTheGridShowsIt() {
    // Dates month first, midnight without a time, values with no trailing zeros.
    const Result r = sql(m_demo, QStringLiteral("SELECT * FROM runit WHERE datatype_site_id=1013 "
                                                "AND date_time BETWEEN #14-Jun-2025# AND "
                                                "#15-Jun-2025# ORDER BY date_time;"));
    QCOMPARE(r.status, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.first(), QByteArray("datatype_site_id\tdate_time\tvalue\tsource"));
    QCOMPARE(lines.size(), 1 + 48 + 1 + 1);
    QVERIFY2(lines.at(1).startsWith("1013\t6/14/2025\t"), lines.at(1).constData());
    QVERIFY2(lines.at(2).startsWith("1013\t6/14/2025 12:30:00 AM\t"), lines.at(2).constData());
    QVERIFY2(lines.at(49).startsWith("1013\t6/15/2025\t"), lines.at(49).constData());
}

void tst_Cli::actionStatementKeepsQuotedText() {
    const QString copy = m_dir.filePath(QStringLiteral("edit.sqlite"));
    QVERIFY(QFile::copy(m_demo, copy));
    const QString update =
        QStringLiteral("UPDATE rsite SET site_name='Río Kern' WHERE site_id=101;");
    const Result r = sql(copy, update);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, (QStringLiteral("FINISHED: ") + update.toUpper() + QLatin1Char('\n')).toUtf8());
    const Result after =
        sql(copy, QStringLiteral("SELECT DISTINCT site_name FROM rsite WHERE site_id=101;"));
    QCOMPARE(after.out, QStringLiteral("site_name\nRío Kern\n").toUtf8());
    QVERIFY(QFile::remove(copy));
}

void tst_Cli::initDbCreatesAnEmptyHdb() {
    const QString path = m_dir.filePath(QStringLiteral("empty.sqlite"));
    const Result r = run({QStringLiteral("init-db"), connection(path)});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    const Result tables =
        sql(path, QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;"));
    QCOMPARE(tables.out.count('\n'), 1 + 9);
    const Result rows = sql(path, QStringLiteral("SELECT * FROM rsite;"));
    QCOMPARE(rows.out, QByteArray("site_id\tstation_id\tsite_name\tstate\treach_id\t"
                                  "datatype_site_id\tdatatype_name\tunit_name\tdatatype_id\n"));
    QVERIFY(QFile::remove(path));
}

void tst_Cli::initDbLeavesAnExistingFileAlone() {
    const QString path = m_dir.filePath(QStringLiteral("precious.db"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("my own notes");
    f.close();
    const QStringList before = files();
    const Result r = run({QStringLiteral("init-db"), connection(path)});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith("rivelpost-cli: ") && r.err.contains("already exists"),
             r.err.constData());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("my own notes"));
    f.close();
    QCOMPARE(files(), before);
    QVERIFY(QFile::remove(path));
}

void tst_Cli::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QString demo = QStringLiteral("Provider=SQLite;Data Source=demo.sqlite");
    const QString select = QStringLiteral("SELECT * FROM rsite;");
    QTest::newRow("garbage connection string")
        << QStringList{"sql", "just some words", select} << 1 << "just some words";
    QTest::newRow("missing file") << QStringList{"sql", "Provider=SQLite;Data Source=absent.sqlite",
                                                 select}
                                  << 1 << "absent.sqlite";
    QTest::newRow("sql error") << QStringList{"sql", demo, "SELECT * FROM nosuch;"} << 1
                               << "nosuch";
    QTest::newRow("failed update")
        << QStringList{"sql", demo, "UPDATE nosuch SET value=1;"} << 1 << "nosuch";
    QTest::newRow("unterminated date")
        << QStringList{"sql", demo, "DELETE FROM rday WHERE date_time < #05-Mar-1999;"} << 1
        << "closing #";
    QTest::newRow("unterminated bracket")
        << QStringList{"sql", demo, "DELETE FROM [rday WHERE value=1;"} << 1 << "closing ]";
    QTest::newRow("only a comment")
        << QStringList{"sql", demo, "-- DELETE FROM rday"} << 1 << "empty";
    QTest::newRow("sql without statement") << QStringList{"sql", demo} << 2 << "two arguments";
    QTest::newRow("init-db on a non-SQLite provider")
        << QStringList{"init-db", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=new.mdb"} << 1
        << "SQLite";
    QTest::newRow("init-db without argument") << QStringList{"init-db"} << 2 << "connection string";
    QTest::newRow("demo-db bad date")
        << QStringList{"demo-db", "x.sqlite", "--until", "15/06/2025"} << 2 << "15/06/2025";
    QTest::newRow("demo-db unknown option")
        << QStringList{"demo-db", "x.sqlite", "--fast"} << 2 << "--fast";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "frobnicate";
    QTest::newRow("no command") << QStringList{} << 2 << "no command";
}

void tst_Cli::failures() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QStringList before = files();
    const QByteArray demo = digest(m_demo);
    const Result r = run(args);
    QCOMPARE(r.status, status);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith("rivelpost-cli: "), r.err.constData());
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.endsWith('\n'));
    // Nothing written: no new file, the database unchanged.
    QCOMPARE(files(), before);
    QCOMPARE(digest(m_demo), demo);
}

void tst_Cli::help_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("start");
    QTest::newRow("program") << QStringList{"--help"} << "Usage: rivelpost-cli COMMAND";
    QTest::newRow("init-db") << QStringList{"init-db", "--help"} << "Usage: rivelpost-cli init-db";
    QTest::newRow("demo-db") << QStringList{"demo-db", "--help"} << "Usage: rivelpost-cli demo-db";
    QTest::newRow("sql, help after arguments")
        << QStringList{"sql", "x", "--help"} << "Usage: rivelpost-cli sql";
}

void tst_Cli::help() {
    QFETCH(QStringList, args);
    QFETCH(QString, start);
    const Result r = run(args);
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QByteArray());
    QVERIFY2(r.out.startsWith(start.toUtf8()), r.out.constData());
    QVERIFY(!r.out.contains('\r'));
}

void tst_Cli::helpListsEachCommandApart() {
    const Result r = run({QStringLiteral("--help")});
    QCOMPARE(r.status, 0);
    const QString out = QString::fromUtf8(r.out);
    // Every command line reads "  NAME  summary": a long name must not run into its summary.
    const QStringList names{"init-db",      "demo-db",   "sql",    "compact", "series",
                            "dump",         "acre-feet", "import", "load",    "xlsx",
                            "apply-update", "chart",     "table"};
    for (const QString& name : names) {
        const QRegularExpression line(
            QStringLiteral("^  %1  +\\S").arg(QRegularExpression::escape(name)),
            QRegularExpression::MultilineOption);
        QVERIFY2(line.match(out).hasMatch(), qPrintable(name + QStringLiteral(" in\n") + out));
    }
    QVERIFY2(out.contains(QStringLiteral("PNG, SVG or PDF")), qPrintable(out));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
