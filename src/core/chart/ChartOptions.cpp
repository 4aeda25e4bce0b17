#include "core/chart/ChartOptions.h"

#include "core/chart/ChartModel.h"

namespace rp {

namespace {
const QString stackedMark = QStringLiteral(" (STACKED)");
}

void ChartOptions::markers() {
    // Lines with markers, then markers only, then lines only.
    m_markerState = m_markerState == 2 ? 0 : m_markerState + 1;
}

void ChartOptions::barLine() {
    m_family = m_family == 0 ? 1 : m_family;
    m_family = m_family >= 3 ? 1 : m_family + 1;
}

int ChartOptions::chartType() const {
    switch (family()) {
    case ChartFamily::Bar:
        return m_3d ? 0 : 1;
    case ChartFamily::Area:
        return m_3d ? 4 : 5;
    case ChartFamily::Line:
        break;
    }
    return m_3d ? 2 : 3;
}

void ChartOptions::stack(ChartModel& model) {
    if (!m_stacked) {
        if (!model.title.contains(stackedMark))
            model.title += stackedMark;
        model.yAxis.automatic = true;
        m_stacked = true;
    } else {
        const qsizetype at = model.title.indexOf(stackedMark);
        if (at >= 0)
            model.title.truncate(at);
        model.yAxis.automatic = false;
        m_stacked = false;
    }
}

const char* ChartOptions::logYaxis(ChartModel& model) {
    if (!model.yAxis.logarithmic) {
        model.yAxis.logarithmic = true;
        return "Normal Yaxis";
    }
    model.yAxis.logarithmic = false;
    model.setYScale(model.firstSeriesScale());
    return "Log Yaxis";
}

void ChartOptions::y2Axis(ChartModel& model) {
    if (model.seriesCount() <= 1)
        return;
    if (!model.y2Axis.visible) {
        model.y2Axis.visible = true;
        model.secondaryAxisInUse = true;
        model.yAxis.titleColor = QColor(255, 0, 0);
        model.setYScale(model.firstSeriesScale());
        model.y2Axis.titleColor = QColor(0, 255, 0);
        model.y2Axis.scale = model.secondAxisScale();
        model.y2Axis.automatic = false;
    } else {
        model.secondaryAxisInUse = false;
        model.y2Axis.visible = false;
        model.yAxis.titleColor = QColor(0, 0, 0);
        model.setYScale(model.primaryScale());
    }
    model.showLegend = true;
}

} // namespace rp
