#include "SeriesFiles.h"
#include "core/base/Error.h"
#include "core/chart/ChartModel.h"

#include <QBuffer>
#include <QtTest>

using namespace rp;
using rp::test::dailySeries;
using Values = std::vector<std::optional<double>>;

namespace {

void load(ChartModel& model, const QByteArray& text, bool add = false, int valuesPerDay = 0) {
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    model.loadSeries(buffer, QStringLiteral("lastout.txt"), add, valuesPerDay);
}

Values ramp(int n, double start = 1) {
    Values v;
    for (int i = 0; i < n; ++i)
        v.push_back(start + i);
    return v;
}

} // namespace

class tst_ChartModel : public QObject {
    Q_OBJECT
private slots:
    void oneSeries();
    void addShorterSeries();
    void addShorterSeriesKeepsLaterLabels();
    void addLongerSeries();
    void labelSpacing_data();
    void labelSpacing();
    void rowLabels_data();
    void rowLabels();
    void equalValues();
    void secondAxisUpperStrictlyAbove();
    void totalitTwice();
    void totalitNegativeValues();
    void addWhileCumulative();
    void newChartAfterCumulative();
    void badInput_data();
    void badInput();
    void chartWithoutValuesKeepsPreviousChart();
};

void tst_ChartModel::oneSeries() {
    ChartModel model;
    load(model, dailySeries("100 GAUGE", "FLOW, CFS", {1.5, std::nullopt, 41.2, 3.7}));
    QCOMPARE(model.seriesCount(), 1);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.title, QStringLiteral("2 100 GAUGE"));
    QCOMPARE(model.columnLabel(0), QStringLiteral("2 100 GAUGE"));
    QVERIFY(!model.showLegend);
    QCOMPARE(model.yAxis.title, QStringLiteral("DAILY FLOW, CFS"));
    QVERIFY(!model.y2Axis.visible);
    QVERIFY(model.isNull(1, 0));
    QVERIFY(!model.isNull(2, 0));
    QCOMPARE(model.value(2, 0), 41.2);
    // The empty value takes no part in the range.
    QCOMPARE(model.valueRange().smallest, 1.5);
    QCOMPARE(model.valueRange().largest, 41.2);
    QCOMPARE(model.yAxis.scale.lower, 0.0);
    QCOMPARE(model.yAxis.scale.upper, 45.0);
    QCOMPARE(model.yAxis.scale.divisions, 9);
    QVERIFY(!model.yAxis.automatic);
    QCOMPARE(model.rowLabel(0), QStringLiteral("01 MAR 1999"));
}

void tst_ChartModel::addShorterSeries() {
    ChartModel model;
    load(model, dailySeries("100 GAUGE", "FLOW, CFS", ramp(365)));
    load(model, dailySeries("200 OTHER", "STAGE, FT", ramp(100, 1000)), true);
    QCOMPARE(model.seriesCount(), 2);
    QCOMPARE(model.rowCount(), 365);
    QCOMPARE(model.value(99, 1), 1099.0);
    QVERIFY(model.isNull(100, 1));
    QVERIFY(model.isNull(364, 1));
    QCOMPARE(model.value(364, 0), 365.0);
    QVERIFY(model.title.isEmpty());
    QVERIFY(model.showLegend);
    QCOMPARE(model.columnLabel(1), QStringLiteral("2 200 OTHER"));
    QCOMPARE(model.y2Axis.title, QStringLiteral("DAILY STAGE, FT"));
    QVERIFY(!model.y2Axis.visible);
    QCOMPARE(model.yAxis.title, QStringLiteral("DAILY FLOW, CFS"));
    // The primary scale covers both series; the first-series scale only the first.
    QCOMPARE(model.primaryScale().upper, 1200.0);
    QCOMPARE(model.firstSeriesScale().upper, 400.0);
}

void tst_ChartModel::addShorterSeriesKeepsLaterLabels() {
    ChartModel model;
    QStringList unit;
    for (int i = 0; i < 300; ++i)
        unit << QStringLiteral("%1 Mar 1999 %2:%3 1")
                    .arg(1 + i / 96, 2, 10, QLatin1Char('0'))
                    .arg(i / 4 % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 4 * 15, 2, 10, QLatin1Char('0'));
    unit[150].replace(12, 5, QStringLiteral("7h15m"));
    unit[250].replace(12, 5, QStringLiteral("9h30m"));
    load(model, rp::test::seriesText("4 1 A", "UNIT VALUES B", unit));
    load(model,
         rp::test::seriesText("4 2 C", "UNIT VALUES D",
                              {"31 Dec 1998 23:00 1", "01 Jan 1999 11:00 2", "01 Jan 1999 12:00 3",
                               "01 Jan 1999 13:00 4"}),
         true);
    QCOMPARE(model.rowCount(), 300);
    const QStringList expected{
        "0=31 Dec 1998 23:00",   "1=01 Jan 1999 11:00",   "3=01 Jan 1999 13:00",
        "4=01 Mar 1999 01:00",   "95=01 Mar 1999 23:45",  "96=02 Mar 1999",
        "150=02 Mar 1999 7h15m", "250=03 Mar 1999 9h30m", "299=04 Mar 1999 02:45"};
    for (const QString& label : expected)
        QCOMPARE(model.rowLabel(label.section('=', 0, 0).toInt()), label.section('=', 1));
}

void tst_ChartModel::addLongerSeries() {
    ChartModel model;
    load(model, dailySeries("100 GAUGE", "FLOW, CFS", ramp(10), QDate(2000, 1, 1)));
    load(model, dailySeries("200 OTHER", "FLOW, CFS", ramp(20), QDate(1999, 3, 1)), true);
    QCOMPARE(model.rowCount(), 20);
    QVERIFY(model.isNull(15, 0));
    QCOMPARE(model.value(9, 0), 10.0);
    // Rows go by position; the labels are the longer series' own.
    QCOMPARE(model.rowLabel(0), QStringLiteral("01 MAR 1999"));
    QCOMPARE(model.rowLabel(19), QStringLiteral("20 MAR 1999"));
}

void tst_ChartModel::labelSpacing_data() {
    QTest::addColumn<QByteArray>("series");
    QTest::addColumn<int>("valuesPerDay");
    QTest::addColumn<int>("every");
    QTest::newRow("daily 50") << dailySeries("1 A", "B", ramp(50)) << 0 << 0;
    QTest::newRow("daily 51") << dailySeries("1 A", "B", ramp(51)) << 0 << 6;
    QTest::newRow("daily 52 (half to even)") << dailySeries("1 A", "B", ramp(52)) << 0 << 6;
    QTest::newRow("daily 365") << dailySeries("1 A", "B", ramp(365)) << 0 << 46;
    QTest::newRow("hourly 240") << rp::test::hourlySeries(240) << 0 << 24;
    QTest::newRow("hourly 241") << rp::test::hourlySeries(241) << 0 << 30;
    QStringList unit;
    for (int i = 0; i < 200; ++i)
        unit << QStringLiteral("05 Mar 1999 %1:%2 %3")
                    .arg(i / 4 % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 4 * 15, 2, 10, QLatin1Char('0'))
                    .arg(i);
    QTest::newRow("unit 96 a day")
        << rp::test::seriesText("4 1 A", "UNIT VALUES B", unit) << 96 << 96;

    // A negative count has the values on the first value's rounded day counted from the file.
    const auto unitFrom = [](const QString& code, const QString& first, int minutes, int lines,
                             const QString& month = QStringLiteral("Mar")) {
        QStringList text;
        QDateTime start = QDateTime::fromString(first, QStringLiteral("yyyy-MM-dd hh:mm"));
        start.setTimeSpec(Qt::UTC);
        for (int i = 0; i < lines; ++i) {
            const QDateTime t = start.addSecs(qint64(i) * minutes * 60);
            text << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(t.date().day(), 2, 10, QLatin1Char('0'))
                        .arg(month)
                        .arg(t.date().year())
                        .arg(t.time().toString(QStringLiteral("hh:mm")))
                        .arg(i);
        }
        return rp::test::seriesText(code + " 1 A", "UNIT VALUES B", text);
    };
    QTest::newRow("counted: from midnight")
        << unitFrom("4", "1999-03-05 00:00", 15, 200) << -1 << 96;
    QTest::newRow("counted: hourly unit values")
        << unitFrom("4", "1999-03-05 00:00", 60, 60) << -1 << 24;
    QTest::newRow("counted: before noon, the first day")
        << unitFrom("4", "1999-03-05 11:45", 15, 200) << -1 << 49;
    QTest::newRow("counted: after noon, the next day")
        << unitFrom("4", "1999-03-05 12:15", 15, 200) << -1 << 96;
    // 5 Mar 1999 is day 36224 from 30 Dec 1899: noon stays on it; 6 Mar moves on.
    QTest::newRow("counted: noon of an even day stays")
        << unitFrom("4", "1999-03-05 12:00", 15, 200) << -1 << 48;
    QTest::newRow("counted: noon of an odd day moves on")
        << unitFrom("4", "1999-03-06 12:00", 15, 200) << -1 << 96;
    QTest::newRow("counted: shifted unit values")
        << unitFrom("7", "1999-03-05 00:00", 30, 100) << -1 << 48;
    QTest::newRow("counted: month in capitals")
        << unitFrom("4", "1999-03-05 00:00", 15, 200, QStringLiteral("MAR")) << -1 << 96;
    QTest::newRow("counted: a first line without a date counts none")
        << rp::test::seriesText("4 1 A", "UNIT VALUES B",
                                {"05 Mrz 1999 00:00 1", "05 Mar 1999 00:15 2"})
        << -1 << 0;
    QTest::newRow("counted: only dated lines of the day")
        << rp::test::seriesText("4 1 A", "UNIT VALUES B",
                                {"05 Mar 1999 00:00 1", "05 Mar 1999 25:00 2",
                                 "31 Feb 1999 00:00 3", "05 Mar 1999 23:45 4",
                                 "06 Mar 1999 00:00 5"})
        << -1 << 2;
    QTest::newRow("counted: hourly files keep 24") << rp::test::hourlySeries(100) << -1 << 24;
}

void tst_ChartModel::labelSpacing() {
    QFETCH(QByteArray, series);
    QFETCH(int, valuesPerDay);
    QFETCH(int, every);
    ChartModel model;
    load(model, series, false, valuesPerDay);
    QCOMPARE(model.labelEvery(), every);
}

void tst_ChartModel::rowLabels_data() {
    QTest::addColumn<QByteArray>("series");
    QTest::addColumn<QStringList>("labels"); // "row=label"
    QTest::newRow("hourly within a year: midnight with the year, other hours with the time")
        << rp::test::hourlySeries(30)
        << QStringList{"0=05 MAR 1999", "7=05 MAR 07:00", "24=06 MAR 1999"};
    QTest::newRow("unit value") << rp::test::seriesText("4 1 A", "UNIT VALUES B",
                                                        {"05 Mar 1999 07:15 3"})
                                << QStringList{"0=05 Mar 07:15"};
    QTest::newRow("unit values over a new year: every label has its year")
        << rp::test::seriesText(
               "4 1 A", "UNIT VALUES B",
               {"31 Dec 1999 23:45 3", "01 Jan 2000 00:00 4", "01 Jan 2000 00:15 5"})
        << QStringList{"0=31 Dec 1999 23:45", "1=01 Jan 2000", "2=01 Jan 2000 00:15"};
    QTest::newRow("hourly over a new year")
        << rp::test::hourlySeries(30, QDate(1999, 12, 31))
        << QStringList{"0=31 DEC 1999", "7=31 DEC 1999 07:00", "25=01 JAN 2000 01:00"};
    QTest::newRow("daily over a new year")
        << dailySeries("1 A", "B", {1.0, 2.0}, QDate(1999, 12, 31))
        << QStringList{"0=31 DEC 1999", "1=01 JAN 2000"};
}

void tst_ChartModel::rowLabels() {
    QFETCH(QByteArray, series);
    QFETCH(QStringList, labels);
    ChartModel model;
    load(model, series);
    for (const QString& expected : labels)
        QCOMPARE(model.rowLabel(expected.section('=', 0, 0).toInt()), expected.section('=', 1));
}

void tst_ChartModel::equalValues() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {5.0, 5.0, std::nullopt, 5.0}));
    QCOMPARE(model.valueRange().largest, 6.0);
    QCOMPARE(model.yAxis.scale.lower, 5.0);
    QCOMPARE(model.yAxis.scale.upper, 6.0);
    QCOMPARE(model.yAxis.scale.step, 0.2);
    QCOMPARE(model.yAxis.scale.divisions, 5);
}

void tst_ChartModel::secondAxisUpperStrictlyAbove() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {3.0, 7.0}));
    load(model, dailySeries("2 C", "D", {0.0, 100.0}), true);
    // 100 lies on a multiple of 20, yet the second axis ends one step above it.
    QCOMPARE(model.secondRange().smallest, 0.0);
    QCOMPARE(model.secondRange().largest, 120.0);
    QCOMPARE(model.secondAxisScale().divisions, 6);
    QCOMPARE(model.primaryScale().upper, 100.0);
}

void tst_ChartModel::totalitTwice() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {1.0, std::nullopt, 2.0, 4.0}));
    load(model, dailySeries("2 C", "D", {10.0, 20.0}), true);
    const ValueRange second = model.secondRange();
    model.totalit();
    QVERIFY(model.cumulative());
    QCOMPARE(model.value(0, 0), 1.0);
    QVERIFY(model.isNull(1, 0));
    QCOMPARE(model.value(3, 0), 7.0);
    QCOMPARE(model.value(1, 1), 30.0);
    QVERIFY(model.isNull(3, 1));
    // Axis from the primary lower bound to the largest total (30).
    QCOMPARE(model.yAxis.scale.lower, 0.0);
    QCOMPARE(model.yAxis.scale.upper, 30.0);
    QCOMPARE(model.secondRange().largest, 30.0);
    model.totalit();
    QVERIFY(!model.cumulative());
    QCOMPARE(model.value(3, 0), 4.0);
    QCOMPARE(model.value(1, 1), 20.0);
    QVERIFY(model.isNull(1, 0));
    QCOMPARE(model.secondRange().largest, second.largest);
    QCOMPARE(model.yAxis.scale.upper, model.primaryScale().upper);
}

void tst_ChartModel::totalitNegativeValues() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {-3.0, -5.0}));
    model.totalit();
    QCOMPARE(model.value(1, 0), -8.0);
    QVERIFY(model.yAxis.scale.upper >= 0);
    QCOMPARE(model.yAxis.scale.lower, model.primaryScale().lower);
}

void tst_ChartModel::addWhileCumulative() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {1.0, 2.0}));
    model.totalit();
    load(model, dailySeries("2 C", "B", {5.0, 6.0}), true);
    QVERIFY(!model.cumulative());
    QCOMPARE(model.value(1, 0), 2.0);
    QCOMPARE(model.value(1, 1), 6.0);
}

void tst_ChartModel::newChartAfterCumulative() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {1.0, 2.0}));
    model.totalit();
    load(model, dailySeries("2 C", "B", {5.0, 6.0}));
    // A new chart shows plain values, and the next toggle sums them.
    QVERIFY(!model.cumulative());
    QCOMPARE(model.seriesCount(), 1);
    model.totalit();
    QCOMPARE(model.value(1, 0), 11.0);
}

void tst_ChartModel::badInput_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("empty") << QByteArray() << "two header lines";
    QTest::newRow("one line") << QByteArray("2 A\r\n") << "two header lines";
    QTest::newRow("no code") << QByteArray("X A\r\nB\r\n") << "time-step code";
    QTest::newRow("code 8") << QByteArray("8 A\r\nB\r\n") << "time-step code";
    QTest::newRow("not a number") << QByteArray(
                                         "2 A\r\nB\r\n01 MAR 1999 1.5\r\n02 MAR 1999 abc\r\n")
                                  << "Line 4 of lastout.txt";
    QTest::newRow("no values at all") << QByteArray("2 A\r\nB\r\n01 MAR 1999 \r\n") << "no values";
}

void tst_ChartModel::badInput() {
    QFETCH(QByteArray, text);
    QFETCH(QString, messagePart);
    ChartModel model;
    try {
        load(model, text);
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
    }
    QCOMPARE(model.seriesCount(), 0);
}

void tst_ChartModel::chartWithoutValuesKeepsPreviousChart() {
    ChartModel model;
    load(model, dailySeries("1 A", "B", {1.0, 2.0}));
    QVERIFY_THROWS_EXCEPTION(Error, load(model, dailySeries("2 C", "D", {std::nullopt})));
    QCOMPARE(model.seriesCount(), 1);
    QCOMPARE(model.title, QStringLiteral("2 1 A"));
    QCOMPARE(model.rowCount(), 2);
}

QTEST_GUILESS_MAIN(tst_ChartModel)
#include "tst_ChartModel.moc"
