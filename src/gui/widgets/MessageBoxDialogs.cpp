#include "gui/widgets/MessageBoxDialogs.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace rp {

void MessageBoxDialogs::message(QWidget* parent, const QString& text) {
    // A wait cursor left by a command must not hide that the program waits for the user.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), text);
    QGuiApplication::restoreOverrideCursor();
}

MessageBoxDialogs& MessageBoxDialogs::instance() {
    static MessageBoxDialogs dialogs;
    return dialogs;
}

} // namespace rp
