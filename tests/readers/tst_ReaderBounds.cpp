// What a hostile file can make a reader take is bounded: refused with a clear error.
#include "formats/readers/FormatDetector.h"

#include <QtTest>

using namespace rp::readers;

class tst_ReaderBounds : public QObject {
    Q_OBJECT
private slots:
    void refused_data();
    void refused();
    void warningsAreCapped();
};

void tst_ReaderBounds::refused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qsizetype>("line");
    QTest::addColumn<QString>("says");
    const QByteArray longLine(kMaxLineLength + 1, '1');
    QTest::newRow("long rdb line")
        << "agency_cd\tsite_no\tdv_dt\n" + longLine << qsizetype(2) << u"longer than"_qs;
    QTest::newRow("long csv line")
        << "date,value\n2020-01-01,1\n" + longLine << qsizetype(3) << u"longer than"_qs;
    QByteArray wide = "date";
    for (qsizetype i = 0; i <= kMaxSeries; ++i)
        wide += ",c" + QByteArray::number(i);
    wide += "\n2020-01-01" + QByteArray(",1").repeated(kMaxSeries + 1) + '\n';
    QTest::newRow("too many series") << wide << qsizetype(0) << u"series"_qs;
    QTest::newRow("no dates") << QByteArray("a,b\nc,d\n") << qsizetype(0) << u"No column"_qs;
}

void tst_ReaderBounds::refused() {
    QFETCH(QByteArray, text);
    QFETCH(qsizetype, line);
    QFETCH(QString, says);
    try {
        readAny(text);
        QFAIL("read");
    } catch (const ReadError& e) {
        QCOMPARE(e.line(), line);
        QVERIFY2(e.message().contains(says), qPrintable(e.message()));
    }
}

void tst_ReaderBounds::warningsAreCapped() {
    QByteArray text = "agency_cd\tsite_no\tdv_dt\tdv_va\tdv_cd\n";
    for (int i = 0; i < kMaxWarnings + 10; ++i)
        text += "<p>junk</p>\n";
    const ReadResult r = readAny(text);
    QCOMPARE(r.warnings.size(), kMaxWarnings + 1);
    QCOMPARE(r.droppedWarnings, 10);
    QCOMPARE(r.warnings.last().kind, WarningKind::Truncated);
}

QTEST_GUILESS_MAIN(tst_ReaderBounds)
#include "tst_ReaderBounds.moc"
