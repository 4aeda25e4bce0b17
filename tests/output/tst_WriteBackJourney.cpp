// GO on the demo HDB, Graph/Table, then Table with "Write Monthlys" and "Write Yearlys": the
// daily table replaces the year's monthly and yearly rows of the parameter.
#include "../app/MainWindowFixture.h"
#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/GraphTableCommand.h"
#include "core/db/Database.h"

using namespace rp;

class tst_WriteBackJourney : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void tableWritesAggregates();

private:
    test::DemoProgramFolder demo;
};

void tst_WriteBackJourney::initTestCase() {
    const QString error = demo.create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_WriteBackJourney::tableWritesAggregates() {
    test::RecordingDialogs dialogs;
    MainWindow window(demo.services(&dialogs));
    window.graphTable()->graphTableServices().view = [](QWidget*, const QString&) {};
    window.graphTable()->graphTableServices().today = [] { return QDate(2013, 1, 15); };
    test::WindowDriver driver{window};
    QVERIFY(driver.start());
    QVERIFY(driver.retrieve(QStringLiteral("KERN RIVER NR KERNVILLE CA"),
                            QStringLiteral("DISCHARGE"), QStringLiteral("01-Jan-2012"),
                            QStringLiteral("31-Dec-2012")));
    QAbstractItemModel* model = driver.model();
    QCOMPARE(model->rowCount(), 366);
    const QString parameter = window.modeText().trimmed();

    QTest::mouseClick(window.findChild<QPushButton*>("ViewGraphbutton"), Qt::LeftButton);
    GraphTableDialog* graphTable = window.graphTable()->graphTable();
    QTest::mouseClick(graphTable->findChild<QCheckBox*>("table"), Qt::LeftButton);
    auto* monthly = graphTable->findChild<QCheckBox*>("monthlys2db");
    auto* yearly = graphTable->findChild<QCheckBox*>("yearlys2db");
    QVERIFY(monthly->isEnabled() && yearly->isEnabled());
    QTest::mouseClick(monthly, Qt::LeftButton);
    QTest::mouseClick(yearly, Qt::LeftButton);
    QTest::mouseClick(graphTable->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());

    const auto db = openDatabase(demo.connectionString);
    const auto count = [&](const QString& sql) {
        return db->open(sql.arg(parameter), LockType::ReadOnly)->value(0, 0).toDouble();
    };
    QCOMPARE(count("SELECT Count(*) FROM rmonth WHERE datatype_site_id=%1 AND date_time BETWEEN "
                   "#01-Jan-2012# AND #01-Dec-2012# AND source=5"),
             12.0);
    QCOMPARE(count("SELECT Count(*) FROM rmonth WHERE datatype_site_id=%1 AND date_time BETWEEN "
                   "#01-Jan-2012# AND #01-Dec-2012#"),
             12.0);
    QCOMPARE(count("SELECT Count(*) FROM ryear WHERE datatype_site_id=%1 AND date_time = "
                   "#01-Jan-2012# AND source=5"),
             1.0);
    // The year holds the unrounded acre-feet of the days; each month its rounded acre-feet.
    const double days = count("SELECT Sum(value) FROM rday WHERE datatype_site_id=%1 AND "
                              "date_time BETWEEN #01-Jan-2012# AND #31-Dec-2012#");
    QVERIFY(qAbs(count("SELECT value FROM ryear WHERE datatype_site_id=%1 AND date_time = "
                       "#01-Jan-2012#") -
                 days * 1.9835) < 1e-6 * days);
    const double march = count("SELECT Sum(value) FROM rday WHERE datatype_site_id=%1 AND "
                               "date_time BETWEEN #01-Mar-2012# AND #31-Mar-2012#");
    const double written = count("SELECT value FROM rmonth WHERE datatype_site_id=%1 AND "
                                 "date_time = #01-Mar-2012#");
    QCOMPARE(written, std::round(written));
    QVERIFY2(qAbs(written - march * 1.9835) <= 0.5, qPrintable(QString::number(written)));
    AppPaths::setProgramFolder({});
}

QTEST_MAIN(tst_WriteBackJourney)
#include "tst_WriteBackJourney.moc"
