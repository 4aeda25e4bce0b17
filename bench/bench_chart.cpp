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
#include <sys/resource.h>
#include <sys/wait.h>

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

// `rivelpost-cli chart FILE --out FILE.png` as a process of its own; its peak resident set comes
// from the kernel's account of the child (wait4).
void BM_CliChart(benchmark::State& state) {
    const int values = int(state.range(0));
    const QByteArray input = seriesFile(values).toLocal8Bit();
    const QByteArray output = folder().filePath(QStringLiteral("chart.png")).toLocal8Bit();
    const QByteArray program = RIVELPOST_CLI;
    const char* argv[] = {program.constData(), "chart", input.constData(), "--out",
                          output.constData(),  nullptr};
    long peakKb = 0;
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            state.SkipWithError("cannot start rivelpost-cli");
            return;
        }
        int status = 0;
        struct rusage usage {};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("rivelpost-cli chart failed");
            return;
        }
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    state.counters["values"] = values;
    state.counters["peak_rss_MB"] = double(peakKb) / 1024;
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
