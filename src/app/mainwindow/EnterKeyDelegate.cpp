#include "app/mainwindow/EnterKeyDelegate.h"

#include <QKeyEvent>

namespace rp {

bool EnterKeyDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit enterPressed();
            return true;
        }
        if (key == Qt::Key_Escape)
            emit escapePressed();
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

} // namespace rp
