#include "ConnectionFakes.h"
#include "app/mainwindow/HelpCommand.h"

#include <QtTest>

using namespace rp;
using namespace rp::test;

class tst_HelpCommand : public QObject {
    Q_OBJECT
private slots:
    void help_data();
    void help();
    void installedGuideIsThere();
};

void tst_HelpCommand::help_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("guide");      // the user guide is installed
    QTest::addColumn<bool>("browserStarts");
    QTest::addColumn<QString>("opened");  // GUIDE stands for the guide's address
    QTest::addColumn<QString>("offered"); // the address offered for copying
    QTest::addColumn<QString>("browser"); // what the opener starts
    QTest::addColumn<QString>("title");   // of the box offering the address
    QTest::newRow("No starts nothing") << false << true << true << ""
                                       << ""
                                       << "xdg-open"
                                       << "";
    QTest::newRow("the installed guide") << true << true << true << "GUIDE"
                                         << ""
                                         << "xdg-open"
                                         << "";
    QTest::newRow("the online page without a guide")
        << true << false << true << "https://rivelpost.example.org/Help.aspx"
        << ""
        << "xdg-open"
        << "";
    QTest::newRow("browser fails: the online address to copy")
        << true << false << false << "https://rivelpost.example.org/Help.aspx"
        << "rivelpost.example.org/Help.aspx"
        << "xdg-open"
        << "The web browser (xdg-open) could not be started.";
    QTest::newRow("browser fails: the guide's address to copy")
        << true << true << false << "GUIDE"
        << "GUIDE"
        << "firefox"
        << "The web browser (firefox) could not be started.";
    QTest::newRow("no browser at all")
        << true << false << false << "https://rivelpost.example.org/Help.aspx"
        << "rivelpost.example.org/Help.aspx"
        << ""
        << "No web browser found.";
}

void tst_HelpCommand::help() {
    QFETCH(bool, yes);
    QFETCH(bool, guide);
    QFETCH(bool, browserStarts);
    QFETCH(QString, opened);
    QFETCH(QString, offered);
    QFETCH(QString, browser);
    QFETCH(QString, title);
    QTemporaryDir dir;
    const QString guidePath = dir.filePath(QStringLiteral("index.html"));
    if (guide) {
        QFile file(guidePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString guideUrl = QUrl::fromLocalFile(guidePath).toString();
    ScriptedPrompts prompts;
    prompts.yesNo = {yes};
    QStringList openedUrls;
    HelpCommand command(
        prompts,
        [&](const QUrl& url) {
            openedUrls.append(url.toString());
            return browserStarts;
        },
        guidePath, browser);

    command.run();

    QCOMPARE(prompts.asked.value(0),
             QStringLiteral("question %1 | Would you like to go to online help?")
                 .arg(HelpCommand::versionTitle()));
    QCOMPARE(openedUrls,
             opened.isEmpty() ? QStringList() : QStringList{opened.replace("GUIDE", guideUrl)});
    QCOMPARE(prompts.asked.size(), offered.isEmpty() ? 1 : 2);
    if (!offered.isEmpty())
        QCOMPARE(prompts.asked[1],
                 QStringLiteral("offer %1 | Copy this address to your browser for help:  | ")
                         .arg(title) +
                     offered.replace("GUIDE", guideUrl));
}

void tst_HelpCommand::installedGuideIsThere() {
    // The build tree reads the guide from the sources; an install puts it under share/.
    const QString guide = HelpCommand::installedGuide();
    QVERIFY(!guide.isEmpty());
    QFile file(guide);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    QVERIFY(html.contains("Rivelpost user guide"));
    QVERIFY(html.contains(HelpCommand::helpAddress().toLatin1()));
    QVERIFY(HelpCommand::versionTitle().startsWith(QStringLiteral("Rivelpost %1.%2.%3 ")
                                                       .arg(RIVELPOST_VERSION_MAJOR)
                                                       .arg(RIVELPOST_VERSION_MINOR)
                                                       .arg(RIVELPOST_VERSION_PATCH)));
}

QTEST_GUILESS_MAIN(tst_HelpCommand)
#include "tst_HelpCommand.moc"
