// The spreadsheet export of the benchmark HDB's 10-year 15-minute unit series of key 1001
// (350,640 values) with its line chart, from the series file the hand-off writes (written once,
// outside the timing). Target: at most half the time python3-xlsxwriter in constant-memory mode
// takes for the same rows and chart (anchor c).

#include "core/db/Database.h"
#include "core/export/SpreadsheetExport.h"
#include "core/series/SeriesRetrieval.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_SpreadsheetExportUnitSeries(benchmark::State& state) {
    const QString hdb = QString::fromLocal8Bit(std::getenv("RIVELPOST_BENCH_HDB"));
    if (hdb.isEmpty()) {
        state.SkipWithError("RIVELPOST_BENCH_HDB does not name the benchmark HDB");
        return;
    }
    QTemporaryDir dir;
    const QString series = dir.filePath(QStringLiteral("lastout.txt"));
    const QString book = dir.filePath(QStringLiteral("Book1.xlsx"));
    const auto database = rp::openDatabase(QStringLiteral("Provider=SQLite;Data Source=") + hdb);
    rp::writeSeriesFromDatabase(*database, QStringLiteral("1001"), rp::TimeStep::Unit,
                                QStringLiteral("01-Jan-2010"), QStringLiteral("01-Jan-2020"),
                                series);
    // With a progress callback, as the program runs it.
    qint64 reports = 0;
    const rp::Progress progress = [&reports](qint64, qint64) { return ++reports > 0; };
    for (auto _ : state)
        rp::writeExportWorkbook(series, false, 96, book, progress);
    state.counters["progress_reports"] = static_cast<double>(reports) / state.iterations();
    state.counters["bytes"] = static_cast<double>(QFileInfo(book).size());
}
BENCHMARK(BM_SpreadsheetExportUnitSeries)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
