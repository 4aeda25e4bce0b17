#include "../reports/GoldenReport.h"
#include "core/base/Error.h"
#include "core/reports/TableReport.h"

#include <QTest>

using namespace rp;

namespace {

// The report, followed by the message of an error that ended it.
QByteArray reportOrError(const QByteArray& series) {
    QByteArray report;
    try {
        rp::test::runReport(series, report);
    } catch (const Error& e) {
        report += "ERROR " + e.message().toLatin1();
    }
    return report;
}

} // namespace

class tst_MonthlyTable : public QObject {
    Q_OBJECT
private slots:
    void golden_data() { rp::test::addGoldenRows(QStringLiteral("monthly-")); }
    void golden() {
        QFETCH(QString, dir);
        rp::test::checkGolden(dir);
    }
    void rows_data();
    void rows();
};

void tst_MonthlyTable::rows_data() {
    QTest::addColumn<QByteArray>("series");
    QTest::addColumn<QByteArray>("report");
    const QByteArray cols = "YEAR       JAN      FEB      MAR      APR      MAY      JUN      JUL"
                            "      AUG      SEP      OCT      NOV      DEC";
    const QByteArray dashes = QByteArray("      ---").repeated(11);

    QTest::newRow("no data lines: empty report")
        << QByteArray("1 1 SITE\r\nMONTHLY FLOW, CFS\r\n") << QByteArray();
    QTest::newRow("total rounds the sum")
        << QByteArray("1 1 SITE\r\nMONTHLY FLOW, CFS\r\n01 JAN 2001 1.25\r\n01 FEB 2001 1.25\r\n")
        << "1 1 SITEMONTHLY FLOW, CFS\r\n" + cols + "    TOTAL\r\n2001      1.25     1.25" +
               QByteArray("      ---").repeated(10) + "        3\r\n";
    QTest::newRow("no total without a flow or volume unit")
        << QByteArray("0 1 SITE\r\nANNUALY LAKE LEVEL, FEET\r\n01 JAN 2001 7\r\n")
        << "0 1 SITEANNUALY LAKE LEVEL, FEET\r\n" + cols + "\r\n2001         7" + dashes + "\r\n";
    QTest::newRow("bad month ends the report after the rows so far")
        << QByteArray("0 1 SITE\r\nANNUALY LAKE LEVEL, FEET\r\n01 JAN 2001 7\r\n01 JAN 2002 "
                      "8\r\n01 JXN 2003 9\r\n")
        << "0 1 SITEANNUALY LAKE LEVEL, FEET\r\n" + cols + "\r\n2001         7" + dashes +
               "\r\nERROR Line 5 of the series file: \"JXN\" is not a month (JAN to DEC).";
    QTest::newRow("text for a year")
        << QByteArray("0 1 SITE\r\nANNUALY LAKE LEVEL, FEET\r\n01 JAN 20X1 7\r\n")
        << QByteArray("ERROR Line 3 of the series file: \"20X1\" is not a year.");
}

void tst_MonthlyTable::rows() {
    QFETCH(QByteArray, series);
    QTEST(reportOrError(series), "report");
}

QTEST_GUILESS_MAIN(tst_MonthlyTable)
#include "tst_MonthlyTable.moc"
