// The update workbook round trip: UPDATE fills DBedit.xlsx, the user edits column B, and the
// edited sheet is written back to a temporary SQLite HDB.
#include "SpreadsheetCheck.h"
#include "UpdateFixtures.h"
#include "core/base/Error.h"
#include "core/base/UserDialogs.h"
#include "core/db/Database.h"
#include "core/export/ApplyUpdate.h"
#include "core/export/ExportSession.h"
#include "core/export/SpreadsheetServices.h"
#include "core/export/UpdateWorkbook.h"
#include "core/hdb/HdbSchema.h"
#include "formats/xlsx/XlsxWorkbookWriter.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp;
using rp::test::DailyHdb;
using rp::test::editWithOpenpyxl;

namespace {

// A sheet laid out as an update sheet, with the cells given (row, column from 0).
QString bookWith(const QTemporaryDir& dir, const std::vector<SheetCell>& cells) {
    SpreadsheetSheet sheet;
    sheet.name = QStringLiteral("Sheet1");
    sheet.cells = cells;
    const QString path = dir.filePath(QStringLiteral("bad.xlsx"));
    writeSpreadsheetWorkbook(path, {sheet});
    return path;
}

} // namespace

class tst_UpdateWorkbook : public QObject {
    Q_OBJECT

private slots:
    void updateFillsTheTemplate();
    void roundTrip();
    void unchangedSheetChangesNothing();
    void badSheet_data();
    void badSheet();
    void workbookConnection_data();
    void workbookConnection();
    void cliAppliesAndDryRuns();
    void servicesReleaseAWorkbookDatabase_data();
    void servicesReleaseAWorkbookDatabase();
    void servicesShowProgressAndStop();
    void othersChangesAreConflicts();
    void ownerOnlyWithoutPassword();
    void servicesShowConflicts();
};

void tst_UpdateWorkbook::updateFillsTheTemplate() {
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    QStringList opened;
    ExportSession session(hdb.dir.path(), [&](const QString& path) { opened.append(path); });
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    QCOMPARE(opened, QStringList{book});
    QCOMPARE(session.sheetName(), QStringLiteral("Sheet1"));

    const QJsonObject read = test::readWorkbookCells(book);
    const QJsonObject f2 = test::cellOf(read, "Sheet1", "F2");
    QCOMPARE(f2.value("value").toString(), hdb.connection);
    QCOMPARE(f2.value("colour").toString(), QStringLiteral("FFFFFFFF"));
    QCOMPARE(test::cellOf(read, "Sheet1", "A1").value("value").toString(),
             QStringLiteral("2 1011 KERN R NR KERNVILLE"));
    QCOMPARE(test::cellOf(read, "Sheet1", "B15").value("value").toDouble(), 5.0);
    // The template's note stays where it was.
    QVERIFY(test::cellOf(read, "Sheet1", "D4").value("value").toString().contains("update"));
    QVERIFY(!test::zipPart(book, QStringLiteral("xl/charts/chart1.xml")).isEmpty());

    // A second update while the workbook is as written goes to the next sheet.
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    QCOMPARE(session.sheetName(), QStringLiteral("Sheet2"));
    const QJsonObject again = test::readWorkbookCells(book);
    QCOMPARE(test::cellOf(again, "Sheet2", "F2").value("value").toString(), hdb.connection);
    QCOMPARE(test::cellOf(again, "Sheet1", "B11").value("value").toDouble(), 1.0);
}

void tst_UpdateWorkbook::roundTrip() {
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    ExportSession session(hdb.dir.path(), {});
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    const QString book = session.workbookPath();
    // The user changes 2 and 3 March, empties 5 March and writes a note in column D.
    QVERIFY(editWithOpenpyxl(book, QStringLiteral("Sheet1"),
                             QStringLiteral("ws['B12'] = 20\nws['B13'] = 30.5\nws['B15'] = None\n"
                                            "ws['D20'] = 'checked'")));

    const UpdateSheet sheet = readUpdateSheet(book, QStringLiteral("Sheet1"));
    QCOMPARE(sheet.connection, hdb.connection);
    QCOMPARE(sheet.key, 1011);
    QCOMPARE(sheet.step, TimeStep::Day);
    const UpdatePlan plan = planUpdate(*hdb.db, sheet);
    QCOMPARE(plan.count(UpdateChange::Kind::Add), 0);
    QCOMPARE(plan.count(UpdateChange::Kind::Change), 2);
    QCOMPARE(plan.count(UpdateChange::Kind::Remove), 1);
    QCOMPARE(updatePlanLines(plan),
             QStringList({"changed  02-Mar-1999  2 -> 20", "changed  03-Mar-1999  3 -> 30.5",
                          "removed  05-Mar-1999  (was 5)"}));
    applyUpdatePlan(*hdb.db, plan);

    const QMap<QString, QString> expected{{"1999-03-01", "1/1"},
                                          {"1999-03-02", "20/5"},
                                          {"1999-03-03", "30.5/5"},
                                          {"1999-03-04", "4/1"}};
    QCOMPARE(hdb.rows(), expected);

    // The workbook was saved by another program: the next update starts again at Sheet1 of
    // DBedit.xlsx, replacing columns A and B and keeping the user's note.
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    QCOMPARE(session.sheetName(), QStringLiteral("Sheet1"));
    const QJsonObject read = test::readWorkbookCells(book);
    QCOMPARE(test::cellOf(read, "Sheet1", "D20").value("value").toString(),
             QStringLiteral("checked"));
    QCOMPARE(test::cellOf(read, "Sheet1", "B12").value("value").toDouble(), 2.0);
    QCOMPARE(test::cellOf(read, "Sheet1", "F2").value("colour").toString(),
             QStringLiteral("FFFFFFFF"));
}

void tst_UpdateWorkbook::unchangedSheetChangesNothing() {
    DailyHdb hdb;
    ExportSession session(hdb.dir.path(), {});
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    const UpdatePlan plan =
        planUpdate(*hdb.db, readUpdateSheet(session.workbookPath(), QStringLiteral("Sheet1")));
    QVERIFY(plan.changes.empty());
}

void tst_UpdateWorkbook::badSheet_data() {
    QTest::addColumn<QVariant>("a1");
    QTest::addColumn<QVariant>("f2");
    QTest::addColumn<QVariant>("a11");
    QTest::addColumn<QVariant>("b11");
    QTest::addColumn<QString>("named"); // what the message names
    const QVariant conn = QStringLiteral("Provider=SQLite;Data Source=x.sqlite");
    const QVariant day = QDateTime(QDate(1999, 3, 1), QTime(0, 0), Qt::UTC);
    QTest::newRow("A1 without a key")
        << QVariant("2 KERN R") << conn << day << QVariant(1.0) << QStringLiteral("A1");
    QTest::newRow("A1 with SQL in the key")
        << QVariant("2 1;DROP TABLE rday") << conn << day << QVariant(1.0) << QStringLiteral("A1");
    QTest::newRow("no connection")
        << QVariant("2 1011 X") << QVariant() << day << QVariant(1.0) << QStringLiteral("F2");
    QTest::newRow("text for a value")
        << QVariant("2 1011 X") << conn << day << QVariant("abc") << QStringLiteral("B11");
    QTest::newRow("not a finite number")
        << QVariant("2 1011 X") << conn << day << QVariant("inf") << QStringLiteral("B11");
    QTest::newRow("a value without a date")
        << QVariant("2 1011 X") << conn << QVariant() << QVariant(1.0) << QStringLiteral("A11");
    QTest::newRow("no date") << QVariant("2 1011 X") << conn << QVariant("yesterday")
                             << QVariant(1.0) << QStringLiteral("A11");
}

void tst_UpdateWorkbook::badSheet() {
    QFETCH(QVariant, a1);
    QFETCH(QVariant, f2);
    QFETCH(QVariant, a11);
    QFETCH(QVariant, b11);
    QFETCH(QString, named);
    QTemporaryDir dir;
    const QString book = bookWith(
        dir, {{0, 0, a1, false}, {1, 5, f2, false}, {10, 0, a11, false}, {10, 1, b11, false}});
    try {
        readUpdateSheet(book, QStringLiteral("Sheet1"));
        QFAIL("the sheet was read");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(named), qPrintable(e.message()));
    }
}

void tst_UpdateWorkbook::workbookConnection_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<bool>("workbook");
    QTest::newRow("Excel driver") << QStringLiteral(
                                         "Driver={Microsoft Excel Driver (*.xls)};DBQ=c:\\hdb.xls")
                                  << true;
    QTest::newRow("any letter case")
        << QStringLiteral("provider=x;extended properties=excel 8.0") << true;
    QTest::newRow("SQLite") << QStringLiteral("Provider=SQLite;Data Source=/tmp/hdb.sqlite")
                            << false;
    QTest::newRow("not a connection string") << QStringLiteral("garbage") << false;
}

void tst_UpdateWorkbook::workbookConnection() {
    QFETCH(QString, connection);
    QFETCH(bool, workbook);
    QCOMPARE(isWorkbookConnection(connection), workbook);
}

void tst_UpdateWorkbook::cliAppliesAndDryRuns() {
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    ExportSession session(hdb.dir.path(), {});
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    const QString book = session.workbookPath();
    QVERIFY(editWithOpenpyxl(
        book, QStringLiteral("Sheet1"),
        QStringLiteral("ws['B11'] = 7\nws['A16'] = ws['A15'].value.replace(day=6)\n"
                       "ws['A16'].number_format = 'dd-mmm-yyyy'\nws['B16'] = 6")));
    const auto run = [&](const QStringList& extra) {
        QProcess cli;
        cli.start(QStringLiteral(RIVELPOST_CLI),
                  QStringList{QStringLiteral("apply-update"), book} + extra);
        cli.waitForFinished(60000);
        return std::make_pair(cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()));
    };
    const auto dry = run({QStringLiteral("--dry-run")});
    QCOMPARE(dry.first, 0);
    QVERIFY2(dry.second.contains(QLatin1String("1 row added, 1 changed, 0 removed")),
             qPrintable(dry.second));
    QCOMPARE(hdb.rows().value(QStringLiteral("1999-03-01")), QStringLiteral("1/1"));

    const auto wet = run({QStringLiteral("--sheet"), QStringLiteral("Sheet1")});
    QCOMPARE(wet.first, 0);
    QCOMPARE(hdb.rows().value(QStringLiteral("1999-03-01")), QStringLiteral("7/5"));
    QCOMPARE(hdb.rows().value(QStringLiteral("1999-03-06")), QStringLiteral("6/5"));

    const auto missing = run({QStringLiteral("--sheet"), QStringLiteral("Sheet9")});
    QVERIFY(missing.first != 0);
}

void tst_UpdateWorkbook::servicesReleaseAWorkbookDatabase_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<int>("released");
    QTest::newRow("workbook database")
        << QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=/tmp/hdb.xls") << 1;
    QTest::newRow("SQLite") << QStringLiteral("Provider=SQLite;Data Source=/tmp/hdb.sqlite") << 0;
}

void tst_UpdateWorkbook::servicesReleaseAWorkbookDatabase() {
    QFETCH(QString, connection);
    QFETCH(int, released);
    DailyHdb hdb;
    int releases = 0;
    QStringList opened;
    SpreadsheetHooks hooks;
    hooks.folder = [&] { return hdb.dir.path(); };
    hooks.connectionString = [&] { return connection; };
    hooks.releaseWorkbookDatabase = [&] { ++releases; };
    hooks.opener = [&](const QString& path) { opened.append(path); };
    GraphTableServices services;
    const auto session = fillSpreadsheetServices(services, hooks);
    services.update(hdb.seriesFile());
    QCOMPARE(releases, released);
    // A SAVE export after it goes on in the update workbook, as the next sheet.
    services.spreadsheet(hdb.seriesFile(), false);
    QCOMPARE(releases, released);
    QCOMPARE(opened, QStringList(2, hdb.dir.filePath(QStringLiteral("DBedit.xlsx"))));
    QCOMPARE(session->sheetName(), QStringLiteral("Sheet2"));
}

void tst_UpdateWorkbook::servicesShowProgressAndStop() {
    DailyHdb hdb;
    QStringList opened;
    QStringList labels;
    bool stop = true;
    SpreadsheetHooks hooks;
    hooks.folder = [&] { return hdb.dir.path(); };
    hooks.connectionString = [&] { return hdb.connection; };
    hooks.opener = [&](const QString& path) { opened.append(path); };
    hooks.withProgress = [&](const QString& label,
                             const std::function<void(const Progress&)>& work) {
        labels.append(label);
        work([&](qint64, qint64) { return !stop; });
    };
    GraphTableServices services;
    const auto session = fillSpreadsheetServices(services, hooks);
    // Stopped: a message, nothing shown, and the session as it was.
    for (const auto& run :
         {std::function<void()>([&] { services.update(hdb.seriesFile()); }),
          std::function<void()>([&] { services.spreadsheet(hdb.seriesFile(), false); })}) {
        try {
            run();
            QFAIL("the export was not stopped");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("cancelled")), qPrintable(e.message()));
        }
    }
    QCOMPARE(labels, QStringList({QStringLiteral("Writing the update workbook..."),
                                  QStringLiteral("Writing the workbook...")}));
    QCOMPARE(opened, QStringList());
    QCOMPARE(session->xlfcount(), 0);
    // Let run, the next export is the first.
    stop = false;
    services.spreadsheet(hdb.seriesFile(), false);
    QCOMPARE(opened, QStringList{hdb.dir.filePath(QStringLiteral("Book1.xlsx"))});
    QCOMPARE(session->sheetName(), QStringLiteral("Sheet1"));
}

namespace {

struct MessageLog : UserDialogs {
    QStringList messages;
    void message(QWidget*, const QString& text) override { messages.append(text); }
};

std::pair<int, QString> runCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(RIVELPOST_CLI), arguments);
    cli.waitForFinished(60000);
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
            QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError())};
}

} // namespace

void tst_UpdateWorkbook::othersChangesAreConflicts() {
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    // The workbook as a script makes it, through the dialog's own export.
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    const auto made =
        runCli({QStringLiteral("xlsx"), hdb.seriesFile(), QStringLiteral("--update"),
                QStringLiteral("--connection"), hdb.connection, QStringLiteral("--out"), book});
    QVERIFY2(made.first == 0, qPrintable(made.second));
    // The user changes 2 and 3 March and deletes the row of 5 March.
    QVERIFY(editWithOpenpyxl(book, QStringLiteral("Sheet1"),
                             QStringLiteral("ws['B12'] = 20\nws['B13'] = 30\nws.delete_rows(15)")));
    // Meanwhile another user changes 2 March (which the user changed too), 4 March (which the
    // user left) and 5 March (which the user removed).
    const auto other = openDatabase(hdb.connection);
    other->executeNative(QStringLiteral("UPDATE rday SET value=555 WHERE date_time LIKE "
                                        "'1999-03-02%'"));
    other->executeNative(QStringLiteral("UPDATE rday SET value=444, source=3 WHERE date_time "
                                        "LIKE '1999-03-04%'"));
    other->executeNative(QStringLiteral("UPDATE rday SET value=333, source=3 WHERE date_time "
                                        "LIKE '1999-03-05%'"));

    const auto applied = runCli({QStringLiteral("apply-update"), book});
    QVERIFY2(applied.first != 0, qPrintable(applied.second));
    QVERIFY2(applied.second.contains(QLatin1String("conflict 02-Mar-1999")),
             qPrintable(applied.second));
    QVERIFY2(applied.second.contains(QLatin1String("conflict 05-Mar-1999")),
             qPrintable(applied.second));
    const QMap<QString, QString> expected{{"1999-03-01", "1/1"},
                                          {"1999-03-02", "555/1"},
                                          {"1999-03-03", "30/5"},
                                          {"1999-03-04", "444/3"},
                                          {"1999-03-05", "333/3"}};
    QCOMPARE(hdb.rows(), expected);
}

void tst_UpdateWorkbook::ownerOnlyWithoutPassword() {
    DailyHdb hdb;
    ExportSession session(hdb.dir.path(), {});
    // SQLite ignores a password; the workbook must not keep it either way.
    const QString secret = QStringLiteral("s3cr3t;x");
    session.exportUpdate(hdb.seriesFile(), 0,
                         hdb.connection + QStringLiteral("; pwd = \"%1\"").arg(secret));
    const QString book = session.workbookPath();
    QCOMPARE(QFileInfo(book).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray strings = test::zipPart(book, QStringLiteral("xl/sharedStrings.xml")) +
                               test::zipPart(book, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(!strings.contains("s3cr3t"));
    const UpdateSheet sheet = readUpdateSheet(book, QStringLiteral("Sheet1"));
    QCOMPARE(sheet.connection, hdb.connection);
    QCOMPARE(sheet.exported.size(), size_t(5));
    // The values as exported stay out of sight.
    QVERIFY(test::zipPart(book, QStringLiteral("xl/workbook.xml")).contains("state=\"hidden\""));
}

void tst_UpdateWorkbook::servicesShowConflicts() {
    DailyHdb hdb;
    MessageLog dialogs;
    SpreadsheetHooks hooks;
    hooks.folder = [&] { return hdb.dir.path(); };
    hooks.connectionString = [&] { return hdb.connection; };
    hooks.opener = [](const QString&) {};
    GraphTableServices services;
    services.dialogs = &dialogs;
    fillSpreadsheetServices(services, hooks);
    services.update(hdb.seriesFile());
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    // The user empties 1 March; meanwhile another user changes it.
    std::vector<SpreadsheetSheet> sheets = readWorkbookSheets(book);
    std::erase_if(sheets[0].cells, [](const SheetCell& c) { return c.row == 10 && c.column == 1; });
    writeSpreadsheetWorkbook(book, sheets);
    hdb.db->executeNative(
        QStringLiteral("UPDATE rday SET value=9 WHERE date_time LIKE '1999-03-01%'"));
    services.chooseFile = [&](QWidget*, const QString&, const QString&, const QString&) {
        return std::optional<QString>(book);
    };
    bool asked = false;
    services.confirmUpdate = [&](QWidget*, const QString&, const QStringList&) {
        return asked = true;
    };
    services.applyWorkbook(nullptr, services);
    QVERIFY(!asked);
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages[0].contains(QLatin1String("conflict 01-Mar-1999")),
             qPrintable(dialogs.messages[0]));
    QCOMPARE(hdb.rows().value(QStringLiteral("1999-03-01")), QStringLiteral("9/1"));
}

QTEST_GUILESS_MAIN(tst_UpdateWorkbook)
#include "tst_UpdateWorkbook.moc"
