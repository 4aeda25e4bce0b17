#include "gui/graph/ChartView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

namespace rp {

ChartView::ChartView(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("MSChart1"));
    setRubberBand(QChartView::HorizontalRubberBand);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton)
        emit pointerMoved(event->position().toPoint());
}

bool ChartView::viewportEvent(QEvent* event) {
    // The scene would answer with its items' tips, which are empty, and hide ours.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    return QChartView::viewportEvent(event);
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    const bool right = event->button() == Qt::RightButton;
    if (right)
        event->accept(); // the base class would zoom out
    else
        QChartView::mouseReleaseEvent(event);
    if (!right && rubberBand() != QChartView::NoRubberBand)
        emit zoomed();
    emit released(event->position().toPoint(), right);
}

void ChartView::wheelEvent(QWheelEvent* event) {
    if (!chart() || event->angleDelta().y() == 0) {
        QChartView::wheelEvent(event);
        return;
    }
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    const QRectF plot = chart()->plotArea();
    const double x = event->position().x();
    QRectF zoom = plot;
    zoom.setWidth(plot.width() * factor);
    zoom.moveLeft(x - (x - plot.left()) * factor);
    chart()->zoomIn(zoom);
    emit zoomed();
    event->accept();
}

} // namespace rp
