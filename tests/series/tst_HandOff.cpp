#include "SeriesRecords.h"
#include "core/base/Error.h"
#include "core/series/HandOff.h"
#include "core/series/SeriesSession.h"
#include "core/series/TableDump.h"

#include <QBuffer>
#include <QtTest>

using namespace rp;

class tst_HandOff : public QObject {
    Q_OBJECT
private slots:
    void header_data();
    void header();
    void session_data();
    void session();
    void tableDump();
};

void tst_HandOff::header_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<bool>("acft");
    QTest::newRow("daily CFS") << 2 << "1001 Kern River; DISCHARGE, CFS"
                               << "2 1001 Kern River"
                               << "DAILY DISCHARGE, CFS" << true;
    QTest::newRow("CFS only in capitals") << 0 << "1 A; FLOW, cfs"
                                          << "0 1 A"
                                          << "ANNUALY FLOW, cfs" << false;
    QTest::newRow("CFS in the site half does not count") << 3 << "1 CFS Gage; STAGE, FT"
                                                         << "3 1 CFS Gage"
                                                         << "HOURLY STAGE, FT" << false;
    QTest::newRow("second ; stays in the parameter") << 5 << "1 A; B; C, KCFS"
                                                     << "5 1 A"
                                                     << "DAILY MAXIMUM B; C, KCFS" << true;
}

void tst_HandOff::header() {
    QFETCH(int, step);
    QFETCH(QString, description);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    QFETCH(bool, acft);
    const SeriesHeader h = seriesHeader(timeStepFromIndex(step), description);
    QCOMPARE(h.line1, line1);
    QCOMPARE(h.line2, line2);
    SeriesSession session;
    QCOMPARE(handOffStates(timeStepFromIndex(step), h, session).acftEnabled, acft);
}

void tst_HandOff::session_data() {
    QTest::addColumn<QString>("lastHeading");
    QTest::addColumn<int>("seriesCount");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("addline");
    QTest::addColumn<int>("countAfter");
    QTest::addColumn<bool>("cumulativeAfter");
    QTest::newRow("same heading, chart shows series") << "DAILY" << 2 << 2 << true << 2 << true;
    QTest::newRow("same heading, graph closed") << "DAILY" << 0 << 2 << false << 0 << false;
    QTest::newRow("other heading") << "HOURLY" << 2 << 2 << false << 0 << false;
    QTest::newRow("first hand-off") << "" << 0 << 4 << false << 0 << false;
}

void tst_HandOff::session() {
    QFETCH(QString, lastHeading);
    QFETCH(int, seriesCount);
    QFETCH(int, step);
    QFETCH(bool, addline);
    QFETCH(int, countAfter);
    QFETCH(bool, cumulativeAfter);
    SeriesSession s{seriesCount, true, 0, lastHeading};
    const TimeStep t = timeStepFromIndex(step);
    const DialogStates states = handOffStates(t, seriesHeader(t, "1 A; Q, CFS"), s);
    QCOMPARE(states.addlineEnabled, addline);
    QCOMPARE(s.seriesCount, countAfter);
    QCOMPARE(s.cumulative, cumulativeAfter);
    QCOMPARE(s.lastHeading, QLatin1String(timeStepInfo(t).heading));
}

void tst_HandOff::tableDump() {
    const auto records = test::seriesRecords({"1999-03-05=1.5", "1999-03-06 07:15="});
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    writeTableDump(*records, out);
    QCOMPARE(out.data(), QByteArray("datatype_site_id\tdate_time\tvalue\tsource\t\r\n"
                                    "1001\t3/5/1999\t1.5\t34\t\r\n"
                                    "1001\t3/6/1999 7:15:00 AM\t\t34\t\r\n"));
}

QTEST_GUILESS_MAIN(tst_HandOff)
#include "tst_HandOff.moc"
