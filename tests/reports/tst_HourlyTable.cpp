#include "GoldenReport.h"
#include "core/base/Error.h"
#include "core/reports/TableReport.h"

#include <QTest>

using namespace rp;

namespace {

using rp::test::runReport;

// The statistics line of each block (the line before the empty line that ends a block).
QList<QByteArray> statisticsLines(const QByteArray& report) {
    QList<QByteArray> result;
    for (const QByteArray& line : report.split('\n'))
        if (line.startsWith("MINIMUM"))
            result << line.chopped(1);
    return result;
}

} // namespace

class tst_HourlyTable : public QObject {
    Q_OBJECT
private slots:
    void golden_data() { rp::test::addGoldenRows(QStringLiteral("hourly-")); }
    void golden() {
        QFETCH(QString, dir);
        rp::test::checkGolden(dir);
    }
    void blocks_data();
    void blocks();
    void malformed_data();
    void malformed();
};

void tst_HourlyTable::blocks_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QList<QByteArray>>("dates");
    QTest::addColumn<QList<QByteArray>>("statistics");

    QTest::newRow("single line: nothing to show")
        << QByteArray("01 JUN 2011 00:00 5\r\n") << QList<QByteArray>{} << QList<QByteArray>{};
    QTest::newRow("later line for the same hour replaces the earlier")
        << QByteArray("01 JUN 2011 00:00 \r\n01 JUN 2011 01:00 50\r\n01 JUN 2011 01:00 20\r\n")
        << QList<QByteArray>{"DATE: 6 / 1 / 2011 "}
        << QList<QByteArray>{"MINIMUM 20  MAXIMUM 20  MEAN 20  "};
    QTest::newRow("first line not at midnight is kept")
        << QByteArray("01 JUN 2011 05:00 4\r\n01 JUN 2011 06:00 6\r\n")
        << QList<QByteArray>{"DATE: 6 / 1 / 2011 "}
        << QList<QByteArray>{"MINIMUM 4.0  MAXIMUM 6.0  MEAN 5.0  "};
    QTest::newRow("a day missing from the file starts a new block")
        << QByteArray("01 JUN 2011 00:00 \r\n01 JUN 2011 01:00 1\r\n03 JUN 2011 05:00 3\r\n")
        << QList<QByteArray>{"DATE: 6 / 1 / 2011 ", "DATE: 6 / 3 / 2011 "}
        << QList<QByteArray>{"MINIMUM 1.0  MAXIMUM 1.0  MEAN 1.0  ",
                             "MINIMUM 3.0  MAXIMUM 3.0  MEAN 3.0  "};
    QTest::newRow("placeholder does not count")
        << QByteArray("01 JUN 2011 00:00 \r\n01 JUN 2011 01:00 ---\r\n01 JUN 2011 02:00 8\r\n")
        << QList<QByteArray>{"DATE: 6 / 1 / 2011 "}
        << QList<QByteArray>{"MINIMUM 8.0  MAXIMUM 8.0  MEAN 8.0  "};
    QTest::newRow("midnight closes the year")
        << QByteArray("31 DEC 1999 00:00 \r\n31 DEC 1999 23:00 2\r\n01 JAN 2000 00:00 4\r\n")
        << QList<QByteArray>{"DATE: 12 / 31 / 1999 "}
        << QList<QByteArray>{"MINIMUM 2.0  MAXIMUM 4.0  MEAN 3.0  "};
}

void tst_HourlyTable::blocks() {
    QFETCH(QByteArray, lines);
    const QByteArray report = runReport("3 1 SITE\r\nHOURLY GAGE HEIGHT, M\r\n" + lines);
    QList<QByteArray> dates;
    for (const QByteArray& line : report.split('\n'))
        if (line.startsWith("DATE:"))
            dates << line.chopped(1);
    QTEST(dates, "dates");
    QTEST(statisticsLines(report), "statistics");
}

void tst_HourlyTable::malformed_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("message");
    QTest::newRow("hour 24") << QByteArray("01 JUN 2011 00:00 \r\n01 JUN 2011 24:00 1\r\n")
                             << "Line 4 of the series file: \"24\" is not an hour";
    QTest::newRow("no hour") << QByteArray("01 JUN 2011 00:00 \r\n01 JUN 2011\r\n")
                             << "Line 4 of the series file: the line is too short";
    QTest::newRow("month") << QByteArray("01 JUN 2011 00:00 \r\n01 JUX 2011 01:00 1\r\n")
                           << "Line 4 of the series file: \"JUX\" is not a month";
}

void tst_HourlyTable::malformed() {
    QFETCH(QByteArray, lines);
    QFETCH(QString, message);
    try {
        runReport("3 1 SITE\r\nHOURLY GAGE HEIGHT, M\r\n" + lines);
        QFAIL("malformed input was accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(tst_HourlyTable)
#include "tst_HourlyTable.moc"
