// The Connection and Help commands of the main window; their logic lives in ConnectionCommand,
// DatabaseMaintenance and HelpCommand.
#include "Form1.h"

#include "CommandPrompts.h"
#include "ConnectionCommand.h"
#include "ContigRunner.h"
#include "HelpCommand.h"
#include "ProgressWindow.h"
#include "RecordSetModel.h"
#include "SqliteCompactor.h"
#include "WidgetPrompts.h"
#include "db/Database.h"
#include "db/RecordSet.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableView>

namespace rp {

// The main window as the Connection command sees it.
class Form1::CommandView : public ConnectionView {
public:
    explicit CommandView(Form1& form) : m_form(form) {}
    ~CommandView() override { setBusy(false); }
    CommandView(const CommandView&) = delete;
    CommandView& operator=(const CommandView&) = delete;

    QString caption() const override { return m_form.windowTitle(); }
    void setCaption(const QString& caption) override { m_form.setWindowTitle(caption); }
    void setConnectionString(const QString& connectionString) override {
        m_form.setConnectionString(connectionString);
    }
    void setBusy(bool busy) override {
        if (busy == m_busy)
            return;
        m_busy = busy;
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
        m_form.m_grid->setVisible(!busy);
    }
    void releaseDatabase() override { m_form.releaseResult(); }
    void processEvents() override {
        // Only paints: no input reaches another command meanwhile.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void finish() override {
        setBusy(false);
        m_form.m_grid->show();
        m_form.focusGrid();
    }

private:
    Form1& m_form;
    bool m_busy = false;
};

void Form1::releaseResult() {
    showResult(nullptr, nullptr, false);
    dropConnection();
}

void Form1::connectionCommand() {
    m_rsiteLast = false;
    setActiveButton(m_passwordButton);
    applyControlStates(Command::Connection);
    WidgetPrompts widgetPrompts(this);
    ProcessContigRunner processContig;
    SqliteCompactor compactor;
    ProgressWindow progress(this, QStringLiteral("Compacting the database..."));
    compactor.setProgress(progress.callback());
    CommandView view(*this);
    ConnectionCommand command(m_services.prompts ? *m_services.prompts : widgetPrompts, view,
                              m_services.contig ? *m_services.contig : processContig, compactor);
    ProgressWindow conversion(this, QStringLiteral("Converting to SQLite..."));
    command.setConversionProgress(conversion.callback());
    command.run();
}

void Form1::helpCommand() {
    setActiveButton(m_helpButton);
    WidgetPrompts widgetPrompts(this);
    HelpCommand::Opener opener = m_services.openUrl;
    if (!opener)
        opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    HelpCommand(m_services.prompts ? *m_services.prompts : widgetPrompts, opener,
                HelpCommand::installedGuide())
        .run();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace rp
