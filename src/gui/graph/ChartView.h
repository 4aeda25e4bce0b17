#pragma once

#include <QChartView>

namespace rp {

// The chart control of the graph window: zoom with a horizontal rubber band (left button) or
// the wheel; a right-button release is handed to the window for its options list. The window
// sets the tool tip as the pointer moves; the view shows it when the pointer rests.
class ChartView : public QChartView {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

signals:
    // Any button released: the window hides its list; `right` asks for it at `pos`.
    void released(QPoint pos, bool right);
    void zoomed();
    // The pointer moved over the chart with no button held.
    void pointerMoved(QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
};

} // namespace rp
