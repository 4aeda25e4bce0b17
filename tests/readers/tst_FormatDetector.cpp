// The format of a file from its content, the extension only breaking ties.
#include "formats/readers/FormatDetector.h"

#include <QtTest>

using namespace rp::readers;

class tst_FormatDetector : public QObject {
    Q_OBJECT
private slots:
    void detect_data();
    void detect();
    void refusesUnknown();
};

void tst_FormatDetector::detect_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format");
    QTest::newRow("rdb behind comments")
        << QByteArray("# USGS\n#\nagency_cd\tsite_no\tdv_dt\n") << u"x.txt"_qs << int(Format::Rdb);
    QTest::newRow("waterml") << QByteArray("<?xml version=\"1.0\"?>\n<ns1:timeSeriesResponse "
                                           "xmlns:ns1=\"http://www.cuahsi.org/waterML/1.1/\">")
                             << u"a.csv"_qs << int(Format::WaterMl);
    QTest::newRow("datevalue by comment")
        << QByteArray("# DateValueTS 1.4 file\n") << QString() << int(Format::DateValue);
    QTest::newRow("datevalue by keys")
        << QByteArray("NumTS = 1\nTSID = \"a\"\nDate \"a\"\n2000-01-01 1\n") << QString()
        << int(Format::DateValue);
    QTest::newRow("usbr") << QByteArray("Date,Elevation (feet),\n11-Mar-63, ,\n") << u"x.csv"_qs
                          << int(Format::UsbrCsv);
    QTest::newRow("csv with Date column")
        << QByteArray("Date,Flow\n2020-01-01,5\n") << QString() << int(Format::Csv);
    QTest::newRow("csv") << QByteArray("date,value\n1988-12-01 06:00:00,0\n") << u"p.dv"_qs
                         << int(Format::DateValue); // text of no known layout: the extension
    QTest::newRow("sqlite") << QByteArray("SQLite format 3\0abc", 19) << QString()
                            << int(Format::Hydat);
    QTest::newRow("empty") << QByteArray() << QString() << int(Format::Unknown);
    QTest::newRow("empty rdb name") << QByteArray("\n\n") << u"a.RDB"_qs << int(Format::Rdb);
}

void tst_FormatDetector::detect() {
    QFETCH(QByteArray, head);
    QFETCH(QString, fileName);
    QFETCH(int, format);
    QCOMPARE(int(detectFormat(head, fileName)), format);
}

void tst_FormatDetector::refusesUnknown() {
    QVERIFY_THROWS_EXCEPTION(ReadError, readAny(QByteArray("\n\n")));
    QVERIFY_THROWS_EXCEPTION(ReadError, readAny(QByteArray("SQLite format 3\0", 16)));
}

QTEST_GUILESS_MAIN(tst_FormatDetector)
#include "tst_FormatDetector.moc"
