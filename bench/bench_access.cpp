// Reading and converting an Access file. No writer for .mdb files exists on this platform, so
// there is no file of 100,000 value rows to time: reading and the whole conversion run on the
// largest sample, Northwind (4,000 rows in nine tables, 3 MB), and report rows per second; the
// writing half of a conversion is timed at full size on 100,000 value rows held in memory.

#include "core/hdb/HdbImport.h"
#include "core/hdb/HdbSchema.h"
#include "core/hdb/TableCopy.h"
#include "providers/access/AccessDatabase.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The shared data folder: RIVELPOST_SHARED_DATA, else ../shared/data beside the repository.
QString sampleFile(benchmark::State& state) {
    QString folder = qEnvironmentVariable("RIVELPOST_SHARED_DATA");
    if (folder.isEmpty())
        folder =
            QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../shared/data"));
    const QString path = QDir(folder).filePath(QStringLiteral("mdb/nwind.mdb"));
    if (!QFileInfo::exists(path))
        state.SkipWithError("the shared sample mdb/nwind.mdb is missing");
    return path;
}

void reportRows(benchmark::State& state, qint64 rows) {
    state.counters["rows"] = double(rows);
    state.counters["rows_per_second"] =
        benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
}

qint64 rowsOf(rp::Database& database) {
    qint64 rows = 0;
    for (const QString& table : database.tables())
        rows += database
                    .open(QStringLiteral("SELECT count(*) FROM [%1]").arg(table),
                          rp::LockType::ReadOnly)
                    ->value(0, 0)
                    .toLongLong();
    return rows;
}

// Connecting: the file read by libmdb in its own process into the in-memory copy.
void BM_OpenAccessFile(benchmark::State& state) {
    const QString path = sampleFile(state);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    qint64 rows = 0;
    for (auto _ : state) {
        rp::AccessDatabase database(path);
        state.PauseTiming();
        rows = rowsOf(database);
        state.ResumeTiming();
    }
    reportRows(state, rows);
}
BENCHMARK(BM_OpenAccessFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// rivelpost-cli import FILE.mdb NEW.sqlite: reading, then every table into a new SQLite HDB.
void BM_ImportAccessFile(benchmark::State& state) {
    const QString path = sampleFile(state);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QTemporaryDir dir;
    qint64 rows = 0;
    int n = 0;
    for (auto _ : state) {
        const QString target = dir.filePath(QStringLiteral("copy%1.sqlite").arg(++n));
        rows = rp::importHdb(QStringLiteral("Data Source=") + path,
                             QStringLiteral("Provider=SQLite;Data Source=") + target);
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    reportRows(state, rows);
}
BENCHMARK(BM_ImportAccessFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The writing half of a conversion at full size: an HDB of 100,000 daily values held in memory,
// as a connected Access file holds its tables, copied into a new SQLite HDB file.
void BM_ConvertHdbOf100kValueRows(benchmark::State& state) {
    const auto source = std::make_shared<rp::SqliteDatabase>(QStringLiteral(":memory:"));
    rp::createHdbSchema(*source);
    source->executeNative(QStringLiteral(
        "INSERT INTO rsite VALUES (1, '1', 'GAUGE', 'CO', 1, 1001, 'discharge', 'cfs', 19);"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
        "INSERT INTO rday SELECT 1001, datetime('1750-01-01', '+' || i || ' days'), "
        "i * 0.25, 1 FROM n"));
    QTemporaryDir dir;
    qint64 rows = 0;
    int n = 0;
    for (auto _ : state) {
        const QString target = dir.filePath(QStringLiteral("copy%1.sqlite").arg(++n));
        rp::buildNewHdbFile(target,
                            [&](rp::Database& to) { rows = rp::copyEveryTable(*source, to); });
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    reportRows(state, rows);
}
BENCHMARK(BM_ConvertHdbOf100kValueRows)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
