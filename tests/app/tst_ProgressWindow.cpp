#include "gui/widgets/ProgressWindow.h"

#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <limits>

using namespace rp;

// The progress of long work: no window for short work, then a dialog whose Cancel stops the work.
class tst_ProgressWindow : public QObject {
    Q_OBJECT
private slots:
    void shortWorkShowsNothing();
    void longWorkShowsItsProgress_data();
    void longWorkShowsItsProgress();
    void cancelStopsTheWork();
    void callbackOutlivesTheWindow();
    void cancelIsNotUnderTheWaitCursor();
};

void tst_ProgressWindow::shortWorkShowsNothing() {
    QWidget parent;
    ProgressWindow progress(&parent, QStringLiteral("Working..."));
    const Progress report = progress.callback();
    for (int i = 0; i < 1000; ++i)
        QVERIFY(report(i, 1000));
    QVERIFY(!progress.dialog());
}

void tst_ProgressWindow::longWorkShowsItsProgress_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("maximum"); // of the bar; 0 is a busy bar
    QTest::addColumn<int>("value");   // -1 while busy

    QTest::newRow("total unknown") << qint64(70000) << qint64(0) << 0 << -1;
    QTest::newRow("half way") << qint64(50) << qint64(200) << 200 << 50;
    QTest::newRow("done beyond total") << qint64(250) << qint64(200) << 200 << 200;
    const qint64 big = qint64(std::numeric_limits<int>::max()) * 4;
    QTest::newRow("more steps than int holds") << big / 2 << big << (big / 5) << int(big / 10);
}

void tst_ProgressWindow::longWorkShowsItsProgress() {
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QWidget parent;
    parent.show();
    ProgressWindow progress(&parent, QStringLiteral("Compacting the database..."));
    QVERIFY(progress.report(0, total));
    QTest::qWait(ProgressWindow::showAfterMs + 100);
    QVERIFY(progress.report(done, total));
    QProgressDialog* dialog = progress.dialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->labelText(), QStringLiteral("Compacting the database..."));
    QCOMPARE(dialog->maximum(), maximum);
    if (value >= 0)
        QCOMPARE(dialog->value(), value);
}

void tst_ProgressWindow::cancelStopsTheWork() {
    QWidget parent;
    parent.show();
    ProgressWindow progress(&parent, QStringLiteral("Working..."));
    progress.report(0, 0);
    QTest::qWait(ProgressWindow::showAfterMs + 100);
    QVERIFY(progress.report(1, 0));
    auto* cancel = progress.dialog()->findChild<QPushButton*>();
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTest::qWait(60);
    QVERIFY(!progress.report(2, 0));
    // Once stopped, it stays stopped.
    QVERIFY(!progress.report(3, 0));
}

void tst_ProgressWindow::callbackOutlivesTheWindow() {
    Progress report;
    {
        QWidget parent;
        ProgressWindow progress(&parent, QStringLiteral("Working..."));
        report = progress.callback();
    }
    QVERIFY(report(1, 0));
}

void tst_ProgressWindow::cancelIsNotUnderTheWaitCursor() {
    QWidget parent;
    parent.show();
    {
        // The command's wait cursor, set before the work and taken away after the window.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ProgressWindow progress(&parent, QStringLiteral("Working..."));
        progress.report(0, 0);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTest::qWait(ProgressWindow::showAfterMs + 100);
        progress.report(1, 0);
        QVERIFY(progress.dialog());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        QGuiApplication::restoreOverrideCursor();
    }
    // Every cursor set was taken away again.
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(tst_ProgressWindow)
#include "tst_ProgressWindow.moc"
