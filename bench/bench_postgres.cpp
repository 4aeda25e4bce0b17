// The HDB on a local PostgreSQL server (RIVELPOST_TEST_PG, e.g. under tools/with-postgres):
// GO on a 10-year 15-minute series (350,640 rows, key 1001) until the record set holds every row,
// which should take under 2 seconds; and PARAMETERS w/data on a unit table of about 5 million
// rows (fifteen such series), whose query plan is printed once so that its use of the primary
// key shows. The data are loaded once into the schema rp_bench and kept.

#include "core/base/Error.h"
#include "core/base/TimeStep.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/HdbSchema.h"

#include <QDateTime>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>

namespace {

constexpr qint64 seriesRows = 350640;
constexpr int seriesCount = 15;

std::shared_ptr<rp::Database> benchHdb(QString& error) {
    const QString server = qEnvironmentVariable("RIVELPOST_TEST_PG");
    if (server.isEmpty()) {
        error = QStringLiteral("RIVELPOST_TEST_PG does not name a PostgreSQL server");
        return {};
    }
    try {
        const QString connection = server + QStringLiteral(";Schema=rp_bench");
        const auto admin = rp::openDatabase(server);
        admin->executeNative(QStringLiteral("CREATE SCHEMA IF NOT EXISTS rp_bench"));
        auto db = rp::openDatabase(connection);
        if (!db->tables().contains(QStringLiteral("runit"))) {
            std::fprintf(stderr, "loading %lld unit rows into rp_bench ...\n",
                         static_cast<long long>(seriesRows * seriesCount));
            rp::buildNewHdb(connection, [](rp::Database& hdb) {
                int n = 0;
                hdb.appendRows(QStringLiteral("rsite"),
                               {QStringLiteral("site_id"), QStringLiteral("datatype_site_id"),
                                QStringLiteral("datatype_name"), QStringLiteral("datatype_id")},
                               [&](QVariantList& row) {
                                   if (n == seriesCount)
                                       return false;
                                   row << 7 + n / 5 << 1001 + n << QStringLiteral("discharge")
                                       << 19 + n;
                                   ++n;
                                   return true;
                               });
                const QDateTime start(QDate(2010, 1, 1), QTime(0, 0), Qt::UTC);
                qint64 i = 0;
                hdb.appendRows(QStringLiteral("runit"),
                               {QStringLiteral("datatype_site_id"), QStringLiteral("date_time"),
                                QStringLiteral("value"), QStringLiteral("source")},
                               [&](QVariantList& row) {
                                   if (i == seriesRows * seriesCount)
                                       return false;
                                   const qint64 k = i % seriesRows;
                                   row << 1001 + i / seriesRows << start.addSecs(k * 900)
                                       << 100 + 50 * std::sin(double(k) / 3000.0) << 1;
                                   ++i;
                                   return true;
                               });
            });
            db = rp::openDatabase(connection);
        }
        return db;
    } catch (const rp::Error& e) {
        error = e.message();
        return {};
    }
}

// The benchmark HDB, or nothing when the benchmark was skipped for want of it.
std::shared_ptr<rp::Database> benchHdbOrSkip(benchmark::State& state) {
    QString error;
    auto db = benchHdb(error);
    if (!db)
        state.SkipWithError(error.toStdString().c_str());
    return db;
}

// Only loads rp_bench when it is missing: bench/run runs it before the anchors, one of which reads
// the unit series from there.
void BM_PostgresBenchHdb(benchmark::State& state) {
    const auto db = benchHdbOrSkip(state);
    if (!db)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(db.get());
    state.counters["rows"] = double(seriesRows * seriesCount);
}
BENCHMARK(BM_PostgresBenchHdb)->Iterations(1)->Repetitions(1);

void BM_PostgresGo(benchmark::State& state) {
    const auto db = benchHdbOrSkip(state);
    if (!db)
        return;
    const QString sql =
        rp::retrievalStatement(rp::TimeStep::Unit, QStringLiteral("1001"),
                               QStringLiteral("01-Jan-2010"), QStringLiteral("02-Jan-2020"));
    for (auto _ : state) {
        const auto set = db->open(sql, rp::LockType::Optimistic);
        if (set->recordCount() != seriesRows) {
            state.SkipWithError("the unit series did not arrive whole");
            return;
        }
        benchmark::DoNotOptimize(set->value(0, 1));
    }
    state.counters["rows"] = double(seriesRows);
}
BENCHMARK(BM_PostgresGo)->Unit(benchmark::kMillisecond)->MinTime(3);

// Saving one edited value of the unit series through the record set GO filled, as the grid does.
void BM_PostgresSaveOneUnitValue(benchmark::State& state) {
    const auto db = benchHdbOrSkip(state);
    if (!db)
        return;
    const auto set = db->open(rp::retrievalStatement(rp::TimeStep::Unit, QStringLiteral("1001"),
                                                     QStringLiteral("01-Jan-2010"),
                                                     QStringLiteral("02-Jan-2020")),
                              rp::LockType::Optimistic);
    const int value = set->fieldIndex(QStringLiteral("value"));
    set->setAbsolutePosition(seriesRows / 2);
    const double stored = set->value(value).toDouble();
    double next = stored;
    for (auto _ : state) {
        next += 1;
        set->setValue(value, next);
        set->update();
    }
    // The series stays as loaded for the other benchmarks and the anchors.
    set->setValue(value, stored);
    set->update();
}
BENCHMARK(BM_PostgresSaveOneUnitValue)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_PostgresParametersWithData(benchmark::State& state) {
    const auto db = benchHdbOrSkip(state);
    if (!db)
        return;
    const QString sql = rp::parameterListWithDataStatement(QStringLiteral("7"), rp::TimeStep::Unit,
                                                           QStringLiteral("01-Jun-2015"),
                                                           QStringLiteral("30-Jun-2015"));
    static bool planShown = false;
    if (!planShown) {
        planShown = true;
        try {
            db->executeNative(QStringLiteral("VACUUM ANALYZE runit"));
            const auto plan =
                db->open(QStringLiteral("EXPLAIN ANALYZE ") + sql, rp::LockType::ReadOnly);
            for (qsizetype r = 0; r < plan->recordCount(); ++r)
                std::fprintf(stderr, "%s\n", qPrintable(plan->displayText(r, 0)));
        } catch (const rp::Error& e) {
            std::fprintf(stderr, "no plan: %s\n", qPrintable(e.message()));
        }
    }
    qsizetype found = 0;
    for (auto _ : state) {
        const auto set = db->open(sql, rp::LockType::ReadOnly);
        found = set->recordCount();
    }
    state.counters["parameters"] = double(found);
    state.counters["table_rows"] = double(seriesRows * seriesCount);
}
BENCHMARK(BM_PostgresParametersWithData)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace
