// Every reader over the real files: counts, sums, first and last values computed independently
// (a few lines of Python over the same files, checked by hand against the files).
#include "ReaderTests.h"
#include "TestSupport.h"
#include "formats/readers/FormatDetector.h"
#include "formats/readers/HydatReader.h"

#include <QtTest>

using namespace rp::readers;
using rp::test::at;

class tst_RealFiles : public QObject {
    Q_OBJECT
private slots:
    void series_data();
    void series();
    void detected_data();
    void detected();
};

void tst_RealFiles::series_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("statistic");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("sum");
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<double>("firstValue");
    QTest::addColumn<QDateTime>("last");
    QTest::addColumn<double>("lastValue");
    QTest::addColumn<int>("stepKind");
    QTest::addColumn<int>("stepMinutes");

    const auto row = [](const char* name, const char* file, const char* site, const char* par,
                        const char* stat, int count, double sum, const char* first, double fv,
                        const char* last, double lv, StepKind kind, int minutes = 0) {
        QTest::newRow(name) << QString::fromLatin1(file) << QString::fromLatin1(site)
                            << QString::fromLatin1(par) << QString::fromLatin1(stat) << count << sum
                            << at(first) << fv << at(last) << lv << int(kind) << minutes;
    };
    // RDB: old layout ending in HTML, daily statistics, two site blocks, 15-minute in MST.
    row("old rdb", "usgs_03451500_dv_00060_1895-2000_oldrdb.txt", "03451500", "00060", "Mean",
        38351, 80321510, "1895-10-01T00:00", 740, "2000-09-30T00:00", 550, StepKind::Day);
    row("rdb daily mean", "usgs_03451500_dv_multi_2000-2010.rdb", "03451500", "00060", "Mean", 4018,
        7333889, "2000-01-01T00:00", 1040, "2010-12-31T00:00", 1040, StepKind::Day);
    row("rdb daily sum", "usgs_03451500_dv_multi_2000-2010.rdb", "03451500", "00045", "Sum", 3986,
        361.9, "2000-01-01T00:00", 0, "2010-12-28T00:00", 0, StepKind::Day);
    row("rdb first site", "usgs_09070500_09071750_dv_2000-2010.rdb", "09070500", "00060", "Mean",
        4018, 6937344, "2000-01-01T00:00", 820, "2010-12-31T00:00", 719, StepKind::Day);
    row("rdb second site", "usgs_09070500_09071750_dv_2000-2010.rdb", "09071750", "00095", "Mean",
        3572, 2178874, "2000-01-02T00:00", 740, "2010-12-31T00:00", 858, StepKind::Day);
    row("rdb 15 minutes", "usgs_09512500_iv15_00060_2016-05.rdb", "09512500", "00060", "", 714,
        552.96, "2016-05-09T00:00", 1, "2016-05-16T10:30", 0.82, StepKind::Unit, 15);
    // DateValue: four series with and without flags, MissingVal, Month, 15Minute in MST, Hour.
    row("dv kersey", "southplatte_4gages_day_1901-2013.dv", "06754000", "Streamflow", "", 39906,
        35639998, "1901-05-01T00:00", 1540, "2012-09-30T00:00", 486, StepKind::Day);
    row("dv fort morgan", "southplatte_4gages_day_1901-2013.dv", "06759500", "Streamflow", "", 9827,
        4625632, "1943-10-01T00:00", 66, "2013-11-16T00:00", 395, StepKind::Day);
    row("dv balzac no flags", "southplatte_4gages_day_1901-2013.dv", "06760000", "Streamflow", "",
        25840, 12726917.2, "1917-01-01T00:00", 40, "1987-09-30T00:00", 58, StepKind::Day);
    row("dv missing -999", "usgs_06752260_day_1975-2015_modified.dv", "06752260", "Streamflow", "",
        14541, 2351192.21, "1975-04-08T00:00", 6, "2015-02-13T00:00", 113, StepKind::Day);
    row("dv month", "usgs_09132500_month_af_1908-2000.dv", "09132500", "09132500...MONTH", "", 804,
        23349944, "1933-10-01T00:00", 6236, "2000-09-01T00:00", 6500, StepKind::Month);
    row("dv 15 minutes", "usgs_01350101_15min_2011-11_raw.dv", "01350101", "QIN", "", 2855, 2124073,
        "2011-11-06T14:52", 614, "2011-12-06T14:37", 614, StepKind::Unit, 15);
    row("dv hour", "cdwr_CLAFTCCO_hour_q_gh_2011-06.dv", "CLAFTCCO", "GAGE_HT", "", 335, 1910.68,
        "2011-06-07T17:00", 5.86, "2011-06-21T15:00", 5.7, StepKind::Hour);
    row("dv precipitation", "coop_054452_precip_day_2000-2010.dv", "COOP:054452", "4", "", 3965,
        192.97, "2000-01-01T00:00", 0, "2010-12-01T00:00", 0, StepKind::Day);
    // WaterML: CDT timestamps move to CST (-06:00), an hour earlier.
    row("waterml hourly", "usgs_07335390_iv_00062_reservoir_elev_2012-2013_waterml.xml", "07335390",
        "00062", "Instantaneous", 2899, 1296577.16, "2012-10-24T23:00", 448.08, "2013-02-22T17:00",
        446.96, StepKind::Unit, 60);
    row("waterml 15 minutes", "usgs_08068500_iv_multi_2011-11_waterml.xml", "08068500", "00060",
        "Instantaneous", 1253, 93369, "2011-11-04T23:00", 20, "2011-11-18T00:00", 69,
        StepKind::Unit, 15);
    // USBR: blanks missing, two-digit years, footnotes.
    row("usbr daily storage", "usbr_lake_powell_daily_1963-2021.csv", "", "Storage", "", 21327,
        324087634368.0, "1963-06-28T00:00", 0, "2021-11-16T00:00", 7109863, StepKind::Day);
    row("usbr monthly", "usbr_lake_powell_monthly_1962-2021.csv", "", "Total Release", "", 702,
        9216058, "1963-04-01T00:00", 1017, "2021-09-01T00:00", 10454, StepKind::Month);
    row("usbr flaming gorge", "usbr_flaming_gorge_daily_to-2021.csv", "", "Elevation", "", 19315,
        116302467.87, "1968-12-01T00:00", 5989.01, "2021-10-18T00:00", 6018.37, StepKind::Day);
    // Generic CSV: offsets, plain hourly text, irregular times with a flag column (MDT → MST).
    row("csv 15 minutes", "usgs_11532500_iv15_q_gh_2016.csv", "", "discharge", "", 8716, 19972116,
        "2016-04-01T00:00", 3420, "2016-11-01T07:45", 11600, StepKind::Unit, 15);
    row("csv hourly", "noaa_coop366889_philadelphia_precip_hour_1988-1998.csv", "", "value", "",
        79633, 35529, "1988-12-01T06:00", 0, "1998-01-01T06:00", 0, StepKind::Hour);
    row("csv irregular", "larimer_11033_precip_irregular_2018-2022.csv", "", "value", "", 7581,
        38.4, "2018-10-01T10:55:05", 0, "2022-09-29T22:00:17", 0, StepKind::Unit, 0);
    // HYDAT: month rows of daily values.
    row("hydat flows", "hydat_tinyhydat.sqlite3", "05AA008", "FLOW", "Mean", 27809, 142300.30601,
        "1910-07-29T00:00", 3.79, "2020-12-31T00:00", 1.38, StepKind::Day);
    row("hydat levels", "hydat_tinyhydat.sqlite3", "08NE102", "LEVEL", "Mean", 18996,
        8211117.463959, "1969-02-14T00:00", 424.705, "2021-03-31T00:00", 430.145, StepKind::Day);
}

void tst_RealFiles::series() {
    QFETCH(QString, file);
    QFETCH(QString, site);
    QFETCH(QString, parameter);
    QFETCH(QString, statistic);
    QFETCH(int, count);
    QFETCH(double, sum);
    QFETCH(QDateTime, first);
    QFETCH(double, firstValue);
    QFETCH(QDateTime, last);
    QFETCH(double, lastValue);
    QFETCH(int, stepKind);
    QFETCH(int, stepMinutes);
    RP_REQUIRE_SHARED_DATA(path, file);
    const ReadResult r =
        file.endsWith(u".sqlite3") ? readHydat(path) : readAny(rp::test::fileBytes(path), {}, path);
    const Series* s = rp::test::findSeries(r, site, parameter, statistic);
    QVERIFY(s);
    QCOMPARE(s->values.size(), count);
    QVERIFY2(qAbs(rp::test::sumOf(*s) - sum) <= 1e-9 * qAbs(sum) + 1e-6,
             qPrintable(QString::number(rp::test::sumOf(*s), 'f', 6)));
    QCOMPARE(s->values.first().time, first);
    QCOMPARE(float(s->values.first().value), float(firstValue));
    QCOMPARE(s->values.last().time, last);
    QCOMPARE(float(s->values.last().value), float(lastValue));
    QCOMPARE(int(s->step.kind), stepKind);
    QCOMPARE(s->step.minutes, stepMinutes);
    for (qsizetype i = 1; i < s->values.size(); ++i)
        QVERIFY(s->values[i - 1].time < s->values[i].time);
}

void tst_RealFiles::detected_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("seriesCount");
    QTest::addColumn<int>("warnings");
    QTest::newRow("old rdb") << "usgs_03451500_dv_00060_1895-2000_oldrdb.txt" << int(Format::Rdb)
                             << 1 << 9; // the nine HTML lines
    QTest::newRow("rdb multi") << "usgs_03451500_dv_multi_2000-2010.rdb" << int(Format::Rdb) << 7
                               << 0;
    QTest::newRow("rdb two sites")
        << "usgs_09070500_09071750_dv_2000-2010.rdb" << int(Format::Rdb) << 6 << 0;
    QTest::newRow("dv four") << "southplatte_4gages_day_1901-2013.dv" << int(Format::DateValue) << 4
                             << 0;
    QTest::newRow("waterml seven")
        << "usgs_08068500_iv_multi_2011-11_waterml.xml" << int(Format::WaterMl) << 7 << 0;
    QTest::newRow("usbr") << "usbr_lake_powell_daily_1963-2021.csv" << int(Format::UsbrCsv) << 9
                          << 1; // where the footnotes begin
    QTest::newRow("csv") << "usgs_11532500_iv15_q_gh_2016.csv" << int(Format::Csv) << 2 << 0;
    QTest::newRow("csv flag") << "larimer_11033_precip_irregular_2018-2022.csv" << int(Format::Csv)
                              << 1 << 0;
}

void tst_RealFiles::detected() {
    QFETCH(QString, file);
    QFETCH(int, format);
    QFETCH(int, seriesCount);
    QFETCH(int, warnings);
    RP_REQUIRE_SHARED_DATA(path, file);
    const QByteArray bytes = rp::test::fileBytes(path);
    QCOMPARE(int(detectFormat(bytes)), format); // by content alone
    const ReadResult r = readAny(bytes);
    QCOMPARE(r.series.size(), seriesCount);
    QCOMPARE(r.warnings.size(), warnings);
}

QTEST_GUILESS_MAIN(tst_RealFiles)
#include "tst_RealFiles.moc"
