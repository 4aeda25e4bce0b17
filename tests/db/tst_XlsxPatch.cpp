#include "XlsxFixtures.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;
using namespace rp::test;

namespace {

const char* systemPython = "/usr/bin/python3";

bool openpyxlAvailable() {
    QProcess python;
    python.start(QLatin1String(systemPython),
                 {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

QByteArray runKeepScript(const QString& what, const QString& path) {
    QProcess python;
    python.start(QLatin1String(systemPython), {QFINDTESTDATA("xlsx_keep.py"), what, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("openpyxl: %s", python.readAllStandardError().constData());
        return {};
    }
    return python.readAllStandardOutput();
}

QByteArray entry(const QString& path, const QString& name) {
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(name))
        return {};
    QuaZipFile file(&zip);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first sheet of each workbook as LibreOffice reads it, converted headless to CSV in one run
// (each start of the program costs long): by file name, empty when it failed.
QHash<QString, QByteArray> csvByLibreOffice(const QStringList& books, const QString& dir) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QProcess p;
    p.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=file://") + dir +
                                     QStringLiteral("/lo-profile"),
                                 QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                 QStringLiteral("csv"), QStringLiteral("--outdir"),
                                 dir + QStringLiteral("/csv")} +
                         books);
    QHash<QString, QByteArray> result;
    if (!p.waitForFinished(240000) || p.exitCode() != 0)
        return result;
    for (const QString& book : books) {
        QFile csv(dir + QStringLiteral("/csv/") + QFileInfo(book).completeBaseName() +
                  QStringLiteral(".csv"));
        if (csv.open(QIODevice::ReadOnly))
            result.insert(book, csv.readAll().replace("\r\n", "\n"));
    }
    return result;
}

QString columnLetters(int column) {
    return QString::fromLatin1(QByteArray(1, char('A' + column)));
}

// The value as openpyxl's dump shows it.
QJsonValue dumped(const QVariant& v) {
    if (v.isNull())
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(Qt::ISODate).chopped(v.toDateTime().timeSpec() == Qt::UTC);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return v.toDouble();
}

// A sheet's rows by number: each row's cells from column A, null where a cell is missing.
using HeldRows = QMap<int, QVariantList>;

// sheetData for the rows, each cell styled by its column (A: 1, B: 2 …).
QByteArray sheetDataOf(const HeldRows& rows, bool numbered) {
    QByteArray xml;
    for (auto row = rows.begin(); row != rows.end(); ++row) {
        xml += numbered ? "<row r=\"" + QByteArray::number(row.key()) + "\">" : "<row>";
        for (qsizetype c = 0; c < row->size(); ++c)
            if (!row->at(c).isNull())
                xml += "<c r=\"" + QByteArray(1, char('A' + c)) + QByteArray::number(row.key()) +
                       "\" s=\"" + QByteArray::number(c + 1) + "\"><v>" + row->at(c).toByteArray() +
                       "</v></c>";
        xml += "</row>";
    }
    return xml;
}

struct Edit {
    int firstColumn = 0;
    int firstRow = 1;
    QList<QVariantList> rows;
    bool clearBelow = false;
};

QDateTime at(int y, int m, int d, int h = 0) {
    return naiveDateTime(QDate(y, m, d), QTime(h, 0));
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(HeldRows)

class XlsxPatchTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_openpyxlBook;
    QString m_libreOfficeBook;
    QList<QPair<QString, QByteArray>> m_results; // written workbook, a line LibreOffice must read

private slots:
    void initTestCase() {
        if (!openpyxlAvailable())
            return;
        m_openpyxlBook = m_dir.filePath(QStringLiteral("openpyxl.xlsx"));
        runKeepScript(QStringLiteral("make"), m_openpyxlBook);
        m_libreOfficeBook =
            workbookByLibreOffice(m_dir.path(), QStringLiteral("book"), "a,b\n1,x\n2,y\n");
    }

    void keepsWhatIsNotWritten_data() {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QStringList>("changedParts");
        QTest::addColumn<QByteArray>("csvHas"); // lines LibreOffice reads in the result

        // openpyxl's workbooks are marked to recalculate on opening already.
        const QStringList sheetAndCalc{"xl/worksheets/sheet1.xml"};
        QTest::newRow("one value") << "openpyxl" << Edit{2, 3, {{99.25}}, false} << sheetAndCalc
                                   << QByteArray("1001,1999-03-06,99.25,198.5,");
        QTest::newRow("rows appended")
            << "openpyxl"
            << Edit{0, 8, {{1001.0, at(1999, 3, 11), 16.5}, {1001.0, at(1999, 3, 12, 6), 17.5}}}
            // the defined name over column C down to the last row grows with it
            << QStringList{"xl/workbook.xml", "xl/worksheets/sheet1.xml"}
            << QByteArray("1001,1999-03-12 06:00:00,17.5,");
        QTest::newRow("texts written and cleared below")
            << "openpyxl" << Edit{4, 2, {{"B & <C>"}, {"A"}}, true} << sheetAndCalc
            << QByteArray("21,B & <C>,,,note");
        QTest::newRow("over a formula") << "openpyxl" << Edit{3, 2, {{5.0}}, false} << sheetAndCalc
                                        << QByteArray("1001,1999-03-05,10.5,5,A");
        QTest::newRow("a date where no date was")
            << "openpyxl" << Edit{7, 10, {{at(2001, 2, 3)}}, false}
            << QStringList{"xl/styles.xml", "xl/worksheets/sheet1.xml"} << QByteArray("2001-02-03");
        QTest::newRow("the same value again")
            << "openpyxl" << Edit{2, 2, {{10.5}, {11.5}}, false} << QStringList()
            << QByteArray("1001,1999-03-05,10.5,21,");
        QTest::newRow("LibreOffice: change and append")
            << "libreoffice" << Edit{0, 3, {{2.0, "z"}, {3.0, "w"}}, false}
            << QStringList{"xl/worksheets/sheet1.xml"} << QByteArray("a,b\n1,x\n2,z\n3,w\n");
        QTest::newRow("LibreOffice: cleared below")
            << "libreoffice" << Edit{1, 2, {{"y"}}, true} << QStringList{"xl/worksheets/sheet1.xml"}
            << QByteArray("a,b\n1,y\n2,\n");
    }

    void keepsWhatIsNotWritten() {
        QFETCH(QString, maker);
        QFETCH(Edit, edit);
        QFETCH(QStringList, changedParts);
        QFETCH(QByteArray, csvHas);
        if (!openpyxlAvailable())
            QSKIP("python3-openpyxl is not installed");
        const QString book = maker == u"openpyxl" ? m_openpyxlBook : m_libreOfficeBook;
        if (book.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed or could not convert the CSV file");
        const QJsonObject before = QJsonDocument::fromJson(runKeepScript("dump", book)).object();
        QVERIFY(!before.isEmpty());
        const QString result =
            m_dir.filePath(QStringLiteral("result%1.xlsx").arg(m_results.size() + 1));
        {
            XlsxPatch patch(book);
            XlsxCellBlock block;
            block.firstColumn = edit.firstColumn;
            block.firstRow = edit.firstRow;
            block.rowCount = int(edit.rows.size());
            block.columnCount = 0;
            for (const QVariantList& row : edit.rows)
                block.columnCount = qMax(block.columnCount, int(row.size()));
            block.clearBelow = edit.clearBelow;
            block.styleFromRow = 2;
            block.values = [&](int row, QVariantList& values) {
                values = edit.rows.at(row - edit.firstRow);
            };
            patch.setCells(patch.reader().sheetNames().first(), block);
            patch.write(result);
        }

        // Untouched parts byte for byte, the changed ones named.
        const QMap<QString, QByteArray> old = rawEntries(book);
        const QMap<QString, QByteArray> now = rawEntries(result);
        QCOMPARE(now.keys(), old.keys());
        QStringList changed;
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            if (now.value(it.key()) != it.value())
                changed.append(it.key());
        QCOMPARE(changed, changedParts);

        // Every cell the edit did not name as openpyxl read it before; the written ones with
        // their new values and their old format.
        const QJsonObject after = QJsonDocument::fromJson(runKeepScript("dump", result)).object();
        QVERIFY(!after.isEmpty());
        const bool namesGrow = changedParts.contains(QStringLiteral("xl/workbook.xml"));
        for (const QString& key : before.keys())
            if (key != u"cells" && !(key == u"names" && namesGrow))
                QCOMPARE(after.value(key), before.value(key));
        if (namesGrow)
            QCOMPARE(after.value("names").toObject().value("values").toString(),
                     QStringLiteral("rday!$C$2:$C$%1").arg(edit.firstRow + edit.rows.size() - 1));
        const QString sheet = before.value("sheets").toArray().first().toString();
        const QJsonObject cellsBefore = before.value("cells").toObject().value(sheet).toObject();
        const QJsonObject cellsAfter = after.value("cells").toObject().value(sheet).toObject();
        QHash<QString, QVariant> written;
        const int width = edit.rows.isEmpty() ? 0 : int(edit.rows.first().size());
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < width; ++c) {
                const int row = edit.firstRow + r;
                if (r < edit.rows.size())
                    written.insert(columnLetters(edit.firstColumn + c) + QString::number(row),
                                   edit.rows.at(r).value(c));
                else if (edit.clearBelow)
                    written.insert(columnLetters(edit.firstColumn + c) + QString::number(row),
                                   QVariant());
            }
        QStringList names = cellsBefore.keys() + cellsAfter.keys();
        names.removeDuplicates();
        for (const QString& name : names) {
            const QJsonArray was = cellsBefore.value(name).toArray();
            const QJsonArray is = cellsAfter.value(name).toArray();
            if (!written.contains(name)) {
                QVERIFY2(is == was, qPrintable(name));
                continue;
            }
            QVERIFY2((is.isEmpty() ? QJsonValue::Null : is.at(0)) == dumped(written.value(name)),
                     qPrintable(name));
            if (!was.isEmpty() && !is.isEmpty()) // the format stays
                QVERIFY2(is.at(2) == was.at(2) && is.at(4) == was.at(4), qPrintable(name));
        }

        m_results.append({result, csvHas});
    }

    // LibreOffice opens every result of keepsWhatIsNotWritten and reads the values.
    void libreOfficeReadsTheResults() {
        if (m_results.isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice (soffice) or python3-openpyxl is not installed");
        QStringList books;
        for (const auto& [book, line] : m_results)
            books.append(book);
        const QHash<QString, QByteArray> csv = csvByLibreOffice(books, m_dir.path());
        for (const auto& [book, line] : m_results)
            QVERIFY2(csv.value(book).contains(line),
                     qPrintable(book + QLatin1Char('\n') + QString::fromUtf8(csv.value(book))));
    }

    void appendedRowsGrowTheDimension() {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.xlsx"));
        HandMadeWorkbook made;
        made.sheets = {{QStringLiteral("rday"), "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"}};
        QVERIFY(writeZip(book, made.parts()));
        // The hand-made sheet has no dimension: give it one.
        XlsxParts parts = made.parts();
        for (auto& [name, bytes] : parts)
            if (name.endsWith(QLatin1String("sheet1.xml")))
                bytes.replace("<sheetData>", "<dimension ref=\"A1\"/><sheetData>");
        QVERIFY(writeZip(book, parts));
        XlsxPatch patch(book);
        XlsxCellBlock block;
        block.firstColumn = 1;
        block.firstRow = 3;
        block.rowCount = 2;
        block.values = [](int row, QVariantList& values) { values = {double(row)}; };
        patch.setCells(QStringLiteral("RDAY"), block);
        const QString result = dir.filePath(QStringLiteral("result.xlsx"));
        patch.write(result);
        QVERIFY(entry(result, QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains("<dimension ref=\"A1:B4\"/>"));
        const QList<QVariantList> rows = XlsxReader(result).readSheet(0);
        QCOMPARE(rows, (QList<QVariantList>{{1.0}, {}, {QVariant(), 3.0}, {QVariant(), 4.0}}));
    }

    // A workbook counting its dates from 1904 gets its dates in that count.
    void datesInA1904Workbook() {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.xlsx"));
        HandMadeWorkbook made;
        made.workbookPr = "date1904=\"1\"";
        made.cellXfs = "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>";
        made.sheets = {
            {QStringLiteral("rday"), "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c></row>"}};
        QVERIFY(writeZip(book, made.parts()));
        XlsxPatch patch(book);
        XlsxCellBlock block;
        block.rowCount = 2;
        block.values = [](int row, QVariantList& values) {
            values = {row == 1 ? at(2001, 1, 2) : at(1999, 3, 5, 6)};
        };
        patch.setCells(QStringLiteral("rday"), block);
        const QString result = dir.filePath(QStringLiteral("result.xlsx"));
        patch.write(result);
        const QList<QVariantList> rows = XlsxReader(result).readSheet(0);
        QCOMPARE(rows, (QList<QVariantList>{{at(2001, 1, 2)}, {at(1999, 3, 5, 6)}}));
    }

    // A column given its own width keeps what else its range set, and the rest of the range.
    void columnWidth_data() {
        QTest::addColumn<QByteArray>("cols"); // before sheetData
        QTest::addColumn<QByteArray>("expected");
        const QByteArray own = "<col min=\"2\" max=\"2\" width=\"15\" customWidth=\"1\"/>";
        QTest::newRow("no columns laid out") << QByteArray() << "<cols>" + own + "</cols>";
        QTest::newRow("others laid out")
            << QByteArray("<cols><col min=\"1\" max=\"1\" width=\"9\"/><col min=\"4\" max=\"5\" "
                          "width=\"30\"/></cols>")
            << "<cols><col min=\"1\" max=\"1\" width=\"9\"/>" + own +
                   "<col min=\"4\" max=\"5\" width=\"30\"/></cols>";
        QTest::newRow("inside a range")
            << QByteArray("<cols><col min=\"1\" max=\"3\" width=\"20\" style=\"1\"/></cols>")
            << QByteArray("<cols><col min=\"1\" max=\"1\" width=\"20\" style=\"1\"/><col min=\"2\" "
                          "max=\"2\" width=\"15\" style=\"1\" customWidth=\"1\"/><col min=\"3\" "
                          "max=\"3\" width=\"20\" style=\"1\"/></cols>");
    }

    void columnWidth() {
        QFETCH(QByteArray, cols);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.xlsx"));
        HandMadeWorkbook made;
        made.sheets = {{QStringLiteral("rday"), "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"}};
        XlsxParts parts = made.parts();
        for (auto& [name, bytes] : parts)
            if (name.endsWith(u"sheet1.xml"))
                bytes.replace("<sheetData>", cols + "<sheetData>");
        QVERIFY(writeZip(book, parts));
        XlsxPatch patch(book);
        patch.setColumnWidth(QStringLiteral("rday"), 1, "15");
        const QString result = dir.filePath(QStringLiteral("result.xlsx"));
        patch.write(result);
        const QByteArray sheet = entry(result, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY2(sheet.contains(expected + "<sheetData>"), sheet.constData());
        QCOMPARE(XlsxReader(result).readSheet(0), (QList<QVariantList>{{1.0}}));
    }

    // Writing only the rows a change lists gives the very bytes that comparing every row does,
    // with the rows between copied unread.
    void listedRowsAsEveryRow_data() {
        QTest::addColumn<HeldRows>("held");
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<int>("rowCount"); // of the block from row 2, columns A to C
        QTest::addColumn<HeldRows>("changes");
        QTest::addColumn<int>("everyRowFrom");
        const HeldRows full{{1, {"1", "2", "3"}},    {2, {"20", "21", "22"}},
                            {3, {"30", "31", "32"}}, {4, {"40", "41", "42"}},
                            {5, {"50", "51", "52"}}, {6, {"60", "61", "62"}}};
        HeldRows sparse = full; // column C only in row 2
        for (int r = 3; r <= 6; ++r)
            sparse[r] = {sparse[r][0], sparse[r][1]};
        HeldRows gap = full;
        gap.remove(4);
        QTest::newRow("last row changed") << full << true << 5 << HeldRows{{6, {60, 61, 99}}} << 0;
        QTest::newRow("first row changed") << full << true << 5 << HeldRows{{2, {7, 21, 22}}} << 0;
        QTest::newRow("rows appended")
            << full << true << 7 << HeldRows{{7, {70, 71, 72}}, {8, {80, QVariant(), 82}}} << 0;
        QTest::newRow("appended under a sparse column")
            << sparse << true << 6 << HeldRows{{7, {70, 71, 72}}} << 0;
        QTest::newRow("row filled in a gap")
            << gap << true << 5 << HeldRows{{4, {40, 41, 42}}} << 0;
        QTest::newRow("records removed") << full << true << 3 << HeldRows{} << 5;
        QTest::newRow("rows without numbers")
            << full << false << 6 << HeldRows{{3, {30, 5, 32}}, {7, {70, 71, 72}}} << 0;
    }

    void listedRowsAsEveryRow() {
        QFETCH(HeldRows, held);
        QFETCH(bool, numbered);
        QFETCH(int, rowCount);
        QFETCH(HeldRows, changes);
        QFETCH(int, everyRowFrom);
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.xlsx"));
        HandMadeWorkbook made;
        made.cellXfs = QByteArray("<xf numFmtId=\"0\"/>").repeated(5);
        made.sheets = {{QStringLiteral("rday"), sheetDataOf(held, numbered)}};
        QVERIFY(writeZip(book, made.parts()));
        const auto write = [&](bool listed) {
            XlsxPatch patch(book);
            XlsxCellBlock block;
            block.firstRow = 2;
            block.columnCount = 3;
            block.rowCount = rowCount;
            block.clearBelow = everyRowFrom > 0;
            block.styleFromRow = 2;
            block.values = [&](int row, QVariantList& values) {
                values = changes.value(row, held.value(row));
                for (QVariant& v : values)
                    v = v.isNull() ? QVariant() : QVariant(v.toDouble());
            };
            if (listed) {
                block.onlyRows = changes.keys();
                block.everyRowFrom = everyRowFrom;
            }
            patch.setCells(QStringLiteral("rday"), block);
            const QString result = dir.filePath(listed ? "listed.xlsx" : "every.xlsx");
            patch.write(result);
            return entry(result, QStringLiteral("xl/worksheets/sheet1.xml"));
        };
        const QByteArray every = write(false);
        QVERIFY(every != entry(book, QStringLiteral("xl/worksheets/sheet1.xml")));
        QCOMPARE(write(true), every);
    }

    void recalculationFlag_data() {
        QTest::addColumn<QByteArray>("first");  // sheetData of the changed sheet
        QTest::addColumn<QByteArray>("second"); // of the other one
        QTest::addColumn<double>("value");      // written into A1 of the first
        QTest::addColumn<bool>("flagged");
        const QByteArray plain = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
        const QByteArray formula =
            "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f>A1*2</f><v>2</v></c></row>";
        QTest::newRow("formula beside") << formula << plain << 5.0 << true;
        QTest::newRow("formula on another sheet") << plain << formula << 5.0 << true;
        QTest::newRow("no formula") << plain << plain << 5.0 << false;
        QTest::newRow("nothing changed") << formula << formula << 1.0 << false;
    }

    void recalculationFlag() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(double, value);
        QFETCH(bool, flagged);
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.xlsx"));
        HandMadeWorkbook made;
        made.sheets = {{QStringLiteral("one"), first}, {QStringLiteral("two"), second}};
        QVERIFY(writeZip(book, made.parts()));
        XlsxPatch patch(book);
        XlsxCellBlock block;
        block.rowCount = 1;
        block.values = [&](int, QVariantList& values) { values = {value}; };
        patch.setCells(QStringLiteral("one"), block);
        const QString result = dir.filePath(QStringLiteral("result.xlsx"));
        patch.write(result);
        const QByteArray workbook = entry(result, QStringLiteral("xl/workbook.xml"));
        QCOMPARE(workbook.contains("<calcPr fullCalcOnLoad=\"1\"/>"), flagged);
        QCOMPARE(XlsxReader(result).readSheet(0).value(0).value(0), QVariant(value));
    }

    void sharedFormulaAnchorIsRefused() {
        QTemporaryDir dir;
        const QString book = dir.filePath(QStringLiteral("book.xlsx"));
        HandMadeWorkbook made;
        made.sheets = {{QStringLiteral("rday"),
                        "<row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A2\" si=\"0\">B1</f>"
                        "<v>1</v></c></row><row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/>"
                        "<v>2</v></c></row>"}};
        QVERIFY(writeZip(book, made.parts()));
        XlsxPatch patch(book);
        XlsxCellBlock block;
        block.values = [](int, QVariantList& values) { values = {7.0}; };
        block.rowCount = 1;
        patch.setCells(QStringLiteral("rday"), block);
        QVERIFY_THROWS_EXCEPTION(XlsxPatchRefused,
                                 patch.write(dir.filePath(QStringLiteral("result.xlsx"))));
    }
};

QTEST_GUILESS_MAIN(XlsxPatchTest)
#include "tst_XlsxPatch.moc"
