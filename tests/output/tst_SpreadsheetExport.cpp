// The spreadsheet export: report tokens, series dates, and the written workbooks read back.
#include "SpreadsheetCheck.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/export/ExportSession.h"
#include "core/export/GoPlan.h"
#include "core/export/ReportTokenizer.h"
#include "core/export/SeriesSheet.h"
#include "core/export/SpreadsheetExport.h"
#include "formats/xlsx/XlsxChartPatch.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxWorkbookWriter.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace rp;

namespace {

// A series file: the header lines, then the data lines as given (CR LF ends).
QByteArray seriesText(const QByteArray& line1, const QByteArray& line2,
                      const QList<QByteArray>& lines) {
    QByteArray text = line1 + "\r\n" + line2 + "\r\n";
    for (const QByteArray& line : lines)
        text += line + "\r\n";
    return text;
}

QByteArray dailySeries() {
    return seriesText("2 1011 KERN R NR KERNVILLE", "DAILY DISCHARGE, CFS",
                      {"01 MAR 1999 12.5", "02 MAR 1999 ", "03 MAR 1999 0.5", "04 MAR 1999 est"});
}

QByteArray hourlySeries(int hours) {
    QList<QByteArray> lines;
    for (int h = 0; h < hours; ++h)
        lines.append(QStringLiteral("%1 MAR 1999 %2:00 %3")
                         .arg(1 + h / 24, 2, 10, QLatin1Char('0'))
                         .arg(h % 24, 2, 10, QLatin1Char('0'))
                         .arg(h)
                         .toLatin1());
    return seriesText("3 1011 KERN R NR KERNVILLE", "HOURLY DISCHARGE, CFS", lines);
}

// Daily values from 1 Jan 1950 on, enough that an export reports its progress many times.
QByteArray longDailySeries(int days) {
    QList<QByteArray> lines;
    const QDate first(1950, 1, 1);
    for (int d = 0; d < days; ++d)
        lines.append(first.addDays(d).toString(QStringLiteral("dd MMM yyyy")).toUpper().toLatin1() +
                     ' ' + QByteArray::number(d % 97));
    return seriesText("2 1011 KERN R NR KERNVILLE", "DAILY DISCHARGE, CFS", lines);
}

QByteArray unitSeries() {
    QList<QByteArray> lines;
    for (int q = 0; q < 8; ++q)
        lines.append(QStringLiteral("05 Mar 1999 %1:%2 %3")
                         .arg(q / 4 * 12, 2, 10, QLatin1Char('0'))
                         .arg(q % 4 * 15, 2, 10, QLatin1Char('0'))
                         .arg(q)
                         .toLatin1());
    lines.append("06 Mar 1999 00:00 9");
    return seriesText("4 1011 KERN R NR KERNVILLE", "UNIT VALUES DISCHARGE, CFS", lines);
}

// The series file `text` exported into a new workbook in `dir`; its path.
QString exportSeries(const QTemporaryDir& dir, const QByteArray& text) {
    const QString input = dir.filePath(QStringLiteral("lastout.txt"));
    const QString book = dir.filePath(QStringLiteral("out.xlsx"));
    test::writeFile(input, text);
    writeExportWorkbook(input, false, -1, book);
    return book;
}

QString attribute(const QByteArray& xml, const char* element) {
    const QRegularExpression pattern(
        QStringLiteral("<%1 val=\"([^\"]*)\"").arg(QLatin1String(element)));
    return pattern.match(QString::fromUtf8(xml)).captured(1);
}

} // namespace

class tst_SpreadsheetExport : public QObject {
    Q_OBJECT

private slots:
    void tokenizeReportLine_data();
    void tokenizeReportLine();
    void tokenNumber_data();
    void tokenNumber();
    void seriesDateSerial_data();
    void seriesDateSerial();
    void unreadableDateNamesTheLine();
    void seriesLongerThanTheSheetIsRefusedPlainly();
    void valuesPerDayOfUnitFile();
    void earlyDatesReadBack_data();
    void earlyDatesReadBack();
    void seriesSheet_data();
    void seriesSheet();
    void seriesChart_data();
    void seriesChart();
    void monthlyTableTitleRow();
    void sessionCountsSheets();
    void sessionStartsAfreshWhenTheWorkbookIsGone();
    void sessionNeverOverwritesAWorkbookSavedElsewhere();
    void stoppedExportLeavesSessionAndWorkbook_data();
    void stoppedExportLeavesSessionAndWorkbook();
    void chartPartNotAsWrittenIsRefused();
};

void tst_SpreadsheetExport::tokenizeReportLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("blank-separated numbers")
        << QStringLiteral("1999    12.5  0.5") << QStringList{"1999", "12.5", "0.5"};
    QTest::newRow("empty-field markers")
        << QStringLiteral("\"\" \"\" 7") << QStringList{"", "", "7"};
    QTest::newRow("quoted title keeps its inner blanks")
        << QStringLiteral("\"KERN R  NR\"") << QStringList{"KERN R  NR", ""};
    QTest::newRow("leading blanks inside quotes are skipped")
        << QStringLiteral("\"   TITLE\"") << QStringList{"TITLE", ""};
    // The word flag survives the closing quote, so the blank after it ends one more cell.
    QTest::newRow("blank after a quoted word")
        << QStringLiteral("\"A B\" 5") << QStringList{"A B", "", "5"};
    QTest::newRow("empty line") << QString() << QStringList{""};
    QTest::newRow("blank at the end leaves an empty last cell")
        << QStringLiteral("JAN ") << QStringList{"JAN", ""};
    QTest::newRow("leading blanks") << QStringLiteral("   JAN") << QStringList{"JAN"};
}

void tst_SpreadsheetExport::tokenizeReportLine() {
    QFETCH(QString, line);
    QFETCH(QStringList, cells);
    QCOMPARE(rp::tokenizeReportLine(line), cells);
}

void tst_SpreadsheetExport::seriesDateSerial_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<double>("serial"); // NaN: no date
    const double nan = std::nan("");
    QTest::newRow("day") << QByteArray("05 MAR 1999") << 36224.0;
    QTest::newRow("day with trailing blank") << QByteArray("05 MAR 1999 ") << 36224.0;
    QTest::newRow("unit month in small letters")
        << QByteArray("05 Mar 1999 07:15") << 36224.0 + 7.25 / 24;
    QTest::newRow("hour") << QByteArray("01 JAN 1900 23:00") << 1.0 + 23.0 / 24;
    // The 1900 system counts a 29 Feb 1900: serial 60 is that day, 1 Mar 1900 is 61.
    QTest::newRow("28 Feb 1900") << QByteArray("28 FEB 1900") << 59.0;
    QTest::newRow("1 Mar 1900") << QByteArray("01 MAR 1900") << 61.0;
    QTest::newRow("seconds") << QByteArray("05 MAR 1999 00:00:30") << 36224.0 + 30.0 / 86400;
    QTest::newRow("no such day") << QByteArray("31 FEB 1999") << nan;
    QTest::newRow("no month") << QByteArray("05 XYZ 1999") << nan;
    QTest::newRow("hour out of range") << QByteArray("05 MAR 1999 24:00") << nan;
    QTest::newRow("text after the time") << QByteArray("05 MAR 1999 07:15 x") << nan;
    QTest::newRow("empty") << QByteArray() << nan;
}

void tst_SpreadsheetExport::seriesDateSerial() {
    QFETCH(QByteArray, field);
    QFETCH(double, serial);
    const auto got = rp::seriesDateSerial(field);
    if (std::isnan(serial)) {
        QVERIFY2(!got, qPrintable(QString::number(got.value_or(0))));
    } else {
        QVERIFY(got);
        QVERIFY2(std::abs(*got - serial) < 1e-9, qPrintable(QString::number(*got, 'f', 9)));
    }
}

void tst_SpreadsheetExport::unreadableDateNamesTheLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lastout.txt"));
    test::writeFile(path, seriesText("2 1 X", "DAILY X", {"01 MAR 1999 1", "3O MAR 1999 2"}));
    try {
        readSeriesColumns(path, 0);
        QFAIL("a line without a date was read");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QLatin1String("Line 4")), qPrintable(e.message()));
    }
}

void tst_SpreadsheetExport::seriesLongerThanTheSheetIsRefusedPlainly() {
    QTemporaryDir dir;
    // One value more than the rows below the ten header rows of a sheet.
    QByteArray text = "2 1 X\r\nDAILY X\r\n";
    const QByteArray line = "01 JAN 1950 1\r\n";
    text.reserve(text.size() + line.size() * 1048567);
    for (int i = 0; i < 1048567; ++i)
        text += line;
    try {
        exportSeries(dir, text);
        QFAIL("a series longer than the sheet was exported");
    } catch (const Error& e) {
        QCOMPARE(e.message(), QStringLiteral("The worksheet holds at most 1,048,566 values below "
                                             "its header; this series has 1,048,567. Export a "
                                             "shorter range."));
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out.xlsx"))));
}

void tst_SpreadsheetExport::valuesPerDayOfUnitFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unit.txt"));
    test::writeFile(path, unitSeries());
    QCOMPARE(valuesPerDayOfSeriesFile(path), 8);
    test::writeFile(path, dailySeries());
    QCOMPARE(valuesPerDayOfSeriesFile(path), 0);
}

void tst_SpreadsheetExport::earlyDatesReadBack_data() {
    QTest::addColumn<QDate>("day");
    for (const QDate d :
         {QDate(1900, 1, 1), QDate(1900, 1, 2), QDate(1900, 1, 31), QDate(1900, 2, 1),
          QDate(1900, 2, 27), QDate(1900, 2, 28), QDate(1900, 3, 1), QDate(1900, 3, 2)})
        QTest::newRow(qPrintable(d.toString(Qt::ISODate))) << d;
}

// A date written by the series export and as a cell of its own reads back as the same day, with
// openpyxl and with the program's own reader.
void tst_SpreadsheetExport::earlyDatesReadBack() {
    RP_REQUIRE_OPENPYXL();
    QFETCH(QDate, day);
    QTemporaryDir dir;
    const QByteArray line = day.toString(QStringLiteral("dd MMM yyyy")).toUpper().toLatin1() + " 5";
    const QString series = exportSeries(dir, seriesText("2 1 X", "DAILY X", {line}));
    const QString cells = dir.filePath(QStringLiteral("cells.xlsx"));
    std::vector<SpreadsheetSheet> sheets = newWorkbookSheets();
    sheets[0].cells.push_back({0, 2, naiveDateTime(day, QTime(6, 0)), false});
    writeSpreadsheetWorkbook(cells, sheets);

    const QString iso = day.toString(Qt::ISODate);
    QCOMPARE(
        test::cellOf(test::readWorkbookCells(series), "Sheet1", "A11").value("value").toString(),
        iso + QStringLiteral("T00:00:00"));
    QCOMPARE(test::cellOf(test::readWorkbookCells(cells), "Sheet1", "C1").value("value").toString(),
             iso + QStringLiteral("T06:00:00"));
    QCOMPARE(XlsxReader(series).readSheet(0).at(10).at(0).toDateTime(), naiveDateTime(day));
    QCOMPARE(XlsxReader(cells).readSheet(0).at(0).at(2).toDateTime(),
             naiveDateTime(day, QTime(6, 0)));
}

void tst_SpreadsheetExport::seriesSheet_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("a11"); // the date openpyxl reads
    QTest::addColumn<QString>("format");
    QTest::newRow("daily") << dailySeries() << QStringLiteral("1999-03-01T00:00:00")
                           << QStringLiteral("dd-mmm-yyyy");
    QTest::newRow("unit") << unitSeries() << QStringLiteral("1999-03-05T00:00:00")
                          << QStringLiteral("dd-mmm-yyyy hh:mm");
    QTest::newRow("monthly") << seriesText("1 1 X", "MONTHLY X", {"01 JAN 2000 3", "01 FEB 2000 4"})
                             << QStringLiteral("2000-01-01T00:00:00") << QStringLiteral("mmm yyyy");
}

void tst_SpreadsheetExport::seriesSheet() {
    RP_REQUIRE_OPENPYXL();
    QFETCH(QByteArray, text);
    QFETCH(QString, a11);
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString book = exportSeries(dir, text);

    const QJsonObject read = test::readWorkbookCells(book);
    QCOMPARE(read.value(QStringLiteral("sheets")).toArray().size(), 3);
    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(test::cellOf(read, "Sheet1", "A1").value("value").toString().toLatin1(),
             lines[0].trimmed());
    QCOMPARE(test::cellOf(read, "Sheet1", "A2").value("value").toString().toLatin1(),
             lines[1].trimmed());
    for (int row = 3; row <= 10; ++row)
        QVERIFY(test::cellOf(read, "Sheet1", QStringLiteral("A%1").arg(row)).isEmpty());
    const QJsonObject date = test::cellOf(read, "Sheet1", "A11");
    QCOMPARE(date.value("type").toString(), QStringLiteral("datetime"));
    QCOMPARE(date.value("value").toString(), a11);
    QCOMPARE(date.value("format").toString(), format);
    const QString number = test::cellOf(read, "Sheet1", "B11").value("type").toString();
    QVERIFY2(number == u"float" || number == u"int", qPrintable(number));
    const double width = read.value("widthA").toObject().value("Sheet1").toDouble();
    QVERIFY2(width >= 15 && width < 16, qPrintable(QString::number(width)));
}

void tst_SpreadsheetExport::seriesChart_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("axis");
    QTest::addColumn<QString>("spacing"); // tickLblSkip and tickMarkSkip; empty for a date axis
    QTest::addColumn<int>("lastRow");
    QTest::newRow("daily: date axis")
        << dailySeries() << QStringLiteral("dateAx") << QString() << 14;
    QTest::newRow("hourly: every 24")
        << hourlySeries(50) << QStringLiteral("catAx") << QStringLiteral("24") << 60;
    QTest::newRow("unit: values per day")
        << unitSeries() << QStringLiteral("catAx") << QStringLiteral("8") << 19;
}

void tst_SpreadsheetExport::seriesChart() {
    RP_REQUIRE_OPENPYXL(); // Python reads the chart part out of the zip
    QFETCH(QByteArray, text);
    QFETCH(QString, axis);
    QFETCH(QString, spacing);
    QFETCH(int, lastRow);
    QTemporaryDir dir;
    const QString book = exportSeries(dir, text);

    const QByteArray xml = test::zipPart(book, QStringLiteral("xl/charts/chart1.xml"));
    QVERIFY(!xml.isEmpty());
    QVERIFY(xml.contains("<c:lineChart>"));
    QVERIFY(xml.contains(QStringLiteral("<c:f>Sheet1!$A$11:$A$%1</c:f>").arg(lastRow).toLatin1()));
    QVERIFY(xml.contains(QStringLiteral("<c:f>Sheet1!$B$11:$B$%1</c:f>").arg(lastRow).toLatin1()));
    QVERIFY(xml.contains("<a:t>1011 KERN R NR KERNVILLE</a:t>"));
    const QByteArray line2 = text.split('\r').at(1).trimmed();
    QVERIFY(xml.contains("<a:t>" + line2 + "</a:t>"));
    QVERIFY(xml.contains(("<c:" + axis + ">").toLatin1()));
    QCOMPARE(attribute(xml, "c:tickLblSkip"), spacing);
    QCOMPARE(attribute(xml, "c:tickMarkSkip"), spacing);
    QVERIFY(!xml.contains("<c:legend>"));
    QCOMPARE(attribute(xml, "c:majorTickMark"), QStringLiteral("out"));
    QCOMPARE(attribute(xml, "c:minorTickMark"), QStringLiteral("in"));
    QCOMPARE(attribute(xml, "c:tickLblPos"), QStringLiteral("nextTo"));
    QCOMPARE(xml.count("<c:majorGridlines/>"), 2);
    QVERIFY(xml.contains("<a:gradFill"));
    QVERIFY(xml.contains("<a:srgbClr val=\"808080\"/>")); // the plot area's border
    // One font for the whole chart: the chart space's text properties.
    const qsizetype chartEnd = xml.indexOf("</c:chart>");
    const qsizetype font = xml.indexOf("<c:txPr>", chartEnd);
    QVERIFY(font > chartEnd);
    QVERIFY(xml.indexOf("sz=\"900\"", font) > font);
    QVERIFY(xml.indexOf("typeface=\"Arial\"", font) > font);
    if (axis == u"dateAx") {
        QCOMPARE(attribute(xml, "c:baseTimeUnit"), QStringLiteral("days"));
    } else {
        QCOMPARE(attribute(xml, "c:crossesAt"), QStringLiteral("1"));
    }

    const QByteArray drawing = test::zipPart(book, QStringLiteral("xl/drawings/drawing1.xml"));
    QVERIFY(drawing.contains("name=\"Chart 1\""));
    // Moved 250 pt right and 54.75 pt up from column C, row 5 (pixel 174, 80 at 96 dpi): 507, 7,
    // which is 13 pixels into column H (A is 110 pixels wide, the others 64) and 7 into row 1;
    // 480 x 288 pixels scaled 1.22 x 1.74 end 22.6 pixels into column Q and 8.1 into row 26.
    QVERIFY(drawing.contains("<xdr:from><xdr:col>7</xdr:col><xdr:colOff>123825</xdr:colOff>"
                             "<xdr:row>0</xdr:row><xdr:rowOff>66675</xdr:rowOff></xdr:from>"));
    QVERIFY(drawing.contains("<xdr:to><xdr:col>16</xdr:col><xdr:colOff>215265</xdr:colOff>"
                             "<xdr:row>25</xdr:row><xdr:rowOff>77343</xdr:rowOff></xdr:to>"));
}

void tst_SpreadsheetExport::monthlyTableTitleRow() {
    RP_REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    const QString series = dir.filePath(QStringLiteral("lastout.txt"));
    const QString report = dir.filePath(QStringLiteral("lasttable.txt"));
    const QString book = dir.filePath(QStringLiteral("out.xlsx"));
    test::writeFile(series, seriesText("1 1011 KERN R", "MONTHLY DISCHARGE, CFS",
                                       {"01 JAN 2000 3", "01 FEB 2000 4.50", "01 MAR 2000 ",
                                        "01 APR 2000 1234.5"}));
    ReportOptions options;
    options.excel = true;
    writeReportFile(series, report, options);
    writeExportWorkbook(report, true, 0, book);

    const QJsonObject read = test::readWorkbookCells(book);
    const QJsonObject cells = read.value("cells").toObject().value("Sheet1").toObject();
    for (const char* empty : {"A1", "B1", "C1", "D1", "E1", "F1", "G1"})
        QVERIFY2(!cells.contains(QLatin1String(empty)), empty);
    QCOMPARE(cells.value("H1").toObject().value("value").toString(),
             QStringLiteral("1 1011 KERN R"));
    QCOMPARE(cells.value("H1").toObject().value("align").toString(), QStringLiteral("right"));
    // The year row: one cell per token, numbers as numbers shown as written.
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    int yearRow = 0;
    for (int i = 0; i < lines.size() && yearRow == 0; ++i)
        if (lines[i].startsWith(QLatin1String("2000")))
            yearRow = i + 1;
    QVERIFY(yearRow > 0);
    const auto cell = [&](char column) {
        return cells.value(QStringLiteral("%1%2").arg(QLatin1Char(column)).arg(yearRow)).toObject();
    };
    struct Expected {
        char column;
        const char* type;
        double value;
        const char* format;
    };
    for (const Expected& e :
         {Expected{'A', "int", 2000, "General"}, Expected{'B', "int", 3, "General"},
          Expected{'C', "float", 4.5, "0.00"}, Expected{'E', "float", 1234.5, "0.0"}}) {
        QCOMPARE(cell(e.column).value("type").toString(), QLatin1String(e.type));
        QCOMPARE(cell(e.column).value("value").toDouble(), e.value);
        QCOMPARE(cell(e.column).value("format").toString(), QLatin1String(e.format));
    }
    QCOMPARE(cell('D').value("type").toString(), QStringLiteral("str"));
    QCOMPARE(cell('D').value("value").toString(), QStringLiteral("---"));
}

void tst_SpreadsheetExport::tokenNumber_data() {
    QTest::addColumn<QString>("token");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::newRow("whole") << "12000" << true << 12000.0 << "";
    QTest::newRow("zero") << "0" << true << 0.0 << "";
    QTest::newRow("fixed decimals") << "0.50" << true << 0.5 << "0.00";
    QTest::newRow("negative") << "-12.5" << true << -12.5 << "0.0";
    QTest::newRow("no integer digits") << ".25" << true << 0.25 << "0.00";
    QTest::newRow("grouped") << "1,234,567" << true << 1234567.0 << "#,##0";
    QTest::newRow("grouped with decimals") << "12,345.60" << true << 12345.6 << "#,##0.00";
    QTest::newRow("missing value") << "---" << false << 0.0 << "";
    QTest::newRow("leading zero kept as text") << "007" << false << 0.0 << "";
    QTest::newRow("short group") << "1,23" << false << 0.0 << "";
    QTest::newRow("long first group") << "1234,567" << false << 0.0 << "";
    QTest::newRow("two points") << "1.2.3" << false << 0.0 << "";
    QTest::newRow("sign alone") << "-" << false << 0.0 << "";
    QTest::newRow("word") << "JAN" << false << 0.0 << "";
    QTest::newRow("date") << "01-05-2026" << false << 0.0 << "";
    QTest::newRow("more digits than a double holds") << "1234567890123456" << false << 0.0 << "";
}

void tst_SpreadsheetExport::tokenNumber() {
    QFETCH(QString, token);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    QFETCH(QString, format);
    const auto got = rp::tokenNumber(token);
    QCOMPARE(bool(got), isNumber);
    if (got) {
        QCOMPARE(got->value, value);
        QCOMPARE(got->format, format);
    }
}

void tst_SpreadsheetExport::sessionCountsSheets() {
    RP_REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("lastout.txt"));
    test::writeFile(input, dailySeries());
    QStringList opened;
    ExportSession session(dir.path(), [&](const QString& path) { opened.append(path); });
    for (int i = 1; i <= 5; ++i) {
        session.exportFile(input, false, 0);
        QCOMPARE(session.xlfcount(), i);
        QCOMPARE(session.sheetName(), QStringLiteral("Sheet%1").arg(i));
    }
    QCOMPARE(opened.size(), 5);
    QCOMPARE(opened.constFirst(), dir.filePath(QStringLiteral("Book1.xlsx")));
    QCOMPARE(opened.constLast(), opened.constFirst());

    const QJsonObject read = test::readWorkbookCells(opened.constFirst());
    QCOMPARE(read.value("sheets").toArray().toVariantList(),
             QVariantList({"Sheet1", "Sheet2", "Sheet3", "Sheet4", "Sheet5"}));
    // Earlier sheets keep what they held, each with its own chart.
    for (const char* sheet : {"Sheet1", "Sheet4", "Sheet5"})
        QCOMPARE(test::cellOf(read, sheet, "B11").value("value").toDouble(), 12.5);
    const QByteArray fifth =
        test::zipPart(opened.constFirst(), QStringLiteral("xl/charts/chart5.xml"));
    QVERIFY(fifth.contains("<c:f>Sheet5!$B$11:$B$14</c:f>"));
}

void tst_SpreadsheetExport::sessionStartsAfreshWhenTheWorkbookIsGone() {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("lastout.txt"));
    test::writeFile(input, dailySeries());
    ExportSession session(dir.path(), {});
    session.exportFile(input, false, 0);
    session.exportFile(input, false, 0);
    QCOMPARE(session.sheetName(), QStringLiteral("Sheet2"));
    QVERIFY(QFile::rename(session.workbookPath(), dir.filePath(QStringLiteral("kept.xlsx"))));
    session.exportFile(input, false, 0);
    QCOMPARE(session.xlfcount(), 1);
    QCOMPARE(session.sheets().size(), size_t(3));
    QVERIFY(!session.sheets()[1].series); // the new workbook's Sheet2 is empty
}

void tst_SpreadsheetExport::sessionNeverOverwritesAWorkbookSavedElsewhere() {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("lastout.txt"));
    test::writeFile(input, dailySeries());
    ExportSession session(dir.path(), {});
    session.exportFile(input, false, 0);
    const QString first = session.workbookPath();
    test::writeFile(first, "saved by the spreadsheet application");
    session.exportFile(input, false, 0);
    QCOMPARE(session.xlfcount(), 1);
    QCOMPARE(session.workbookPath(), dir.filePath(QStringLiteral("Book2.xlsx")));
    QFile kept(first);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("saved by the spreadsheet application"));
}

void tst_SpreadsheetExport::stoppedExportLeavesSessionAndWorkbook_data() {
    QTest::addColumn<qint64>("stopFrom"); // the first report at or past this step of 1000 stops
    QTest::newRow("runs to the end") << qint64(-1);
    QTest::newRow("while reading the series") << qint64(0);
    QTest::newRow("while writing rows") << qint64(500);
    QTest::newRow("after packing the file") << qint64(900);
}

void tst_SpreadsheetExport::stoppedExportLeavesSessionAndWorkbook() {
    QFETCH(qint64, stopFrom);
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("lastout.txt"));
    test::writeFile(input, longDailySeries(30000));
    QStringList opened;
    ExportSession session(dir.path(), [&](const QString& path) { opened.append(path); });
    session.exportFile(input, false, 0);
    QFile book(session.workbookPath());
    QVERIFY(book.open(QIODevice::ReadOnly));
    const QByteArray before = book.readAll();
    book.close();

    QList<qint64> reports;
    bool stopped = false;
    const Progress progress = [&](qint64 done, qint64 total) {
        if (total != 1000)
            return false;
        reports.append(done);
        stopped = stopFrom >= 0 && done >= stopFrom;
        return !stopped;
    };
    if (stopFrom < 0) {
        session.exportFile(input, false, 0, progress);
        QCOMPARE(session.sheetName(), QStringLiteral("Sheet2"));
        QVERIFY(reports.size() > 10);
        QVERIFY(std::is_sorted(reports.cbegin(), reports.cend()));
        QVERIFY(reports.constLast() >= 900);
        return;
    }
    try {
        session.exportFile(input, false, 0, progress);
        QFAIL("the export was not stopped");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("cancelled")), qPrintable(e.message()));
    }
    QVERIFY(stopped);
    // Nothing changed: the count, the sheets held, the file, and nothing was shown.
    QCOMPARE(session.xlfcount(), 1);
    QCOMPARE(session.sheets().size(), size_t(3));
    QVERIFY(!session.sheets()[1].series);
    QCOMPARE(opened.size(), 1);
    QVERIFY(book.open(QIODevice::ReadOnly));
    QCOMPARE(book.readAll(), before);
    book.close();
    // The next export goes on in the same workbook, onto the sheet the stopped one would have
    // filled.
    session.exportFile(input, false, 0);
    QCOMPARE(session.workbookPath(), opened.constFirst());
    QCOMPARE(session.sheetName(), QStringLiteral("Sheet2"));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.xlsx")}),
             QStringList{QStringLiteral("Book1.xlsx")});
}

void tst_SpreadsheetExport::chartPartNotAsWrittenIsRefused() {
    ChartFinish finish;
    finish.dateAxisUnit = QStringLiteral("days");
    QVERIFY_THROWS_EXCEPTION(Error,
                             finishChartXml("<c:chartSpace><c:chart/></c:chartSpace>", finish));
    finish.dateAxisUnit.clear();
    finish.gradientColour = QStringLiteral("FFCC00");
    QVERIFY_THROWS_EXCEPTION(
        Error,
        finishChartXml("<c:chartSpace><c:chart><c:plotArea></c:plotArea></c:chart></c:chartSpace>",
                       finish));
}

QTEST_GUILESS_MAIN(tst_SpreadsheetExport)
#include "tst_SpreadsheetExport.moc"
