// The Connection and Help commands of the main window; their logic lives in ConnectionCommand,
// DatabaseMaintenance and HelpCommand.
#include "app/mainwindow/MainWindow.h"

#include "app/dialogs/WidgetPrompts.h"
#include "app/mainwindow/ConnectionCommand.h"
#include "app/mainwindow/ContigRunner.h"
#include "app/mainwindow/HelpCommand.h"
#include "core/base/CommandPrompts.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/settings/ConnectionRules.h"
#include "gui/widgets/ProgressWindow.h"
#include "gui/widgets/RecordSetModel.h"
#include "providers/sqlite/SqliteCompactor.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableView>

namespace rp {

// The main window as the Connection command sees it.
class MainWindow::CommandView : public ConnectionView {
public:
    explicit CommandView(MainWindow& form) : m_form(form) {}
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
    MainWindow& m_form;
    bool m_busy = false;
};

void MainWindow::releaseResult() {
    showResult(nullptr, nullptr, false);
    dropConnection();
}

void MainWindow::connectionCommand() {
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
    const QString before = m_connectionString;
    command.run();
    if (m_connectionString != before)
        startOnNewDatabase();
}

void MainWindow::startOnNewDatabase() {
    // Nothing of the old database stays: its result, the places in its lists, its caption.
    releaseResult();
    m_firstdgrow = m_selectdgrow = m_firstparamrow = m_selectparamrow = 0;
    m_previousFirstdgrow = m_previousSelectdgrow = 0;
    m_parameterList = false;
    m_site.clear();
    m_stationId.clear();
    QString caption = programCaption();
    // A file's name only: a server's connection string may hold a password.
    if (isFileDatabaseConnection(m_connectionString) && m_connectionString.contains(u';'))
        caption += QStringLiteral(" - ") +
                   QFileInfo(connectionDatabasePath(m_connectionString)).fileName();
    setWindowTitle(caption);
    siteListCommand();
}

void MainWindow::helpCommand() {
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
