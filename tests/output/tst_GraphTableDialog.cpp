// The Graph/Table dialog behind the main window on the small browsing HDB: the hand-off's
// states, the option rules, Go's outputs and its failure path, the table dump.
#include "../app/MainWindowFixture.h"
#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/GraphTableCommand.h"
#include "gui/graph/GraphWindow.h"

using namespace rp;
using namespace rp::test;

class tst_GraphTableDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<BrowsingHdb>(); }
    void handOffStates_data();
    void handOffStates();
    void addSeries();
    void optionRules();
    void escapeDoesWhatCancelDoes();
    void readOnlyDatabaseKeepsWriteBackOff();
    void saveConvertsTheCopy();
    void printAndGraphSeams();
    void waterYearTable_data();
    void waterYearTable();
    void failingGoHidesTheDialog();
    void tableDump();

private:
    // GO on parameter `key` for time step `step`, then Graph/Table.
    GraphTableDialog* handOff(MainWindowFixture& f, int step, const QString& key);
    QCheckBox* box(GraphTableDialog* form, const char* name) {
        return form->findChild<QCheckBox*>(name);
    }
    QRadioButton* option(GraphTableDialog* form, int i) {
        return form->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(i));
    }
    std::unique_ptr<BrowsingHdb> hdb;
};

GraphTableDialog* tst_GraphTableDialog::handOff(MainWindowFixture& f, int step,
                                                const QString& key) {
    f.chooseTimeStep(step);
    f.setDates("01-Jan-2010", "01-Feb-2010");
    f.click("siteIDbutton");
    f.doubleClickRow(f.findRow(0, QString(key).left(1)));
    f.selectRow(f.findRow(1, key));
    f.click("Getbutton");
    f.click("ViewGraphbutton");
    return f.window->graphTable()->graphTable();
}

void tst_GraphTableDialog::handOffStates_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("states"); // acft table update
    QTest::addColumn<QString>("line2");
    QTest::newRow("daily CFS") << 2 << "1001"
                               << "111"
                               << "DAILY DISCHARGE, CFS";
    QTest::newRow("daily storage") << 2 << "2001"
                                   << "011"
                                   << "DAILY STORAGE, ACRE-FEET";
    QTest::newRow("unit values keep the update option") << 4 << "1001"
                                                        << "101"
                                                        << "UNIT VALUES DISCHARGE, CFS";
    QTest::newRow("unit shift: no table, no update, no unit") << 7 << "1001"
                                                              << "000"
                                                              << "UNIT SHIFT DISCHARGE, ";
}

void tst_GraphTableDialog::handOffStates() {
    QFETCH(int, step);
    QFETCH(QString, key);
    QFETCH(QString, states);
    QFETCH(QString, line2);
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, step, key);
    QCOMPARE(f.dialogs.messages, QStringList());
    QVERIFY(form->isVisible());
    const QString got = QStringLiteral("%1%2%3")
                            .arg(int(box(form, "acft")->isEnabled()))
                            .arg(int(box(form, "table")->isEnabled()))
                            .arg(int(option(form, 4)->isEnabled()));
    QCOMPARE(got, states);
    QVERIFY(!box(form, "acft")->isChecked());
    QFile file(f.folder.filePath("lastout.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    file.readLine();
    QCOMPARE(QString::fromLatin1(file.readLine()), line2 + "\r\n");
    QCOMPARE(form->findChild<QLineEdit*>("Text1")->text(), f.folder.filePath("lastout.txt"));
}

void tst_GraphTableDialog::addSeries() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, 2, "1001");
    QVERIFY(!box(form, "addline")->isEnabled());
    // The graph window shows a series of this heading: the next daily hand-off offers it.
    SeriesSession& session = f.window->graphTable()->session();
    session.seriesCount = 1;
    session.cumulative = true;
    form = handOff(f, 2, "2001");
    QVERIFY(box(form, "addline")->isEnabled());
    box(form, "addline")->setChecked(true);
    form = handOff(f, 2, "1001");
    QVERIFY(box(form, "addline")->isChecked());
    QVERIFY(session.cumulative);
    // Another heading starts the chart afresh.
    form = handOff(f, 5, "1001");
    QVERIFY(!box(form, "addline")->isEnabled());
    QVERIFY(!box(form, "addline")->isChecked());
    QCOMPARE(session.seriesCount, 0);
    QVERIFY(!session.cumulative);
    QCOMPARE(session.lastHeading, QStringLiteral("DAILY MAXIMUM"));
}

void tst_GraphTableDialog::optionRules() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, 2, "1001");
    QVERIFY(option(form, 1)->isChecked());
    QTest::mouseClick(box(form, "XLSout"), Qt::LeftButton);
    QVERIFY(option(form, 0)->isChecked());
    QTest::mouseClick(option(form, 2), Qt::LeftButton);
    QVERIFY(!box(form, "XLSout")->isChecked());
    QTest::mouseClick(option(form, 0), Qt::LeftButton);
    QTest::mouseClick(box(form, "table"), Qt::LeftButton);
    QVERIFY(option(form, 2)->isChecked());
    QVERIFY(box(form, "monthlys2db")->isEnabled() && box(form, "yearlys2db")->isEnabled());
    box(form, "monthlys2db")->setChecked(true);
    QTest::mouseClick(box(form, "table"), Qt::LeftButton);
    QVERIFY(!box(form, "monthlys2db")->isEnabled() && !box(form, "yearlys2db")->isEnabled());
    QVERIFY(box(form, "monthlys2db")->isChecked());

    // Write Monthlys/Yearlys only for a Day series.
    form = handOff(f, 3, "1002");
    QTest::mouseClick(box(form, "table"), Qt::LeftButton);
    QVERIFY(!box(form, "monthlys2db")->isEnabled());
    // Cancel hides the dialog.
    QTest::mouseClick(form->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    QVERIFY(!form->isVisible());
}

void tst_GraphTableDialog::escapeDoesWhatCancelDoes() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, 2, "1001");
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    option(form, 1)->setFocus();
    QTRY_VERIFY(option(form, 1)->hasFocus());
    QTest::keyClick(option(form, 1), Qt::Key_Escape);
    QTRY_VERIFY(!form->isVisible());
    QVERIFY(f.window->isVisible());
}

void tst_GraphTableDialog::readOnlyDatabaseKeepsWriteBackOff() {
    // The dialog alone, on a Day series, with a database that says whether it takes changes.
    SeriesSession session;
    QString refusal = QStringLiteral("An Access database is opened read-only.");
    GraphTableContext context;
    context.dayStep = [] { return true; };
    context.stationId = [] { return QString(); };
    context.seriesFile = [] { return QStringLiteral("lastout.txt"); };
    context.programFolder = [] { return QDir::tempPath(); };
    context.writeBackRefusal = [&refusal] { return refusal; };
    RecordingDialogs dialogs;
    GraphTableServices services;
    services.dialogs = &dialogs;
    GraphTableDialog form(session, context, services);
    form.show();
    QTest::mouseClick(box(&form, "table"), Qt::LeftButton);
    for (const char* name : {"monthlys2db", "yearlys2db"}) {
        QVERIFY(!box(&form, name)->isEnabled());
        QCOMPARE(box(&form, name)->toolTip(), refusal);
    }
    // Writable again: the boxes come back without the tool tip.
    refusal.clear();
    QTest::mouseClick(box(&form, "table"), Qt::LeftButton);
    QTest::mouseClick(box(&form, "table"), Qt::LeftButton);
    for (const char* name : {"monthlys2db", "yearlys2db"}) {
        QVERIFY(box(&form, name)->isEnabled());
        QVERIFY(box(&form, name)->toolTip().isEmpty());
    }
}

void tst_GraphTableDialog::saveConvertsTheCopy() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, 2, "1001");
    const QString copy = f.folder.filePath("kern.txt");
    QStringList asked;
    form->services().chooseFile = [&](QWidget*, const QString& preset, const QString& title,
                                      const QString&) -> std::optional<QString> {
        asked << preset << title;
        return "  " + copy + " ";
    };
    QTest::mouseClick(option(form, 0), Qt::LeftButton);
    box(form, "acft")->setChecked(true);
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(asked, QStringList({f.folder.filePath("*.txt"), "Select the Filname file"}));
    QCOMPARE(form->workingFilePath(), copy);
    QVERIFY(!box(form, "acft")->isEnabled() && !box(form, "acft")->isChecked());
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // 25 Jan 2010 is 125 CFS: 247.9 acre-feet.
    QVERIFY(read(copy).contains("DAILY DISCHARGE, ACRE-FEET\r\n01 JAN 2010 200\r\n"));
    QVERIFY(read(copy).contains("25 JAN 2010 248\r\n"));
    QVERIFY(read(f.folder.filePath("lastout.txt")).contains("25 JAN 2010 125\r\n"));

    // Cancelling the file dialog works on the series file itself.
    form = handOff(f, 2, "1001");
    form->services().chooseFile = [](QWidget*, const QString&, const QString&, const QString&) {
        return std::optional<QString>();
    };
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(form->workingFilePath(), f.folder.filePath("lastout.txt"));
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_GraphTableDialog::printAndGraphSeams() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, 2, "1001");
    QStringList printed;
    std::optional<QString> outcome = QString(); // a printer took the job
    form->services().print = [&](const QString& path, bool table) {
        printed << path << QString::number(table);
        return outcome;
    };
    QTest::mouseClick(option(form, 3), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    const QString series = f.folder.filePath("lastout.txt");
    QCOMPARE(printed, QStringList({series, "0"}));
    QCOMPARE(f.dialogs.messages, QStringList{series + " Printed"});
    // No printer: saved as a PDF, or nothing said when the file dialog was cancelled.
    for (const std::optional<QString>& pdf :
         {std::optional<QString>("/docs/lastout.pdf"), std::optional<QString>()}) {
        f.dialogs.messages.clear();
        outcome = pdf;
        form = handOff(f, 2, "1001");
        QTest::mouseClick(option(form, 3), Qt::LeftButton);
        QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(f.dialogs.messages,
                 pdf ? QStringList{series + " saved as " + *pdf} : QStringList());
    }

    // GRAPH writes no report even with Table ticked; the graph window draws the series.
    form = handOff(f, 2, "1001");
    QTest::mouseClick(box(form, "table"), Qt::LeftButton);
    QTest::mouseClick(option(form, 1), Qt::LeftButton);
    QFile::remove(f.folder.filePath("lasttable.txt"));
    const qsizetype messagesBefore = f.dialogs.messages.size();
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QVERIFY(!box(form, "table")->isChecked());
    QVERIFY(!QFile::exists(f.folder.filePath("lasttable.txt")));
    QCOMPARE(f.dialogs.messages.size(), messagesBefore);
    auto* graph = f.window->findChild<GraphWindow*>();
    QVERIFY(graph);
    QCOMPARE(graph->model().seriesCount(), 1);
    QString graphed;
    form->services().graph = [&](const QString& path, bool) { graphed = path; };
    form = handOff(f, 2, "1001");
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(graphed, series);
}

void tst_GraphTableDialog::waterYearTable_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("tickWaterYear");
    QTest::addColumn<QString>("heading"); // in the table viewed; empty: the box stays off
    QTest::newRow("daily, water year") << 2 << "1001" << true << "WATER YEAR 2010";
    QTest::newRow("daily, calendar year") << 2 << "1001" << false << "CALENDAR YEAR 2010";
    QTest::newRow("hourly: no water-year box") << 3 << "1002" << true << "";
}

// The daily table paged by water year, as the command line's --water-year writes it.
void tst_GraphTableDialog::waterYearTable() {
    QFETCH(int, step);
    QFETCH(QString, key);
    QFETCH(bool, tickWaterYear);
    QFETCH(QString, heading);
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, step, key);
    QCheckBox* waterYear = box(form, "wateryear");
    QVERIFY(waterYear && !waterYear->isEnabled());
    QTest::mouseClick(box(form, "table"), Qt::LeftButton);
    QCOMPARE(waterYear->isEnabled(), !heading.isEmpty());
    if (heading.isEmpty())
        return;
    if (tickWaterYear)
        QTest::mouseClick(waterYear, Qt::LeftButton);
    QString viewed;
    form->services().view = [&](QWidget*, const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        viewed = QString::fromLatin1(file.readAll());
    };
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QVERIFY2(viewed.contains(heading), qPrintable(viewed.left(600)));
    // Unticking Table takes the box with it.
    form = handOff(f, step, key);
    QTest::mouseClick(box(form, "table"), Qt::LeftButton);
    QVERIFY(!box(form, "wateryear")->isEnabled());
}

void tst_GraphTableDialog::failingGoHidesTheDialog() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    GraphTableDialog* form = handOff(f, 2, "1001");
    QStringList viewed;
    form->services().view = [&](QWidget*, const QString& path) { viewed << path; };
    // The series file edited by hand: a text value.
    const QString series = f.folder.filePath("lastout.txt");
    {
        QFile file(series);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("2 1001 Kern River\r\nDAILY DISCHARGE, CFS\r\n01 JAN 2010 ten\r\n");
    }
    box(form, "acft")->setChecked(true);
    QTest::mouseClick(option(form, 2), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].startsWith("Command1: Line 3"),
             qPrintable(f.dialogs.messages[0]));
    QVERIFY(!form->isVisible());
    QVERIFY(form->findChild<QPushButton*>("Command1")->isEnabled());
    QVERIFY(viewed.isEmpty());
    QFile file(series);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("CFS\r\n01 JAN 2010 ten"));
}

void tst_GraphTableDialog::tableDump() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QStringList asked;
    bool answer = false;
    f.window->graphTable()->askYesNo = [&](QWidget*, const QString& title, const QString& text) {
        asked << title << text;
        return answer;
    };
    QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("Check1")), Qt::LeftButton);
    f.find<QPlainTextEdit>(QStringLiteral("Text4"))
        ->setPlainText(QStringLiteral("SELECT site_id, station_id, state FROM rsite WHERE "
                                      "datatype_site_id IN (1001, 2001) ORDER BY site_id"));
    f.click("Getbutton");
    QCOMPARE(f.text("Text1"), QStringLiteral("SQL"));
    const QString dump = f.folder.filePath("TMP.out");
    f.click("ViewGraphbutton");
    QCOMPARE(asked, QStringList({"2 Rows", "Save table data to TMP.out"}));
    QVERIFY(!QFile::exists(dump));
    answer = true;
    f.click("ViewGraphbutton");
    QFile file(dump);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("site_id\tstation_id\tstate\t\r\n1\t1\tCA\t\r\n"
                                        "2\t2\tCA\t\r\n"));
    QVERIFY(f.window->graphTable()->graphTable() == nullptr ||
            !f.window->graphTable()->graphTable()->isVisible());

    // No rows: no question, no file.
    QFile::remove(dump);
    asked.clear();
    f.find<QPlainTextEdit>(QStringLiteral("Text4"))
        ->setPlainText(QStringLiteral("SELECT * FROM rsite WHERE site_id=77"));
    f.click("Getbutton");
    f.click("ViewGraphbutton");
    QVERIFY(asked.isEmpty());
    QVERIFY(!QFile::exists(dump));
    QCOMPARE(f.dialogs.messages, QStringList());
}

QTEST_MAIN(tst_GraphTableDialog)
#include "tst_GraphTableDialog.moc"
