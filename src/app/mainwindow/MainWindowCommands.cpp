// The main window's commands: the lists, GO, own SQL, DB Tables and the query behind them.
#include "app/mainwindow/MainWindow.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/Retrieval.h"
#include "core/hdb/RunQuery.h"
#include "gui/widgets/Navigator.h"
#include "gui/widgets/RecordSetModel.h"
#include "gui/widgets/Twips.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace rp {

namespace {

// The wait cursor while a query runs, put back however the query ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void MainWindow::runQuery() {
    QueryState state{m_text4->toPlainText(), m_dateIncrement, m_stepCount, m_excel,
                     m_connectionString};
    RunQueryInput input;
    input.ownSql = m_check1->isChecked();
    input.runAsTyped = m_sidon;
    input.allowEdit = m_allowEdit->isChecked();
    input.autoInsert = m_autoInsert->isChecked();
    input.seriesKey = m_text1->text();
    input.startDate = m_text2->text();
    input.endDate = m_text3->text();
    input.step = timeStep();
    input.connect = [this](const QString& connectionString) {
        return connectionFor(connectionString);
    };

    RunQueryResult result;
    {
        WaitCursor wait;
        result = rp::runQuery(input, state);
    }
    if (m_text4->toPlainText() != state.sqlText)
        m_text4->setPlainText(state.sqlText);
    m_dateIncrement = state.dateIncrement;
    m_stepCount = state.stepCount;
    m_excel = state.excel;
    m_connectionString = state.connectionString;
    if (result.editable)
        m_editButton->setEnabled(*result.editable);

    const bool replaced = result.outcome == RunQueryResult::Outcome::Opened ||
                          result.outcome == RunQueryResult::Outcome::Failed;
    if (replaced) {
        m_adodc1->show();
        m_grid->show();
        if (result.recordSet) {
            m_databaseConnection = state.connectionString;
            showResult(std::move(result.recordSet), std::move(result.database),
                       result.editable.value_or(false) &&
                           result.outcome == RunQueryResult::Outcome::Opened);
        }
    }
    if (!result.message.isEmpty())
        message(result.message);
    if (!result.escalatedError.isEmpty())
        throw Error(result.escalatedError);
}

void MainWindow::siteListCommand() {
    try {
        applyControlStates(Command::SiteList);
        m_sidon = true;
        m_rsiteLast = false;
        m_text4->setPlainText(siteListStatement());
        setActiveButton(m_siteIDbutton);
        m_getButton->setEnabled(false);
        runQuery();
        setColumnWidths({600, 1200, 7200}, widthFactor(false));
        if (isVisible()) {
            focusGrid();
            if (m_firstdgrow > 0) {
                scrollToTop(m_firstdgrow);
                if (m_selectdgrow > 0)
                    setCurrentRow(m_firstdgrow - 1 + m_selectdgrow);
            }
        }
    } catch (const Error& e) {
        message(e.message());
    }
}

void MainWindow::parametersAllCommand() {
    try {
        applyControlStates(Command::Parameters);
        setActiveButton(m_sdidButton);
        QString site = m_text1->text();
        if (hasRecords()) {
            site = currentText(0);
            m_text1->setText(site);
            m_stationId = currentText(1);
        }
        if (site.isEmpty()) {
            message(QStringLiteral("Select site first"));
        } else {
            m_text4->setPlainText(parameterListStatement(site));
            runQuery();
        }
        m_parameterList = true;
        setColumnWidths({600, 1300, 1200, 900, 6000}, widthFactor(true));
        setCurrentRow(1);
        scrollToTop(1);
        focusGrid();
    } catch (const Error& e) {
        message(e.message());
    }
}

void MainWindow::parametersWithDataCommand() {
    // Each step that fails says so and the command goes on with the next one.
    const auto step = [this](const std::function<void()>& work) {
        try {
            work();
            return true;
        } catch (const Error& e) {
            message(e.message());
            return false;
        }
    };
    m_firstdgrow = topRecord();
    m_selectdgrow = currentOffset();
    applyControlStates(Command::Parameters);
    QString site = m_text1->text();
    step([&] {
        if (hasRecords()) {
            if (!currentIsNull(0)) {
                site = currentText(0);
                m_stationId = currentText(1);
            }
            m_text1->setText(site);
        }
    });
    m_parameterList = true;
    setActiveButton(m_sdidWdataButton);
    if (site.isEmpty()) {
        message(QStringLiteral("Select site first"));
    } else {
        // A statement that cannot be built is not replaced by the previous one.
        QString statement;
        if (step([&] {
                statement = parameterListWithDataStatement(site, timeStep(), m_text2->text(),
                                                           m_text3->text());
            })) {
            m_text4->setPlainText(statement);
            step([this] { runQuery(); });
        }
    }
    setColumnWidths({600, 1300, 1200, 900, 6000}, widthFactor(true));
    focusGrid();
    if (m_firstdgrow == m_previousFirstdgrow && m_selectdgrow == m_previousSelectdgrow &&
        m_selectparamrow >= 1) {
        setCurrentRow(std::max(m_grid->rowAt(0), 0) + m_selectparamrow);
        if (m_firstparamrow > 0)
            scrollToTop(m_firstparamrow);
    }
    m_previousFirstdgrow = m_firstdgrow;
    m_previousSelectdgrow = m_selectdgrow;
}

void MainWindow::goCommand() {
    QString d;
    try {
        m_selectparamrow = currentOffset();
        m_firstparamrow = topRecord();
        const bool tableMode = m_text1->text() == QLatin1String("Table");
        if (!tableMode) {
            m_rsiteLast = false;
            // A one-column result (an own statement) has no key to read: the mode box stands.
            d = hasRecords() && m_recordSet->fieldCount() > 1 ? currentText(1) : m_text1->text();
            if (leadingNumber(d) == 0 && m_text1->text() != QLatin1String("SQL"))
                return;
        }
        applyControlStates(Command::Go);
        setActiveButton(m_getButton);
        if (!tableMode && m_parameterList && m_recordSet) {
            m_text1->setText(d);
            m_site =
                seriesDescription(d, currentText(4), currentText(2), currentText(3), timeStep());
            setWindowTitle(m_site);
        }
        m_parameterList = false;
    } catch (const Error&) {
        message(QStringLiteral("Check your SQL spelling"));
        return;
    }

    if (m_check1->isChecked()) {
        m_getButton->setEnabled(true);
        setWindowTitle(QStringLiteral("SQL"));
        m_rsiteLast = false;
        runQuery();
    } else if (columnCaption(0) != QLatin1String("name") && !m_rsiteLast) {
        if (m_sidon)
            m_text1->setText(d);
        m_sidon = false;
        runQuery();
        if (columnCaption(1) == QLatin1String("date_time")) {
            m_grid->setColumnWidth(1, twipsToPixels(static_cast<int>(2100 * widthFactor(false))));
            fitColumnsToTexts();
        }
    } else {
        m_sidon = true;
        const QString table = m_grid->currentIndex().data().toString();
        if (table != QLatin1String("rsite") && !m_rsiteLast) {
            m_text4->setPlainText(wholeTableStatement(table));
            m_rsiteLast = false;
            setWindowTitle(QStringLiteral("TABLE ") + table);
        } else {
            m_text4->setPlainText(wholeTableStatement(QStringLiteral("rsite")));
            m_rsiteLast = true;
            setWindowTitle(QStringLiteral("TABLE rsite"));
        }
        runQuery();
    }
    focusGrid();
}

void MainWindow::dbTablesCommand() {
    try {
        setActiveButton(m_tablesButton);
        m_rsiteLast = false;
        m_sidon = true;
        applyControlStates(Command::DbTables);
        m_text4->setPlainText(tableListStatement());
        runQuery();
        focusGrid();
    } catch (const Error& e) {
        message(e.message());
    }
}

void MainWindow::gridDoubleClick() {
    // While the result can be edited, the grid edits the cell that was double-clicked.
    if (m_model->isEditable())
        return;
    switch (gridDoubleClickDispatch(columnCaption(0))) {
    case GridDispatch::ParametersWithData:
        parametersWithDataCommand();
        break;
    case GridDispatch::Go:
        goCommand();
        break;
    case GridDispatch::OpenTable:
        m_sidon = true;
        m_text4->setPlainText(wholeTableStatement(m_grid->currentIndex().data().toString()));
        runQuery();
        break;
    case GridDispatch::Nothing:
        break;
    }
}

void MainWindow::ownSqlPressed() {
    if (!m_check1->isChecked()) {
        applyControlStates(Command::OwnSqlOn);
    } else {
        applyControlStates(Command::OwnSqlOff);
    }
}

} // namespace rp
