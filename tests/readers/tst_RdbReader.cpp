// USGS RDB over hand-written files of each layout and its quirks.
#include "ReaderTests.h"
#include "formats/readers/RdbReader.h"

#include <QtTest>

using namespace rp::readers;
using rp::test::at;

class tst_RdbReader : public QObject {
    Q_OBJECT
private slots:
    void oldLayoutEndingInHtml();
    void dailyBlocksOfTwoSites();
    void instantaneousAcrossDaylightChange_data();
    void instantaneousAcrossDaylightChange();
    void disorderAndDuplicates();
    void unknownZone();
};

void tst_RdbReader::oldLayoutEndingInHtml() {
    const QByteArray text = "# old daily layout\n"
                            "agency_cd\tsite_no\tdv_dt\tdv_va\tdv_cd\n"
                            "5s\t15s\t10d\t12n\t3s\n"
                            "USGS\t01234567\t2001-01-01\t10\t\n"
                            "USGS\t01234567\t2001-01-02\t\t\n"
                            "USGS\t01234567\t2001-01-03\t12.5\te\n"
                            "<html><body>error '800a01a8'</body></html>\n"
                            "\n";
    const ReadResult r = readRdb(text);
    QCOMPARE(r.series.size(), 1);
    const Series& s = r.series[0];
    QCOMPARE(s.siteId, QStringLiteral("01234567"));
    QCOMPARE(s.parameter, QStringLiteral("00060"));
    QCOMPARE(s.unit, QStringLiteral("cfs"));
    QCOMPARE(s.step, (TimeStep{StepKind::Day, 0}));
    QCOMPARE(s.values.size(), 2); // the empty value is absent
    QCOMPARE(s.values[1].time, at("2001-01-03T00:00"));
    QCOMPARE(s.values[1].value, 12.5);
    QCOMPARE(s.values[0].qualifier, QString());
    QCOMPARE(s.values[1].qualifier, QStringLiteral("e"));
    QCOMPARE(r.warnings.size(), 1);
    QCOMPARE(r.warnings[0].kind, WarningKind::NonDataLine);
    QCOMPARE(r.warnings[0].line, 7);
    QVERIFY(r.warnings[0].message.contains(u"<html>"));
}

void tst_RdbReader::dailyBlocksOfTwoSites() {
    const QByteArray text =
        "# Data for the following 2 site(s) are contained in this file\n"
        "#    USGS 0900001 FIRST RIVER NEAR TOWN, CO\n"
        "#    USGS 0900002 SECOND CREEK AT CITY, CO\n"
        "#    TS_ID       Parameter    Statistic  IV_TS_ID       Description\n"
        "#    111         00060        00003      9              Discharge, cubic feet per second "
        "(Mean)\n"
        "agency_cd\tsite_no\tdatetime\t111_00060_00003\t111_00060_00003_cd\n"
        "5s\t15s\t20d\t14n\t10s\n"
        "USGS\t0900001\t2010-01-01\t100\tA:e\n"
        "USGS\t0900001\t2010-01-02\t\tIce\n"
        "USGS\t0900001\t2010-01-03\t120\tA\n"
        "#\n"
        "# Data provided for site 0900002\n"
        "#    TS_ID       Parameter    Statistic  IV_TS_ID       Description\n"
        "#    222         00010        00001      9              Temperature, water, degrees "
        "Celsius (Maximum)\n"
        "#    223         00010        00002      9              Temperature, water, degrees "
        "Celsius (Minimum)\n"
        "agency_cd\tsite_no\tdatetime\t222_00010_00001\t222_00010_00001_cd\t223_00010_00002\t"
        "223_00010_00002_cd\n"
        "5s\t15s\t20d\t14n\t10s\t14n\t10s\n"
        "USGS\t0900002\t2010-01-01\t4.5\tP\t1.5\tP\n"
        "USGS\t0900002\t2010-01-02\t5.0\tP\t\t\n";
    const ReadResult r = readRdb(text);
    QCOMPARE(r.series.size(), 3);
    const Series* q = rp::test::findSeries(r, u"0900001"_qs, u"00060"_qs, u"Mean"_qs);
    QVERIFY(q);
    QCOMPARE(q->siteName, QStringLiteral("FIRST RIVER NEAR TOWN, CO"));
    QCOMPARE(q->parameterName, QStringLiteral("Discharge, cubic feet per second"));
    QCOMPARE(q->values.size(), 2);
    QCOMPARE(rp::test::sumOf(*q), 220.0);
    QCOMPARE(q->values[0].qualifier, QStringLiteral("A:e"));
    const Series* max = rp::test::findSeries(r, u"0900002"_qs, u"00010"_qs, u"Maximum"_qs);
    const Series* min = rp::test::findSeries(r, u"0900002"_qs, u"00010"_qs, u"Minimum"_qs);
    QVERIFY(max && min);
    QCOMPARE(max->siteName, QStringLiteral("SECOND CREEK AT CITY, CO"));
    QCOMPARE(max->unit, QStringLiteral("deg C"));
    QCOMPARE(max->values.size(), 2);
    QCOMPARE(rp::test::sumOf(*max), 9.5);
    QCOMPARE(min->values.size(), 1);
    QVERIFY(r.warnings.isEmpty());
}

void tst_RdbReader::instantaneousAcrossDaylightChange_data() {
    QTest::addColumn<QByteArray>("zones");
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<int>("standard");
    // The autumn change: 01:00-01:59 comes twice, first in EDT then in EST.
    QTest::newRow("eastern") << QByteArray("EDT EDT EDT EST EST") << at("2020-10-31T23:30") << -300;
    QTest::newRow("mountain standard")
        << QByteArray("MST MST MST MST MST") << at("2020-11-01T00:30") << -420;
}

void tst_RdbReader::instantaneousAcrossDaylightChange() {
    QFETCH(QByteArray, zones);
    QFETCH(QDateTime, first);
    QFETCH(int, standard);
    const QList<QByteArray> z = zones.split(' ');
    const char* times[] = {"00:30", "01:00", "01:15", "01:30", "01:45"};
    QByteArray text = "agency_cd\tsite_no\tdatetime\ttz_cd\t01_00060\t01_00060_cd\n"
                      "5s\t15s\t20d\t6s\t14n\t10s\n";
    for (int i = 0; i < 5; ++i)
        text += "USGS\t0950\t2020-11-01 " + QByteArray(times[i]) + '\t' + z[i] + '\t' +
                QByteArray::number(i + 1) + "\tP\n";
    const ReadResult r = readRdb(text);
    QCOMPARE(r.series.size(), 1);
    const Series& s = r.series[0];
    QCOMPARE(s.values.size(), 5);
    QCOMPARE(s.values.first().time, first);
    QCOMPARE(s.standardOffsetMinutes, std::optional<int>(standard));
    QCOMPARE(s.step.kind, StepKind::Unit);
    QVERIFY(r.warnings.isEmpty());
}

void tst_RdbReader::disorderAndDuplicates() {
    const QByteArray text = "agency_cd\tsite_no\tdatetime\t1_00065_00003\t1_00065_00003_cd\n"
                            "5s\t15s\t20d\t14n\t10s\n"
                            "USGS\t1\t2010-01-03\t3\tA\n"
                            "USGS\t1\t2010-01-01\t1\tA\n"
                            "USGS\t1\t2010-01-02\t2\tA\n"
                            "USGS\t1\t2010-01-02\t9\tA\n"
                            "USGS\t1\t2010-01-0x\t9\tA\n";
    const ReadResult r = readRdb(text);
    const Series& s = r.series[0];
    QCOMPARE(s.values.size(), 3);
    QCOMPARE(s.values[1].value, 2.0); // the first of the duplicates
    QCOMPARE(s.values[0].time, at("2010-01-01T00:00"));
    QCOMPARE(rp::test::countOf(r, WarningKind::OutOfOrder), 1);
    QCOMPARE(rp::test::countOf(r, WarningKind::DuplicateTime), 1);
    QCOMPARE(rp::test::countOf(r, WarningKind::BadDate), 1);
    for (const ReadWarning& w : r.warnings)
        QCOMPARE(w.line, w.kind == WarningKind::OutOfOrder ? 4
                         : w.kind == WarningKind::BadDate  ? 7
                                                           : 6);
}

void tst_RdbReader::unknownZone() {
    const QByteArray text = "agency_cd\tsite_no\tdatetime\ttz_cd\t01_00060\t01_00060_cd\n"
                            "USGS\t1\t2020-01-01 00:00\tXYZ\t1\tP\n"
                            "USGS\t1\t2020-01-01 00:15\tXYZ\t2\tP\n";
    const ReadResult r = readRdb(text);
    QCOMPARE(r.series[0].values.size(), 2);
    QCOMPARE(r.series[0].values[0].time, at("2020-01-01T00:00"));
    QCOMPARE(rp::test::countOf(r, WarningKind::UnknownZone), 1); // once, not per row
}

QTEST_GUILESS_MAIN(tst_RdbReader)
#include "tst_RdbReader.moc"
