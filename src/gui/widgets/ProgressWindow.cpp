#include "gui/widgets/ProgressWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressDialog>
#include <limits>

namespace rp {

namespace {

// QProgressDialog counts in int.
int scaled(qint64 value, qint64 total) {
    if (total <= std::numeric_limits<int>::max())
        return static_cast<int>(value);
    return static_cast<int>(value / (total / std::numeric_limits<int>::max() + 1));
}

} // namespace

ProgressWindow::ProgressWindow(QWidget* parent, QString label, bool cancellable)
    : m_parent(parent), m_label(std::move(label)), m_cancellable(cancellable),
      m_self(std::make_shared<ProgressWindow*>(this)) {}

ProgressWindow::~ProgressWindow() {
    *m_self = nullptr;
    finish();
}

void ProgressWindow::finish() {
    delete m_dialog;
    if (m_arrowCursor) {
        m_arrowCursor = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

Progress ProgressWindow::callback() {
    return [self = m_self](qint64 done, qint64 total) {
        return *self ? (*self)->report(done, total) : true;
    };
}

bool ProgressWindow::report(qint64 done, qint64 total) {
    if (m_cancelled)
        return false;
    // The clock starts with the work, not with the command that may ask questions first.
    if (!m_started.isValid())
        m_started.start();
    if (!m_dialog && m_started.elapsed() < showAfterMs)
        return true;
    // Painting and the Cancel button need window events, but not at every step.
    if (m_dialog && m_lastEvents.isValid() && m_lastEvents.elapsed() < 50)
        return true;
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_label, m_cancellable ? QObject::tr("Cancel") : QString(),
                                       0, 0, m_parent);
        m_dialog->setObjectName(QStringLiteral("ProgressWindow"));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->show();
        // The command's wait cursor would make Cancel look out of reach.
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        m_arrowCursor = true;
    }
    if (total > 0) {
        m_dialog->setMaximum(scaled(total, total));
        m_dialog->setValue(scaled(std::min(done, total), total));
    }
    QCoreApplication::processEvents();
    m_lastEvents.start();
    m_cancelled = m_dialog && m_dialog->wasCanceled();
    return !m_cancelled;
}

} // namespace rp
