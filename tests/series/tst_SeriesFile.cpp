#include "SeriesRecords.h"
#include "core/base/Error.h"
#include "core/series/SeriesFile.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp;
using rp::test::crlfLines;
using rp::test::seriesRecords;

class tst_SeriesFile : public QObject {
    Q_OBJECT
private slots:
    void golden_data();
    void golden();
    void valuesPerDay_data();
    void valuesPerDay();
    void refused_data();
    void refused();
    void failedWriteKeepsPreviousFile();
    void handOffReportsAndStops_data();
    void handOffReportsAndStops();
};

namespace {

const QString flow = QStringLiteral("1001 Kern River; DISCHARGE, CFS");

QByteArray written(const QStringList& rows, TimeStep step, const QString& start, const QString& end,
                   const QString& description, int* perDay = nullptr) {
    const auto records = seriesRecords(rows);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const int count = writeSeriesFile(*records, {step, start, end, description}, out);
    if (perDay)
        *perDay = count;
    return out.data();
}

} // namespace

void tst_SeriesFile::golden_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected");

    QStringList march;
    for (int d = 1; d <= 10; ++d)
        if (d != 4)
            march << QStringLiteral("1999-03-%1=%2").arg(d, 2, 10, QChar('0')).arg(d * 1.5);
    QTest::newRow("day: a missing day has its date alone, nothing after the last record")
        << 2 << "01-Mar-1999"
        << "15-Mar-1999" << flow << march
        << QStringList{"2 1001 Kern River", "DAILY DISCHARGE, CFS", "01 MAR 1999 1.5",
                       "02 MAR 1999 3",     "03 MAR 1999 4.5",      "04 MAR 1999 ",
                       "05 MAR 1999 7.5",   "06 MAR 1999 9",        "07 MAR 1999 10.5",
                       "08 MAR 1999 12",    "09 MAR 1999 13.5",     "10 MAR 1999 15"};

    QStringList monthly{"2001-03-01=10", "2001-04-01=20.25", "2001-05-01=30"};
    QStringList months{"1 1001 Kern River", "MONTHLY DISCHARGE, CFS"};
    const char* names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                           "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int year : {2001, 2002})
        for (int m = 0; m < 12; ++m) {
            QString line = QStringLiteral("01 %1 %2 ").arg(QLatin1String(names[m])).arg(year);
            if (year == 2001 && m == 2)
                line += "10";
            if (year == 2001 && m == 3)
                line += "20.25";
            if (year == 2001 && m == 4)
                line += "30";
            months << line;
        }
    QTest::newRow("month: January of the first year to December of the end year")
        << 1 << "01-Feb-2001"
        << "31-Dec-2002" << flow << monthly << months;

    QTest::newRow("year: from the start year, two empty years first")
        << 0 << "01-Jan-2000"
        << "31-Dec-2003" << flow << QStringList{"2002-01-01=1234567", "2003-01-01=0.5"}
        << QStringList{"0 1001 Kern River", "ANNUALY DISCHARGE, CFS", "01 JAN 2000 ",
                       "01 JAN 2001 ",      "01 JAN 2002 1234567",    "01 JAN 2003 0.5"};

    QTest::newRow("hour: from 00:00 of the first day to the last record's hour")
        << 3 << "10-Mar-1999"
        << "10-Mar-1999"
        << "7 Gage; STAGE, FEET"
        << QStringList{"1999-03-10 05:00=1", "1999-03-10 06:00=2", "1999-03-10 08:00=4"}
        << QStringList{"3 7 Gage",           "HOURLY STAGE, FEET",  "10 MAR 1999 00:00 ",
                       "10 MAR 1999 01:00 ", "10 MAR 1999 02:00 ",  "10 MAR 1999 03:00 ",
                       "10 MAR 1999 04:00 ", "10 MAR 1999 05:00 1", "10 MAR 1999 06:00 2",
                       "10 MAR 1999 07:00 ", "10 MAR 1999 08:00 4"};

    QTest::newRow("hour: a record on the day after the end day is written")
        << 3 << "10-Mar-1999"
        << "10-Mar-1999" << flow << QStringList{"1999-03-10 22:00=1", "1999-03-11 00:00=2"}
        << QStringList{"3 1001 Kern River",   "HOURLY DISCHARGE, CFS", "10 MAR 1999 00:00 ",
                       "10 MAR 1999 01:00 ",  "10 MAR 1999 02:00 ",    "10 MAR 1999 03:00 ",
                       "10 MAR 1999 04:00 ",  "10 MAR 1999 05:00 ",    "10 MAR 1999 06:00 ",
                       "10 MAR 1999 07:00 ",  "10 MAR 1999 08:00 ",    "10 MAR 1999 09:00 ",
                       "10 MAR 1999 10:00 ",  "10 MAR 1999 11:00 ",    "10 MAR 1999 12:00 ",
                       "10 MAR 1999 13:00 ",  "10 MAR 1999 14:00 ",    "10 MAR 1999 15:00 ",
                       "10 MAR 1999 16:00 ",  "10 MAR 1999 17:00 ",    "10 MAR 1999 18:00 ",
                       "10 MAR 1999 19:00 ",  "10 MAR 1999 20:00 ",    "10 MAR 1999 21:00 ",
                       "10 MAR 1999 22:00 1", "10 MAR 1999 23:00 ",    "11 MAR 1999 00:00 2"};

    QTest::newRow("unit: one line per record, month not in capitals, nulls empty")
        << 4 << "05-Mar-1999"
        << "06-Mar-1999" << flow
        << QStringList{"1999-03-05 13:00=1.5", "1999-03-05 13:15=", "1999-03-06 00:07=3"}
        << QStringList{"4 1001 Kern River", "UNIT VALUES DISCHARGE, CFS", "05 Mar 1999 13:00 1.5",
                       "05 Mar 1999 13:15 ", "06 Mar 1999 00:07 3"};

    QTest::newRow("unit: leap days, century years and dates before 1970")
        << 4 << "28-Feb-1900"
        << "01-Mar-2100" << flow
        << QStringList{"1900-02-28 23:45=1", "1900-03-01 00:00=2", "1969-12-31 23:59=3",
                       "1970-01-01 00:00=4", "2000-02-29 12:30=5", "2100-03-01 06:15=6"}
        << QStringList{"4 1001 Kern River",   "UNIT VALUES DISCHARGE, CFS", "28 Feb 1900 23:45 1",
                       "01 Mar 1900 00:00 2", "31 Dec 1969 23:59 3",        "01 Jan 1970 00:00 4",
                       "29 Feb 2000 12:30 5", "01 Mar 2100 06:15 6"};

    QTest::newRow("unit shift: empty unit after the comma")
        << 7 << "01-Dec-2009"
        << "02-Dec-2009"
        << "1001 Kern River; DISCHARGE, " << QStringList{"2009-12-01 07:45=-0.02"}
        << QStringList{"7 1001 Kern River", "UNIT SHIFT DISCHARGE, ", "01 Dec 2009 07:45 -0.02"};

    QTest::newRow("daily maximum: a later record for a day replaces the earlier")
        << 5 << "30-Dec-1999"
        << "02-Jan-2000" << flow << QStringList{"1999-12-31=5", "2000-01-01=6", "2000-01-01=7"}
        << QStringList{"5 1001 Kern River", "DAILY MAXIMUM DISCHARGE, CFS", "31 DEC 1999 5",
                       "01 JAN 2000 7"};

    QTest::newRow("daily minimum: from the first record's day, not the start day")
        << 6 << "01-Jan-2000"
        << "05-Jan-2000" << flow << QStringList{"2000-01-02=1", "2000-01-03=2"}
        << QStringList{"6 1001 Kern River", "DAILY MINIMUM DISCHARGE, CFS", "02 JAN 2000 1",
                       "03 JAN 2000 2"};
}

void tst_SeriesFile::golden() {
    QFETCH(int, step);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, description);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    QCOMPARE(QString::fromLatin1(written(rows, timeStepFromIndex(step), start, end, description)),
             QString::fromLatin1(crlfLines(expected)));
}

void tst_SeriesFile::valuesPerDay_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("expected");
    const QStringList morning{"2000-01-01 06:00=1", "2000-01-01 18:00=1", "2000-01-02 00:00=1",
                              "2000-01-02 00:15=1", "2000-01-02 00:30=1"};
    QTest::newRow("first record before noon counts its own day") << 4 << morning << 2;
    QTest::newRow("after noon counts the following day") << 4 << morning.mid(1) << 3;
    QTest::newRow("noon of an even day number stays (1 Jan 2000 is day 36526)")
        << 7 << QStringList{"2000-01-01 12:00=1", "2000-01-01 13:00=1", "2000-01-02 00:00=1"} << 2;
    QTest::newRow("noon of an odd day number goes on to the next")
        << 4 << QStringList{"2000-01-02 12:00=1", "2000-01-02 13:00=1", "2000-01-03 00:00=1"} << 1;
    QTest::newRow("not counted for daily values") << 2 << QStringList{"2000-01-01=1"} << 0;
}

void tst_SeriesFile::valuesPerDay() {
    QFETCH(int, step);
    QFETCH(QStringList, rows);
    QFETCH(int, expected);
    int perDay = -1;
    written(rows, timeStepFromIndex(step), "01-Jan-2000", "05-Jan-2000", flow, &perDay);
    QCOMPARE(perDay, expected);
}

void tst_SeriesFile::refused_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("message");
    QTest::newRow("record before the start date")
        << 2 << "02-Mar-1999" << flow << QStringList{"1999-03-01=1"} << "01-Mar-1999";
    QTest::newRow("year before the start year")
        << 0 << "01-Jan-2000" << flow << QStringList{"1999-01-01=1"} << "the years 2000 to 2001";
    QTest::newRow("no records") << 2 << "01-Mar-1999" << flow << QStringList{} << "no records";
    QTest::newRow("not a retrieved series") << 2 << "01-Mar-1999"
                                            << "" << QStringList{"1999-03-01=1"} << "GO";
    QTest::newRow("date box without a date")
        << 3 << "yesterday" << flow << QStringList{"1999-03-01=1"} << "yesterday";
}

void tst_SeriesFile::refused() {
    QFETCH(int, step);
    QFETCH(QString, start);
    QFETCH(QString, description);
    QFETCH(QStringList, rows);
    QFETCH(QString, message);
    try {
        written(rows, timeStepFromIndex(step), start, "31-Dec-2001", description);
        QFAIL("the series file was written");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message, Qt::CaseInsensitive), qPrintable(e.message()));
    }
}

void tst_SeriesFile::failedWriteKeepsPreviousFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lastout.txt");
    const auto good = seriesRecords({"1999-03-01=1"});
    writeSeriesFile(*good, {TimeStep::Day, "01-Mar-1999", "02-Mar-1999", flow}, path);
    const auto bad = seriesRecords({"1999-03-01=2", "1999-04-01=3"});
    QVERIFY_THROWS_EXCEPTION(
        Error, writeSeriesFile(*bad, {TimeStep::Day, "01-Mar-1999", "02-Mar-1999", flow}, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             crlfLines({"2 1001 Kern River", "DAILY DISCHARGE, CFS", "01 MAR 1999 1"}));
    // Nothing of the failed attempt is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"lastout.txt"});
    // A folder that cannot take the file: a message, and no file.
    QVERIFY_THROWS_EXCEPTION(
        Error, writeSeriesFile(*good, {TimeStep::Day, "01-Mar-1999", "02-Mar-1999", flow},
                               dir.filePath("missing/lastout.txt")));
}

void tst_SeriesFile::handOffReportsAndStops_data() {
    QTest::addColumn<int>("step");      // index of the time step
    QTest::addColumn<int>("stopAfter"); // reports answered true before the stop; -1 never stops
    QTest::newRow("day, runs to the end") << int(TimeStep::Day) << -1;
    QTest::newRow("day, stopped at once") << int(TimeStep::Day) << 0;
    QTest::newRow("unit, stopped on the way") << int(TimeStep::Unit) << 2;
}

void tst_SeriesFile::handOffReportsAndStops() {
    QFETCH(int, step);
    QFETCH(int, stopAfter);
    QStringList rows;
    const QDate first(1950, 1, 1);
    for (int d = 0; d < 20000; ++d)
        rows.append(first.addDays(d).toString(Qt::ISODate) + QStringLiteral("=%1").arg(d));
    const auto records = seriesRecords(rows);
    const SeriesRequest request{timeStepFromIndex(step), "01-Jan-1950",
                                jetDateText(first.addDays(19999)), flow};
    QTemporaryDir dir;
    const QString path = dir.filePath("lastout.txt");
    const QByteArray before = crlfLines({"old", "file"});
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before);
    }
    QList<qint64> done;
    const Progress progress = [&](qint64 at, qint64 total) {
        if (total != records->recordCount())
            return false;
        done.append(at);
        return stopAfter < 0 || done.size() <= stopAfter;
    };
    QFile file(path);
    if (stopAfter < 0) {
        writeSeriesFile(*records, request, path, progress);
        QCOMPARE(done.size(), 20000 / 4096);
        QVERIFY(std::is_sorted(done.cbegin(), done.cend()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().endsWith("19999\r\n"));
    } else {
        try {
            writeSeriesFile(*records, request, path, progress);
            QFAIL("the hand-off was not stopped");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains("cancelled"), qPrintable(e.message()));
        }
        QCOMPARE(done.size(), stopAfter + 1);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"lastout.txt"});
    }
}

QTEST_GUILESS_MAIN(tst_SeriesFile)
#include "tst_SeriesFile.moc"
