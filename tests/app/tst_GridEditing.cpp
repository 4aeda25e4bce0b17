#include "ConnectionFakes.h"
#include "MainWindowFixture.h"
#include "RecordRows.h"
#include "app/mainwindow/GridEditing.h"
#include "core/db/Database.h"
#include "gui/widgets/RecordSetModel.h"

#include <QAction>
#include <QMenu>

using namespace rp;
using rp::test::BrowsingHdb;
using rp::test::MainWindowFixture;

// Journeys through the grid's editing on a temporary HDB, checking the database after each step.
class tst_GridEditing : public QObject {
    Q_OBJECT
private slots:
    void init() { hdb = std::make_unique<BrowsingHdb>(); }
    void cleanup() { hdb.reset(); }
    void autoInsertNextTimeStep_data();
    void autoInsertNextTimeStep();
    void quickInsertionWithTheKeyboard();
    void typedFirstCellIsNotFilled();
    void copyAddPasteAndTheDuplicateKey();
    void pasteBeforeCopy();
    void deleteRecords();
    void failedDeleteIsShown();
    void editingNotAllowed();
    void wrongTypeKeepsTheTyping();
    void refusedValueIsSaidOnce_data();
    void refusedValueIsSaidOnce();
    void doubleClickEditsTheCell_data();
    void doubleClickEditsTheCell();
    void keyChangeIsConfirmed_data();
    void keyChangeIsConfirmed();
    void undoAndMarkers();
    void helpText();

private:
    std::unique_ptr<BrowsingHdb> hdb;
};

namespace {

QStringList rows(const BrowsingHdb& hdb, const QString& sql) {
    return test::recordRows(*openDatabase(hdb.connectionString), sql);
}

QStringList series(const BrowsingHdb& hdb, const QString& table, int key) {
    return rows(hdb, QStringLiteral("SELECT * FROM %1 WHERE datatype_site_id=%2 ORDER BY date_time")
                         .arg(table)
                         .arg(key));
}

// Site list -> parameters -> GO, then GO again with the editing boxes checked.
bool openSeries(MainWindowFixture& f, int step, int key, const QString& start, const QString& end,
                bool allowEdit, bool autoInsert) {
    if (!f.start())
        return false;
    f.chooseTimeStep(step);
    f.setDates(start, end);
    f.doubleClickRow(f.findRow(0, QString::number(key / 1000)));
    const int row = f.findRow(1, QString::number(key));
    if (row < 0)
        return false;
    f.selectRow(row);
    f.click("Getbutton");
    if (allowEdit)
        QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("AllowEdit")), Qt::LeftButton);
    if (autoInsert)
        QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("AutoInsert")), Qt::LeftButton);
    f.click("Getbutton");
    return f.dialogs.messages.isEmpty() &&
           f.window->gridModel()->isEditable() == (allowEdit || autoInsert);
}

void moveTo(MainWindowFixture& f, int row, int column) {
    f.grid()->setCurrentIndex(f.grid()->model()->index(row, column));
}

void trigger(MainWindowFixture& f, const char* entry) {
    f.window->findChild<QAction*>(QLatin1String(entry))->trigger();
}

QString rowHeader(MainWindowFixture& f, int row) {
    return f.grid()->model()->headerData(row, Qt::Vertical).toString();
}

// Types into the current cell: the first key opens the editor, the rest go to it.
void type(MainWindowFixture& f, const QString& text, Qt::Key end) {
    QTest::keyClick(f.grid(), text.at(0).toLatin1());
    auto* editor = qobject_cast<QLineEdit*>(f.grid()->indexWidget(f.grid()->currentIndex()));
    QVERIFY(editor);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, end);
}

QString position(MainWindowFixture& f) {
    return f.find<QWidget>(QStringLiteral("Adodc1"))
        ->findChild<QLabel*>(QStringLiteral("positionCaption"))
        ->text();
}

} // namespace

void tst_GridEditing::autoInsertNextTimeStep_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("newRow");
    QTest::newRow("daily") << 2 << 1001 << "01-Jan-2010"
                           << "31-Jan-2010"
                           << "rday"
                           << "1001|2/1/2010|131|5";
    QTest::newRow("15-minute unit") << 4 << 1001 << "31-Jan-2010"
                                    << "31-Jan-2010"
                                    << "runit"
                                    << "1001|2/1/2010|96|5";
    QTest::newRow("monthly") << 1 << 1001 << "01-Jan-2010"
                             << "31-Dec-2010"
                             << "rmonth"
                             << "1001|1/1/2011|12|1";
    QTest::newRow("yearly") << 0 << 1001 << "01-Jan-2000"
                            << "31-Dec-2010"
                            << "ryear"
                            << "1001|1/1/2011|2010|1";
}

void tst_GridEditing::autoInsertNextTimeStep() {
    QFETCH(int, step);
    QFETCH(int, key);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, table);
    QFETCH(QString, newRow);
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, step, key, start, end, false, true));
    const QStringList before = series(*hdb, table, key);
    const int records = int(f.rows());
    QCOMPARE(rowHeader(f, records), QStringLiteral("*"));
    // Entering the "*" row starts a new record; nothing is saved yet.
    moveTo(f, records, 0);
    QCOMPARE(f.rows(), records + 1);
    QCOMPARE(series(*hdb, table, key), before);
    // The next cell change fills it from the last record, one time step on, and saves it.
    moveTo(f, records, 1);
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(series(*hdb, table, key), before + QStringList{newRow});
    QCOMPARE(f.grid()->currentIndex(), f.grid()->model()->index(records, 2));
    QCOMPARE(f.window->recordSet()->absolutePosition(), records + 1);
    QCOMPARE(position(f), QString::number(records + 1));
    QCOMPARE(rowHeader(f, records), QStringLiteral("\u2022"));
    QCOMPARE(rowHeader(f, records + 1), QStringLiteral("*"));
    // Further cell changes fill nothing until a new row is started.
    moveTo(f, records, 3);
    QCOMPARE(series(*hdb, table, key).size(), before.size() + 1);
}

void tst_GridEditing::quickInsertionWithTheKeyboard() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", false, true));
    moveTo(f, 31, 0);
    moveTo(f, 31, 1); // 1 Feb, value of 31 Jan; the cursor stands in the value column
    type(f, QStringLiteral("140"), Qt::Key_Return);
    // Enter saved the value and went on to the "*" row: a new record after 1 Feb.
    QCOMPARE(series(*hdb, "rday", 1001).last(), QStringLiteral("1001|2/1/2010|140|5"));
    QCOMPARE(f.grid()->currentIndex().row(), 32);
    QTest::keyClick(f.grid(), Qt::Key_Right);
    QCOMPARE(series(*hdb, "rday", 1001).last(), QStringLiteral("1001|2/2/2010|140|5"));
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_GridEditing::typedFirstCellIsNotFilled() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", false, true));
    moveTo(f, 31, 0);
    type(f, QStringLiteral("1001"), Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex().column(), 1);
    QCOMPARE(f.cell(31, 0), QStringLiteral("1001"));
    QCOMPARE(f.cell(31, 1), QString());
    QCOMPARE(series(*hdb, "rday", 1001).size(), 31);
    // Leaving it without a date: the database refuses it and the row keeps what was typed.
    moveTo(f, 3, 1);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].contains(QLatin1String("NOT NULL"), Qt::CaseInsensitive),
             qPrintable(f.dialogs.messages[0]));
    QCOMPARE(f.grid()->currentIndex().row(), 31);
    QCOMPARE(f.cell(31, 0), QStringLiteral("1001"));
    type(f, QStringLiteral("2/5/2010"), Qt::Key_Tab);
    moveTo(f, 3, 1);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(series(*hdb, "rday", 1001).last(), QStringLiteral("1001|2/5/2010||"));
}

void tst_GridEditing::copyAddPasteAndTheDuplicateKey() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    auto* menu = f.window->findChild<QMenu*>(QStringLiteral("mnuPopup"));
    QStringList entries;
    for (QAction* a : menu->actions())
        entries.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(entries, (QStringList{"Add New Record", "Delete Record", "-", "Copy Record",
                                   "Paste Record", "Cancel", "Help", "-", "Load File\u2026"}));
    moveTo(f, 4, 0);
    // The right button over the row headers shows the menu.
    QWidget* headers = f.grid()->verticalHeader()->viewport();
    QTest::mousePress(headers, Qt::RightButton, {}, QPoint(5, 5));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    // So does the Edit Menu button.
    QTest::mouseClick(f.button("EditButton"), Qt::LeftButton);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    trigger(f, "mnuPopupCopy");
    trigger(f, "mnuPopupAddNew");
    QCOMPARE(f.grid()->currentIndex().row(), 31);
    QCOMPARE(position(f), QStringLiteral("32"));
    trigger(f, "mnuPopupPaste");
    QCOMPARE(f.cell(31, 1), QStringLiteral("1/5/2010"));
    QCOMPARE(series(*hdb, "rday", 1001).size(), 31);
    // Same key and date as the copied record: refused with the database's message.
    moveTo(f, 0, 0);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive),
             qPrintable(f.dialogs.messages[0]));
    QCOMPARE(f.grid()->currentIndex().row(), 31);
    QCOMPARE(f.cell(31, 2), QStringLiteral("105"));
    moveTo(f, 31, 1);
    type(f, QStringLiteral("2/3/2010"), Qt::Key_Return);
    moveTo(f, 0, 0);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(series(*hdb, "rday", 1001).last(), QStringLiteral("1001|2/3/2010|105|34"));
}

void tst_GridEditing::pasteBeforeCopy() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    moveTo(f, 2, 2);
    type(f, QStringLiteral("55"), Qt::Key_Tab);
    QCOMPARE(f.cell(2, 2), QStringLiteral("55"));
    trigger(f, "mnuPopupPaste");
    QCOMPARE(f.cell(2, 2), QStringLiteral("103"));
    QCOMPARE(f.window->recordSet()->editMode(), EditMode::None);
    moveTo(f, 5, 2);
    QCOMPARE(series(*hdb, "rday", 1001)[2], QStringLiteral("1001|1/3/2010|103|34"));
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_GridEditing::deleteRecords() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    // A new record not yet saved is discarded.
    trigger(f, "mnuPopupAddNew");
    type(f, QStringLiteral("1001"), Qt::Key_Tab);
    trigger(f, "mnuPopupDelete");

    QCOMPARE(f.rows(), 31);
    QCOMPARE(series(*hdb, "rday", 1001).size(), 31);
    // A saved one is deleted; the next record becomes current.
    moveTo(f, 9, 0);
    trigger(f, "mnuPopupDelete");
    QCOMPARE(f.rows(), 30);
    QCOMPARE(f.cell(9, 1), QStringLiteral("1/11/2010"));
    QCOMPARE(position(f), QStringLiteral("10"));
    const QStringList left = series(*hdb, "rday", 1001);
    QCOMPARE(left.size(), 30);
    QVERIFY(!left.contains(QStringLiteral("1001|1/10/2010|110|34")));
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_GridEditing::failedDeleteIsShown() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    moveTo(f, 3, 2);
    type(f, QStringLiteral("9"), Qt::Key_Tab);
    openDatabase(hdb->connectionString)->executeNative(QStringLiteral("DROP TABLE rday"));
    trigger(f, "mnuPopupDelete");
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(!f.dialogs.messages[0].isEmpty());
    // The record is still shown, its pending change cancelled.
    QCOMPARE(f.rows(), 31);
    QCOMPARE(f.cell(3, 2), QStringLiteral("104"));
    QCOMPARE(f.window->recordSet()->editMode(), EditMode::None);
}

void tst_GridEditing::editingNotAllowed() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", false, false));
    QVERIFY(!f.button("EditButton")->isEnabled());
    QCOMPARE(f.grid()->model()->rowCount(), 31); // no "*" row
    moveTo(f, 0, 2);
    // Typing changes nothing and does not move the cursor to a matching row either.
    QTest::keyClicks(f.grid(), QStringLiteral("105"));
    QVERIFY(!f.grid()->indexWidget(f.grid()->currentIndex()));
    QCOMPARE(f.grid()->currentIndex(), f.grid()->model()->index(0, 2));
    QCOMPARE(f.cell(0, 2), QStringLiteral("101"));
    auto* menu = f.window->findChild<QMenu*>(QStringLiteral("mnuPopup"));
    QTest::mousePress(f.grid()->verticalHeader()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QTest::qWait(20);
    QVERIFY(!menu->isVisible());
    QCOMPARE(series(*hdb, "rday", 1001)[0], QStringLiteral("1001|1/1/2010|101|34"));
    // Ticking a box enables GO and Add New; the grid stays read-only until the next query.
    auto* addNew = f.window->findChild<QAction*>(QStringLiteral("mnuPopupAddNew"));
    addNew->setEnabled(false);
    QTest::mouseClick(f.find<QCheckBox>(QStringLiteral("AllowEdit")), Qt::LeftButton);
    QVERIFY(addNew->isEnabled());
    QVERIFY(f.button("Getbutton")->isEnabled());
    QVERIFY(!f.window->gridModel()->isEditable());
}

void tst_GridEditing::wrongTypeKeepsTheTyping() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    moveTo(f, 1, 2);
    type(f, QStringLiteral("abc"), Qt::Key_Tab);
    QTRY_COMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].contains(QLatin1String("value")));
    // The editor is open again on the cell with the text typed.
    QTRY_VERIFY(f.grid()->indexWidget(f.grid()->currentIndex()));
    auto* editor = qobject_cast<QLineEdit*>(f.grid()->indexWidget(f.grid()->currentIndex()));
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    QCOMPARE(f.grid()->currentIndex(), f.grid()->model()->index(1, 2));
    editor->setText(QStringLiteral("12.5"));
    QTest::keyClick(editor, Qt::Key_Return);
    moveTo(f, 0, 0);
    QCOMPARE(series(*hdb, "rday", 1001)[1], QStringLiteral("1001|1/2/2010|12.5|34"));
}

void tst_GridEditing::refusedValueIsSaidOnce_data() {
    QTest::addColumn<int>("typedEnd");
    QTest::addColumn<QString>("dropWith");
    QTest::newRow("Enter, then Esc") << int(Qt::Key_Return) << "Esc";
    QTest::newRow("Enter, then Edit Menu Cancel") << int(Qt::Key_Return) << "Cancel";
    QTest::newRow("Tab, then Esc") << int(Qt::Key_Tab) << "Esc";
}

void tst_GridEditing::refusedValueIsSaidOnce() {
    QFETCH(int, typedEnd);
    QFETCH(QString, dropWith);
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    const QModelIndex cell = f.grid()->model()->index(4, 2);
    moveTo(f, 4, 2);
    type(f, QStringLiteral("12,5x"), Qt::Key(typedEnd));
    QTRY_COMPARE(f.dialogs.messages.size(), 1);
    const auto editorText = [&] {
        auto* editor = qobject_cast<QLineEdit*>(f.grid()->indexWidget(cell));
        return editor ? editor->text() : QStringLiteral("<no editor>");
    };
    // Still in the cell with the text typed, also after trying to leave it again.
    QTRY_COMPARE(editorText(), QStringLiteral("12,5x"));
    QCOMPARE(f.grid()->currentIndex(), cell);
    for (int attempt = 0; attempt < 2; ++attempt) {
        moveTo(f, 9, 2);
        QTRY_COMPARE(editorText(), QStringLiteral("12,5x"));
        QCOMPARE(f.grid()->currentIndex(), cell);
    }
    QCOMPARE(f.dialogs.messages.size(), 1);
    if (dropWith == QLatin1String("Esc"))
        QTest::keyClick(f.grid()->indexWidget(cell), Qt::Key_Escape);
    else
        trigger(f, "mnuPopupCancel");
    QTRY_VERIFY(!f.grid()->indexWidget(cell));
    QCOMPARE(f.cell(4, 2), QStringLiteral("105"));
    moveTo(f, 9, 2);
    moveTo(f, 1, 1);
    QTest::qWait(50);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.grid()->currentIndex(), f.grid()->model()->index(1, 1));
    QCOMPARE(series(*hdb, "rday", 1001)[4], QStringLiteral("1001|1/5/2010|105|34"));
}

void tst_GridEditing::doubleClickEditsTheCell_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("value") << 5 << 2 << "77"
                           << "1001|1/6/2010|77|34";
    QTest::newRow("source") << 8 << 3 << "7"
                            << "1001|1/9/2010|109|7";
}

void tst_GridEditing::doubleClickEditsTheCell() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    QSignalSpy replaced(f.window.get(), &MainWindow::resultReplaced);
    f.doubleClickRow(row, column);
    const QModelIndex cell = f.grid()->model()->index(row, column);
    // No GO: the series stays with the cursor on the cell, whose editor is open.
    QTest::qWait(50);
    QCOMPARE(replaced.count(), 0);
    QCOMPARE(f.grid()->currentIndex(), cell);
    auto* editor = qobject_cast<QLineEdit*>(f.grid()->indexWidget(cell));
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key_Return);
    moveTo(f, 0, 0);
    QCOMPARE(series(*hdb, "rday", 1001)[row], stored);
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_GridEditing::keyChangeIsConfirmed_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("left"); // records of 1001 left in rday
    QTest::newRow("another key, No") << "2001" << QList<bool>{false} << 1 << 31;
    QTest::newRow("another key, Yes") << "2001" << QList<bool>{true} << 1 << 30;
    QTest::newRow("the same key") << "1001" << QList<bool>{} << 0 << 31;
}

void tst_GridEditing::keyChangeIsConfirmed() {
    QFETCH(QString, typed);
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(int, left);
    test::ScriptedPrompts prompts;
    prompts.yesNo = answers;
    MainWindowFixture f(*hdb, true, QStringLiteral("Rivelpost_setup.txt"), 1920, &prompts);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    moveTo(f, 20, 0);
    QTest::keyClick(f.grid(), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(f.grid()->indexWidget(f.grid()->currentIndex()));
    QVERIFY(editor);
    editor->setText(typed);
    QTest::keyClick(editor, Qt::Key_Return);
    moveTo(f, 2, 2);
    QCOMPARE(prompts.asked.size(), questions);
    if (questions > 0)
        QVERIFY2(prompts.asked[0].contains(QLatin1String("1001")), qPrintable(prompts.asked[0]));
    QCOMPARE(series(*hdb, "rday", 1001).size(), left);
    QCOMPARE(f.cell(20, 0), left == 31 ? QStringLiteral("1001") : typed);
    QCOMPARE(f.dialogs.messages, QStringList());
}

void tst_GridEditing::undoAndMarkers() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    const QStringList original = series(*hdb, "rday", 1001);
    moveTo(f, 6, 2);
    type(f, QStringLiteral("1"), Qt::Key_Return);
    QCOMPARE(rowHeader(f, 6), QStringLiteral("\u2022"));
    QCOMPARE(series(*hdb, "rday", 1001)[6], QStringLiteral("1001|1/7/2010|1|34"));
    moveTo(f, 8, 0);
    trigger(f, "mnuPopupDelete");
    QCOMPARE(series(*hdb, "rday", 1001).size(), 30);
    QTest::keyClick(f.grid(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(series(*hdb, "rday", 1001),
             original.mid(0, 6) + QStringList{"1001|1/7/2010|1|34"} + original.mid(7));
    QTest::keyClick(f.grid(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(series(*hdb, "rday", 1001), original);
    QCOMPARE(rowHeader(f, 6), QString());
    QCOMPARE(f.dialogs.messages, QStringList());
    // A new result starts without anything to undo.
    moveTo(f, 2, 2);
    type(f, QStringLiteral("7"), Qt::Key_Return);
    f.click("Getbutton");
    QTest::keyClick(f.grid(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(series(*hdb, "rday", 1001)[2], QStringLiteral("1001|1/3/2010|7|34"));
}

void tst_GridEditing::helpText() {
    MainWindowFixture f(*hdb);
    QVERIFY(openSeries(f, 2, 1001, "01-Jan-2010", "31-Jan-2010", true, false));
    trigger(f, "mnuPopupHelp");
    f.click("TablesButton");
    f.selectRow(f.findRow(0, QStringLiteral("rsite")));
    f.click("Getbutton");
    QCOMPARE(f.window->windowTitle(), QStringLiteral("TABLE rsite"));
    trigger(f, "mnuPopupHelp");
    QCOMPARE(f.dialogs.messages.size(), 2);
    QCOMPARE(f.dialogs.messages[0], editHelpText(false));
    QCOMPARE(f.dialogs.messages[1], editHelpText(true));
}

QTEST_MAIN(tst_GridEditing)
#include "tst_GridEditing.moc"
