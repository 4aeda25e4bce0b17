#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;

class tst_TableWriteBack : public QObject {
    Q_OBJECT
private slots:
    void init();
    void writes_data();
    void writes();
    void refused_data();
    void refused();
    void partOfAYearIsNamed();

private:
    struct Result {
        int status;
        QByteArray err;
    };
    Result run(const QStringList& args);
    QStringList rows(const QString& table);
    QString write(const QString& name, const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_connection;
    std::shared_ptr<Database> m_db;
};

void tst_TableWriteBack::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_connection =
        QStringLiteral("Provider=SQLite;Data Source=%1").arg(m_dir->filePath("hdb.sqlite"));
    m_db = createHdb(m_connection);
    m_db->execute(QStringLiteral("INSERT INTO rmonth VALUES (1001, #3/01/2005#, 1, 1)"));
    m_db->executeNative(
        QStringLiteral("INSERT INTO rsite (site_id, datatype_site_id) VALUES (1, 1001)"));
}

tst_TableWriteBack::Result tst_TableWriteBack::run(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(QStringLiteral(RIVELPOST_CLI), QStringList{QStringLiteral("table")} + args);
    if (!p.waitForFinished(60000))
        qFatal("rivelpost-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
}

QStringList tst_TableWriteBack::rows(const QString& table) {
    auto rs = m_db->open(
        QStringLiteral("SELECT datatype_site_id, date_time, value, source FROM %1 ORDER BY "
                       "datatype_site_id, date_time")
            .arg(table),
        LockType::ReadOnly);
    QStringList list;
    for (qsizetype r = 0; r < rs->recordCount(); ++r) {
        QStringList fields;
        for (int f = 0; f < 4; ++f)
            fields << rs->displayText(r, f);
        list << fields.join(QLatin1Char(' '));
    }
    return list;
}

QString tst_TableWriteBack::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_TableWriteBack::writes_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("months");
    QTest::addColumn<QStringList>("years");
    const QString old = QStringLiteral("1001 3/1/2005 1 1");
    QTest::newRow("both") << QStringList{"--write-monthly", "--write-yearly"}
                          << QStringList{"1001 3/1/2005 198 5", "1001 4/1/2005 20 5"}
                          << QStringList{"1001 1/1/2005 218.185 5"};
    QTest::newRow("yearly only") << QStringList{"--write-yearly"} << QStringList{old}
                                 << QStringList{"1001 1/1/2005 218.185 5"};
    QTest::newRow("monthly only") << QStringList{"--write-monthly"}
                                  << QStringList{"1001 3/1/2005 198 5", "1001 4/1/2005 20 5"}
                                  << QStringList{};
    QTest::newRow("connection alone writes nothing")
        << QStringList{} << QStringList{old} << QStringList{};
}

void tst_TableWriteBack::writes() {
    QFETCH(QStringList, options);
    const QString input = write(QStringLiteral("lastout.txt"),
                                "2 1001 KERN R\r\nDAILY DISCHARGE, CFS\r\n01 MAR 2005 40\r\n"
                                "02 MAR 2005 60\r\n01 APR 2005 10\r\n");
    const Result r =
        run(QStringList{input, "--connection", m_connection, "--dsid", "1001"} + options);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QVERIFY(QFile::exists(m_dir->filePath("lasttable.txt")));
    QTEST(rows(QStringLiteral("rmonth")), "months");
    QTEST(rows(QStringLiteral("ryear")), "years");
}

void tst_TableWriteBack::refused_data() {
    QTest::addColumn<QByteArray>("series");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QByteArray daily = "2 1001 SITE\r\nDAILY FLOW, CFS\r\n01 MAR 2005 5\r\n";
    const QString db = QStringLiteral("Provider=SQLite;Data Source=%1");
    QTest::newRow("no connection")
        << daily << QStringList{"--dsid", "1001", "--write-monthly"} << 2 << "--connection";
    QTest::newRow("no dsid") << daily << QStringList{"--connection", db, "--write-yearly"} << 2
                             << "--dsid";
    QTest::newRow("dsid not an identifier")
        << daily << QStringList{"--connection", db, "--dsid", "1 or 1=1", "--write-yearly"} << 2
        << "datatype_site_id";
    QTest::newRow("dsid without a value")
        << daily << QStringList{"--write-yearly", "--dsid"} << 2 << "--dsid needs a value";
    QTest::newRow("daily maximum series")
        << QByteArray("5 1 SITE\r\nDAILY MAXIMUM FLOW, CFS\r\n01 MAR 2005 5\r\n")
        << QStringList{"--connection", db, "--dsid", "1001", "--write-monthly"} << 1
        << "daily series";
    QTest::newRow("Access database")
        << daily
        << QStringList{"--connection", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb",
                       "--dsid", "1001", "--write-monthly"}
        << 1 << "Access";
    const QStringList both{"--connection",  db, "--dsid", "1001", "--write-monthly",
                           "--write-yearly"};
    QTest::newRow("another parameter's series")
        << QByteArray("2 1002 SITE\r\nDAILY FLOW, CFS\r\n01 MAR 2004 5\r\n01 MAR 2005 5\r\n")
        << both << 1 << "not of 1001";
    QTest::newRow("dates not ascending")
        << QByteArray("2 1001 SITE\r\nDAILY FLOW, CFS\r\n01 MAR 2005 5\r\n01 MAR 2004 5\r\n")
        << both << 1 << "ascending";
    QTest::newRow("cut short")
        << QByteArray("2 1001 SITE\r\nDAILY FLOW, CFS\r\n01 MAR 2004 5\r\n01 MAR 2005 5") << both
        << 1 << "cut short";
}

void tst_TableWriteBack::partOfAYearIsNamed() {
    const QString input = write(QStringLiteral("lastout.txt"),
                                "2 1001 KERN R\r\nDAILY DISCHARGE, CFS\r\n15 MAR 2005 40\r\n"
                                "01 APR 2005 10\r\n");
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(QStringLiteral(RIVELPOST_CLI),
            {"table", input, "--connection", m_connection, "--dsid", "1001", "--write-monthly"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QByteArray out = p.readAllStandardOutput();
    QVERIFY2(out.contains("March 2005"), out.constData());
    QCOMPARE(rows(QStringLiteral("rmonth")),
             (QStringList{"1001 3/1/2005 1 1", "1001 4/1/2005 20 5"}));
}

void tst_TableWriteBack::refused() {
    QFETCH(QByteArray, series);
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    const QString input = write(QStringLiteral("series.txt"), series);
    options.replaceInStrings(QStringLiteral("%1"), m_dir->filePath("hdb.sqlite"));
    const Result r = run(QStringList{input} + options);
    QTEST(r.status, "status");
    QVERIFY2(r.err.contains(message.toLatin1()), r.err.constData());
    QCOMPARE(r.err.count('\n'), 1);
    QCOMPARE(rows(QStringLiteral("rmonth")), QStringList{"1001 3/1/2005 1 1"});
    QCOMPARE(rows(QStringLiteral("ryear")), QStringList{});
}

QTEST_GUILESS_MAIN(tst_TableWriteBack)
#include "tst_TableWriteBack.moc"
