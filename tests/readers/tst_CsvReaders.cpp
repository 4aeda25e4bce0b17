// USBR CSV and generic CSV over hand-written files.
#include "ReaderTests.h"
#include "formats/readers/CsvReader.h"
#include "formats/readers/UsbrCsvReader.h"

#include <QtTest>

using namespace rp::readers;
using rp::test::at;

class tst_CsvReaders : public QObject {
    Q_OBJECT
private slots:
    void usbrDaily();
    void usbrMonthly();
    void dayMonthYear_data();
    void dayMonthYear();
    void generic_data();
    void generic();
    void optionsOverride();
    void utcOffsetText_data();
    void utcOffsetText();
};

void tst_CsvReaders::usbrDaily() {
    const QByteArray text = "Date,Elevation (feet),Storage (af),Inflow** (cfs),\n"
                            "30-Dec-99, ,100,5, \n"
                            "31-Dec-99,3600.5, ,6, \n"
                            "1-Jan-00,3600.25,102,7, \n"
                            ",,,,\n"
                            "**,Inflow is computed,,,\n"
                            "^,Modified,,,\n";
    const ReadResult r = readUsbrCsv(text);
    QCOMPARE(r.series.size(), 3);
    const Series& elevation = r.series[0];
    QCOMPARE(elevation.parameter, QStringLiteral("Elevation"));
    QCOMPARE(elevation.unit, QStringLiteral("feet"));
    QCOMPARE(elevation.step, (TimeStep{StepKind::Day, 0}));
    QCOMPARE(elevation.values.size(), 2);
    QCOMPARE(elevation.values[0].time, at("1999-12-31T00:00"));
    QCOMPARE(elevation.values[1].time, at("2000-01-01T00:00"));
    QCOMPARE(r.series[1].values.size(), 2);
    QCOMPARE(rp::test::sumOf(r.series[1]), 202.0);
    QCOMPARE(r.series[2].parameter, QStringLiteral("Inflow"));
    QCOMPARE(rp::test::sumOf(r.series[2]), 18.0);
    QCOMPARE(r.warnings.size(), 1);
    QCOMPARE(r.warnings[0].kind, WarningKind::NonDataLine);
    QCOMPARE(r.warnings[0].line, 5);
}

void tst_CsvReaders::usbrMonthly() {
    const ReadResult r = readUsbrCsv("Date,Evaporation (af),\n1-Oct-62,0, \n1-Nov-62,10, \n");
    QCOMPARE(r.series[0].step, (TimeStep{StepKind::Month, 0}));
    QCOMPARE(r.series[0].values[0].time, at("1962-10-01T00:00"));
}

void tst_CsvReaders::dayMonthYear_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("62") << QByteArray("1-Oct-62") << QDate(1962, 10, 1);
    QTest::newRow("49") << QByteArray("15-jun-49") << QDate(2049, 6, 15);
    QTest::newRow("four digits") << QByteArray("29-Feb-2000") << QDate(2000, 2, 29);
    QTest::newRow("no such day") << QByteArray("29-Feb-01") << QDate();
    QTest::newRow("footnote") << QByteArray("**") << QDate();
    QTest::newRow("sign") << QByteArray("1-Oct--2") << QDate();
}

void tst_CsvReaders::dayMonthYear() {
    QFETCH(QByteArray, text);
    QFETCH(QDate, date);
    QCOMPARE(parseDayMonYear(text).value_or(QDate()), date);
}

void tst_CsvReaders::generic_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("sum");
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<QDateTime>("last");
    QTest::addColumn<QString>("qualifier");
    QTest::addColumn<int>("warnings");
    // Semicolons, day before month (13 > 12), 24:00, NA missing, a bad number.
    QTest::newRow("semicolon d/m/y")
        << QByteArray("Datum;Abfluss [m3/s]\n12/01/2020 23:00;1,5\n12/01/2020 24:00;2\n"
                      "13/01/2020 01:00;NA\n13/01/2020 02:00;abc\n13/01/2020 03:00;4\n")
        << 0 << 3 << 7.5 << at("2020-01-12T23:00") << at("2020-01-13T03:00") << QString()
        << 1; // "abc" does not read
    // No header; M/D/Y; the second column is a series too.
    QTest::newRow("no header") << QByteArray("1/2/2020,1,10\n1/3/2020,2,20\n1/4/2020,3,30\n") << 1
                               << 3 << 60.0 << at("2020-01-02T00:00") << at("2020-01-04T00:00")
                               << QString() << 0;
    // Offsets across the spring change: daylight times move back to standard.
    QTest::newRow("offsets") << QByteArray("when,value,flag\n2020-03-08T01:00:00-05:00,1,V\n"
                                           "2020-03-08T03:00:00-04:00,2,V\n"
                                           "2020-03-08T04:00:00-04:00,3,E\n")
                             << 0 << 3 << 6.0 << at("2020-03-08T01:00") << at("2020-03-08T03:00")
                             << u"V"_qs << 0;
    QTest::newRow("tabs and quotes")
        << QByteArray("\"date\"\t\"q (cfs)\"\n\"2020-01-01\"\t\"5\"\n"
                      "\"2020-01-02\"\t\"\"\n")
        << 0 << 1 << 5.0 << at("2020-01-01T00:00") << at("2020-01-01T00:00") << QString() << 0;
}

void tst_CsvReaders::generic() {
    QFETCH(QByteArray, text);
    QFETCH(int, series);
    QFETCH(int, count);
    QFETCH(double, sum);
    QFETCH(QDateTime, first);
    QFETCH(QDateTime, last);
    QFETCH(QString, qualifier);
    QFETCH(int, warnings);
    const ReadResult r = readCsv(text);
    QVERIFY(r.series.size() > series);
    const Series& s = r.series[series];
    QCOMPARE(s.values.size(), count);
    QCOMPARE(rp::test::sumOf(s), sum);
    QCOMPARE(s.values.first().time, first);
    QCOMPARE(s.values.last().time, last);
    QCOMPARE(s.values.first().qualifier, qualifier);
    QCOMPARE(r.warnings.size(), warnings);
}

void tst_CsvReaders::optionsOverride() {
    const QByteArray text = "a|b|c\nx|20.01.2020 06:00|5\nx|20.01.2020 07:00|6\n";
    ReadOptions options;
    options.delimiter = u'|';
    options.dateFormat = u"dd.MM.yyyy HH:mm"_qs;
    options.dateColumn = 1;
    options.zonelessOffsetMinutes = 0;    // written in UTC
    options.standardOffsetMinutes = -300; // the site keeps EST
    const ReadResult r = readCsv(text, options);
    QCOMPARE(r.series.size(), 1);
    QCOMPARE(r.series[0].parameter, QStringLiteral("c"));
    QCOMPARE(r.series[0].values[0].time, at("2020-01-20T01:00"));
    QCOMPARE(r.series[0].step, (TimeStep{StepKind::Hour, 0}));
}

void tst_CsvReaders::utcOffsetText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes"); // INT_MIN: refused
    QTest::newRow("zero") << u"0"_qs << 0;
    QTest::newRow("UTC") << u" utc "_qs << 0;
    QTest::newRow("Z") << u"Z"_qs << 0;
    QTest::newRow("hours") << u"-5"_qs << -300;
    QTest::newRow("UTC-5") << u"UTC-5"_qs << -300;
    QTest::newRow("colon") << u"+05:30"_qs << 330;
    QTest::newRow("four digits") << u"-0930"_qs << -570;
    QTest::newRow("fourteen") << u"+14:00"_qs << 840;
    QTest::newRow("past fourteen") << u"-14:30"_qs << INT_MIN;
    QTest::newRow("minutes 60") << u"5:60"_qs << INT_MIN;
    QTest::newRow("one minute digit") << u"5:3"_qs << INT_MIN;
    QTest::newRow("two signs") << u"--5"_qs << INT_MIN;
    QTest::newRow("zone code") << u"est"_qs << -300;
    QTest::newRow("daylight code") << u"PDT"_qs << -420;
    QTest::newRow("word") << u"Mars"_qs << INT_MIN;
    QTest::newRow("empty") << u" "_qs << INT_MIN;
}

void tst_CsvReaders::utcOffsetText() {
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QCOMPARE(utcOffsetMinutes(text).value_or(INT_MIN), minutes);
}

QTEST_GUILESS_MAIN(tst_CsvReaders)
#include "tst_CsvReaders.moc"
