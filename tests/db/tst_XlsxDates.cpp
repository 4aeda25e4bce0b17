#include "core/base/JetDate.h"
#include "formats/xlsx/XlsxDates.h"

#include <QTest>

using namespace rp;

class TestXlsxDates : public QObject {
    Q_OBJECT
private slots:
    void dateFormats_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("general") << 0 << "" << false;
        QTest::newRow("built-in 14") << 14 << "" << true;
        QTest::newRow("built-in 22") << 22 << "" << true;
        QTest::newRow("built-in 23 is not") << 23 << "" << false;
        QTest::newRow("built-in 45") << 45 << "" << true;
        QTest::newRow("built-in 47") << 47 << "" << true;
        QTest::newRow("built-in 48 is not") << 48 << "" << false;
        QTest::newRow("General text") << 164 << "General" << false;
        QTest::newRow("iso") << 164 << "yyyy\\-mm\\-dd" << true;
        QTest::newRow("upper case") << 164 << "DD/MM/YYYY" << true;
        QTest::newRow("time only") << 164 << "hh:mm:ss" << true;
        QTest::newRow("elapsed hours") << 164 << "[h]:mm" << true;
        QTest::newRow("quoted letters") << 164 << "0.00\"days\"" << false;
        QTest::newRow("colour bracket") << 164 << "[Red]#,##0.00" << false;
        QTest::newRow("locale bracket") << 164 << "[$-409]0.00" << false;
        QTest::newRow("escaped letter") << 164 << "0\\ \\h" << false;
        QTest::newRow("padding and fill") << 164 << "0_d*s" << false;
        QTest::newRow("scientific") << 164 << "0.00E+00" << false;
        QTest::newRow("text") << 49 << "@" << false;
        QTest::newRow("date after quotes") << 164 << "\"on \"d mmm" << true;
    }
    void dateFormats() {
        QFETCH(int, id);
        QFETCH(QString, code);
        QFETCH(bool, isDate);
        QCOMPARE(isDateNumberFormat(id, code), isDate);
    }

    void serials_data() {
        QTest::addColumn<double>("serial");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QDateTime>("expected");
        const auto at = [](int y, int m, int d, int h = 0, int min = 0, int s = 0) {
            return naiveDateTime(QDate(y, m, d), QTime(h, min, s));
        };
        QTest::newRow("05-Mar-1999") << 36224.0 << false << at(1999, 3, 5);
        QTest::newRow("06:15") << 36224.260416666664 << false << at(1999, 3, 5, 6, 15);
        QTest::newRow("last second") << 36224.99998842592 << false << at(1999, 3, 5, 23, 59, 59);
        QTest::newRow("1-Jan-1900") << 1.0 << false << at(1900, 1, 1);
        QTest::newRow("28-Feb-1900") << 59.0 << false << at(1900, 2, 28);
        QTest::newRow("phantom 29-Feb-1900") << 60.0 << false << at(1900, 2, 28);
        QTest::newRow("1-Mar-1900") << 61.0 << false << at(1900, 3, 1);
        QTest::newRow("time of day only") << 0.75 << false << at(1899, 12, 30, 18);
        QTest::newRow("1904 zero") << 0.0 << true << at(1904, 1, 1);
        QTest::newRow("1904 system") << 34762.0 << true << at(1999, 3, 5);
        QTest::newRow("31-Dec-9999") << 2958465.0 << false << at(9999, 12, 31);
    }
    void serials() {
        QFETCH(double, serial);
        QFETCH(bool, date1904);
        QFETCH(QDateTime, expected);
        const auto dt = dateTimeFromSerial(serial, date1904);
        QVERIFY(dt.has_value());
        QCOMPARE(*dt, expected);
        QCOMPARE(dt->timeSpec(), Qt::UTC);
    }

    void serialsOutOfRange_data() {
        QTest::addColumn<double>("serial");
        QTest::newRow("beyond 9999") << 2958466.0;
        QTest::newRow("huge") << 1e300;
        QTest::newRow("not a number") << std::nan("");
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    }
    void serialsOutOfRange() {
        QFETCH(double, serial);
        QVERIFY(!dateTimeFromSerial(serial).has_value());
    }

    // Writing then reading gives back the same moment, around the 1900 leap-year quirk too.
    void serialRoundTrip_data() {
        QTest::addColumn<QDateTime>("dateTime");
        QTest::newRow("modern") << naiveDateTime(QDate(2021, 7, 14), QTime(13, 45, 30, 250));
        QTest::newRow("1-Jan-1900") << naiveDateTime(QDate(1900, 1, 1));
        QTest::newRow("28-Feb-1900 noon") << naiveDateTime(QDate(1900, 2, 28), QTime(12, 0));
        QTest::newRow("1-Mar-1900") << naiveDateTime(QDate(1900, 3, 1));
        QTest::newRow("before 1900") << naiveDateTime(QDate(1850, 6, 1), QTime(6, 0));
        QTest::newRow("time of day") << naiveDateTime(QDate(1899, 12, 30), QTime(6, 30));
    }
    void serialRoundTrip() {
        QFETCH(QDateTime, dateTime);
        const auto back = dateTimeFromSerial(serialFromDateTime(dateTime));
        QVERIFY(back.has_value());
        QCOMPARE(*back, dateTime);
    }
};

QTEST_GUILESS_MAIN(TestXlsxDates)
#include "tst_XlsxDates.moc"
