// MainWindow: "Load file…" and the retrieval of what it loaded.

#include "app/dialogs/LoadFileDialog.h"
#include "app/mainwindow/MainWindow.h"
#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/Retrieval.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace rp {

void MainWindow::loadFileCommand() {
    if (m_connectionString.isEmpty())
        throw Error(QStringLiteral("No database is open; choose one with Connection first."));
    const std::shared_ptr<Database> database = connectionFor(m_connectionString);
    if (const QString reason = database->readOnlyReason(); !reason.isEmpty())
        throw Error(reason);
    LoadFileDialog dialog(database, this, m_services.chooseDataFile, m_commandProgress);
    if (dialog.exec() != QDialog::Accepted || dialog.results().isEmpty())
        return;
    // The first series loaded is retrieved as GO retrieves a parameter.
    const LoadPlan& plan = dialog.results().first().plan;
    const QString key = QString::number(plan.datatypeSiteId);
    m_check1->setChecked(false);
    m_sidon = false;
    m_parameterList = false;
    m_rsiteLast = false;
    setTimeStep(plan.step);
    m_text1->setText(key);
    setDateTexts(jetDateText(plan.first.date()), jetDateText(plan.last.date()));
    m_site = seriesDescription(key, plan.siteName, plan.datatypeName, plan.unitName, plan.step);
    setWindowTitle(m_site);
    applyControlStates(Command::Go);
    setActiveButton(m_getButton);
    m_databaseConnection = m_connectionString;
    m_database = database;
    runQuery();
}

} // namespace rp
