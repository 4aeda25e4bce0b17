#include "core/base/Error.h"
#include "core/reports/Arctan2.h"
#include "core/reports/StatisticsTable.h"

#include <QTest>
#include <cmath>

using namespace rp;

class tst_Statistics : public QObject {
    Q_OBJECT
private slots:
    void column_data();
    void column();
    void columnsAreIndependent();
    void outOfRangeColumn();
    void overflow();
    void arctan_data();
    void arctan();
};

void tst_Statistics::column_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("sum");

    QTest::newRow("nothing") << QStringList{} << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("first value negative") << QStringList{"-3", "-1"} << 2.0 << -3.0 << -1.0 << -4.0;
    QTest::newRow("first value positive")
        << QStringList{"5", "2", "8"} << 3.0 << 2.0 << 8.0 << 15.0;
    QTest::newRow("trailing text") << QStringList{"12.5 x"} << 1.0 << 12.5 << 12.5 << 12.5;
    QTest::newRow("non-numeric counts as 0")
        << QStringList{"4", "abc", ""} << 3.0 << 0.0 << 4.0 << 4.0;
    QTest::newRow("equal values") << QStringList{"2", "2"} << 2.0 << 2.0 << 2.0 << 4.0;
}

void tst_Statistics::column() {
    QFETCH(QStringList, texts);
    StatisticsTable stats(12);
    for (const QString& t : texts)
        statistics(3, t, stats);
    QTEST(stats.count(3), "count");
    QTEST(stats.minimum(3), "minimum");
    QTEST(stats.maximum(3), "maximum");
    QTEST(stats.sum(3), "sum");
    QFETCH(double, count);
    QFETCH(double, sum);
    QCOMPARE(stats.mean(3), count > 0 ? sum / count : 0.0);
}

void tst_Statistics::columnsAreIndependent() {
    StatisticsTable stats(12);
    statistics(1, u"10", stats);
    statistics(12, u"-2", stats);
    QCOMPARE(stats.count(1), 1.0);
    QCOMPARE(stats.sum(12), -2.0);
    QCOMPARE(stats.count(2), 0.0);
    stats.clear();
    QCOMPARE(stats.count(1), 0.0);
    QCOMPARE(stats.maximum(1), 0.0);
}

void tst_Statistics::outOfRangeColumn() {
    StatisticsTable stats(12);
    QVERIFY_THROWS_EXCEPTION(Error, statistics(13, u"1", stats));
    QVERIFY_THROWS_EXCEPTION(Error, statistics(-1, u"1", stats));
}

void tst_Statistics::overflow() {
    StatisticsTable stats(1);
    statistics(1, u"1e308", stats);
    QVERIFY_THROWS_EXCEPTION(Error, statistics(1, u"1e308", stats));
}

void tst_Statistics::arctan_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("expected");
    QTest::newRow("origin") << 0.0 << 0.0 << 0.0;
    QTest::newRow("straight down") << 0.0 << -3.0 << -1.5707963267949;
    QTest::newRow("straight up") << 0.0 << 2.0 << 1.5707963267949;
    QTest::newRow("negative x axis") << -1.0 << 0.0 << 3.14159265358979;
    QTest::newRow("third quadrant") << -1.0 << -1.0 << std::atan(1.0) - 3.14159265358979;
    QTest::newRow("second quadrant") << -1.0 << 1.0 << std::atan(-1.0) + 3.14159265358979;
    QTest::newRow("first quadrant") << 1.0 << 1.0 << std::atan(1.0);
}

void tst_Statistics::arctan() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, expected);
    // Exact: the decimal constants must be used as they are, not pi.
    QCOMPARE(arctan2(x, y), expected);
}

QTEST_GUILESS_MAIN(tst_Statistics)
#include "tst_Statistics.moc"
