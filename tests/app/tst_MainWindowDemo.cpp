// The everyday journey on the demo HDB that rivelpost-cli makes: start-up, a site, its
// parameters with data, GO for a daily and then a unit series.
#include "MainWindowFixture.h"

using namespace rp;

class tst_MainWindowDemo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void journey();

private:
    test::DemoProgramFolder demo;
};

void tst_MainWindowDemo::initTestCase() {
    const QString error = demo.create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_MainWindowDemo::journey() {
    test::RecordingDialogs dialogs;
    MainWindow window(demo.services(&dialogs));
    QSignalSpy replaced(&window, &MainWindow::resultReplaced);
    window.startUp();
    window.show();
    QTRY_COMPARE(replaced.count(), 2);
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(window.startDateText(), QStringLiteral("08-Jan-2013"));
    QCOMPARE(window.endDateText(), QStringLiteral("15-Jan-2013"));

    QTableView* grid = window.dataGrid();
    QAbstractItemModel* model = grid->model();
    QVERIFY(model->rowCount() >= 4);
    int kernville = -1;
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 2).data().toString() == QLatin1String("KERN RIVER NR KERNVILLE CA"))
            kernville = r;
    QVERIFY(kernville >= 0);
    const QPoint at = grid->visualRect(model->index(kernville, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(window.stationId(), QStringLiteral("1"));
    int discharge = -1;
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 2).data().toString() == QLatin1String("DISCHARGE"))
            discharge = r;
    QVERIFY(discharge >= 0);
    grid->setCurrentIndex(model->index(discharge, 0));

    auto* go = window.findChild<QPushButton*>(QStringLiteral("Getbutton"));
    QTest::mouseClick(go, Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(window.windowTitle(),
             QStringLiteral("1021 KERN RIVER NR KERNVILLE CA; DISCHARGE, CFS"));
    QCOMPARE(model->rowCount(), 8);
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("1/8/2013"));
    QCOMPARE(window.stepCount(), 1);

    QTest::mouseClick(window.findChild<QRadioButton*>(QStringLiteral("Option1_4")), Qt::LeftButton);
    QTest::mouseClick(go, Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    QVERIFY(model->rowCount() > 700);
    QCOMPARE(window.dateIncrement(), QStringLiteral("n"));
    QCOMPARE(window.stepCount(), 15);
    QCOMPARE(window.windowTitle(),
             QStringLiteral("1021 KERN RIVER NR KERNVILLE CA; DISCHARGE, CFS"));
    AppPaths::setProgramFolder({});
}

QTEST_MAIN(tst_MainWindowDemo)
#include "tst_MainWindowDemo.moc"
