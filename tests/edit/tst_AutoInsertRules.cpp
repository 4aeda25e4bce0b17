#include "core/base/Error.h"
#include "core/edit/AutoInsertRules.h"
#include "core/edit/DateAdvance.h"
#include "core/edit/RecordEditor.h"
#include "core/edit/RowBuffer.h"

#include <QtTest>

using namespace rp;

class tst_AutoInsertRules : public QObject {
    Q_OBJECT
private slots:
    void advanceDateText_data();
    void advanceDateText();
    void unreadableDates_data();
    void unreadableDates();
    void advancedRecord_data();
    void advancedRecord();
    void insertionTemplate_data();
    void insertionTemplate();
    void leadingEmptyCells_data();
    void leadingEmptyCells();
    void datedLayout_data();
    void datedLayout();
    void rowBuffer();
    void helpText();
};

void tst_AutoInsertRules::advanceDateText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    QTest::newRow("year") << "1/1/2000"
                          << "y" << 1 << "1/1/2001";
    QTest::newRow("leap day + year") << "2/29/2000"
                                     << "y" << 1 << "2/28/2001";
    QTest::newRow("month") << "1/1/2010"
                           << "m" << 1 << "2/1/2010";
    QTest::newRow("month end clamps") << "1/31/2000"
                                      << "m" << 1 << "2/29/2000";
    QTest::newRow("december to january") << "12/1/2009"
                                         << "m" << 1 << "1/1/2010";
    QTest::newRow("day") << "3/10/2010"
                         << "d" << 1 << "3/11/2010";
    QTest::newRow("day over year end") << "12/31/1999"
                                       << "d" << 1 << "1/1/2000";
    QTest::newRow("hour") << "1/31/2010 11:00:00 PM"
                          << "h" << 1 << "2/1/2010";
    QTest::newRow("15 minutes") << "1/31/2010 11:45:00 PM"
                                << "n" << 15 << "2/1/2010";
    QTest::newRow("30 minutes") << "1/31/2010 7:00:00 AM"
                                << "n" << 30 << "1/31/2010 7:30:00 AM";
    QTest::newRow("60 minutes past noon") << "1/31/2010 11:00:00 AM"
                                          << "n" << 60 << "1/31/2010 12:00:00 PM";
    QTest::newRow("time kept by a day step") << "3/10/2010 7:15:00 AM"
                                             << "d" << 1 << "3/11/2010 7:15:00 AM";
    QTest::newRow("dd-mmm-yyyy read") << "10-Mar-2010"
                                      << "d" << 1 << "3/11/2010";
}

void tst_AutoInsertRules::advanceDateText() {
    QFETCH(QString, text);
    QFETCH(QString, interval);
    QFETCH(int, count);
    QFETCH(QString, expected);
    QCOMPARE(rp::advanceDateText(text, interval, count), expected);
}

void tst_AutoInsertRules::unreadableDates_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("interval");
    QTest::newRow("not a date") << "abc"
                                << "d";
    QTest::newRow("empty date") << ""
                                << "d";
    QTest::newRow("not on the calendar") << "2/30/2010"
                                         << "d";
    QTest::newRow("empty interval (own SQL)") << "3/10/2010"
                                              << "";
    QTest::newRow("unknown interval") << "3/10/2010"
                                      << "w";
}

void tst_AutoInsertRules::unreadableDates() {
    QFETCH(QString, text);
    QFETCH(QString, interval);
    try {
        rp::advanceDateText(text, interval, 1);
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY(!e.message().isEmpty());
    }
}

void tst_AutoInsertRules::advancedRecord_data() {
    QTest::addColumn<QStringList>("buffer");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<int>("stepCount");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("daily") << QStringList{"1001", "3/10/2010", "12.5", "5"} << 2 << "d" << 1
                           << QStringList{"1001", "3/11/2010", "12.5", "5"};
    QTest::newRow("unit 15") << QStringList{"1001", "1/31/2010 7:45:00 AM", "1", "5"} << 4 << "n"
                             << 15 << QStringList{"1001", "1/31/2010 8:00:00 AM", "1", "5"};
    QTest::newRow("yearly") << QStringList{"1001", "1/1/2000", "7", "1"} << 0 << "y" << 1
                            << QStringList{"1001", "1/1/2001", "7", "1"};
    QTest::newRow("daymax: next day, value kept")
        << QStringList{"1001", "1/31/2010 3:15:00 PM", "40", "5"} << 5 << "d" << 1
        << QStringList{"1001", "2/1/2010", "40", "5"};
    QTest::newRow("daymin: date in column 2 moves too")
        << QStringList{"1001", "1/31/2010", "1/31/2010 4:00:00 AM", "5"} << 6 << "d" << 1
        << QStringList{"1001", "2/1/2010", "2/1/2010 4:00:00 AM", "5"};
    QTest::newRow("extra columns kept") << QStringList{"1", "5/1/2010", "", "5", "x"} << 1 << "m"
                                        << 1 << QStringList{"1", "6/1/2010", "", "5", "x"};
}

void tst_AutoInsertRules::advancedRecord() {
    QFETCH(QStringList, buffer);
    QFETCH(int, step);
    QFETCH(QString, interval);
    QFETCH(int, stepCount);
    QFETCH(QStringList, expected);
    QCOMPARE(rp::advancedRecord(buffer, timeStepFromIndex(step), interval, stepCount), expected);
}

void tst_AutoInsertRules::insertionTemplate_data() {
    QTest::addColumn<QStringList>("last");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("34 becomes 5") << QStringList{"1001", "3/10/2010", "4", "34"}
                                  << QStringList{"1001", "3/10/2010", "4", "5"};
    QTest::newRow("other marks kept") << QStringList{"1001", "3/10/2010", "34", "1"}
                                      << QStringList{"1001", "3/10/2010", "34", "1"};
    QTest::newRow("only an exact 34") << QStringList{"1001", "3/10/2010", "4", "340"}
                                      << QStringList{"1001", "3/10/2010", "4", "340"};
    QTest::newRow("the last column, whatever its name")
        << QStringList{"1001", "3/10/2010", "4", "5", "34"}
        << QStringList{"1001", "3/10/2010", "4", "5", "5"};
}

void tst_AutoInsertRules::insertionTemplate() {
    QFETCH(QStringList, last);
    QFETCH(QStringList, expected);
    QCOMPARE(rp::insertionTemplate(last), expected);
}

void tst_AutoInsertRules::leadingEmptyCells_data() {
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<int>("expected");
    QTest::newRow("all empty") << QStringList{"", "", "", ""} << 4;
    QTest::newRow("first typed") << QStringList{"1001", "", "", ""} << 0;
    QTest::newRow("value typed") << QStringList{"", "", "7", ""} << 2;
    QTest::newRow("no columns") << QStringList{} << 0;
}

void tst_AutoInsertRules::leadingEmptyCells() {
    QFETCH(QStringList, row);
    QFETCH(int, expected);
    QCOMPARE(rp::leadingEmptyCells(row), expected);
}

void tst_AutoInsertRules::datedLayout_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("expected");
    QTest::newRow("date_time") << "date_time" << true;
    QTest::newRow("capital Date is not it") << "Date_Time" << false;
    QTest::newRow("site list") << "station_id" << false;
    QTest::newRow("no column") << "" << false;
}

void tst_AutoInsertRules::datedLayout() {
    QFETCH(QString, caption);
    QFETCH(bool, expected);
    QCOMPARE(rp::isDatedLayout(caption), expected);
}

void tst_AutoInsertRules::rowBuffer() {
    RowBuffer buffer;
    QVERIFY(!buffer.exists());
    QVERIFY(!buffer.insertionPending());
    QVERIFY_THROWS_EXCEPTION(Error, buffer.element(0));
    buffer.set({"1001", "3/10/2010", "4", "5"});
    QVERIFY(buffer.insertionPending());
    buffer.endInsertion();
    QVERIFY(!buffer.insertionPending());
    QCOMPARE(buffer.elements(), (QStringList{"1001", "", "4", "5"}));
    QVERIFY_THROWS_EXCEPTION(Error, buffer.element(4));
}

void tst_AutoInsertRules::helpText() {
    const QString five = editHelpText(false);
    QCOMPARE(five.count(QLatin1Char('\n')), 6);
    QVERIFY(five.endsWith(QStringLiteral("5) Select 'Paste Record'\n")));
    const QString six = editHelpText(true);
    QVERIFY(six.startsWith(five));
    QVERIFY(six.endsWith(QStringLiteral(
        "6) Edit datatype_site_id to unique value before leaving this new record.")));
}

QTEST_GUILESS_MAIN(tst_AutoInsertRules)
#include "tst_AutoInsertRules.moc"
