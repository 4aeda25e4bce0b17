#pragma once

#include <QChartView>

namespace rp {

// The chart control of the graph window: zoom with a horizontal rubber band (left button) or
// the wheel; a right-button release is handed to the window for its options list.
class ChartView : public QChartView {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

signals:
    // Any button released: the window hides its list; `right` asks for it at `pos`.
    void released(QPoint pos, bool right);
    void zoomed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace rp
