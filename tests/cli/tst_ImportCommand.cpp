// rivelpost-cli import: an HDB copied into a new one, progress on standard error, and the
// refusals that leave the destination untouched.

#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using rp::test::runTool;

class tst_ImportCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void copiesAndReports();
    void copiesIntoAnEmptyHdbFromInitDb();
    void refusals_data();
    void refusals();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void tst_ImportCommand::initTestCase() {
    QVERIFY(m_dir.isValid());
    const auto r = runTool(QStringLiteral(RIVELPOST_CLI),
                           {QStringLiteral("demo-db"), path(QStringLiteral("source.sqlite")),
                            QStringLiteral("--until"), QStringLiteral("1981-03-31")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
}

void tst_ImportCommand::copiesAndReports() {
    const auto r = runTool(QStringLiteral(RIVELPOST_CLI),
                           {QStringLiteral("import"), path(QStringLiteral("source.sqlite")),
                            path(QStringLiteral("copy.sqlite"))});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains(QLatin1String("rsite: ")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QLatin1String("rday: ")), qPrintable(r.err));
    QVERIFY(r.out.startsWith(QLatin1String("Copied ")));
    // Every table holds the same rows as the source's.
    const QString count = QStringLiteral(
        "SELECT (SELECT count(*) FROM rsite) & ' ' & (SELECT count(*) FROM rday) & ' ' & "
        "(SELECT count(*) FROM rmonth) & ' ' & (SELECT sum(value) FROM rday)");
    auto query = [&](const QString& file) {
        return runTool(QStringLiteral(RIVELPOST_CLI),
                       {QStringLiteral("sql"),
                        QStringLiteral("Provider=SQLite;Data Source=") + path(file), count})
            .out;
    };
    const QString source = query(QStringLiteral("source.sqlite"));
    QVERIFY(source.count(QLatin1Char('\n')) == 2);
    QCOMPARE(query(QStringLiteral("copy.sqlite")), source);
}

void tst_ImportCommand::copiesIntoAnEmptyHdbFromInitDb() {
    const QString target = QStringLiteral("Provider=SQLite;Data Source=") + path("empty.sqlite");
    auto r = runTool(QStringLiteral(RIVELPOST_CLI), {QStringLiteral("init-db"), target});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    r = runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("import"), path(QStringLiteral("source.sqlite")), target});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY(r.out.startsWith(QLatin1String("Copied ")));
    // A second import finds rows there and is refused.
    r = runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("import"), path(QStringLiteral("source.sqlite")), target});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QLatin1String("holds rows in rsite")), qPrintable(r.err));
}

void tst_ImportCommand::refusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("inMessage");
    QTest::newRow("one argument") << QStringList{QStringLiteral("x.sqlite")} << 2
                                  << "two arguments";
    QTest::newRow("missing source")
        << QStringList{QStringLiteral("missing.sqlite"), QStringLiteral("new1.sqlite")} << 1
        << "does not exist";
    QTest::newRow("existing destination")
        << QStringList{QStringLiteral("source.sqlite"), QStringLiteral("source.sqlite")} << 1
        << "already exists";
    QTest::newRow("password kept out of the message")
        << QStringList{QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User "
                                      "ID=u;Password=hunter2"),
                       QStringLiteral("new2.sqlite")}
        << 1 << "cannot be reached";
}

void tst_ImportCommand::refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, inMessage);
    QStringList args{QStringLiteral("import")};
    for (const QString& a : arguments)
        args.append(a.contains(QLatin1Char('=')) ? a : path(a));
    const QByteArray before = [&] {
        QFile f(path(QStringLiteral("source.sqlite")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const auto r = runTool(QStringLiteral(RIVELPOST_CLI), args);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(inMessage), qPrintable(r.err));
    QVERIFY2(!r.err.contains(QLatin1String("hunter2")), qPrintable(r.err));
    QVERIFY(!QFile::exists(path(QStringLiteral("new1.sqlite"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("new2.sqlite"))));
    QFile f(path(QStringLiteral("source.sqlite")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

QTEST_GUILESS_MAIN(tst_ImportCommand)
#include "tst_ImportCommand.moc"
