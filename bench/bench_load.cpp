// Loading agencies' files into a new SQLite HDB, reading and parsing included: the 105-year
// French Broad daily file (38,351 rows) and the 79,633-row hourly precipitation CSV. bench/run
// times sqlite3's own .import of the same rows as CSV beside them; the load should be faster.
// The files come from the shared data folder (RIVELPOST_SHARED_DATA or ../shared/data).

#include "core/db/Database.h"
#include "core/hdb/DataFile.h"
#include "core/hdb/HdbSchema.h"
#include "core/hdb/SeriesLoad.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void loadFile(benchmark::State& state, const char* name) {
    const QString folder = qEnvironmentVariable("RIVELPOST_SHARED_DATA");
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (folder.isEmpty() || !QFileInfo::exists(path)) {
        state.SkipWithError("RIVELPOST_SHARED_DATA does not name the folder of the data files");
        return;
    }
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString hdb = dir.filePath(QStringLiteral("load.sqlite"));
        state.ResumeTiming();
        const auto database = rp::createHdb(QStringLiteral("Provider=SQLite;Data Source=") + hdb);
        const auto read = rp::readDataFile(path);
        rows = 0;
        for (const rp::LoadResult& r : rp::loadSeries(*database, read.series, {}))
            rows += r.inserted;
    }
    state.counters["rows"] = double(rows);
}

void BM_LoadDailyFile(benchmark::State& state) {
    loadFile(state, "usgs_03451500_dv_00060_1895-2000_oldrdb.txt");
}
BENCHMARK(BM_LoadDailyFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadHourlyCsv(benchmark::State& state) {
    loadFile(state, "noaa_coop366889_philadelphia_precip_hour_1988-1998.csv");
}
BENCHMARK(BM_LoadHourlyCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
