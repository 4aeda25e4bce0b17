#include "core/base/Error.h"
#include "core/reports/WindDirection.h"

#include <QTest>

using namespace rp;

class tst_WindDirection : public QObject {
    Q_OBJECT
private slots:
    void labels_data();
    void labels();
    void vectorMean_data();
    void vectorMean();
    void mode_data();
    void mode();
    void zeroCountsAsNorth();
    void rejectsOutOfRange();
};

void tst_WindDirection::labels_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("0") << 0.0 << "North";
    QTest::newRow("0.25") << 0.25 << "NNE";
    QTest::newRow("0.75") << 0.75 << "ENE";
    QTest::newRow("1") << 1.0 << "East";
    QTest::newRow("2") << 2.0 << "South";
    QTest::newRow("2.25") << 2.25 << "SSW";
    QTest::newRow("3") << 3.0 << "West";
    QTest::newRow("3.75") << 3.75 << "NNW";
    QTest::newRow("4") << 4.0 << "North";
    // Between two points the six-character window falls across two labels.
    QTest::newRow("0.125") << 0.125 << "rth NN";
    QTest::newRow("beyond 4") << 5.0 << "";
}

void tst_WindDirection::labels() {
    QFETCH(double, value);
    QTEST(compassLabel(value), "label");
}

void tst_WindDirection::vectorMean_data() {
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("mean");
    QTest::addColumn<bool>("null");
    QTest::newRow("NNW and NNE is north") << QList<double>{3.75, 0.25} << 4.0 << false;
    QTest::newRow("all south") << QList<double>{2, 2, 2} << 2.0 << false;
    QTest::newRow("north and south is east") << QList<double>{0, 2} << 1.0 << false;
    QTest::newRow("single west") << QList<double>{3} << 3.0 << false;
    QTest::newRow("no data is north") << QList<double>{} << 4.0 << true;
    QTest::newRow("north") << QList<double>{0, 4} << 4.0 << false;
    QTest::newRow("east and south-east") << QList<double>{1, 1.5} << 1.25 << false;
    QTest::newRow("just east of north rounds to north") << QList<double>{0.05} << 0.0 << false;
}

void tst_WindDirection::vectorMean() {
    QFETCH(QList<double>, values);
    DirectionTable table(1);
    for (double v : values)
        table.add(1, v);
    QTEST(table.vectorMean(1), "mean");
    QTEST(table.isNull(1), "null");
}

void tst_WindDirection::mode_data() {
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("index");
    QTest::newRow("single") << QList<double>{2} << 0 << 8;
    QTest::newRow("most frequent") << QList<double>{1, 2, 2, 3} << 0 << 8;
    QTest::newRow("NNE beats north on a tie") << QList<double>{0, 0.25} << 0 << 1;
    QTest::newRow("tie goes to the lowest") << QList<double>{3, 1, 3, 1} << 0 << 4;
    QTest::newRow("no data keeps previous") << QList<double>{} << 12 << 12;
}

void tst_WindDirection::mode() {
    QFETCH(QList<double>, values);
    QFETCH(int, previous);
    DirectionTable table(1);
    for (double v : values)
        table.add(1, v);
    QTEST(modeIndex(table.counts(1), previous), "index");
}

void tst_WindDirection::zeroCountsAsNorth() {
    DirectionTable table(13);
    table.add(5, 0);
    QCOMPARE(table.counts(5)[16], 1);
    QCOMPARE(table.counts(5)[0], 0);
    QCOMPARE(table.cosineSum(5), 1.0);
    QCOMPARE(table.sineSum(5), 0.0);
    QCOMPARE(compassIndex(4), 16);
}

void tst_WindDirection::rejectsOutOfRange() {
    DirectionTable table(1);
    QVERIFY_THROWS_EXCEPTION(Error, table.add(1, -0.5));
    QVERIFY_THROWS_EXCEPTION(Error, table.add(1, 4.5));
}

QTEST_GUILESS_MAIN(tst_WindDirection)
#include "tst_WindDirection.moc"
