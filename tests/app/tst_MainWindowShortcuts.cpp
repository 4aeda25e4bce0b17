#include "MainWindowFixture.h"

#include <QKeySequence>

using namespace rp;
using namespace rp::test;

// The keyboard shortcuts of the command row: each clicks its button, and only when the button
// is available.
class tst_MainWindowShortcuts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<BrowsingHdb>(); }
    void shortcutClicksItsButton_data();
    void shortcutClicksItsButton();

private:
    std::unique_ptr<BrowsingHdb> hdb;
};

void tst_MainWindowShortcuts::shortcutClicksItsButton_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("steps"); // 1: a site's parameters listed; 2: and one retrieved
    QTest::addColumn<bool>("clicked");

    const auto row = [](const char* name, const char* keys, const char* button, int steps,
                        bool clicked) {
        QTest::newRow(name) << QString::fromLatin1(keys) << QString::fromLatin1(button) << steps
                            << clicked;
    };
    row("Ctrl+L site list", "Ctrl+L", "siteIDbutton", 0, true);
    row("F5 without a parameter list", "F5", "Getbutton", 0, false);
    row("F5 on a parameter list", "F5", "Getbutton", 1, true);
    row("Ctrl+L on a parameter list", "Ctrl+L", "siteIDbutton", 1, true);
    row("Ctrl+G without a series", "Ctrl+G", "ViewGraphbutton", 0, false);
    row("Ctrl+G on a series", "Ctrl+G", "ViewGraphbutton", 2, true);
}

void tst_MainWindowShortcuts::shortcutClicksItsButton() {
    QFETCH(QString, keys);
    QFETCH(QString, button);
    QFETCH(int, steps);
    QFETCH(bool, clicked);
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    if (steps >= 1) {
        QVERIFY(f.rows() > 0);
        f.doubleClickRow(0);
        QTRY_VERIFY(!f.text("Text1").isEmpty());
        f.selectRow(0);
    }
    if (steps >= 2) {
        const QString site = f.text("Text1");
        f.click("Getbutton");
        QTRY_VERIFY(f.text("Text1") != site);
        QVERIFY2(f.rows() > 0, qPrintable(f.dialogs.messages.join(QLatin1Char('\n'))));
    }
    QPushButton* target = f.button(button.toLatin1().constData());
    QVERIFY(target);
    QCOMPARE(target->isEnabled(), clicked);
    QVERIFY(target->toolTip().endsWith(QStringLiteral(" (%1)").arg(keys)));

    QSignalSpy spy(target, &QPushButton::clicked);
    const QKeySequence sequence(keys);
    QTest::keySequence(f.window.get(), sequence);
    if (clicked)
        QTRY_COMPARE(spy.count(), 1);
    else {
        QTest::qWait(300);
        QCOMPARE(spy.count(), 0);
    }
}

QTEST_MAIN(tst_MainWindowShortcuts)
#include "tst_MainWindowShortcuts.moc"
