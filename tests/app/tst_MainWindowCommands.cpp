#include "MainWindowFixture.h"
#include "app/dialogs/DateRangeDialog.h"
#include "core/hdb/Browsing.h"
#include "gui/widgets/Twips.h"

#include <QComboBox>

using namespace rp;
using rp::test::MainWindowFixture;

class tst_MainWindowCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<test::BrowsingHdb>(); }
    void cleanupTestCase() { hdb.reset(); }
    void controlStates_data();
    void controlStates();
    void siteToSeries();
    void timeStepChangeRetrievesTheSameKey();
    void unitShiftCaptionHasNoUnit();
    void parametersAll();
    void parametersOfNoSite();
    void keyMustBeANumber();
    void ownSql();
    void ownSqlFromTheKeyboardSwitchesNothing();
    void tables();
    void listPositionsComeBack();
    void secondCommandWaits();
    void dateDialog();
    void dateDialogClosedFromTitleBar();

private:
    std::unique_ptr<test::BrowsingHdb> hdb;
};

namespace {

void run(MainWindowFixture& f, const QString& command) {
    if (command == QLatin1String("site list"))
        f.click("siteIDbutton");
    else if (command == QLatin1String("w/data"))
        f.click("SDIDwdatabutton");
    else if (command == QLatin1String("/all"))
        f.click("SDIDbutton");
    else if (command == QLatin1String("go"))
        f.click("Getbutton");
    else if (command == QLatin1String("tables"))
        f.click("TablesButton");
    else if (command == QLatin1String("check1"))
        QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("Check1")), Qt::LeftButton);
    else if (command == QLatin1String("hour"))
        f.chooseTimeStep(3);
    else if (command == QLatin1String("allow edit"))
        QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("AllowEdit")), Qt::LeftButton);
    else
        QFAIL(qPrintable(command));
}

} // namespace

void tst_MainWindowCommands::controlStates_data() {
    // siteIDbutton SDIDwdatabutton Getbutton ViewGraphbutton TablesButton SDIDbutton AllowEdit
    // AutoInsert Text4
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("states");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("label");
    QTest::newRow("site list") << QStringList{"site list"} << "1 1 0 0 1 1 0 0 0"
                               << ""
                               << "SID";
    QTest::newRow("parameters w/data") << QStringList{"w/data"} << "1 1 1 0 1 1 0 0 0"
                                       << "1"
                                       << "SID";
    QTest::newRow("parameters /all") << QStringList{"/all"} << "1 1 1 0 1 1 0 0 0"
                                     << "1"
                                     << "SID";
    QTest::newRow("go") << QStringList{"w/data", "go"} << "1 0 1 1 1 0 1 1 0"
                        << "1001"
                        << "DSID";
    QTest::newRow("db tables") << QStringList{"tables"} << "1 0 1 0 1 0 1 1 0"
                               << "Table"
                               << "SID";
    QTest::newRow("own sql on") << QStringList{"check1"} << "0 0 1 0 0 0 1 1 1"
                                << "SQL"
                                << "SID";
    QTest::newRow("own sql off") << QStringList{"check1", "check1"} << "1 0 0 0 1 0 0 0 0"
                                 << "SQL"
                                 << "SID";
    QTest::newRow("time step after site list")
        << QStringList{"site list", "hour"} << "1 1 1 0 1 1 0 0 0"
        << ""
        << "SID";
    QTest::newRow("allow edit after go")
        << QStringList{"w/data", "go", "allow edit"} << "1 0 1 1 1 0 1 1 0"
        << "1001"
        << "DSID";
    QTest::newRow("site list after go")
        << QStringList{"w/data", "go", "site list"} << "1 1 0 0 1 1 0 0 0"
        << ""
        << "SID";
}

void tst_MainWindowCommands::controlStates() {
    QFETCH(QStringList, commands);
    QFETCH(QString, states);
    QFETCH(QString, mode);
    QFETCH(QString, label);
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.setDates(QStringLiteral("01-Jan-2010"), QStringLiteral("31-Jan-2010"));
    for (const QString& command : commands)
        run(f, command);
    QCOMPARE(f.states(), states);
    QCOMPARE(f.text("Text1"), mode);
    QCOMPARE(f.label1(), label);
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_MainWindowCommands::siteToSeries() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.setDates(QStringLiteral("01-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.doubleClickRow(0);
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(f.text("Text1"), QStringLiteral("1"));
    QCOMPARE(f.window->stationId(), QStringLiteral("1"));
    QCOMPARE(f.sql(),
             parameterListWithDataStatement("1", TimeStep::Day, "01-Jan-2010", "31-Jan-2010"));
    QCOMPARE(f.caption(0), QStringLiteral("site_id"));
    // Site 1 has daily values for 1001 only.
    QCOMPARE(f.rows(), 1);
    QCOMPARE(f.cell(0, 1), QStringLiteral("1001"));
    QCOMPARE(f.window->activeButton(), f.button("SDIDwdatabutton"));

    f.click("Getbutton");
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(f.window->windowTitle(),
             QStringLiteral("1001 Kern River near Bakersfield; DISCHARGE, CFS"));
    QCOMPARE(f.window->site(), f.window->windowTitle());
    QCOMPARE(f.text("Text1"), QStringLiteral("1001"));
    QCOMPARE(f.rows(), 31);
    QCOMPARE(f.caption(1), QStringLiteral("date_time"));
    QCOMPARE(f.cell(0, 2), QStringLiteral("101"));
    QCOMPARE(f.sql(), retrievalStatement(TimeStep::Day, "1001", "01-Jan-2010", "31-Jan-2010"));
    QCOMPARE(f.window->dateIncrement(), QStringLiteral("d"));
    QCOMPARE(f.window->stepCount(), 1);
    QCOMPARE(f.window->activeButton(), f.button("Getbutton"));
    const double factor = double(pixelsToTwips(f.grid()->width())) / 11335;
    QCOMPARE(f.grid()->columnWidth(1), twipsToPixels(int(2100 * factor)));
    // The navigator shows the current record's position.
    auto* navigator = f.find<QWidget>(QStringLiteral("Adodc1"));
    QCOMPARE(navigator->findChild<QLabel*>(QStringLiteral("positionCaption"))->text(),
             QStringLiteral("1"));
    QTest::mouseClick(navigator->findChild<QWidget*>(QStringLiteral("lastButton")), Qt::LeftButton);
    QCOMPARE(navigator->findChild<QLabel*>(QStringLiteral("positionCaption"))->text(),
             QStringLiteral("31"));
    QCOMPARE(f.window->recordSet()->absolutePosition(), 31);
    QCOMPARE(f.grid()->currentIndex().row(), 30);
}

void tst_MainWindowCommands::timeStepChangeRetrievesTheSameKey() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.setDates(QStringLiteral("01-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.doubleClickRow(0);
    f.click("Getbutton");
    QCOMPARE(f.rows(), 31);
    const QString title = f.window->windowTitle();
    f.chooseTimeStep(4);
    QVERIFY(f.button("Getbutton")->isEnabled());
    f.click("Getbutton");
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(f.rows(), 96);
    QCOMPARE(f.text("Text1"), QStringLiteral("1001"));
    QCOMPARE(f.window->windowTitle(), title);
    QCOMPARE(f.window->dateIncrement(), QStringLiteral("n"));
    QCOMPARE(f.window->stepCount(), 15);
    QVERIFY(f.sql().contains(QLatin1String("FROM runit WHERE datatype_site_id=1001")));
    // Double-click on a series runs GO again.
    f.chooseTimeStep(5);
    f.doubleClickRow(3, 2);
    QCOMPARE(f.rows(), 31);
    QVERIFY(f.sql().startsWith(QLatin1String("SELECT datatype_site_id, date_time, value, source "
                                             "FROM rdaymax WHERE datatype_site_id=1001")));
}

void tst_MainWindowCommands::unitShiftCaptionHasNoUnit() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.setDates(QStringLiteral("01-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.chooseTimeStep(7);
    f.doubleClickRow(0);
    f.click("Getbutton");
    QCOMPARE(f.window->windowTitle(),
             QStringLiteral("1001 Kern River near Bakersfield; DISCHARGE, "));
    QCOMPARE(f.rows(), 31);
}

void tst_MainWindowCommands::parametersAll() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.click("SDIDbutton");
    QCOMPARE(f.text("Text1"), QStringLiteral("1"));
    QCOMPARE(f.rows(), 3);
    QCOMPARE(f.sql(), parameterListStatement("1"));
    QCOMPARE(f.window->activeButton(), f.button("SDIDbutton"));
    // The second row is made current, the first record shown at the top.
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.grid()->rowAt(0), 0);
    f.click("Getbutton");
    QCOMPARE(f.window->windowTitle(), QStringLiteral("1002 Kern River near Bakersfield; GAGE "
                                                     "HEIGHT, FEET"));
    // 1002 has no daily values: an empty series.
    QCOMPARE(f.rows(), 0);
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_MainWindowCommands::parametersOfNoSite() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    // An own SQL result without rows: no site to take.
    QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("Check1")), Qt::LeftButton);
    f.find<QPlainTextEdit>(QStringLiteral("Text4"))
        ->setPlainText(QStringLiteral("SELECT * FROM rsite WHERE site_id=77"));
    f.click("Getbutton");
    QCOMPARE(f.rows(), 0);
    f.find<QLineEdit>(QStringLiteral("Text1"))->clear();
    f.window->parametersWithDataCommand();
    QCOMPARE(f.dialogs.messages, QStringList{"Select site first"});
    // A mode box that is no number goes into no statement.
    f.find<QLineEdit>(QStringLiteral("Text1"))->setText(QStringLiteral("1 OR 1=1"));
    const QString before = f.sql();
    f.window->parametersWithDataCommand();
    QCOMPARE(f.dialogs.messages.size(), 2);
    QVERIFY(f.dialogs.messages[1].contains(QLatin1String("not a number")));
    QCOMPARE(f.sql(), before);
}

void tst_MainWindowCommands::keyMustBeANumber() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.setDates(QStringLiteral("01-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.doubleClickRow(0);
    f.click("Getbutton");
    RecordSet* shown = f.window->recordSet();
    f.find<QLineEdit>(QStringLiteral("Text1"))->setText(QStringLiteral("1001 OR 1=1"));
    f.click("Getbutton");
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].contains(QLatin1String("not a number")));
    QCOMPARE(f.window->recordSet(), shown);
}

void tst_MainWindowCommands::ownSql() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("Check1")), Qt::LeftButton);
    QVERIFY(f.find<QCheckBox>(QStringLiteral("Check1"))->isChecked());
    auto* text4 = f.find<QPlainTextEdit>(QStringLiteral("Text4"));
    QVERIFY(text4->isEnabled());
    // It still shows the statement last run.
    QCOMPARE(text4->toPlainText(), siteListStatement());
    text4->setPlainText(QStringLiteral("SELECT datatype_site_id, date_time, value FROM rday WHERE "
                                       "datatype_site_id=2001 ORDER BY date_time"));
    f.click("Getbutton");
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("SQL"));
    QCOMPARE(f.rows(), 10);
    QCOMPARE(f.window->stepCount(), 1);
    QCOMPARE(f.window->dateIncrement(), QString());
    QVERIFY(f.button("Getbutton")->isEnabled());

    RecordSet* shown = f.window->recordSet();
    text4->setPlainText(QStringLiteral("update rsite set state='Ca' where site_id=3"));
    f.click("Getbutton");
    QCOMPARE(f.dialogs.messages,
             QStringList{"FINISHED: UPDATE RSITE SET STATE='CA' WHERE SITE_ID=3"});
    QCOMPARE(f.window->recordSet(), shown);
    text4->setPlainText(QStringLiteral("SELECT state FROM rsite WHERE site_id=3"));
    f.click("Getbutton");
    QCOMPARE(f.cell(0, 0), QStringLiteral("Ca"));

    // A statement the database refuses: its message, and an empty grid.
    text4->setPlainText(QStringLiteral("SELECT * FROM nowhere"));
    f.click("Getbutton");
    QCOMPARE(f.dialogs.messages.size(), 2);
    QVERIFY2(f.dialogs.messages[1].contains(QLatin1String("nowhere")),
             qPrintable(f.dialogs.messages[1]));
    QCOMPARE(f.rows(), 0);
    QCOMPARE(f.caption(0), QStringLiteral("site_id"));
}

void tst_MainWindowCommands::ownSqlFromTheKeyboardSwitchesNothing() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    auto* check1 = f.find<QCheckBox>(QStringLiteral("Check1"));
    const QString before = f.states();
    check1->setFocus();
    QTest::keyClick(check1, Qt::Key_Space);
    QVERIFY(check1->isChecked());
    QCOMPARE(f.states(), before);
    QCOMPARE(f.text("Text1"), QString());
}

void tst_MainWindowCommands::tables() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.click("TablesButton");
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(f.sql(), tableListStatement());
    QCOMPARE(f.caption(0), QStringLiteral("name"));
    QCOMPARE(f.rows(), 9);
    QCOMPARE(f.window->activeButton(), f.button("TablesButton"));

    // A double-click on a name opens the table.
    f.doubleClickRow(f.findRow(0, QStringLiteral("rsite")));
    QCOMPARE(f.sql(), QStringLiteral("SELECT * FROM rsite order by site_id;"));
    QCOMPARE(f.rows(), 5);
    QCOMPARE(f.dialogs.messages, QStringList());

    // GO on a name opens it with its caption; GO again on rsite reopens rsite.
    f.click("TablesButton");
    f.selectRow(f.findRow(0, QStringLiteral("rday")));
    f.click("Getbutton");
    QCOMPARE(f.window->windowTitle(), QStringLiteral("TABLE rday"));
    QCOMPARE(f.sql(), QStringLiteral("SELECT * FROM rday;"));
    QCOMPARE(f.rows(), 41);
    QVERIFY(!f.window->rsiteLast());
    f.click("TablesButton");
    f.selectRow(f.findRow(0, QStringLiteral("rsite")));
    f.click("Getbutton");
    QCOMPARE(f.window->windowTitle(), QStringLiteral("TABLE rsite"));
    QVERIFY(f.window->rsiteLast());
    f.selectRow(2);
    f.click("Getbutton");
    QCOMPARE(f.sql(), QStringLiteral("SELECT * FROM rsite order by site_id;"));
    QCOMPARE(f.rows(), 5);
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_MainWindowCommands::listPositionsComeBack() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.setDates(QStringLiteral("31-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.chooseTimeStep(4);
    // Site 1 has unit values for 1001 and 1003: pick the second and retrieve it.
    f.doubleClickRow(0);
    QCOMPARE(f.rows(), 2);
    f.selectRow(1);
    f.click("Getbutton");
    QVERIFY(f.window->windowTitle().startsWith(QLatin1String("1003 ")));
    f.click("siteIDbutton");
    QCOMPARE(f.grid()->currentIndex().row(), 0);
    // The same site row again brings the parameter row back.
    f.doubleClickRow(0);
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    // Another site row does not.
    f.click("siteIDbutton");
    f.doubleClickRow(2);
    QCOMPARE(f.text("Text1"), QStringLiteral("3"));
    QCOMPARE(f.grid()->currentIndex().row(), 0);
    // The site list gives back the row the site was chosen from.
    f.click("siteIDbutton");
    QCOMPARE(f.grid()->currentIndex().row(), 2);
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_MainWindowCommands::secondCommandWaits() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("Check1")), Qt::LeftButton);
    f.find<QPlainTextEdit>(QStringLiteral("Text4"))
        ->setPlainText(QStringLiteral("UPDATE rsite SET reach_id=12 WHERE site_id=3"));
    // While the message box is open, DB Tables is pressed: it must not start.
    bool clicked = false;
    f.dialogs.onMessage = [&](const QString&) {
        f.button("TablesButton")->setEnabled(true);
        f.click("TablesButton");
        clicked = true;
    };
    f.click("Getbutton");
    QVERIFY(clicked);
    QCOMPARE(f.text("Text1"), QStringLiteral("SQL"));
    QVERIFY(f.sql().startsWith(QLatin1String("UPDATE")));
}

void tst_MainWindowCommands::dateDialog() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.click("Getbutton"); // disabled after the site list: nothing happens
    f.click("Command4");
    DateRangeDialog* form = f.window->dateRangeDialog();
    QTRY_VERIFY(form->isVisible());
    QVERIFY(form->isModal());
    QCOMPARE(form->windowTitle(), QStringLiteral("Start/End Dates"));
    QCOMPARE(form->combo(0)->count(), 31);
    QCOMPARE(form->combo(1)->count(), 12);
    QCOMPARE(form->combo(2)->count(), 31);
    QCOMPARE(form->combo(2)->itemText(0), QStringLiteral("2010"));
    QCOMPARE(form->combo(5)->itemText(30), QStringLiteral("1980"));
    QCOMPARE(form->combo(4)->itemText(11), QStringLiteral("Dec"));
    QTest::mouseClick(form->findChild<QRadioButton*>(QStringLiteral("Option1_6")), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_VERIFY(!form->isVisible());
    QCOMPARE(f.text("Text2"), QStringLiteral("01-Jan-2009"));
    QCOMPARE(f.text("Text3"), QStringLiteral("31-Dec-2009"));
    QVERIFY(f.button("Getbutton")->isEnabled());

    // The boxes keep their choices; a typed year outside the list is taken as typed.
    f.click("Command4");
    QTRY_VERIFY(form->isVisible());
    QCOMPARE(f.window->dateRangeDialog(), form);
    QCOMPARE(form->combo(3)->currentText(), QStringLiteral("31"));
    form->combo(0)->setEditText(QStringLiteral("05"));
    form->combo(1)->setEditText(QStringLiteral("Mar"));
    form->combo(2)->setEditText(QStringLiteral("1960"));
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(f.text("Text2"), QStringLiteral("05-Mar-1960"));
}

void tst_MainWindowCommands::dateDialogClosedFromTitleBar() {
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    f.click("Command4");
    QPointer<DateRangeDialog> form = f.window->dateRangeDialog();
    QTRY_VERIFY(form->isVisible());
    QTest::mouseClick(form->findChild<QRadioButton*>(QStringLiteral("Option1_6")), Qt::LeftButton);
    form->close();
    QTRY_VERIFY(form.isNull());
    // Nothing was written; GO is available again.
    QCOMPARE(f.text("Text2"), QStringLiteral("25-Jan-2010"));
    QVERIFY(f.button("Getbutton")->isEnabled());
    // A new dialog: yesterday and today, and empty lists.
    DateRangeDialog* fresh = f.window->dateRangeDialog();
    QCOMPARE(fresh->combo(0)->currentText(), QStringLiteral("31"));
    QCOMPARE(fresh->combo(1)->currentText(), QStringLiteral("Jan"));
    QCOMPARE(fresh->combo(3)->currentText(), QStringLiteral("01"));
    QCOMPARE(fresh->combo(4)->currentText(), QStringLiteral("Feb"));
    QCOMPARE(fresh->combo(0)->count(), 0);
    QCOMPARE(fresh->combo(2)->count(), 0);
}

QTEST_MAIN(tst_MainWindowCommands)
#include "tst_MainWindowCommands.moc"
