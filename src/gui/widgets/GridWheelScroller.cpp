#include "gui/widgets/GridWheelScroller.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QWheelEvent>

namespace rp {

GridWheelScroller::GridWheelScroller(QAbstractItemView* view) : QObject(view), m_view(view) {
    setObjectName(QStringLiteral("GridWheelScroller"));
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->viewport()->installEventFilter(this);
}

bool GridWheelScroller::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: the view may be halfway through its destruction.
    if (event->type() != QEvent::Wheel || watched != m_view->viewport())
        return QObject::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    // Sideways turns are the grid's own business.
    if (wheel->angleDelta().y() == 0)
        return false;
    const int rows = m_accumulator.add(wheel->angleDelta().y());
    if (rows != 0) {
        QScrollBar* bar = m_view->verticalScrollBar();
        bar->setValue(bar->value() + rows);
    }
    return true;
}

} // namespace rp
