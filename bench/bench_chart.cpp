// The graph window on ten years of 15-minute values (350,640 lines of "lastout.txt"): reading the
// series file into the chart model, from the file to the first painted chart (target under 1 s),
// and a repaint after zooming to a month (target under 100 ms). Long series are drawn reduced to
// the smallest and largest value per pixel column.

#include "core/chart/ChartModel.h"
#include "core/chart/SeriesReduction.h"
#include "gui/graph/ChartView.h"
#include "gui/graph/GraphWindow.h"

#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QPixmap>
#include <QTemporaryDir>
#include <QValueAxis>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int unitValues = 350640;

// A noisy unit series with storms, written once per run.
const QString& seriesFile() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString p = folder.filePath(QStringLiteral("lastout.txt"));
        QFile file(p);
        file.open(QIODevice::WriteOnly);
        QByteArray bytes = "4 1001 BENCH GAUGE\r\nUNIT VALUES FLOW, CFS\r\n";
        const QDateTime start(QDate(2010, 1, 1), QTime(0, 0));
        const QLocale c = QLocale::c();
        unsigned noise = 12345;
        for (int i = 0; i < unitValues; ++i) {
            noise = noise * 1103515245u + 12345u;
            const double storm = (i % 9000) < 300 ? 800.0 * std::sin((i % 9000) / 300.0 * M_PI) : 0;
            const double v = 120 + 60 * std::sin(i * 2 * M_PI / 35064) + storm + (noise >> 20) % 40;
            bytes +=
                c.toString(start.addSecs(qint64(i) * 900), QStringLiteral("dd MMM yyyy hh:mm "))
                    .toLatin1() +
                QByteArray::number(v, 'g', 15) + "\r\n";
        }
        file.write(bytes);
        return p;
    }();
    return path;
}

void BM_ChartModelLoad(benchmark::State& state) {
    const QString path = seriesFile();
    for (auto _ : state) {
        rp::ChartModel model;
        model.loadSeriesFile(path, false, 96);
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_Reduction(benchmark::State& state) {
    rp::ChartModel model;
    model.loadSeriesFile(seriesFile(), false, 96);
    for (auto _ : state) {
        auto segments =
            rp::reduceForDisplay(model.values(0), model.nulls(0), 0, model.rowCount() - 1, 1500);
        benchmark::DoNotOptimize(segments.data());
    }
}

void BM_FileToFirstPaint(benchmark::State& state) {
    const QString path = seriesFile();
    for (auto _ : state) {
        rp::GraphWindow window;
        window.resize(1600, 1000);
        window.loadSeriesFile(path, false, 96);
        const QPixmap shot = window.chartView()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
    }
}

void BM_RepaintAfterZoom(benchmark::State& state) {
    rp::GraphWindow window;
    window.resize(1600, 1000);
    window.loadSeriesFile(seriesFile(), false, 96);
    window.chartView()->grab();
    int month = 0;
    for (auto _ : state) {
        // A month of the ten years, as the rubber band would choose it.
        auto* x = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Horizontal).value(0));
        const double first = (month++ % 100) * 2976.0;
        x->setRange(first, first + 2976);
        emit window.chartView()->zoomed();
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
        const QPixmap shot = window.chartView()->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
    }
}

} // namespace

BENCHMARK(BM_ChartModelLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reduction)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RepaintAfterZoom)->Unit(benchmark::kMillisecond)->UseRealTime();
