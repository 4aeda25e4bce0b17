#include "MainWindowFixture.h"

#include <QKeySequence>

using namespace rp;
using namespace rp::test;

// The keyboard shortcuts of the command row: each clicks its button, and only when the button
// is available. The grid's keys, and the tips of the controls that enable GO.
class tst_MainWindowShortcuts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<BrowsingHdb>(); }
    void shortcutClicksItsButton_data();
    void shortcutClicksItsButton();
    void enterDoesWhatDoubleClickDoes_data();
    void enterDoesWhatDoubleClickDoes();
    void tabLeavesTheGrid();
    void toolTipsSayHowGoIsEnabled_data();
    void toolTipsSayHowGoIsEnabled();

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

void tst_MainWindowShortcuts::enterDoesWhatDoubleClickDoes_data() {
    QTest::addColumn<int>("steps"); // 0: the site list; 1: a site's parameters; 2: a series
    QTest::addColumn<bool>("lists");
    QTest::newRow("site row") << 0 << true;
    QTest::newRow("parameter row") << 1 << true;
    QTest::newRow("series row") << 2 << false;
}

void tst_MainWindowShortcuts::enterDoesWhatDoubleClickDoes() {
    QFETCH(int, steps);
    QFETCH(bool, lists);
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    if (steps >= 1) {
        f.doubleClickRow(0);
        QTRY_COMPARE(f.text("Text1"), QStringLiteral("1"));
    }
    if (steps >= 2) {
        f.selectRow(0);
        f.click("Getbutton");
        QTRY_COMPARE(f.label1(), QStringLiteral("DSID"));
    }
    const QString sqlBefore = f.sql();
    f.selectRow(0);
    f.grid()->setFocus();
    QSignalSpy replaced(f.window.get(), &MainWindow::resultReplaced);
    QTest::keyClick(f.grid(), Qt::Key_Return);
    if (lists) {
        // The site's parameters with data, as a double-click lists them.
        QTRY_COMPARE(replaced.count(), 1);
        QCOMPARE(f.text("Text1"), QStringLiteral("1"));
        QVERIFY2(f.sql().contains(QLatin1String("BETWEEN")), qPrintable(f.sql()));
        QCOMPARE(f.caption(0), QStringLiteral("site_id"));
    } else {
        QTest::qWait(100);
        QCOMPARE(replaced.count(), 0);
        QCOMPARE(f.sql(), sqlBefore);
    }
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_MainWindowShortcuts::tabLeavesTheGrid() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.selectRow(1);
    f.grid()->setFocus();
    QTRY_VERIFY(f.grid()->hasFocus());
    QTest::keyClick(f.grid(), Qt::Key_Tab);
    QTRY_VERIFY(!f.grid()->hasFocus());
    QCOMPARE(f.grid()->currentIndex(), f.grid()->model()->index(1, 0));
}

void tst_MainWindowShortcuts::toolTipsSayHowGoIsEnabled_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("says");
    QTest::newRow("mode box") << "Text1"
                              << "choose a time step or the dates to enable GO";
    for (int i = 0; i < timeStepCount; ++i)
        QTest::addRow("time step %d", i)
            << QStringLiteral("Option1_%1").arg(i) << "choosing a time step enables GO";
}

void tst_MainWindowShortcuts::toolTipsSayHowGoIsEnabled() {
    QFETCH(QString, control);
    QFETCH(QString, says);
    MainWindowFixture f(*hdb);
    auto* widget = f.find<QWidget>(control);
    QVERIFY(widget);
    QVERIFY2(widget->toolTip().contains(says), qPrintable(widget->toolTip()));
}

QTEST_MAIN(tst_MainWindowShortcuts)
#include "tst_MainWindowShortcuts.moc"
