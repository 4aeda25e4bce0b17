// Passwords and the command line: every command that takes a connection string says how to leave
// the password out, warns when one is given, and never shows it.
#include "ToolRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using rp::test::runTool;

class tst_CliPasswords : public QObject {
    Q_OBJECT
private slots:
    void helpSaysWhereThePasswordComesFrom_data();
    void helpSaysWhereThePasswordComesFrom();
    void passwordOnTheCommandLine_data();
    void passwordOnTheCommandLine();
    void noWarningWithoutPassword();
};

void tst_CliPasswords::helpSaysWhereThePasswordComesFrom_data() {
    QTest::addColumn<QString>("command");
    for (const char* command :
         {"init-db", "demo-db", "sql", "series", "dump", "import", "apply-update", "table"})
        QTest::newRow(command) << command;
}

void tst_CliPasswords::helpSaysWhereThePasswordComesFrom() {
    QFETCH(QString, command);
    const auto run = runTool(QStringLiteral(RIVELPOST_CLI), {command, QStringLiteral("--help")});
    QCOMPARE(run.status, 0);
    for (const char* source : {"PGPASSWORD", "PGPASSFILE", "~/.pgpass", "Passfile="})
        QVERIFY2(run.out.contains(QLatin1String(source)), qPrintable(run.out));
}

void tst_CliPasswords::passwordOnTheCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    // Port 1 refuses at once: nothing is reached, only messages come back.
    const QString pg = QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=d;");
    QTest::newRow("sql") << QStringList{"sql", pg + "Password=Hunter2", "SELECT 1"};
    QTest::newRow("no-break space before the key, no provider")
        << QStringList{"sql", "Host=h;" + QString(QChar(0xA0)) + "Password=Hunter2", "SELECT 1"};
    QTest::newRow("em space, blank before =")
        << QStringList{"dump", pg + QChar(0x2003) + "PWD =Hunter2", "SELECT 1"};
    QTest::newRow("import destination")
        << QStringList{"import", "absent.sqlite", pg + "password=Hunter2"};
    QTest::newRow("password cut at an unquoted ;")
        << QStringList{"init-db", pg + "Password=Hun;ter2"};
    QTest::newRow("table --connection") << QStringList{
        "table", "absent.txt", "--connection", pg + "Password=Hunter2", "--dsid", "1"};
}

void tst_CliPasswords::passwordOnTheCommandLine() {
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto run = runTool(QStringLiteral(RIVELPOST_CLI), arguments);
    QVERIFY2(run.status != 0, qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("warning: a password on the command line")),
             qPrintable(run.err));
    for (const char* piece : {"Hunter2", "Hun", "ter2"}) {
        QVERIFY2(!run.err.contains(QLatin1String(piece), Qt::CaseInsensitive), qPrintable(run.err));
        QVERIFY2(!run.out.contains(QLatin1String(piece), Qt::CaseInsensitive), qPrintable(run.out));
    }
}

void tst_CliPasswords::noWarningWithoutPassword() {
    const auto run = runTool(
        QStringLiteral(RIVELPOST_CLI),
        {"sql", "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=d;User ID=ann", "SELECT 1"});
    QCOMPARE(run.status, 1);
    QVERIFY2(!run.err.contains(QLatin1String("warning")), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(tst_CliPasswords)
#include "tst_CliPasswords.moc"
