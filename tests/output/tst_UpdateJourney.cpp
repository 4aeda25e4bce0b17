// The Graph/Table dialog's spreadsheet outputs behind the main window: SAVE with Excel, UPDATE
// into DBedit.xlsx, and "Apply workbook..." writing the edited sheet back.
#include "../app/MainWindowFixture.h"
#include "SpreadsheetCheck.h"
#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/GraphTableCommand.h"
#include "core/db/Database.h"

using namespace rp;
using namespace rp::test;

class tst_UpdateJourney : public QObject {
    Q_OBJECT
private slots:
    void saveWithExcelAndUpdateRoundTrip();
};

void tst_UpdateJourney::saveWithExcelAndUpdateRoundTrip() {
    RP_REQUIRE_OPENPYXL();
    BrowsingHdb hdb;
    MainWindowFixture f(hdb);
    QStringList opened;
    f.window->graphTable()->openWorkbook = [&](const QString& path) { opened.append(path); };
    QVERIFY(f.start());
    f.chooseTimeStep(2);
    f.setDates("01-Jan-2010", "01-Feb-2010");
    f.click("siteIDbutton");
    f.doubleClickRow(f.findRow(0, QStringLiteral("1")));
    f.selectRow(f.findRow(1, QStringLiteral("1001")));
    f.click("Getbutton");
    f.click("ViewGraphbutton");
    GraphTableDialog* form = f.window->graphTable()->graphTable();
    QVERIFY(form && form->isVisible());

    // SAVE with Excel: the first export makes Book1.xlsx and shows it.
    QTest::mouseClick(form->findChild<QCheckBox*>(QStringLiteral("XLSout")), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(opened, QStringList{f.folder.filePath(QStringLiteral("Book1.xlsx"))});

    // UPDATE while that workbook stands: its next sheet, with the connection string in F2.
    f.click("ViewGraphbutton");
    QTest::mouseClick(form->findChild<QRadioButton*>(QStringLiteral("Option1_4")), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(opened.size(), 2);
    const QJsonObject read = readWorkbookCells(opened.constLast());
    QCOMPARE(cellOf(read, "Sheet2", "F2").value("value").toString(), hdb.connectionString);

    // The user empties the first value and saves; Apply workbook writes it to the database.
    QProcess python;
    python.start(QLatin1String(systemPython),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, openpyxl\nwb = openpyxl.load_workbook(sys.argv[1])\n"
                                 "wb['Sheet2']['B11'] = None\nwb.save(sys.argv[1])"),
                  opened.constLast()});
    QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
    QStringList presets;
    form->services().chooseFile = [&](QWidget*, const QString& preset, const QString&,
                                      const QString&) -> std::optional<QString> {
        presets.append(preset);
        return preset;
    };
    QStringList confirmed;
    form->services().confirmUpdate = [&](QWidget*, const QString& summary, const QStringList&) {
        confirmed.append(summary);
        return true;
    };
    const auto countRows = [&] {
        const auto db = openDatabase(hdb.connectionString);
        const auto rs = db->open(QStringLiteral("SELECT COUNT(*) FROM rday WHERE "
                                                "datatype_site_id=1001 AND date_time BETWEEN "
                                                "#01-Jan-2010# AND #01-Feb-2010#;"),
                                 LockType::ReadOnly);
        return rs->value(0, 0).toInt();
    };
    const int before = countRows();
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("ApplyWorkbook")),
                      Qt::LeftButton);
    QCOMPARE(presets, QStringList{opened.constLast()});
    QCOMPARE(confirmed.size(), 1);
    QVERIFY2(confirmed.constFirst().startsWith(QLatin1String("0 rows added, 0 changed, 1 removed")),
             qPrintable(confirmed.constFirst()));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.constFirst().endsWith(QLatin1String("written.")));
    QCOMPARE(countRows(), before - 1);
}

QTEST_MAIN(tst_UpdateJourney)
#include "tst_UpdateJourney.moc"
