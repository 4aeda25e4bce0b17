// The table reports over long series read from their series files on disk: the daily table of
// 100 years of daily values and the hourly table of one year of hours, both taken from the
// benchmark HDB named by RIVELPOST_BENCH_HDB (rday key 2001, runit key 1001 on the hour).

#include "core/reports/ReportOptions.h"
#include "core/reports/TableReport.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <map>
#include <memory>

namespace {

struct SeriesFiles {
    QTemporaryDir dir;
    QString daily;
    QString hourly;
    QString error;
    int dailyLines = 0;
    int hourlyLines = 0;
};

const char* const months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

QByteArray dateField(QDate d) {
    return QByteArray::number(d.day()).rightJustified(2, '0') + ' ' + months[d.month() - 1] + ' ' +
           QByteArray::number(d.year()) + ' ';
}

// Rows of (date_time text, value text) from the HDB.
bool query(sqlite3* db, const char* sql, std::map<QByteArray, QByteArray>& rows) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QByteArray when(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        QByteArray value;
        if (sqlite3_column_type(stmt, 1) != SQLITE_NULL)
            value = QByteArray::number(sqlite3_column_double(stmt, 1), 'g', 15);
        rows[when] = value;
    }
    sqlite3_finalize(stmt);
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Series files as the Graph/Table command writes them: gap-filled, one line per slot.
const SeriesFiles& seriesFiles() {
    static const std::unique_ptr<SeriesFiles> files = [] {
        auto f = std::make_unique<SeriesFiles>();
        const char* hdb = std::getenv("RIVELPOST_BENCH_HDB");
        sqlite3* db = nullptr;
        if (!hdb || sqlite3_open_v2(hdb, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            f->error = QStringLiteral("set RIVELPOST_BENCH_HDB to the benchmark HDB");
            sqlite3_close(db);
            return f;
        }
        std::map<QByteArray, QByteArray> days;
        std::map<QByteArray, QByteArray> hours;
        const bool ok =
            query(db,
                  "SELECT substr(date_time, 1, 10), value FROM rday WHERE datatype_site_id=2001 "
                  "ORDER BY date_time",
                  days) &&
            query(db,
                  "SELECT substr(date_time, 1, 13), value FROM runit WHERE datatype_site_id=1001 "
                  "AND date_time >= '2010-01-01' AND date_time <= '2011-01-01 00:00:00' "
                  "AND substr(date_time, 15, 5) = '00:00' ORDER BY date_time",
                  hours);
        sqlite3_close(db);
        if (!ok || days.empty() || hours.empty()) {
            f->error = QStringLiteral("the benchmark HDB lacks rday 2001 or runit 1001");
            return f;
        }

        QByteArray daily = "2 2001 FRENCH BROAD RIVER AT ASHEVILLE NC\r\nDAILY DISCHARGE, CFS\r\n";
        const QDate firstDay = QDate::fromString(QString::fromLatin1(days.begin()->first),
                                                 QStringLiteral("yyyy-MM-dd"));
        const QDate lastDay = QDate::fromString(QString::fromLatin1(days.rbegin()->first),
                                                QStringLiteral("yyyy-MM-dd"));
        for (QDate d = firstDay; d <= lastDay; d = d.addDays(1)) {
            const auto it = days.find(d.toString(QStringLiteral("yyyy-MM-dd")).toLatin1());
            daily += dateField(d) + (it == days.end() ? QByteArray() : it->second) + "\r\n";
            ++f->dailyLines;
        }
        QByteArray hourly = "3 1001 SMITH R NR CRESCENT CITY CA\r\nHOURLY DISCHARGE, CFS\r\n";
        const QDateTime start(QDate(2010, 1, 1), QTime(0, 0));
        for (QDateTime t = start; t <= start.addYears(1); t = t.addSecs(3600)) {
            const auto it = hours.find(t.toString(QStringLiteral("yyyy-MM-dd HH")).toLatin1());
            hourly += dateField(t.date()) +
                      QByteArray::number(t.time().hour()).rightJustified(2, '0') + ":00 " +
                      (it == hours.end() ? QByteArray() : it->second) + "\r\n";
            ++f->hourlyLines;
        }
        f->daily = f->dir.filePath(QStringLiteral("daily.txt"));
        f->hourly = f->dir.filePath(QStringLiteral("hourly.txt"));
        if (!writeFile(f->daily, daily) || !writeFile(f->hourly, hourly))
            f->error = QStringLiteral("cannot write the series files");
        return f;
    }();
    return *files;
}

void runReport(benchmark::State& state, const QString& series, int lines) {
    const SeriesFiles& files = seriesFiles();
    if (!files.error.isEmpty()) {
        state.SkipWithError(qPrintable(files.error));
        return;
    }
    const QString reportPath = files.dir.filePath(QStringLiteral("lasttable.txt"));
    rp::ReportOptions options;
    options.stationId = QStringLiteral("2");
    for (auto _ : state) {
        QFile in(series);
        QFile out(reportPath);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot open the series or report file");
            return;
        }
        rp::writeTableReport(in, out, options);
        out.close();
        benchmark::DoNotOptimize(out.size());
    }
    state.counters["lines"] = lines;
    state.SetItemsProcessed(state.iterations() * lines);
}

void BM_DailyTable100Years(benchmark::State& state) {
    runReport(state, seriesFiles().daily, seriesFiles().dailyLines);
}
BENCHMARK(BM_DailyTable100Years)->Unit(benchmark::kMillisecond);

void BM_HourlyTableOneYear(benchmark::State& state) {
    runReport(state, seriesFiles().hourly, seriesFiles().hourlyLines);
}
BENCHMARK(BM_HourlyTableOneYear)->Unit(benchmark::kMillisecond);

} // namespace
