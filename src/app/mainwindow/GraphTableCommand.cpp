#include "app/mainwindow/GraphTableCommand.h"

#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/MainWindow.h"
#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/export/SpreadsheetServices.h"
#include "core/writeback/AggregateRows.h"
#include "core/writeback/AggregateSinkFactory.h"
#include "core/series/HandOff.h"
#include "core/series/SeriesFile.h"
#include "core/series/TableDump.h"
#include "core/settings/AppPaths.h"
#include "gui/graph/GraphDesktopServices.h"
#include "gui/graph/GraphWindowRunner.h"
#include "gui/widgets/ProgressWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

namespace rp {

namespace {

// The wait cursor and the hidden grid while the series is read, put back however it ends.
class Busy {
public:
    explicit Busy(QWidget* grid) : m_grid(grid) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_grid->hide();
    }
    ~Busy() {
        m_grid->show();
        QGuiApplication::restoreOverrideCursor();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    QWidget* m_grid;
};

bool desktopYesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

} // namespace

GraphTableCommand::GraphTableCommand(MainWindow& main) : QObject(&main), m_main(main) {
    m_services.dialogs = &main.dialogs();
    GraphWindowServices graph;
    graph.dialogs = &main.dialogs();
    graph.connectionString = [this] { return m_main.connectionString(); };
    graph.showGraphTable = [this] { graphTable()->show(); };
    fillGraphDesktopServices(graph);
    m_services.graph = GraphWindowRunner(
        &main, graph, [this] { return m_session.valuesPerDay; },
        [this](int count, bool sums) {
            m_session.seriesCount = count;
            m_session.cumulative = sums;
        });
    SpreadsheetHooks sheets;
    sheets.folder = [] { return AppPaths::programFolder(); };
    sheets.valuesPerDay = [this] { return m_session.valuesPerDay; };
    sheets.connectionString = [this] { return m_main.connectionString(); };
    sheets.releaseWorkbookDatabase = [this] { m_main.releaseResult(); };
    sheets.opener = [this](const QString& path) {
        (openWorkbook ? openWorkbook : openInDesktopApplication)(path);
    };
    sheets.withProgress = [this](const QString& label,
                                 const std::function<void(const Progress&)>& work) {
        ProgressWindow progress(m_graphTable ? static_cast<QWidget*>(m_graphTable) : &m_main,
                                label);
        work(progress.callback());
    };
    fillSpreadsheetServices(m_services, sheets);
}

GraphTableCommand::~GraphTableCommand() = default;

GraphTableDialog* GraphTableCommand::graphTable() {
    if (!m_graphTable) {
        GraphTableContext context;
        context.dayStep = [this] { return m_main.timeStep() == TimeStep::Day; };
        context.stationId = [this] { return m_main.stationId(); };
        context.seriesFile = [this] { return seriesFile(); };
        context.programFolder = [] { return AppPaths::programFolder(); };
        context.writeBackRefusal = [this] {
            return writeBackRefusal(m_main.database().get(), m_main.connectionString());
        };
        m_graphTable = new GraphTableDialog(m_session, context, m_services, &m_main);
        m_graphTable->setAttribute(Qt::WA_DeleteOnClose);
        if (!m_services.aggregates) {
            // "Write Monthlys" and "Write Yearlys", asked at each write, store the daily table's
            // aggregates in the current database under the retrieved parameter.
            GraphTableDialog* form = m_graphTable;
            const auto ticked = [form](const char* name) {
                return [form, name] {
                    const auto* box = form->findChild<QCheckBox*>(QLatin1String(name));
                    return box && box->isChecked();
                };
            };
            form->services().aggregates = aggregateSinkFactory(
                [this] { return m_main.connectionString(); }, [this] { return m_main.modeText(); },
                {ticked("monthlys2db"), ticked("yearlys2db")});
        }
    }
    return m_graphTable;
}

QString GraphTableCommand::seriesFile() const {
    // Fixed at start-up; the program folder's when the start-up did not get that far.
    return m_main.seriesFilePath().isEmpty() ? AppPaths::seriesFilePath() : m_main.seriesFilePath();
}

void GraphTableCommand::run() {
    m_main.setActiveButton(m_main.findChild<QPushButton*>(QStringLiteral("ViewGraphbutton")));
    const QString mode = m_main.modeText();
    if (mode == QLatin1String("SQL") || mode == QLatin1String("Table"))
        offerTableDump();
    else
        handOffSeries();
}

void GraphTableCommand::handOffSeries() {
    const RecordSet* records = m_main.recordSet();
    if (!records)
        throw Error(
            QStringLiteral("No series is retrieved: choose a parameter and press GO first."));
    SeriesRequest request;
    request.step = m_main.timeStep();
    request.startText = m_main.startDateText();
    request.endText = m_main.endDateText();
    request.description = m_main.site();
    const SeriesHeader header = seriesHeader(request.step, request.description);
    GraphTableDialog* dialog = graphTable();
    const QString path = seriesFile();
    {
        Busy busy(m_main.dataGrid());
        ProgressWindow progress(&m_main, QStringLiteral("Handing the series over..."));
        // Written first: a failed or cancelled hand-off leaves the dialog and its file as they
        // were.
        const int perDay = writeSeriesFile(*records, request, path, progress.callback());
        progress.finish();
        dialog->applyHandOff(handOffStates(request.step, header, m_session));
        m_session.valuesPerDay = perDay;
    }
    dialog->show();
    dialog->activateWindow();
    emit handedOff();
}

void GraphTableCommand::offerTableDump() {
    RecordSet* records = m_main.recordSet();
    if (!records || records->isEmpty())
        return;
    const auto ask = askYesNo ? askYesNo : desktopYesNo;
    if (!ask(&m_main, QStringLiteral("%1 Rows").arg(records->recordCount()),
             QStringLiteral("Save table data to TMP.out")))
        return;
    writeTableDump(*records, QDir(AppPaths::programFolder()).filePath(QStringLiteral("TMP.out")));
}

} // namespace rp
