// The Graph/Table hand-off on the benchmark HDB (named by RIVELPOST_BENCH_HDB): the 10-year
// 15-minute unit series of key 1001 (350,640 records) and the 100-year daily series of key 2001
// written to the series file, retrieval included as GO does it. Both should beat the sqlite3
// command exporting the same unit rows as text (anchor a). The 100-year unit series (key 1002,
// 3,506,400 records) is timed beside them.

#include "BenchHdb.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/series/SeriesFile.h"
#include "core/series/SeriesRetrieval.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::shared_ptr<rp::Database> benchDatabase(benchmark::State& state, bool century = false) {
    const QString hdb = century ? rp::bench::centuryBenchHdb(state) : rp::bench::benchHdb(state);
    if (hdb.isEmpty())
        return nullptr;
    return rp::openDatabase(QStringLiteral("Provider=SQLite;Data Source=") + hdb);
}

void handOff(benchmark::State& state, const char* key, rp::TimeStep step, const char* from,
             const char* to) {
    const auto database =
        benchDatabase(state, QLatin1String(key) == QString::number(rp::bench::centuryKey));
    if (!database)
        return;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lastout.txt"));
    for (auto _ : state)
        rp::writeSeriesFromDatabase(*database, QLatin1String(key), step, QLatin1String(from),
                                    QLatin1String(to), path);
}

// Retrieval and series file, as GO then Graph/Table.
void BM_HandOffUnitSeries(benchmark::State& state) {
    handOff(state, "1001", rp::TimeStep::Unit, "01-Jan-2010", "01-Jan-2020");
}
BENCHMARK(BM_HandOffUnitSeries)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HandOffDailySeries(benchmark::State& state) {
    handOff(state, "2001", rp::TimeStep::Day, "01-Jan-1900", "31-Dec-1999");
}
BENCHMARK(BM_HandOffDailySeries)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HandOff100YearUnitSeries(benchmark::State& state) {
    handOff(state, "1002", rp::TimeStep::Unit, "01-Jan-1920", "31-Dec-2019");
}
BENCHMARK(BM_HandOff100YearUnitSeries)->Unit(benchmark::kMillisecond)->UseRealTime();

// The series file alone from the record set GO already holds.
void BM_SeriesFileOfUnitRecords(benchmark::State& state) {
    const auto database = benchDatabase(state);
    if (!database)
        return;
    const auto records = database->open(
        rp::retrievalStatement(rp::TimeStep::Unit, QStringLiteral("1001"),
                               QStringLiteral("01-Jan-2010"), QStringLiteral("02-Jan-2020")),
        rp::LockType::ReadOnly);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lastout.txt"));
    const rp::SeriesRequest request{rp::TimeStep::Unit, QStringLiteral("01-Jan-2010"),
                                    QStringLiteral("01-Jan-2020"),
                                    QStringLiteral("1001 Gage; DISCHARGE, CFS")};
    // With a progress callback, as the program runs it.
    qint64 reports = 0;
    const rp::Progress progress = [&reports](qint64, qint64) { return ++reports > 0; };
    for (auto _ : state)
        rp::writeSeriesFile(*records, request, path, progress);
    state.counters["records"] = static_cast<double>(records->recordCount());
}
BENCHMARK(BM_SeriesFileOfUnitRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
