// The graph window and the command line's chart on 15-minute unit series: ten years (350,640
// lines of "lastout.txt") and a hundred years (3,506,400 lines). Reading the series file into the
// chart model; from the file to the first painted chart (target under 1 s) and a repaint after
// zooming to a month (target under 100 ms); `rivelpost-cli chart` from the file to a PNG, run as
// a user runs it (targets: within 2x and 10x the sqlite3 export anchor, under 200 MB). Long series
// are drawn reduced to the smallest and largest value per pixel column.

#include "core/chart/ChartModel.h"
#include "core/chart/SeriesReduction.h"
#include "core/series/SeriesDateField.h"
#include "gui/graph/ChartView.h"
#include "gui/graph/GraphWindow.h"

#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QValueAxis>
#include <benchmark/benchmark.h>
#include <cmath>
#include <malloc.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int unitValues = 350640;     // ten years
constexpr int centuryValues = 3506400; // a hundred years

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A noisy unit series with storms of `values` lines, written once per run.
const QString& seriesFile(int values) {
    static std::map<int, QString> paths;
    auto [at, made] = paths.try_emplace(values);
    if (!made)
        return at->second;
    at->second = folder().filePath(QStringLiteral("lastout%1.txt").arg(values));
    QFile file(at->second);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(at->second));
    QByteArray bytes = "4 1001 BENCH GAUGE\r\nUNIT VALUES FLOW, CFS\r\n";
    const qint64 start = QDateTime(QDate(2010, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    unsigned noise = 12345;
    for (int i = 0; i < values; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double storm = (i % 9000) < 300 ? 800.0 * std::sin((i % 9000) / 300.0 * M_PI) : 0;
        const double v = 120 + 60 * std::sin(i * 2 * M_PI / 35064) + storm + (noise >> 20) % 40;
        rp::appendUnitDateField(bytes, start + qint64(i) * 900000);
        bytes += QByteArray::number(v, 'g', 15) + "\r\n";
        if (bytes.size() > (1 << 20)) {
            file.write(bytes);
            bytes.clear();
        }
    }
    file.write(bytes);
    return at->second;
}

// Heap bytes in use: what a window holds once it has drawn, taken as a difference.
double heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

void BM_ChartModelLoad(benchmark::State& state) {
    const QString path = seriesFile(unitValues);
    for (auto _ : state) {
        rp::ChartModel model;
        model.loadSeriesFile(path, false, 96);
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_Reduction(benchmark::State& state) {
    rp::ChartModel model;
    model.loadSeriesFile(seriesFile(unitValues), false, 96);
    for (auto _ : state) {
        auto segments =
            rp::reduceForDisplay(model.values(0), model.nulls(0), 0, model.rowCount() - 1, 1500);
        benchmark::DoNotOptimize(segments.data());
    }
}

void BM_FileToFirstPaint(benchmark::State& state) {
    const int values = int(state.range(0));
    const QString path = seriesFile(values);
    double held = 0;
    for (auto _ : state) {
        const double before = heapInUse();
        rp::GraphWindow window;
        window.resize(1600, 1000);
        window.loadSeriesFile(path, false, 96);
        const QPixmap shot = window.chartView()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        held = heapInUse() - before;
    }
    state.counters["values"] = values;
    // The heap the shown window holds, per value of its series.
    state.counters["bytes_per_value"] = held / values;
}

void BM_RepaintAfterZoom(benchmark::State& state) {
    const int values = int(state.range(0));
    rp::GraphWindow window;
    window.resize(1600, 1000);
    window.loadSeriesFile(seriesFile(values), false, 96);
    window.chartView()->grab();
    constexpr double month = 2976;
    const double stride = std::floor((values - month) / 100);
    int zooms = 0;
    for (auto _ : state) {
        // A month somewhere in the series, as the rubber band would choose it.
        auto* x = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Horizontal).value(0));
        const double first = (zooms++ % 100) * stride;
        x->setRange(first, first + month);
        emit window.chartView()->zoomed();
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
        const QPixmap shot = window.chartView()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
    }
    state.counters["values"] = values;
}

bool transfer(int fd, void* data, size_t size, bool writing) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = writing ? write(fd, at, size) : read(fd, at, size);
        if (n <= 0)
            return false;
        at += n;
        size -= size_t(n);
    }
    return true;
}

// Starts programs from a helper process forked before main(), while this one is still small:
// the kernel counts into a child's peak resident set the memory of the process that started it,
// and by the time the chart benchmarks run this one holds hundreds of megabytes.
class ProgramStarter {
public:
    struct Run {
        bool ok = false;
        struct rusage usage {};
    };

    ProgramStarter() {
        int requests[2];
        int replies[2];
        if (pipe(requests) != 0 || pipe(replies) != 0)
            return;
        m_helper = fork();
        if (m_helper == 0) {
            close(requests[1]);
            close(replies[0]);
            serve(requests[0], replies[1]);
            _exit(0);
        }
        close(requests[0]);
        close(replies[1]);
        m_requests = requests[1];
        m_replies = replies[0];
    }
    ~ProgramStarter() {
        close(m_requests); // the helper ends at the end of its requests
        close(m_replies);
        if (m_helper > 0)
            waitpid(m_helper, nullptr, 0);
    }

    // Runs the program with its arguments; ok when it exits with status 0.
    Run run(const std::vector<QByteArray>& argv) {
        QByteArray request;
        for (const QByteArray& arg : argv)
            request += arg + '\0';
        auto size = std::uint32_t(request.size());
        Run result;
        if (m_helper <= 0 || !transfer(m_requests, &size, sizeof size, true) ||
            !transfer(m_requests, request.data(), size, true) ||
            !transfer(m_replies, &result, sizeof result, false))
            return {};
        return result;
    }

private:
    static void serve(int requests, int replies) {
        for (std::uint32_t size = 0; transfer(requests, &size, sizeof size, false);) {
            std::string request(size, '\0');
            if (!transfer(requests, request.data(), size, false))
                return;
            std::vector<char*> argv;
            for (size_t at = 0; at < request.size(); at = request.find('\0', at) + 1)
                argv.push_back(request.data() + at);
            argv.push_back(nullptr);
            Run result;
            pid_t pid = 0;
            if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0) {
                int status = 0;
                result.ok = wait4(pid, &status, 0, &result.usage) == pid && WIFEXITED(status) &&
                            WEXITSTATUS(status) == 0;
            }
            if (!transfer(replies, &result, sizeof result, true))
                return;
        }
    }

    pid_t m_helper = -1;
    int m_requests = -1;
    int m_replies = -1;
};

ProgramStarter programStarter;

double seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// `rivelpost-cli chart FILE --out FILE.png` as a process of its own; its peak resident set and
// processor time come from the kernel's account of the child (wait4).
void BM_CliChart(benchmark::State& state) {
    const int values = int(state.range(0));
    const std::vector<QByteArray> argv{
        RIVELPOST_CLI, "chart", seriesFile(values).toLocal8Bit(), "--out",
        folder().filePath(QStringLiteral("chart.png")).toLocal8Bit()};
    long peakKb = 0;
    double cpu = 0;
    for (auto _ : state) {
        const ProgramStarter::Run run = programStarter.run(argv);
        if (!run.ok) {
            state.SkipWithError("rivelpost-cli chart failed");
            return;
        }
        peakKb = std::max(peakKb, run.usage.ru_maxrss);
        cpu += seconds(run.usage.ru_utime) + seconds(run.usage.ru_stime);
    }
    state.counters["values"] = values;
    state.counters["peak_rss_MB"] = double(peakKb) / 1024;
    // Processor time of the command: the real time also waits for a busy machine.
    state.counters["cpu_s"] = cpu / double(state.iterations());
}

} // namespace

BENCHMARK(BM_ChartModelLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reduction)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileToFirstPaint)
    ->Arg(unitValues)
    ->Arg(centuryValues)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RepaintAfterZoom)
    ->Arg(unitValues)
    ->Arg(centuryValues)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CliChart)
    ->Arg(unitValues)
    ->Arg(centuryValues)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
