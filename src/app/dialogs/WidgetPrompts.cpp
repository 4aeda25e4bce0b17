#include "app/dialogs/WidgetPrompts.h"

#include "app/dialogs/ConnectionInputDialog.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace rp {

namespace {

// A wait cursor left by a command must not hide that the program waits for the user.
class ArrowCursor {
public:
    ArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;
};

} // namespace

QString WidgetPrompts::askConnectionString(const QString& title, const QString& prompt,
                                           const QString& defaultAnswer,
                                           const QStringList& recent) {
    ArrowCursor arrow;
    ConnectionInputDialog dialog(title, prompt, defaultAnswer, recent, m_parent);
    return dialog.exec() == QDialog::Accepted ? dialog.text() : QString();
}

bool WidgetPrompts::askYesNo(const QString& title, const QString& text) {
    ArrowCursor arrow;
    return QMessageBox::question(m_parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

QString WidgetPrompts::askNewFile(const QString& title, const QString& suggestedPath) {
    ArrowCursor arrow;
    return QFileDialog::getSaveFileName(
        m_parent, title, suggestedPath,
        QStringLiteral("SQLite HDB (*.sqlite *.sqlite3 *.db *.hdb);;"
                       "All files (*)"));
}

void WidgetPrompts::message(const QString& title, const QString& text) {
    ArrowCursor arrow;
    QMessageBox::information(
        m_parent, title.isEmpty() ? QGuiApplication::applicationDisplayName() : title, text);
}

void WidgetPrompts::offerText(const QString& title, const QString& prompt, const QString& text) {
    ArrowCursor arrow;
    QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, text);
}

} // namespace rp
