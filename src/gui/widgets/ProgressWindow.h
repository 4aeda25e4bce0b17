#pragma once

#include "core/base/Progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <memory>

class QWidget;

namespace rp {

// The progress of one long command: a window-modal progress dialog that appears only when the
// work takes longer than half a second, with Cancel where stopping loses nothing. While it is
// shown the callback lets window events run; the main window's command guard keeps a second
// command from starting meanwhile.
class ProgressWindow {
public:
    ProgressWindow(QWidget* parent, QString label, bool cancellable = true);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // The callback to hand to the work; once this object is gone it lets the work go on.
    Progress callback();
    bool report(qint64 done, qint64 total);
    // Closes the dialog before the command says how it ended.
    void finish();
    // The dialog once it is shown, else null.
    QProgressDialog* dialog() const { return m_dialog; }

    static constexpr int showAfterMs = 500;

private:
    QWidget* m_parent;
    QString m_label;
    bool m_cancellable;
    QElapsedTimer m_started;
    QElapsedTimer m_lastEvents;
    QPointer<QProgressDialog> m_dialog;
    bool m_cancelled = false;
    bool m_arrowCursor = false;
    std::shared_ptr<ProgressWindow*> m_self;
};

} // namespace rp
