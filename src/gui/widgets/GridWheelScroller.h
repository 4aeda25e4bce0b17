#pragma once

#include "gui/widgets/WheelAccumulator.h"

#include <QObject>

class QAbstractItemView;

namespace rp {

// Scrolls the grid three rows per wheel notch, keeping part-notches for the next turn. Installed
// on the grid's viewport; it takes the wheel events so the view does not scroll them twice.
class GridWheelScroller : public QObject {
    Q_OBJECT
public:
    explicit GridWheelScroller(QAbstractItemView* view);
    int pendingDelta() const { return m_accumulator.pending(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
    WheelAccumulator m_accumulator;
};

} // namespace rp
