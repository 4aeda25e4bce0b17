#include "GoldenReport.h"
#include "core/base/Error.h"
#include "core/reports/AggregateSink.h"
#include "core/reports/TableReport.h"

#include <QTest>

using namespace rp;

namespace {

using rp::test::runReport;

struct RecordingSink : AggregateSink {
    bool monthly = true;
    bool yearly = true;
    QStringList writes;
    bool wantsMonthly() const override { return monthly; }
    bool wantsYearly() const override { return yearly; }
    static QString show(const QVariant& v) {
        if (!v.isValid())
            return QStringLiteral("none");
        if (v.typeId() == QMetaType::QString)
            return QLatin1Char('"') + v.toString() + QLatin1Char('"');
        return QString::number(v.toDouble(), 'g', 15);
    }
    void writeMonthly(int year, int month, const QVariant& value) override {
        writes << QStringLiteral("M %1/%2 %3").arg(month).arg(year).arg(show(value));
    }
    void writeYearly(int year, const QVariant& value) override {
        writes << QStringLiteral("Y %1 %2").arg(year).arg(show(value));
    }
};

} // namespace

class tst_DailyTable : public QObject {
    Q_OBJECT
private slots:
    void golden_data() { rp::test::addGoldenRows(QStringLiteral("daily-")); }
    void golden() {
        QFETCH(QString, dir);
        rp::test::checkGolden(dir);
    }
    void malformed_data();
    void malformed();
    void emptySeries();
    void meanAndAnnual_data();
    void meanAndAnnual();
    void writeBack_data();
    void writeBack();
    void writeBackAskedAtEachWrite();
};

void tst_DailyTable::malformed_data() {
    QTest::addColumn<QByteArray>("series");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("pages");
    const QByteArray head = "2 1 SITE\r\nDAILY FLOW, CFS\r\n";
    QTest::newRow("short line") << head + "01 JAN 1999 5\r\n01 JA\r\n"
                                << "Line 4 of the series file" << 0;
    QTest::newRow("month not JAN-DEC") << head + "01 JAN 1999 5\r\n01 XYZ 1999 5\r\n"
                                       << "\"XYZ\" is not a month" << 0;
    QTest::newRow("text for a year") << head + "01 JAN ABCD 5\r\n"
                                     << "Line 3 of the series file: \"ABCD\" is not a year" << 0;
    QTest::newRow("day beyond the month") << head + "30 FEB 1999 5\r\n"
                                          << "Line 3 of the series file: \"30 FEB 1999\"" << 0;
    QTest::newRow("no day") << head + "   JAN 1999 5\r\n"
                            << "Line 3" << 0;
    // The page of 1998 is complete before the bad line of 1999 is read.
    QTest::newRow("error after a page")
        << head + "01 JAN 1998 5\r\n01 JAN 1999 5\r\n02 JAN 1999 1e999\r\n"
        << "Line 5 of the series file: Overflow" << 1;
    QTest::newRow("overflow of a thousand digits is quoted short")
        << head + "01 JAN 1999 1" + QByteArray(1000, '9') + "\r\n"
        << "Overflow: the number \"1" + QString(79, u'9') + "...\" is too large" << 0;
    QTest::newRow("direction out of range")
        << QByteArray("2 1 SITE\r\nDAILY WIND DIRECTION, QUARTERS\r\n01 JAN 1999 7\r\n")
        << "Line 3 of the series file: the wind direction 7" << 0;
}

void tst_DailyTable::malformed() {
    QFETCH(QByteArray, series);
    QFETCH(QString, message);
    QFETCH(int, pages);
    QByteArray report;
    try {
        runReport(series, report);
        QFAIL("malformed input was accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(report.count('\f'), pages);
}

void tst_DailyTable::emptySeries() {
    QCOMPARE(runReport("2 1 SITE\r\nDAILY FLOW, CFS\r\n"), QByteArray());
    QCOMPARE(runReport("2 1 SITE\r\nDAILY FLOW, CFS\r\n\r\n"), QByteArray());
}

void tst_DailyTable::meanAndAnnual_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QByteArray>("marchMean");
    QTest::addColumn<QByteArray>("annual");
    QTest::newRow("0.94 keeps two decimals")
        << QByteArray("01 MAR 2005 0.94\r\n") << QByteArray("     0.94") << QByteArray("0.94");
    QTest::newRow("0.95 takes one decimal")
        << QByteArray("01 MAR 2005 0.95\r\n") << QByteArray("      1.0") << QByteArray("1.0");
    QTest::newRow("9.5 takes none")
        << QByteArray("01 MAR 2005 9.5\r\n") << QByteArray("       10") << QByteArray("10");
    QTest::newRow("no day with data")
        << QByteArray("01 MAR 2005 \r\n") << QByteArray("     0.00") << QByteArray("---");
    QTest::newRow("a placeholder is no data") << QByteArray("01 MAR 2005 ---\r\n02 MAR 2005 4\r\n")
                                              << QByteArray("      4.0") << QByteArray("4.0");
    QTest::newRow("a later line for the day replaces the earlier")
        << QByteArray("01 MAR 2005 8\r\n01 MAR 2005 4\r\n") << QByteArray("      4.0")
        << QByteArray("4.0");
    // The cell shows "12.5E+000"; the statistics read the whole value.
    QTest::newRow("a long value counts in full") << QByteArray("01 MAR 2005 12.5E+0004\r\n")
                                                 << QByteArray("   125000") << QByteArray("125000");
}

void tst_DailyTable::meanAndAnnual() {
    QFETCH(QByteArray, lines);
    QFETCH(QByteArray, marchMean);
    QFETCH(QByteArray, annual);
    const QByteArray report = runReport("2 1 SITE\r\nDAILY GAGE HEIGHT, METRES\r\n" + lines);
    const qsizetype mean = report.indexOf("\nMEAN   ");
    QVERIFY(mean > 0);
    QCOMPARE(report.mid(mean + 8 + 2 * 9, 9), marchMean);
    QVERIFY2(report.contains("\nANNUAL MEAN " + annual + "\r\n"), report.right(200).constData());
}

void tst_DailyTable::writeBack_data() {
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("writes");

    const QByteArray march = "01 MAR 2005 40\r\n02 MAR 2005 60\r\n";
    QTest::newRow("flow: month as printed, year unrounded")
        << "DAILY DISCHARGE, CFS" << march
        << QStringList{"M 3/2005 \"      198\"", "Y 2005 198.35"};
    QTest::newRow("mean") << "DAILY GAGE HEIGHT, METRES" << march
                          << QStringList{"M 3/2005 \"       50\"", "Y 2005 50"};
    QTest::newRow("storage writes the month total")
        << "DAILY RESERVOIR STORAGE, AF" << march
        << QStringList{"M 3/2005 \"      100\"", "Y 2005 50"};
    QTest::newRow("year to date writes the month maximum")
        << "DAILY PRECIP YTD, MM" << march << QStringList{"M 3/2005 \" 60\"", "Y 2005 50"};
    QTest::newRow("rainfall inches: annual total")
        << "DAILY RAINFALL, INCHES" << QByteArray("01 MAR 2005 0.125\r\n02 APR 2005 1\r\n")
        << QStringList{"M 3/2005 \"     0.13\"", "M 4/2005 \"     1.00\"", "Y 2005 1.125"};
    QTest::newRow("other inches: largest maximum")
        << "DAILY SNOW DEPTH, INCHES" << QByteArray("01 MAR 2005 3\r\n02 MAR 2005 5\r\n")
        << QStringList{"M 3/2005 \"     4.00\"", "Y 2005 5"};
    QTest::newRow("direction: rounded vector means")
        << "DAILY WIND DIRECTION, QUARTERS"
        << QByteArray("01 MAR 2005 3.75\r\n02 MAR 2005 0.25\r\n")
        << QStringList{"M 3/2005 4", "Y 2005 4"};
    QTest::newRow("year without data")
        << "DAILY GAGE HEIGHT, METRES" << QByteArray("01 MAR 2005 \r\n")
        << QStringList{"Y 2005 none"};
}

void tst_DailyTable::writeBack() {
    QFETCH(QString, parameter);
    QFETCH(QByteArray, lines);
    RecordingSink sink;
    ReportOptions options;
    options.sink = &sink;
    runReport("2 1 SITE\r\n" + parameter.toLatin1() + "\r\n" + lines, options);
    QTEST(sink.writes, "writes");
}

void tst_DailyTable::writeBackAskedAtEachWrite() {
    // Unticking "Write Monthlys" while the report runs stops the monthly writes at once.
    struct OnceSink : RecordingSink {
        void writeMonthly(int year, int month, const QVariant& value) override {
            RecordingSink::writeMonthly(year, month, value);
            monthly = false;
        }
    } sink;
    ReportOptions options;
    options.sink = &sink;
    runReport("2 1 SITE\r\nDAILY FLOW, CFS\r\n01 JAN 2001 1\r\n01 FEB 2001 1\r\n01 JAN 2002 1\r\n",
              options);
    QCOMPARE(sink.writes, (QStringList{"M 1/2001 \"      2.0\"", "Y 2001 3.967", "Y 2002 1.9835"}));

    // A water year is not a calendar year: its months are written, its total is not.
    RecordingSink water;
    options.sink = &water;
    options.waterYear = true;
    runReport("2 1 SITE\r\nDAILY FLOW, CFS\r\n01 DEC 2001 1\r\n", options);
    QCOMPARE(water.writes, QStringList{"M 12/2001 \"      2.0\""});
}

QTEST_GUILESS_MAIN(tst_DailyTable)
#include "tst_DailyTable.moc"
