#include "core/base/Error.h"
#include "core/export/AcreFeet.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

namespace {

QByteArray lines(const QStringList& list) {
    QByteArray out;
    for (const QString& line : list)
        out += line.toLatin1() + "\r\n";
    return out;
}

} // namespace

class tst_AcreFeet : public QObject {
    Q_OBJECT
private slots:
    void converted_data();
    void converted();
    void monthDays_data();
    void monthDays();
    void notCfs();
    void malformed_data();
    void malformed();
    void fileReplacedWholeOrNotAtAll();
};

void tst_AcreFeet::converted_data() {
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("daily: whole, one and two decimals by size; an empty value stays empty")
        << QStringList{"2 1001 Kern River", "DAILY DISCHARGE, CFS", "01 MAR 1999 10",
                       "02 MAR 1999 0.4",   "03 MAR 1999 ",         "04 MAR 1999 4",
                       "05 MAR 1999 -10",   "06 MAR 1999 0"}
        << QStringList{"2 1001 Kern River", "DAILY DISCHARGE, ACRE-FEET",
                       "01 MAR 1999 20",    "02 MAR 1999 0.79",
                       "03 MAR 1999 ",      "04 MAR 1999 7.9",
                       "05 MAR 1999 -20",   "06 MAR 1999 0.00"};
    QTest::newRow("monthly: times the days of the month, every fourth year a leap year")
        << QStringList{"1 1001 Kern River", "MONTHLY DISCHARGE, CFS", "01 FEB 2000 1",
                       "01 FEB 1900 1",     "01 FEB 2001 1",          "01 APR 2001 1",
                       "01 DEC 2001 1"}
        << QStringList{"1 1001 Kern River", "MONTHLY DISCHARGE, ACRE-FEET",
                       "01 FEB 2000 58",    "01 FEB 1900 58",
                       "01 FEB 2001 56",    "01 APR 2001 60",
                       "01 DEC 2001 61"};
    QTest::newRow("hourly: per hour")
        << QStringList{"3 1001 Kern River", "HOURLY DISCHARGE, CFS", "10 MAR 1999 00:00 100",
                       "10 MAR 1999 01:00 "}
        << QStringList{"3 1001 Kern River", "HOURLY DISCHARGE, ACRE-FEET", "10 MAR 1999 00:00 8.3",
                       "10 MAR 1999 01:00 "};
    QTest::newRow("unit values: per hour, width 18")
        << QStringList{"4 1001 Kern River", "UNIT VALUES DISCHARGE, CFS", "05 Mar 1999 13:15 1000"}
        << QStringList{"4 1001 Kern River", "UNIT VALUES DISCHARGE, ACRE-FEET",
                       "05 Mar 1999 13:15 83"};
    QTest::newRow("yearly: per day; a date field without its trailing space")
        << QStringList{"0 1001 Kern River", "ANNUALY DISCHARGE, CFS", "01 JAN 2000"}
        << QStringList{"0 1001 Kern River", "ANNUALY DISCHARGE, ACRE-FEET", "01 JAN 2000"};
    QTest::newRow("text after CFS is dropped")
        << QStringList{"5 1001 Kern River", "DAILY MAXIMUM DISCHARGE, CFS (PROVISIONAL)",
                       "01 MAR 1999 1"}
        << QStringList{"5 1001 Kern River", "DAILY MAXIMUM DISCHARGE, ACRE-FEET",
                       "01 MAR 1999 2.0"};
}

void tst_AcreFeet::converted() {
    QFETCH(QStringList, input);
    QFETCH(QStringList, expected);
    QByteArray out;
    QVERIFY(convertToAcreFeet(lines(input), out));
    QCOMPARE(QString::fromLatin1(out), QString::fromLatin1(lines(expected)));
}

void tst_AcreFeet::monthDays_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::newRow("January") << 1 << 2001 << 31;
    QTest::newRow("February 2000") << 2 << 2000 << 29;
    QTest::newRow("February 1900") << 2 << 1900 << 29;
    QTest::newRow("February 2001") << 2 << 2001 << 28;
    QTest::newRow("September") << 9 << 2001 << 30;
    QTest::newRow("November") << 11 << 2001 << 30;
    QTest::newRow("December") << 12 << 2001 << 31;
    QTest::newRow("no month") << 13 << 2001 << 0;
}

void tst_AcreFeet::monthDays() {
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, days);
    QCOMPARE(acreFeetMonthDays(month, year), days);
}

void tst_AcreFeet::notCfs() {
    QByteArray out = "left over";
    QVERIFY(!convertToAcreFeet(lines({"2 1031 Lake", "DAILY STORAGE, ACRE-FEET", "01 MAR 1999 5"}),
                               out));
    QVERIFY(out.isEmpty());
    // Case matters: "cfs" is not the unit.
    QVERIFY(!convertToAcreFeet(lines({"2 1 x", "DAILY FLOW, cfs", "01 MAR 1999 5"}), out));
}

void tst_AcreFeet::malformed_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing second header line") << QByteArray("2 1001 Kern\r\n") << "Line 2";
    QTest::newRow("empty file") << QByteArray() << "Line 1";
    QTest::newRow("no time-step code") << QByteArray("x\r\nDAILY Q, CFS\r\n") << "Line 1";
    QTest::newRow("short line") << lines({"2 1", "DAILY Q, CFS", "01 MAR 1999 1", "01 MAR 5"})
                                << "Line 4";
    QTest::newRow("text value") << lines(
                                       {"2 1", "DAILY Q, CFS", "01 MAR 1999 1", "02 MAR 1999 abc"})
                                << "Line 4";
    QTest::newRow("number with trailing text")
        << lines({"2 1", "DAILY Q, CFS", "01 MAR 1999 12x"}) << "Line 3";
    // Found by fuzzing: the year went through int unchecked.
    QTest::newRow("monthly year with an exponent")
        << lines({"1 1", "MONTHLY Q, CFS", "01 JAN 1999 3", "01 FEB 1d99 12.5"}) << "Line 4";
    QTest::newRow("monthly year with an e exponent")
        << lines({"1 1", "MONTHLY Q, CFS", "01 FEB 1e99 12.5"}) << "Line 3";
    QTest::newRow("a value of a megabyte")
        << lines({"2 1", "DAILY Q, CFS", "01 MAR 1999 " + QString(1 << 20, u'7') + "x"})
        << "Line 3 of the series file: \"" + QString(80, u'7') + "...\"";
    QTest::newRow("a huge number")
        << lines({"2 1", "DAILY Q, CFS", "01 MAR 1999 1" + QString(400, u'0')}) << "Line 3";
}

void tst_AcreFeet::malformed() {
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    QByteArray out;
    try {
        convertToAcreFeet(input, out);
        QFAIL("malformed input was converted");
    } catch (const Error& e) {
        QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
        // At most 80 characters of the offending line are quoted.
        QVERIFY2(e.message().size() < 160, qPrintable(e.message().left(300)));
    }
}

void tst_AcreFeet::fileReplacedWholeOrNotAtAll() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lastout.txt");
    const auto writeFile = [&](const QByteArray& text) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    const auto readFile = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray bad = lines({"2 1", "DAILY Q, CFS", "01 MAR 1999 10", "02 MAR 1999 ten"});
    writeFile(bad);
    QVERIFY_THROWS_EXCEPTION(Error, convertFileToAcreFeet(path));
    QCOMPARE(readFile(), bad);

    writeFile(lines({"2 1", "DAILY Q, CFS", "01 MAR 1999 10"}));
    QVERIFY(convertFileToAcreFeet(path));
    QCOMPARE(readFile(), lines({"2 1", "DAILY Q, ACRE-FEET", "01 MAR 1999 20"}));
    // Nothing is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"lastout.txt"});
    // A second conversion finds no CFS and leaves the file as it is.
    QVERIFY(!convertFileToAcreFeet(path));
    QCOMPARE(readFile(), lines({"2 1", "DAILY Q, ACRE-FEET", "01 MAR 1999 20"}));
    QVERIFY_THROWS_EXCEPTION(Error, convertFileToAcreFeet(dir.filePath("missing.txt")));
}

QTEST_GUILESS_MAIN(tst_AcreFeet)
#include "tst_AcreFeet.moc"
