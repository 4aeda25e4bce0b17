// Filling a record set with the 10-year 15-minute unit series of the benchmark HDB (named by
// RIVELPOST_BENCH_HDB), beside a bare sqlite3_step loop over the same translated statement that
// reads every column. The fill should stay within twice the bare loop; that of the 100-year
// series (key 1002, 3,506,400 rows) within 1.5 times, at under 40 bytes a row.

#include "BenchHdb.h"
#include "core/base/Error.h"
#include "core/db/Database.h"
#include "jet/JetSql.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

const QString tenYears = QStringLiteral(
    "SELECT * FROM runit WHERE datatype_site_id=1001 AND date_time BETWEEN #01-Jan-2010# AND "
    "#02-Jan-2020# ORDER BY date_time;");
const QString hundredYears = QStringLiteral(
    "SELECT * FROM runit WHERE datatype_site_id=1002 AND date_time BETWEEN #01-Jan-1920# AND "
    "#01-Jan-2020# ORDER BY date_time;");

std::shared_ptr<rp::SqliteDatabase> openBenchHdb(benchmark::State& state, bool century) {
    const QString path = century ? rp::bench::centuryBenchHdb(state) : rp::bench::benchHdb(state);
    if (path.isEmpty())
        return nullptr;
    try {
        return std::make_shared<rp::SqliteDatabase>(path);
    } catch (const rp::Error& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
}

void recordSetFill(benchmark::State& state, bool century) {
    const QString& statement = century ? hundredYears : tenYears;
    const auto db = openBenchHdb(state, century);
    if (!db)
        return;
    qsizetype rows = 0;
    qsizetype bytes = 0;
    for (auto _ : state) {
        const auto rs = db->open(statement, rp::LockType::ReadOnly);
        rows = rs->recordCount();
        bytes = rs->memoryBytes();
        benchmark::DoNotOptimize(rs->value(rows - 1, 2));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * rows);
    state.counters["rows"] = double(rows);
    state.counters["bytes_per_row"] = rows ? double(bytes) / double(rows) : 0.0;
}

void rawSqliteStep(benchmark::State& state, bool century) {
    const QString& statement = century ? hundredYears : tenYears;
    const auto db = openBenchHdb(state, century);
    if (!db)
        return;
    const QByteArray sql = rp::JetSql::translate(statement, db->dialect()).sql.toUtf8();
    qsizetype rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db->handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db->handle()));
            return;
        }
        rows = 0;
        int64_t sum = 0;
        double total = 0;
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    sum += sqlite3_column_int64(stmt, c);
                    break;
                case SQLITE_FLOAT:
                    total += sqlite3_column_double(stmt, c);
                    break;
                case SQLITE_TEXT:
                    sum += sqlite3_column_text(stmt, c)[0] + sqlite3_column_bytes(stmt, c);
                    break;
                default:
                    break;
                }
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * rows);
    state.counters["rows"] = double(rows);
}

void BM_RecordSetFill(benchmark::State& state) {
    recordSetFill(state, false);
}
void BM_RawSqliteStep(benchmark::State& state) {
    rawSqliteStep(state, false);
}
void BM_RecordSetFill100Years(benchmark::State& state) {
    recordSetFill(state, true);
}
void BM_RawSqliteStep100Years(benchmark::State& state) {
    rawSqliteStep(state, true);
}

} // namespace

BENCHMARK(BM_RecordSetFill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteStep)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordSetFill100Years)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteStep100Years)->Unit(benchmark::kMillisecond)->UseRealTime();
