#include "BrowsingHdb.h"
#include "RecordRows.h"
#include "core/base/Error.h"
#include "core/db/RecordSet.h"
#include "core/edit/RecordEditor.h"

#include <QtTest>

using namespace rp;
using rp::test::BrowsingHdb;

class tst_RecordEditor : public QObject {
    Q_OBJECT
private slots:
    void init() {
        hdb = std::make_unique<BrowsingHdb>();
        db = openDatabase(hdb->connectionString);
    }
    void cleanup() {
        db.reset();
        hdb.reset();
    }
    void insertionFillsTheNextTimeStep_data();
    void insertionFillsTheNextTimeStep();
    void insertionStopsAtTypedCells_data();
    void insertionStopsAtTypedCells();
    void insertionAgainstADuplicate();
    void deleteRecord();
    void failedDeleteIsReported();
    void copyAndPaste();
    void pasteFailures_data();
    void pasteFailures();
    void undo_data();
    void undo();
    void undoAfterDeleteKeepsOlderChanges();

private:
    std::unique_ptr<RecordSet> series(const QString& table, int key) {
        return db->open(QStringLiteral("SELECT * FROM %1 WHERE datatype_site_id=%2 ORDER BY "
                                       "date_time")
                            .arg(table)
                            .arg(key),
                        LockType::Optimistic);
    }
    QStringList rows(const QString& sql) { return test::recordRows(*db, sql); }
    InsertionContext context(TimeStep step, const QString& interval, int stepCount) {
        InsertionContext c;
        c.autoInsert = true;
        c.column1Caption = QStringLiteral("date_time");
        c.step = step;
        c.dateIncrement = interval;
        c.stepCount = stepCount;
        return c;
    }

    std::unique_ptr<BrowsingHdb> hdb;
    std::shared_ptr<Database> db;
};

void tst_RecordEditor::insertionFillsTheNextTimeStep_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<int>("stepCount");
    QTest::addColumn<QString>("newRow");
    QTest::newRow("daily, source 34 becomes 5")
        << "rday" << 1001 << 2 << "d" << 1 << "1001|2/1/2010|131|5";
    QTest::newRow("15-minute unit values")
        << "runit" << 1001 << 4 << "n" << 15 << "1001|2/1/2010|96|5";
    QTest::newRow("30-minute unit values")
        << "runit" << 1003 << 4 << "n" << 30 << "1003|2/1/2010|48|5";
    QTest::newRow("hourly") << "rhour" << 1002 << 3 << "h" << 1 << "1002|2/1/2010 1:00:00 AM|25|5";
    QTest::newRow("monthly") << "rmonth" << 1001 << 1 << "m" << 1 << "1001|1/1/2011|12|1";
    QTest::newRow("yearly") << "ryear" << 1001 << 0 << "y" << 1 << "1001|1/1/2011|2010|1";
    QTest::newRow("daily maximum") << "rdaymax" << 1001 << 5 << "d" << 1 << "1001|2/1/2010|31|5";
}

void tst_RecordEditor::insertionFillsTheNextTimeStep() {
    QFETCH(QString, table);
    QFETCH(int, key);
    QFETCH(int, step);
    QFETCH(QString, interval);
    QFETCH(int, stepCount);
    QFETCH(QString, newRow);
    auto rs = series(table, key);
    const qsizetype before = rs->recordCount();
    rs->moveFirst();
    RecordEditor editor;
    editor.beforeInsert(*rs, true);
    QCOMPARE(rs->absolutePosition(), before); // the last record was taken
    editor.addNew(*rs);
    const auto column =
        editor.cellChanged(*rs, context(timeStepFromIndex(step), interval, stepCount));
    QCOMPARE(column, std::optional<int>(2));
    QCOMPARE(rs->recordCount(), before + 1);
    QCOMPARE(rs->absolutePosition(), before + 1);
    QCOMPARE(rs->editMode(), EditMode::None);
    QVERIFY(!editor.buffer().insertionPending());
    const QStringList all =
        rows(QStringLiteral("SELECT * FROM %1 WHERE datatype_site_id=%2 ORDER BY date_time")
                 .arg(table)
                 .arg(key));
    QCOMPARE(all.size(), before + 1);
    QCOMPARE(all.last(), newRow);
    // The next cell change fills nothing until a new row is started again.
    QCOMPARE(editor.cellChanged(*rs, context(timeStepFromIndex(step), interval, stepCount)),
             std::nullopt);
    QCOMPARE(rs->recordCount(), before + 1);
}

void tst_RecordEditor::insertionStopsAtTypedCells_data() {
    QTest::addColumn<int>("typedColumn");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("row"); // the pending new record
    QTest::newRow("first cell typed: nothing filled") << 0 << "2001"
                                                      << "2001|||";
    QTest::newRow("value typed: key and date filled") << 2 << "77"
                                                      << "1001|2/1/2010|77|";
}

void tst_RecordEditor::insertionStopsAtTypedCells() {
    QFETCH(int, typedColumn);
    QFETCH(QString, typed);
    QFETCH(QString, row);
    auto rs = series(QStringLiteral("rday"), 1001);
    RecordEditor editor;
    editor.beforeInsert(*rs, true);
    editor.addNew(*rs);
    rs->setValue(typedColumn, typed);
    QCOMPARE(editor.cellChanged(*rs, context(TimeStep::Day, QStringLiteral("d"), 1)), std::nullopt);
    QStringList cells;
    for (int f = 0; f < rs->fieldCount(); ++f)
        cells.append(rs->displayText(rs->currentRow(), f));
    QCOMPARE(cells.join(QLatin1Char('|')), row);
    QCOMPARE(rs->editMode(), EditMode::Add); // not saved
    // Further cell changes advance nothing and fill nothing more.
    editor.cellChanged(*rs, context(TimeStep::Day, QStringLiteral("d"), 1));
    QCOMPARE(rs->displayText(rs->currentRow(), 1), row.section(QLatin1Char('|'), 1, 1));
    QCOMPARE(rows(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id=1001")).size(), 31);
}

void tst_RecordEditor::insertionAgainstADuplicate() {
    // A copied record from the middle of the series: its next day is already there.
    auto rs = series(QStringLiteral("rday"), 1001);
    rs->setAbsolutePosition(10);
    RecordEditor editor;
    editor.copyRecord(*rs);
    editor.addNew(*rs);
    try {
        editor.cellChanged(*rs, context(TimeStep::Day, QStringLiteral("d"), 1));
        QFAIL("the duplicate was saved");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive),
                 qPrintable(e.message()));
    }
    // What was filled stays, for the user to correct.
    QCOMPARE(rs->editMode(), EditMode::Add);
    QCOMPARE(rs->displayText(rs->currentRow(), 1), QStringLiteral("1/11/2010"));
    rs->setValue(1, QStringLiteral("2/1/2010"));
    rs->update();
    QCOMPARE(rows(QStringLiteral("SELECT value FROM rday WHERE datatype_site_id=1001 AND "
                                 "date_time=#01-Feb-2010#")),
             QStringList{"110"});
}

void tst_RecordEditor::deleteRecord() {
    auto rs = series(QStringLiteral("rday"), 1001);
    RecordEditor editor;
    // An unsaved new record is discarded; the saved ones stay.
    editor.addNew(*rs);
    rs->setValue(0, 1001);
    editor.deleteRecord(*rs);
    QCOMPARE(rs->recordCount(), 31);
    QCOMPARE(rows(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id=1001")).size(), 31);
    // A saved one is deleted from the database.
    rs->setAbsolutePosition(3);
    editor.deleteRecord(*rs);
    QCOMPARE(rs->recordCount(), 30);
    QVERIFY(rows(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id=1001 AND "
                                "date_time=#03-Jan-2010#"))
                .isEmpty());
}

void tst_RecordEditor::failedDeleteIsReported() {
    auto rs = series(QStringLiteral("rday"), 1001);
    RecordEditor editor;
    rs->setAbsolutePosition(2);
    rs->setValue(2, 5.0);
    db->executeNative(QStringLiteral("DROP TABLE rday"));
    QVERIFY_THROWS_EXCEPTION(Error, editor.deleteRecord(*rs));
    // The pending change was cancelled and the record is still in the set.
    QCOMPARE(rs->editMode(), EditMode::None);
    QCOMPARE(rs->recordCount(), 31);
    QCOMPARE(rs->displayText(1, 2), QStringLiteral("102"));
}

void tst_RecordEditor::copyAndPaste() {
    auto rs = series(QStringLiteral("rday"), 1001);
    RecordEditor editor;
    rs->setAbsolutePosition(5);
    editor.copyRecord(*rs);
    QCOMPARE(editor.buffer().elements(), (QStringList{"1001", "1/5/2010", "105", "34"}));
    editor.addNew(*rs);
    QVERIFY(editor.pasteRecord(*rs));
    QCOMPARE(rs->editMode(), EditMode::Add);
    // Same key and date as the copy: the database refuses it until the date is changed.
    QVERIFY_THROWS_EXCEPTION(Error, rs->update());
    rs->setValue(1, QStringLiteral("2/2/2010"));
    rs->update();
    QCOMPARE(rows(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id=1001 AND "
                                 "date_time=#02-Feb-2010#")),
             QStringList{"1001|2/2/2010|105|34"});
}

void tst_RecordEditor::pasteFailures_data() {
    QTest::addColumn<bool>("copyFirst");
    QTest::addColumn<QString>("source"); // the record set whose record is copied
    QTest::newRow("paste before copy") << false << "";
    QTest::newRow("a text the field does not take")
        << true << "SELECT site_name, site_name, site_name, site_name FROM rsite";
}

void tst_RecordEditor::pasteFailures() {
    QFETCH(bool, copyFirst);
    QFETCH(QString, source);
    RecordEditor editor;
    if (copyFirst) {
        const auto names = db->open(source, LockType::ReadOnly);
        editor.copyRecord(*names);
    }
    auto rs = series(QStringLiteral("rday"), 1001);
    rs->setAbsolutePosition(1);
    rs->setValue(2, 9.0);
    QVERIFY(!editor.pasteRecord(*rs));
    QCOMPARE(rs->editMode(), EditMode::None);
    QCOMPARE(rs->displayText(0, 2), QStringLiteral("101"));
    QCOMPARE(rows(QStringLiteral("SELECT value FROM rday WHERE datatype_site_id=1001 AND "
                                 "date_time=#01-Jan-2010#")),
             QStringList{"101"});
}

void tst_RecordEditor::undo_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("edited value") << "edit";
    QTest::newRow("edited key and date") << "rekey";
    QTest::newRow("added record") << "add";
    QTest::newRow("deleted record") << "delete";
}

void tst_RecordEditor::undo() {
    QFETCH(QString, change);
    const QString all = QStringLiteral("SELECT * FROM rday ORDER BY datatype_site_id, date_time");
    const QStringList original = rows(all);
    auto rs = series(QStringLiteral("rday"), 1001);
    RecordEditor editor;
    rs->setAbsolutePosition(4);
    if (change == QLatin1String("edit") || change == QLatin1String("rekey")) {
        editor.history().beforeChange(*rs);
        rs->setValue(2, QStringLiteral("999"));
        if (change == QLatin1String("rekey")) {
            rs->setValue(0, QStringLiteral("2001"));
            rs->setValue(1, QStringLiteral("3/1/2010"));
        }
        rs->moveNext();
        editor.history().settle(*rs);
    } else if (change == QLatin1String("add")) {
        editor.addNew(*rs);
        editor.history().beforeChange(*rs);
        rs->setValue(0, 1001);
        rs->setValue(1, QStringLiteral("3/1/2010"));
        rs->moveFirst();
        editor.history().settle(*rs);
    } else {
        editor.deleteRecord(*rs);
    }
    QVERIFY(rows(all) != original);
    QVERIFY(editor.history().canUndo());
    editor.undo(*rs);
    QCOMPARE(rows(all), original);
    QVERIFY(!editor.history().canUndo());
}

void tst_RecordEditor::undoAfterDeleteKeepsOlderChanges() {
    const QString all = QStringLiteral("SELECT * FROM rday ORDER BY datatype_site_id, date_time");
    const QStringList original = rows(all);
    auto rs = series(QStringLiteral("rday"), 1001);
    RecordEditor editor;
    rs->setAbsolutePosition(6);
    editor.history().beforeChange(*rs);
    rs->setValue(2, QStringLiteral("1"));
    rs->update();
    editor.history().settle(*rs);
    QVERIFY(editor.history().isChanged(rs->bookmark()));
    editor.deleteRecord(*rs);
    editor.undo(*rs); // the record comes back, with its edited value
    QVERIFY(editor.history().isChanged(rs->bookmark()));
    editor.undo(*rs); // and then gets its old value
    QCOMPARE(rows(all), original);
    // Unsaved changes are undone first, without touching the saved ones.
    rs->setValue(2, 3.0);
    editor.undo(*rs);
    QCOMPARE(rs->editMode(), EditMode::None);
    QCOMPARE(rows(all), original);
}

QTEST_GUILESS_MAIN(tst_RecordEditor)
#include "tst_RecordEditor.moc"
