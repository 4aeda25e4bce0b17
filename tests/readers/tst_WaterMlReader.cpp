// WaterML 1.1 over hand-written documents: offsets across a daylight change, noDataValue,
// several series, malformed XML.
#include "ReaderTests.h"
#include "formats/readers/WaterMlReader.h"

#include <QtTest>

using namespace rp::readers;
using rp::test::at;

class tst_WaterMlReader : public QObject {
    Q_OBJECT
private slots:
    void twoSeriesAcrossDaylightChange();
    void dailyWithoutOffsets();
    void malformedIsRefusedWithItsLine();
};

namespace {

QByteArray series(const char* code, const char* values) {
    return QByteArray("<ns1:timeSeries name=\"USGS:1:") + code +
           "\"><ns1:sourceInfo><ns1:siteName>Spring Ck</ns1:siteName>"
           "<ns1:siteCode network=\"NWIS\">08068500</ns1:siteCode>"
           "<ns1:timeZoneInfo><ns1:defaultTimeZone zoneOffset=\"-06:00\" zoneAbbreviation=\"CST\"/>"
           "</ns1:timeZoneInfo></ns1:sourceInfo>"
           "<ns1:variable><ns1:variableCode>" +
           code +
           "</ns1:variableCode><ns1:variableName>Streamflow, ft&amp;#179;/s</ns1:variableName>"
           "<ns1:unit><ns1:unitCode>cfs</ns1:unitCode></ns1:unit>"
           "<ns1:options><ns1:option name=\"Statistic\" optionCode=\"00011\"/></ns1:options>"
           "<ns1:noDataValue>-999999.0</ns1:noDataValue></ns1:variable>\n<ns1:values>\n" +
           values + "</ns1:values></ns1:timeSeries>\n";
}

QByteArray document(const QByteArray& body) {
    return "<?xml version=\"1.0\"?>\n<ns1:timeSeriesResponse "
           "xmlns:ns1=\"http://www.cuahsi.org/waterML/1.1/\">\n" +
           body + "</ns1:timeSeriesResponse>\n";
}

} // namespace

void tst_WaterMlReader::twoSeriesAcrossDaylightChange() {
    const QByteArray text = document(
        series("00060", "<ns1:value qualifiers=\"P\" "
                        "dateTime=\"2011-11-06T01:30:00.000-05:00\">10</ns1:value>\n"
                        "<ns1:value qualifiers=\"P\" "
                        "dateTime=\"2011-11-06T01:45:00.000-05:00\">11</ns1:value>\n"
                        "<ns1:value qualifiers=\"A\" "
                        "dateTime=\"2011-11-06T01:00:00.000-06:00\">12</ns1:value>\n"
                        "<ns1:value qualifiers=\"A\" "
                        "dateTime=\"2011-11-06T01:15:00.000-06:00\">-999999.0</ns1:value>\n"
                        "<ns1:value qualifiers=\"A\" "
                        "dateTime=\"2011-11-06T01:30:00.000-06:00\">14</ns1:value>\n") +
        series("00065", "<ns1:value dateTime=\"2011-11-06T00:00:00.000-05:00\">1.5</ns1:value>\n"));
    const ReadResult r = readWaterMl(text);
    QCOMPARE(r.series.size(), 2);
    const Series& q = r.series[0];
    QCOMPARE(q.siteId, QStringLiteral("08068500"));
    QCOMPARE(q.siteName, QStringLiteral("Spring Ck"));
    QCOMPARE(q.parameter, QStringLiteral("00060"));
    QCOMPARE(q.parameterName, QStringLiteral("Streamflow, ft³/s"));
    QCOMPARE(q.unit, QStringLiteral("cfs"));
    QCOMPARE(q.statistic, QStringLiteral("Instantaneous"));
    QCOMPARE(q.standardOffsetMinutes, std::optional<int>(-360));
    QCOMPARE(q.values.size(), 4); // the noDataValue is absent
    QCOMPARE(q.values[0].time, at("2011-11-06T00:30"));
    QCOMPARE(q.values[2].time, at("2011-11-06T01:00"));
    QCOMPARE(q.values[3].time, at("2011-11-06T01:30"));
    QCOMPARE(q.values[0].qualifier, QStringLiteral("P"));
    QCOMPARE(q.values[3].qualifier, QStringLiteral("A"));
    QCOMPARE(q.step, (TimeStep{StepKind::Unit, 15}));
    QCOMPARE(r.series[1].values[0].time, at("2011-11-05T23:00"));
    QVERIFY(r.warnings.isEmpty());
}

void tst_WaterMlReader::dailyWithoutOffsets() {
    const ReadResult r = readWaterMl(
        document(series("00060", "<ns1:value dateTime=\"2011-11-05T00:00:00.000\">1</ns1:value>\n"
                                 "<ns1:value dateTime=\"2011-11-06T00:00:00.000\">2</ns1:value>\n"
                                 "<ns1:value dateTime=\"2011-11-07\">x</ns1:value>\n")));
    QCOMPARE(r.series[0].values.size(), 2);
    QCOMPARE(r.series[0].values[0].time, at("2011-11-05T00:00")); // no zone: as written
    QCOMPARE(r.series[0].step, (TimeStep{StepKind::Day, 0}));
    QCOMPARE(r.warnings.size(), 1);
    QCOMPARE(r.warnings[0].kind, WarningKind::BadValue);
    QCOMPARE(r.warnings[0].line, 7);
}

void tst_WaterMlReader::malformedIsRefusedWithItsLine() {
    try {
        readWaterMl("<ns1:timeSeriesResponse "
                    "xmlns:ns1=\"x\">\n<ns1:timeSeries>\n<ns1:value>1</ns1:valu>\n");
        QFAIL("read");
    } catch (const ReadError& e) {
        QCOMPARE(e.line(), 3);
        QVERIFY(e.message().startsWith(u"WaterML line 3"));
    }
}

QTEST_GUILESS_MAIN(tst_WaterMlReader)
#include "tst_WaterMlReader.moc"
