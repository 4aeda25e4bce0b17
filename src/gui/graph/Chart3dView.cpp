#include "gui/graph/Chart3dView.h"

#include "core/chart/ChartModel.h"
#include "core/chart/ChartOptions.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QWidget>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QCategory3DAxis>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QValue3DAxis>

namespace rp {

namespace {
constexpr int maxColumns3d = 120;
}

bool canDraw3d() {
    const QString platform = QGuiApplication::platformName();
    if (platform == u"offscreen" || platform == u"minimal")
        return false;
    QOpenGLContext context;
    return context.create();
}

namespace {

// Per series the largest value of each block of rows, so that long series stay drawable.
struct Blocks {
    int block = 1;
    QStringList labels;
    std::vector<std::vector<float>> values; // per series
};

Blocks blocksOf(const ChartModel& model) {
    Blocks b;
    const int rows = model.rowCount();
    b.block = std::max(1, (rows + maxColumns3d - 1) / maxColumns3d);
    for (int r = 0; r < rows; r += b.block)
        b.labels << model.rowLabel(r);
    for (int c = 0; c < model.seriesCount(); ++c) {
        std::vector<float> row;
        for (int r = 0; r < rows; r += b.block) {
            double v = 0;
            bool any = false;
            for (int i = r; i < std::min(rows, r + b.block); ++i)
                if (!model.isNull(i, c) && (!any || model.value(i, c) > v)) {
                    v = model.value(i, c);
                    any = true;
                }
            row.push_back(float(v));
        }
        b.values.push_back(std::move(row));
    }
    return b;
}

QAbstract3DGraph* barGraph(const ChartModel& model, const Blocks& b) {
    auto* graph = new Q3DBars;
    for (int c = 0; c < model.seriesCount(); ++c) {
        auto* data = new QBarDataArray;
        auto* row = new QBarDataRow;
        for (float v : b.values[size_t(c)])
            row->append(QBarDataItem(v));
        data->append(row);
        auto* series = new QBar3DSeries;
        series->dataProxy()->resetArray(data, {model.columnLabel(c)}, b.labels);
        series->setMesh(QAbstract3DSeries::MeshBar);
        graph->addSeries(series);
    }
    graph->valueAxis()->setRange(float(model.yAxis.scale.lower), float(model.yAxis.scale.upper));
    graph->valueAxis()->setTitle(model.yAxis.title);
    graph->valueAxis()->setTitleVisible(true);
    graph->valueAxis()->setLabelFormat(QStringLiteral("%.0f"));
    graph->setMultiSeriesUniform(true);
    return graph;
}

// Lines as ribbons along the rows, areas as bands that rise from the floor: both surfaces, one
// per series, the series side by side in depth.
QAbstract3DGraph* surfaceGraph(const ChartModel& model, const Blocks& b, bool area) {
    auto* graph = new Q3DSurface;
    const float floor = float(model.yAxis.scale.lower);
    for (int c = 0; c < model.seriesCount(); ++c) {
        // Depth of each surface row and whether it lies on the floor.
        const std::vector<std::pair<float, bool>> depths =
            area ? std::vector<std::pair<float, bool>>{{c - 0.35f, true},
                                                       {c - 0.3f, false},
                                                       {c + 0.3f, false},
                                                       {c + 0.35f, true}}
                 : std::vector<std::pair<float, bool>>{{c - 0.3f, false}, {c + 0.3f, false}};
        auto* data = new QSurfaceDataArray;
        for (const auto& [z, onFloor] : depths) {
            auto* row = new QSurfaceDataRow;
            const auto& values = b.values[size_t(c)];
            for (size_t x = 0; x < values.size(); ++x)
                row->append(QSurfaceDataItem(QVector3D(float(x), onFloor ? floor : values[x], z)));
            data->append(row);
        }
        auto* series = new QSurface3DSeries;
        series->setName(model.columnLabel(c));
        series->setDrawMode(QSurface3DSeries::DrawSurface);
        series->setFlatShadingEnabled(true);
        series->setBaseColor(QColor::fromHsv((c * 67) % 360, 200, 200));
        series->dataProxy()->resetArray(data);
        graph->addSeries(series);
    }
    graph->axisY()->setRange(float(model.yAxis.scale.lower), float(model.yAxis.scale.upper));
    graph->axisY()->setTitle(model.yAxis.title);
    graph->axisY()->setTitleVisible(true);
    graph->axisY()->setLabelFormat(QStringLiteral("%.0f"));
    graph->axisX()->setRange(0, float(std::max<qsizetype>(1, b.labels.size() - 1)));
    graph->axisX()->setLabelFormat(QString());
    graph->axisZ()->setRange(-0.5f, float(std::max(1, model.seriesCount())) - 0.5f);
    graph->axisZ()->setLabelFormat(QString());
    return graph;
}

} // namespace

QWidget* createChart3d(const ChartModel& model, const ChartOptions& options, QWidget* parent) {
    const Blocks blocks = blocksOf(model);
    QAbstract3DGraph* graph =
        options.family() == ChartFamily::Bar
            ? barGraph(model, blocks)
            : surfaceGraph(model, blocks, options.family() == ChartFamily::Area);
    graph->scene()->activeCamera()->setCameraPreset(Q3DCamera::CameraPresetIsometricRight);
    QWidget* container = QWidget::createWindowContainer(graph, parent);
    container->setObjectName(QStringLiteral("MSChart1_3D"));
    container->setProperty("graph3d", QVariant::fromValue<QObject*>(graph));
    return container;
}

QImage renderChart3d(QWidget* view, QSize size) {
    auto* graph = qobject_cast<QAbstract3DGraph*>(view->property("graph3d").value<QObject*>());
    return graph ? graph->renderToImage(0, size) : QImage();
}

} // namespace rp
