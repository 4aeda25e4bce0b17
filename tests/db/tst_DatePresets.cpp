#include "core/base/Error.h"
#include "core/base/TimeStep.h"
#include "core/hdb/DatePresets.h"

#include <QtTest>

using namespace rp;

class tst_DatePresets : public QObject {
    Q_OBJECT
private slots:
    void presets_data();
    void presets();
    void outOfRange();
};

void tst_DatePresets::presets_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    const QDate jan(2013, 1, 15);
    QTest::newRow("15 Jan 2013 current day") << jan << 0 << "15-Jan-2013"
                                             << "15-Jan-2013";
    QTest::newRow("15 Jan 2013 yesterday") << jan << 1 << "14-Jan-2013"
                                           << "15-Jan-2013";
    QTest::newRow("15 Jan 2013 last 7 days") << jan << 2 << "09-Jan-2013"
                                             << "15-Jan-2013";
    QTest::newRow("15 Jan 2013 last 30 days") << jan << 3 << "17-Dec-2012"
                                              << "15-Jan-2013";
    QTest::newRow("15 Jan 2013 month to date") << jan << 4 << "01-Jan-2013"
                                               << "15-Jan-2013";
    QTest::newRow("15 Jan 2013 year to date") << jan << 5 << "01-Jan-2013"
                                              << "15-Jan-2013";
    QTest::newRow("15 Jan 2013 previous year") << jan << 6 << "01-Jan-2012"
                                               << "31-Dec-2012";
    QTest::newRow("15 Jan 2013 last month") << jan << 7 << "01-Dec-2012"
                                            << "15-Jan-2013";
    const QDate mar(2012, 3, 1);
    QTest::newRow("1 Mar 2012 current day") << mar << 0 << "01-Mar-2012"
                                            << "01-Mar-2012";
    QTest::newRow("1 Mar 2012 yesterday, leap day") << mar << 1 << "29-Feb-2012"
                                                    << "01-Mar-2012";
    QTest::newRow("1 Mar 2012 last 7 days") << mar << 2 << "24-Feb-2012"
                                            << "01-Mar-2012";
    QTest::newRow("1 Mar 2012 last 30 days") << mar << 3 << "01-Feb-2012"
                                             << "01-Mar-2012";
    QTest::newRow("1 Mar 2012 month to date") << mar << 4 << "01-Mar-2012"
                                              << "01-Mar-2012";
    QTest::newRow("1 Mar 2012 year to date") << mar << 5 << "01-Jan-2012"
                                             << "01-Mar-2012";
    QTest::newRow("1 Mar 2012 previous year") << mar << 6 << "01-Jan-2011"
                                              << "31-Dec-2011";
    QTest::newRow("1 Mar 2012 last month") << mar << 7 << "01-Feb-2012"
                                           << "01-Mar-2012";
    QTest::newRow("31 Mar last month") << QDate(2013, 3, 31) << 7 << "01-Feb-2013"
                                       << "31-Mar-2013";
    QTest::newRow("water year, January") << jan << 8 << "01-Oct-2012"
                                         << "30-Sep-2013";
    QTest::newRow("previous water year, January") << jan << 9 << "01-Oct-2011"
                                                  << "30-Sep-2012";
    QTest::newRow("water year, 30 September") << QDate(2013, 9, 30) << 8 << "01-Oct-2012"
                                              << "30-Sep-2013";
    QTest::newRow("water year, 1 October begins the next")
        << QDate(2013, 10, 1) << 8 << "01-Oct-2013"
        << "30-Sep-2014";
    QTest::newRow("previous water year, December") << QDate(2013, 12, 31) << 9 << "01-Oct-2012"
                                                   << "30-Sep-2013";
}

void tst_DatePresets::presets() {
    QFETCH(QDate, today);
    QFETCH(int, index);
    QFETCH(QString, start);
    QFETCH(QString, end);
    const DateRange range = datePreset(index, today);
    QCOMPARE(jetDateText(range.start), start);
    QCOMPARE(jetDateText(range.end), end);
}

void tst_DatePresets::outOfRange() {
    QVERIFY_THROWS_EXCEPTION(Error, datePreset(10, QDate(2013, 1, 15)));
    QVERIFY_THROWS_EXCEPTION(Error, datePreset(-1, QDate(2013, 1, 15)));
    QCOMPARE(datePresetCaption(7), QStringLiteral("Last Month to date"));
    QCOMPARE(datePresetCaption(8), QStringLiteral("Current water year"));
    QCOMPARE(datePresetCaption(9), QStringLiteral("Previous water year"));
}

QTEST_GUILESS_MAIN(tst_DatePresets)
#include "tst_DatePresets.moc"
