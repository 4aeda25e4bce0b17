// Many users on one PostgreSQL HDB (RIVELPOST_TEST_PG, e.g. under tools/with-postgres): 16
// clients, each a thread with its own connection, share four one-year daily series and for 30 s
// repeat GO, an edit of one value through the record set, and the daily table with write-back of
// the series. It reports the throughput, the median and 95th-percentile GO time against GO with
// the server to itself, the refusals of rows another client changed, and every other error; at
// the end it checks that every committed edit and write-back is in the database and that no edit
// overwrote one its client had not seen. The HDB is made afresh in the schema rp_load each run.
// RIVELPOST_PGLOAD_SECONDS shortens the run for a quick look.

#include "core/base/Error.h"
#include "core/base/TimeStep.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowChangeSql.h"
#include "core/hdb/HdbSchema.h"
#include "core/hdb/Retrieval.h"
#include "core/reports/ReportOptions.h"
#include "core/reports/TableReport.h"
#include "core/series/SeriesFile.h"
#include "core/writeback/AggregateRows.h"
#include "core/writeback/DatabaseAggregateSink.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int clientCount = 16;
constexpr int keyCount = 4; // four clients on each series
constexpr qint64 firstKey = 3001;
constexpr int year = 2015;
const QString fromText = QStringLiteral("01-Jan-2015");
const QString toText = QStringLiteral("31-Dec-2015");

double initialValue(qint64 key, int day) {
    // Tenths, which no double holds exactly: a value must travel to the server and back unchanged
    // for the edit's check to find its row.
    return 100.0 + double(key - firstKey) + 0.1 * day;
}

QString loadConnection(QString& error) {
    const QString server = qEnvironmentVariable("RIVELPOST_TEST_PG");
    if (server.isEmpty()) {
        error = QStringLiteral("RIVELPOST_TEST_PG does not name a PostgreSQL server");
        return {};
    }
    const QString connection = server + QStringLiteral(";Schema=rp_load");
    const auto admin = rp::openDatabase(server);
    admin->executeNative(QStringLiteral("DROP SCHEMA IF EXISTS rp_load CASCADE"));
    admin->executeNative(QStringLiteral("CREATE SCHEMA rp_load"));
    rp::buildNewHdb(connection, [](rp::Database& hdb) {
        qint64 n = 0;
        hdb.appendRows(QStringLiteral("rsite"),
                       {QStringLiteral("site_id"), QStringLiteral("site_name"),
                        QStringLiteral("datatype_site_id"), QStringLiteral("datatype_name"),
                        QStringLiteral("unit_name"), QStringLiteral("datatype_id")},
                       [&](QVariantList& row) {
                           if (n == keyCount)
                               return false;
                           row << 30 << QStringLiteral("LOAD RIVER NR SHARED") << firstKey + n
                               << QStringLiteral("discharge") << QStringLiteral("cfs") << 19;
                           ++n;
                           return true;
                       });
        const QDate start(year, 1, 1);
        const int days = start.daysInYear();
        qint64 i = 0;
        hdb.appendRows(QStringLiteral("rday"), rp::hdbValueColumns(), [&](QVariantList& row) {
            if (i == qint64(keyCount) * days)
                return false;
            const qint64 key = firstKey + i / days;
            const int day = int(i % days);
            row << key << QDateTime(start.addDays(day), QTime(0, 0), Qt::UTC)
                << initialValue(key, day) << 1;
            ++i;
            return true;
        });
    });
    return connection;
}

std::unique_ptr<rp::RecordSet> go(rp::Database& db, qint64 key) {
    return db.open(rp::retrievalStatement(rp::TimeStep::Day, QString::number(key), fromText,
                                          rp::retrievalUpperBound(rp::TimeStep::Day, toText)),
                   rp::LockType::Optimistic);
}

// A committed edit: the value the client saw in the row and the one it wrote over it.
struct Edit {
    qint64 key = 0;
    QDateTime when;
    double seen = 0;
    double written = 0;
};

// A committed write-back: its rows' values and when it started and ended.
struct WriteBack {
    qint64 key = 0;
    Clock::time_point started;
    Clock::time_point ended;
    std::map<QString, double> rows; // "rmonth 3/01/2015" -> value
};

// Passes the daily table's aggregates on to the database sink and notes what they were.
class NotingSink : public rp::AggregateSink {
public:
    NotingSink(rp::AggregateSink& sink, WriteBack& note) : m_sink(sink), m_note(note) {}
    bool wantsMonthly() const override { return m_sink.wantsMonthly(); }
    bool wantsYearly() const override { return m_sink.wantsYearly(); }
    void writeMonthly(int y, int month, const QVariant& value) override {
        m_sink.writeMonthly(y, month, value);
        m_note.rows[QStringLiteral("rmonth ") + rp::monthRowDate(y, month)] =
            rp::aggregateNumber(value);
    }
    void writeYearly(int y, const QVariant& value) override {
        m_sink.writeYearly(y, value);
        if (value.isValid())
            m_note.rows[QStringLiteral("ryear ") + rp::yearRowDate(y)] = rp::aggregateNumber(value);
    }
    void checkSeries(QIODevice& series) override { m_sink.checkSeries(series); }
    QString finish() override { return m_sink.finish(); }

private:
    rp::AggregateSink& m_sink;
    WriteBack& m_note;
};

struct Results {
    std::mutex lock;
    std::vector<double> goSeconds;
    std::vector<Edit> edits;
    std::vector<WriteBack> writeBacks;
    std::map<QString, int> errors; // message -> count
    qint64 cycles = 0;
    std::vector<Edit> refusedEdits;
    qint64 writeBackRefusals = 0;
    std::atomic<int> finished{0};

    void error(const QString& message) {
        std::lock_guard guard(lock);
        ++errors[message.left(300)];
    }
};

bool isRefusal(const rp::Error& e) {
    return e.message().contains(rp::rowChangeRefusal(0));
}

void editOneValue(rp::RecordSet& set, int client, qint64 seq, qint64 key, Results& results) {
    const int valueField = set.fieldIndex(QStringLiteral("value"));
    const int timeField = set.fieldIndex(QStringLiteral("date_time"));
    // The first ten days of the year, which the clients of a series all edit, so that they meet.
    const qsizetype row = qsizetype(seq * 3 + client) % 10;
    Edit edit{key, set.value(row, timeField).toDateTime(), set.value(row, valueField).toDouble(),
              1e6 * (client + 1) + double(seq) + 0.3};
    set.setAbsolutePosition(row + 1);
    set.setValue(valueField, edit.written);
    try {
        set.update();
    } catch (const rp::Error& e) {
        set.cancelUpdate();
        if (!isRefusal(e))
            throw;
        std::lock_guard guard(results.lock);
        results.refusedEdits.push_back(edit);
        return;
    }
    std::lock_guard guard(results.lock);
    results.edits.push_back(edit);
}

void writeBack(const std::shared_ptr<rp::Database>& db, const rp::RecordSet& set, qint64 key,
               Results& results) {
    rp::SeriesRequest request{rp::TimeStep::Day, fromText, toText,
                              rp::seriesDescription(QString::number(key),
                                                    QStringLiteral("LOAD RIVER NR SHARED"),
                                                    QStringLiteral("discharge"),
                                                    QStringLiteral("cfs"), rp::TimeStep::Day)};
    QBuffer series;
    series.open(QIODevice::ReadWrite);
    rp::writeSeriesFile(set, request, series);
    series.seek(0);
    QBuffer report;
    report.open(QIODevice::WriteOnly);
    WriteBack note{key, Clock::now(), {}, {}};
    rp::DatabaseAggregateSink sink([db] { return db; }, QString::number(key),
                                   {[] { return true; }, [] { return true; }});
    NotingSink noting(sink, note);
    rp::ReportOptions options;
    options.sink = &noting;
    try {
        rp::writeTableReport(series, report, options);
        noting.finish();
    } catch (const rp::Error& e) {
        if (!isRefusal(e))
            throw;
        std::lock_guard guard(results.lock);
        ++results.writeBackRefusals;
        return;
    }
    note.ended = Clock::now();
    std::lock_guard guard(results.lock);
    results.writeBacks.push_back(std::move(note));
}

void client(const QString& connection, int id, Clock::time_point until, Results& results) {
    const qint64 key = firstKey + id % keyCount;
    try {
        const auto db = rp::openDatabase(connection);
        for (qint64 seq = 0; Clock::now() < until; ++seq) {
            try {
                const auto started = Clock::now();
                const auto set = go(*db, key);
                const std::chrono::duration<double> took = Clock::now() - started;
                if (set->recordCount() != QDate(year, 1, 1).daysInYear())
                    throw rp::Error(QStringLiteral("GO did not bring the whole year"));
                {
                    std::lock_guard guard(results.lock);
                    results.goSeconds.push_back(took.count());
                }
                editOneValue(*set, id, seq, key, results);
                writeBack(db, *set, key, results);
                std::lock_guard guard(results.lock);
                ++results.cycles;
            } catch (const rp::Error& e) {
                results.error(e.message());
            }
        }
    } catch (const rp::Error& e) {
        results.error(QStringLiteral("connecting: ") + e.message());
    }
    ++results.finished;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto i = size_t(std::ceil(p * double(values.size()))) - 1;
    return values[std::min(i, values.size() - 1)];
}

// Busy and all jiffies of the whole machine so far, from /proc/stat (zeros where there is none).
std::pair<double, double> machineJiffies() {
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return {0, 0};
    const QList<QByteArray> fields = stat.readLine().simplified().split(' ');
    double all = 0;
    double idle = 0;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        all += fields[i].toDouble();
        if (i == 4 || i == 5) // idle, iowait
            idle += fields[i].toDouble();
    }
    return {all - idle, all};
}

double singleClientGo(const QString& connection) {
    const auto db = rp::openDatabase(connection);
    std::vector<double> seconds;
    for (int i = 0; i < 30; ++i) {
        const auto started = Clock::now();
        const auto set = go(*db, firstKey + i % keyCount);
        benchmark::DoNotOptimize(set->recordCount());
        seconds.push_back(std::chrono::duration<double>(Clock::now() - started).count());
    }
    return percentile(seconds, 0.5);
}

// Follows each row from its first value through the edits that saw it: every committed edit must
// be a link of the chain (two edits that saw the same value means one overwrote the other unseen)
// and the row must end at the chain's last value. Returns the edits lost.
qint64 lostEdits(rp::Database& db, const std::vector<Edit>& edits) {
    std::map<std::pair<qint64, QDateTime>, std::vector<Edit>> byRow;
    for (const Edit& e : edits)
        byRow[{e.key, e.when}].push_back(e);
    qint64 lost = 0;
    for (auto& [row, list] : byRow) {
        double value = initialValue(row.first, int(QDate(year, 1, 1).daysTo(row.second.date())));
        size_t linked = 0;
        for (bool found = true; found;) {
            found = false;
            for (const Edit& e : list)
                if (e.seen == value) {
                    value = e.written;
                    ++linked;
                    found = true;
                    break;
                }
        }
        lost += qint64(list.size() - linked);
        const auto stored = db.open(
            QStringLiteral("SELECT value FROM rday WHERE datatype_site_id=%1 AND date_time=#%2#;")
                .arg(row.first)
                .arg(row.second.toString(QStringLiteral("MM/dd/yyyy"))),
            rp::LockType::ReadOnly);
        if (stored->recordCount() != 1 || stored->value(0, 0).toDouble() != value) {
            std::fprintf(stderr, "row %lld %s holds %s, not the last edit %.17g\n",
                         static_cast<long long>(row.first), qPrintable(row.second.toString()),
                         qPrintable(stored->isEmpty() ? QStringLiteral("nothing")
                                                      : stored->displayText(0, 0)),
                         value);
            lost += list.empty() ? 1 : qint64(list.size() - linked + 1);
        }
    }
    return lost;
}

// An edit is refused rightly when another client's committed edit replaced the value it saw.
qint64 wrongRefusals(const std::vector<Edit>& refused, const std::vector<Edit>& edits) {
    qint64 wrong = 0;
    for (const Edit& r : refused)
        if (std::none_of(edits.begin(), edits.end(), [&](const Edit& e) {
                return e.key == r.key && e.when == r.when && e.seen == r.seen;
            })) {
            std::fprintf(stderr, "an edit of %lld %s was refused though no one had changed it\n",
                         static_cast<long long>(r.key), qPrintable(r.when.toString()));
            ++wrong;
        }
    return wrong;
}

// Each aggregate row must hold what one of the write-backs that may have committed last wrote: one
// that had not ended before the last of them started.
qint64 lostWriteBacks(rp::Database& db, const std::vector<WriteBack>& writeBacks) {
    qint64 lost = 0;
    for (qint64 key = firstKey; key < firstKey + keyCount; ++key) {
        Clock::time_point lastStart{};
        for (const WriteBack& w : writeBacks)
            if (w.key == key)
                lastStart = std::max(lastStart, w.started);
        std::map<QString, std::vector<double>> candidates;
        for (const WriteBack& w : writeBacks)
            if (w.key == key && w.ended >= lastStart)
                for (const auto& [row, value] : w.rows)
                    candidates[row].push_back(value);
        for (const auto& [row, values] : candidates) {
            const QString table = row.section(QLatin1Char(' '), 0, 0);
            const QString date = row.section(QLatin1Char(' '), 1);
            const auto stored = db.open(QStringLiteral("SELECT value, source FROM %1 WHERE "
                                                       "datatype_site_id=%2 AND date_time=#%3#;")
                                            .arg(table)
                                            .arg(key)
                                            .arg(date),
                                        rp::LockType::ReadOnly);
            const bool kept =
                stored->recordCount() == 1 && stored->value(0, 1).toInt() == rp::aggregateSource &&
                std::any_of(values.begin(), values.end(), [&](double v) {
                    return std::abs(stored->value(0, 0).toDouble() - v) <= 1e-9 * std::abs(v);
                });
            if (!kept) {
                std::fprintf(stderr, "%s of %lld is not what the last write-back wrote\n",
                             qPrintable(row), static_cast<long long>(key));
                ++lost;
            }
        }
    }
    return lost;
}

void BM_PostgresManyUsers(benchmark::State& state) {
    QString error;
    QString connection;
    try {
        connection = loadConnection(error);
    } catch (const rp::Error& e) {
        error = e.message();
    }
    if (connection.isEmpty()) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    const int seconds = qEnvironmentVariableIntValue("RIVELPOST_PGLOAD_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("RIVELPOST_PGLOAD_SECONDS")
                            : 30;
    Results results;
    double single = 0;
    double clientCpu = 0;
    double machineBusy = 0;
    for (auto _ : state) {
        single = singleClientGo(connection);
        const std::clock_t cpuStart = std::clock();
        const auto jiffiesStart = machineJiffies();
        const auto until = Clock::now() + std::chrono::seconds(seconds);
        std::vector<std::thread> threads;
        for (int id = 0; id < clientCount; ++id)
            threads.emplace_back(client, connection, id, until, std::ref(results));
        // A client stuck well past the end is waiting on a lock that is never released.
        while (results.finished < clientCount && Clock::now() < until + std::chrono::seconds(120))
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (results.finished < clientCount) {
            std::fprintf(stderr, "%d clients still waiting 120 s after the end: deadlock\n",
                         clientCount - results.finished);
            std::fflush(stderr);
            std::_Exit(1);
        }
        for (std::thread& t : threads)
            t.join();
        clientCpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const auto jiffiesEnd = machineJiffies();
        const double all = jiffiesEnd.second - jiffiesStart.second;
        machineBusy = all > 0 ? (jiffiesEnd.first - jiffiesStart.first) / all : 0;
    }
    const auto db = rp::openDatabase(connection);
    const qint64 lost = lostEdits(*db, results.edits) + lostWriteBacks(*db, results.writeBacks);
    const qint64 wrong = wrongRefusals(results.refusedEdits, results.edits);
    qint64 errors = 0;
    for (const auto& [message, count] : results.errors) {
        std::fprintf(stderr, "error (%d times): %s\n", count, qPrintable(message));
        errors += count;
    }
    const double median = percentile(results.goSeconds, 0.5);
    const double p95 = percentile(results.goSeconds, 0.95);
    std::fprintf(stderr,
                 "%d clients, %d s: %lld cycles (%.1f/s), GO median %.2f ms, p95 %.2f ms, alone "
                 "%.2f ms; %zu edits, %zu refused (%lld wrongly); %zu write-backs, %lld refused; "
                 "%lld errors; %lld lost; the clients used %.2f cores, the machine was %.0f%% busy "
                 "(%u cores)\n",
                 clientCount, seconds, static_cast<long long>(results.cycles),
                 double(results.cycles) / seconds, median * 1e3, p95 * 1e3, single * 1e3,
                 results.edits.size(), results.refusedEdits.size(), static_cast<long long>(wrong),
                 results.writeBacks.size(), static_cast<long long>(results.writeBackRefusals),
                 static_cast<long long>(errors), static_cast<long long>(lost), clientCpu / seconds,
                 machineBusy * 100, std::thread::hardware_concurrency());
    state.counters["clients"] = clientCount;
    state.counters["cycles_per_second"] = double(results.cycles) / seconds;
    state.counters["go_single_s"] = single;
    state.counters["go_median_s"] = median;
    state.counters["go_p95_s"] = p95;
    state.counters["edits"] = double(results.edits.size());
    state.counters["edit_refusals"] = double(results.refusedEdits.size());
    state.counters["wrong_refusals"] = double(wrong);
    state.counters["client_cores"] = clientCpu / seconds;
    state.counters["machine_busy"] = machineBusy;
    state.counters["writebacks"] = double(results.writeBacks.size());
    state.counters["writeback_refusals"] = double(results.writeBackRefusals);
    state.counters["errors"] = double(errors);
    state.counters["lost"] = double(lost);
}
// One run of fixed length whatever repetitions bench/run asks for.
BENCHMARK(BM_PostgresManyUsers)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
