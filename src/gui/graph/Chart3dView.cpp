#include "gui/graph/Chart3dView.h"

#include "core/chart/ChartModel.h"
#include "core/chart/ChartOptions.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QWidget>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QCategory3DAxis>
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

QWidget* createChart3d(const ChartModel& model, const ChartOptions& options, QWidget* parent) {
    auto* graph = new Q3DBars;
    const int rows = model.rowCount();
    const int block = std::max(1, (rows + maxColumns3d - 1) / maxColumns3d);
    QStringList columnLabels;
    for (int r = 0; r < rows; r += block)
        columnLabels << model.rowLabel(r);
    for (int c = 0; c < model.seriesCount(); ++c) {
        auto* data = new QBarDataArray;
        auto* row = new QBarDataRow;
        for (int r = 0; r < rows; r += block) {
            double v = 0;
            bool any = false;
            for (int i = r; i < std::min(rows, r + block); ++i)
                if (!model.isNull(i, c) && (!any || model.value(i, c) > v)) {
                    v = model.value(i, c);
                    any = true;
                }
            row->append(QBarDataItem(float(v)));
        }
        data->append(row);
        auto* series = new QBar3DSeries;
        series->dataProxy()->resetArray(data, {model.columnLabel(c)}, columnLabels);
        switch (options.family()) {
        case ChartFamily::Bar:
            series->setMesh(QAbstract3DSeries::MeshBar);
            break;
        case ChartFamily::Area:
            series->setMesh(QAbstract3DSeries::MeshBevelBar);
            break;
        case ChartFamily::Line:
            series->setMesh(QAbstract3DSeries::MeshCylinder);
            break;
        }
        graph->addSeries(series);
    }
    graph->valueAxis()->setRange(float(model.yAxis.scale.lower), float(model.yAxis.scale.upper));
    graph->valueAxis()->setTitle(model.yAxis.title);
    graph->valueAxis()->setTitleVisible(true);
    graph->valueAxis()->setLabelFormat(QStringLiteral("%.0f"));
    graph->setMultiSeriesUniform(true);
    graph->scene()->activeCamera()->setCameraPreset(Q3DCamera::CameraPresetIsometricRight);
    QWidget* container = QWidget::createWindowContainer(graph, parent);
    container->setObjectName(QStringLiteral("MSChart1_3D"));
    return container;
}

} // namespace rp
