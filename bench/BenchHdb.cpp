#include "BenchHdb.h"

#include "core/base/Error.h"

#include <QElapsedTimer>
#include <QFile>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace rp::bench {

namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Connection connect(const QString& path) {
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &handle,
                                   SQLITE_OPEN_READWRITE, nullptr);
    Connection db(handle, &sqlite3_close);
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("The benchmark HDB %1 cannot be opened: %2")
                        .arg(path, QString::fromUtf8(sqlite3_errmsg(handle))));
    // Another benchmark making the series at the same time finishes it first.
    sqlite3_busy_timeout(handle, 600000);
    return db;
}

void execute(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw Error(QStringLiteral("The 100-year benchmark series cannot be made: %1").arg(text));
    }
}

qint64 count(sqlite3* db, int key) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql =
        "SELECT count(*) FROM runit WHERE datatype_site_id=" + QByteArray::number(key);
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw Error(QString::fromUtf8(sqlite3_errmsg(db)));
    const qint64 rows = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return rows;
}

// Block n of ten holds the 10-year series moved by n times its own length (its last time plus
// one 15-minute step), so the blocks join without a gap or an overlap, leap days included.
const char* const insertCentury = R"(
INSERT INTO runit (datatype_site_id, date_time, value, source)
WITH RECURSIVE block(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM block WHERE n < 9),
span(start_s, length_s) AS (
  SELECT unixepoch(min(date_time)), unixepoch(max(date_time)) - unixepoch(min(date_time)) + 900
  FROM runit WHERE datatype_site_id = 1001)
SELECT 1002,
       datetime(unixepoch('1920-01-01') + n * length_s + unixepoch(date_time) - start_s, 'unixepoch'),
       value, source
FROM block, span, runit
WHERE datatype_site_id = 1001
ORDER BY n, date_time;
INSERT OR IGNORE INTO rsite VALUES (11532501, '2', 'SMITH R NR CRESCENT CITY CA, 100 YEARS', 'CA',
  1, 1002, 'discharge', 'cfs', 19);
)";

} // namespace

QString benchHdb(benchmark::State& state) {
    const QString path = QString::fromLocal8Bit(std::getenv("RIVELPOST_BENCH_HDB"));
    if (path.isEmpty())
        state.SkipWithError("RIVELPOST_BENCH_HDB does not name the benchmark HDB");
    return path;
}

double addCenturySeries(const QString& path) {
    const Connection db = connect(path);
    if (count(db.get(), centuryKey) == centuryRows)
        return 0;
    QElapsedTimer timer;
    timer.start();
    // Checked again under the write lock: another process may have made it meanwhile.
    execute(db.get(), "BEGIN IMMEDIATE");
    try {
        if (count(db.get(), centuryKey) == centuryRows) {
            execute(db.get(), "ROLLBACK");
            return 0;
        }
        execute(db.get(), "DELETE FROM runit WHERE datatype_site_id=1002");
        execute(db.get(), insertCentury);
        const qint64 rows = count(db.get(), centuryKey);
        if (rows != centuryRows)
            throw Error(QStringLiteral("The 100-year benchmark series came out with %1 rows "
                                       "instead of %2: is key 1001 the 10-year series?")
                            .arg(rows)
                            .arg(centuryRows));
        execute(db.get(), "COMMIT");
    } catch (const Error&) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

QString centuryBenchHdb(benchmark::State& state) {
    const QString path = benchHdb(state);
    if (path.isEmpty())
        return path;
    // Counting the rows takes a while: once a run is enough.
    static QString ready;
    if (path == ready)
        return path;
    try {
        if (const double seconds = addCenturySeries(path); seconds > 0)
            std::fprintf(stderr, "Added the 100-year series (key %d, %lld rows) in %.1f s\n",
                         centuryKey, static_cast<long long>(centuryRows), seconds);
    } catch (const Error& e) {
        state.SkipWithError(e.what());
        return {};
    }
    ready = path;
    return path;
}

} // namespace rp::bench
