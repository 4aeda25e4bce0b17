#include "XlsxFixtures.h"
#include "XlsxRows.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/RunQuery.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxTableWriter.h"
#include "providers/workbook/WorkbookFile.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;
using namespace rp::test;

namespace {

QDateTime day(int d, int h = 0, int min = 0) {
    return naiveDateTime(QDate(1999, 3, d), QTime(h, min));
}

QString connectionFor(const QString& path) {
    return QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=%1;ReadOnly=False;HDR=Yes;")
        .arg(path);
}

QByteArray fingerprint(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

template <class F> QString errorOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

// An HDB workbook as the program's writer makes it: rsite, rday and a notes sheet of mixed cells.
void writeHdbWorkbook(const QString& path) {
    XlsxTableWriter writer(path);
    writer.addSheet(
        QStringLiteral("rsite"),
        {"site_id", "station_id", "site_name", "state", "reach_id", "datatype_site_id",
         "datatype_name", "unit_name", "datatype_id"},
        QList<QVariantList>{
            {1.0, "09234500", "Green River", "UT", 3.0, 1001.0, "FLOW", "CFS", 19.0},
            {1.0, "09234500", "Green River", "UT", 3.0, 1002.0, "STORAGE", "ACRE-FEET", 17.0},
        });
    writer.addSheet(QStringLiteral("rday"), {"datatype_site_id", "date_time", "value", "source"},
                    QList<QVariantList>{
                        {1001.0, day(5), 12.5, "A"},
                        {1001.0, day(6), 1.0, "A"},
                        {1001.0, day(7), 14.25, QVariant()},
                        {1002.0, day(5), 3000.0, "E"},
                    });
    writer.addSheet(QStringLiteral("notes"), {"what", "when"},
                    QList<QVariantList>{{"checked", day(8, 9, 30)}, {42.0, QVariant()}});
    writer.close();
}

QList<QVariantList> sheetOf(const QString& path, const QString& sheet) {
    return XlsxReader(path).readSheet(sheet);
}

bool openpyxlAvailable() {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

// Runs xlsx_keep.py (make, make-table, dump) on a workbook; dump's JSON.
QJsonObject keep(const QString& script, const QString& what, const QString& book) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {script, what, book});
    p.waitForFinished(60000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The records of a table as text, in their order.
QStringList recordsOf(Database& db, const QString& table) {
    const auto rs = db.open(QStringLiteral("SELECT * FROM [%1$]").arg(table), LockType::ReadOnly);
    QStringList records;
    for (qsizetype r = 0; r < rs->recordCount(); ++r) {
        QStringList fields;
        for (int f = 0; f < rs->fieldCount(); ++f)
            fields.append(rs->value(r, f).toString());
        records.append(fields.join(u'|'));
    }
    return records;
}

} // namespace

class TestWorkbookDatabase : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    int m_count = 0;

    // A fresh HDB workbook for each test.
    QString newWorkbook() {
        const QString path = m_dir.filePath(QStringLiteral("hdb%1.xlsx").arg(++m_count));
        writeHdbWorkbook(path);
        return path;
    }

private slots:
    // A change keeps the workbook's formats, formulas, comments, names and other sheets: every
    // cell the statement did not change reads as before (openpyxl), the notes sheet and its chart
    // stay byte for byte.
    void changeKeepsTheRestOfTheWorkbook_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("changedCells");
        QTest::addColumn<QString>("newValue");   // of the first changed cell, as openpyxl shows it
        QTest::addColumn<QString>("valuesName"); // the defined name over column C's records
        QTest::newRow("update") << "UPDATE [rday$] SET [value]=99.25 WHERE date_time=#03-06-1999#"
                                << QStringList{"C3"} << "99.25"
                                << "rday!$C$2:$C$7";
        QTest::newRow("insert")
            << "INSERT INTO [rday$] (datatype_site_id, date_time, [value]) VALUES (1002, "
               "#03-11-1999#, 7.5)"
            << QStringList{"A8", "B8", "C8"} << "1002"
            << "rday!$C$2:$C$8";
    }

    void changeKeepsTheRestOfTheWorkbook() {
        QFETCH(QString, statement);
        QFETCH(QStringList, changedCells);
        QFETCH(QString, newValue);
        QFETCH(QString, valuesName);
        if (!openpyxlAvailable())
            QSKIP("python3-openpyxl is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hdb.xlsx"));
        keep(QFINDTESTDATA("xlsx_keep.py"), QStringLiteral("make"), path);
        const QJsonObject before =
            keep(QFINDTESTDATA("xlsx_keep.py"), QStringLiteral("dump"), path);
        QVERIFY(!before.isEmpty());
        openDatabase(connectionFor(path))->execute(statement);
        const QJsonObject after = keep(QFINDTESTDATA("xlsx_keep.py"), QStringLiteral("dump"), path);
        for (const QString& key : before.keys())
            if (key != u"cells" && key != u"names")
                QCOMPARE(after.value(key), before.value(key));
        QCOMPARE(after.value("names").toObject(), (QJsonObject{{"values", valuesName}}));
        QCOMPARE(after.value("cells").toObject().value("notes"),
                 before.value("cells").toObject().value("notes"));
        const QJsonObject was = before.value("cells").toObject().value("rday").toObject();
        const QJsonObject is = after.value("cells").toObject().value("rday").toObject();
        for (const QString& cell : was.keys())
            if (!changedCells.contains(cell))
                QVERIFY2(is.value(cell) == was.value(cell), qPrintable(cell));
        QCOMPARE(is.value(changedCells.first()).toArray().at(0).toVariant().toString(), newValue);
        for (const QString& cell : changedCells)
            QVERIFY2(is.contains(cell), qPrintable(cell));
    }

    void sheetsBecomeTypedTables() {
        const auto db = openDatabase(connectionFor(newWorkbook()));
        QCOMPARE(db->tables(), QStringList({"notes", "rday", "rsite"}));
        QVERIFY(db->readOnlyReason().isEmpty());
        const auto rs = db->open(QStringLiteral("SELECT * FROM [rday$] WHERE datatype_site_id=1001 "
                                                "AND date_time BETWEEN #05-Mar-1999# AND "
                                                "#06-Mar-1999# ORDER BY date_time;"),
                                 LockType::ReadOnly);
        QCOMPARE(rs->fieldNames(),
                 QStringList({"datatype_site_id", "date_time", "value", "source"}));
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(rs->fieldType(0), FieldType::Integer);
        QCOMPARE(rs->fieldType(1), FieldType::DateTime);
        QCOMPARE(rs->fieldType(2), FieldType::Real);
        QCOMPARE(rs->value(0, 0), QVariant(qlonglong(1001)));
        QCOMPARE(rs->value(0, 1), QVariant(day(5)));
        QCOMPARE(rs->value(1, 2), QVariant(1.0));
        const auto sites = db->open(QStringLiteral("SELECT DISTINCT site_id, site_name FROM "
                                                   "[rsite$]"),
                                    LockType::ReadOnly);
        QCOMPARE(sites->recordCount(), 1);
        QCOMPARE(sites->value(0, 0), QVariant(qlonglong(1)));
    }

    void gridEditIsWrittenBackWithOneBackup() {
        const QString path = newWorkbook();
        const QByteArray original = fingerprint(path);
        const QString backup = WorkbookFile::backupPath(path);
        QVERIFY(backup.endsWith(QStringLiteral(".bak.xlsx")));
        const auto db = openDatabase(connectionFor(path));
        auto rs = db->open(QStringLiteral("SELECT * FROM [rday$] WHERE datatype_site_id=1001 "
                                          "ORDER BY date_time"),
                           LockType::Optimistic);
        QVERIFY(rs->isUpdatable());
        rs->setAbsolutePosition(2);
        rs->setValue(2, 99.5);
        rs->update();
        QCOMPARE(fingerprint(backup), original);
        QCOMPARE(sheetOf(path, QStringLiteral("rday")).at(2).at(2), QVariant(99.5));

        // A second change keeps the first backup: it holds the workbook as it was first found.
        rs->moveFirst();
        rs->deleteCurrent();
        QCOMPARE(fingerprint(backup), original);
        const QList<QVariantList> rows = sheetOf(path, QStringLiteral("rday"));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rowsDifference(rows.mid(1, 1), {{1001.0, day(6), 99.5, "A"}}), QString());
        // Sheets keep their order, the other sheets their cells.
        QCOMPARE(XlsxReader(path).sheetNames(), QStringList({"rsite", "rday", "notes"}));
        QCOMPARE(rowsDifference(sheetOf(path, QStringLiteral("notes")),
                                {{"what", "when"}, {"checked", day(8, 9, 30)}, {42.0}}),
                 QString());
    }

    void actionStatementsAreWrittenBack_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<qint64>("changed");
        QTest::addColumn<int>("rdayRows");
        QTest::newRow("delete") << "DELETE FROM [rday$] WHERE value=1" << qint64(1) << 3;
        QTest::newRow("delete star")
            << "Delete * from [rday$] WHERE datatype_site_id=1001" << qint64(3) << 1;
        QTest::newRow("insert") << "INSERT INTO [rday$] (datatype_site_id, date_time, value) "
                                   "VALUES (1001, #08-Mar-1999#, 7)"
                                << qint64(1) << 5;
        QTest::newRow("update") << "UPDATE [rday$] SET value=value*2 WHERE datatype_site_id=1002"
                                << qint64(1) << 4;
    }
    void actionStatementsAreWrittenBack() {
        QFETCH(QString, statement);
        QFETCH(qint64, changed);
        QFETCH(int, rdayRows);
        const QString path = newWorkbook();
        const auto db = openDatabase(connectionFor(path));
        QCOMPARE(db->execute(statement), changed);
        QCOMPARE(sheetOf(path, QStringLiteral("rday")).size(), rdayRows + 1);
        QVERIFY(QFile::exists(WorkbookFile::backupPath(path)));
        // The file reads back as the same tables.
        const auto again = openDatabase(connectionFor(path));
        const auto rs =
            again->open(QStringLiteral("SELECT COUNT(*) FROM [rday$]"), LockType::ReadOnly);
        QCOMPARE(rs->value(0, 0).toInt(), rdayRows);
    }

    // Records appended to a value sheet extend the table over its records and the defined names
    // that reached its last row; a name over other rows stays as it was.
    void appendedRecordsGrowTablesAndNames() {
        if (!openpyxlAvailable())
            QSKIP("python3-openpyxl is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hdb.xlsx"));
        keep(QFINDTESTDATA("xlsx_keep.py"), QStringLiteral("make-table"), path);
        openDatabase(connectionFor(path))
            ->execute(QStringLiteral("INSERT INTO [rday$] (datatype_site_id, date_time, [value]) "
                                     "VALUES (1002, #03-11-1999#, 7.5), (1002, #03-12-1999#, 8)"));
        const QJsonObject after = keep(QFINDTESTDATA("xlsx_keep.py"), QStringLiteral("dump"), path);
        QCOMPARE(after.value("tables").toObject().value("records").toArray(),
                 (QJsonArray{"A1:E9", "A1:E9"}));
        QCOMPARE(after.value("names").toObject().value("values").toString(),
                 QStringLiteral("rday!$C$2:$C$9"));
        QCOMPARE(after.value("names").toObject().value("head").toString(),
                 QStringLiteral("'rday'!$A$1:$E$2"));
    }

    // However the records changed, one statement after another, the workbook read afresh holds
    // them as the database does: only the changed records' rows are written, and what decides
    // which they are misses nothing.
    void successiveChangesReadBackAsTheRecords_data() {
        QTest::addColumn<QStringList>("statements");
        const QString update = QStringLiteral("UPDATE [rday$] SET value=value+1 WHERE value=1");
        const QString append = QStringLiteral("INSERT INTO [rday$] (datatype_site_id, date_time, "
                                              "value) VALUES (1002, #03-09-1999#, 8)");
        QTest::newRow("update, append, update the appended") << QStringList{
            update, append, QStringLiteral("UPDATE [rday$] SET source='B' WHERE value=8")};
        QTest::newRow("last record deleted, one appended") << QStringList{
            QStringLiteral("DELETE FROM [rday$] WHERE datatype_site_id=1002"), append};
        QTest::newRow("every record deleted, two appended")
            << QStringList{QStringLiteral("DELETE FROM [rday$]"), append, append};
        QTest::newRow("a record in the middle deleted, then an update")
            << QStringList{QStringLiteral("DELETE FROM [rday$] WHERE value=1"),
                           QStringLiteral("UPDATE [rday$] SET value=0 WHERE value=3000")};
        QTest::newRow("a table made and dropped, then an update")
            << QStringList{QStringLiteral("SELECT * INTO [copy] FROM [rday$]"),
                           QStringLiteral("DROP TABLE [copy]"), update};
    }

    void successiveChangesReadBackAsTheRecords() {
        QFETCH(QStringList, statements);
        const QString path = newWorkbook();
        const auto db = openDatabase(connectionFor(path));
        for (const QString& statement : statements) {
            db->execute(statement);
            const auto again = openDatabase(connectionFor(path));
            QCOMPARE(recordsOf(*again, QStringLiteral("rday")),
                     recordsOf(*db, QStringLiteral("rday")));
        }
    }

    void readingNeverWrites() {
        const QString path = newWorkbook();
        const QByteArray before = fingerprint(path);
        const auto db = openDatabase(connectionFor(path));
        db->open(QStringLiteral("SELECT * FROM [rday$]"), LockType::Optimistic);
        QCOMPARE(db->execute(QStringLiteral("DELETE FROM [rday$] WHERE value=-1")), qint64(0));
        QCOMPARE(fingerprint(path), before);
        QVERIFY(!QFile::exists(WorkbookFile::backupPath(path)));
    }

    void tablesMadeAndDroppedByStatements() {
        const QString path = newWorkbook();
        const auto db = openDatabase(connectionFor(path));
        db->execute(QStringLiteral("CREATE TABLE flows AS SELECT * FROM [rday$] WHERE "
                                   "datatype_site_id=1001"));
        QCOMPARE(XlsxReader(path).sheetNames(), QStringList({"rsite", "rday", "notes", "flows"}));
        const QList<QVariantList> flows = sheetOf(path, QStringLiteral("flows"));
        QCOMPARE(flows.size(), 4);
        QCOMPARE(flows.at(1).at(1), QVariant(day(5)));
        db->execute(QStringLiteral("DROP TABLE notes"));
        QCOMPARE(XlsxReader(path).sheetNames(), QStringList({"rsite", "rday", "flows"}));
    }

    void transactionWritesOnceAtCommit() {
        const QString path = newWorkbook();
        const auto db = openDatabase(connectionFor(path));
        db->beginTransaction();
        db->insertRow(QStringLiteral("rday"), {"datatype_site_id", "date_time", "value"},
                      {1001, day(9), 5.0});
        db->insertRow(QStringLiteral("rday"), {"datatype_site_id", "date_time", "value"},
                      {1001, day(10), 6.0});
        QCOMPARE(sheetOf(path, QStringLiteral("rday")).size(), 5); // not yet
        db->commit();
        QCOMPARE(sheetOf(path, QStringLiteral("rday")).size(), 7);

        const QByteArray before = fingerprint(path);
        db->beginTransaction();
        db->execute(QStringLiteral("DELETE FROM [rday$]"));
        db->rollback();
        QCOMPARE(fingerprint(path), before);
        const auto rs =
            db->open(QStringLiteral("SELECT COUNT(*) FROM [rday$]"), LockType::ReadOnly);
        QCOMPARE(rs->value(0, 0).toInt(), 6);
    }

    // A workbook open elsewhere is not overwritten; the change is taken back in memory too, and
    // the grid keeps the edit so that it can be tried again.
    void busyWorkbookLosesNothing_data() {
        QTest::addColumn<int>("lockFile");
        QTest::newRow("LibreOffice lock") << 0;
        QTest::newRow("Excel lock") << 1;
    }
    void busyWorkbookLosesNothing() {
        QFETCH(int, lockFile);
        const QString path = newWorkbook();
        const auto db = openDatabase(connectionFor(path));
        auto rs = db->open(QStringLiteral("SELECT * FROM [rday$] ORDER BY date_time, "
                                          "datatype_site_id"),
                           LockType::Optimistic);
        const QString lock = WorkbookFile::lockFiles(path).at(lockFile);
        {
            QFile f(lock);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("user,host;");
        }
        const QByteArray before = fingerprint(path);

        rs->setValue(2, 77.0);
        const QString error = errorOf([&] { rs->update(); });
        QVERIFY2(error.contains(QLatin1String("open in another program")), qPrintable(error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(fingerprint(path), before);
        QVERIFY(!QFile::exists(WorkbookFile::backupPath(path)));
        QCOMPARE(rs->value(2), QVariant(77.0)); // still pending
        QCOMPARE(
            db->open(QStringLiteral("SELECT value FROM [rday$] WHERE value=77"), LockType::ReadOnly)
                ->recordCount(),
            0);
        QVERIFY(!errorOf([&] { db->execute(QStringLiteral("DELETE FROM [rday$]")); }).isEmpty());
        QCOMPARE(
            db->open(QStringLiteral("SELECT * FROM [rday$]"), LockType::ReadOnly)->recordCount(),
            4);
        QCOMPARE(fingerprint(path), before);

        // Closed elsewhere: the same edit now goes through.
        QVERIFY(QFile::remove(lock));
        rs->update();
        QCOMPARE(rowsDifference(sheetOf(path, QStringLiteral("rday")).mid(1, 1),
                                {{1001.0, day(5), 77.0, "A"}}),
                 QString());
    }

    // Another connection (an own action statement runs on one of its own) or another program
    // wrote the workbook: this connection reads it again, shows the new rows and writes its own
    // change on top of them, never over them.
    void workbookWrittenElsewhereIsReadAgain() {
        const QString path = newWorkbook();
        const auto db = openDatabase(connectionFor(path));
        auto rs = db->open(QStringLiteral("SELECT * FROM [rday$] WHERE datatype_site_id=1001 "
                                          "ORDER BY date_time"),
                           LockType::Optimistic);
        QCOMPARE(rs->recordCount(), 3);
        QTest::qWait(20); // a modification time of its own
        openDatabase(connectionFor(path))
            ->execute(QStringLiteral("DELETE FROM [rday$] WHERE value=12.5"));

        QCOMPARE(
            db->open(QStringLiteral("SELECT * FROM [rday$]"), LockType::ReadOnly)->recordCount(),
            3);
        rs->moveFirst(); // the row the other connection deleted
        rs->setValue(2, 1.5);
        const QString error = errorOf([&] { rs->update(); });
        QVERIFY2(error.contains(QLatin1String("changed or deleted")), qPrintable(error));
        rs->cancelUpdate();
        rs->moveLast();
        rs->setValue(2, 15.0);
        rs->update();
        QCOMPARE(rowsDifference(sheetOf(path, QStringLiteral("rday")),
                                {{"datatype_site_id", "date_time", "value", "source"},
                                 {1001.0, day(6), 1.0, "A"},
                                 {1001.0, day(7), 15.0},
                                 {1002.0, day(5), 3000.0, "E"}}),
                 QString());
    }

    // The main window's road through a workbook HDB: site list, parameters with data, GO with
    // editing allowed, an edit, an own action statement on its own connection, GO again.
    void queriesOfTheMainWindow() {
        const QString path = newWorkbook();
        QueryState state;
        state.connectionString =
            QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=%1").arg(path);
        std::shared_ptr<Database> cached; // the window keeps its connection
        const auto connect = [&](const QString& connection) {
            if (!cached)
                cached = openDatabase(connection);
            return cached;
        };
        const auto run = [&](RunQueryInput input) {
            input.connect = connect;
            return runQuery(input, state);
        };

        RunQueryInput list;
        list.runAsTyped = true;
        state.sqlText = siteListStatement();
        RunQueryResult result = run(list);
        QVERIFY2(result.outcome == RunQueryResult::Outcome::Opened, qPrintable(result.message));
        QVERIFY(result.statement.contains(QLatin1String("FROM [rsite$]")));
        QVERIFY(state.excel);
        QCOMPARE(result.recordSet->recordCount(), 1);
        QCOMPARE(result.recordSet->value(0, 2), QVariant(QStringLiteral("Green River")));

        state.sqlText = parameterListWithDataStatement(QStringLiteral("1"), TimeStep::Day,
                                                       QStringLiteral("01-Mar-1999"),
                                                       QStringLiteral("31-Mar-1999"));
        result = run(list);
        QVERIFY2(result.outcome == RunQueryResult::Outcome::Opened, qPrintable(result.message));
        QCOMPARE(result.recordSet->recordCount(), 2);

        RunQueryInput go;
        go.allowEdit = true;
        go.seriesKey = QStringLiteral("1001");
        go.startDate = QStringLiteral("05-Mar-1999");
        go.endDate = QStringLiteral("07-Mar-1999");
        go.step = TimeStep::Day;
        result = run(go);
        QVERIFY2(result.outcome == RunQueryResult::Outcome::Opened, qPrintable(result.message));
        QVERIFY(result.statement.contains(QLatin1String("FROM [rday$] WHERE")));
        QCOMPARE(result.editable, std::optional<bool>(true));
        QCOMPARE(state.stepCount, 1);
        QCOMPARE(result.recordSet->recordCount(), 3);
        result.recordSet->setAbsolutePosition(3);
        result.recordSet->setValue(2, 14.5);
        result.recordSet->update();
        QCOMPARE(sheetOf(path, QStringLiteral("rday")).at(3).at(2), QVariant(14.5));

        RunQueryInput own;
        own.ownSql = true;
        state.sqlText = QStringLiteral("DELETE FROM rday WHERE value=1");
        result = run(own);
        QCOMPARE(result.outcome, RunQueryResult::Outcome::Executed);
        QCOMPARE(result.message, QStringLiteral("FINISHED: DELETE FROM RDAY WHERE VALUE=1"));
        QCOMPARE(sheetOf(path, QStringLiteral("rday")).size(), 4);

        result = run(go);
        QVERIFY2(result.outcome == RunQueryResult::Outcome::Opened, qPrintable(result.message));
        QCOMPARE(result.recordSet->recordCount(), 2);
        QCOMPARE(result.recordSet->value(1, 2), QVariant(14.5));
    }

    void damagedWorkbooksAreClearErrors_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a zip") << QByteArray("site_id,name\n1,x\n") << "hdb.xlsx"
                                   << "damaged or not an .xlsx file";
        QTest::newRow("empty") << QByteArray() << "hdb.xlsx"
                               << "damaged or not an .xlsx file";
        QTest::newRow("not an xls") << QByteArray("hello") << "hdb.xls"
                                    << "damaged or not an .xls file";
        QTest::newRow("missing") << QByteArray("-") << "elsewhere.xlsx"
                                 << "does not exist";
    }
    void damagedWorkbooksAreClearErrors() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (bytes != "-") {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QString error = errorOf([&] { openDatabase(connectionFor(dir.filePath(name))); });
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    void truncatedWorkbookIsAClearError() {
        const QString path = newWorkbook();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        f.close();
        for (const qsizetype keep : {whole.size() / 3, whole.size() * 2 / 3, whole.size() - 22}) {
            const QString cut = m_dir.filePath(QStringLiteral("cut.xlsx"));
            QFile out(cut);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(whole.left(keep));
            out.close();
            const QString error = errorOf([&] { openDatabase(connectionFor(cut)); });
            QVERIFY2(error.contains(cut), qPrintable(error));
        }
    }

    void workbookMadeByLibreOffice() {
        QTemporaryDir dir;
        const QString xlsx = workbookByLibreOffice(dir.path(), QStringLiteral("rday"),
                                                   "datatype_site_id,date_time,value,source\n"
                                                   "1001,1999-03-05,12.5,A\n"
                                                   "1001,1999-03-06,13,A\n"
                                                   "1001,1999-03-07,14,\n");
        if (xlsx.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed or could not convert the CSV file");
        const QByteArray original = fingerprint(xlsx);
        const auto db = openDatabase(connectionFor(xlsx));
        auto rs = db->open(QStringLiteral("SELECT * FROM [rday$] WHERE datatype_site_id=1001 AND "
                                          "date_time BETWEEN #06-Mar-1999# AND #07-Mar-1999# "
                                          "ORDER BY date_time;"),
                           LockType::Optimistic);
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(rs->value(0, 0), QVariant(qlonglong(1001)));
        QCOMPARE(rs->value(0, 1), QVariant(day(6)));
        QCOMPARE(rs->value(0, 2), QVariant(13.0));
        rs->setValue(2, 13.75);
        rs->update();
        QCOMPARE(fingerprint(WorkbookFile::backupPath(xlsx)), original);
        QCOMPARE(rowsDifference(sheetOf(xlsx, QStringLiteral("rday")),
                                {{"datatype_site_id", "date_time", "value", "source"},
                                 {1001.0, day(5), 12.5, "A"},
                                 {1001.0, day(6), 13.75, "A"},
                                 {1001.0, day(7), 14.0}}),
                 QString());
    }

    void legacyXlsIsReadOnly() {
        QTemporaryDir dir;
        const QString xls = workbookByLibreOffice(
            dir.path(), QStringLiteral("rday"),
            "datatype_site_id,date_time,value\n1001,1999-03-05,12.5\n1001,1999-03-06,13\n",
            QStringLiteral("xls"));
        if (xls.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed or could not write an .xls file");
        const QByteArray before = fingerprint(xls);
        const auto db = openDatabase(connectionFor(xls));
        QVERIFY(db->readOnlyReason().contains(QLatin1String(".xlsx")));
        const auto rs = db->open(QStringLiteral("SELECT * FROM [rday$] ORDER BY date_time"),
                                 LockType::ReadOnly);
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(rs->value(1, 1), QVariant(day(6)));
        QCOMPARE(rs->value(0, 2), QVariant(12.5));
        QCOMPARE(rs->value(1, 2), QVariant(13.0));
        QCOMPARE(rs->value(0, 0), QVariant(qlonglong(1001)));
        const QString error =
            errorOf([&] { db->execute(QStringLiteral("DELETE FROM [rday$] WHERE value=13")); });
        QCOMPARE(error, db->readOnlyReason());
        QCOMPARE(
            db->open(QStringLiteral("SELECT * FROM [rday$]"), LockType::ReadOnly)->recordCount(),
            2);
        QCOMPARE(fingerprint(xls), before);
        QVERIFY(!QFile::exists(WorkbookFile::backupPath(xls)));
    }
};

QTEST_GUILESS_MAIN(TestWorkbookDatabase)
#include "tst_WorkbookDatabase.moc"
