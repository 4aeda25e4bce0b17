#include "core/chart/SeriesReduction.h"

#include <QtTest>
#include <cmath>

using namespace rp;

class tst_SeriesReduction : public QObject {
    Q_OBJECT
private slots:
    void shortSeriesKeepsEveryPoint();
    void peaksSurvive_data();
    void peaksSurvive();
    void gaps_data();
    void gaps();
};

void tst_SeriesReduction::shortSeriesKeepsEveryPoint() {
    const std::vector<double> v{1, 2, 3, 4};
    const std::vector<std::uint8_t> n(4, 0);
    const auto s = reduceForDisplay(v, n, 0, 3, 100);
    QCOMPARE(s.size(), size_t(1));
    QCOMPARE(s[0].size(), size_t(4));
    QCOMPARE(s[0][2], QPointF(2, 3));
}

void tst_SeriesReduction::peaksSurvive_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("peakRow");
    QTest::newRow("ten years in 800 columns") << 350640 << 800 << 123457;
    QTest::newRow("peak at the start") << 10000 << 300 << 0;
    QTest::newRow("peak at the end") << 10000 << 300 << 9999;
}

void tst_SeriesReduction::peaksSurvive() {
    QFETCH(int, rows);
    QFETCH(int, pixels);
    QFETCH(int, peakRow);
    std::vector<double> v(rows);
    for (int i = 0; i < rows; ++i)
        v[i] = std::sin(i * 0.01) * 10;
    v[peakRow] = 1000;
    v[(peakRow + rows / 2) % rows] = -1000;
    const std::vector<std::uint8_t> n(rows, 0);
    const auto segments = reduceForDisplay(v, n, 0, rows - 1, pixels);
    QCOMPARE(segments.size(), size_t(1));
    const SeriesSegment& s = segments[0];
    QVERIFY(s.size() <= size_t(2 * pixels + 2));
    QVERIFY(std::is_sorted(s.begin(), s.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    QVERIFY(
        std::any_of(s.begin(), s.end(), [&](QPointF p) { return p == QPointF(peakRow, 1000); }));
    QVERIFY(std::any_of(s.begin(), s.end(), [](QPointF p) { return p.y() == -1000; }));
}

void tst_SeriesReduction::gaps_data() {
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("gapLength");
    QTest::addColumn<int>("segments");
    QTest::newRow("no reduction, one null") << 0 << 1 << 2;
    QTest::newRow("reduced, gap wider than a column") << 100 << 50 << 2;
    QTest::newRow("reduced, gap narrower than a column") << 100 << 3 << 1;
}

void tst_SeriesReduction::gaps() {
    QFETCH(int, pixels);
    QFETCH(int, gapLength);
    QFETCH(int, segments);
    const int rows = 1000;
    std::vector<double> v(rows, 1.0);
    std::vector<std::uint8_t> n(rows, 0);
    for (int i = 500; i < 500 + gapLength; ++i)
        n[i] = 1;
    const auto s = reduceForDisplay(v, n, 0, rows - 1, pixels);
    QCOMPARE(int(s.size()), segments);
    for (const SeriesSegment& seg : s)
        for (QPointF p : seg)
            QVERIFY(!n[int(p.x())]);
}

QTEST_GUILESS_MAIN(tst_SeriesReduction)
#include "tst_SeriesReduction.moc"
