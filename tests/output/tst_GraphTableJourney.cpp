// GO on the demo HDB, Graph/Table, then the dialog's outputs: the daily table handed to the
// viewer, and a saved copy converted to acre-feet.
#include "../app/Form1Fixture.h"
#include "output/Form2.h"
#include "series/GraphTableCommand.h"

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
    Form1 window(demo.services(&dialogs));
    QStringList viewed;
    window.graphTable()->form2Services().view = [&](QWidget*, const QString& path) {
        viewed.append(path);
    };
    window.graphTable()->form2Services().today = [] { return QDate(2013, 1, 15); };
    QSignalSpy replaced(&window, &Form1::resultReplaced);
    window.startUp();
    window.show();
    QTRY_COMPARE(replaced.count(), 2);

    QTableView* grid = window.dataGrid();
    QAbstractItemModel* model = grid->model();
    const auto rowOf = [&](int column, const QString& text) {
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, column).data().toString() == text)
                return r;
        return -1;
    };
    const int site = rowOf(2, QStringLiteral("KERN RIVER NR KERNVILLE CA"));
    QVERIFY(site >= 0);
    const QPoint at = grid->visualRect(model->index(site, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    const int discharge = rowOf(2, QStringLiteral("DISCHARGE"));
    QVERIFY(discharge >= 0);
    grid->setCurrentIndex(model->index(discharge, 0));
    window.setDateTexts(QStringLiteral("01-Jan-2012"), QStringLiteral("31-Dec-2012"));
    QTest::mouseClick(window.findChild<QPushButton*>("Getbutton"), Qt::LeftButton);
    QCOMPARE(model->rowCount(), 366);

    QTest::mouseClick(window.findChild<QPushButton*>("ViewGraphbutton"), Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    Form2* form2 = window.graphTable()->form2();
    QVERIFY(form2->isVisible());
    QFile series(demo.folder.filePath("lastout.txt"));
    QVERIFY(series.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = series.readAll().split('\n');
    QCOMPARE(lines.size(), 2 + 366 + 1);
    QCOMPARE(lines[0], QByteArray("2 1021 KERN RIVER NR KERNVILLE CA\r"));
    QCOMPARE(lines[1], QByteArray("DAILY DISCHARGE, CFS\r"));
    QVERIFY(lines[2].startsWith("01 JAN 2012 "));
    QVERIFY(lines[367].startsWith("31 DEC 2012 "));
    QCOMPARE(lines[2].mid(12).trimmed(), model->index(0, 2).data().toString().toLatin1());
    QVERIFY(form2->findChild<QCheckBox*>("acft")->isEnabled());

    QTest::mouseClick(form2->findChild<QCheckBox*>("table"), Qt::LeftButton);
    QVERIFY(form2->findChild<QRadioButton*>("Option1_2")->isChecked());
    QTest::mouseClick(form2->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    const QString report = demo.folder.filePath("lasttable.txt");
    QCOMPARE(viewed, QStringList{report});
    QVERIFY(!form2->isVisible());
    QFile table(report);
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QByteArray text = table.readAll();
    QVERIFY(text.contains("CALENDAR YEAR 2012"));
    QVERIFY(text.contains("KERN RIVER NR KERNVILLE CA"));
    AppPaths::setProgramFolder({});
}

QTEST_MAIN(tst_GraphTableJourney)
#include "tst_GraphTableJourney.moc"
