// UPDATE into an update workbook of the user's own, made by openpyxl or by LibreOffice: only the
// update sheet's columns A and B, F2 and its last chart change; everything else stays byte for
// byte, and the workbook still applies.
#include "../db/XlsxFixtures.h"
#include "SpreadsheetCheck.h"
#include "UpdateFixtures.h"
#include "core/base/Error.h"
#include "core/export/ApplyUpdate.h"
#include "core/export/ExportSession.h"

#include <QJsonArray>
#include <QStandardPaths>
#include <QtTest>

using namespace rp;
using namespace rp::test;

namespace {

QJsonObject bookScript(const QStringList& arguments) {
    QProcess python;
    python.start(QLatin1String(systemPython),
                 QStringList{QFINDTESTDATA("update_book.py")} + arguments);
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        qWarning("update_book.py: %s", python.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// LibreOffice run headless on `arguments`, with a profile of its own in `dir`.
bool runLibreOffice(const QString& dir, const QStringList& arguments) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return false;
    QProcess p;
    p.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=file://") + dir +
                                     QStringLiteral("/lo-profile"),
                                 QStringLiteral("--headless")} +
                         arguments);
    return p.waitForFinished(240000) && p.exitCode() == 0;
}

// The workbook as LibreOffice saves it again, in `dir`; empty when it cannot.
QString savedByLibreOffice(const QString& book, const QString& dir) {
    const QString out = dir + QStringLiteral("/lo");
    if (!runLibreOffice(dir, {QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                              QStringLiteral("--outdir"), out, book}))
        return {};
    const QString saved = out + u'/' + QFileInfo(book).fileName();
    return QFileInfo::exists(saved) ? saved : QString();
}

// A sheet as LibreOffice shows it, converted headless: the first, or the sheet `name` at
// `number` (from 1).
QByteArray sheetCsv(const QString& book, const QString& dir, int number = 0,
                    const QString& name = {}) {
    const QString out = dir + QStringLiteral("/csv%1").arg(number);
    const QString filter =
        number == 0 ? QStringLiteral("csv")
                    : QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,"
                                     "true,false,false,%1")
                          .arg(number);
    if (!runLibreOffice(
            dir, {QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), out, book}))
        return {};
    QFile csv(out + u'/' + QFileInfo(book).completeBaseName() +
              (number == 0 ? QString() : u'-' + name) + QStringLiteral(".csv"));
    return csv.open(QIODevice::ReadOnly) ? csv.readAll().replace("\r\n", "\n") : QByteArray();
}

QStringList texts(const QJsonValue& array) {
    QStringList out;
    for (const QJsonValue& v : array.toArray())
        out.append(v.toString());
    return out;
}

// The update changed no part but those it may change, removed only the sheet's last chart and
// added the new chart (and, the first time, the hidden sheet).
void checkParts(const QString& before, const QString& after, bool firstUpdate) {
    const QJsonObject was = bookScript({QStringLiteral("parts"), before, QStringLiteral("Sheet1")});
    const QJsonObject is = bookScript({QStringLiteral("parts"), after, QStringLiteral("Sheet1")});
    QVERIFY(!was.isEmpty() && !is.isEmpty());
    QStringList mayChange{"[Content_Types].xml", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                          "xl/styles.xml"};
    for (const char* key : {"sheet", "rels", "drawing", "drawingRels"})
        mayChange.append(was.value(QLatin1String(key)).toString());
    const QStringList chartsBefore = texts(was.value("charts"));
    const QStringList chartsAfter = texts(is.value("charts"));
    QCOMPARE(chartsAfter.size(), chartsBefore.size());
    QCOMPARE(chartsAfter.mid(0, chartsAfter.size() - 1),
             chartsBefore.mid(0, chartsBefore.size() - 1));

    const QMap<QString, QByteArray> old = rawEntries(before);
    const QMap<QString, QByteArray> now = rawEntries(after);
    QVERIFY(!old.isEmpty() && !now.isEmpty());
    for (auto it = old.cbegin(); it != old.cend(); ++it) {
        if (it.key() == chartsBefore.last()) {
            QVERIFY2(!now.contains(it.key()) || it.key() == chartsAfter.last(),
                     qPrintable(it.key()));
            continue;
        }
        QVERIFY2(now.contains(it.key()), qPrintable(it.key() + QStringLiteral(" is gone")));
        if (!mayChange.contains(it.key()))
            QVERIFY2(now.value(it.key()) == it.value(),
                     qPrintable(it.key() + QStringLiteral(" changed")));
    }
    QStringList added;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (!old.contains(it.key()))
            added.append(it.key());
    QVERIFY2(added.contains(chartsAfter.last()), qPrintable(added.join(u' ')));
    // The chart; the first time the hidden sheet and, for a workbook without one, the theme
    // the chart's colours come from.
    const bool themed = std::any_of(old.keyBegin(), old.keyEnd(), [](const QString& name) {
        return name.startsWith(u"xl/theme/");
    });
    QCOMPARE(added.size(), firstUpdate ? (themed ? 2 : 3) : 1);
    if (!themed)
        QVERIFY(std::any_of(added.cbegin(), added.cend(),
                            [](const QString& name) { return name.startsWith(u"xl/theme/"); }));
}

// Every cell outside A:B and F2 of Sheet1 and of every other sheet as it was; the update's cells
// as the update writes them; the other sheets, names, merges, widths, comments and charts kept.
void checkCells(const QJsonObject& was, const QJsonObject& is, const DailyHdb& hdb) {
    QVERIFY(!was.isEmpty() && !is.isEmpty());
    QStringList sheets = texts(was.value("sheets"));
    if (!sheets.contains(QStringLiteral("Sheet1 exported")))
        sheets.append(QStringLiteral("Sheet1 exported"));
    QCOMPARE(texts(is.value("sheets")), sheets);
    QCOMPARE(texts(is.value("hidden")), QStringList{"Sheet1 exported"});
    // Column A 15 characters wide, the others as they were.
    QJsonObject widths = is.value("widths").toObject();
    QJsonObject oneWidths = widths.value("Sheet1").toObject();
    QCOMPARE(oneWidths.take(QStringLiteral("A")).toDouble(), 15.7109375);
    widths.insert(QStringLiteral("Sheet1"), oneWidths);
    QJsonObject wasWidths = was.value("widths").toObject();
    QJsonObject oneWasWidths = wasWidths.value("Sheet1").toObject();
    oneWasWidths.remove(QStringLiteral("A"));
    wasWidths.insert(QStringLiteral("Sheet1"), oneWasWidths);
    QJsonObject shown = is;
    shown.insert(QStringLiteral("widths"), widths);
    QJsonObject shownWas = was;
    shownWas.insert(QStringLiteral("widths"), wasWidths);
    for (const char* key : {"names", "merged", "widths", "comments"}) {
        QJsonObject kept = shown.value(QLatin1String(key)).toObject();
        if (!was.value(QLatin1String(key)).toObject().contains(QStringLiteral("Sheet1 exported")))
            kept.remove(QStringLiteral("Sheet1 exported"));
        QCOMPARE(kept, shownWas.value(QLatin1String(key)).toObject());
    }
    const QJsonObject chartsWere = was.value("charts").toObject();
    const QJsonObject chartsAre = is.value("charts").toObject();
    QCOMPARE(chartsAre.value("Sheet2"), chartsWere.value("Sheet2"));
    const QJsonArray sheet1Charts = chartsAre.value("Sheet1").toArray();
    QCOMPARE(sheet1Charts.size(), 2);
    QCOMPARE(sheet1Charts.at(0), chartsWere.value("Sheet1").toArray().at(0));
    QCOMPARE(sheet1Charts.at(1).toArray().at(0).toString(),
             QStringLiteral("1011 KERN R NR KERNVILLE"));
    QVERIFY(sheet1Charts.at(1).toArray().at(1).toString().endsWith(u"Sheet1!$B$11:$B$15"));

    const QJsonObject cellsWere = was.value("cells").toObject();
    const QJsonObject cellsAre = is.value("cells").toObject();
    for (const QString& sheet : cellsWere.keys()) {
        if (sheet == u"Sheet1" || sheet == u"Sheet1 exported")
            continue;
        QVERIFY2(cellsAre.value(sheet) == cellsWere.value(sheet), qPrintable(sheet));
    }
    const QJsonObject one = cellsAre.value("Sheet1").toObject();
    const QJsonObject oneWas = cellsWere.value("Sheet1").toObject();
    const auto written = [](const QString& name) {
        return name.startsWith(u'A') || name.startsWith(u'B') || name == u"F2";
    };
    for (const QString& name : oneWas.keys())
        if (!written(name))
            QVERIFY2(one.value(name) == oneWas.value(name), qPrintable(name));
    QMap<QString, QJsonValue> values;
    for (const QString& name : one.keys())
        if (written(name) && !one.value(name).toArray().at(0).isNull())
            values.insert(name, one.value(name).toArray().at(0));
    QMap<QString, QJsonValue> expected{{"A1", "2 1011 KERN R NR KERNVILLE"},
                                       {"A2", "DAILY DISCHARGE, CFS"},
                                       {"F2", hdb.connection}};
    for (int day = 1; day <= 5; ++day) {
        expected.insert(QStringLiteral("A%1").arg(10 + day),
                        QStringLiteral("1999-03-0%1T00:00:00").arg(day));
        expected.insert(QStringLiteral("B%1").arg(10 + day), day);
    }
    QCOMPARE(values, expected);
    QCOMPARE(one.value("A11").toArray().at(2).toString(), QStringLiteral("dd-mmm-yyyy"));
    QCOMPARE(one.value("B11").toArray().at(2).toString(), QStringLiteral("0.000"));
    QCOMPARE(one.value("F2").toArray().at(5).toString(), QStringLiteral("FFFFFFFF"));
}

} // namespace

class tst_UpdateInPlace : public QObject {
    Q_OBJECT
private slots:
    void keepsTheUsersWorkbook_data();
    void keepsTheUsersWorkbook();
    void saveAfterUpdateKeepsTheWorkbook();
    void tableAfterUpdateKeepsTheWorkbook();
    void refusedWorkbookIsWrittenWhole_data();
    void refusedWorkbookIsWrittenWhole();
    void stoppedUpdateLeavesTheWorkbook();
};

void tst_UpdateInPlace::keepsTheUsersWorkbook_data() {
    QTest::addColumn<bool>("byLibreOffice");
    QTest::newRow("made by openpyxl") << false;
    QTest::newRow("saved by LibreOffice") << true;
}

void tst_UpdateInPlace::keepsTheUsersWorkbook() {
    QFETCH(bool, byLibreOffice);
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    QTemporaryDir work;
    const QString made = work.filePath(QStringLiteral("DBedit.xlsx"));
    QVERIFY(bookScript({QStringLiteral("make"), made}).isEmpty());
    QVERIFY(QFileInfo::exists(made));
    const QString source = byLibreOffice ? savedByLibreOffice(made, work.path()) : made;
    if (source.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed or could not save the workbook");
    QVERIFY(QFile::copy(source, book));

    // Two updates onto Sheet1, each by a program run of its own: the second replaces the
    // first one's chart.
    QByteArray styles;
    for (int run = 1; run <= 2; ++run) {
        const QString before = work.filePath(QStringLiteral("before%1.xlsx").arg(run));
        QVERIFY(QFile::copy(book, before));
        const QJsonObject was = bookScript({QStringLiteral("dump"), before});
        ExportSession session(hdb.dir.path(), {});
        session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
        QCOMPARE(session.sheetName(), QStringLiteral("Sheet1"));
        checkParts(before, book, run == 1);
        if (QTest::currentTestFailed())
            return;
        checkCells(was, bookScript({QStringLiteral("dump"), book}), hdb);
        if (QTest::currentTestFailed())
            return;
        // The styles the first update added serve the second.
        const QByteArray now = zipPart(book, QStringLiteral("xl/styles.xml"));
        if (run == 2)
            QCOMPARE(now, styles);
        styles = now;
    }
    // The picture after the charts stays in the drawing.
    const QJsonObject parts = bookScript({QStringLiteral("parts"), book, QStringLiteral("Sheet1")});
    QVERIFY(zipPart(book, parts.value("drawing").toString()).contains(":pic>"));

    // Unchanged, the sheet applies nothing; edited, it writes the edit.
    QVERIFY(planUpdate(*hdb.db, readUpdateSheet(book, QStringLiteral("Sheet1"))).changes.empty());
    if (!QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
        const QByteArray csv = sheetCsv(book, work.path());
        QVERIFY2(csv.contains("2 1011 KERN R NR KERNVILLE") && csv.contains("\n03/01/1999,1,"),
                 csv.constData());
    }
    QVERIFY(editWithOpenpyxl(book, QStringLiteral("Sheet1"), QStringLiteral("ws['B12'] = 20")));
    const UpdatePlan plan = planUpdate(*hdb.db, readUpdateSheet(book, QStringLiteral("Sheet1")));
    QCOMPARE(updatePlanLines(plan), QStringList{"changed  02-Mar-1999  2 -> 20"});
    applyUpdatePlan(*hdb.db, plan);
    QCOMPARE(hdb.rows().value(QStringLiteral("1999-03-02")), QStringLiteral("20/5"));
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        QSKIP("LibreOffice (soffice) is not installed: the result was not opened in it");
}

// The user's workbook after an UPDATE onto its Sheet1, as a SAVE that follows finds it.
struct UpdatedBook {
    DailyHdb hdb;
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    ExportSession session{hdb.dir.path(), {}};
    QJsonObject was; // the workbook after the update

    bool update() {
        if (!bookScript({QStringLiteral("make"), book}).isEmpty())
            return false;
        session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
        was = bookScript({QStringLiteral("dump"), book});
        return !was.isEmpty();
    }
    // A SAVE of `file` (a table report when `isReport`) that follows: the workbook after it,
    // empty unless it went onto Sheet2 of the same workbook.
    QJsonObject save(const QString& file, bool isReport) {
        session.exportFile(file, isReport, 0);
        if (session.sheetName() != QLatin1String("Sheet2") || session.workbookPath() != book)
            return {};
        return bookScript({QStringLiteral("dump"), book});
    }
};

// SAVE while the update workbook is in use: the series onto its next sheet, in place.
void tst_UpdateInPlace::saveAfterUpdateKeepsTheWorkbook() {
    RP_REQUIRE_OPENPYXL();
    UpdatedBook updated;
    QVERIFY(updated.update());
    const QJsonObject& was = updated.was;
    const QJsonObject is = updated.save(updated.hdb.seriesFile(), false);
    QVERIFY(!is.isEmpty());
    for (const char* key : {"sheets", "hidden", "names", "merged", "comments"})
        QCOMPARE(is.value(QLatin1String(key)), was.value(QLatin1String(key)));
    QJsonObject widths = was.value("widths").toObject();
    widths.insert(QStringLiteral("Sheet2"), QJsonObject{{"A", 15.7109375}});
    QCOMPARE(is.value("widths").toObject(), widths);
    const QJsonObject cells = is.value("cells").toObject();
    QCOMPARE(cells.value("Sheet1"), was.value("cells").toObject().value("Sheet1"));
    const QJsonObject two = cells.value("Sheet2").toObject();
    QCOMPARE(two.value("A1").toArray().at(0).toString(),
             QStringLiteral("2 1011 KERN R NR KERNVILLE"));
    QCOMPARE(two.value("B15").toArray().at(0).toDouble(), 5.0);
    QCOMPARE(two.value("C3"), was.value("cells").toObject().value("Sheet2").toObject().value("C3"));
    // The series' chart beside the sheet's own; Sheet1's charts as the update left them.
    const QJsonObject charts = is.value("charts").toObject();
    QCOMPARE(charts.value("Sheet1"), was.value("charts").toObject().value("Sheet1"));
    const QJsonArray twoCharts = charts.value("Sheet2").toArray();
    QCOMPARE(twoCharts.size(), 2);
    QCOMPARE(twoCharts.at(0), was.value("charts").toObject().value("Sheet2").toArray().at(0));
    QVERIFY(twoCharts.at(1).toArray().at(1).toString().endsWith(u"Sheet2!$B$11:$B$15"));
}

// A table report saved after an UPDATE goes onto the next sheet of the user's workbook in place:
// its rectangle written, aligned right with the report's number formats; the rest stays.
void tst_UpdateInPlace::tableAfterUpdateKeepsTheWorkbook() {
    RP_REQUIRE_OPENPYXL();
    UpdatedBook updated;
    QVERIFY(updated.update());
    const QString& book = updated.book;
    const QJsonObject& was = updated.was;
    const QMap<QString, QByteArray> before = rawEntries(book);

    const QString report = updated.hdb.dir.filePath(QStringLiteral("lasttable.txt"));
    QFile file(report);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Flow \"Jan 1999\"\r\n  1,234.50    3.5\r\n");
    file.close();
    const QJsonObject is = updated.save(report, true);
    QVERIFY(!is.isEmpty());
    for (const char* key : {"sheets", "hidden", "names", "merged", "comments", "charts"})
        QCOMPARE(is.value(QLatin1String(key)), was.value(QLatin1String(key)));
    const QJsonObject cells = is.value("cells").toObject();
    QCOMPARE(cells.value("Sheet1"), was.value("cells").toObject().value("Sheet1"));
    const QJsonObject two = cells.value("Sheet2").toObject();
    const auto cell = [&two](const char* at) { return two.value(QLatin1String(at)).toArray(); };
    QCOMPARE(cell("A1").at(0).toString(), QStringLiteral("Flow")); // the user's formula replaced
    QCOMPARE(cell("B1").at(0).toString(), QStringLiteral("Jan 1999"));
    QCOMPARE(cell("A2").at(0).toDouble(), 1234.5);
    QCOMPARE(cell("A2").at(2).toString(), QStringLiteral("#,##0.00"));
    QCOMPARE(cell("B2").at(0).toDouble(), 3.5);
    QCOMPARE(cell("B2").at(2).toString(), QStringLiteral("0.0"));
    for (const char* at : {"A1", "B1", "A2", "B2"})
        QCOMPARE(cell(at).at(6).toString(), QStringLiteral("right"));
    // Outside the table's rectangle the sheet is the user's.
    QCOMPARE(two.value("C3"), was.value("cells").toObject().value("Sheet2").toObject().value("C3"));
    if (!QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
        const QByteArray csv = sheetCsv(book, updated.hdb.dir.path(), 2, QStringLiteral("Sheet2"));
        QVERIFY2(csv.startsWith("Flow,Jan 1999,\n\"1,234.50\",3.5,\n,,7\n"),
                 QByteArray(csv).replace("\n", "|").constData());
    }

    // Parts other than that sheet and the styles are the same bytes.
    const QMap<QString, QByteArray> after = rawEntries(book);
    QCOMPARE(after.keys(), before.keys());
    const QString sheet2 = bookScript({QStringLiteral("parts"), book, QStringLiteral("Sheet2")})
                               .value("sheet")
                               .toString();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (it.key() != sheet2 && it.key() != QLatin1String("xl/styles.xml"))
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
}

// A workbook the in-place change cannot edit is written whole, as its values, and the update is
// right all the same.
void tst_UpdateInPlace::refusedWorkbookIsWrittenWhole_data() {
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("kept"); // a cell that stays, sheet!cell=value
    QTest::newRow("styles written with a prefix")
        << QStringLiteral("make-prefixed") << QStringLiteral("Sheet1!D4=my notes");
    QTest::newRow("a chart sheet named Sheet1")
        << QStringLiteral("make-chartsheet") << QStringLiteral("data!A2=2");
}

void tst_UpdateInPlace::refusedWorkbookIsWrittenWhole() {
    QFETCH(QString, make);
    QFETCH(QString, kept);
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    QVERIFY(bookScript({make, book}).isEmpty());
    ExportSession session(hdb.dir.path(), {});
    session.exportUpdate(hdb.seriesFile(), 0, hdb.connection);
    const QJsonObject read = readWorkbookCells(book);
    QCOMPARE(texts(read.value("sheets")).count(QStringLiteral("Sheet1")), 1);
    QCOMPARE(cellOf(read, "Sheet1", "A1").value("value").toString(),
             QStringLiteral("2 1011 KERN R NR KERNVILLE"));
    QCOMPARE(cellOf(read, "Sheet1", "F2").value("colour").toString(), QStringLiteral("FFFFFFFF"));
    const QString sheet = kept.section(u'!', 0, 0);
    const QString cell = kept.section(u'!', 1).section(u'=', 0, 0);
    QCOMPARE(cellOf(read, sheet, cell).value("value").toVariant().toString(),
             kept.section(u'=', 1));
    QVERIFY(planUpdate(*hdb.db, readUpdateSheet(book, QStringLiteral("Sheet1"))).changes.empty());
}

// Stopped at any of its progress reports, an update leaves the workbook's bytes, the folder and
// the session as they were.
void tst_UpdateInPlace::stoppedUpdateLeavesTheWorkbook() {
    RP_REQUIRE_OPENPYXL();
    DailyHdb hdb;
    const QString book = hdb.dir.filePath(QStringLiteral("DBedit.xlsx"));
    QVERIFY(bookScript({QStringLiteral("make"), book}).isEmpty());
    QFile file(book);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const QString series = hdb.seriesFile();
    const QStringList folder = QDir(hdb.dir.path()).entryList(QDir::Files | QDir::Hidden);
    int reports = 0;
    {
        QTemporaryDir copy;
        QVERIFY(QFile::copy(book, copy.filePath(QStringLiteral("DBedit.xlsx"))));
        ExportSession session(copy.path(), {});
        session.exportUpdate(series, 0, hdb.connection, [&](qint64, qint64) {
            ++reports;
            return true;
        });
    }
    QVERIFY(reports > 2);
    for (int stopAt = 1; stopAt <= reports; ++stopAt) {
        ExportSession session(hdb.dir.path(), {});
        int report = 0;
        try {
            session.exportUpdate(series, 0, hdb.connection,
                                 [&](qint64, qint64) { return ++report < stopAt; });
            QFAIL(qPrintable(QStringLiteral("not stopped at report %1").arg(stopAt)));
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(u"cancelled"), qPrintable(e.message()));
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll() == bytes, qPrintable(QString::number(stopAt)));
        file.close();
        QCOMPARE(QDir(hdb.dir.path()).entryList(QDir::Files | QDir::Hidden), folder);
        QCOMPARE(session.xlfcount(), 0);
    }
}

QTEST_GUILESS_MAIN(tst_UpdateInPlace)
#include "tst_UpdateInPlace.moc"
