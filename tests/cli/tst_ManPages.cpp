#include "ToolRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The manual pages and the bash completion are written by hand beside the programs' --help
// texts; these tests keep them from drifting apart.
class tst_ManPages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyCommandIsDocumented_data();
    void everyCommandIsDocumented();
    void contigOptionsAreDocumented();
    void version_data();
    void version();

private:
    static QString read(const QString& path);
    // The man page text from the line that starts with *command* to the next such entry.
    QString section(const QString& command) const;

    QString m_cliPage;
    QString m_contigPage;
    QString m_completion;
    QStringList m_commands;
};

QString tst_ManPages::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

QString tst_ManPages::section(const QString& command) const {
    const QStringList lines = m_cliPage.split(QLatin1Char('\n'));
    const QString head = QLatin1Char('*') + command + QLatin1Char('*');
    QString text;
    bool inside = false;
    for (const QString& line : lines) {
        const bool entry = line.startsWith(QLatin1Char('*')) || line.startsWith(QLatin1Char('#'));
        if (entry && inside)
            break;
        if (line.startsWith(head + QLatin1Char(' ')) || line == head)
            inside = true;
        if (inside)
            text += line + QLatin1Char('\n');
    }
    return text;
}

void tst_ManPages::initTestCase() {
    m_cliPage = read(QFINDTESTDATA("../../docs/man/rivelpost-cli.1.scd"));
    m_contigPage = read(QFINDTESTDATA("../../docs/man/rivelpost-contig.1.scd"));
    m_completion = read(QFINDTESTDATA("../../packaging/rivelpost-cli.bash-completion"));
    const rp::test::ToolRun help =
        rp::test::runTool(QStringLiteral(RIVELPOST_CLI), {QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    // "  name      summary" lines follow "Commands:".
    static const QRegularExpression commandLine(QStringLiteral("^  ([a-z][a-z-]*) "),
                                                QRegularExpression::MultilineOption);
    for (auto it = commandLine.globalMatch(help.out); it.hasNext();)
        m_commands << it.next().captured(1);
    QVERIFY2(m_commands.size() >= 12, qPrintable(help.out));
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QVERIFY2(help.out.contains(option), qPrintable(option));
        QVERIFY2(m_cliPage.contains(QLatin1Char('*') + option + QLatin1Char('*')),
                 qPrintable(option));
        QVERIFY2(m_completion.contains(option), qPrintable(option));
    }
}

void tst_ManPages::everyCommandIsDocumented_data() {
    QTest::addColumn<QString>("command");
    for (const QString& command : std::as_const(m_commands))
        QTest::newRow(qPrintable(command)) << command;
}

void tst_ManPages::everyCommandIsDocumented() {
    QFETCH(QString, command);
    const QString text = section(command);
    QVERIFY2(!text.isEmpty(), qPrintable(command + " has no entry under COMMANDS"));
    QVERIFY2(
        QRegularExpression(QStringLiteral("\\b%1\\b").arg(command)).match(m_completion).hasMatch(),
        qPrintable(command + " is not completed"));
    const rp::test::ToolRun help =
        rp::test::runTool(QStringLiteral(RIVELPOST_CLI), {command, QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    static const QRegularExpression option(QStringLiteral("(--[a-z][a-z0-9-]*)"));
    for (auto it = option.globalMatch(help.out); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (name == QLatin1String("--help"))
            continue;
        QVERIFY2(text.contains(QLatin1Char('*') + name + QLatin1Char('*')),
                 qPrintable(command + ' ' + name + " is missing from the man page"));
        QVERIFY2(m_completion.contains(name),
                 qPrintable(command + ' ' + name + " is missing from the completion"));
    }
}

void tst_ManPages::contigOptionsAreDocumented() {
    const rp::test::ToolRun help =
        rp::test::runTool(QStringLiteral(RIVELPOST_CONTIG), {QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    static const QRegularExpression option(QStringLiteral("^  (-[-a-z]+)"),
                                           QRegularExpression::MultilineOption);
    int count = 0;
    for (auto it = option.globalMatch(help.out); it.hasNext(); ++count) {
        const QString name = it.next().captured(1);
        QVERIFY2(m_contigPage.contains(QLatin1Char('*') + name + QLatin1Char('*')),
                 qPrintable(name + " is missing from the man page"));
    }
    QVERIFY2(count >= 3, qPrintable(help.out));
}

void tst_ManPages::version_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::newRow("cli") << QStringLiteral(RIVELPOST_CLI) << QStringLiteral("rivelpost-cli");
    QTest::newRow("contig") << QStringLiteral(RIVELPOST_CONTIG)
                            << QStringLiteral("rivelpost-contig");
}

void tst_ManPages::version() {
    QFETCH(QString, program);
    QFETCH(QString, name);
    const rp::test::ToolRun run = rp::test::runTool(program, {QStringLiteral("--version")});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("%1 %2.%3.%4\n")
                          .arg(name)
                          .arg(RIVELPOST_VERSION_MAJOR)
                          .arg(RIVELPOST_VERSION_MINOR)
                          .arg(RIVELPOST_VERSION_PATCH));
}

QTEST_GUILESS_MAIN(tst_ManPages)
#include "tst_ManPages.moc"
