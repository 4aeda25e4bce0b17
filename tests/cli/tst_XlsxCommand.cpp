// rivelpost-cli xlsx and apply-update as a script calls them: results, wrong calls and failures.
#include "ToolRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp::test;

namespace {

ToolRun cli(const QStringList& arguments) {
    return runTool(QStringLiteral(RIVELPOST_CLI), arguments);
}

} // namespace

class tst_XlsxCommand : public QObject {
    Q_OBJECT
private slots:
    void exportsSeriesAndReport_data();
    void exportsSeriesAndReport();
    void wrongCalls_data();
    void wrongCalls();
};

void tst_XlsxCommand::exportsSeriesAndReport_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("chart");
    QTest::newRow("series") << QByteArray("2 1 X\r\nDAILY X\r\n01 MAR 1999 1\r\n02 MAR 1999 2\r\n")
                            << QStringList() << true;
    QTest::newRow("report") << QByteArray("\"TITLE\"\r\n1999 1 2\r\n")
                            << QStringList{QStringLiteral("--table")} << false;
    QTest::newRow("unit series with its label spacing")
        << QByteArray("4 1 X\r\nUNIT VALUES X\r\n01 Mar 1999 00:00 1\r\n01 Mar 1999 00:15 2\r\n")
        << QStringList{QStringLiteral("--per-day"), QStringLiteral("96")} << true;
}

void tst_XlsxCommand::exportsSeriesAndReport() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, options);
    QFETCH(bool, chart);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.txt"));
    const QString out = dir.filePath(QStringLiteral("out.xlsx"));
    QFile file(in);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(input);
    file.close();
    const ToolRun r =
        cli(QStringList{QStringLiteral("xlsx"), in, QStringLiteral("--out"), out} + options);
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QString());
    QFile book(out);
    QVERIFY(book.open(QIODevice::ReadOnly));
    const QByteArray bytes = book.readAll();
    QVERIFY(bytes.startsWith("PK"));
    QCOMPARE(bytes.contains("xl/charts/chart1.xml"), chart);
}

void tst_XlsxCommand::wrongCalls_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("xlsx without --out") << QStringList{"xlsx", "in.txt"} << 2 << "--out is missing";
    QTest::newRow("xlsx with a bad count")
        << QStringList{"xlsx", "in.txt", "--out", "o.xlsx", "--per-day", "x"} << 2 << "--per-day";
    QTest::newRow("xlsx of a missing file")
        << QStringList{"xlsx", "/nonexistent/in.txt", "--out", "o.xlsx"} << 1 << "cannot be read";
    QTest::newRow("xlsx --update without a connection")
        << QStringList{"xlsx", "in.txt", "--update", "--out", "DBedit.xlsx"} << 2
        << "--update needs --connection";
    QTest::newRow("xlsx --connection without --update")
        << QStringList{"xlsx", "in.txt", "--connection", "x", "--out", "o.xlsx"} << 2
        << "--connection goes with --update";
    QTest::newRow("xlsx --update of a missing file")
        << QStringList{"xlsx",
                       "/nonexistent/in.txt",
                       "--update",
                       "--connection",
                       "Provider=SQLite;Data Source=x.sqlite",
                       "--out",
                       "DBedit.xlsx"}
        << 1 << "cannot be read";
    QTest::newRow("apply-update without a workbook")
        << QStringList{"apply-update"} << 2 << "no workbook given";
    QTest::newRow("apply-update of no workbook")
        << QStringList{"apply-update", "/nonexistent/DBedit.xlsx"} << 1 << "DBedit.xlsx";
}

void tst_XlsxCommand::wrongCalls() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(RIVELPOST_CLI), args);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
    if (status == 1) // a failure is one line
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
}

QTEST_GUILESS_MAIN(tst_XlsxCommand)
#include "tst_XlsxCommand.moc"
