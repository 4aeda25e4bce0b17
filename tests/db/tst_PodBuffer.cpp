#include "core/base/PodBuffer.h"

#include <QTest>

using namespace rp;

namespace {

// Value i of a buffer, so that a lost or misplaced value shows.
qint64 valueAt(size_t i) {
    return qint64(i) * 2654435761 + 7;
}

void fill(PodBuffer<qint64>& buffer, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        buffer.push_back(valueAt(i));
}

bool holds(const PodBuffer<qint64>& buffer, size_t count) {
    if (buffer.size() != count || buffer.capacity() < count)
        return false;
    for (size_t i = 0; i < count; ++i)
        if (buffer[i] != valueAt(i))
            return false;
    return true;
}

} // namespace

// Large blocks live in their own mappings and small ones on the heap: values must survive every
// move between the two.
class TestPodBuffer : public QObject {
    Q_OBJECT
private slots:
    void valuesSurviveGrowingAndShrinking_data() {
        QTest::addColumn<int>("grown");   // values pushed one by one
        QTest::addColumn<int>("kept");    // values left by pop_back before shrink_to_fit
        QTest::addColumn<int>("regrown"); // values after pushing again
        QTest::newRow("small") << 1000 << 600 << 5000;
        QTest::newRow("heap to mapped") << 200000 << 200000 << 700000;
        QTest::newRow("mapped shrinks in place") << 700000 << 500000 << 900000;
        QTest::newRow("mapped back to heap") << 700000 << 1000 << 2000;
        QTest::newRow("mapped emptied") << 700000 << 0 << 300000;
    }
    void valuesSurviveGrowingAndShrinking() {
        QFETCH(int, grown);
        QFETCH(int, kept);
        QFETCH(int, regrown);
        PodBuffer<qint64> buffer;
        fill(buffer, 0, size_t(grown));
        QVERIFY(holds(buffer, size_t(grown)));
        while (buffer.size() > size_t(kept))
            buffer.pop_back();
        buffer.shrink_to_fit();
        QVERIFY(holds(buffer, size_t(kept)));
        QVERIFY(buffer.capacity() - buffer.size() < 4096 / sizeof(qint64));
        fill(buffer, size_t(kept), size_t(regrown));
        QVERIFY(holds(buffer, size_t(regrown)));
        PodBuffer<qint64> moved(std::move(buffer));
        QVERIFY(holds(moved, size_t(regrown)));
        QCOMPARE(buffer.size(), size_t(0));
    }

    void reserveKeepsValues_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("reserved");
        QTest::newRow("heap to mapped") << 1000 << 1000000;
        QTest::newRow("mapped to larger mapping") << 400000 << 3000000;
    }
    void reserveKeepsValues() {
        QFETCH(int, count);
        QFETCH(int, reserved);
        PodBuffer<qint64> buffer;
        fill(buffer, 0, size_t(count));
        buffer.reserve(size_t(reserved));
        QVERIFY(buffer.capacity() >= size_t(reserved));
        QVERIFY(holds(buffer, size_t(count)));
        fill(buffer, size_t(count), size_t(reserved));
        QVERIFY(holds(buffer, size_t(reserved)));
    }
};

QTEST_GUILESS_MAIN(TestPodBuffer)
#include "tst_PodBuffer.moc"
