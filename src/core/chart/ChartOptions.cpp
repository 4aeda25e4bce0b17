#include "core/chart/ChartOptions.h"

#include "core/chart/ChartModel.h"

namespace rp {

namespace {
const QString stackedMark = QStringLiteral(" (STACKED)");
}

QString chartOptionCaption(ChartOption option, bool logarithmic) {
    switch (option) {
    case ChartOption::Markers:
        return QStringLiteral("Markers");
    case ChartOption::BarLine:
        return QStringLiteral("Bar/Line");
    case ChartOption::Stack:
        return QStringLiteral("Stack");
    case ChartOption::Cumulative:
        return QStringLiteral("Cumulative");
    case ChartOption::LogYaxis:
        return logarithmic ? QStringLiteral("Normal Yaxis") : QStringLiteral("Log Yaxis");
    case ChartOption::Y2Axis:
        return QStringLiteral("Y2 axis");
    case ChartOption::Toggle3d:
        return QStringLiteral("2D/3D");
    case ChartOption::Picture:
        return QStringLiteral("Picture");
    case ChartOption::Print:
        return QStringLiteral("Print");
    case ChartOption::Close:
        return QStringLiteral("Close");
    case ChartOption::ResetZoom:
        return QStringLiteral("Reset zoom");
    case ChartOption::SaveImage:
        return QStringLiteral("Save image");
    }
    return {};
}

std::optional<ChartOption> chartOptionOfCaption(const QString& caption) {
    for (ChartOption option : allChartOptions)
        if (caption == chartOptionCaption(option, false) ||
            caption == chartOptionCaption(option, true))
            return option;
    return std::nullopt;
}

void ChartOptions::markers() {
    switch (m_markerState) {
    case MarkerState::LinesOnly:
        m_markerState = MarkerState::LinesAndMarkers;
        break;
    case MarkerState::LinesAndMarkers:
        m_markerState = MarkerState::MarkersOnly;
        break;
    case MarkerState::MarkersOnly:
        m_markerState = MarkerState::LinesOnly;
        break;
    }
}

void ChartOptions::barLine() {
    switch (m_family) {
    case ChartFamily::Line:
        m_family = ChartFamily::Bar;
        break;
    case ChartFamily::Bar:
        m_family = ChartFamily::Area;
        break;
    case ChartFamily::Area:
        m_family = ChartFamily::Line;
        break;
    }
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

void ChartOptions::logYaxis(ChartModel& model) {
    if (!model.yAxis.logarithmic) {
        model.yAxis.logarithmic = true;
        return;
    }
    model.yAxis.logarithmic = false;
    model.setYScale(model.firstSeriesScale());
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
