// DateValue text over hand-written files: several series, flags, MissingVal, 24:00, zones.
#include "ReaderTests.h"
#include "formats/readers/DateValueReader.h"

#include <QtTest>

using namespace rp::readers;
using rp::test::at;

class tst_DateValueReader : public QObject {
    Q_OBJECT
private slots:
    void hourlyPairWithFlags();
    void steps_data();
    void steps();
    void refusesTooManySeries();
};

void tst_DateValueReader::hourlyPairWithFlags() {
    const QByteArray text = "# DateValueTS 1.5 file\n"
                            "Delimiter   = \" \"\n"
                            "NumTS       = 2\n"
                            "TSID        = \"AAA.DWR.DISCHRG.Hour\" \"BBB.DWR.GAGE_HT.Hour\"\n"
                            "Description = \"RIVER AT A\" \"BBB\"\n"
                            "DataType    = \"DISCHRG\" \"GAGE_HT\"\n"
                            "Units       = \"CFS\" \"FT\"\n"
                            "MissingVal  = -999 NaN\n"
                            "DataFlags   = true false\n"
                            "Date Time \"AAA, CFS\" DataFlag \"BBB, FT\"\n"
                            "2020-01-01 23 1.5 \"e\" 2.0\n"
                            "2020-01-01 24 2.5 \"\" NaN\n"
                            "2020-01-02 01 -999.0000 \"m\" 3.0\n"
                            "2020-01-02 02 x \"\" 4.0\n"
                            "# history at the end\n";
    const ReadResult r = readDateValue(text);
    QCOMPARE(r.series.size(), 2);
    const Series& a = r.series[0];
    QCOMPARE(a.siteId, QStringLiteral("AAA"));
    QCOMPARE(a.siteName, QStringLiteral("RIVER AT A"));
    QCOMPARE(a.parameter, QStringLiteral("DISCHRG"));
    QCOMPARE(a.unit, QStringLiteral("CFS"));
    QCOMPARE(a.step, (TimeStep{StepKind::Hour, 0}));
    QCOMPARE(a.values.size(), 2);
    QCOMPARE(a.values[0].qualifier, QStringLiteral("e"));
    QCOMPARE(a.values[1].time, at("2020-01-02T00:00")); // 24 is midnight of the next day
    QCOMPARE(a.values[1].value, 2.5);
    const Series& b = r.series[1];
    QCOMPARE(b.siteName, QString()); // the description only repeats the id
    QCOMPARE(b.values.size(), 3);
    QCOMPARE(rp::test::sumOf(b), 9.0);
    QCOMPARE(b.values[1].time, at("2020-01-02T01:00"));
    QCOMPARE(r.warnings.size(), 1);
    QCOMPARE(r.warnings[0].kind, WarningKind::BadValue);
    QCOMPARE(r.warnings[0].line, 14);
}

void tst_DateValueReader::steps_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<int>("count");
    QTest::newRow("month") << QByteArray("TSID = \"09132500...MONTH\"\nUnits = \"af\"\n"
                                         "MissingVal = -999.0000\nDate \"x\"\n"
                                         "1908-01 -999.0000\n1908-02 12\n1908-03 13\n")
                           << int(StepKind::Month) << 0 << at("1908-02-01T00:00") << 2;
    // Daylight time in the Start line: every row is moved to standard time.
    QTest::newRow("15 minutes in MDT")
        << QByteArray("NumTS = 1\nTSID = \"X.USGS.QIN.15MINUTE\"\nMissingVal = -999\n"
                      "DataFlags = true\nStart = 2020-06-01 00:00 MDT\n"
                      "Date Time \"X\" DataFlag\n2020-06-01 00:00 5 \"??\"\n"
                      "2020-06-01 00:15 6 \"??\"\n")
        << int(StepKind::Unit) << 15 << at("2020-05-31T23:00") << 2;
    QTest::newRow("day with comma delimiter")
        << QByteArray("Delimiter = \",\"\nNumTS = 1\nTSID = \"Y.S.T.Day\"\nMissingVal = NaN\n"
                      "Date,\"Y\"\n2000-02-28,1\n2000-02-29,NaN\n2000-03-01,3\n")
        << int(StepKind::Day) << 0 << at("2000-02-28T00:00") << 2;
}

void tst_DateValueReader::steps() {
    QFETCH(QByteArray, text);
    QFETCH(int, kind);
    QFETCH(int, minutes);
    QFETCH(QDateTime, first);
    QFETCH(int, count);
    const ReadResult r = readDateValue(text);
    QCOMPARE(r.series.size(), 1);
    QCOMPARE(int(r.series[0].step.kind), kind);
    QCOMPARE(r.series[0].step.minutes, minutes);
    QCOMPARE(r.series[0].values.size(), count);
    QCOMPARE(r.series[0].values[0].time, first);
    QVERIFY(r.warnings.isEmpty());
}

void tst_DateValueReader::refusesTooManySeries() {
    try {
        readDateValue("NumTS = 1000000\nTSID = \"a\"\n");
        QFAIL("read");
    } catch (const ReadError& e) {
        QCOMPARE(e.line(), 1);
        QVERIFY(e.message().contains(u"series"));
    }
}

QTEST_GUILESS_MAIN(tst_DateValueReader)
#include "tst_DateValueReader.moc"
