#include "TestSupport.h"
#include "XlsxFixtures.h"
#include "XlsxRows.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "formats/xlsx/XlsxReader.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;
using namespace rp::test;

Q_DECLARE_METATYPE(rp::test::HandMadeWorkbook)

namespace {

QDateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0, int ms = 0) {
    return naiveDateTime(QDate(y, m, d), QTime(h, min, s, ms));
}

QVariant n(double v) {
    return QVariant(v);
}
QVariant text(const char* v) {
    return QVariant(QString::fromUtf8(v));
}

// Reads every sheet, so that faults in any part surface.
void readAll(const QString& path) {
    const XlsxReader reader(path);
    for (qsizetype i = 0; i < reader.sheetNames().size(); ++i)
        reader.readSheet(i);
}

// A filler of count pieces: each piece the same, or random whitespace that packs loosely.
struct Filler {
    QByteArray piece;
    qint64 count = 0;
    bool randomWhitespace = false;
};

// Writes the book's parts, the part named bloated with filler put just before its closing tag,
// a piece at a time, so that the test never holds the whole.
bool writeBloated(const QString& path, const XlsxParts& parts, const QString& bloated,
                  const Filler& filler) {
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    QRandomGenerator random(20);
    for (const auto& [name, bytes] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 8))
            return false;
        if (name != bloated) {
            file.write(bytes);
        } else {
            const qsizetype close = bytes.lastIndexOf("</");
            file.write(bytes.left(close));
            QByteArray piece = filler.piece;
            for (qint64 i = 0; i < filler.count; ++i) {
                if (filler.randomWhitespace)
                    for (char& c : piece)
                        c = " \t\r\n"[random.bounded(4)];
                file.write(piece);
            }
            file.write(bytes.mid(close));
        }
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

} // namespace

class TestXlsxReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void handMade_data() {
        QTest::addColumn<HandMadeWorkbook>("book");
        QTest::addColumn<QList<QVariantList>>("rows");

        HandMadeWorkbook b;
        b.sheetTargetPrefix = QStringLiteral("/xl/worksheets/");
        b.sheets = {{"rday", "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>value</t></is></c>"
                             "<c r=\"B1\" t=\"inlineStr\"><is><r><t>da</t></r><r><t>te</t></r></is>"
                             "</c></row><row r=\"2\"><c r=\"A2\"><v>3.25</v></c></row>"}};
        QTest::newRow("inline strings, absolute targets")
            << b << QList<QVariantList>{{text("value"), text("date")}, {n(3.25)}};

        b = HandMadeWorkbook();
        b.sheetTargetPrefix = QStringLiteral("../xl/worksheets/");
        b.sheets = {{"s", "<row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row>"}};
        QTest::newRow("no references, target with ..")
            << b << QList<QVariantList>{{n(1), n(2)}, {n(3)}};

        b = HandMadeWorkbook();
        b.sheets = {{"gaps", "<row r=\"2\"><c r=\"C2\"><v>1</v></c></row>"
                             "<row r=\"4\"><c r=\"B4\"><v>2</v></c><c><v>3</v></c></row>"}};
        QTest::newRow("missing rows and cells are nulls")
            << b
            << QList<QVariantList>{
                   {}, {QVariant(), QVariant(), n(1)}, {}, {QVariant(), n(2), n(3)}};

        b = HandMadeWorkbook();
        b.sharedStrings =
            "<si><t>plain</t></si><si><r><t>ri</t></r><r><rPr/><t>ch</t></r>"
            "<rPh><t>IGNORED</t></rPh></si><si><t xml:space=\"preserve\"> sp </t></si>"
            "<si><t>a_x000D__x000A_b_x41_ _x004G_</t></si>";
        b.sheets = {{"sst", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>2</v></c><c r=\"B1\" t=\"s\">"
                            "<v>1</v></c><c r=\"C1\" t=\"s\"><v>0</v></c><c r=\"D1\" t=\"s\">"
                            "<v>3</v></c></row>"}};
        QTest::newRow("shared strings, rich text and phonetic hints")
            << b
            << QList<QVariantList>{
                   {text(" sp "), text("rich"), text("plain"), text("a\r\nb_x41_ _x004G_")}};

        b = HandMadeWorkbook();
        b.numFmts = "<numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/>"
                    "<numFmt numFmtId=\"165\" formatCode=\"0.00&quot;d&quot;\"/>"
                    "<numFmt numFmtId=\"166\" formatCode=\"[Red]0.00\"/>"
                    "<numFmt numFmtId=\"167\" formatCode=\"[h]:mm\"/>"
                    "<numFmt numFmtId=\"168\" formatCode=\"0\\ \\h\"/>";
        b.cellXfs = "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
                    "<xf numFmtId=\"165\"/><xf numFmtId=\"166\"/><xf numFmtId=\"167\"/>"
                    "<xf numFmtId=\"22\"/><xf numFmtId=\"168\"/><xf numFmtId=\"47\"/>";
        b.sheets = {{"fmt",
                     "<row r=\"1\"><c r=\"A1\" s=\"0\"><v>36224</v></c>"
                     "<c r=\"B1\" s=\"1\"><v>36224</v></c><c r=\"C1\" s=\"2\"><v>36224</v></c>"
                     "<c r=\"D1\" s=\"3\"><v>36224</v></c><c r=\"E1\" s=\"4\"><v>36224</v></c>"
                     "<c r=\"F1\" s=\"5\"><v>0.5</v></c><c r=\"G1\" s=\"6\"><v>36224.75</v></c>"
                     "<c r=\"H1\" s=\"7\"><v>36224</v></c><c r=\"I1\" s=\"8\"><v>0.25</v></c>"
                     "<c r=\"J1\" s=\"99\"><v>36224</v></c></row>"}};
        QTest::newRow("number formats decide dates")
            << b
            << QList<QVariantList>{{n(36224), at(1999, 3, 5), at(1999, 3, 5), n(36224), n(36224),
                                    at(1899, 12, 30, 12), at(1999, 3, 5, 18), n(36224),
                                    at(1899, 12, 30, 6), n(36224)}};

        b = HandMadeWorkbook();
        b.workbookPr = "date1904=\"1\"";
        b.cellXfs = "<xf numFmtId=\"14\"/>";
        b.sheets = {{"mac", "<row r=\"1\"><c r=\"A1\" s=\"0\"><v>0</v></c>"
                            "<c r=\"B1\" s=\"0\"><v>34762.5</v></c></row>"}};
        QTest::newRow("1904 date system")
            << b << QList<QVariantList>{{at(1904, 1, 1), at(1999, 3, 5, 12)}};

        b = HandMadeWorkbook();
        b.sheets = {{"types",
                     "<row r=\"1\"><c r=\"A1\" t=\"str\"><f>A2&amp;\"x\"</f><v>ab</v></c>"
                     "<c r=\"B1\" t=\"e\"><v>#DIV/0!</v></c><c r=\"C1\" t=\"b\"><v>1</v></c>"
                     "<c r=\"D1\" t=\"b\"><v>0</v></c>"
                     "<c r=\"E1\" t=\"d\"><v>1999-03-05T06:15:00</v></c>"
                     "<c r=\"F1\"><f>1+1</f><v>2</v></c><c r=\"G1\"/></row>"}};
        QTest::newRow("formula texts, errors, booleans, ISO dates")
            << b
            << QList<QVariantList>{{text("ab"), QVariant(), QVariant(true), QVariant(false),
                                    at(1999, 3, 5, 6, 15), n(2)}};

        b = HandMadeWorkbook();
        b.workbookPart = QStringLiteral("book/main.xml");
        b.sheets = {{"first", "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"},
                    {"second", "<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"}};
        QTest::newRow("workbook elsewhere, second sheet") << b << QList<QVariantList>{{n(1)}};
    }
    void handMade() {
        QFETCH(HandMadeWorkbook, book);
        QFETCH(QList<QVariantList>, rows);
        const QString path = file(QStringLiteral("hand-%1.xlsx").arg(QTest::currentDataTag()));
        QVERIFY(writeZip(path, book.parts()));
        const XlsxReader reader(path);
        QStringList names;
        for (const auto& sheet : book.sheets)
            names.append(sheet.first);
        QCOMPARE(reader.sheetNames(), names);
        QCOMPARE(rowsDifference(reader.readSheet(0), rows), QString());
    }

    void secondSheetOfHandMadeBook() {
        HandMadeWorkbook b;
        b.sheets = {{"first", "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"},
                    {"second", "<row r=\"1\"><c r=\"B1\"><v>2</v></c></row>"}};
        const QString path = file(QStringLiteral("two-sheets.xlsx"));
        QVERIFY(writeZip(path, b.parts()));
        const XlsxReader reader(path);
        QCOMPARE(rowsDifference(reader.readSheet(QStringLiteral("second")), {{QVariant(), n(2)}}),
                 QString());
        QVERIFY_THROWS_EXCEPTION(Error, reader.readSheet(QStringLiteral("third")));
        QVERIFY_THROWS_EXCEPTION(Error, reader.readSheet(2));
    }

    void damaged_data() {
        QTest::addColumn<QByteArray>("bytes");

        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.xlsx"));
        {
            HandMadeWorkbook b;
            QByteArray rows;
            for (int i = 1; i <= 2000; ++i)
                rows += "<row r=\"" + QByteArray::number(i) + "\"><c r=\"A" +
                        QByteArray::number(i) + "\"><v>" + QByteArray::number(i * 7) +
                        "</v></c><c r=\"B" + QByteArray::number(i) +
                        "\" t=\"inlineStr\"><is><t>some text " + QByteArray::number(i) +
                        "</t></is></c></row>";
            b.sheets = {{"rday", rows}};
            QVERIFY(writeZip(good, b.parts()));
        }
        QFile f(good);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        readAll(good); // the untouched file reads

        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("plain text") << QByteArray("datatype_site_id,date_time\n1,2\n");
        QTest::newRow("truncated to half") << whole.left(whole.size() / 2);
        QTest::newRow("end record cut off") << whole.left(whole.size() - 22);
        QTest::newRow("last member cut short") << whole.left(whole.size() * 9 / 10);
        QTest::newRow("zip header only") << whole.left(30);

        const auto handMade = [&](const HandMadeWorkbook& b) {
            const QString p = dir.filePath(QStringLiteral("h.xlsx"));
            QFile::remove(p);
            writeZip(p, b.parts());
            QFile hf(p);
            hf.open(QIODevice::ReadOnly);
            return hf.readAll();
        };
        HandMadeWorkbook b;
        b.sheets = {{"x", "<row r=\"1\"><c r=\"A1\"><v>1</v></c>"}};
        QTest::newRow("unclosed sheet xml") << handMade(b);
        b.sheets = {{"x", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>"}};
        QTest::newRow("shared text out of range") << handMade(b);
        b.sheets = {{"x", "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"}};
        QTest::newRow("column beyond a sheet") << handMade(b);
        b.sheets = {{"x", "<row r=\"1\"><c r=\"A0\"><v>1</v></c></row>"}};
        QTest::newRow("row zero") << handMade(b);
        b.sheets = {{"x", "<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>"}};
        QTest::newRow("reference backwards") << handMade(b);
        b.sheets = {{"x", "<row r=\"1048577\"><c><v>1</v></c></row>"}};
        QTest::newRow("row beyond a sheet") << handMade(b);
        b.sheets = {{"x", "<row r=\"1\"><c r=\"A1\"><v>abc</v></c></row>"}};
        QTest::newRow("number cell holding text") << handMade(b);
        b.sheets = {{"x", "<row r=\"1\"><c r=\"A1\" t=\"d\"><v>yesterday</v></c></row>"}};
        QTest::newRow("date cell holding text") << handMade(b);
        QTest::newRow("workbook xml broken") << [&] {
            HandMadeWorkbook w;
            w.sheets = {{"a<b", ""}};
            return handMade(w);
        }();

        // A stored (uncompressed) sheet with one byte changed: the checksum no longer matches.
        {
            const QString p = dir.filePath(QStringLiteral("stored.xlsx"));
            HandMadeWorkbook w;
            w.sheets = {{"x", "<row r=\"1\"><c r=\"A1\"><v>12345</v></c></row>"}};
            QVERIFY(writeZip(p, w.parts(), true));
            QFile sf(p);
            QVERIFY(sf.open(QIODevice::ReadOnly));
            QByteArray stored = sf.readAll();
            const qsizetype at = stored.indexOf("12345");
            QVERIFY(at > 0);
            stored[at] = '9';
            QTest::newRow("checksum mismatch") << stored;
        }
        // Only the content types: no workbook at all.
        {
            const QString p = dir.filePath(QStringLiteral("bare.xlsx"));
            QVERIFY(writeZip(p, {{QStringLiteral("[Content_Types].xml"), "<Types/>"}}));
            QFile bf(p);
            QVERIFY(bf.open(QIODevice::ReadOnly));
            QTest::newRow("no workbook part") << bf.readAll();
        }
    }
    void damaged() {
        QFETCH(QByteArray, bytes);
        const QString path = file(QStringLiteral("damaged.xlsx"));
        QFile::remove(path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        try {
            readAll(path);
            QFAIL("a damaged workbook was read without complaint");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
        }
    }

    // Parts that unpack to far more than what they hold: refused, with the reason, before the
    // reader holds them.
    void bombsAreRefused_data() {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<bool>("random");
        QTest::addColumn<QString>("reason");
        const QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
        const QString strings = QStringLiteral("xl/sharedStrings.xml");
        QTest::newRow("whitespace in a sheet, packed tight")
            << sheet << QByteArray(1 << 20, ' ') << qint64(64) << false << "times its packed size";
        QTest::newRow("many empty rows") << sheet << QByteArray("<row r=\"2\"/>").repeated(4096)
                                         << qint64(1024) << false << "times its packed size";
        QTest::newRow("whitespace in a sheet, packed loosely")
            << sheet << QByteArray(1 << 16, ' ') << qint64(64) << true
            << "for only 2 rows and cells";
        QTest::newRow("whitespace in the shared texts")
            << strings << QByteArray(1 << 16, ' ') << qint64(64) << true << "for only 1 texts";
    }
    void bombsAreRefused() {
        QFETCH(QString, part);
        QFETCH(QByteArray, piece);
        QFETCH(qint64, count);
        QFETCH(bool, random);
        QFETCH(QString, reason);
        HandMadeWorkbook book;
        book.sharedStrings = "<si><t>value</t></si>";
        book.sheets = {{"bomb", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"}};
        const QString path = file(QStringLiteral("bomb.xlsx"));
        QFile::remove(path);
        QVERIFY(writeBloated(path, book.parts(), part, {piece, count, random}));
        const QString error = rp::test::errorMessageOf([&] { readAll(path); });
        QVERIFY2(error.contains(path) && error.contains(QLatin1String("refused")) &&
                     error.contains(part) && error.contains(reason),
                 qPrintable(error));
    }

    void missingFileIsNamed() {
        const QString path = file(QStringLiteral("nowhere.xlsx"));
        try {
            XlsxReader reader(path);
            QFAIL("a missing workbook was opened");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(path) &&
                         e.message().contains(QStringLiteral("not exist")),
                     qPrintable(e.message()));
        }
    }

    void madeByLibreOffice() {
        QTemporaryDir dir;
        const QString xlsx = workbookByLibreOffice(dir.path(), QStringLiteral("rday"),
                                                   "datatype_site_id,date_time,value,source\n"
                                                   "1001,1999-03-05,12.5,A\n"
                                                   "1001,1999-03-06 06:15:00,13,\n"
                                                   "1002,03/07/1999,,\"x, y\"\n");
        if (xlsx.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed or could not convert the CSV file");
        const XlsxReader reader(xlsx);
        QCOMPARE(reader.sheetNames(), QStringList({"rday"}));
        const QList<QVariantList> expected = {
            {text("datatype_site_id"), text("date_time"), text("value"), text("source")},
            {n(1001), at(1999, 3, 5), n(12.5), text("A")},
            {n(1001), at(1999, 3, 6, 6, 15), n(13)},
            {n(1002), at(1999, 3, 7), QVariant(), text("x, y")},
        };
        QCOMPARE(rowsDifference(reader.readSheet(0), expected), QString());
    }

    void madeByOpenpyxl() {
        const QString script =
            QStringLiteral("import sys, datetime, openpyxl\n"
                           "wb = openpyxl.Workbook()\n"
                           "ws = wb.active\n"
                           "ws.title = 'rsite'\n"
                           "ws.append(['site_id', 'site_name'])\n"
                           "ws.append([1, 'Green River'])\n"
                           "ws = wb.create_sheet('rday')\n"
                           "ws.append(['datatype_site_id', 'date_time', 'value'])\n"
                           "ws.append([1001, datetime.datetime(1999, 3, 5, 6, 15), 12.5])\n"
                           "ws.append([1001, datetime.date(1999, 3, 6), None])\n"
                           "wb.save(sys.argv[1])\n");
        const QString path = file(QStringLiteral("openpyxl.xlsx"));
        QProcess p;
        p.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            QSKIP("python3-openpyxl is not installed");
        const XlsxReader reader(path);
        QCOMPARE(reader.sheetNames(), QStringList({"rsite", "rday"}));
        QCOMPARE(rowsDifference(reader.readSheet(QStringLiteral("rday")),
                                {{text("datatype_site_id"), text("date_time"), text("value")},
                                 {n(1001), at(1999, 3, 5, 6, 15), n(12.5)},
                                 {n(1001), at(1999, 3, 6)}}),
                 QString());
        QCOMPARE(
            rowsDifference(reader.readSheet(QStringLiteral("rsite")),
                           {{text("site_id"), text("site_name")}, {n(1), text("Green River")}}),
            QString());
    }
};

QTEST_GUILESS_MAIN(TestXlsxReader)
#include "tst_XlsxReader.moc"
