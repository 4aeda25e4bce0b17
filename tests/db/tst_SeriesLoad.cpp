// Series read from data files loaded into an HDB on each backend: the parameter chosen or made,
// the value table, the source marks, the conflict choices, and nothing left by a failed load.

#include "BackendHdb.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/base/TimeStep.h"
#include "core/db/Database.h"
#include "core/hdb/SeriesLoad.h"

#include <QTest>

using namespace rp;
using rp::test::firstColumn;

namespace {

using readers::Series;
using readers::StepKind;

// A daily series of site `site`, one value per day from `from`.
Series daily(const QString& site, const QString& statistic, QDate from, const QList<double>& values,
             const QStringList& qualifiers = {}) {
    Series s;
    s.siteId = site;
    s.siteName = QStringLiteral("RIVER AT ") + site;
    s.parameter = QStringLiteral("00060");
    s.parameterName = QStringLiteral("Discharge");
    s.unit = QStringLiteral("ft3/s");
    s.statistic = statistic;
    s.step = {StepKind::Day, 0};
    for (qsizetype i = 0; i < values.size(); ++i)
        s.values.append({naiveDateTime(from.addDays(i)), values[i], qualifiers.value(i)});
    return s;
}

// "count sum" of a parameter's rows in a table, as GO's statement retrieves them.
QString retrieved(Database& db, TimeStep step, qint64 key) {
    const auto set =
        db.open(retrievalStatement(step, QString::number(key), QStringLiteral("01-Jan-1900"),
                                   retrievalUpperBound(step, QStringLiteral("31-Dec-2099"))),
                LockType::ReadOnly);
    const int value = set->fieldIndex(QStringLiteral("value"));
    double sum = 0;
    for (qsizetype r = 0; r < set->recordCount(); ++r)
        sum += set->value(r, value).toDouble();
    return QStringLiteral("%1 %2").arg(set->recordCount()).arg(sum);
}

QString catalogue(Database& db) {
    return firstColumn(
        db, QStringLiteral("SELECT datatype_site_id & ' ' & site_id & ' ' & station_id & ' ' "
                           "& datatype_name & ' ' & unit_name & ' ' & datatype_id FROM rsite "
                           "ORDER BY datatype_site_id"));
}

} // namespace

class TestSeriesLoad : public QObject {
    Q_OBJECT
private slots:
    void conflicts_data() {
        rp::test::addBackendColumn();
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("after");
        QTest::addColumn<qint64>("replaced");
        QTest::addColumn<qint64>("kept");
        for (const char* backend : {"SQLite", "PostgreSQL"}) {
            const QString b = QString::fromLatin1(backend);
            // Days 1-3 hold 1, 2, 3; the file brings 20, 30, 40 for days 2-4.
            QTest::addRow("%s refuse", backend)
                << b << int(OnConflict::Refuse) << "3 6" << 0LL << 0LL;
            QTest::addRow("%s keep", backend) << b << int(OnConflict::Keep) << "4 46" << 0LL << 2LL;
            QTest::addRow("%s replace", backend)
                << b << int(OnConflict::Replace) << "4 91" << 2LL << 0LL;
        }
    }
    void conflicts() {
        RP_BACKEND_HDB(hdb);
        QFETCH(int, choice);
        QFETCH(QString, after);
        QFETCH(qint64, replaced);
        QFETCH(qint64, kept);
        Database& db = *hdb.db();
        const QDate day(2000, 1, 1);
        const auto first = loadSeries(db, {daily("09", {}, day, {1, 2, 3})}, {});
        QCOMPARE(first.size(), 1);
        QVERIFY(first[0].plan.newParameter);
        LoadOptions options;
        options.onConflict = OnConflict(choice);
        const QList<Series> again{daily("09", {}, day.addDays(1), {20, 30, 40})};
        const QList<LoadPlan> plan = planLoad(db, again, options);
        QCOMPARE(plan[0].conflicts, 2);
        QCOMPARE(plan[0].newParameter, false);
        try {
            const auto results = loadSeries(db, again, options);
            QVERIFY(options.onConflict != OnConflict::Refuse);
            QCOMPARE(results[0].replaced, replaced);
            QCOMPARE(results[0].kept, kept);
            QCOMPARE(results[0].inserted, 3 - kept);
        } catch (const Error& e) {
            QCOMPARE(options.onConflict, OnConflict::Refuse);
            QVERIFY2(e.message().contains(QLatin1String("2000-01-02 00:00:00, 2000-01-03")),
                     qPrintable(e.message()));
        }
        QCOMPARE(retrieved(db, TimeStep::Day, first[0].plan.datatypeSiteId), after);
    }

    void parametersAndTables_data() { rp::test::addBackendRows(); }
    void parametersAndTables() {
        RP_BACKEND_HDB(hdb);
        Database& db = *hdb.db();
        db.executeNative(
            QStringLiteral("INSERT INTO rsite (site_id, station_id, site_name, "
                           "datatype_site_id, datatype_name, unit_name, datatype_id) "
                           "VALUES (40, '07', 'OLD GAGE', 12, 'discharge', 'FT3/S', 19)"));
        const QDate day(2001, 5, 1);
        Series unit = daily(QStringLiteral("07"), {}, day, {5, 6});
        unit.step = {StepKind::Unit, 15};
        unit.values[1].time = unit.values[0].time.addSecs(900);
        Series sum = daily(QStringLiteral("08"), QStringLiteral("Sum"), day, {0.5});
        sum.parameterName = QStringLiteral("Precipitation");
        sum.unit = QStringLiteral("in");
        const QList<Series> series{daily(QStringLiteral("07"), QStringLiteral("Mean"), day, {1, 2}),
                                   daily(QStringLiteral("07"), QStringLiteral("Maximum"), day, {3}),
                                   daily(QStringLiteral("08"), QStringLiteral("Minimum"), day, {4}),
                                   unit, sum};
        const auto results = loadSeries(db, series, {});
        QCOMPARE(results.size(), 5);
        // Site 07's discharge is the HDB's parameter 12 whatever the case of its name and unit;
        // its maxima go to rdaymax, its 15-minute values to runit.
        QCOMPARE(results[0].plan.datatypeSiteId, 12);
        QCOMPARE(results[1].plan.datatypeSiteId, 12);
        QCOMPARE(results[3].plan.datatypeSiteId, 12);
        QCOMPARE(retrieved(db, TimeStep::Day, 12), QStringLiteral("2 3"));
        QCOMPARE(retrieved(db, TimeStep::DayMax, 12), QStringLiteral("1 3"));
        QCOMPARE(retrieved(db, TimeStep::Unit, 12), QStringLiteral("2 11"));
        // Site 08 is new: a new site_id; its discharge shares datatype_id 19 with site 07's.
        QCOMPARE(results[2].plan.datatypeSiteId, 13);
        QCOMPARE(retrieved(db, TimeStep::DayMin, 13), QStringLiteral("1 4"));
        QCOMPARE(retrieved(db, TimeStep::Day, 14), QStringLiteral("1 0.5"));
        QCOMPARE(catalogue(db), QStringLiteral("12 40 07 discharge FT3/S 19|"
                                               "13 41 08 Discharge ft3/s 19|"
                                               "14 41 08 Precipitation (Sum) in 20"));
    }

    void sourceMarksAndTimes_data() { rp::test::addBackendRows(); }
    void sourceMarksAndTimes() {
        RP_BACKEND_HDB(hdb);
        Database& db = *hdb.db();
        Series s = daily(QStringLiteral("5"), {}, QDate(2011, 11, 6), {1, 2, 3, 4, 5, 6},
                         {QString(), QStringLiteral("A"), QStringLiteral("P"),
                          QStringLiteral("A:e"), QStringLiteral("Ice"), QStringLiteral("??")});
        s.step = {StepKind::Hour, 0};
        s.standardOffsetMinutes = -5 * 60;
        LoadOptions options;
        options.hdbOffsetMinutes = -7 * 60; // the HDB keeps Mountain standard time
        options.datatypeSiteId = 77;
        const auto results = loadSeries(db, {s}, options);
        QCOMPARE(results[0].plan.step, TimeStep::Hour);
        QCOMPARE(firstColumn(db, QStringLiteral("SELECT source FROM rhour WHERE "
                                                "datatype_site_id = 77 ORDER BY date_time")),
                 QStringLiteral("1|1|2|3|4|2"));
        QCOMPARE(firstColumn(db, QStringLiteral("SELECT min(date_time) FROM rhour")),
                 QStringLiteral("11/5/2011 10:00:00 PM"));
        QCOMPARE(firstColumn(db, QStringLiteral("SELECT datatype_site_id FROM rsite")),
                 QStringLiteral("77"));
    }

    void nothingStaysOfAFailedLoad_data() {
        rp::test::addBackendColumn();
        QTest::addColumn<bool>("cancel");
        for (const char* backend : {"SQLite", "PostgreSQL"}) {
            QTest::addRow("%s cancelled", backend) << QString::fromLatin1(backend) << true;
            QTest::addRow("%s second series refused", backend)
                << QString::fromLatin1(backend) << false;
        }
    }
    void nothingStaysOfAFailedLoad() {
        RP_BACKEND_HDB(hdb);
        QFETCH(bool, cancel);
        Database& db = *hdb.db();
        QList<double> many;
        for (int i = 0; i < 10000; ++i)
            many.append(i);
        QList<Series> series{daily(QStringLiteral("1"), {}, QDate(1950, 1, 1), many),
                             daily(QStringLiteral("2"), {}, QDate(1990, 1, 1), {1, 2})};
        LoadOptions options;
        qint64 reported = 0;
        if (cancel) {
            // Stops after the first series was written.
            options.progress = [&](qint64 done, qint64) {
                reported = done;
                return done < 10000;
            };
        } else {
            // The second series brings one day twice: the database refuses its key.
            series[1].values.append(series[1].values.last());
        }
        QVERIFY_THROWS_EXCEPTION(Error, loadSeries(db, series, options));
        if (cancel)
            QVERIFY(reported >= 10000);
        QCOMPARE(firstColumn(db, QStringLiteral("SELECT count(*) FROM rsite")),
                 QStringLiteral("0"));
        QCOMPARE(firstColumn(db, QStringLiteral("SELECT count(*) FROM rday")), QStringLiteral("0"));
        // The connection is usable again and the same load then goes through whole.
        if (!cancel)
            series[1].values.removeLast();
        options.progress = {};
        const auto results = loadSeries(db, series, options);
        QCOMPARE(results[0].inserted + results[1].inserted, 10002);
    }

    void oneParameterTakesOneSeries_data() { rp::test::addBackendRows(); }
    void oneParameterTakesOneSeries() {
        RP_BACKEND_HDB(hdb);
        LoadOptions options;
        options.datatypeSiteId = 5;
        const QList<Series> two{daily(QStringLiteral("1"), {}, QDate(1990, 1, 1), {1}),
                                daily(QStringLiteral("2"), {}, QDate(1990, 1, 1), {2})};
        QVERIFY_THROWS_EXCEPTION(Error, loadSeries(*hdb.db(), two, options));
        QCOMPARE(firstColumn(*hdb.db(), QStringLiteral("SELECT count(*) FROM rday")),
                 QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(TestSeriesLoad)
#include "tst_SeriesLoad.moc"
