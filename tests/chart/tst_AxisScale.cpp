#include "core/base/Error.h"
#include "core/chart/AxisScale.h"

#include <QtTest>

using namespace rp;

class tst_AxisScale : public QObject {
    Q_OBJECT
private slots:
    void workedValues_data();
    void workedValues();
    void invertedRangeFails();
    void clean_data();
    void clean();
    void numberText_data();
    void numberText();
};

void tst_AxisScale::workedValues_data() {
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("q");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("upper");
    QTest::addColumn<int>("divisions");
    QTest::addColumn<double>("largestAfter");
    QTest::newRow("3.7..41.2") << 3.7 << 41.2 << 0.0 << 5.0 << 45.0 << 9 << 41.2;
    QTest::newRow("upper on a multiple") << 0.0 << 100.0 << 0.0 << 20.0 << 100.0 << 5 << 100.0;
    QTest::newRow("across zero") << -3.2 << 7.9 << -4.0 << 2.0 << 8.0 << 6 << 7.9;
    QTest::newRow("equal values") << 5.0 << 5.0 << 5.0 << 0.2 << 6.0 << 5 << 6.0;
    QTest::newRow("small") << 0.013 << 0.087 << 0.01 << 0.01 << 0.09 << 8 << 0.087;
    QTest::newRow("thousands") << 1200.0 << 3450.0 << 1000.0 << 500.0 << 3500.0 << 5 << 3450.0;
    QTest::newRow("unit span") << 0.0 << 1.0 << 0.0 << 0.2 << 1.0 << 5 << 1.0;
    QTest::newRow("negative") << -250.0 << -20.0 << -250.0 << 50.0 << 0.0 << 5 << -20.0;
    QTest::newRow("lower on a multiple") << 20.0 << 67.0 << 20.0 << 5.0 << 70.0 << 10 << 67.0;
    QTest::newRow("noisy quotient") << 0.0 << 0.5 << 0.0 << 0.05 << 0.5 << 10 << 0.5;
    QTest::newRow("ten years of rows")
        << 0.0 << 350640.0 << 0.0 << 50000.0 << 400000.0 << 8 << 350640.0;
    QTest::newRow("equal negatives") << -7.0 << -7.0 << -7.0 << 0.2 << -6.0 << 5 << -6.0;
}

void tst_AxisScale::workedValues() {
    QFETCH(double, p);
    QFETCH(double, q);
    QFETCH(double, lower);
    QFETCH(double, step);
    QFETCH(double, upper);
    QFETCH(int, divisions);
    QFETCH(double, largestAfter);
    double largest = q;
    const AxisScale s = computeAxisScale(p, largest);
    // Cleaned numbers are exact decimal read-backs, so they compare exactly.
    QCOMPARE(s.lower, lower);
    QCOMPARE(s.step, step);
    QCOMPARE(s.upper, upper);
    QCOMPARE(s.divisions, divisions);
    QCOMPARE(largest, largestAfter);
}

void tst_AxisScale::invertedRangeFails() {
    double largest = -99999999;
    QVERIFY_THROWS_EXCEPTION(Error, computeAxisScale(99999999, largest));
}

void tst_AxisScale::clean_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");
    QTest::newRow("step with noise") << 100 * 0.05 << 5.0;
    QTest::newRow("sum with noise") << 0.1 + 0.2 << 0.3;
    QTest::newRow("product with noise") << 3 * 1.1 << 3.3;
    QTest::newRow("negative noise") << -(0.1 + 0.2) << -0.3;
    QTest::newRow("whole") << 45.0 << 45.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    // Nine-character texts ending in 9 or 1 are rounded to six significant digits.
    QTest::newRow("nine chars ending 9") << 0.1234569 << 0.123457;
    QTest::newRow("nine chars ending 1") << 1234.561 << 1234.56;
    QTest::newRow("nine chars ending 5") << 1234.565 << 1234.565;
    QTest::newRow("eight chars") << 123.451 << 123.451;
    QTest::newRow("exponent late, ending 9") << 1.2345691e-20 << 1.23457e-20;
    QTest::newRow("exponent, short mantissa") << 1e-05 << 1e-05;
}

void tst_AxisScale::clean() {
    QFETCH(double, x);
    QFETCH(double, expected);
    QCOMPARE(rp::clean(x), expected);
}

void tst_AxisScale::numberText_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("text");
    QTest::newRow("half") << 0.5 << " .5";
    QTest::newRow("negative half") << -0.5 << "-.5";
    QTest::newRow("whole") << 45.0 << " 45";
    QTest::newRow("negative") << -3.2 << "-3.2";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("fifteen digits") << 0.1 + 0.2 << " .3";
    QTest::newRow("small exponent") << 1e-05 << " 1E-05";
}

void tst_AxisScale::numberText() {
    QFETCH(double, x);
    QFETCH(QString, text);
    QCOMPARE(axisNumberText(x), text);
}

QTEST_GUILESS_MAIN(tst_AxisScale)
#include "tst_AxisScale.moc"
