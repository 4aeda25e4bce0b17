#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "demo/DemoCatalog.h"
#include "demo/DemoDatabase.h"
#include "demo/DemoHydrology.h"
#include "demo/DemoSeries.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <map>

using namespace rp;

namespace {

const QDate until(2025, 6, 15);

demo::TableRows generate(QDate last) {
    demo::DemoHydrology hydrology;
    demo::TableRows rows;
    for (const demo::Parameter& p : demo::parameters())
        demo::DemoSeries(p, hydrology).generate(last, rows);
    return rows;
}

QString timeText(const QVariant& v) {
    return v.typeId() == QMetaType::QDateTime
               ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
               : v.toString();
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result();
}

} // namespace

class TestDemoDatabase : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void sameLastDayGivesTheSameFile();
    void laterLastDayKeepsEveryValue_data();
    void laterLastDayKeepsEveryValue();
    void reportWordsInDescriptions_data();
    void reportWordsInDescriptions();
    void stationIdentifiers();
    void coverage_data();
    void coverage();
    void unitSpacing_data();
    void unitSpacing();
    void gaps();
    void plausibleValues_data();
    void plausibleValues();
    void hoursAddUpToDays();
    void aggregates_data();
    void aggregates();
    void snowmeltSeason();
    void dailyExtremesEncloseUnitValues();
    void refusals_data();
    void refusals();

private:
    std::unique_ptr<RecordSet> query(const QString& sql) {
        return m_db->open(sql, LockType::ReadOnly);
    }
    double number(const QString& sql) { return query(sql)->value(0, 0).toDouble(); }

    QTemporaryDir m_dir;
    QString m_path;
    std::shared_ptr<Database> m_db;
    demo::TableRows m_rows; // generated up to `until`
};

void TestDemoDatabase::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("demo.sqlite"));
    QElapsedTimer timer;
    timer.start();
    createDemoDatabase(m_path, until);
    // A sanity bound only; the speed itself is measured by the benchmarks.
    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    m_db = openDatabase(QStringLiteral("Provider=SQLite;Data Source=") + m_path);
}

void TestDemoDatabase::sameLastDayGivesTheSameFile() {
    const QString again = m_dir.filePath(QStringLiteral("again.sqlite"));
    createDemoDatabase(again, until);
    QCOMPARE(fileHash(again), fileHash(m_path));
    QVERIFY(!fileHash(m_path).isEmpty());
}

void TestDemoDatabase::laterLastDayKeepsEveryValue_data() {
    QTest::addColumn<QDate>("other");
    QTest::newRow("three months later") << QDate(2025, 9, 20);
    QTest::newRow("a year earlier, mid-month") << QDate(2024, 7, 17);
    QTest::newRow("on a month end") << QDate(2025, 5, 31);
}

void TestDemoDatabase::laterLastDayKeepsEveryValue() {
    QFETCH(QDate, other);
    if (m_rows[0].empty())
        m_rows = generate(until);
    const demo::TableRows& a = m_rows;
    const demo::TableRows b = generate(other);
    for (int table = 0; table < timeStepCount; ++table) {
        std::map<std::pair<int, qint64>, std::pair<double, int>> rowsOfA;
        for (const demo::Row& r : a[size_t(table)])
            rowsOfA[{r.datatypeSiteId, r.minute}] = {r.value, r.source};
        qsizetype shared = 0;
        for (const demo::Row& r : b[size_t(table)]) {
            const auto found = rowsOfA.find({r.datatypeSiteId, r.minute});
            if (found == rowsOfA.end())
                continue;
            ++shared;
            if (found->second != std::pair(r.value, r.source))
                QFAIL(qPrintable(QStringLiteral("table %1 series %2 minute %3")
                                     .arg(table)
                                     .arg(r.datatypeSiteId)
                                     .arg(r.minute)));
        }
        // Each table shares a good part of its rows, so the comparison means something.
        const auto smaller = std::min(a[size_t(table)].size(), b[size_t(table)].size());
        QVERIFY2(shared >= qsizetype(smaller) / 10 && shared > 0,
                 qPrintable(QString::number(table)));
    }
}

void TestDemoDatabase::reportWordsInDescriptions_data() {
    QTest::addColumn<QString>("word");
    for (const char* word : {"CFS", "RAINFALL", "STORAGE", "DIRECTION", "WATER TEMP", " ET", "ET,",
                             "INCHES", "FT", "PRESSURE", "ACRE", "YTD", "DEG F", "DEG C"})
        QTest::newRow(word) << QString::fromLatin1(word);
}

void TestDemoDatabase::reportWordsInDescriptions() {
    QFETCH(QString, word);
    // The description as the main window builds it from a parameter row.
    const auto rs = query(
        QStringLiteral("SELECT datatype_site_id, site_name, datatype_name, unit_name FROM rsite;"));
    QStringList found;
    for (qsizetype row = 0; row < rs->recordCount(); ++row) {
        const QString description =
            QStringLiteral("%1 %2; %3, %4")
                .arg(rs->displayText(row, 0), rs->displayText(row, 1),
                     rs->displayText(row, 2).toUpper(), rs->displayText(row, 3).toUpper());
        // The parameter half is what the reports search.
        if (description.mid(description.indexOf(QLatin1Char(';')) + 2).contains(word))
            found << description;
    }
    QVERIFY2(!found.isEmpty(), qPrintable(word));
}

void TestDemoDatabase::stationIdentifiers() {
    // One station per site, and a site for every station prefix of the daily table.
    const auto rs =
        query(QStringLiteral("SELECT DISTINCT site_id, station_id FROM rsite ORDER BY site_id;"));
    QSet<QString> stations;
    for (qsizetype row = 0; row < rs->recordCount(); ++row)
        stations << rs->displayText(row, 1);
    QCOMPARE(stations.size(), rs->recordCount());
    QVERIFY(stations.contains(QSet<QString>{"1", "2", "3", "4"}) && stations.size() >= 6);
}

void TestDemoDatabase::coverage_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("series");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("daily flow from 1980") << "rday" << 1011 << "1980-10-01 00:00:00"
                                          << "2025-06-15 00:00:00";
    QTest::newRow("daily rain from 1980") << "rday" << 1051 << "1980-10-01 00:00:00"
                                          << "2025-06-15 00:00:00";
    QTest::newRow("daily maximum") << "rdaymax" << 1021 << "1980-10-01 00:00:00"
                                   << "2025-06-15 00:00:00";
    QTest::newRow("monthly: whole months") << "rmonth" << 1011 << "1980-10-01 00:00:00"
                                           << "2025-05-01 00:00:00";
    QTest::newRow("yearly: whole years") << "ryear" << 1011 << "1981-01-01 00:00:00"
                                         << "2024-01-01 00:00:00";
    QTest::newRow("unit flow") << "runit" << 1041 << "2024-04-22 00:00:00"
                               << "2025-06-15 23:45:00";
    QTest::newRow("unit rain ends at midnight") << "runit" << 1051 << "2024-04-22 00:15:00"
                                                << "2025-06-16 00:00:00";
    QTest::newRow("hourly storage") << "rhour" << 1031 << "2024-04-22 00:00:00"
                                    << "2025-06-15 23:00:00";
    QTest::newRow("unit shift") << "runitshift" << 1011 << "2024-04-22 00:00:00"
                                << "2025-06-15 23:45:00";
}

void TestDemoDatabase::coverage() {
    QFETCH(QString, table);
    QFETCH(int, series);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const auto rs = m_db->open(QStringLiteral("SELECT MIN(date_time), MAX(date_time) FROM %1 "
                                              "WHERE datatype_site_id=%2;")
                                   .arg(table)
                                   .arg(series),
                               LockType::ReadOnly);
    QCOMPARE(timeText(rs->value(0, 0)), first);
    QCOMPARE(timeText(rs->value(0, 1)), last);
}

void TestDemoDatabase::unitSpacing_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("series");
    QTest::addColumn<QString>("minutes"); // every minute-of-hour that occurs
    QTest::newRow("15-minute flow") << "runit" << 1011 << "0 15 30 45";
    QTest::newRow("15-minute rain") << "runit" << 1051 << "0 15 30 45";
    QTest::newRow("30-minute water temperature") << "runit" << 1013 << "0 30";
    QTest::newRow("hourly-stamped storage") << "runit" << 1031 << "0";
    QTest::newRow("hourly-stamped wind") << "runit" << 1053 << "0";
    QTest::newRow("15-minute unit shift") << "runitshift" << 1011 << "0 15 30 45";
    QTest::newRow("hourly") << "rhour" << 1021 << "0";
}

void TestDemoDatabase::unitSpacing() {
    QFETCH(QString, table);
    QFETCH(int, series);
    QFETCH(QString, minutes);
    const auto rs = query(QStringLiteral("SELECT DISTINCT Minute(date_time) AS m FROM %1 WHERE "
                                         "datatype_site_id=%2 ORDER BY 1;")
                              .arg(table)
                              .arg(series));
    QStringList found;
    for (qsizetype row = 0; row < rs->recordCount(); ++row)
        found << rs->displayText(row, 0);
    QCOMPARE(found.join(QLatin1Char(' ')), minutes);
}

void TestDemoDatabase::gaps() {
    // A whole month lost: January 1997 at Kernville, in the daily and the monthly table.
    QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM rday WHERE datatype_site_id=1021 AND "
                                   "date_time BETWEEN #01-Jan-1997# AND #31-Jan-1997#;")),
             0.0);
    QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM rday WHERE datatype_site_id=1021 AND "
                                   "date_time BETWEEN #01-Dec-1996# AND #28-Feb-1997#;")),
             31.0 + 28.0);
    QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM rmonth WHERE datatype_site_id=1021 AND "
                                   "date_time BETWEEN #01-Dec-1996# AND #01-Feb-1997#;")),
             2.0);
    // Scattered missing days in a daily record, missing hours in a unit record.
    const qint64 days = QDate(1980, 10, 1).daysTo(until) + 1;
    const double daily =
        number(QStringLiteral("SELECT COUNT(*) FROM rday WHERE datatype_site_id=1011;"));
    QVERIFY(daily < days && daily > days * 0.95);
    const double unit =
        number(QStringLiteral("SELECT COUNT(*) FROM runit WHERE datatype_site_id=1011;"));
    QVERIFY(unit < demo::recentDays * 96.0 && unit > demo::recentDays * 96.0 * 0.95);
    // The reservoir record is complete.
    QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM rday WHERE datatype_site_id=1031;")),
             double(days));
}

void TestDemoDatabase::plausibleValues_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("series");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    for (int flow : {1011, 1021, 1041, 1061})
        QTest::addRow("daily flow %d", flow) << "rday" << flow << 1.0 << 1e5;
    for (const char* table : {"runit", "rhour", "rdaymax", "rdaymin"})
        for (int flow : {1011, 1021, 1041})
            QTest::addRow("%s flow %d", table, flow)
                << QString::fromLatin1(table) << flow << 1.0 << 1e5;
    QTest::newRow("unit shift") << "runitshift" << 1011 << 1.0 << 1e5;
    QTest::newRow("storage within the reservoir") << "rday" << 1031 << 1e4 << 568000.0;
    QTest::newRow("monthly storage") << "rmonth" << 1031 << 1e4 << 568000.0;
    QTest::newRow("elevation") << "rhour" << 1032 << 2470.0 << 2610.0;
    QTest::newRow("stage") << "runit" << 1012 << 1.0 << 20.0;
    for (const char* table : {"rday", "rhour", "runit", "rmonth", "ryear"})
        QTest::addRow("wind direction %s", table)
            << QString::fromLatin1(table) << 1053 << 0.0 << 4.0;
    QTest::newRow("water temperature F") << "runit" << 1013 << 32.0 << 80.0;
    QTest::newRow("water temperature C") << "rday" << 1062 << 0.0 << 27.0;
    QTest::newRow("air temperature") << "rdaymax" << 1054 << 0.0 << 120.0;
    QTest::newRow("pressure") << "rhour" << 1055 << 26.0 << 28.5;
    QTest::newRow("daily rain") << "rday" << 1051 << 0.0 << 15.0;
    QTest::newRow("yearly rain") << "ryear" << 1051 << 2.0 << 60.0;
    QTest::newRow("water year to date") << "rday" << 1052 << 0.0 << 80.0;
    QTest::newRow("daily ET") << "rday" << 1056 << 0.0 << 0.5;
    QTest::newRow("hourly ET") << "rhour" << 1056 << 0.0 << 0.08;
}

void TestDemoDatabase::plausibleValues() {
    QFETCH(QString, table);
    QFETCH(int, series);
    QFETCH(double, low);
    QFETCH(double, high);
    const auto rs = query(QStringLiteral("SELECT MIN(value), MAX(value), COUNT(*), "
                                         "SUM(CASE WHEN value IS NULL THEN 1 ELSE 0 END) FROM %1 "
                                         "WHERE datatype_site_id=%2;")
                              .arg(table)
                              .arg(series));
    QVERIFY(rs->value(0, 2).toLongLong() > 0);
    QCOMPARE(rs->value(0, 3).toLongLong(), 0);
    const double min = rs->value(0, 0).toDouble(), max = rs->value(0, 1).toDouble();
    QVERIFY2(min >= low && max <= high, qPrintable(QStringLiteral("%1 .. %2").arg(min).arg(max)));
    // Not flat: the record moves.
    QVERIFY(max > min);
}

void TestDemoDatabase::hoursAddUpToDays() {
    // Hour-ending rain: the 24 hours of a day (01:00 to the next midnight) add up to its daily
    // total, and so do its unit values.
    const auto days = query(QStringLiteral(
        "SELECT date_time, value FROM rday WHERE datatype_site_id=1051 AND date_time BETWEEN "
        "#01-Jan-2025# AND #31-Mar-2025# AND value > 0 ORDER BY date_time;"));
    QVERIFY(days->recordCount() > 5);
    for (qsizetype row = 0; row < days->recordCount(); ++row) {
        const QDateTime day = days->value(row, 0).toDateTime();
        for (const char* table : {"rhour", "runit"}) {
            const double sum = number(
                QStringLiteral("SELECT SUM(value) FROM %1 WHERE datatype_site_id=1051 AND "
                               "date_time > '%2' AND date_time <= '%3';")
                    .arg(QString::fromLatin1(table), timeText(day), timeText(day.addDays(1))));
            QCOMPARE(std::round(sum * 100), std::round(days->value(row, 1).toDouble() * 100));
        }
    }
}

void TestDemoDatabase::aggregates_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    const auto sum = [](int series, const char* from, const char* to, const char* times,
                        int decimals) {
        return QStringLiteral("SELECT Round(SUM(value) * %1, %2) FROM rday WHERE "
                              "datatype_site_id=%3 AND date_time BETWEEN #%4# AND #%5#;")
            .arg(QString::fromLatin1(times))
            .arg(decimals)
            .arg(series)
            .arg(QString::fromLatin1(from), QString::fromLatin1(to));
    };
    const auto stored = [](const char* table, int series, const char* date) {
        return QStringLiteral(
                   "SELECT value FROM %1 WHERE datatype_site_id=%2 AND date_time = #%3#;")
            .arg(QString::fromLatin1(table))
            .arg(series)
            .arg(QString::fromLatin1(date));
    };
    // Flows are stored as the daily table writes them back: whole acre-feet for a month, the
    // unrounded sum for a year.
    QTest::newRow("monthly flow in acre-feet")
        << stored("rmonth", 1021, "01-May-2019")
        << sum(1021, "01-May-2019", "31-May-2019", "1.9835", 0);
    QTest::newRow("yearly flow in acre-feet")
        << stored("ryear", 1021, "01-Jan-2019")
        << sum(1021, "01-Jan-2019", "31-Dec-2019", "1.9835", 2);
    QTest::newRow("monthly rain total")
        << stored("rmonth", 1051, "01-Feb-2025") << sum(1051, "01-Feb-2025", "28-Feb-2025", "1", 2);
    QTest::newRow("yearly ET total")
        << stored("ryear", 1056, "01-Jan-2010") << sum(1056, "01-Jan-2010", "31-Dec-2010", "1", 2);
    QTest::newRow("water year to date")
        << stored("rday", 1052, "31-Mar-2025") << sum(1051, "01-Oct-2024", "31-Mar-2025", "1", 2);
    QTest::newRow("water year starts afresh")
        << stored("rday", 1052, "01-Oct-2024") << stored("rday", 1051, "01-Oct-2024");
    QTest::newRow("monthly mean storage")
        << stored("rmonth", 1031, "01-Jun-2011")
        << "SELECT Round(AVG(value), 0) FROM rday WHERE datatype_site_id=1031 AND date_time "
           "BETWEEN #01-Jun-2011# AND #30-Jun-2011#;";
}

void TestDemoDatabase::aggregates() {
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    const auto rs = query(stored);
    QCOMPARE(rs->recordCount(), 1);
    QCOMPARE(rs->value(0, 0).toDouble(), number(expected));
}

void TestDemoDatabase::snowmeltSeason() {
    const auto mean = [&](int month) {
        return number(QStringLiteral("SELECT AVG(value) FROM rday WHERE datatype_site_id=1021 AND "
                                     "Month(date_time) = %1;")
                          .arg(month));
    };
    QVERIFY2(mean(6) > 3 * mean(10),
             qPrintable(QStringLiteral("%1 %2").arg(mean(6)).arg(mean(10))));
}

void TestDemoDatabase::dailyExtremesEncloseUnitValues() {
    for (int series : {1011, 1012, 1021, 1041}) {
        const double outside = number(
            QStringLiteral("SELECT COUNT(*) FROM rday d, rdaymax x, rdaymin n WHERE "
                           "d.datatype_site_id=%1 AND x.datatype_site_id=%1 AND "
                           "n.datatype_site_id=%1 AND x.date_time=d.date_time AND "
                           "n.date_time=d.date_time AND (d.value > x.value OR d.value < n.value);")
                .arg(series));
        QCOMPARE(outside, 0.0);
        // Each day's maximum and minimum are those of its unit values.
        std::map<QDate, std::pair<double, double>> unitRange;
        const auto units =
            query(QStringLiteral("SELECT date_time, value FROM runit WHERE datatype_site_id=%1;")
                      .arg(series));
        for (qsizetype row = 0; row < units->recordCount(); ++row) {
            const QDate day = units->value(row, 0).toDateTime().date();
            const double v = units->value(row, 1).toDouble();
            auto [it, added] = unitRange.try_emplace(day, v, v);
            it->second = {std::max(it->second.first, v), std::min(it->second.second, v)};
        }
        QVERIFY(unitRange.size() >= 400);
        const auto extremes = query(
            QStringLiteral(
                "SELECT x.date_time, x.value, n.value FROM rdaymax x, rdaymin n WHERE "
                "x.datatype_site_id=%1 AND n.datatype_site_id=%1 AND n.date_time=x.date_time AND "
                "x.date_time >= #22-Apr-2024#;")
                .arg(series));
        int compared = 0;
        for (qsizetype row = 0; row < extremes->recordCount(); ++row) {
            const auto found = unitRange.find(extremes->value(row, 0).toDateTime().date());
            if (found == unitRange.end())
                continue;
            // A day with missing hours may miss its true peak; its unit values stay inside.
            QVERIFY(found->second.first <= extremes->value(row, 1).toDouble());
            QVERIFY(found->second.second >= extremes->value(row, 2).toDouble());
            ++compared;
        }
        QVERIFY(compared >= 400);
    }
}

void TestDemoDatabase::refusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("message");
    QTest::newRow("existing file") << "mine.sqlite" << until << "already exists";
    QTest::newRow("missing folder") << "nowhere/demo.sqlite" << until << "nowhere";
    QTest::newRow("before the first day") << "early.sqlite" << QDate(1970, 1, 1) << "1980";
}

void TestDemoDatabase::refusals() {
    QFETCH(QString, name);
    QFETCH(QDate, last);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QFile mine(dir.filePath(QStringLiteral("mine.sqlite")));
    QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("not to be lost") == 14);
    mine.close();
    try {
        createDemoDatabase(dir.filePath(name), last);
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    // Nothing written, nothing left behind.
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("not to be lost"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"mine.sqlite"});
}

QTEST_GUILESS_MAIN(TestDemoDatabase)
#include "tst_DemoDatabase.moc"
