// GO on the demo HDB, Graph/Table, then the dialog's outputs: the daily table handed to the
// viewer, and a saved copy converted to acre-feet.
#include "../app/MainWindowFixture.h"
#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/GraphTableCommand.h"

using namespace rp;

class tst_GraphTableJourney : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void tableToViewer();

private:
    test::DemoProgramFolder demo;
};

void tst_GraphTableJourney::initTestCase() {
    const QString error = demo.create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_GraphTableJourney::tableToViewer() {
    test::RecordingDialogs dialogs;
    MainWindow window(demo.services(&dialogs));
    QStringList viewed;
    window.graphTable()->graphTableServices().view = [&](QWidget*, const QString& path) {
        viewed.append(path);
    };
    window.graphTable()->graphTableServices().today = [] { return QDate(2013, 1, 15); };
    test::WindowDriver driver{window};
    QVERIFY(driver.start());
    QVERIFY(driver.retrieve(QStringLiteral("KERN RIVER NR KERNVILLE CA"),
                            QStringLiteral("DISCHARGE"), QStringLiteral("01-Jan-2012"),
                            QStringLiteral("31-Dec-2012")));
    QAbstractItemModel* model = driver.model();
    QCOMPARE(model->rowCount(), 366);

    QTest::mouseClick(window.findChild<QPushButton*>("ViewGraphbutton"), Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    GraphTableDialog* graphTable = window.graphTable()->graphTable();
    QVERIFY(graphTable->isVisible());
    QFile series(demo.folder.filePath("lastout.txt"));
    QVERIFY(series.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = series.readAll().split('\n');
    QCOMPARE(lines.size(), 2 + 366 + 1);
    QCOMPARE(lines[0], QByteArray("2 1021 KERN RIVER NR KERNVILLE CA\r"));
    QCOMPARE(lines[1], QByteArray("DAILY DISCHARGE, CFS\r"));
    QVERIFY(lines[2].startsWith("01 JAN 2012 "));
    QVERIFY(lines[367].startsWith("31 DEC 2012 "));
    QCOMPARE(lines[2].mid(12).trimmed(), model->index(0, 2).data().toString().toLatin1());
    QVERIFY(graphTable->findChild<QCheckBox*>("acft")->isEnabled());

    QTest::mouseClick(graphTable->findChild<QCheckBox*>("table"), Qt::LeftButton);
    QVERIFY(graphTable->findChild<QRadioButton*>("Option1_2")->isChecked());
    QTest::mouseClick(graphTable->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    const QString report = demo.folder.filePath("lasttable.txt");
    QCOMPARE(viewed, QStringList{report});
    QVERIFY(!graphTable->isVisible());
    QFile table(report);
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QByteArray text = table.readAll();
    QVERIFY(text.contains("CALENDAR YEAR 2012"));
    QVERIFY(text.contains("KERN RIVER NR KERNVILLE CA"));
    AppPaths::setProgramFolder({});
}

QTEST_MAIN(tst_GraphTableJourney)
#include "tst_GraphTableJourney.moc"
